// The reader against a plain reader: one value at a time in file order,
// straight into a table laid out as documented. After each benchmark
// region, alone and over an earlier one, every slot must agree.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "region/region_reader.h"
#include "testing/recording_panels.h"
#include "testing/reference_walk.h"
#include "testing/temp_dir.h"
#include "testing/test_regions.h"
#include "tools/region_writer.h"

namespace geodata {
namespace {

using testing::BenchRegion;

class ReferenceTable {
 public:
  ReferenceTable() : slots_(BlockStore::kElements) {}

  // The header byte by byte, then every value in file order.
  void Load(const std::vector<std::byte>& file) {
    for (int n = 1; n <= kHeaderBytes; ++n) header_[n] = static_cast<std::uint8_t>(file.at(n - 1));
    const ReferenceOutcome outcome =
        WalkRegion(file, [this](int i, int j, int k, std::int16_t v) { Set(i, j, k, v); });
    if (!outcome.loads) throw std::runtime_error("the reference walk does not load the file");
  }

  std::uint8_t Header(int n) const { return header_.at(static_cast<std::size_t>(n)); }
  std::int16_t At(std::size_t i, std::size_t j, std::size_t k) const {
    return slots_.at(i + 65537 * (j + 65 * k));
  }

 private:
  void Set(int i, int j, int k, std::int16_t v) {
    slots_.at(static_cast<std::size_t>(i) + 65537 * static_cast<std::size_t>(j + 65 * k)) = v;
  }

  std::vector<std::int16_t> slots_;
  std::array<std::uint8_t, kHeaderBytes + 1> header_{};
};

// "" when the store holds exactly what the reference holds, else the first
// differing slot and how many differ.
std::string Differences(const BlockStore& store, const ReferenceTable& reference) {
  std::ostringstream out;
  std::size_t differing = 0;
  for (int n = 0; n <= BlockStore::kHeaderMax; ++n) {
    if (store.Header(n) != reference.Header(n)) {
      if (differing++ == 0) out << "Header(" << n << ")";
    }
  }
  for (int k = 0; k <= BlockStore::kLayerMax; ++k) {
    for (int j = 0; j <= BlockStore::kCellMax; ++j) {
      const auto row = store.Row(j, k);
      for (std::size_t i = 0; i < row.size(); ++i) {
        const std::int16_t expected = reference.At(i, static_cast<std::size_t>(j), static_cast<std::size_t>(k));
        if (row[i] != expected && differing++ == 0) {
          out << "Geo(" << i << "," << j << "," << k << ") = " << row[i] << ", expected " << expected;
        }
      }
    }
  }
  if (differing == 0) return {};
  out << "; " << differing << " slots differ";
  return out.str();
}

std::vector<std::byte> ReadFile(const std::string& path) {
  std::vector<std::byte> bytes(std::filesystem::file_size(path));
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) throw std::runtime_error("cannot read " + path);
  return bytes;
}

class ReferenceReaderTest : public ::testing::TestWithParam<BenchRegion> {
 protected:
  static void SetUpTestSuite() { dir_ = new testing::TempDir(); }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  // Both readers load the same file into their own table.
  void LoadBoth(BenchRegion region) { LoadBoth(testing::BenchRegionFile(region, dir_->path()).string()); }
  void LoadBoth(const std::string& path) {
    reader_.Load([&] { return std::make_unique<FileSource>(path); }, store_, map_, list_, bar_);
    reference_.Load(ReadFile(path));
  }

  static testing::TempDir* dir_;
  BlockStore store_;
  ReferenceTable reference_;
  RegionReader reader_;
  testing::RecordingMap map_;
  testing::RecordingText list_;
  testing::RecordingProgress bar_;
};

testing::TempDir* ReferenceReaderTest::dir_ = nullptr;

TEST_P(ReferenceReaderTest, FreshStoreHoldsWhatTheFileOrderReaderHolds) {
  LoadBoth(GetParam());
  EXPECT_EQ(Differences(store_, reference_), "");
}

// Worst first, into a fresh store; every later region leaves some of its
// layer slots behind.
TEST_F(ReferenceReaderTest, LoadOverEarlierRegionsKeepsTheSameStaleSlots) {
  const BenchRegion order[] = {BenchRegion::kWorst, BenchRegion::kMixed, BenchRegion::kFlat,
                               BenchRegion::kComplex};
  for (BenchRegion region : order) {
    SCOPED_TRACE(testing::Name(region));
    LoadBoth(region);
    EXPECT_EQ(Differences(store_, reference_), "");
  }
  // Slots no later region writes still hold the worst case's values.
  EXPECT_NE(reference_.At(0, 64, 16), 0);

  // Counts the benchmark regions leave out (9 to 15, and none), over slots
  // the worst case filled: each cell keeps the surplus above its count.
  RegionWriter deep({20, 18});
  for (int i = 0; i < kBlocks; ++i) {
    std::vector<LayerCell> cells(kCells);
    for (int j = 0; j < kCells; ++j) {
      const int count = (i + j) % 8 == 7 ? (j % 2 == 0 ? 0 : -3) : 9 + (i + j) % 7;
      cells[j].count = static_cast<std::int16_t>(count);
      for (int k = 0; k < count; ++k) cells[j].values.push_back(static_cast<std::int16_t>(i - 100 * k));
    }
    deep.Multilayer(static_cast<std::int16_t>(1 + i % 3), cells);
  }
  LoadBoth(BenchRegion::kWorst);
  LoadBoth(dir_->Write("deep.dat", deep.Take()));
  EXPECT_EQ(Differences(store_, reference_), "");
  EXPECT_NE(reference_.At(0, 1, 16), 0) << "a stale slot of the worst case";
}

// The worst case loads into a fresh store at the start of the test above.
INSTANTIATE_TEST_SUITE_P(BenchRegions, ReferenceReaderTest,
                         ::testing::Values(BenchRegion::kFlat, BenchRegion::kComplex, BenchRegion::kMixed),
                         [](const auto& info) { return std::string(testing::Name(info.param)); });

}  // namespace
}  // namespace geodata
