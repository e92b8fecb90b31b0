#include "region/block_store.h"

#include <cstdint>
#include <new>

#include "region/platform/memory.h"

namespace geodata {
namespace {

using platform::kHugePageBytes;

void CheckIndex(const char* index, int value, int high) {
  if (value < 0 || value > high) {
    throw SubscriptError("Geo", index, value, 0, high);
  }
}

}  // namespace

BlockStore::BlockStore() {
  // Fresh pages read as zero and take memory only once written; huge pages
  // make the first touch of the whole table cheap.
  const std::size_t bytes = kBytes;
  mapped_bytes_ = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes + kHugePageBytes;
  void* raw = platform::MapZeroedPages(mapped_bytes_);
  if (raw == nullptr) {
    throw std::bad_alloc();
  }
  // Start the table on a huge-page boundary; the slack stays untouched.
  auto address = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (address + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
  table_ = reinterpret_cast<std::int16_t*>(aligned);
  platform::AdviseHugePages(reinterpret_cast<void*>(aligned), bytes);
  table_base_ = raw;
}

BlockStore::~BlockStore() { platform::UnmapPages(table_base_, mapped_bytes_); }

int BlockStore::CheckHeader(int n) {
  if (n < 0 || n > kHeaderMax) {
    throw SubscriptError("Header", "n", n, 0, kHeaderMax);
  }
  return n;
}

std::size_t BlockStore::RowStart(int j, int k) {
  CheckIndex("j", j, kCellMax);
  CheckIndex("k", k, kLayerMax);
  return kRowLength * (static_cast<std::size_t>(j) + (kCellMax + 1) * static_cast<std::size_t>(k));
}

std::size_t BlockStore::Position(int i, int j, int k) {
  CheckIndex("i", i, kBlockMax);
  return RowStart(j, k) + static_cast<std::size_t>(i);
}

}  // namespace geodata
