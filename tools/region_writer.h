// Builds region files block by block: for tests, samples, benchmarks and the
// fuzzer's seeds. The viewer itself never writes a region file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "region/region_format.h"

namespace geodata {

// One cell of a multilayer block. The count is written as given, so a cell
// may declare more or fewer values than it carries.
struct LayerCell {
  std::int16_t count = 0;
  std::vector<std::int16_t> values;
  static LayerCell Of(std::vector<std::int16_t> values) {
    return {static_cast<std::int16_t>(values.size()), std::move(values)};
  }
};

class RegionWriter {
 public:
  explicit RegionWriter(std::array<std::uint8_t, kHeaderBytes> header = {});

  RegionWriter& Flat(std::int16_t first, std::int16_t second = 0);
  RegionWriter& Complex(std::span<const std::int16_t, kCells> heights);
  RegionWriter& Complex(std::int16_t height);  // every cell the same
  // cells.size() must be 64.
  RegionWriter& Multilayer(std::int16_t type, std::span<const LayerCell> cells);
  // Every cell `layers` values of `value`.
  RegionWriter& Multilayer(std::int16_t type, std::int16_t layers, std::int16_t value);
  RegionWriter& Word(std::int16_t value);

  // Flat blocks (0, 0) until the region holds all 65,536 blocks.
  RegionWriter& FillFlat();

  int blocks() const { return blocks_; }
  std::size_t size() const { return bytes_.size(); }
  const std::vector<std::byte>& bytes() const { return bytes_; }
  std::vector<std::byte> Take() { return std::move(bytes_); }

 private:
  std::vector<std::byte> bytes_;
  int blocks_ = 0;
};

// Writes bytes to path, replacing the file.
void WriteRegionFile(const std::filesystem::path& path, std::span<const std::byte> bytes);

}  // namespace geodata
