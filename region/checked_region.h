// A region that passed the check, held in the reader's buffer: its header
// and its blocks, nothing after. When the region goes, the buffer offers its
// pages back if the file was larger than ReadBuffer::kResidentBytes.
#pragma once

#include <cstddef>
#include <span>
#include <utility>

#include "region/read_buffer.h"

namespace geodata {

class CheckedRegion {
 public:
  CheckedRegion(ReadBuffer& buffer, std::size_t length) : buffer_(&buffer), length_(length) {}
  ~CheckedRegion() {
    if (buffer_ != nullptr) buffer_->OfferPagesIfLarge();
  }
  CheckedRegion(CheckedRegion&& other) noexcept
      : buffer_(std::exchange(other.buffer_, nullptr)), length_(other.length_) {}
  CheckedRegion& operator=(CheckedRegion&&) = delete;
  CheckedRegion(const CheckedRegion&) = delete;
  CheckedRegion& operator=(const CheckedRegion&) = delete;

  std::span<const std::byte> Bytes() const { return {buffer_->Data(), length_}; }

 private:
  ReadBuffer* buffer_;
  std::size_t length_;
};

}  // namespace geodata
