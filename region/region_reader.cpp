#include "region/region_reader.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "region/region_error.h"
#include "region/scope_exit.h"
#include "region/staging_area.h"
#include "region/word_cursor.h"

namespace geodata {
namespace {

constexpr int kGroupBlocks = StagingArea::kGroupBlocks;

// What is wrong with a block, and where.
struct Fault {
  RegionErrorKind kind;
  int cell = 0;  // 0: the block as a whole
  int count = 0;
  std::size_t at = 0;  // offset in the file
};

// Flat and complex blocks hold one value per cell from cell 1 on, so a cut
// lies in the cell of the first value missing.
template <int kValues, class Sink>
std::optional<Fault> ParseHeights(WordCursor& in, Sink& sink) {
  const std::size_t first = in.at();
  const std::byte* heights = nullptr;
  if (!in.Take(kValues, heights)) {
    const int cell = 1 + static_cast<int>((in.at() - first) / 2);
    return Fault{RegionErrorKind::kTruncatedBlock, cell, 0, in.at()};
  }
  for (int j = 1; j <= kValues; ++j) sink.Height(j, Word(heights + 2 * (j - 1)));
  return std::nullopt;
}

// Parses the block at the cursor, which stops after it, or at the first word
// missing; returns what is wrong with the block, if anything. The sink sees
// every value of a good block in file order; of a bad one, only a part,
// which is not to be kept.
template <class Sink>
std::optional<Fault> ParseBlock(WordCursor& in, Sink& sink) {
  const auto cut = [&in](int cell) { return Fault{RegionErrorKind::kTruncatedBlock, cell, 0, in.at()}; };
  std::int16_t type = 0;
  if (!in.Read(type)) return cut(0);
  sink.Type(type);
  if (type == kFlatType) return ParseHeights<kFlatValues>(in, sink);
  if (type == kComplexType) return ParseHeights<kCells>(in, sink);
  for (int j = 1; j <= kCells; ++j) {
    const std::size_t count_at = in.at();
    std::int16_t count = 0;
    if (!in.Read(count)) return cut(j);
    sink.Count(j, count);
    const int stored = std::clamp<int>(count, 0, kMaxLayers);
    const std::byte* values = nullptr;
    if (!in.Take(stored, values)) return cut(j);
    if (count > kMaxLayers) return Fault{RegionErrorKind::kLayerCountTooLarge, j, count, count_at};
    sink.Layers(j, stored, values);
  }
  return std::nullopt;
}

struct CheckSink {
  void Type(std::int16_t) {}
  void Height(int, std::int16_t) {}
  void Count(int, std::int16_t) {}
  void Layers(int, int, const std::byte*) {}
};

RegionError Located(const ByteSource& source, int block, std::size_t have, const Fault& fault) {
  RegionErrorWhere where;
  where.block = block;
  if (fault.cell > 0) where.cell = fault.cell;
  where.offset = fault.at;
  if (fault.kind == RegionErrorKind::kTruncatedBlock) {
    where.size = have;
  } else {
    where.count = fault.count;
  }
  return RegionError(fault.kind, source.Name(), std::move(where));
}

// Errors about the bytes read rather than the reading: a read of a file that
// changed meanwhile may have seen a mix of two versions.
bool FoundInTheBytes(RegionErrorKind kind) {
  return kind == RegionErrorKind::kTruncatedHeader || kind == RegionErrorKind::kTruncatedBlock ||
         kind == RegionErrorKind::kLayerCountTooLarge;
}

}  // namespace

// The buffers come with the first load: touching their pages would slow the
// window's start-up for nothing.
RegionReader::RegionReader() = default;

RegionReader::~RegionReader() = default;

// One pass over the source: each piece is checked as it arrives, and the
// next is read once fewer than kMaxBlockBytes are left, so reading stops with
// the piece that holds the end of the last block or the one after it. Returns
// the bytes the blocks take, header included.
std::size_t RegionReader::ReadOnce(ByteSource& source, std::size_t size, CheckProgress& progress) {
  std::byte* data = buffer_.Data();
  std::size_t want = size;
  std::size_t have = 0;
  auto fill = [&](std::size_t end) {
    end = std::min(end, want);
    while (have < end) {
      const std::size_t got =
          source.ReadAt(have, std::span(data + have, std::min(kPieceBytes, want - have)));
      if (got == 0) {
        // Shorter than its size said: the parse finds the cut, or the stamp
        // the writer that made it.
        want = have;
        break;
      }
      have += got;
    }
  };

  fill(kHeaderBytes);
  if (have < kHeaderBytes) {
    RegionErrorWhere where;
    where.size = have;
    throw RegionError(RegionErrorKind::kTruncatedHeader, source.Name(), std::move(where));
  }
  WordCursor in(data, have, kHeaderBytes);
  CheckSink sink;
  for (int block = 0; block < kBlocks; ++block) {
    if (have - in.at() < kMaxBlockBytes) {
      fill(in.at() + kMaxBlockBytes);
      in.Extend(have);
    }
    if (const std::optional<Fault> fault = ParseBlock(in, sink)) throw Located(source, block, have, *fault);
    progress.Checked(block);
  }
  return in.at();
}

CheckedRegion RegionReader::Check(ByteSource& source, CheckProgress& progress) {
  // A check that fails offers a large buffer's pages back; a region that
  // passed does so when it goes.
  ScopeExit offer_pages([this] { buffer_.OfferPagesIfLarge(); });
  if (!stage_) {
    stage_.reset(new (std::nothrow) StagingArea);
    if (!stage_) {
      throw RegionError(RegionErrorKind::kOutOfMemory, source.Name(),
                        RegionErrorWhere::Detail(std::to_string(sizeof(StagingArea)) + " bytes"));
    }
  }
  for (int attempt = 1;; ++attempt) {
    const SourceStamp before = source.Stamp();
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(before.size, kMaxRegionBytes));
    if (!buffer_.Reserve(size + StagingArea::kReadPastBytes)) {
      throw RegionError(RegionErrorKind::kOutOfMemory, source.Name(),
                        RegionErrorWhere::Detail(std::to_string(size) + " bytes"));
    }
    try {
      const std::size_t length = ReadOnce(source, size, progress);
      if (source.Stamp() == before) {
        offer_pages.Dismiss();
        return CheckedRegion(buffer_, length);
      }
    } catch (const RegionError& error) {
      // What is wrong with bytes of a version that did not last says
      // nothing about the file: read it again.
      if (!FoundInTheBytes(error.kind()) || source.Stamp() == before) throw;
    }
    if (attempt == kReadTries) {
      throw RegionError(RegionErrorKind::kFileChanged, source.Name(), RegionErrorWhere{});
    }
  }
}

// The bytes are checked and are ours alone: nothing can fail here.
void RegionReader::Write(const CheckedRegion& region, BlockStore& store) {
  const std::span<const std::byte> bytes = region.Bytes();
  for (int n = 1; n <= kHeaderBytes; ++n) {
    store.SetHeader(n, static_cast<std::uint8_t>(bytes[n - 1]));
  }
  StagingArea& stage = *stage_;
  stage.FindRows(store);
  WordCursor in(bytes.data(), bytes.size(), kHeaderBytes);
  for (int first = 0; first < kBlocks; first += kGroupBlocks) {
    for (int b = 0; b < kGroupBlocks; ++b) {
      stage.SetBlock(b);
      // The same bytes passed the same parse in the check.
      ParseBlock(in, stage);
    }
    stage.Flush(first);
  }
}

void RegionReader::Log(MapPanel& Map, TextPanel& list) {
  Map.Cls();
  list.Cls();
  list.Print({"Reading file Header..."});
  list.Print({"Reading file data....."});
  list.Print({"File saved in memory!"});
}

bool RegionReader::Read(const SourceOpener& open, CheckProgress& progress, BlockStore& store,
                        const std::function<bool()>& may_write) {
  std::optional<CheckedRegion> region;
  {
    const std::unique_ptr<ByteSource> source = open();
    region.emplace(Check(*source, progress));
  }
  if (!may_write()) return false;
  Write(*region, store);
  return true;
}

namespace {

// The last block a check reached, for a load on one thread.
class LastBlock final : public CheckProgress {
 public:
  void Checked(int block) override { block_ = block; }
  void Show(ProgressPanel& bar) const {
    if (block_ >= 0) bar.Value(static_cast<float>(block_));
  }

 private:
  int block_ = -1;
};

}  // namespace

void RegionReader::Load(const SourceOpener& open, BlockStore& store, MapPanel& Map, TextPanel& list,
                        ProgressPanel& Baras) {
  LastBlock progress;
  try {
    Read(open, progress, store, [] { return true; });
  } catch (...) {
    progress.Show(Baras);
    throw;
  }
  progress.Show(Baras);
  Log(Map, list);
}

}  // namespace geodata
