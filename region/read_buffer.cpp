#include "region/read_buffer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>

namespace geodata {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Hands pages back lazily: they stay ours until the system needs the memory,
// and then it takes them without writing them anywhere. Kernels without the
// lazy kind drop them at once.
void OfferPages(std::byte* data, std::size_t bytes) {
#ifdef MADV_FREE
  if (madvise(data, bytes, MADV_FREE) == 0) return;
#endif
  madvise(data, bytes, MADV_DONTNEED);
}

}  // namespace

ReadBuffer::~ReadBuffer() { Release(); }

bool ReadBuffer::Reserve(std::size_t bytes) {
  if (bytes > capacity_) {
    void* raw = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return false;
    // Fewer page faults when a large file is read in.
    if (bytes >= kHugePage) madvise(raw, bytes, MADV_HUGEPAGE);
    Release();
    data_ = static_cast<std::byte*>(raw);
    capacity_ = bytes;
  }
  asked_ = bytes;
  return true;
}

void ReadBuffer::ReleaseIfLargerThan(std::size_t limit) {
  if (asked_ <= limit) return;
  // On to a huge page's end, so that offering them splits none.
  const auto start = reinterpret_cast<std::uintptr_t>(data_);
  const std::size_t end = (start + asked_ + kHugePage - 1) / kHugePage * kHugePage - start;
  OfferPages(data_, std::min(end, capacity_));
  asked_ = 0;
}

void ReadBuffer::Release() {
  if (data_ != nullptr) munmap(data_, capacity_);
  data_ = nullptr;
  capacity_ = 0;
  asked_ = 0;
}

}  // namespace geodata
