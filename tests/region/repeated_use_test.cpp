// A session that goes on: many opens in a row, good and bad, must neither grow nor drift.
#include <memory>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "region/region_error.h"
#include "region/region_reader.h"
#include "testing/address_sanitizer.h"
#include "testing/recording_panels.h"
#include "testing/temp_dir.h"
#include "testing/process_probe.h"
#include "testing/test_regions.h"
#include "tools/region_writer.h"

namespace geodata {
namespace {

using testing::RecordingMap;
using testing::RecordingProgress;
using testing::RecordingText;
using testing::TempDir;

constexpr bool kResidentSizeIsMeaningful = !testing::kUnderAddressSanitizer;



TEST(RepeatedUse, TwoHundredOpensKeepResidentMemoryAndDescriptorsFlat) {
  TempDir dir;
  const std::string worst = testing::WriteWorstCaseRegion(dir, "worst.dat", {30, 10}, 1);
  ASSERT_EQ(std::filesystem::file_size(worst), kMaxRegionBytes);
  const std::string flat = dir.Write("flat.dat", RegionWriter({20, 18}).FillFlat().Take());
  // Fails only at the very end, after the whole check pass.
  const std::string failing = dir.Write("bad.dat", testing::RegionWithCount(17, kBlocks - 1, kCells));

  RegionReader reader;
  BlockStore store;
  RecordingMap map;
  RecordingText list;
  RecordingProgress bar;
  const auto Load = [&](const std::string& path) {
    reader.Load([&] { return std::make_unique<FileSource>(path); }, store, map, list, bar);
  };
  const std::int64_t handles = testing::OpenHandles();
  std::vector<long> resident;  // after each open from the fourth on

  for (int n = 0; n < 200; ++n) {
    SCOPED_TRACE(n);
    bar.values.clear();
    switch (n % 3) {
      case 0:
        Load(worst);
        ASSERT_EQ(store.Header(1), 30);
        ASSERT_EQ(store.Geo(65535, 64, 16), 63);
        break;
      case 1:
        Load(flat);
        ASSERT_EQ(store.Header(1), 20);
        ASSERT_EQ(store.Geo(65535, 0, 0), 0);
        ASSERT_EQ(store.Geo(65535, 64, 16), 63) << "stale slot of the worst case";
        break;
      default:
        EXPECT_THROW(Load(failing), RegionError);
        ASSERT_EQ(store.Header(1), 20) << "the flat region stays";
        ASSERT_EQ(bar.values, std::vector<float>{kBlocks - 2}) << "the last block before the bad one";
        break;
    }
    ASSERT_EQ(list.lines.size(), 3U);
    if (n >= 3) resident.push_back(testing::ResidentKiB());
  }
  if (handles >= 0) {
    EXPECT_EQ(testing::OpenHandles(), handles);
  }
  const auto [low, high] = std::ranges::minmax(resident);
  RecordProperty("resident_kib_low", std::to_string(low));
  RecordProperty("resident_kib_high", std::to_string(high));
  if (kResidentSizeIsMeaningful) {
    EXPECT_LT(high - low, 2 * 1024) << "KiB grown after the first three opens";
  }
}

}  // namespace
}  // namespace geodata
