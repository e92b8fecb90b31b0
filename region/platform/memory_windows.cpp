#include <windows.h>

#include "region/platform/memory.h"

namespace geodata::platform {

// Committed pages read as zero and take physical memory only when touched.
void* MapZeroedPages(std::size_t bytes) {
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void UnmapPages(void* address, std::size_t) { VirtualFree(address, 0, MEM_RELEASE); }

// Large pages need a privilege ordinary users lack, and are never paged out.
void AdviseHugePages(void*, std::size_t) {}

// The pages stay committed; the system may drop their contents instead of
// paging them out. Unlocking pages that were never locked takes them out of
// the working set, so they no longer count as held.
void OfferPages(void* address, std::size_t bytes) {
  VirtualAlloc(address, bytes, MEM_RESET, PAGE_READWRITE);
  VirtualUnlock(address, bytes);
}

}  // namespace geodata::platform
