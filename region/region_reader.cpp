#include "region/region_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#if defined(__SSE2__) && !defined(GEODATA_PLAIN_TILES)
#include <emmintrin.h>
#endif

#include "region/region_error.h"

namespace geodata {
namespace {

// The file is read in pieces of this size, so that a load stops reading
// shortly after the last block however long the file is.
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
// Room past the file's bytes that may be looked at: a cell's values are
// staged in runs of fixed length, whatever its count.
constexpr std::size_t kReadSlack = 2 * kMaxLayers;
constexpr int kGroupBlocks = 256;  // blocks staged before they go to the table
static_assert(kBlocks % kGroupBlocks == 0 && kGroupBlocks % 64 == 0);

inline std::int16_t Word(const std::byte* at) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(at[0]) |
                                   static_cast<std::uint16_t>(static_cast<std::uint16_t>(at[1]) << 8));
}

struct Fault {
  RegionErrorKind kind;
  int cell = 0;  // 0: the block as a whole
  int count = 0;
  std::size_t at = 0;  // offset within the block
};

// Parses one block from `avail` bytes. Returns the bytes it takes, or a fault.
// The sink sees every value in file order.
template <class Sink>
bool ParseBlock(const std::byte* data, std::size_t avail, Sink& sink, std::size_t& used,
                Fault& fault) {
  auto cut = [&](int cell, std::size_t at) {
    fault = {RegionErrorKind::kTruncatedBlock, cell, 0, at};
    return false;
  };
  if (avail < 2) return cut(0, 0);
  const std::int16_t type = Word(data);
  sink.Type(type);
  if (type == kFlatType) {
    if (avail < kFlatBlockBytes) return cut(avail < 4 ? 1 : 2, avail < 4 ? 2 : 4);
    sink.Flat(Word(data + 2), Word(data + 4));
    used = kFlatBlockBytes;
    return true;
  }
  if (type == kComplexType) {
    if (avail < kComplexBlockBytes) {
      const int whole = static_cast<int>((avail - 2) / 2);
      return cut(whole + 1, 2 + 2 * static_cast<std::size_t>(whole));
    }
    for (int j = 1; j <= kCells; ++j) sink.Height(j, Word(data + 2 * j));
    used = kComplexBlockBytes;
    return true;
  }
  std::size_t at = 2;
  for (int j = 1; j <= kCells; ++j) {
    if (avail - at < 2) return cut(j, at);
    const std::int16_t count = Word(data + at);
    const std::size_t count_at = at;
    at += 2;
    sink.Count(j, count);
    const int stored = std::clamp<int>(count, 0, kMaxLayers);
    if (avail - at < 2 * static_cast<std::size_t>(stored)) {
      return cut(j, at + (avail - at) / 2 * 2);
    }
    if (count > kMaxLayers) {
      fault = {RegionErrorKind::kLayerCountTooLarge, j, count, count_at};
      return false;
    }
    sink.Layers(j, stored, data + at);
    at += 2 * static_cast<std::size_t>(stored);
  }
  used = at;
  return true;
}

struct CheckSink {
  void Type(std::int16_t) {}
  void Flat(std::int16_t, std::int16_t) {}
  void Height(int, std::int16_t) {}
  void Count(int, std::int16_t) {}
  void Layers(int, int, const std::byte*) {}
};

RegionError Located(const ByteSource& source, int block, std::uint64_t block_offset,
                    std::size_t avail, const Fault& fault) {
  RegionErrorWhere where;
  where.block = block;
  if (fault.cell > 0) where.cell = fault.cell;
  where.offset = block_offset + fault.at;
  if (fault.kind == RegionErrorKind::kTruncatedBlock) {
    where.size = block_offset + avail;
  } else {
    where.count = fault.count;
  }
  return RegionError(fault.kind, source.Name(), std::move(where));
}

// Gives a large buffer back when a load or check ends, however it ends, so
// that a worst-case file does not stay resident beside the store.
class KeepBufferSmall {
 public:
  explicit KeepBufferSmall(ReadBuffer& buffer) : buffer_(buffer) {}
  ~KeepBufferSmall() { buffer_.ReleaseIfLargerThan(RegionReader::kKeptBufferBytes); }
  KeepBufferSmall(const KeepBufferSmall&) = delete;
  KeepBufferSmall& operator=(const KeepBufferSmall&) = delete;

 private:
  ReadBuffer& buffer_;
};

}  // namespace

// Blocks staged by (layer slot, block of the group, cell): each block fills a
// few whole cache lines as it is parsed, and the flush turns 8 x 8 tiles so
// that the table, whose rows run over the block index, is written in runs.
// Which slots a block set follows from its kind and, for a multilayer block,
// its counts; every parsed block records both, so nothing needs clearing.
struct RegionReader::Stage {
  enum Kind : std::int16_t { kFlatBlock, kComplexBlock, kLayerBlock };
  static constexpr int kTile = 8;
  static_assert(kGroupBlocks % kTile == 0 && kCells % kTile == 0);
  // Planes 32 KiB apart would share cache sets; two lines more spread them.
  // Measured (second load, medians of 5, 2 rounds): worst case 141-171 ms
  // with the padding, 395-420 ms without; the other regions alike.
  static constexpr int kPlane = kGroupBlocks * kCells + 64;

  alignas(64) std::int16_t value[kMaxLayers + 1][kPlane];   // cell j at [b * 64 + j - 1]
  alignas(64) std::int16_t top[kCells + 1][kGroupBlocks];   // multilayer: highest slot set
  alignas(64) std::int16_t high[kCells + 1][kGroupBlocks];  // highest slot set, see Flush
  alignas(64) std::int16_t plain_near[kGroupBlocks];  // cells 1, 2: flat and complex set slot 1
  alignas(64) std::int16_t plain_far[kGroupBlocks];   // cells 3..64: only complex does
  const std::int16_t* high_row[kCells + 1] = {};      // high[j], or a plain row when it is one
  alignas(64) std::int16_t low[kGroupBlocks];               // lowest slot set in cells 1..64
  std::int16_t type[kGroupBlocks];
  std::int16_t kind[kGroupBlocks];
  std::int16_t* rows[kMaxLayers + 1][kCells + 1] = {};
  int block = 0;  // block of the group being parsed

  std::int16_t& At(int j, int k) { return value[k][block * kCells + j - 1]; }

  void Type(std::int16_t t) {
    type[block] = t;
    kind[block] = t == kFlatType ? kFlatBlock : t == kComplexType ? kComplexBlock : kLayerBlock;
  }
  void Flat(std::int16_t first, std::int16_t second) {
    At(1, 1) = first;
    At(2, 1) = second;
  }
  void Height(int j, std::int16_t v) { At(j, 1) = v; }
  void Count(int j, std::int16_t c) {
    At(j, 0) = c;
    top[j][block] = static_cast<std::int16_t>(std::clamp<int>(c, 0, kMaxLayers));
  }
  // A run of 8 or 16 values, read past the cell's count: a loop of fixed
  // length mispredicts no branch, and the flush takes only the slots up to
  // the count, so the surplus never reaches the table.
  void Layers(int j, int stored, const std::byte* values) {
    constexpr int kShortRun = kMaxLayers / 2;
    if (stored <= kShortRun) {
      for (int k = 1; k <= kShortRun; ++k) At(j, k) = Word(values + 2 * (k - 1));
    } else {
      for (int k = 1; k <= kMaxLayers; ++k) At(j, k) = Word(values + 2 * (k - 1));
    }
  }

  // Looked up once per load rather than once per run.
  void FindRows(BlockStore& store) {
    for (int k = 0; k <= kMaxLayers; ++k) {
      for (int j = 0; j <= kCells; ++j) rows[k][j] = store.Row(j, k).data();
    }
  }

  // Least and greatest; written as plain loops, which run as vector code.
  static std::pair<std::int16_t, std::int16_t> Bounds(const std::int16_t (&v)[kGroupBlocks]) {
    std::int16_t least = v[0];
    std::int16_t greatest = v[0];
    for (std::int16_t x : v) least = std::min(least, x);
    for (std::int16_t x : v) greatest = std::max(greatest, x);
    return {least, greatest};
  }

  // Writes the values of blocks b..b+7, cells j..j+7 of layer slot k; `cells`
  // says which of the 8 rows to write and `whole` which take every block.
  void Tile(int k, int j, int b, int first_block, unsigned cells, unsigned whole) {
    const std::int16_t* from = value[k] + b * kCells + j - 1;
#if defined(__SSE2__) && !defined(GEODATA_PLAIN_TILES)
    __m128i t[kTile];
    for (int i = 0; i < kTile; ++i) {
      t[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i * kCells));
    }
    // Transposed: t[c] holds cell j + c of the 8 blocks.
    const __m128i a0 = _mm_unpacklo_epi16(t[0], t[1]), a1 = _mm_unpackhi_epi16(t[0], t[1]);
    const __m128i a2 = _mm_unpacklo_epi16(t[2], t[3]), a3 = _mm_unpackhi_epi16(t[2], t[3]);
    const __m128i a4 = _mm_unpacklo_epi16(t[4], t[5]), a5 = _mm_unpackhi_epi16(t[4], t[5]);
    const __m128i a6 = _mm_unpacklo_epi16(t[6], t[7]), a7 = _mm_unpackhi_epi16(t[6], t[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    t[0] = _mm_unpacklo_epi64(b0, b4);
    t[1] = _mm_unpackhi_epi64(b0, b4);
    t[2] = _mm_unpacklo_epi64(b1, b5);
    t[3] = _mm_unpackhi_epi64(b1, b5);
    t[4] = _mm_unpacklo_epi64(b2, b6);
    t[5] = _mm_unpackhi_epi64(b2, b6);
    t[6] = _mm_unpacklo_epi64(b3, b7);
    t[7] = _mm_unpackhi_epi64(b3, b7);
    const __m128i slot = _mm_set1_epi16(static_cast<std::int16_t>(k));
    const __m128i below = _mm_cmpgt_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(low + b)), slot);
    for (int c = 0; c < kTile; ++c) {
      if ((cells >> c & 1) == 0) continue;
      auto* to = reinterpret_cast<__m128i*>(rows[k][j + c] + first_block + b);
      if ((whole >> c & 1) != 0) {
        _mm_storeu_si128(to, t[c]);
        continue;
      }
      const __m128i top_slot = _mm_loadu_si128(reinterpret_cast<const __m128i*>(high_row[j + c] + b));
      const __m128i keep = _mm_or_si128(below, _mm_cmpgt_epi16(slot, top_slot));
      const __m128i old = _mm_loadu_si128(to);
      _mm_storeu_si128(to, _mm_or_si128(_mm_and_si128(keep, old), _mm_andnot_si128(keep, t[c])));
    }
#else
    for (int c = 0; c < kTile; ++c) {
      if ((cells >> c & 1) == 0) continue;
      std::int16_t* to = rows[k][j + c] + first_block + b;
      for (int i = 0; i < kTile; ++i) {
        if ((whole >> c & 1) != 0 || (low[b + i] <= k && k <= high_row[j + c][b + i])) {
          to[i] = from[i * kCells + c];
        }
      }
    }
#endif
  }

  void Flush(int first_block) {
    std::memcpy(rows[0][0] + first_block, type, sizeof type);
    // Block b set slot (j, k) for low[b] <= k <= high_row[j][b].
    std::int16_t layered[kGroupBlocks];  // all ones for a multilayer block
    for (int b = 0; b < kGroupBlocks; ++b) {
      layered[b] = static_cast<std::int16_t>(-(kind[b] == kLayerBlock));
      low[b] = static_cast<std::int16_t>(1 + layered[b]);
      plain_near[b] = static_cast<std::int16_t>(~layered[b] & 1);
      plain_far[b] = static_cast<std::int16_t>(kind[b] == kComplexBlock);
    }
    const auto [min_low, max_low] = Bounds(low);
    std::int16_t min_high[kCells + 1];
    std::int16_t max_high[kCells + 1];
    if (min_low > 0) {
      // No multilayer block: the plain rows say it all, and only slot 1 is set.
      const auto near = Bounds(plain_near);
      const auto far = Bounds(plain_far);
      for (int j = 1; j <= kCells; ++j) {
        high_row[j] = j <= 2 ? plain_near : plain_far;
        std::tie(min_high[j], max_high[j]) = j <= 2 ? near : far;
      }
    } else {
      for (int j = 1; j <= kCells; ++j) {
        const std::int16_t* plain = j <= 2 ? plain_near : plain_far;
        for (int b = 0; b < kGroupBlocks; ++b) {
          high[j][b] = static_cast<std::int16_t>((top[j][b] & layered[b]) | plain[b]);
        }
        high_row[j] = high[j];
        std::tie(min_high[j], max_high[j]) = Bounds(high[j]);
      }
    }
    const int top_slot = *std::max_element(max_high + 1, max_high + kCells + 1);
    for (int k = min_low; k <= top_slot; ++k) {
      for (int j = 1; j <= kCells; j += kTile) {
        unsigned cells = 0;
        unsigned whole = 0;
        for (int c = 0; c < kTile; ++c) {
          if (k <= max_high[j + c]) cells |= 1U << c;
          if (max_low <= k && k <= min_high[j + c]) whole |= 1U << c;
        }
        if (cells == 0) continue;
        // The table's rows lie 128 KiB apart, too far for the hardware to
        // guess: fetch the next 8 rows' runs, spread over this pass.
        // Measured (second load, median of 6 rounds of 5): mixed region
        // 29.5 ms with, 33.6 ms without; worst case 160 ms with, 168 without.
        const int next_k = j + kTile <= kCells ? k : std::min(k + 1, int{kMaxLayers});
        const int next_j = j + kTile <= kCells ? j + kTile : 1;
        for (int b = 0; b < kGroupBlocks; b += kTile) {
          if (b % 32 == 0) {
            for (int c = 0; c < kTile; ++c) {
              __builtin_prefetch(rows[next_k][next_j + c] + first_block + b + 32, 1);
            }
          }
          Tile(k, j, b, first_block, cells, whole);
        }
      }
    }
  }
};

struct RegionReader::Outcome {
  std::size_t length = 0;            // bytes the blocks take, header included
  std::optional<RegionError> error;  // what is wrong with the bytes read
};

// The buffers come with the first load: touching their pages would slow the
// window's start-up for nothing.
RegionReader::RegionReader() = default;

RegionReader::~RegionReader() = default;

// One pass over the source: each piece is checked as it arrives, and reading
// stops with the piece that holds the end of the last block.
RegionReader::Outcome RegionReader::ReadOnce(ByteSource& source, std::size_t size) {
  std::byte* data = buffer_.Data();
  std::size_t want = size;
  std::size_t have = 0;
  auto fill = [&](std::size_t end) {
    end = std::min(end, want);
    while (have < end) {
      const std::size_t got =
          source.ReadAt(have, std::span(data + have, std::min(kPieceBytes, want - have)));
      if (got == 0) {
        want = have;  // shorter than its size said: a cut is caught by the stamp
        break;
      }
      have += got;
    }
  };

  fill(kHeaderBytes);
  if (have < kHeaderBytes) {
    RegionErrorWhere where;
    where.size = have;
    return {0, RegionError(RegionErrorKind::kTruncatedHeader, source.Name(), std::move(where))};
  }
  std::size_t at = kHeaderBytes;
  CheckSink sink;
  for (int block = 0; block < kBlocks; ++block) {
    if (have - at < kMaxBlockBytes) fill(at + kMaxBlockBytes);
    const std::size_t avail = have - at;
    std::size_t used = 0;
    Fault fault{};
    if (!ParseBlock(data + at, avail, sink, used, fault)) {
      return {0, Located(source, block, at, avail, fault)};
    }
    at += used;
  }
  return {at, std::nullopt};
}

std::size_t RegionReader::ReadChecked(ByteSource& source) {
  for (int attempt = 1;; ++attempt) {
    const SourceStamp before = source.Stamp();
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(before.size, kMaxRegionBytes));
    if (!buffer_.Reserve(size + kReadSlack)) {
      throw RegionError(RegionErrorKind::kOutOfMemory, source.Name(),
                        RegionErrorWhere::Detail(std::to_string(size) + " bytes"));
    }
    Outcome outcome = ReadOnce(source, size);
    if (source.Stamp() == before) {
      if (outcome.error) throw *outcome.error;
      return outcome.length;
    }
    if (attempt == kReadTries) {
      throw RegionError(RegionErrorKind::kFileChanged, source.Name(), RegionErrorWhere{});
    }
  }
}

std::size_t RegionReader::Check(ByteSource& source) {
  const KeepBufferSmall keep(buffer_);
  return ReadChecked(source);
}

void RegionReader::Load(ByteSource& source, BlockStore& store, MapPanel& Map, TextPanel& list,
                        ProgressPanel& Baras) {
  const KeepBufferSmall keep(buffer_);
  if (!stage_) {
    stage_.reset(new (std::nothrow) Stage);
    if (!stage_) {
      throw RegionError(RegionErrorKind::kOutOfMemory, source.Name(),
                        RegionErrorWhere::Detail(std::to_string(sizeof(Stage)) + " bytes"));
    }
  }
  const std::size_t length = ReadChecked(source);
  source.Close();
  Store(length, store, Map, list, Baras);
}

// The bytes are checked and are ours alone: from here on the load runs as
// the user sees it, and nothing in it can fail.
void RegionReader::Store(std::size_t length, BlockStore& store, MapPanel& Map, TextPanel& list,
                         ProgressPanel& Baras) {
  const std::byte* data = buffer_.Data();
  Map.Cls();
  list.Cls();
  list.Print({"Reading file Header..."});
  for (int n = 1; n <= kHeaderBytes; ++n) {
    store.SetHeader(n, static_cast<std::uint8_t>(data[n - 1]));
  }
  list.Print({"Reading file data....."});

  Stage& stage = *stage_;
  stage.FindRows(store);
  std::size_t at = kHeaderBytes;
  for (int first = 0; first < kBlocks; first += kGroupBlocks) {
    for (stage.block = 0; stage.block < kGroupBlocks; ++stage.block) {
      std::size_t used = 0;
      Fault fault{};
      // The same bytes passed the same parse in ReadOnce.
      ParseBlock(data + at, length - at, stage, used, fault);
      at += used;
    }
    stage.Flush(first);
    for (int block = first; block < first + kGroupBlocks; ++block) {
      Baras.Value(static_cast<float>(block));
    }
  }
  list.Print({"File saved in memory!"});
}

void RegionReader::Open_Geodata_File(const std::string& Failas, BlockStore& store, MapPanel& Map,
                                     TextPanel& list, ProgressPanel& Baras) {
  FileSource source(Failas);
  Load(source, store, Map, list, Baras);
}

}  // namespace geodata
