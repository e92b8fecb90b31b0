#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "region/platform/file.h"

namespace geodata::platform {
namespace {

[[noreturn]] void Fail(int error) { throw SystemError(Reason(static_cast<std::uint32_t>(error))); }

FileKind KindOfFile(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::kPlain;
  if (S_ISDIR(mode)) return FileKind::kDirectory;
  if (S_ISFIFO(mode)) return FileKind::kPipe;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return FileKind::kDevice;
  if (S_ISSOCK(mode)) return FileKind::kSocket;
  return FileKind::kOther;
}

FileTime Time(const timespec& t) { return {t.tv_sec, t.tv_nsec}; }

}  // namespace

std::string Reason(std::uint32_t error) { return std::strerror(static_cast<int>(error)); }

FileHandle OpenForReading(const std::string& path) {
  // O_NONBLOCK keeps a FIFO from waiting for a writer; it is refused later.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) Fail(errno);
  return fd;
}

FileStatus Examine(FileHandle file) {
  struct stat info {};
  if (fstat(static_cast<int>(file), &info) != 0) Fail(errno);
  return {KindOfFile(info.st_mode), static_cast<std::uint64_t>(info.st_size), Time(info.st_mtim),
          Time(info.st_ctim)};
}

std::size_t ReadSome(FileHandle file, std::uint64_t offset, std::span<std::byte> out) {
  for (;;) {
    const ssize_t got = pread(static_cast<int>(file), out.data(), out.size(), static_cast<off_t>(offset));
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) Fail(errno);
  }
}

void CloseFile(FileHandle file) { close(static_cast<int>(file)); }

FileTime CoarseNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return Time(now);
}

FileTime CoarseTick() {
  timespec tick{};
  clock_getres(CLOCK_REALTIME_COARSE, &tick);
  return Time(tick);
}

}  // namespace geodata::platform
