#include "view/colour_rule.h"

#include <algorithm>
#include <cmath>

#include "region/region_format.h"

namespace geodata {
namespace {

// Nearest integer, halves to the even neighbour (the default rounding mode).
std::int16_t ToInt16(double value) { return static_cast<std::int16_t>(std::lrint(value)); }

std::uint8_t Saturate(std::int16_t component) {
  return static_cast<std::uint8_t>(std::clamp<int>(component, 0, 255));
}

constexpr Components kLayerColours[] = {
    {100, 100, 100},  // 0 or any count without its own colour
    {255, 255, 0},    // 1 layer
    {0, 255, 255},    // 2
    {255, 0, 0},      // 3
    {255, 0, 255},    // 4
    {200, 200, 200},  // 5
};

}  // namespace

Components ColourComponents(std::int16_t t, std::int16_t v, std::int16_t c) {
  if (t == kFlatType) {
    if (v > kDeepThreshold) return {0, ToInt16(v / 25.0 + 256), 0};
    return {0, 0, ToInt16(v / 25.0 + 320)};
  }
  if (t == kComplexType) {
    if (v / 2.0 > kDeepThreshold) return {0, ToInt16(v / 50.0 + 256), 0};
    return {0, 0, ToInt16(v / 50.0 + 320)};
  }
  return (c >= 1 && c <= 5) ? kLayerColours[c] : kLayerColours[0];
}

Colour Compose(Components components) {
  return {Saturate(components.red), Saturate(components.green), Saturate(components.blue)};
}

}  // namespace geodata
