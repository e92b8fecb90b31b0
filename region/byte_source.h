// Where a load takes its bytes from: a file on disk, or bytes already in
// memory (the fuzzer and tests). Both go through the same reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "region/platform/file.h"

namespace geodata {

// One version of a source's bytes. A read that begins and ends with equal
// stamps saw a single version: a writer moves the size or the times.
struct SourceStamp {
  std::uint64_t size = 0;
  platform::FileTime modified{}, changed{};
  bool operator==(const SourceStamp&) const = default;
};

// The coarse clock the system stamps file changes with, and a wait on it.
class StampClock {
 public:
  virtual ~StampClock() = default;
  virtual std::int64_t NowNs() = 0;
  virtual std::int64_t TickNs() = 0;
  virtual void Wait(std::int64_t ns) = 0;
  // The system's: it holds nothing.
  static StampClock& System();
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Throws RegionError when the source cannot be examined.
  virtual SourceStamp Stamp() = 0;
  // Copies up to out.size() bytes from offset; returns how many, 0 at the end.
  // Throws RegionError when the bytes cannot be read.
  virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) = 0;
  virtual const std::string& Name() const = 0;
};

// A regular file, opened at construction. Anything else (missing, a directory,
// a FIFO, a device) is refused before a byte is read, so no pipe or device
// can hold the load up; a share that stops answering still can, at any call.
// Its stamp is taken only once the clock's tick of its last change has
// passed (stamp_rule.h).
class FileSource final : public ByteSource {
 public:
  explicit FileSource(std::string path, StampClock& clock = StampClock::System());
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  SourceStamp Stamp() override;
  std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override;
  const std::string& Name() const override { return path_; }

 private:
  std::string path_;
  StampClock& clock_;
  platform::FileHandle file_ = platform::kNoFile;
};

class SpanSource final : public ByteSource {
 public:
  SpanSource(std::span<const std::byte> bytes, std::string name)
      : bytes_(bytes), name_(std::move(name)) {}
  SourceStamp Stamp() override { return {.size = bytes_.size()}; }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override;
  const std::string& Name() const override { return name_; }

 private:
  std::span<const std::byte> bytes_;
  std::string name_;
};

}  // namespace geodata
