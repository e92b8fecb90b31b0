// A reader, a store and recording panels that share one journal: all that a
// load is given, and all that it can change.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "region/block_store.h"
#include "region/region_reader.h"
#include "testing/recording_panels.h"
#include "testing/store_digest.h"
#include "testing/temp_dir.h"

namespace geodata::testing {

class LoadFixture : public ::testing::Test {
 protected:
  // Everything a load can change but the bar, which follows the reading even
  // of a file that fails: to show a failed load changed none of it.
  struct Observed {
    std::uint64_t store;
    std::vector<std::string> journal;
    std::vector<std::string> lines;
    std::size_t points;
    bool operator==(const Observed&) const = default;
  };
  Observed Observe() const {
    std::vector<std::string> journal;
    for (const std::string& entry : journal_.entries) {
      if (!entry.starts_with("Baras.")) journal.push_back(entry);
    }
    return {StoreDigest(store_), std::move(journal), list_.lines, map_.points.size()};
  }

  TempDir dir_;
  RegionReader reader_;
  BlockStore store_;
  Journal journal_;
  RecordingMap map_{&journal_};
  RecordingText list_{&journal_};
  RecordingProgress bar_{&journal_};
};

}  // namespace geodata::testing
