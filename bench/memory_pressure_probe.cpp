// The read buffer under real memory pressure. Opens a region (the largest
// one is meant) twice; then a second process takes free memory until the
// system has taken back the buffer's pages, or until little is left; then
// the region is opened again, which must succeed, and once more after the
// memory is let go. Prints one "name value" line per figure: resident,
// lazily freed and huge-page KiB after each step, and each open's process
// CPU and wall time. Exit status 1 when an open fails.
//
// It takes nearly all of the machine's free memory for a minute or more
// (every page it takes is zeroed): run it when that is acceptable. The taker
// volunteers as the first victim of the out-of-memory killer.
#include <memory>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <string_view>

#include "bench/null_panels.h"
#include "region/region_error.h"
#include "region/region_reader.h"
#include "testing/platform/proc_counter.h"
#include "testing/process_probe.h"

namespace {

using namespace geodata;

using testing::LazyFreeKiB;
using testing::ProcCounter;
using testing::ResidentKiB;

constexpr std::size_t kChunk = std::size_t{64} << 20;
// The taker stops when the system would have less than this left.
constexpr std::int64_t kFloorKiB = 384 * 1024;

std::int64_t AvailableKiB() { return ProcCounter("/proc/meminfo", "MemAvailable"); }

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

void Report(const char* step) {
  std::printf("%s_resident_kib %lld\n%s_lazy_free_kib %lld\n%s_huge_kib %lld\n", step,
              static_cast<long long>(ResidentKiB()), step, static_cast<long long>(LazyFreeKiB()), step,
              static_cast<long long>(ProcCounter("/proc/self/smaps_rollup", "AnonHugePages")));
}

bool TimedOpen(const char* step, const char* path, RegionReader& reader, BlockStore& store) {
  bench::NullMap map;
  bench::NullText text;
  bench::NullProgress progress;
  const double cpu = CpuMs();
  const auto wall = std::chrono::steady_clock::now();
  try {
    reader.Load([&] { return std::make_unique<FileSource>(path); }, store, map, text, progress);
  } catch (const RegionError& error) {
    std::printf("%s_failed %s\n", step, error.what());
    return false;
  }
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - wall;
  std::printf("%s_cpu_ms %.1f\n%s_wall_ms %.1f\n", step, CpuMs() - cpu, step, took.count());
  Report(step);
  return true;
}

// The second process: takes memory in chunks, touching every page, until
// the first one's lazily freed pages fall under a tenth of what they were,
// or the floor is reached. Writes the MiB it holds, then holds them until
// told to let go.
[[noreturn]] void Take(pid_t owner, std::int64_t lazy_start_kib, int report, int release) {
  std::ofstream("/proc/self/oom_score_adj") << "1000";
  const std::string owner_rollup = "/proc/" + std::to_string(owner) + "/smaps_rollup";
  long taken_mib = 0;
  while (AvailableKiB() - static_cast<std::int64_t>(kChunk >> 10) > kFloorKiB &&
         ProcCounter(owner_rollup.c_str(), "LazyFree") * 10 > lazy_start_kib) {
    void* chunk = mmap(nullptr, kChunk, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (chunk == MAP_FAILED) break;
    std::memset(chunk, 1, kChunk);
    taken_mib += static_cast<long>(kChunk >> 20);
  }
  (void)!write(report, &taken_mib, sizeof taken_mib);
  char go = 0;
  (void)!read(release, &go, 1);
  _exit(0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
    return 2;
  }
  const char* path = argv[1];
  BlockStore store;
  RegionReader reader;
  std::printf("available_kib %lld\n", static_cast<long long>(AvailableKiB()));
  Report("start");
  if (!TimedOpen("first_open", path, reader, store)) return 1;
  if (!TimedOpen("second_open", path, reader, store)) return 1;

  int report[2];
  int release[2];
  if (pipe(report) != 0 || pipe(release) != 0) return 2;
  std::fflush(stdout);
  const std::int64_t lazy_kib = LazyFreeKiB();
  const pid_t taker = fork();
  if (taker < 0) return 2;
  if (taker == 0) Take(getppid(), lazy_kib, report[1], release[0]);
  long taken_mib = 0;
  if (read(report[0], &taken_mib, sizeof taken_mib) != sizeof taken_mib) {
    std::printf("taker_died 1\n");
  } else {
    std::printf("taken_mib %ld\navailable_under_pressure_kib %lld\n", taken_mib,
                static_cast<long long>(AvailableKiB()));
    Report("under_pressure");
  }
  const bool opened = TimedOpen("open_under_pressure", path, reader, store);
  (void)!write(release[1], "x", 1);
  waitpid(taker, nullptr, 0);
  Report("released");
  if (!TimedOpen("open_after", path, reader, store)) return 1;
  return opened ? 0 : 1;
}
