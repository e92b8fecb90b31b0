#include <sys/mman.h>

#include "region/platform/memory.h"

namespace geodata::platform {

void* MapZeroedPages(std::size_t bytes) {
  void* raw = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return raw == MAP_FAILED ? nullptr : raw;
}

void UnmapPages(void* address, std::size_t bytes) { munmap(address, bytes); }

void AdviseHugePages(void* address, std::size_t bytes) { madvise(address, bytes, MADV_HUGEPAGE); }

}  // namespace geodata::platform
