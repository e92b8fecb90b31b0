#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "testing/address_sanitizer.h"
#include "testing/address_space_limit.h"
#include "testing/process_probe.h"

namespace geodata::testing {
namespace {

// The number on the "key:" line of a /proc/self file; -1 when there is none.
std::int64_t ProcessCounter(const char* file, std::string_view key) {
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 && line[key.size()] == ':') {
      return std::stoll(line.substr(key.size() + 1));
    }
  }
  return -1;
}

}  // namespace

std::int64_t ResidentKiB() { return ProcessCounter("/proc/self/status", "VmRSS"); }
std::int64_t PeakResidentKiB() { return ProcessCounter("/proc/self/status", "VmHWM"); }
std::int64_t LazyFreeKiB() { return ProcessCounter("/proc/self/smaps_rollup", "LazyFree"); }

bool ResetPeakResident() {
  std::ofstream("/proc/self/clear_refs") << "5";
  return true;
}

std::int64_t BytesRead() { return ProcessCounter("/proc/self/io", "rchar"); }

std::int64_t OpenHandles() {
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator());
}

int ExitCode(int system_result) { return WIFEXITED(system_result) ? WEXITSTATUS(system_result) : -1; }

const char* NullDevice() { return "/dev/null"; }

void MakeFifo(const std::string& path) { mkfifo(path.c_str(), 0600); }

System ThisSystem() { return System::kLinux; }

bool CanLimitAddressSpace() { return !kUnderAddressSanitizer; }

AddressSpaceLimit::AddressSpaceLimit(std::uint64_t spare_bytes) {
  rlimit limit{};
  getrlimit(RLIMIT_AS, &limit);
  saved_ = limit.rlim_cur;
  limit.rlim_cur = static_cast<rlim_t>(ProcessCounter("/proc/self/status", "VmSize")) * 1024 + spare_bytes;
  setrlimit(RLIMIT_AS, &limit);
}

AddressSpaceLimit::~AddressSpaceLimit() {
  rlimit limit{};
  getrlimit(RLIMIT_AS, &limit);
  limit.rlim_cur = static_cast<rlim_t>(saved_);
  setrlimit(RLIMIT_AS, &limit);
}

}  // namespace geodata::testing
