#include "fuzz/short_region.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "region/region_format.h"

namespace geodata {

void ExpandShortRegion(std::span<const std::byte> input, std::vector<std::byte>& region) {
  std::array<std::byte, kShortRegionPrefix> prefix{};
  std::copy_n(input.begin(), std::min(input.size(), prefix.size()), prefix.begin());
  const std::span<const std::byte> blocks = input.subspan(std::min(input.size(), prefix.size()));
  const std::size_t cut = std::to_integer<std::size_t>(prefix[2]) |
                          std::to_integer<std::size_t>(prefix[3]) << 8;

  const std::size_t whole = kHeaderBytes + blocks.size() + kBlocks * kFlatBlockBytes;
  region.assign(cut == 0 ? whole : std::min(whole, kHeaderBytes + cut - 1), std::byte{0});
  region[0] = prefix[0];
  region[1] = prefix[1];
  const std::size_t kept = std::min(blocks.size(), region.size() - kHeaderBytes);
  std::copy_n(blocks.begin(), kept, region.begin() + kHeaderBytes);
}

}  // namespace geodata
