#include "region/byte_source.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "region/platform/file.h"
#include "region/region_error.h"
#include "region/scope_exit.h"
#include "region/stamp_rule.h"

namespace geodata {
namespace {

// Why a path that names no plain file is refused, in the same words on every
// system.
std::string WhatItIs(platform::FileKind kind) {
  switch (kind) {
    case platform::FileKind::kDirectory:
      return "it is a directory";
    case platform::FileKind::kPipe:
      return "it is a pipe";
    case platform::FileKind::kDevice:
      return "it is a device";
    case platform::FileKind::kSocket:
      return "it is a socket";
    case platform::FileKind::kPlain:  // never refused
    case platform::FileKind::kOther:
      break;
  }
  return "it is not a plain file";
}

class SystemClock final : public StampClock {
 public:
  std::int64_t NowNs() override { return platform::CoarseNow().Nanoseconds(); }
  std::int64_t TickNs() override { return platform::CoarseTick().Nanoseconds(); }
  void Wait(std::int64_t ns) override { std::this_thread::sleep_for(std::chrono::nanoseconds(ns)); }
};

}  // namespace

StampClock& StampClock::System() {
  static SystemClock clock;
  return clock;
}

FileSource::FileSource(std::string path, StampClock& clock) : path_(std::move(path)), clock_(clock) {
  // A constructor that throws runs no destructor.
  ScopeExit close([this] {
    if (file_ != platform::kNoFile) platform::CloseFile(file_);
  });
  platform::FileStatus status;
  try {
    file_ = platform::OpenForReading(path_);
    status = platform::Examine(file_);
  } catch (const platform::SystemError& error) {
    throw RegionError(RegionErrorKind::kCannotOpen, path_, RegionErrorWhere::Detail(error.what()));
  }
  if (status.kind != platform::FileKind::kPlain) {
    throw RegionError(RegionErrorKind::kNotRegularFile, path_, RegionErrorWhere::Detail(WhatItIs(status.kind)));
  }
  close.Dismiss();
}

SourceStamp FileSource::Stamp() {
  const std::int64_t tick = clock_.TickNs();
  for (int waited = 0;; ++waited) {
    platform::FileStatus info;
    try {
      info = platform::Examine(file_);
    } catch (const platform::SystemError& error) {
      throw RegionError(RegionErrorKind::kReadFailed, path_, RegionErrorWhere::Detail(error.what()));
    }
    const SourceStamp stamp{info.size, info.modified, info.changed};
    if (!StampMustWait(stamp, clock_.NowNs(), tick, waited)) return stamp;
    clock_.Wait(tick);
  }
}

FileSource::~FileSource() { platform::CloseFile(file_); }

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
