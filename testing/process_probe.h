// This process's own counters as the system keeps them (resident memory,
// bytes read, open handles, watches), and what the system lets a test do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace geodata::testing {

// KiB; -1 when the system does not say.
std::int64_t ResidentKiB();
std::int64_t PeakResidentKiB();
// Of the resident memory, what the system may take back without writing it
// anywhere (pages handed back lazily); 0 where it does not count them apart.
std::int64_t LazyFreeKiB();
// Starts the peak over from the present resident size; false where the
// system keeps a peak that cannot be reset.
bool ResetPeakResident();
// Bytes the process has read through the system; -1 when it does not count
// them (Wine keeps the counter at zero).
std::int64_t BytesRead();
// Files and other system objects the process holds open; -1 when the
// system does not count them (Wine says 0 whatever is open).
std::int64_t OpenHandles();
// Files and folders the system watches for changes on the process's behalf;
// -1 when the system does not count them apart from other handles.
std::int64_t FolderWatches();

// Runs a program with these arguments, no shell between, its output dropped;
// its exit code, or -1 if it did not start or did not exit.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments);

// A FIFO at the path, where the system has them.
void MakeFifo(const std::string& path);

// Where the bad-file rows that need a system's own kind of file can run.
enum class System { kLinux, kWindows };
System ThisSystem();

}  // namespace geodata::testing
