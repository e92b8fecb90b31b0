#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "testing/address_sanitizer.h"
#include "testing/address_space_limit.h"
#include "testing/platform/proc_counter.h"
#include "testing/process_probe.h"

namespace geodata::testing {

std::int64_t ResidentKiB() { return ProcCounter("/proc/self/status", "VmRSS"); }
std::int64_t PeakResidentKiB() { return ProcCounter("/proc/self/status", "VmHWM"); }
std::int64_t LazyFreeKiB() { return ProcCounter("/proc/self/smaps_rollup", "LazyFree"); }

bool ResetPeakResident() {
  std::ofstream("/proc/self/clear_refs") << "5";
  return true;
}

std::int64_t BytesRead() { return ProcCounter("/proc/self/io", "rchar"); }

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
  limit.rlim_cur = static_cast<rlim_t>(ProcCounter("/proc/self/status", "VmSize")) * 1024 + spare_bytes;
  setrlimit(RLIMIT_AS, &limit);
}

AddressSpaceLimit::~AddressSpaceLimit() {
  rlimit limit{};
  getrlimit(RLIMIT_AS, &limit);
  limit.rlim_cur = static_cast<rlim_t>(saved_);
  setrlimit(RLIMIT_AS, &limit);
}

}  // namespace geodata::testing
