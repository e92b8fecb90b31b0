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
  std::int64_t modified_s = 0, modified_ns = 0;
  std::int64_t changed_s = 0, changed_ns = 0;
  bool operator==(const SourceStamp&) const = default;
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Throws RegionError when the source cannot be examined.
  virtual SourceStamp Stamp() = 0;
  // Copies up to out.size() bytes from offset; returns how many, 0 at the end.
  // Throws RegionError when the bytes cannot be read.
  virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) = 0;
  // Releases the source once its bytes are in memory.
  virtual void Close() {}
  virtual const std::string& Name() const = 0;
};

// A regular file, opened at construction. Anything else (missing, a directory,
// a FIFO, a device) is refused before a byte is read, so nothing can block.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(std::string path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  SourceStamp Stamp() override;
  std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override;
  void Close() override;
  const std::string& Name() const override { return path_; }

 private:
  std::string path_;
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
