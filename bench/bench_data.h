// Where the benchmark programs keep the region files they load.
#pragma once

#include <cstdlib>
#include <filesystem>

namespace geodata::bench {

// GEODATA_BENCH_DATA, or a folder under the system's temp folder.
inline std::filesystem::path BenchDataFolder() {
  if (const char* folder = std::getenv("GEODATA_BENCH_DATA"); folder != nullptr && *folder != 0) {
    return folder;
  }
  return std::filesystem::temp_directory_path() / "geodata-bench";
}

}  // namespace geodata::bench
