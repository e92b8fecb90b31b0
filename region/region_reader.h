// Reads one region file into the block store, showing its progress on the
// panels. A load is all-or-nothing: the whole file is checked before the
// store or a panel is touched, so a bad file leaves everything as it was.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "region/block_store.h"
#include "region/byte_source.h"
#include "window/panels.h"

namespace geodata {

class RegionReader {
 public:
  RegionReader();
  ~RegionReader();
  RegionReader(const RegionReader&) = delete;
  RegionReader& operator=(const RegionReader&) = delete;

  // Throws RegionError; on a throw nothing has been changed.
  void Open_Geodata_File(const std::string& Failas, BlockStore& store, MapPanel& Map,
                         TextPanel& list, ProgressPanel& Baras);

  // The same load from any source.
  void Load(ByteSource& source, BlockStore& store, MapPanel& Map, TextPanel& list,
            ProgressPanel& Baras);

  // Checks the source without storing anything; returns the bytes a load
  // would consume. Throws RegionError as a load would.
  std::size_t Check(ByteSource& source);

 private:
  struct Stage;
  std::vector<std::byte> buffer_;  // one reused piece of the file
  std::unique_ptr<Stage> stage_;   // a run of blocks on their way to the table
};

}  // namespace geodata
