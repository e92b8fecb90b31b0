#include <windows.h>
#include <psapi.h>

#include <stdexcept>
#include <string>
#include <vector>

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

std::wstring Wide(const std::string& utf8) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

// One argument as a program's runtime splits its command line back: quoted,
// the backslashes before a quote or the closing quote doubled.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
  line += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(2 * backslashes, L'\\');
  line += L'"';
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

// Pages handed back lazily leave the working set at once.
std::int64_t LazyFreeKiB() { return 0; }

// The peak working set lasts as long as the process.
bool ResetPeakResident() { return false; }

std::int64_t BytesRead() {
  const auto counted = [] {
    IO_COUNTERS io{};
    return GetProcessIoCounters(GetCurrentProcess(), &io) ? static_cast<std::int64_t>(io.ReadTransferCount) : -1;
  };
  // A counter that a read of the program's own file leaves still says nothing.
  static const bool counts = [&counted] {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const HANDLE file = CreateFileW(self, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const std::int64_t before = counted();
    char bytes[4096];
    DWORD got = 0;
    const bool read = ReadFile(file, bytes, sizeof bytes, &got, nullptr) && got > 0;
    CloseHandle(file);
    return read && before >= 0 && counted() > before;
  }();
  return counts ? counted() : -1;
}

std::int64_t OpenHandles() {
  const auto counted = [] {
    DWORD count = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &count) ? static_cast<std::int64_t>(count) : -1;
  };
  // A count that a new handle leaves still says nothing.
  static const bool counts = [&counted] {
    const std::int64_t before = counted();
    const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const bool moved = before >= 0 && counted() > before;
    CloseHandle(event);
    return moved;
  }();
  return counts ? counted() : -1;
}

// Windows tells a folder's changes through a handle like any other.
std::int64_t FolderWatches() { return -1; }

int RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::wstring line;
  AppendQuoted(line, Wide(program));
  for (const std::string& argument : arguments) {
    line += L' ';
    AppendQuoted(line, Wide(argument));
  }
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const HANDLE nothing = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                     OPEN_EXISTING, 0, nullptr);
  if (nothing == INVALID_HANDLE_VALUE) return -1;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = nothing;
  startup.hStdError = nothing;
  PROCESS_INFORMATION process{};
  const bool started =
      CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(nothing);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  const bool exited = GetExitCodeProcess(process.hProcess, &code) && code != STILL_ACTIVE;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return exited ? static_cast<int>(code) : -1;
}

void MakeFifo(const std::string&) { throw std::logic_error("this system has no FIFOs"); }

System ThisSystem() { return System::kWindows; }

bool CanLimitAddressSpace() { return false; }

AddressSpaceLimit::AddressSpaceLimit(std::uint64_t) {
  throw std::logic_error("this system caps a process's memory only as a member of a job");
}
AddressSpaceLimit::~AddressSpaceLimit() = default;

}  // namespace geodata::testing
