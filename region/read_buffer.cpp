#include "region/read_buffer.h"

#include "region/platform/memory.h"

#include <algorithm>
#include <cstdint>

namespace geodata {

using platform::kHugePageBytes;

ReadBuffer::~ReadBuffer() { Release(); }

bool ReadBuffer::Reserve(std::size_t bytes) {
  if (bytes > capacity_) {
    void* raw = platform::MapZeroedPages(bytes);
    if (raw == nullptr) return false;
    // Fewer page faults when a large file is read in.
    if (bytes >= kHugePageBytes) platform::AdviseHugePages(raw, bytes);
    Release();
    data_ = static_cast<std::byte*>(raw);
    capacity_ = bytes;
  }
  asked_ = bytes;
  return true;
}

void ReadBuffer::OfferPagesIfLarge() {
  if (asked_ <= kResidentBytes) return;
  // On to a huge page's end, so that offering them splits none.
  const auto start = reinterpret_cast<std::uintptr_t>(data_);
  const std::size_t end = (start + asked_ + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes - start;
  platform::OfferPages(data_, std::min(end, capacity_));
  asked_ = 0;
}

void ReadBuffer::Release() {
  if (data_ != nullptr) platform::UnmapPages(data_, capacity_);
  data_ = nullptr;
  capacity_ = 0;
  asked_ = 0;
}

}  // namespace geodata
