// What is wrong with a region file or with reading it: a closed set of
// kinds. Those found in the bytes name the block, cell and offset; the others
// carry what the system said, or nothing. A load can also end in
// std::bad_alloc, or in what its opener or its progress throws (the window's
// own stops a load when the window closes).
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace geodata {

enum class RegionErrorKind {
  kCannotOpen,         // missing, no permission
  kNotRegularFile,     // a directory, a FIFO, a device
  kReadFailed,         // the system could not read or examine the open file
  kTruncatedHeader,    // the file ends inside the 18 header bytes
  kTruncatedBlock,     // the file ends before the 65,536th block is complete
  kLayerCountTooLarge, // a cell declares more layers than a cell can hold
  kFileChanged,        // the file kept changing while it was being read
  kOutOfMemory,        // no memory to read the file in
};

// A short description of the kind, without the location.
std::string Describe(RegionErrorKind kind);

struct RegionErrorWhere {
  std::optional<int> block;            // 0..65535
  std::optional<int> cell;             // 1..64
  std::optional<int> count;            // the layer count found
  std::optional<std::uint64_t> offset; // byte offset in the file
  std::optional<std::uint64_t> size;   // bytes the file holds
  std::string detail;                  // e.g. the operating system's reason

  static RegionErrorWhere Detail(std::string text) {
    RegionErrorWhere w;
    w.detail = std::move(text);
    return w;
  }
  static RegionErrorWhere AtOffset(std::uint64_t at, std::string text = {}) {
    RegionErrorWhere w;
    w.offset = at;
    w.detail = std::move(text);
    return w;
  }
};

class RegionError : public std::runtime_error {
 public:
  RegionError(RegionErrorKind kind, std::string file, RegionErrorWhere where);

  RegionErrorKind kind() const { return kind_; }
  const std::string& file() const { return file_; }
  const RegionErrorWhere& where() const { return where_; }

 private:
  RegionErrorKind kind_;
  std::string file_;
  RegionErrorWhere where_;
};

}  // namespace geodata
