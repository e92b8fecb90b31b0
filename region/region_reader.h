// Reads region files in two halves. The check reads a source into memory and
// checks every block there, telling its progress block by block; it touches
// neither the store nor a panel, so it may run on any thread, and a bad file,
// or one that changes while it is read, leaves everything as it was. A
// checked region is then written into the block store, and the load logged.
#pragma once

#include <cstddef>
#include <functional>
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
  // The file is read in pieces of this size, one more whenever fewer than
  // kMaxBlockBytes are left ahead of the next block; so a load stops reading
  // with the piece that holds the end of the last block, or the one after it,
  // however long the file is.
  static constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

  RegionReader();
  ~RegionReader();
  RegionReader(const RegionReader&) = delete;
  RegionReader& operator=(const RegionReader&) = delete;

  // Opens the source it is given, on the thread that reads it: a share slow
  // to answer can hold an open as long as a read.
  using SourceOpener = std::function<std::unique_ptr<ByteSource>()>;

  // The reading half of a load, on any thread: opens the source, checks it,
  // lets the file go, then writes the store if `may_write` allows it; true
  // when it wrote. Touches no panel. Throws RegionError, or what the
  // progress or the opener throws; the store is then untouched.
  bool Read(const SourceOpener& open, CheckProgress& progress, BlockStore& store,
            const std::function<bool()>& may_write);

  // Clears the panels and logs the three lines of a load, once its region
  // is in the store: a panel that fails leaves the store whole.
  static void Log(MapPanel& Map, TextPanel& list);

  // A whole load on one thread, in the order the window takes it on two:
  // Read, the bar set to the last block checked (also when Read throws),
  // then the log.
  void Load(const SourceOpener& open, BlockStore& store, MapPanel& Map, TextPanel& list, ProgressPanel& Baras);

  // The check alone; the region lives in this reader's buffer: one at a
  // time, and it must go before the next check.
  CheckedRegion Check(ByteSource& source, CheckProgress& progress);

 private:
  std::size_t ReadOnce(ByteSource& source, std::size_t size, CheckProgress& progress);
  // Writes the region's header and table into the store.
  void Write(const CheckedRegion& region, BlockStore& store);

  ReadBuffer buffer_;                   // the file's bytes, from one read
  std::unique_ptr<StagingArea> stage_;  // a group of blocks on their way to the table
};

}  // namespace geodata
