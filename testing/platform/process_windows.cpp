#include <windows.h>
#include <psapi.h>

#include <stdexcept>

#include "testing/address_space_limit.h"
#include "testing/process_probe.h"

namespace geodata::testing {
namespace {

PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) counters.cb = 0;
  return counters;
}

}  // namespace

std::int64_t ResidentKiB() {
  const PROCESS_MEMORY_COUNTERS m = Memory();
  return m.cb == 0 ? -1 : static_cast<std::int64_t>(m.WorkingSetSize / 1024);
}

std::int64_t PeakResidentKiB() {
  const PROCESS_MEMORY_COUNTERS m = Memory();
  return m.cb == 0 ? -1 : static_cast<std::int64_t>(m.PeakWorkingSetSize / 1024);
}

// The peak working set lasts as long as the process.
bool ResetPeakResident() { return false; }

std::int64_t BytesRead() {
  IO_COUNTERS io{};
  if (!GetProcessIoCounters(GetCurrentProcess(), &io)) return -1;
  return static_cast<std::int64_t>(io.ReadTransferCount);
}

std::int64_t OpenHandles() {
  DWORD count = 0;
  if (!GetProcessHandleCount(GetCurrentProcess(), &count)) return -1;
  return count;
}

void MakeFifo(const std::string&) { throw std::logic_error("this system has no FIFOs"); }

System ThisSystem() { return System::kWindows; }

bool CanLimitAddressSpace() { return false; }

AddressSpaceLimit::AddressSpaceLimit(std::uint64_t) {
  throw std::logic_error("this system caps a process's memory only as a member of a job");
}
AddressSpaceLimit::~AddressSpaceLimit() = default;

}  // namespace geodata::testing
