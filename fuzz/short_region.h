// Turns a short input into a whole region, so that a few hundred bytes reach
// every block kind, layer count and cut, and most loads get past the check.
//
// Input: region X, region Y, a 16-bit little-endian cut, then block bytes.
// Region: an 18-byte header starting with region X and Y (the rest zero),
// the block bytes, then zero bytes enough for 65,536 flat blocks: zeros read
// as flat blocks from any offset, so whatever the input's blocks leave off,
// the region ends whole, with bytes to spare after its last block. A cut c
// above 0 keeps only the first c - 1 bytes after the header.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace geodata {

inline constexpr std::size_t kShortRegionPrefix = 4;

// Writes the region into `region`, reusing its storage.
void ExpandShortRegion(std::span<const std::byte> input, std::vector<std::byte>& region);

}  // namespace geodata
