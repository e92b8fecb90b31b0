// The in-memory image of the loaded region: its header bytes and the dense
// table of block type words and values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "region/region_format.h"
#include "region/subscript_error.h"

namespace geodata {

class BlockStore {
 public:
  // Index bounds, inclusive.
  static constexpr int kHeaderMax = kHeaderBytes;   // Header(0..18)
  static constexpr int kBlockMax = kBlocks;         // i 0..65536
  static constexpr int kCellMax = kCells;           // j 0..64
  static constexpr int kLayerMax = kMaxLayers;      // k 0..16
  static constexpr std::size_t kRowLength = kBlockMax + 1;
  static constexpr std::size_t kRows = (kCellMax + 1) * (kLayerMax + 1);
  static constexpr std::size_t kElements = kRowLength * kRows;
  static_assert(kElements == 72'418'385);
  static constexpr std::size_t kBytes = kElements * sizeof(std::int16_t);

  // Zero-filled; pages cost memory only once written.
  BlockStore();
  ~BlockStore();
  BlockStore(const BlockStore&) = delete;
  BlockStore& operator=(const BlockStore&) = delete;

  std::uint8_t Header(int n) const { return header_[CheckHeader(n)]; }
  void SetHeader(int n, std::uint8_t value) { header_[CheckHeader(n)] = value; }

  std::int16_t Geo(int i, int j, int k) const { return table_[Position(i, j, k)]; }
  void SetGeo(int i, int j, int k, std::int16_t value) { table_[Position(i, j, k)] = value; }

  // All i for one (j, k): the unit in which the reader writes the table.
  std::span<std::int16_t, kRowLength> Row(int j, int k) {
    return std::span<std::int16_t, kRowLength>(table_ + RowStart(j, k), kRowLength);
  }
  std::span<const std::int16_t, kRowLength> Row(int j, int k) const {
    return std::span<const std::int16_t, kRowLength>(table_ + RowStart(j, k), kRowLength);
  }

 private:
  static int CheckHeader(int n);
  static std::size_t RowStart(int j, int k);
  static std::size_t Position(int i, int j, int k);

  std::uint8_t header_[kHeaderMax + 1] = {};
  std::int16_t* table_ = nullptr;
  void* table_base_ = nullptr;
  std::size_t mapped_bytes_ = 0;
};

}  // namespace geodata
