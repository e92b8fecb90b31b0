#include "testing/test_regions.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <system_error>

#include "tools/region_writer.h"
#include "tools/split_mix64.h"

namespace geodata::testing {
namespace {

constexpr std::uint64_t kSeed = 0x5eed'6e0d'a7a0'0001;
constexpr int kMixedMaxLayers = 8;

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() { return SplitMix64Next(state_); }
  std::int16_t Value() { return static_cast<std::int16_t>(Next() & 0xFFFF); }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

 private:
  std::uint64_t state_;
};

// Any type word that makes a block multilayer, negative ones included.
std::int16_t MultilayerType(Random& random) {
  std::int16_t t = random.Value();
  while (t == kFlatType || t == kComplexType) t = random.Value();
  return t;
}

void AddComplex(RegionWriter& writer, Random& random) {
  std::array<std::int16_t, kCells> heights{};
  for (std::int16_t& h : heights) h = random.Value();
  writer.Complex(heights);
}

void AddMultilayer(RegionWriter& writer, Random& random, std::array<LayerCell, kCells>& cells,
                   int min_layers, int max_layers) {
  for (LayerCell& cell : cells) {
    cell.count = static_cast<std::int16_t>(min_layers + random.Below(max_layers - min_layers + 1));
    cell.values.resize(static_cast<std::size_t>(cell.count));
    for (std::int16_t& v : cell.values) v = random.Value();
  }
  writer.Multilayer(MultilayerType(random), cells);
}

}  // namespace

std::vector<std::byte> FlatRegion(const RegionHeader& header, const BlockValue& first,
                                  const BlockValue& second) {
  RegionWriter region(header);
  for (int i = 0; i < kBlocks; ++i) region.Flat(first(i), second(i));
  return region.Take();
}

std::vector<std::byte> ComplexRegion(const RegionHeader& header, const BlockValue& height) {
  RegionWriter region(header);
  for (int i = 0; i < kBlocks; ++i) region.Complex(height(i));
  return region.Take();
}

std::vector<std::byte> MixedRegion(std::uint8_t region_x, std::uint8_t region_y, int shift) {
  RegionWriter region({region_x, region_y});
  region.Flat(-3753).Flat(-3754);
  for (int i = 2; i < kBlocks - 1; ++i) {
    const int kind = (i + shift) % 16;
    if (kind == 0) {
      region.Complex(static_cast<std::int16_t>(-9000 + (i * 7) % 9000));
    } else if (kind == 1) {
      region.Multilayer(static_cast<std::int16_t>(i % 2 ? 1 : -1), static_cast<std::int16_t>((i / 16) % 7), 5);
    } else {
      region.Flat(static_cast<std::int16_t>(-6000 + (i * 13 + shift) % 6100));
    }
  }
  region.Multilayer(1000, 5, 0);
  return region.Take();
}

std::vector<std::byte> RegionWithCount(std::int16_t count, int block, int cell, std::optional<int> held) {
  RegionWriter region;
  while (region.blocks() < block) region.Flat(0, 0);
  std::vector<LayerCell> cells(kCells, LayerCell::Of({1}));
  cells[cell - 1].count = count;
  cells[cell - 1].values.assign(held.value_or(std::max<int>(count, 0)), 5);
  region.Multilayer(3, cells);
  return region.FillFlat().Take();
}

std::string WriteWorstCaseRegion(const TempDir& dir, const std::string& name, const RegionHeader& header,
                                 int value_step) {
  RegionWriter group(header);
  for (int b = 0; b < kWorstCaseGroup; ++b) {
    group.Multilayer(static_cast<std::int16_t>(-1 - b), kMaxLayers, static_cast<std::int16_t>(value_step * b));
  }
  // 142 MB: written a group at a time rather than built in memory.
  const std::string path = (dir.path() / name).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const auto& bytes = group.bytes();
  out.write(reinterpret_cast<const char*>(bytes.data()), kHeaderBytes);
  for (int i = 0; i < kBlocks / kWorstCaseGroup; ++i) {
    out.write(reinterpret_cast<const char*>(bytes.data() + kHeaderBytes),
              static_cast<std::streamsize>(bytes.size() - kHeaderBytes));
  }
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

std::string_view Name(BenchRegion region) {
  switch (region) {
    case BenchRegion::kFlat: return "flat";
    case BenchRegion::kComplex: return "complex";
    case BenchRegion::kMixed: return "mixed";
    case BenchRegion::kWorst: return "worst";
  }
  throw std::invalid_argument("unknown bench region");
}

void PrintTo(BenchRegion region, std::ostream* out) { *out << Name(region); }

std::vector<std::byte> MakeBenchRegion(BenchRegion region) {
  Random random(kSeed + static_cast<std::uint64_t>(region));
  std::array<std::uint8_t, kHeaderBytes> header{};
  for (std::uint8_t& b : header) b = static_cast<std::uint8_t>(random.Next());
  RegionWriter writer(header);
  std::array<LayerCell, kCells> cells{};
  for (int block = 0; block < kBlocks; ++block) {
    switch (region) {
      case BenchRegion::kFlat:
        writer.Flat(random.Value(), random.Value());
        break;
      case BenchRegion::kComplex:
        AddComplex(writer, random);
        break;
      case BenchRegion::kMixed: {
        const int pick = random.Below(4);
        if (pick < 2) {
          AddComplex(writer, random);
        } else if (pick == 2) {
          writer.Flat(random.Value(), random.Value());
        } else {
          AddMultilayer(writer, random, cells, 1, kMixedMaxLayers);
        }
        break;
      }
      case BenchRegion::kWorst:
        AddMultilayer(writer, random, cells, kMaxLayers, kMaxLayers);
        break;
    }
  }
  return writer.Take();
}

std::filesystem::path BenchRegionFile(BenchRegion region, const std::filesystem::path& folder) {
  const auto path = folder / (std::string(Name(region)) + ".dat");
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  const std::vector<std::byte> bytes = MakeBenchRegion(region);
  if (error || size != bytes.size()) {
    std::filesystem::create_directories(folder);
    WriteRegionFile(path, bytes);
  }
  return path;
}

}  // namespace geodata::testing
