// Files from anywhere: huge sparse files (changing ones: region_reader_test).
// Each must load reading no more than a region, or fail with a clear
// message and leave the loaded region as it was. Files of other kinds and
// special files are rows of the bad-file table.
#include <memory>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "region/region_error.h"
#include "region/region_reader.h"
#include "testing/address_sanitizer.h"
#include "testing/load_fixture.h"
#include "testing/temp_dir.h"
#include "testing/process_probe.h"
#include "testing/test_regions.h"
#include "tools/region_writer.h"

namespace geodata {
namespace {

using testing::TempDir;

void Truncate(const std::string& path, std::uintmax_t size) { std::filesystem::resize_file(testing::Utf8Path(path), size); }

class HostileInputTest : public testing::LoadFixture {
 protected:
  void SetUp() override {
    // The region the user had loaded and painted: every failure must keep it.
    RegionWriter before({22, 21});
    before.Multilayer(9, kMaxLayers, 42).Complex(std::int16_t{-100}).Flat(3, 4);
    before.Multilayer(-7, 2, 11).FillFlat();
    const std::string path = dir_.Write("before.dat", before.Take());
    reader_.Load([&] { return std::make_unique<FileSource>(path); }, store_, map_, list_, bar_);
    map_.PSet(30, 30, {1, 2, 3});
  }

  // Makes the whole table resident, so that what a load adds is its own.
  void MakeTableResident() {
    for (int k = 0; k <= BlockStore::kLayerMax; ++k) {
      for (int j = 0; j <= BlockStore::kCellMax; ++j) std::ranges::fill(store_.Row(j, k), -9);
    }
  }
  // Resident memory less the pages the system may take back without
  // writing them anywhere, as the system counts it.
  static std::int64_t HeldKiB() { return testing::ResidentKiB() - testing::LazyFreeKiB(); }
};

TEST_F(HostileInputTest, SparseFileOfSeveralGigabytesLoadsReadingOnlyItsRegion) {
  constexpr int kGroup = testing::kWorstCaseGroup;
  const std::string path = testing::WriteWorstCaseRegion(dir_, "huge.dat", {20, 18}, 7);
  ASSERT_EQ(std::filesystem::file_size(path), kMaxRegionBytes);
  Truncate(path, std::uintmax_t{6} << 30);  // 6 GiB, all but the region a hole
  const std::uint64_t file_size = std::filesystem::file_size(path);
  MakeTableResident();

  const std::int64_t read_before = testing::BytesRead();
  const bool peak_from_here = testing::ResetPeakResident();
  const std::int64_t resident_before = HeldKiB();
  ASSERT_GE(resident_before, 0);
  reader_.Load([&] { return std::make_unique<FileSource>(path); }, store_, map_, list_, bar_);
  const auto read = static_cast<std::uint64_t>(testing::BytesRead() - read_before);
  const auto grown_kib = static_cast<std::uint64_t>(testing::PeakResidentKiB() - resident_before);
  RecordProperty("bytes_read", std::to_string(read));
  RecordProperty("peak_resident_growth_kib", std::to_string(grown_kib));

  // Counted as the system counts it: pages it may take back are not held.
  const std::int64_t lazy_kib = testing::LazyFreeKiB();
  const std::int64_t kept_kib = HeldKiB() - resident_before;
  RecordProperty("lazy_free_after_kib", std::to_string(lazy_kib));
  RecordProperty("resident_growth_after_kib", std::to_string(kept_kib));

  // One pass over the region, as long as a region can be, so nothing past
  // it; plus the counter's own reads; where the system counts reads.
  if (read_before >= 0) {
    EXPECT_GE(read, kMaxRegionBytes);
    EXPECT_LE(read, kMaxRegionBytes + 64 * 1024);
    EXPECT_LT(read, file_size / 40);
  }
  // The region is held once while it is stored, and given back after. A
  // peak that cannot start over here would be the table's, made resident
  // above. AddressSanitizer's quarantine and shadow make both meaningless.
  if (!testing::kUnderAddressSanitizer) {
    if (peak_from_here) {
      EXPECT_LT(grown_kib, kMaxRegionBytes / 1024 + 16U * 1024);
    }
    EXPECT_LT(kept_kib, 16 * 1024);
  }

  EXPECT_EQ(store_.Header(1), 20);
  for (int i : {0, 63, 4097, 65535}) {
    const int b = i % kGroup;
    EXPECT_EQ(store_.Geo(i, 0, 0), -1 - b) << i;
    EXPECT_EQ(store_.Geo(i, 64, 0), kMaxLayers) << i;
    EXPECT_EQ(store_.Geo(i, 64, kMaxLayers), 7 * b) << i;
  }
  EXPECT_EQ(store_.Geo(5, 0, 1), -9) << "a slot no block writes";
  EXPECT_EQ(bar_.values.back(), 65535.0F);
}

// Any load of more than 16 MB offers its pages back, not only the largest,
// and so does one refused at its last block.
TEST_F(HostileInputTest, ALoadOfMoreThan16MBHoldsAtMost16MBBesideTheTable) {
  if (testing::kUnderAddressSanitizer) GTEST_SKIP() << "the sanitizer's quarantine holds memory of its own";
  MakeTableResident();
  for (const std::int16_t last_count : {std::int16_t{2}, std::int16_t{kMaxLayers + 1}}) {
    SCOPED_TRACE(last_count);
    RegionWriter region({20, 18});
    for (int i = 1; i < kBlocks; ++i) region.Multilayer(1, 2, 7);  // 386 bytes a block
    const std::vector<std::byte> bytes = region.Multilayer(1, last_count, 7).Take();
    ASSERT_GT(bytes.size(), 24U << 20);
    const std::string path = dir_.Write("25mb.dat", bytes);
    const std::int64_t before = HeldKiB();
    const auto load = [&] { reader_.Load([&] { return std::make_unique<FileSource>(path); }, store_, map_, list_, bar_); };
    if (last_count > kMaxLayers) {
      EXPECT_THROW(load(), RegionError);
    } else {
      load();
    }
    EXPECT_LT(HeldKiB() - before, 16 * 1024);
    EXPECT_EQ(store_.Geo(65535, 64, 2), 7);
  }
}

}  // namespace
}  // namespace geodata
