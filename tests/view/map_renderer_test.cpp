#include "view/map_renderer.h"

#include <memory>
#include <gtest/gtest.h>

#include <vector>

#include "region/region_reader.h"
#include "testing/panel_lines.h"
#include "testing/recording_panels.h"
#include "testing/temp_dir.h"
#include "tools/region_writer.h"
#include "view/map_units.h"
#include "view/overflow_error.h"

namespace geodata {
namespace {

using testing::Journal;
using testing::RecordingMap;
using testing::RecordingText;

class RendererTest : public ::testing::Test {
 protected:
  void Draw(std::int16_t Dm = kDisplayStep) { Draw_Geodata(store_, Dm, counters_, map_, list_); }
  Colour ColourOf(int block) const { return map_.points.at(static_cast<std::size_t>(block)).colour; }

  BlockStore store_;
  DrawCounters counters_;
  Journal journal_;
  RecordingMap map_{&journal_};
  RecordingText list_{&journal_};
};

TEST_F(RendererTest, SetsOnePointPerBlockColumnByColumn) {
  Draw();
  ASSERT_EQ(map_.points.size(), 65536U);
  for (int block = 0; block < 65536; ++block) {
    const auto& p = map_.points[static_cast<std::size_t>(block)];
    ASSERT_EQ(p.x, static_cast<float>(kDisplayStep * (block / 256))) << block;
    ASSERT_EQ(p.y, static_cast<float>(kDisplayStep * (block % 256))) << block;
  }
  EXPECT_EQ(map_.cls_count, 0) << "the renderer never clears the map";
  EXPECT_EQ(list_.lines, std::vector<std::string>{"Drawing Geodata...."});
  EXPECT_EQ(journal_.entries.front(), "list.Print:Drawing Geodata....") << "logged before any point";
}

TEST_F(RendererTest, ColoursFollowTheBlockKindAndOnlyThreeSlots) {
  struct Case {
    int block;
    std::int16_t type, v, c;
    Colour colour;
  };
  const Case cases[] = {
      {0, 0, -3753, 0, {0, 106, 0}},   {1, 0, -3754, 0, {0, 0, 170}},  {2, 0, -12, 0, {0, 255, 0}},
      {3, 64, -7507, 0, {0, 106, 0}},  {4, 64, -7508, 0, {0, 0, 170}}, {5, 64, -75, 0, {0, 254, 0}},
      {6, 1, 0, 1, {255, 255, 0}},     {7, -1, 0, 2, {0, 255, 255}},   {8, 1000, 0, 3, {255, 0, 0}},
  };
  for (const Case& c : cases) {
    store_.SetGeo(c.block, 0, 0, c.type);
    store_.SetGeo(c.block, 1, 1, c.v);
    store_.SetGeo(c.block, 1, 0, c.c);
  }
  Draw();
  std::vector<Colour> first;
  for (const Case& c : cases) {
    EXPECT_EQ(ColourOf(c.block), c.colour) << "block " << c.block;
    first.push_back(ColourOf(c.block));
  }
  // Every other slot of these blocks: a flat block's second value, cells 2..64,
  // the layer values of cell 1.
  for (const Case& c : cases) {
    store_.SetGeo(c.block, 2, 1, -30000);
    for (int j = 2; j <= 64; ++j) {
      for (int k = 0; k <= 16; k += 4) store_.SetGeo(c.block, j, k, 9);
    }
    for (int k = 2; k <= 16; ++k) store_.SetGeo(c.block, 1, k, -9);
  }
  map_.points.clear();
  Draw();
  for (std::size_t n = 0; n < std::size(cases); ++n) {
    EXPECT_EQ(ColourOf(cases[n].block), first[n]) << "block " << cases[n].block;
  }
}

TEST_F(RendererTest, RowPositionOutsideSixteenBitsRaisesTheOverflowError) {
  // 254 * 129 = 32766 fits; 255 * 129 does not.
  EXPECT_THROW(Draw(129), OverflowError);
  EXPECT_EQ(map_.points.size(), 255U) << "points before the failing one stay";
  EXPECT_EQ(map_.points.back().y, 32766.0F);
  EXPECT_EQ(counters_.X, 0);
  EXPECT_EQ(counters_.Y, 255);
  map_.points.clear();
  EXPECT_NO_THROW(Draw(128));
  EXPECT_EQ(map_.points.back().y, 32640.0F);
}

TEST_F(RendererTest, LogLineLandsUnderTheReadersLines) {
  testing::TempDir dir;
  const std::string path = dir.Write("r.dat", RegionWriter().FillFlat().Take());
  RegionReader reader;
  testing::RecordingProgress bar;
  reader.Load([&] { return std::make_unique<FileSource>(path); }, store_, map_, list_, bar);
  Draw();
  EXPECT_EQ(list_.lines, testing::LoadLogLines());
  EXPECT_EQ(map_.points.size(), 65536U);
}

}  // namespace
}  // namespace geodata
