// Reads one region file into the block store, showing its progress on the
// panels. A load is all-or-nothing: the file is read once into memory and
// checked there before the store or a panel is touched, so a bad file, or
// one that changes while it is read, leaves everything as it was.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "region/block_store.h"
#include "region/byte_source.h"
#include "region/read_buffer.h"
#include "window/panels.h"

namespace geodata {

class StagingArea;

class RegionReader {
 public:
  // Reads that saw the source change are tried again this often in all.
  static constexpr int kReadTries = 3;
  // A buffer up to this size is kept for the next load; a larger one is not.
  static constexpr std::size_t kKeptBufferBytes = std::size_t{16} << 20;

  RegionReader();
  ~RegionReader();
  RegionReader(const RegionReader&) = delete;
  RegionReader& operator=(const RegionReader&) = delete;

  // Throws RegionError, having changed nothing. A panel out of memory
  // (std::bad_alloc) can still stop a load part-way.
  void Open_Geodata_File(const std::string& Failas, BlockStore& store, MapPanel& Map,
                         TextPanel& list, ProgressPanel& Baras);

  // The same load from any source.
  void Load(ByteSource& source, BlockStore& store, MapPanel& Map, TextPanel& list,
            ProgressPanel& Baras);

  // Reads the source into memory and checks it without storing anything;
  // returns the bytes a load would store. Throws RegionError as a load would.
  std::size_t Check(ByteSource& source);

 private:
  std::size_t ReadOnce(ByteSource& source, std::size_t size);
  std::size_t ReadChecked(ByteSource& source);
  void Store(std::size_t length, BlockStore& store, MapPanel& Map, TextPanel& list,
             ProgressPanel& Baras);

  ReadBuffer buffer_;                   // the file's bytes, from one read
  std::unique_ptr<StagingArea> stage_;  // a group of blocks on their way to the table
};

}  // namespace geodata
