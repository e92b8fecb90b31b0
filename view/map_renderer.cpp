#include "view/map_renderer.h"

#include <limits>
#include <string>

#include "view/colour_rule.h"
#include "view/overflow_error.h"

namespace geodata {
namespace {

std::int16_t CheckedProduct(std::int16_t a, std::int16_t b) {
  const std::int32_t product = std::int32_t{a} * std::int32_t{b};
  if (product < std::numeric_limits<std::int16_t>::min() ||
      product > std::numeric_limits<std::int16_t>::max()) {
    throw OverflowError("block row " + std::to_string(a) + " times display step " +
                        std::to_string(b) + " does not fit in 16 bits");
  }
  return static_cast<std::int16_t>(product);
}

}  // namespace

void Draw_Geodata(const BlockStore& store, std::int16_t Dm, DrawCounters& counters, MapPanel& Map,
                  TextPanel& list) {
  list.Print({"Drawing Geodata...."});
  const auto type = store.Row(0, 0);
  const auto value = store.Row(1, 1);
  const auto count = store.Row(1, 0);
  for (counters.X = 0; counters.X < kBlocksPerSide; ++counters.X) {
    const float x = static_cast<float>(counters.X * std::int32_t{Dm});
    for (counters.Y = 0; counters.Y < kBlocksPerSide; ++counters.Y) {
      const std::size_t i = static_cast<std::size_t>(counters.X * kBlocksPerSide + counters.Y);
      const Colour colour = Compose(ColourComponents(type[i], value[i], count[i]));
      Map.PSet(x, static_cast<float>(CheckedProduct(counters.Y, Dm)), colour);
    }
  }
}

}  // namespace geodata
