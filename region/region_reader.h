// Reads region files in two halves. The check reads a source into memory and
// checks every block there, telling its progress block by block; it touches
// neither the store nor a panel, so it may run on any thread, and a bad file,
// or one that changes while it is read, leaves everything as it was. The
// store then writes a checked region into the block store and logs it.
#pragma once

#include <cstddef>
#include <memory>

#include "region/block_store.h"
#include "region/byte_source.h"
#include "region/check_progress.h"
#include "region/checked_region.h"
#include "region/read_buffer.h"
#include "window/panels.h"

namespace geodata {

class StagingArea;

class RegionReader {
 public:
  // A file whose stamp moves while it is read is read this often in all.
  static constexpr int kReadTries = 3;
  // The file is read in pieces of this size, so that a load stops reading
  // with the piece that holds the end of the last block however long the
  // file is.
  static constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

  RegionReader();
  ~RegionReader();
  RegionReader(const RegionReader&) = delete;
  RegionReader& operator=(const RegionReader&) = delete;

  // Throws RegionError. The region lives in this reader's buffer: one at a
  // time, and it must go before the next check.
  CheckedRegion Check(ByteSource& source, CheckProgress& progress);

  // Clears the panels, writes the region into the store and logs three
  // lines. Only a panel can make it fail part-way.
  void Store(const CheckedRegion& region, BlockStore& store, MapPanel& Map, TextPanel& list);

  // Both halves in turn on this thread, the bar following the check.
  void Load(ByteSource& source, BlockStore& store, MapPanel& Map, TextPanel& list, ProgressPanel& Baras);

 private:
  std::size_t ReadOnce(ByteSource& source, std::size_t size, CheckProgress& progress);

  ReadBuffer buffer_;                   // the file's bytes, from one read
  std::unique_ptr<StagingArea> stage_;  // a group of blocks on their way to the table
};

}  // namespace geodata
