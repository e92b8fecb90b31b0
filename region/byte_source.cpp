#include "region/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "region/region_error.h"
#include "region/stamp_rule.h"

namespace geodata {
namespace {

std::string KindOfFile(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a directory";
  if (S_ISFIFO(mode)) return "it is a pipe";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device";
  if (S_ISSOCK(mode)) return "it is a socket";
  return "it is not a plain file";
}

std::int64_t Nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

}  // namespace

FileSource::FileSource(std::string path) : path_(std::move(path)) {
  // O_NONBLOCK keeps a FIFO from waiting for a writer; it is refused below.
  fd_ = open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd_ < 0) {
    throw RegionError(RegionErrorKind::kCannotOpen, path_, RegionErrorWhere::Detail(std::strerror(errno)));
  }
  struct stat info {};
  if (fstat(fd_, &info) != 0) {
    const int error = errno;
    Close();
    throw RegionError(RegionErrorKind::kCannotOpen, path_, RegionErrorWhere::Detail(std::strerror(error)));
  }
  if (!S_ISREG(info.st_mode)) {
    Close();
    throw RegionError(RegionErrorKind::kNotRegularFile, path_, RegionErrorWhere::Detail(KindOfFile(info.st_mode)));
  }
}

SourceStamp FileSource::Stamp() {
  timespec tick{};
  clock_getres(CLOCK_REALTIME_COARSE, &tick);
  for (int waited = 0;; ++waited) {
    struct stat info {};
    if (fd_ < 0 || fstat(fd_, &info) != 0) {
      throw RegionError(RegionErrorKind::kReadFailed, path_,
                        RegionErrorWhere::Detail(fd_ < 0 ? "the file is closed" : std::strerror(errno)));
    }
    const SourceStamp stamp{static_cast<std::uint64_t>(info.st_size), info.st_mtim.tv_sec,
                            info.st_mtim.tv_nsec, info.st_ctim.tv_sec, info.st_ctim.tv_nsec};
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    if (!StampMustWait(stamp, Nanoseconds(now), Nanoseconds(tick), waited)) return stamp;
    nanosleep(&tick, nullptr);
  }
}

FileSource::~FileSource() { Close(); }

void FileSource::Close() {
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
}

std::size_t FileSource::ReadAt(std::uint64_t offset, std::span<std::byte> out) {
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got = pread(fd_, out.data() + done, out.size() - done,
                              static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      throw RegionError(RegionErrorKind::kReadFailed, path_,
                        RegionErrorWhere::AtOffset(offset + done, std::strerror(errno)));
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

std::size_t SpanSource::ReadAt(std::uint64_t offset, std::span<std::byte> out) {
  if (offset >= bytes_.size()) return 0;
  const std::size_t n = std::min<std::size_t>(out.size(), bytes_.size() - offset);
  std::memcpy(out.data(), bytes_.data() + offset, n);
  return n;
}

}  // namespace geodata
