#include "region/staging_area.h"

#include <cstring>
#include <tuple>
#include <utility>
#include "region/lanes.h"

namespace geodata {
namespace {

// Blocks in one cache line of a table row.
constexpr int kLineBlocks = 64 / sizeof(std::int16_t);
static_assert(StagingArea::kGroupBlocks % kLineBlocks == 0);

// Least and greatest; written as plain loops, which run as vector code.
template <std::size_t N>
std::pair<std::int16_t, std::int16_t> Bounds(const std::int16_t (&v)[N]) {
  std::int16_t least = v[0];
  std::int16_t greatest = v[0];
  for (std::int16_t x : v) least = std::min(least, x);
  for (std::int16_t x : v) greatest = std::max(greatest, x);
  return {least, greatest};
}

}  // namespace

void StagingArea::FindRows(BlockStore& store) {
  for (int k = 0; k <= kMaxLayers; ++k) {
    for (int j = 0; j <= kCells; ++j) rows_[k][j] = store.Row(j, k).data();
  }
}

void StagingArea::FindRanges() {
  SlotRanges& r = ranges_;
  for (int b = 0; b < kGroupBlocks; ++b) {
    r.low[b] = kind_[b] == kMultilayer ? 0 : 1;
    r.high_first_two[b] = kind_[b] == kMultilayer ? 0 : 1;
    r.high_others[b] = kind_[b] == kComplex ? 1 : 0;
  }
  std::tie(r.least_low, r.most_low) = Bounds(r.low);
  if (r.least_low > 0) {
    const auto first_two = Bounds(r.high_first_two);
    const auto others = Bounds(r.high_others);
    for (int j = 1; j <= kCells; ++j) {
      r.high_row[j] = j <= kFlatValues ? r.high_first_two : r.high_others;
      std::tie(r.least_high[j], r.most_high[j]) = j <= kFlatValues ? first_two : others;
    }
    return;
  }
  for (int j = 1; j <= kCells; ++j) {
    const std::int16_t* plain = j <= kFlatValues ? r.high_first_two : r.high_others;
    const std::int16_t* count = count_[j];
    for (int b = 0; b < kGroupBlocks; ++b) {
      const std::int16_t from_count = count[b];
      const std::int16_t from_kind = plain[b];
      r.high[j][b] = kind_[b] == kMultilayer ? from_count : from_kind;
    }
    r.high_row[j] = r.high[j];
    std::tie(r.least_high[j], r.most_high[j]) = Bounds(r.high[j]);
  }
}

StagingArea::TileRows StagingArea::RowsOf(int k, int j) const {
  TileRows rows;
  for (int c = 0; c < kTile; ++c) {
    if (ranges_.least_low <= k && k <= ranges_.most_high[j + c]) rows.written |= 1U << c;
    if (ranges_.most_low <= k && k <= ranges_.least_high[j + c]) rows.whole |= 1U << c;
  }
  return rows;
}

// Writes the values of blocks b..b+7 for the pass's 8 cells.
inline void StagingArea::Tile(const TilePass& pass, int b) {
  const int k = pass.k;
  const int j = pass.j;
  const std::int16_t* from = value_[k] + b * kCells + j - 1;
  Lanes t[kTile];
  for (int i = 0; i < kTile; ++i) t[i] = Lanes::Load(from + i * kCells);
  Transpose(t);  // t[c] holds cell j + c of the 8 blocks
  const Lanes slot = Lanes::Fill(static_cast<std::int16_t>(k));
  const Lanes below = Lanes::Load(ranges_.low + b) > slot;
  for (int c = 0; c < kTile; ++c) {
    if ((pass.rows.written >> c & 1) == 0) continue;
    std::int16_t* to = rows_[k][j + c] + first_block_ + b;
    if ((pass.rows.whole >> c & 1) != 0) {
      t[c].Store(to);
      continue;
    }
    const Lanes keep = below | (slot > Lanes::Load(ranges_.high_row[j + c] + b));
    Lanes::Select(keep, Lanes::Load(to), t[c]).Store(to);
  }
}

void StagingArea::Flush(int first_block) {
  first_block_ = first_block;
  std::memcpy(rows_[0][0] + first_block, type_, sizeof type_);
  FindRanges();
  const int top = *std::max_element(ranges_.most_high + 1, ranges_.most_high + kCells + 1);
  for (int k = ranges_.least_low; k <= top; ++k) {
    for (int j = 1; j <= kCells; j += kTile) {
      const TilePass pass{k, j, RowsOf(k, j)};
      if (pass.rows.written == 0) continue;
      // The table's rows lie 128 KiB apart, too far for the hardware to
      // guess: fetch the next pass's 8 rows, a line of each every 32 blocks,
      // spread over this pass. A row is 65,537 slots long, so it rarely
      // starts on a line, and a group's 256 blocks touch 9 lines of it: the
      // first is shared with the group before, which left it in cache, so
      // the fetch runs a line ahead and takes the other 8, the last shared
      // with the group after (docs/speed.md, row "no prefetch").
      const bool last_column = j + kTile > kCells;
      const int next_k = last_column ? std::min(k + 1, kMaxLayers) : k;
      const int next_j = last_column ? 1 : j + kTile;
      for (int b = 0; b < kGroupBlocks; b += kTile) {
        if (b % kLineBlocks == 0) {
          for (int c = 0; c < kTile; ++c) {
            __builtin_prefetch(rows_[next_k][next_j + c] + first_block + b + kLineBlocks, 1);
          }
        }
        Tile(pass, b);
      }
    }
  }
}

}  // namespace geodata
