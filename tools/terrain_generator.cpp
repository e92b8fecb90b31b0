#include "tools/terrain_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

#include "region/region_format.h"
#include "tools/region_writer.h"
#include "tools/split_mix64.h"
#include "tools/terrain_noise.h"
#include "view/map_units.h"

namespace geodata {
namespace {

constexpr std::int16_t kLayeredType = 1;  // any word but the flat and complex ones
constexpr int kCellsPerSide = 8;
constexpr int kNoLayers = -1;  // the block is not multilayer

// Heights in flat-block units; complex blocks store twice the height.
constexpr double kLowland = -3500.0;
constexpr double kHighland = -150.0;
constexpr double kLakeFloor = -6500.0;
constexpr double kStorey = 160.0;  // between stacked layers
constexpr double kComplexScale = 2.0;

// Features live in separate zones of a 4 x 4 grid, so none hides another.
constexpr int kZoneSide = 64;
constexpr int kZonesPerSide = kBlocksPerSide / kZoneSide;
constexpr int kLakes = 3;
constexpr int kCaves = 3;
constexpr int kTowns = 2;

// Layer counts by meaning.
constexpr int kWall = 0;
constexpr int kPavement = 1;
constexpr int kBridge = 2;
constexpr int kCave = 3;
constexpr int kDeepCave = 4;
constexpr int kHouse = 5;
constexpr int kLowestTower = 6;
constexpr int kHighestTower = 8;

struct Lake {
  double col;
  double row;
  double radius;
  double depth = 0.0;
};

class Terrain {
 public:
  explicit Terrain(const SampleRequest& request)
      : relief_(request.seed, 96.0, 4),
        roughness_(request.seed ^ 0x5151, 40.0, 2),
        ripples_(request.seed ^ 0x7272, 3.0, 2),
        world_col_((request.region_x - kOriginRegionX) * kBlocksPerSide),
        world_row_((request.region_y - kOriginRegionY) * kBlocksPerSide) {}

  void AddLake(Lake lake) {
    lake.depth = std::max(0.0, Land(lake.col, lake.row) - kLakeFloor);
    lakes_.push_back(lake);
  }

  // Ground height at a position in blocks within the region.
  double Height(double col, double row) const {
    double height = Land(col, row);
    for (const Lake& lake : lakes_) {
      const double t = std::hypot(col - lake.col, row - lake.row) / lake.radius;
      if (t < 1.0) height -= lake.depth * (1.0 - t * t);
    }
    return height;
  }

  bool Hilly(int col, int row) const {
    return roughness_.At(world_col_ + col, world_row_ + row) > 0.5;
  }

 private:
  double Land(double col, double row) const {
    const double x = world_col_ + col;
    const double y = world_row_ + row;
    const double rise = std::clamp((relief_.At(x, y) - 0.2) / 0.6, 0.0, 1.0);
    return kLowland + (kHighland - kLowland) * rise + 120.0 * (ripples_.At(x, y) - 0.5);
  }

  TerrainNoise relief_;
  TerrainNoise roughness_;
  TerrainNoise ripples_;
  // World placement, so that one seed joins adjacent regions.
  int world_col_;
  int world_row_;
  std::vector<Lake> lakes_;
};

// Layer counts of every block, kNoLayers where the block is not multilayer.
class LayerPlan {
 public:
  LayerPlan() : layers_(kBlocks, kNoLayers) {}

  void Fill(int col, int row, int cols, int rows, int layers) {
    for (int c = col; c < col + cols; ++c) {
      for (int r = row; r < row + rows; ++r) layers_[c * kBlocksPerSide + r] = layers;
    }
  }
  void Set(int col, int row, int layers) { layers_[col * kBlocksPerSide + row] = layers; }
  int At(int block) const { return layers_[block]; }

 private:
  std::vector<int> layers_;
};

// A bridge of two layers (deck and ground) across the lake's middle.
void PlanBridge(const Lake& lake, LayerPlan& plan) {
  const int from = static_cast<int>(lake.col - lake.radius) - 2;
  const int length = static_cast<int>(2.0 * lake.radius) + 4;
  plan.Fill(from, static_cast<int>(lake.row), length, 2, kBridge);
}

// A cave under the surface, with a lower level in its heart.
void PlanCave(int col, int row, TerrainDice& dice, LayerPlan& plan) {
  const int rx = dice.Between(4, 8);
  const int ry = dice.Between(4, 8);
  for (int dc = -rx; dc <= rx; ++dc) {
    for (int dr = -ry; dr <= ry; ++dr) {
      const double t = std::hypot(static_cast<double>(dc) / rx, static_cast<double>(dr) / ry);
      if (t < 0.5) {
        plan.Set(col + dc, row + dr, kDeepCave);
      } else if (t < 1.0) {
        plan.Set(col + dc, row + dr, kCave);
      }
    }
  }
}

// Paved ground inside a wall, with houses and towers on a grid of lots.
void PlanTown(int col, int row, int cols, int rows, TerrainDice& dice, LayerPlan& plan) {
  plan.Fill(col, row, cols, rows, kWall);
  plan.Fill(col + 1, row + 1, cols - 2, rows - 2, kPavement);
  constexpr int kLot = 5;
  int lot = 0;
  for (int c = col + 2; c + kLot <= col + cols - 1; c += kLot) {
    for (int r = row + 2; r + kLot <= row + rows - 1; r += kLot, ++lot) {
      // The first two lots always build, so each town has a house and a tower.
      const int kind = lot < 2 ? lot : dice.Between(0, 3);
      if (kind == 0) {
        const int cols = dice.Between(2, 3);
        plan.Fill(c, r, cols, dice.Between(2, 3), kHouse);
      } else if (kind == 1) {
        plan.Fill(c + 1, r + 1, 2, 2, dice.Between(kLowestTower, kHighestTower));
      }
    }
  }
}

// Places lakes, caves and towns in distinct zones; lakes shape the terrain.
// Each throw of the dice is its own statement: argument order is unspecified.
LayerPlan PlanFeatures(TerrainDice& dice, Terrain& terrain) {
  std::array<int, kZonesPerSide * kZonesPerSide> zones{};
  std::iota(zones.begin(), zones.end(), 0);
  for (int i = static_cast<int>(zones.size()) - 1; i > 0; --i) {
    std::swap(zones[i], zones[dice.Between(0, i)]);
  }
  int next = 0;
  auto zone_origin = [&](int& col, int& row) {
    const int zone = zones[next++];
    col = (zone / kZonesPerSide) * kZoneSide;
    row = (zone % kZonesPerSide) * kZoneSide;
  };

  LayerPlan plan;
  int col = 0;
  int row = 0;
  for (int n = 0; n < kLakes; ++n) {
    zone_origin(col, row);
    const int radius = dice.Between(14, 24);
    const int centre_col = col + dice.Between(radius + 4, kZoneSide - radius - 5);
    const int centre_row = row + dice.Between(radius + 4, kZoneSide - radius - 5);
    const Lake lake{static_cast<double>(centre_col), static_cast<double>(centre_row),
                    static_cast<double>(radius)};
    terrain.AddLake(lake);
    PlanBridge(lake, plan);
  }
  for (int n = 0; n < kCaves; ++n) {
    zone_origin(col, row);
    const int centre_col = col + dice.Between(10, kZoneSide - 11);
    PlanCave(centre_col, row + dice.Between(10, kZoneSide - 11), dice, plan);
  }
  for (int n = 0; n < kTowns; ++n) {
    zone_origin(col, row);
    const int cols = dice.Between(16, 28);
    const int rows = dice.Between(12, 20);
    const int west = col + dice.Between(2, kZoneSide - cols - 2);
    PlanTown(west, row + dice.Between(2, kZoneSide - rows - 2), cols, rows, dice, plan);
  }
  return plan;
}

std::int16_t ToValue(double value) { return static_cast<std::int16_t>(std::lround(value)); }

// Cell j (0-based) lies at column j / 8, row j % 8 of its block.
void WriteComplex(const Terrain& terrain, int col, int row, RegionWriter& writer) {
  std::array<std::int16_t, kCells> heights{};
  for (int j = 0; j < kCells; ++j) {
    const double c = col + (j / kCellsPerSide + 0.5) / kCellsPerSide;
    const double r = row + (j % kCellsPerSide + 0.5) / kCellsPerSide;
    heights[j] = ToValue(kComplexScale * terrain.Height(c, r));
  }
  writer.Complex(heights);
}

// Layers from the top down, one storey apart, standing on the ground.
void WriteMultilayer(double ground, int layers, RegionWriter& writer) {
  std::vector<std::int16_t> values;
  for (int k = layers - 1; k >= 0; --k) values.push_back(ToValue(kComplexScale * (ground + k * kStorey)));
  const std::vector<LayerCell> cells(kCells, LayerCell::Of(values));
  writer.Multilayer(kLayeredType, cells);
}

}  // namespace

std::vector<std::byte> GenerateSampleRegion(const SampleRequest& request) {
  TerrainDice dice(SplitMix64(request.seed) ^ (request.region_x << 8 | request.region_y));
  Terrain terrain(request);
  const LayerPlan plan = PlanFeatures(dice, terrain);

  std::array<std::uint8_t, kHeaderBytes> header{};
  header[0] = request.region_x;
  header[1] = request.region_y;
  RegionWriter writer(header);
  for (int block = 0; block < kBlocks; ++block) {
    const int col = BlockColumn(block);
    const int row = BlockRow(block);
    const double ground = terrain.Height(col + 0.5, row + 0.5);
    if (plan.At(block) != kNoLayers) {
      WriteMultilayer(ground, plan.At(block), writer);
    } else if (terrain.Hilly(col, row)) {
      WriteComplex(terrain, col, row, writer);
    } else {
      writer.Flat(ToValue(ground), ToValue(ground));
    }
  }
  return writer.Take();
}

}  // namespace geodata
