// Reads a region's 16-bit little-endian words in order, never past the bytes
// there are. A read that finds fewer words than it asks for takes those there
// are and stops at the first one missing, so that where a file is cut short
// follows from where the cursor stands.
#pragma once

#include <cstddef>
#include <cstdint>

namespace geodata {

inline std::int16_t Word(const std::byte* at) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(at[0]) |
                                   static_cast<std::uint16_t>(static_cast<std::uint16_t>(at[1]) << 8));
}

class WordCursor {
 public:
  WordCursor(const std::byte* data, std::size_t size, std::size_t at) : data_(data), size_(size), at_(at) {}

  // False, the cursor staying, when the bytes end before the word does.
  bool Read(std::int16_t& word) {
    if (size_ - at_ < 2) return false;
    word = Word(data_ + at_);
    at_ += 2;
    return true;
  }
  // Points `first` at the next `words` words. False when fewer are there,
  // the cursor then standing at the first one missing.
  bool Take(int words, const std::byte*& first) {
    const std::size_t bytes = 2 * static_cast<std::size_t>(words);
    if (size_ - at_ < bytes) {
      at_ += (size_ - at_) / 2 * 2;
      return false;
    }
    first = data_ + at_;
    at_ += bytes;
    return true;
  }
  // More of the same bytes have arrived.
  void Extend(std::size_t size) { size_ = size; }

  std::size_t at() const { return at_; }  // offset of the next word

 private:
  const std::byte* data_;
  std::size_t size_;
  std::size_t at_;
};

}  // namespace geodata
