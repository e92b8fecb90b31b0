// How a block's type and height become the colour of its point on the map.
#pragma once

#include <cstdint>

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

// t: type word, v: Geo(i,1,1), c: Geo(i,1,0).
Components ColourComponents(std::int16_t t, std::int16_t v, std::int16_t c);

// Forms the colour; components outside 0..255 saturate.
Colour Compose(Components components);

}  // namespace geodata
