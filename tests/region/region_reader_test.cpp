#include "region/region_reader.h"

#include <memory>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "region/region_error.h"
#include "testing/address_space_limit.h"
#include "testing/bad_files.h"
#include "testing/load_fixture.h"
#include "testing/process_probe.h"
#include "testing/scripted_source.h"
#include "testing/temp_dir.h"
#include "testing/test_regions.h"
#include "tools/region_writer.h"

namespace geodata {
namespace {

using testing::ScriptedSource;
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

// The first version on disk, rewritten with the second after the first piece;
// with `time_back`, its modification time is then put back, as `cp -p` does.
class ChangedOnDisk final : public ByteSource {
 public:
  ChangedOnDisk(const TempDir& dir, const std::vector<std::vector<std::byte>>& versions, bool time_back)
      : dir_(dir), next_(versions[1]), file_(dir.Write("changing.dat", versions[0])), time_back_(time_back) {}
  SourceStamp Stamp() override { return file_.Stamp(); }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override {
    if (offset == 0) ++*reads;
    const std::size_t got = file_.ReadAt(offset, out);
    if (std::exchange(pending_, false)) {
      const auto path = testing::Utf8Path(file_.Name());
      const auto modified = std::filesystem::last_write_time(path);
      dir_.Write("changing.dat", next_);
      if (time_back_) std::filesystem::last_write_time(path, modified);
    }
    return got;
  }
  const std::string& Name() const override { return file_.Name(); }
  // Outlives the source, which the load lets go.
  std::shared_ptr<int> reads = std::make_shared<int>(0);

 private:
  const TempDir& dir_;
  const std::vector<std::byte>& next_;
  FileSource file_;
  bool time_back_;
  bool pending_ = true;
};

class ReaderTest : public testing::LoadFixture {
 protected:
  // Loads the bytes as a file; returns the error message, or "" on success.
  std::string Load(const std::vector<std::byte>& bytes, const std::string& name = "region.dat") {
    const std::string path = dir_.Write(name, bytes);
    try {
      reader_.Load([&] { return std::make_unique<FileSource>(path); }, store_, map_, list_, bar_);
      return {};
    } catch (const RegionError& e) {
      return e.what();
    }
  }
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

// The bar is set once, to the last block checked; only a region read whole
// clears the panels, and the store does not move the bar back.
TEST_F(ReaderTest, TheBarShowsTheBlockReachedThenTheLoadClearsAndLogs) {
  map_.PSet(0, 0, {});
  list_.Print({"old line"});
  bar_.Value(123);
  journal_.entries.clear();
  bar_.values.clear();

  ASSERT_EQ(Load(RegionWriter().FillFlat().Take()), "");

  std::vector<std::string> expected = {"Baras.Value:65535"};
  for (const char* entry : {"Map.Cls", "list.Cls", "list.Print:Reading file Header...",
                            "list.Print:Reading file data.....", "list.Print:File saved in memory!"}) {
    expected.push_back(entry);
  }
  EXPECT_EQ(journal_.entries, expected);
  EXPECT_EQ(list_.lines, (std::vector<std::string>{"Reading file Header...", "Reading file data.....",
                                                   "File saved in memory!"}));
  EXPECT_TRUE(map_.points.empty());
}

// Reading stops with the piece that holds the end of the last block (or the
// next, were the block to start within kMaxBlockBytes of the piece's end, as
// none here does), however long the file is.
TEST_F(ReaderTest, LoadsWholeRegionsOfOneKindAndIgnoresTrailingBytes) {
  struct Case {
    const char* name;
    std::size_t size;
    std::int16_t type;
    std::size_t trailing;  // bytes
    std::string file = "region.dat";
  };
  const Case cases[] = {{"all flat", 393'234, 0, 0},
                        {"all complex", 8'519'698, 64, 0},
                        {"flat with trailing bytes", 393'234, 0, 2002},
                        {"flat with a tail of 64 MiB", 393'234, 0, std::size_t{64} << 20},
                        {"complex, nine pieces, with a tail of 64 MiB", 8'519'698, 64, std::size_t{64} << 20},
                        // The path reaches the system as UTF-8 here and UTF-16 on Windows.
                        {"in a folder and file named in Cyrillic and Chinese", 393'234, 0, 0,
                         "Карты мира/地图 20_18.dat"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto value = [](int i) { return static_cast<std::int16_t>(i - 32768); };
    std::vector<std::byte> region =
        c.type == 0 ? testing::FlatRegion({20, 18}, value, [&](int i) { return static_cast<std::int16_t>(~value(i)); })
                    : testing::ComplexRegion({20, 18}, value);
    ASSERT_EQ(region.size(), c.size);
    // Trailing garbage that would fail as a block: a type word with a huge count.
    region.resize(region.size() + c.trailing, std::byte{7});
    const std::int64_t read_before = testing::BytesRead();
    ASSERT_EQ(Load(region, c.file), "");
    if (read_before >= 0) {
      const std::size_t pieces = (c.size + RegionReader::kPieceBytes - 1) / RegionReader::kPieceBytes;
      // The counter's own reads of /proc come on top.
      EXPECT_LE(static_cast<std::size_t>(testing::BytesRead() - read_before),
                pieces * RegionReader::kPieceBytes + 64 * 1024);
    }
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

TEST_F(ReaderTest, BadFilesFailWithTheirLocationAndChangeNothing) {
  // A region loaded and painted before, which every failure must leave alone.
  RegionWriter before({22, 22});
  before.Multilayer(9, 3, 42).Complex(std::int16_t{-100}).FillFlat();
  ASSERT_EQ(Load(before.Take()), "");
  map_.PSet(30, 30, {1, 2, 3});
  const Observed loaded = Observe();
  const std::int64_t handles = testing::OpenHandles();

  for (const testing::BadFile& bad : testing::BadFiles()) {
    SCOPED_TRACE(bad.name);
    if (!testing::CanRun(bad)) continue;
    TempDir dir;
    const std::string path = bad.make(dir);
    bar_.values.clear();
    try {
      reader_.Load([&] { return testing::OpenBadFile(bad, path); }, store_, map_, list_, bar_);
      ADD_FAILURE() << "loaded";
    } catch (const RegionError& e) {
      EXPECT_EQ(e.kind(), bad.kind);
      EXPECT_EQ(e.file(), path);
      EXPECT_EQ(std::string(e.what()), path + ": " + bad.says);
    }
    EXPECT_EQ(bar_.values, bad.bar < 0 ? std::vector<float>{} : std::vector<float>{static_cast<float>(bad.bar)});
    EXPECT_TRUE(Observe() == loaded);
    if (handles >= 0) {
      EXPECT_EQ(testing::OpenHandles(), handles) << "a refused file let go";
    }
  }
}

TEST_F(ReaderTest, CountsUpToSixteenAndBelowOneLoad) {
  for (std::int16_t count : {std::int16_t{16}, std::int16_t{0}, std::int16_t{-1},
                             std::int16_t{-32768}}) {
    SCOPED_TRACE(count);
    ASSERT_EQ(Load(testing::RegionWithCount(count)), "");
    EXPECT_EQ(store_.Geo(4660, 7, 0), count);
    EXPECT_EQ(store_.Geo(4660, 8, 0), 1) << "the next cell follows directly";
    // Slot 16 was written by the first load (count 16); the others read no values.
    EXPECT_EQ(store_.Geo(4660, 7, 16), 5);
  }
}

// A source rewritten in place while it is read is read again, and what is
// stored is the version the last read saw, whole.
TEST_F(ReaderTest, SourceChangedWhileReadIsReadAgainAndNeverStoredMixed) {
  const auto& versions = testing::ScriptedVersions();
  ASSERT_GT(versions.size(), static_cast<std::size_t>(RegionReader::kReadTries));
  ASSERT_EQ(Load(RegionWriter({7, 7}).Multilayer(1, kMaxLayers, 4).FillFlat().Take()), "");
  map_.PSet(30, 30, {1, 2, 3});

  struct Case {
    const char* name;
    ScriptedSource::Script script;
    std::optional<RegionErrorKind> fails;
    int reads;  // whole reads the load makes
    const std::vector<std::vector<std::byte>>* versions = &testing::ScriptedVersions();
    bool on_disk = false;  // else a scripted source
    bool time_back = false;
  };
  // A fault in a version that did not last says nothing of the file: the
  // first read sees it cut short, the second whole.
  const std::vector<std::vector<std::byte>> cut_then_whole = {
      std::vector<std::byte>(versions[0].begin(), versions[0].begin() + 100'000), versions[1]};
  const Case cases[] = {
      {"unchanged", {}, std::nullopt, 1},
      {"rewritten during the first read", {.changing_reads = 1}, std::nullopt, 2},
      {"rewritten during two reads", {.changing_reads = 2}, std::nullopt, 3},
      {"rewritten during every read", {.changing_reads = 3}, RegionErrorKind::kFileChanged, 3},
      {"cut short during the first read, whole by the second", {.changing_reads = 1}, std::nullopt, 2,
       &cut_then_whole},
      {"on disk, rewritten during the first read", {.changing_reads = 1}, std::nullopt, 2, &versions, true},
      // Only the change time tells this one.
      {"on disk, rewritten at the same size, its modification time put back", {.changing_reads = 1},
       std::nullopt, 2, &versions, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Observed loaded = Observe();
    const std::size_t bar_from = bar_.values.size();
    auto scripted = std::make_unique<ScriptedSource>(*c.versions, c.script);
    std::shared_ptr<const int> reads = scripted->reads;
    std::unique_ptr<ByteSource> source = std::move(scripted);
    if (c.on_disk) {
      auto disk = std::make_unique<ChangedOnDisk>(dir_, *c.versions, c.time_back);
      reads = disk->reads;
      source = std::move(disk);
    }
    try {
      reader_.Load([&] { return std::move(source); }, store_, map_, list_, bar_);
      EXPECT_FALSE(c.fails) << "loaded";
    } catch (const RegionError& e) {
      ASSERT_TRUE(c.fails) << e.what();
      EXPECT_EQ(e.kind(), *c.fails) << e.what();
    }
    EXPECT_EQ(*reads, c.reads);
    EXPECT_EQ(bar_.values.size() - bar_from, 1U) << "the bar shows the block reached, at the end";
    if (!c.fails) {
      EXPECT_EQ(bar_.values.back(), 65535.0F);
    }
    source.reset();
    if (c.fails) {
      EXPECT_TRUE(Observe() == loaded);
      continue;
    }
    // The version the last read saw, whole: never a mix of two.
    const int v = c.script.changing_reads;
    EXPECT_EQ(store_.Header(1), 30 + v);
    int wrong = 0;
    for (int i = 0; i < kBlocks; ++i) {
      const auto expected = static_cast<std::int16_t>(100 * v + i % 99);
      wrong += store_.Geo(i, 1, 1) != expected || store_.Geo(i, kCells, 1) != expected;
    }
    EXPECT_EQ(wrong, 0);
    ASSERT_EQ(Load(RegionWriter({7, 7}).Multilayer(1, kMaxLayers, 4).FillFlat().Take()), "");
    map_.PSet(30, 30, {1, 2, 3});
  }
}

// The room that holds the file is kept: on a machine with no memory to
// spare, a file no larger than any before still loads, and only a larger
// one is refused for want of room.
TEST_F(ReaderTest, TheRoomForTheFileIsKeptSoOnlyALargerFileCanBeRefusedIt) {
  if (!testing::CanLimitAddressSpace()) GTEST_SKIP() << "no address-space cap here";
  const auto height = [](int i) { return static_cast<std::int16_t>(i % 500); };
  std::vector<std::byte> region = testing::ComplexRegion({20, 18}, height);
  ASSERT_EQ(Load(region, "first.dat"), "");
  const std::string complex = dir_.Write("complex.dat", region);
  // The room is sized by the file, trailing bytes and all.
  region.resize(region.size() + (1 << 20));
  const std::string larger = dir_.Write("larger.dat", region);
  struct Case {
    const char* name;
    std::string path;
    std::optional<RegionErrorKind> fails;
  };
  const Case cases[] = {{"as large as the one before", complex, std::nullopt},
                        {"larger than any before", larger, RegionErrorKind::kOutOfMemory}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Panels that need no memory of their own during the load.
    testing::RecordingMap map;
    testing::RecordingText list;
    testing::RecordingProgress bar;
    bar.values.reserve(kBlocks);
    std::optional<RegionErrorKind> failed;
    {
      // Less to spare than the file's size: no new room can be found for it.
      const testing::AddressSpaceLimit full(4 << 20);
      try {
        reader_.Load([&] { return std::make_unique<FileSource>(c.path); }, store_, map, list, bar);
      } catch (const RegionError& e) {
        failed = e.kind();
      }
    }
    EXPECT_EQ(failed, c.fails);
  }
}

TEST(RegionError, EveryKindHasItsOwnDescription) {
  const RegionErrorKind kinds[] = {
      RegionErrorKind::kCannotOpen,      RegionErrorKind::kNotRegularFile,
      RegionErrorKind::kReadFailed,      RegionErrorKind::kTruncatedHeader,
      RegionErrorKind::kTruncatedBlock,  RegionErrorKind::kLayerCountTooLarge,
      RegionErrorKind::kFileChanged,     RegionErrorKind::kOutOfMemory};
  std::vector<std::string> seen;
  for (RegionErrorKind kind : kinds) {
    const std::string text = Describe(kind);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(std::find(seen.begin(), seen.end(), text), seen.end()) << text;
    seen.push_back(text);
  }
}

}  // namespace
}  // namespace geodata
