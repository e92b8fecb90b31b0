// The units of the layout, the map and the pointer readout: twips, in which
// the window's places and the map's points are given, and where blocks and
// regions lie in the world.
#pragma once

#include <cstdint>

namespace geodata {

// The toolkit works in device-independent pixels, at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

constexpr int ToPixels(int twips) { return twips / kTwipsPerPixel; }

// The window's client area under its menu bar; the controls' places inside
// it are fixed.
inline constexpr int kClientWidth = 11040;
inline constexpr int kClientHeight = 10515;

// Dm from start-up on: twips between adjacent blocks' points (2 pixels).
inline constexpr std::int16_t kDisplayStep = 30;

inline constexpr int kWorldUnitsPerBlock = 128;
inline constexpr std::int32_t kWorldUnitsPerRegion = 32768;
inline constexpr int kOriginRegionX = 20;  // the region that begins at world X 0
inline constexpr int kOriginRegionY = 18;  // the region that begins at world Y 0

}  // namespace geodata
