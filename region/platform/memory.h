// Pages of memory taken straight from the system, so that a large table or
// buffer costs only the pages written to it.
#pragma once

#include <cstddef>

namespace geodata::platform {

// The size of a huge page where the system has them (x86-64 and most arm64
// systems); regions aligned to it can be backed by one.
inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

// Zero-filled, readable and writable; null when the system has no room.
void* MapZeroedPages(std::size_t bytes);
// Gives back what MapZeroedPages returned, with the same size.
void UnmapPages(void* address, std::size_t bytes);
// A hint that the range is best backed by huge pages; ignored where the
// system has none for ordinary programs.
void AdviseHugePages(void* address, std::size_t bytes);
// Hands pages back lazily: they stay mapped and ours until the system needs
// the memory, then it takes them without writing them anywhere. What they
// hold afterwards is undefined until written again.
void OfferPages(void* address, std::size_t bytes);

}  // namespace geodata::platform
