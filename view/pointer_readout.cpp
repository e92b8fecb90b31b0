#include "view/pointer_readout.h"

#include <cmath>
#include <string_view>

#include "view/credits.h"
#include "view/map_units.h"

namespace geodata {
namespace {

// Block number along one axis; the quotient stays in double precision.
double BlockNumber(float position, std::int16_t Dm) {
  return std::floor(static_cast<double>(position) / static_cast<double>(static_cast<float>(Dm)));
}

double WorldOrigin(std::uint8_t region, int origin_region) {
  const auto offset = static_cast<std::int16_t>(region - origin_region);
  return static_cast<double>(std::int32_t{offset} * kWorldUnitsPerRegion);
}

struct PointerPosition {
  double column = 0;   // block column, floor(x / Dm)
  double row = 0;      // block row, floor(y / Dm)
  double world_x = 0;  // least world X of that block
  double world_y = 0;
};

// x, y in the map's twips; Dm must not be 0.
PointerPosition Locate(float x, float y, std::int16_t Dm, std::uint8_t region_x, std::uint8_t region_y) {
  PointerPosition p;
  p.column = BlockNumber(x, Dm);
  p.row = BlockNumber(y, Dm);
  p.world_x = p.column * kWorldUnitsPerBlock + WorldOrigin(region_x, kOriginRegionX);
  p.world_y = p.row * kWorldUnitsPerBlock + WorldOrigin(region_y, kOriginRegionY);
  return p;
}

// The items of the first line, which names the region.
constexpr std::string_view kRegionLabel = "Map: ";
constexpr std::string_view kRegionSeparator = "_";

}  // namespace

std::string RegionName(std::uint8_t region_x, std::uint8_t region_y) {
  return ComposeLine(
      {kRegionLabel, static_cast<double>(region_x), kRegionSeparator, static_cast<double>(region_y)});
}

void Map_MouseMove(std::int16_t /*Button*/, std::int16_t /*Shift*/, float x, float y,
                   const BlockStore& store, std::int16_t Dm, TextPanel& list) {
  const std::uint8_t region_x = store.Header(1);
  const std::uint8_t region_y = store.Header(2);
  const PointerPosition p = Locate(x, y, Dm, region_x, region_y);
  // Column and row are shown as single-precision values.
  const double column = static_cast<float>(p.column);
  const double row = static_cast<float>(p.row);

  list.Cls();
  list.Print({RegionName(region_x, region_y)});
  list.Print();
  list.Print({" World_X: ", p.world_x});
  list.Print({" World_Y: ", p.world_y});
  list.Print();
  list.Print({column, " ", row});
  list.Print();
  list.Print({kWebAddress});
  list.Print();
  list.Print({kDeveloperLine});
  list.Print({kAuthorEmail});
  list.Print({kSupportEmail});
  list.Print();
}

}  // namespace geodata
