// The block store's memory as the system counts it: only the rows written
// cost any.
#include <gtest/gtest.h>

#include <cstdint>

#include "region/block_store.h"
#include "testing/process_probe.h"

namespace geodata {
namespace {

TEST(BlockStore, CostsMemoryOnlyForTheRowsWritten) {
  const std::int64_t before = testing::ResidentKiB();
  BlockStore store;
  // The rows an all-flat region writes.
  for (int i = 0; i < 65536; ++i) {
    store.SetGeo(i, 0, 0, 0);
    store.SetGeo(i, 1, 1, 1);
    store.SetGeo(i, 2, 1, 2);
  }
  const std::int64_t grown = testing::ResidentKiB() - before;
  EXPECT_LT(grown, 20 * 1024) << "KiB resident after writing three rows";
}

}  // namespace
}  // namespace geodata
