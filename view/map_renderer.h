// Paints the loaded region on the map panel, one point per block.
#pragma once

#include <cstdint>

#include "region/block_store.h"
#include "window/panels.h"

namespace geodata {

// The window's public block-column and block-row counters, which the
// renderer walks.
struct DrawCounters {
  std::int32_t X = 0;
  std::int16_t Y = 0;
};

// Throws OverflowError when a row position leaves 16 bits (Dm above 128);
// the points set before it stay.
void Draw_Geodata(const BlockStore& store, std::int16_t Dm, DrawCounters& counters, MapPanel& Map,
                  TextPanel& list);

}  // namespace geodata
