// Synthetic sample regions: hills of complex blocks, plains of flat blocks,
// lakes below the water threshold, and bridges, caves and towns of multilayer
// blocks whose first cells hold 0 to 8 layers, so every map colour appears.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace geodata {

struct SampleRequest {
  std::uint8_t region_x = 20;  // header byte 0
  std::uint8_t region_y = 18;  // header byte 1
  std::uint64_t seed = 1;
};

// The bytes of a complete region file; the same request gives the same bytes.
// With one seed, hills and plains run on across the edges of adjacent regions.
std::vector<std::byte> GenerateSampleRegion(const SampleRequest& request);

}  // namespace geodata
