// This process's own counters, as the kernel keeps them: resident memory and
// bytes read. Tests and benchmarks measure memory and reads with them.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

namespace geodata {

// The number on the "key:" line of a /proc/self file; -1 when there is none.
inline std::int64_t ProcessCounter(const char* file, std::string_view key) {
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 &&
        line[key.size()] == ':') {
      return std::stoll(line.substr(key.size() + 1));
    }
  }
  return -1;
}

inline std::int64_t ResidentKiB() { return ProcessCounter("/proc/self/status", "VmRSS"); }
inline std::int64_t PeakResidentKiB() { return ProcessCounter("/proc/self/status", "VmHWM"); }
// Resident pages the system may take back when it needs memory, without
// writing them anywhere (given back lazily).
inline std::int64_t LazyFreeKiB() { return ProcessCounter("/proc/self/smaps_rollup", "LazyFree"); }
inline std::int64_t BytesRead() { return ProcessCounter("/proc/self/io", "rchar"); }

}  // namespace geodata
