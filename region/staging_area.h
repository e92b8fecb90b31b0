// Blocks on their way from the file's bytes to the block store's table. A
// group of blocks is staged by (layer slot, block, cell), so that each block
// fills a few whole cache lines as it is parsed; the flush turns 8 x 8 tiles,
// so that the table, whose rows run over the block index, is written in runs.
//
// Besides its type word in slot (0, 0), each kind of block sets
//   flat:        layer slot 1 of cells 1 and 2;
//   complex:     layer slot 1 of cells 1..64;
//   multilayer:  layer slots 0..count of cells 1..64, the count held to 0..16.
// Every other slot keeps what the table held. A block records its kind and
// counts as it is parsed, so nothing needs clearing between groups.
//
// What staging earns against a plain writer, and each trick below earns:
// docs/speed.md, "What the tricks earn", row "a plain writer" and the row
// named beside the trick.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "region/block_store.h"
#include "region/region_format.h"
#include "region/word_cursor.h"

namespace geodata {

class StagingArea {
 public:
  static constexpr int kGroupBlocks = 256;  // blocks staged before they go to the table
  static_assert(kBlocks % kGroupBlocks == 0);
  // Bytes past a cell's values that Layers may read.
  static constexpr std::size_t kReadPastBytes = 2 * kMaxLayers;

  // Looked up once per load rather than once per group.
  void FindRows(BlockStore& store);
  // The block of the group that the next values belong to.
  void SetBlock(int b) { block_ = b; }

  // What a block's parse finds, in file order.
  void Type(std::int16_t type) {
    type_[block_] = type;
    kind_[block_] = type == kFlatType ? kFlat : type == kComplexType ? kComplex : kMultilayer;
  }
  void Height(int j, std::int16_t height) { At(j, 1) = height; }
  void Count(int j, std::int16_t count) {
    At(j, 0) = count;
    count_[j][block_] = static_cast<std::int16_t>(std::clamp<int>(count, 0, kMaxLayers));
  }
  // Takes a run of 8 or 16 values, reading past the cell's count: a loop of
  // fixed length mispredicts no branch, and the flush takes only the slots up
  // to the count, so the surplus never reaches the table (row "a loop to the
  // count").
  void Layers(int j, int stored, const std::byte* values) {
    constexpr int kShortRun = kMaxLayers / 2;
    if (stored <= kShortRun) {
      for (int k = 1; k <= kShortRun; ++k) At(j, k) = Word(values + 2 * (k - 1));
    } else {
      for (int k = 1; k <= kMaxLayers; ++k) At(j, k) = Word(values + 2 * (k - 1));
    }
  }

  // Writes the group, which begins at block `first_block`, into the table.
  void Flush(int first_block);

 private:
  enum Kind : std::int16_t { kFlat, kComplex, kMultilayer };
  static constexpr int kTile = 8;
  static_assert(kGroupBlocks % kTile == 0 && kCells % kTile == 0);
  // Planes 32 KiB apart would share cache sets; two lines more spread them
  // (row "planes unpadded").
  static constexpr int kPlane = kGroupBlocks * kCells + 64;

  // The layer slots block b of the group writes in cell j, none when
  // low[b] > high[j][b]:
  //
  //                 low[b]   high[j][b], cells 1, 2   cells 3..64
  //   flat            1        1                        0 (none)
  //   complex         1        1                        1
  //   multilayer      0        the cell's count         the cell's count
  //
  // least_ and most_ are the least and the most of low and high[j] over the
  // group. Row (j, k) of a tile is written by some block when
  // least_low <= k <= most_high[j], and by every block when
  // most_low <= k <= least_high[j]: it is then stored whole, else merged with
  // what the table holds. (Kept as parallel arrays: as one record per cell,
  // the flush ran 6 % more instructions.)
  struct SlotRanges {
    alignas(64) std::int16_t low[kGroupBlocks];
    alignas(64) std::int16_t high[kCells + 1][kGroupBlocks];
    // high[j], or, when no block of the group is multilayer, the one row
    // that cells 1 and 2 share or the one that cells 3..64 share.
    const std::int16_t* high_row[kCells + 1];
    alignas(64) std::int16_t high_first_two[kGroupBlocks];  // flat and complex: 1, else 0
    alignas(64) std::int16_t high_others[kGroupBlocks];     // complex: 1, else 0
    std::int16_t least_low, most_low;
    std::int16_t least_high[kCells + 1], most_high[kCells + 1];
  };
  // Of the 8 cell rows of a tile (bit c: cell j + c), those some block
  // writes, and those every block writes.
  struct TileRows {
    unsigned written = 0;
    unsigned whole = 0;
  };
  // Layer slot k of cells j..j+7, for the whole group.
  struct TilePass {
    int k;
    int j;
    TileRows rows;
  };

  std::int16_t& At(int j, int k) { return value_[k][block_ * kCells + j - 1]; }
  void FindRanges();
  TileRows RowsOf(int k, int j) const;
  void Tile(const TilePass& pass, int b);

  alignas(64) std::int16_t value_[kMaxLayers + 1][kPlane];   // cell j at [b * 64 + j - 1]
  alignas(64) std::int16_t count_[kCells + 1][kGroupBlocks];  // multilayer blocks only
  alignas(64) std::int16_t type_[kGroupBlocks];
  alignas(64) std::int16_t kind_[kGroupBlocks];
  SlotRanges ranges_;
  std::int16_t* rows_[kMaxLayers + 1][kCells + 1] = {};  // the table's rows
  int block_ = 0;
  int first_block_ = 0;
};

}  // namespace geodata
