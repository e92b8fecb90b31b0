// How a block's type and height become the colour of its point on the map.
// Inline, as the renderer calls it for every block.
#pragma once

#include <algorithm>
#include <cstdint>

#include "region/region_format.h"
#include "window/panels.h"

namespace geodata {

// Height threshold: flat values and halved complex values at or below it
// are drawn blue.
inline constexpr int kDeepThreshold = -3754;

// The rule's components, before they are limited to 0..255.
struct Components {
  std::int16_t red = 0;
  std::int16_t green = 0;
  std::int16_t blue = 0;
  friend bool operator==(const Components&, const Components&) = default;
};

namespace colour_rule_detail {

// Nearest integer, halves to the even neighbour: adding 1.5 * 2^52 leaves no
// fraction bits, so the default rounding mode does the rounding. It is
// quicker than std::nearbyint, a call into the maths library here:
// docs/speed.md, "What the tricks earn", the colour rule's rounding.
inline std::int16_t ToInt16(double value) {
  constexpr double kShift = 6755399441055744.0;
  return static_cast<std::int16_t>((value + kShift) - kShift);
}

inline std::uint8_t Saturate(std::int16_t component) {
  return static_cast<std::uint8_t>(std::clamp<int>(component, 0, 255));
}

inline constexpr Components kLayerColours[] = {
    {100, 100, 100},  // 0 or any count without its own colour
    {255, 255, 0},    // 1 layer
    {0, 255, 255},    // 2
    {255, 0, 0},      // 3
    {255, 0, 255},    // 4
    {200, 200, 200},  // 5
};

}  // namespace colour_rule_detail

// t: type word, v: Geo(i,1,1), c: Geo(i,1,0).
inline Components ColourComponents(std::int16_t t, std::int16_t v, std::int16_t c) {
  using colour_rule_detail::ToInt16;
  if (t == kFlatType) {
    if (v > kDeepThreshold) return {0, ToInt16(v / 25.0 + 256), 0};
    return {0, 0, ToInt16(v / 25.0 + 320)};
  }
  if (t == kComplexType) {
    if (v / 2.0 > kDeepThreshold) return {0, ToInt16(v / 50.0 + 256), 0};
    return {0, 0, ToInt16(v / 50.0 + 320)};
  }
  return colour_rule_detail::kLayerColours[(c >= 1 && c <= 5) ? c : 0];
}

// Forms the colour; components outside 0..255 saturate.
inline Colour Compose(Components components) {
  using colour_rule_detail::Saturate;
  return {Saturate(components.red), Saturate(components.green), Saturate(components.blue)};
}

}  // namespace geodata
