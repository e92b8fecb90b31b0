// The system's side of reading a region file: opening it without waiting for
// a pipe's writer, telling what it is and when it last changed, and reading
// at an offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace geodata::platform {

// The system's reason for a failed call, in words.
class SystemError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The words for one of the system's error numbers (errno, GetLastError()).
std::string Reason(std::uint32_t error);

// A file descriptor or a handle, as the system gives it.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

struct FileTime {
  std::int64_t s = 0, ns = 0;  // since 1970-01-01 UTC
  std::int64_t Nanoseconds() const { return s * 1'000'000'000 + ns; }
  bool operator==(const FileTime&) const = default;
};

// What a path names; the reader reads only plain files.
enum class FileKind { kPlain, kDirectory, kPipe, kDevice, kSocket, kOther };

struct FileStatus {
  FileKind kind = FileKind::kPlain;
  std::uint64_t size = 0;
  FileTime modified, changed;
};

// `path` is UTF-8. Opens for reading only; a pipe with no writer does not
// make it wait. Throws SystemError.
FileHandle OpenForReading(const std::string& path);
FileStatus Examine(FileHandle file);
// Up to out.size() bytes from offset, perhaps fewer; 0 at the end.
std::size_t ReadSome(FileHandle file, std::uint64_t offset, std::span<std::byte> out);
void CloseFile(FileHandle file);

// The clock the system stamps file changes with, and its tick.
FileTime CoarseNow();
FileTime CoarseTick();

}  // namespace geodata::platform
