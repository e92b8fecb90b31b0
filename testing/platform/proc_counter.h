// Linux's /proc files of "key: number" lines.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

namespace geodata::testing {

// The number on the "key:" line of a /proc file; -1 when there is none.
inline std::int64_t ProcCounter(const char* file, std::string_view key) {
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == ':') {
      return std::stoll(line.substr(key.size() + 1));
    }
  }
  return -1;
}

}  // namespace geodata::testing
