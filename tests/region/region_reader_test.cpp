#include "region/region_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "region/region_error.h"
#include "tests/support/recording_panels.h"
#include "tests/support/scripted_source.h"
#include "tests/support/store_digest.h"
#include "tests/support/temp_dir.h"
#include "tools/region_writer.h"

namespace geodata {
namespace {

using testing::Journal;
using testing::RecordingMap;
using testing::RecordingProgress;
using testing::RecordingText;
using testing::ScriptedSource;
using testing::StoreDigest;
using testing::TempDir;

std::vector<LayerCell> Cells(std::int16_t first_count, std::int16_t base) {
  std::vector<LayerCell> cells(kCells);
  for (int j = 0; j < kCells; ++j) {
    const int count = j == 0 ? first_count : (j % 5);
    cells[j].count = static_cast<std::int16_t>(count);
    for (int k = 0; k < std::max(count, 0); ++k) {
      cells[j].values.push_back(static_cast<std::int16_t>(base + 100 * j + k));
    }
  }
  return cells;
}

class ReaderTest : public ::testing::Test {
 protected:
  // Loads the bytes as a file; returns the error message, or "" on success.
  std::string Load(const std::vector<std::byte>& bytes, const std::string& name = "region.dat") {
    const std::string path = dir_.Write(name, bytes);
    try {
      reader_.Open_Geodata_File(path, store_, map_, list_, bar_);
      return {};
    } catch (const RegionError& e) {
      return e.what();
    }
  }

  // Everything a load can change, to show a failed load changed none of it.
  struct Observed {
    std::uint64_t store;
    std::vector<std::string> journal;
    std::vector<std::string> lines;
    std::size_t points;
    std::vector<float> bar;
    bool operator==(const Observed&) const = default;
  };
  Observed Observe() const {
    return {StoreDigest(store_), journal_.entries, list_.lines, map_.points.size(), bar_.values};
  }

  TempDir dir_;
  RegionReader reader_;
  BlockStore store_;
  Journal journal_;
  RecordingMap map_{&journal_};
  RecordingText list_{&journal_};
  RecordingProgress bar_{&journal_};
};

TEST_F(ReaderTest, StoresEveryBlockKindInItsSlots) {
  std::array<std::uint8_t, kHeaderBytes> header{};
  for (int n = 0; n < kHeaderBytes; ++n) header[n] = static_cast<std::uint8_t>(200 + n);
  std::array<std::int16_t, kCells> heights{};
  for (int j = 0; j < kCells; ++j) heights[j] = static_cast<std::int16_t>(-7000 + 111 * j);

  RegionWriter region(header);
  region.Flat(-3753, 1234);                 // block 0
  region.Complex(heights);                  // block 1
  region.Multilayer(1, Cells(2, 10));       // block 2
  region.Multilayer(-1, Cells(16, 20));     // block 3
  region.Multilayer(1000, Cells(0, 30));    // block 4
  region.Multilayer(-32768, Cells(-1, 40)); // block 5
  region.FillFlat();

  // A complex block leaves layer slot 0 of its cells as it was.
  store_.SetGeo(1, 7, 0, 99);
  ASSERT_EQ(Load(region.Take()), "");

  for (int n = 1; n <= kHeaderBytes; ++n) EXPECT_EQ(store_.Header(n), 200 + n - 1) << n;
  EXPECT_EQ(store_.Header(0), 0);

  EXPECT_EQ(store_.Geo(0, 0, 0), 0);
  EXPECT_EQ(store_.Geo(0, 1, 1), -3753);
  EXPECT_EQ(store_.Geo(0, 2, 1), 1234);

  EXPECT_EQ(store_.Geo(1, 0, 0), 64);
  for (int j = 1; j <= kCells; ++j) EXPECT_EQ(store_.Geo(1, j, 1), heights[j - 1]) << j;
  EXPECT_EQ(store_.Geo(1, 7, 0), 99);

  struct Multi {
    int block;
    std::int16_t type, first_count, base;
  };
  for (const Multi& m : {Multi{2, 1, 2, 10}, Multi{3, -1, 16, 20}, Multi{4, 1000, 0, 30},
                         Multi{5, -32768, -1, 40}}) {
    SCOPED_TRACE(m.block);
    EXPECT_EQ(store_.Geo(m.block, 0, 0), m.type);
    const auto cells = Cells(m.first_count, m.base);
    for (int j = 1; j <= kCells; ++j) {
      EXPECT_EQ(store_.Geo(m.block, j, 0), cells[j - 1].count);
      for (int k = 1; k <= kMaxLayers; ++k) {
        const bool written = k <= cells[j - 1].count;
        EXPECT_EQ(store_.Geo(m.block, j, k), written ? cells[j - 1].values[k - 1] : 0)
            << "cell " << j << " layer " << k;
      }
    }
  }
  EXPECT_EQ(store_.Geo(65535, 0, 0), 0);
  EXPECT_EQ(store_.Geo(65536, 0, 0), 0) << "entry 65536 is never written";
}

TEST_F(ReaderTest, LogsProgressesAndClearsInTheOrderOfALoad) {
  map_.PSet(0, 0, {});
  list_.Print({"old line"});
  bar_.Value(123);
  journal_.entries.clear();
  bar_.values.clear();

  ASSERT_EQ(Load(RegionWriter().FillFlat().Take()), "");

  std::vector<std::string> expected = {"Map.Cls", "list.Cls", "list.Print:Reading file Header...",
                                       "list.Print:Reading file data....."};
  for (int i = 0; i < kBlocks; ++i) expected.push_back("Baras.Value:" + std::to_string(i));
  expected.push_back("list.Print:File saved in memory!");
  EXPECT_EQ(journal_.entries, expected);
  EXPECT_EQ(list_.lines, (std::vector<std::string>{"Reading file Header...", "Reading file data.....",
                                                   "File saved in memory!"}));
  EXPECT_TRUE(map_.points.empty());
}

TEST_F(ReaderTest, LoadsWholeRegionsOfOneKindAndIgnoresTrailingBytes) {
  struct Case {
    const char* name;
    std::size_t size;
    std::int16_t type;
    std::size_t trailing;
  };
  const Case cases[] = {{"all flat", 393'234, 0, 0},
                        {"all complex", 8'519'698, 64, 0},
                        {"flat with trailing bytes", 393'234, 0, 1001}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RegionWriter region({20, 18});
    for (int i = 0; i < kBlocks; ++i) {
      const auto v = static_cast<std::int16_t>(i - 32768);
      if (c.type == 0) {
        region.Flat(v, static_cast<std::int16_t>(~v));
      } else {
        region.Complex(v);
      }
    }
    ASSERT_EQ(region.size(), c.size);
    // Trailing garbage that would fail as a block: a type word with a huge count.
    for (std::size_t t = 0; t < c.trailing; ++t) region.Word(7);
    ASSERT_EQ(Load(region.Take()), "");
    for (int i : {0, 1, 4660, 65535}) {
      const auto v = static_cast<std::int16_t>(i - 32768);
      EXPECT_EQ(store_.Geo(i, 0, 0), c.type);
      EXPECT_EQ(store_.Geo(i, 1, 1), v);
      EXPECT_EQ(store_.Geo(i, c.type == 0 ? 2 : 64, 1), c.type == 0 ? static_cast<std::int16_t>(~v) : v);
    }
    EXPECT_EQ(bar_.values.back(), 65535.0F);
  }
}

TEST_F(ReaderTest, SecondLoadKeepsTheStaleSlotsOfTheFirst) {
  RegionWriter first;
  first.Multilayer(5, 5, 77).Complex(std::int16_t{300}).FillFlat();
  ASSERT_EQ(Load(first.Take()), "");

  RegionWriter second({1, 2});
  second.Multilayer(6, 2, -5).Flat(9, 8).FillFlat();
  ASSERT_EQ(Load(second.Take()), "");

  EXPECT_EQ(store_.Header(1), 1);
  for (int j : {1, 64}) {
    EXPECT_EQ(store_.Geo(0, j, 0), 2);
    EXPECT_EQ(store_.Geo(0, j, 1), -5);
    EXPECT_EQ(store_.Geo(0, j, 2), -5);
    for (int k = 3; k <= 5; ++k) EXPECT_EQ(store_.Geo(0, j, k), 77) << "stale layer " << k;
  }
  // Block 1 went from complex to flat: cells 3..64 keep their old heights.
  EXPECT_EQ(store_.Geo(1, 0, 0), 0);
  EXPECT_EQ(store_.Geo(1, 1, 1), 9);
  EXPECT_EQ(store_.Geo(1, 2, 1), 8);
  EXPECT_EQ(store_.Geo(1, 3, 1), 300);
  EXPECT_EQ(list_.lines.size(), 3U);
  EXPECT_EQ(list_.cls_count, 2);
}

// Region files that must fail, each with the message the user sees.
struct BadFile {
  const char* name;
  std::vector<std::byte> (*make)();
  const char* message;  // after "<path>: "
  RegionErrorKind kind;
};

std::vector<std::byte> WithCount(std::int16_t count, int block = 4660, int cell = 7) {
  RegionWriter region;
  while (region.blocks() < block) region.Flat(0, 0);
  std::vector<LayerCell> cells(kCells, LayerCell::Of({1}));
  cells[cell - 1].count = count;
  cells[cell - 1].values.assign(std::max<int>(count, 0), 5);
  region.Multilayer(3, cells);
  return region.FillFlat().Take();
}

std::vector<std::byte> CutAfter(RegionWriter region, std::size_t keep) {
  auto bytes = region.Take();
  bytes.resize(keep);
  return bytes;
}

const BadFile kBadFiles[] = {
    {"empty file", [] { return std::vector<std::byte>{}; },
     "the file ends inside its 18-byte header; it is not a region file (file size 0)",
     RegionErrorKind::kTruncatedHeader},
    {"header only", [] { return RegionWriter().Take(); },
     "block 0 (column 0, row 0): the file ends before this block is complete; it is cut short or "
     "not a region file (offset 18, file size 18)",
     RegionErrorKind::kTruncatedBlock},
    {"cut inside a flat block",
     [] { return CutAfter(RegionWriter().Flat(1, 2).Flat(3, 4), 18 + 6 + 3); },
     "block 1 (column 0, row 1), cell 1: the file ends before this block is complete; it is cut "
     "short or not a region file (offset 26, file size 27)",
     RegionErrorKind::kTruncatedBlock},
    {"cut inside a complex block",
     [] { return CutAfter(RegionWriter().Complex(std::int16_t{5}), 18 + 2 + 2 * 10 + 1); },
     "block 0 (column 0, row 0), cell 11: the file ends before this block is complete; it is cut "
     "short or not a region file (offset 40, file size 41)",
     RegionErrorKind::kTruncatedBlock},
    {"cut inside a layer count",
     [] { return CutAfter(RegionWriter().Multilayer(1, 3, 9), 18 + 2 + 8 * 2 + 1); },
     "block 0 (column 0, row 0), cell 3: the file ends before this block is complete; it is cut "
     "short or not a region file (offset 36, file size 37)",
     RegionErrorKind::kTruncatedBlock},
    {"cut inside a layer value",
     [] { return CutAfter(RegionWriter().Multilayer(1, 3, 9), 18 + 2 + 8 + 2 + 2); },
     "block 0 (column 0, row 0), cell 2: the file ends before this block is complete; it is cut "
     "short or not a region file (offset 32, file size 32)",
     RegionErrorKind::kTruncatedBlock},
    {"one block short", [] { return CutAfter(RegionWriter().FillFlat(), 393'234 - 6); },
     "block 65535 (column 255, row 255): the file ends before this block is complete; it is cut "
     "short or not a region file (offset 393228, file size 393228)",
     RegionErrorKind::kTruncatedBlock},
    {"layer count 17", [] { return WithCount(17); },
     "block 4660 (column 18, row 52), cell 7: layer count 17 exceeds the limit of 16 (offset 28004)",
     RegionErrorKind::kLayerCountTooLarge},
    {"layer count 17 in the last cell of the last block", [] { return WithCount(17, 65535, 64); },
     "block 65535 (column 255, row 255), cell 64: layer count 17 exceeds the limit of 16 (offset "
     "393482)",
     RegionErrorKind::kLayerCountTooLarge},
    {"layer count 32767", [] { return WithCount(32767); },
     "block 4660 (column 18, row 52), cell 7: layer count 32767 exceeds the limit of 16 (offset "
     "28004)",
     RegionErrorKind::kLayerCountTooLarge},
    {"layer count 32767 and nothing after it",
     [] { return RegionWriter().Word(1).Word(32767).Take(); },
     "block 0 (column 0, row 0), cell 1: the file ends before this block is complete; it is cut "
     "short or not a region file (offset 22, file size 22)",
     RegionErrorKind::kTruncatedBlock},
};

TEST_F(ReaderTest, BadFilesFailWithTheirLocationAndChangeNothing) {
  // A region loaded and painted before, which every failure must leave alone.
  RegionWriter before({22, 22});
  before.Multilayer(9, 3, 42).Complex(std::int16_t{-100}).FillFlat();
  ASSERT_EQ(Load(before.Take()), "");
  map_.PSet(30, 30, {1, 2, 3});
  const Observed loaded = Observe();

  for (const BadFile& bad : kBadFiles) {
    SCOPED_TRACE(bad.name);
    const std::string path = dir_.Write("bad.dat", bad.make());
    try {
      reader_.Open_Geodata_File(path, store_, map_, list_, bar_);
      ADD_FAILURE() << "loaded";
    } catch (const RegionError& e) {
      EXPECT_EQ(e.kind(), bad.kind);
      EXPECT_EQ(e.file(), path);
      EXPECT_EQ(std::string(e.what()), path + ": " + bad.message);
    }
    EXPECT_TRUE(Observe() == loaded);
  }
}

TEST_F(ReaderTest, CountsUpToSixteenAndBelowOneLoad) {
  for (std::int16_t count : {std::int16_t{16}, std::int16_t{0}, std::int16_t{-1},
                             std::int16_t{-32768}}) {
    SCOPED_TRACE(count);
    ASSERT_EQ(Load(WithCount(count)), "");
    EXPECT_EQ(store_.Geo(4660, 7, 0), count);
    EXPECT_EQ(store_.Geo(4660, 8, 0), 1) << "the next cell follows directly";
    // Slot 16 was written by the first load (count 16); the others read no values.
    EXPECT_EQ(store_.Geo(4660, 7, 16), 5);
  }
}

TEST_F(ReaderTest, PathsThatAreNotRegionFilesAreRefusedBeforeReading) {
  const Observed untouched = Observe();
  struct Case {
    std::string path;
    RegionErrorKind kind;
    const char* says;
  };
  const Case cases[] = {
      {(dir_.path() / "missing.dat").string(), RegionErrorKind::kCannotOpen, "No such file"},
      {"", RegionErrorKind::kCannotOpen, "cannot be opened"},
      {dir_.path().string(), RegionErrorKind::kNotRegularFile, "directory"},
      {"/dev/zero", RegionErrorKind::kNotRegularFile, "device"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    try {
      reader_.Open_Geodata_File(c.path, store_, map_, list_, bar_);
      ADD_FAILURE() << "loaded";
    } catch (const RegionError& e) {
      EXPECT_EQ(e.kind(), c.kind);
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
  EXPECT_TRUE(Observe() == untouched);
}

// Versions of one layout with different values: several pieces long, so
// that a read which sees two of them would store a mix.
std::vector<std::byte> ComplexVersion(int version) {
  RegionWriter region({static_cast<std::uint8_t>(10 + version), 18});
  for (int i = 0; i < kBlocks; ++i) region.Complex(static_cast<std::int16_t>(1000 * version + i % 500));
  return region.Take();
}

TEST_F(ReaderTest, SourcesThatFailOrChangeWhileReadStoreOneVersionOrNothing) {
  std::vector<std::vector<std::byte>> versions;
  for (int v = 0; v <= RegionReader::kReadTries; ++v) versions.push_back(ComplexVersion(v));
  ASSERT_EQ(Load(RegionWriter({7, 7}).Multilayer(1, kMaxLayers, 4).FillFlat().Take()), "");
  map_.PSet(30, 30, {1, 2, 3});

  struct Case {
    const char* name;
    ScriptedSource::Script script;
    std::optional<RegionErrorKind> fails;
    int reads;  // whole reads the load makes
  };
  const Case cases[] = {
      {"delivers fewer bytes than its size", {.deliver = 5'000'000}, RegionErrorKind::kTruncatedBlock, 1},
      {"fails with EIO part-way", {.fail_at = 3'000'000}, RegionErrorKind::kReadFailed, 1},
      {"rewritten during the first read", {.changing_reads = 1}, std::nullopt, 2},
      {"rewritten during two reads", {.changing_reads = 2}, std::nullopt, 3},
      {"rewritten during every read", {.changing_reads = 3}, RegionErrorKind::kFileChanged, 3},
      {"no memory to read it into", {.no_memory = true}, RegionErrorKind::kOutOfMemory, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.script.no_memory && !testing::kCanLimitAddressSpace) continue;
    const Observed loaded = Observe();
    auto source = std::make_unique<ScriptedSource>(versions, c.script);
    try {
      reader_.Load(*source, store_, map_, list_, bar_);
      EXPECT_FALSE(c.fails) << "loaded";
    } catch (const RegionError& e) {
      ASSERT_TRUE(c.fails) << e.what();
      EXPECT_EQ(e.kind(), *c.fails) << e.what();
    }
    EXPECT_EQ(source->reads, c.reads);
    source.reset();
    if (c.fails) {
      EXPECT_TRUE(Observe() == loaded);
      continue;
    }
    // The version the last read saw, whole: never a mix of two.
    const int v = c.script.changing_reads;
    EXPECT_EQ(store_.Header(1), 10 + v);
    int wrong = 0;
    for (int i = 0; i < kBlocks; ++i) {
      const auto expected = static_cast<std::int16_t>(1000 * v + i % 500);
      wrong += store_.Geo(i, 1, 1) != expected || store_.Geo(i, kCells, 1) != expected;
    }
    EXPECT_EQ(wrong, 0);
    ASSERT_EQ(Load(RegionWriter({7, 7}).Multilayer(1, kMaxLayers, 4).FillFlat().Take()), "");
    map_.PSet(30, 30, {1, 2, 3});
  }
}

TEST(RegionError, EveryKindHasItsOwnDescription) {
  const RegionErrorKind kinds[] = {
      RegionErrorKind::kCannotOpen,      RegionErrorKind::kNotRegularFile,
      RegionErrorKind::kReadFailed,      RegionErrorKind::kTruncatedHeader,
      RegionErrorKind::kTruncatedBlock,  RegionErrorKind::kLayerCountTooLarge,
      RegionErrorKind::kFileChanged,     RegionErrorKind::kOutOfMemory};
  std::vector<std::string_view> seen;
  for (RegionErrorKind kind : kinds) {
    const std::string_view text = Describe(kind);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(std::find(seen.begin(), seen.end(), text), seen.end()) << text;
    seen.push_back(text);
  }
}

}  // namespace
}  // namespace geodata
