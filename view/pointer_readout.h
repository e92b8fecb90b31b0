// The readout of the block under the pointer: region name, world coordinates,
// block column and row, and the maker's lines.
#pragma once

#include <cstdint>
#include <string>

#include "region/block_store.h"
#include "window/panels.h"

namespace geodata {

// The readout's first line, which names the region: "Map:  22 _ 22 ".
std::string RegionName(std::uint8_t region_x, std::uint8_t region_y);

// Button and Shift are ignored: the readout is the same whatever is held.
void Map_MouseMove(std::int16_t Button, std::int16_t Shift, float x, float y,
                   const BlockStore& store, std::int16_t Dm, TextPanel& list);

}  // namespace geodata
