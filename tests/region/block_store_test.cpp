#include "region/block_store.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace geodata {
namespace {


TEST(BlockStore, ReadsZeroEverywhereBeforeAnyWrite) {
  BlockStore store;
  for (int n = 0; n <= 18; ++n) EXPECT_EQ(store.Header(n), 0) << n;
  // Corners and a spread of slots across the whole table.
  for (int i : {0, 1, 255, 256, 65535, 65536}) {
    for (int j : {0, 1, 32, 64}) {
      for (int k : {0, 1, 8, 16}) EXPECT_EQ(store.Geo(i, j, k), 0) << i << ',' << j << ',' << k;
    }
  }
}

TEST(BlockStore, SlotsAreIndependentAndLaidOutWithTheBlockIndexFastest) {
  BlockStore store;
  store.SetGeo(5, 1, 0, 11);
  store.SetGeo(5, 0, 1, 22);
  store.SetGeo(6, 0, 0, 33);
  store.SetGeo(65536, 64, 16, -1);
  EXPECT_EQ(store.Geo(5, 1, 0), 11);
  EXPECT_EQ(store.Geo(5, 0, 1), 22);
  EXPECT_EQ(store.Geo(6, 0, 0), 33);
  EXPECT_EQ(store.Geo(5, 0, 0), 0);
  EXPECT_EQ(store.Geo(65536, 64, 16), -1);
  // A row holds every block of one (cell, layer) slot in block order.
  EXPECT_EQ(store.Row(1, 0)[5], 11);
  EXPECT_EQ(store.Row(0, 1)[5], 22);
  EXPECT_EQ(store.Row(64, 16)[65536], -1);
  EXPECT_EQ(&store.Row(1, 0)[0] - &store.Row(0, 0)[0], 65537);
  EXPECT_EQ(&store.Row(0, 1)[0] - &store.Row(0, 0)[0], 65537 * 65);
}

TEST(BlockStore, EveryIndexOutsideItsBoundsRaisesTheSubscriptError) {
  BlockStore store;
  struct Case {
    int i, j, k;
    const char* index;
    long high;
  };
  const Case cases[] = {
      {0, 0, 17, "k", 16},  {0, 0, -1, "k", 16}, {0, 65, 0, "j", 64},
      {0, -1, 0, "j", 64},  {65537, 0, 0, "i", 65536}, {-1, 0, 0, "i", 65536},
  };
  for (const Case& c : cases) {
    try {
      (void)store.Geo(c.i, c.j, c.k);
      ADD_FAILURE() << "no error for " << c.i << ',' << c.j << ',' << c.k;
    } catch (const SubscriptError& e) {
      EXPECT_EQ(e.index(), c.index);
      EXPECT_EQ(e.high(), c.high);
      EXPECT_NE(std::string(e.what()).find("subscript out of range"), std::string::npos);
    }
    EXPECT_THROW(store.SetGeo(c.i, c.j, c.k, 1), SubscriptError);
  }
  EXPECT_NO_THROW(store.SetGeo(0, 0, 16, 7));
  EXPECT_THROW((void)store.Header(19), SubscriptError);
  EXPECT_THROW((void)store.Header(-1), SubscriptError);
  EXPECT_THROW(store.SetHeader(19, 1), SubscriptError);
  EXPECT_THROW((void)store.Row(65, 0), SubscriptError);
}

}  // namespace
}  // namespace geodata
