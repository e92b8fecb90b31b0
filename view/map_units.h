// The units the map and the pointer readout share: where adjacent blocks'
// points lie on the map, and where blocks and regions lie in the world.
#pragma once

#include <cstdint>

namespace geodata {

// Dm from start-up on: twips between adjacent blocks' points (2 pixels).
inline constexpr std::int16_t kDisplayStep = 30;

inline constexpr int kWorldUnitsPerBlock = 128;
inline constexpr std::int32_t kWorldUnitsPerRegion = 32768;
inline constexpr int kOriginRegionX = 20;  // the region that begins at world X 0
inline constexpr int kOriginRegionY = 18;  // the region that begins at world Y 0

}  // namespace geodata
