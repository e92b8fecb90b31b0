#include "testing/test_regions.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "tools/region_writer.h"

namespace geodata::testing {

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

}  // namespace geodata::testing
