#include "region/read_buffer.h"

#include <sys/mman.h>

namespace geodata {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

ReadBuffer::~ReadBuffer() { Release(); }

bool ReadBuffer::Reserve(std::size_t bytes) {
  if (bytes <= capacity_) return true;
  void* raw = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return false;
  // Fewer page faults when a large file is read in.
  if (bytes >= kHugePage) madvise(raw, bytes, MADV_HUGEPAGE);
  Release();
  data_ = static_cast<std::byte*>(raw);
  capacity_ = bytes;
  return true;
}

void ReadBuffer::ReleaseIfLargerThan(std::size_t limit) {
  if (capacity_ > limit) Release();
}

void ReadBuffer::Release() {
  if (data_ != nullptr) munmap(data_, capacity_);
  data_ = nullptr;
  capacity_ = 0;
}

}  // namespace geodata
