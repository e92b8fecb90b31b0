#include <sys/mman.h>

#include "region/platform/memory.h"

namespace geodata::platform {

void* MapZeroedPages(std::size_t bytes) {
  void* raw = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return raw == MAP_FAILED ? nullptr : raw;
}

void UnmapPages(void* address, std::size_t bytes) { munmap(address, bytes); }

void AdviseHugePages(void* address, std::size_t bytes) { madvise(address, bytes, MADV_HUGEPAGE); }

// Kernels without the lazy kind drop the pages at once.
void OfferPages(void* address, std::size_t bytes) {
#ifdef MADV_FREE
  if (madvise(address, bytes, MADV_FREE) == 0) return;
#endif
  madvise(address, bytes, MADV_DONTNEED);
}

}  // namespace geodata::platform
