#include "region/byte_source.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "region/platform/file.h"
#include "region/region_error.h"

namespace geodata {
namespace {

// A file written all the time is read all the same; its stamp then tells.
constexpr int kTicksToWait = 4;

std::int64_t Nanoseconds(const platform::FileTime& t) { return t.s * 1'000'000'000 + t.ns; }

const platform::FileTime& Later(const platform::FileTime& a, const platform::FileTime& b) {
  return Nanoseconds(a) >= Nanoseconds(b) ? a : b;
}

// Whether `then` lies in the coarse clock's present tick or the one before;
// a fine-grained time may run up to a tick ahead of the coarse clock.
bool WithinTick(const platform::FileTime& then, const platform::FileTime& now, const platform::FileTime& tick) {
  const std::int64_t since = Nanoseconds(now) - Nanoseconds(then);
  return since > -Nanoseconds(tick) && since <= 2 * Nanoseconds(tick);
}

}  // namespace

FileSource::FileSource(std::string path) : path_(std::move(path)) {
  platform::FileStatus status;
  try {
    file_ = platform::OpenForReading(path_);
    status = platform::Examine(file_);
  } catch (const platform::SystemError& error) {
    Close();
    throw RegionError(RegionErrorKind::kCannotOpen, path_, RegionErrorWhere::Detail(error.what()));
  }
  if (!status.not_plain.empty()) {
    Close();
    throw RegionError(RegionErrorKind::kNotRegularFile, path_, RegionErrorWhere::Detail(status.not_plain));
  }
}

SourceStamp FileSource::Stamp() {
  // The system may stamp a change with its coarse clock, so a write in the
  // same tick as the last one can leave the times as they were. Waiting out
  // the tick of a fresh change makes any later write move them.
  const platform::FileTime tick = platform::CoarseTick();
  platform::FileStatus info;
  for (int wait = 0;; ++wait) {
    if (file_ == platform::kNoFile) {
      throw RegionError(RegionErrorKind::kReadFailed, path_, RegionErrorWhere::Detail("the file is closed"));
    }
    try {
      info = platform::Examine(file_);
    } catch (const platform::SystemError& error) {
      throw RegionError(RegionErrorKind::kReadFailed, path_, RegionErrorWhere::Detail(error.what()));
    }
    const platform::FileTime now = platform::CoarseNow();
    const platform::FileTime& last = Later(info.modified, info.changed);
    if (wait == kTicksToWait || !WithinTick(last, now, tick)) break;
    std::this_thread::sleep_for(std::chrono::nanoseconds(Nanoseconds(tick)));
  }
  return {info.size, info.modified.s, info.modified.ns, info.changed.s, info.changed.ns};
}

FileSource::~FileSource() { Close(); }

void FileSource::Close() {
  if (file_ != platform::kNoFile) {
    platform::CloseFile(file_);
    file_ = platform::kNoFile;
  }
}

std::size_t FileSource::ReadAt(std::uint64_t offset, std::span<std::byte> out) {
  std::size_t done = 0;
  while (done < out.size()) {
    std::size_t got = 0;
    try {
      got = platform::ReadSome(file_, offset + done, out.subspan(done));
    } catch (const platform::SystemError& error) {
      throw RegionError(RegionErrorKind::kReadFailed, path_, RegionErrorWhere::AtOffset(offset + done, error.what()));
    }
    if (got == 0) break;
    done += got;
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
