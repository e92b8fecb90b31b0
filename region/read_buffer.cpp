#include "region/read_buffer.h"

#include "region/platform/memory.h"

namespace geodata {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

ReadBuffer::~ReadBuffer() { Release(); }

bool ReadBuffer::Reserve(std::size_t bytes) {
  if (bytes <= capacity_) return true;
  void* raw = platform::MapZeroedPages(bytes);
  if (raw == nullptr) return false;
  // Fewer page faults when a large file is read in.
  if (bytes >= kHugePage) platform::AdviseHugePages(raw, bytes);
  Release();
  data_ = static_cast<std::byte*>(raw);
  capacity_ = bytes;
  return true;
}

void ReadBuffer::ReleaseIfLargerThan(std::size_t limit) {
  if (capacity_ > limit) Release();
}

void ReadBuffer::Release() {
  if (data_ != nullptr) platform::UnmapPages(data_, capacity_);
  data_ = nullptr;
  capacity_ = 0;
}

}  // namespace geodata
