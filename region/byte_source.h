// Where a load takes its bytes from: a file on disk, or bytes already in
// memory (the fuzzer and tests). Both go through the same reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace geodata {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Copies up to out.size() bytes from offset; returns how many, 0 at the end.
  // Throws RegionError when the bytes cannot be read.
  virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) = 0;
  // Releases the source; a load calls it before it reports success.
  virtual void Close() {}
  // Whether the bytes may differ from those at the open (size or time of the
  // last change moved).
  virtual bool ChangedSinceOpen() const { return false; }
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

  std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override;
  void Close() override;
  bool ChangedSinceOpen() const override;
  const std::string& Name() const override { return path_; }

 private:
  struct Stamp {
    long long size = 0;
    long long modified_s = 0, modified_ns = 0;
    long long changed_s = 0, changed_ns = 0;
    bool operator==(const Stamp&) const = default;
  };
  bool StampNow(Stamp& stamp) const;

  std::string path_;
  int fd_ = -1;
  Stamp opened_;
};

class SpanSource final : public ByteSource {
 public:
  SpanSource(std::span<const std::byte> bytes, std::string name)
      : bytes_(bytes), name_(std::move(name)) {}
  std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override;
  const std::string& Name() const override { return name_; }

 private:
  std::span<const std::byte> bytes_;
  std::string name_;
};

}  // namespace geodata
