#include "view/pointer_readout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/panel_lines.h"
#include "testing/recording_panels.h"
#include "view/map_units.h"

namespace geodata {
namespace {

using testing::RecordingText;

class ReadoutTest : public ::testing::Test {
 protected:
  std::vector<std::string> Readout(std::uint8_t region_x, std::uint8_t region_y, float x, float y,
                                   std::int16_t button = 0, std::int16_t shift = 0) {
    store_.SetHeader(1, region_x);
    store_.SetHeader(2, region_y);
    Map_MouseMove(button, shift, x, y, store_, kDisplayStep, list_);
    return list_.lines;
  }

  BlockStore store_;
  RecordingText list_;
};

TEST_F(ReadoutTest, WorkedExampleLineForLine) {
  list_.Print({"Reading file Header..."});
  EXPECT_EQ(Readout(22, 22, 1995, 3015), testing::ReadoutLines());
  EXPECT_EQ(list_.cls_count, 1);
}

TEST_F(ReadoutTest, RegionWorldAndBlockLines) {
  struct Case {
    std::uint8_t rx, ry;
    float x, y;
    const char *name, *world_x, *world_y, *block;
  };
  const Case cases[] = {
      {20, 18, 0, 0, "Map:  20 _ 18 ", " World_X:  0 ", " World_Y:  0 ", " 0   0 "},
      {16, 17, 0, 0, "Map:  16 _ 17 ", " World_X: -131072 ", " World_Y: -32768 ", " 0   0 "},
      {0, 0, 0, 0, "Map:  0 _ 0 ", " World_X: -655360 ", " World_Y: -589824 ", " 0   0 "},
      {255, 255, 7650, 7650, "Map:  255 _ 255 ", " World_X:  7733120 ", " World_Y:  7798656 ",
       " 255   255 "},
      {20, 18, 15, 29.9F, "Map:  20 _ 18 ", " World_X:  0 ", " World_Y:  0 ", " 0   0 "},
      {20, 18, 30, 45, "Map:  20 _ 18 ", " World_X:  128 ", " World_Y:  128 ", " 1   1 "},
      {20, 18, 7680, 7665, "Map:  20 _ 18 ", " World_X:  32768 ", " World_Y:  32640 ",
       " 256   255 "},
      {20, 18, -15, -0.5F, "Map:  20 _ 18 ", " World_X: -128 ", " World_Y: -128 ", "-1  -1 "},
      {20, 18, -30, 0, "Map:  20 _ 18 ", " World_X: -128 ", " World_Y:  0 ", "-1   0 "},
      {20, 18, -31, 0, "Map:  20 _ 18 ", " World_X: -256 ", " World_Y:  0 ", "-2   0 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "x=" << c.x << " y=" << c.y);
    const auto lines = Readout(c.rx, c.ry, c.x, c.y);
    ASSERT_EQ(lines.size(), 13U);
    EXPECT_EQ(lines[0], c.name);
    EXPECT_EQ(lines[2], c.world_x);
    EXPECT_EQ(lines[3], c.world_y);
    EXPECT_EQ(lines[5], c.block);
  }
}

TEST_F(ReadoutTest, SameBlockSameTextWhateverTheButtonsAndKeys) {
  const auto reference = Readout(22, 22, 1980, 3000);
  EXPECT_EQ(Readout(22, 22, 2009.9F, 3029.9F), reference);
  EXPECT_EQ(Readout(22, 22, 1995, 3015, 1, 0), reference);
  EXPECT_EQ(Readout(22, 22, 1995, 3015, 2, 7), reference);
  EXPECT_NE(Readout(22, 22, 2010, 3015), reference);
}

}  // namespace
}  // namespace geodata
