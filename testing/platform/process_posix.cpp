#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// Linux's inotify: one "inotify wd:" line per watch in /proc/self/fdinfo.
std::int64_t FolderWatches() {
  std::int64_t watches = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fdinfo")) {
    std::ifstream info(entry.path());
    for (std::string line; std::getline(info, line);) watches += line.starts_with("inotify wd:") ? 1 : 0;
  }
  return watches;
}

int RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> parts{program};
  parts.insert(parts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& part : parts) argv.push_back(part.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (const int output : {STDOUT_FILENO, STDERR_FILENO}) {
    posix_spawn_file_actions_addopen(&actions, output, "/dev/null", O_WRONLY, 0);
  }
  pid_t child = 0;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

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
