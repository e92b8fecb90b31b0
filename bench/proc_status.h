// Resident memory of this process, as the kernel counts it.
#pragma once

#include <fstream>
#include <string>

namespace geodata::bench {

// A "VmHWM"/"VmRSS"-style line of /proc/self/status, in KiB; -1 if absent.
inline long StatusKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string name;
  long value = -1;
  while (status >> name) {
    if (name == field + ":") {
      status >> value;
      return value;
    }
    std::getline(status, name);
  }
  return -1;
}

}  // namespace geodata::bench
