#include "region/region_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "region/region_error.h"

namespace geodata {
namespace {

constexpr std::size_t kPieceBytes = std::size_t{1} << 20;
constexpr int kGroupBlocks = 256;  // blocks staged before they go to the table
static_assert(kBlocks % kGroupBlocks == 0 && kGroupBlocks % 64 == 0);

// A window on the source, refilled in large pieces and never past `limit`.
class Cursor {
 public:
  Cursor(ByteSource& source, std::vector<std::byte>& buffer, std::uint64_t limit)
      : source_(source), buffer_(buffer), limit_(limit) {}

  // Makes `want` bytes available, or all that remain before the end.
  std::size_t Ensure(std::size_t want) {
    std::size_t avail = length_ - position_;
    if (avail >= want || at_end_) return avail;
    std::memmove(buffer_.data(), buffer_.data() + position_, avail);
    base_ += position_;
    position_ = 0;
    length_ = avail;
    while (length_ < want && !at_end_) {
      const std::uint64_t end = base_ + length_;
      const std::size_t room = std::min<std::uint64_t>(buffer_.size() - length_, limit_ - end);
      const std::size_t got =
          room == 0 ? 0 : source_.ReadAt(end, std::span(buffer_.data() + length_, room));
      if (got == 0) at_end_ = true;
      length_ += got;
    }
    return length_ - position_;
  }

  const std::byte* Data() const { return buffer_.data() + position_; }
  void Advance(std::size_t n) { position_ += n; }
  std::uint64_t Offset() const { return base_ + position_; }

 private:
  ByteSource& source_;
  std::vector<std::byte>& buffer_;
  std::uint64_t limit_;
  std::uint64_t base_ = 0;  // file offset of buffer_[0]
  std::size_t position_ = 0;
  std::size_t length_ = 0;
  bool at_end_ = false;
};

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
    for (int k = 1; k <= stored; ++k) sink.Layer(j, k, Word(data + at + 2 * (k - 1)));
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
  void Layer(int, int, std::int16_t) {}
};

[[noreturn]] void Throw(const ByteSource& source, int block, std::uint64_t block_offset,
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
  throw RegionError(fault.kind, source.Name(), std::move(where));
}

}  // namespace

// Blocks staged by (layer, cell, block of the group), so that the table, whose
// rows run over the block index, is written in long runs. Which slots a block
// set follows from its kind and, for multilayer blocks, its counts; every
// parsed block sets both, so nothing needs clearing between groups or loads.
struct RegionReader::Stage {
  enum Kind : std::int16_t { kFlatBlock, kComplexBlock, kLayerBlock };

  // One cache line of padding per run keeps a block's runs from sharing
  // cache sets, which a power-of-two stride would make them do.
  static constexpr int kRun = kGroupBlocks + 32;
  static constexpr std::size_t kRunBytes = sizeof(std::int16_t) * kGroupBlocks;
  std::int16_t value[kMaxLayers + 1][kCells + 1][kRun];
  std::int16_t kind[kGroupBlocks];
  std::int16_t top[kCells + 1][kRun];  // multilayer: highest layer slot set
  int block = 0;  // block of the group being parsed

  void Type(std::int16_t t) {
    value[0][0][block] = t;
    kind[block] = t == kFlatType ? kFlatBlock : t == kComplexType ? kComplexBlock : kLayerBlock;
  }
  void Flat(std::int16_t first, std::int16_t second) {
    value[1][1][block] = first;
    value[1][2][block] = second;
  }
  void Height(int j, std::int16_t v) { value[1][j][block] = v; }
  void Count(int j, std::int16_t c) {
    value[0][j][block] = c;
    top[j][block] = static_cast<std::int16_t>(std::clamp<int>(c, 0, kMaxLayers));
  }
  void Layer(int j, int k, std::int16_t v) { value[k][j][block] = v; }

  // Least and greatest; written as plain loops, which run as vector code.
  static std::pair<std::int16_t, std::int16_t> Bounds(const std::int16_t (&v)[kGroupBlocks]) {
    std::int16_t least = v[0];
    std::int16_t greatest = v[0];
    for (std::int16_t x : v) least = std::min(least, x);
    for (std::int16_t x : v) greatest = std::max(greatest, x);
    return {least, greatest};
  }

  // The table's rows lie 128 KiB apart, too far for the hardware to guess:
  // ask for the same run of the next cell's row while this one is written.
  static void Prefetch(const std::int16_t* run) {
    const auto* bytes = reinterpret_cast<const char*>(run);
    for (std::size_t at = 0; at < sizeof(std::int16_t) * kGroupBlocks + 64; at += 64) {
      __builtin_prefetch(bytes + at, 1);
    }
  }

  void Flush(BlockStore& store, int first_block) {
    std::memcpy(store.Row(0, 0).data() + first_block, value[0][0], kRunBytes);
    // Block b set slot (j, k) for low[b] <= k <= high[b]. Kept branch-free
    // so that the loops over the group run as vector code.
    std::int16_t layered[kGroupBlocks];  // all ones for a multilayer block
    std::int16_t low[kGroupBlocks];
    std::int16_t plain_near[kGroupBlocks];  // cells 1, 2: flat and complex set slot 1
    std::int16_t plain_far[kGroupBlocks];   // cells 3..64: only complex does
    for (int b = 0; b < kGroupBlocks; ++b) {
      layered[b] = static_cast<std::int16_t>(-(kind[b] == kLayerBlock));
      low[b] = static_cast<std::int16_t>(1 + layered[b]);
      plain_near[b] = static_cast<std::int16_t>(~layered[b] & 1);
      plain_far[b] = static_cast<std::int16_t>(kind[b] == kComplexBlock);
    }
    const auto [min_low, max_low] = Bounds(low);
    std::int16_t high[kGroupBlocks];
    for (int j = 1; j <= kCells; ++j) {
      const std::int16_t* plain = j <= 2 ? plain_near : plain_far;
      const std::int16_t* counted = top[j];
      for (int b = 0; b < kGroupBlocks; ++b) {
        high[b] = static_cast<std::int16_t>((counted[b] & layered[b]) | plain[b]);
      }
      const auto [min_high, max_high] = Bounds(high);
      for (int k = min_low; k <= max_high; ++k) {
        std::int16_t* row = store.Row(j, k).data() + first_block;
        const std::int16_t* staged = value[k][j];
        if (j < kCells) Prefetch(store.Row(j + 1, k).data() + first_block);
        if (max_low <= k && k <= min_high) {
          std::memcpy(row, staged, kRunBytes);
          continue;
        }
        for (int b = 0; b < kGroupBlocks; ++b) {
          const auto set = static_cast<std::int16_t>(-((low[b] <= k) & (k <= high[b])));
          row[b] = static_cast<std::int16_t>((staged[b] & set) | (row[b] & ~set));
        }
      }
    }
  }
};

RegionReader::RegionReader()
    : buffer_(kPieceBytes + kMaxBlockBytes), stage_(std::make_unique<Stage>()) {}

RegionReader::~RegionReader() = default;

std::size_t RegionReader::Check(ByteSource& source) {
  Cursor cursor(source, buffer_, kMaxRegionBytes);
  const std::size_t header = cursor.Ensure(kHeaderBytes);
  if (header < kHeaderBytes) {
    RegionErrorWhere where;
    where.size = header;
    throw RegionError(RegionErrorKind::kTruncatedHeader, source.Name(), std::move(where));
  }
  cursor.Advance(kHeaderBytes);
  CheckSink sink;
  for (int block = 0; block < kBlocks; ++block) {
    const std::size_t avail = cursor.Ensure(kMaxBlockBytes);
    std::size_t used = 0;
    Fault fault{};
    if (!ParseBlock(cursor.Data(), avail, sink, used, fault)) {
      Throw(source, block, cursor.Offset(), avail, fault);
    }
    cursor.Advance(used);
  }
  return cursor.Offset();
}

void RegionReader::Load(ByteSource& source, BlockStore& store, MapPanel& Map, TextPanel& list,
                        ProgressPanel& Baras) {
  const std::size_t length = Check(source);

  // The file is sound: from here on the load runs as the user sees it.
  Map.Cls();
  list.Cls();
  list.Print({"Reading file Header..."});
  Cursor cursor(source, buffer_, length);
  if (cursor.Ensure(kHeaderBytes) < kHeaderBytes) {
    throw RegionError(RegionErrorKind::kFileChanged, source.Name(), RegionErrorWhere::AtOffset(0));
  }
  for (int n = 1; n <= kHeaderBytes; ++n) {
    store.SetHeader(n, static_cast<std::uint8_t>(cursor.Data()[n - 1]));
  }
  cursor.Advance(kHeaderBytes);
  list.Print({"Reading file data....."});

  Stage& stage = *stage_;
  for (int first = 0; first < kBlocks; first += kGroupBlocks) {
    for (stage.block = 0; stage.block < kGroupBlocks; ++stage.block) {
      const std::size_t avail = cursor.Ensure(kMaxBlockBytes);
      std::size_t used = 0;
      Fault fault{};
      if (!ParseBlock(cursor.Data(), avail, stage, used, fault)) {
        // The file passed the check moments ago: someone changed it since.
        RegionErrorWhere where = RegionErrorWhere::AtOffset(cursor.Offset() + fault.at);
        where.block = first + stage.block;
        throw RegionError(RegionErrorKind::kFileChanged, source.Name(), std::move(where));
      }
      cursor.Advance(used);
    }
    stage.Flush(store, first);
    for (int block = first; block < first + kGroupBlocks; ++block) {
      Baras.Value(static_cast<float>(block));
    }
  }
  source.Close();
  list.Print({"File saved in memory!"});
}

void RegionReader::Open_Geodata_File(const std::string& Failas, BlockStore& store, MapPanel& Map,
                                     TextPanel& list, ProgressPanel& Baras) {
  FileSource source(Failas);
  Load(source, store, Map, list, Baras);
}

}  // namespace geodata
