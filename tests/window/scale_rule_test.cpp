#include "window/scale_rule.h"

#include <gtest/gtest.h>

#include <QMenuBar>

#include "window/main_window.h"

namespace geodata {
namespace {

// The window at factor 1 is 736 x 731 pixels (701 of client area under 30
// kept for the menu bar), and the title bar 30 pixels at 100 %.
TEST(ScaleRule, TakesTheLargestWholeFactorAtWhichTheWindowFitsAboveTheTaskbar) {
  struct Case {
    const char* name;
    platform::ScreenFacts screen;  // width, height, work area, scale
    int factor, window_width, window_height;
  };
  const Case cases[] = {
      {"1920 x 1080 at 100 %", {1920, 1080, 1920, 1032, 1.0}, 1, 736, 761},
      {"1920 x 1080 at 125 %", {1920, 1080, 1920, 1020, 1.25}, 1, 736, 769},
      {"1920 x 1080 at 150 %", {1920, 1080, 1920, 1008, 1.5}, 1, 736, 776},
      {"1920 x 1080 at 175 %", {1920, 1080, 1920, 996, 1.75}, 1, 736, 784},
      {"1920 x 1080 at 200 %: twice the window is too tall", {1920, 1080, 1920, 984, 2.0}, 1, 736, 791},
      {"2560 x 1440 at 150 %", {2560, 1440, 2560, 1368, 1.5}, 1, 736, 776},
      {"3840 x 2160 at 200 %", {3840, 2160, 3840, 2064, 2.0}, 2, 1472, 1522},
      {"3840 x 2160 at 250 %", {3840, 2160, 3840, 2040, 2.5}, 2, 1472, 1537},
      {"3840 x 2160 at 300 %: three times is too tall", {3840, 2160, 3840, 2016, 3.0}, 2, 1472, 1552},
      {"a scale worked out a hair under 200 %", {3840, 2160, 3840, 2064, 1.9999999}, 2, 1472, 1522},
      {"2560 x 1600 at 200 %, the taskbar at the side", {2560, 1600, 2464, 1600, 2.0}, 2, 1472, 1522},
      {"2560 x 1600 at 200 %, a taskbar that hides itself", {2560, 1600, 2560, 1600, 2.0}, 1, 736, 791},
      {"a portrait screen at 200 %: twice the window is too wide", {1080, 1920, 1080, 1824, 2.0}, 1, 736, 791},
      {"no taskbar, as under Wine, at 150 %", {1920, 1080, 1920, 1080, 1.5}, 1, 736, 776},
      {"no taskbar at 200 %", {1920, 1080, 1920, 1080, 2.0}, 1, 736, 791},
      {"below 100 %", {1920, 1080, 1920, 1032, 0.75}, 1, 736, 754},
      {"a screen smaller than the window", {800, 600, 800, 560, 1.0}, 1, 736, 761},
  };
  for (const Case& c : cases) {
    const ScaleChoice choice = ChooseScale(c.screen);
    EXPECT_EQ(choice.factor, c.factor) << c.name;
    EXPECT_EQ(choice.window_width, c.window_width) << c.name;
    EXPECT_EQ(choice.window_height, c.window_height) << c.name;
  }
}

TEST(ScaleRule, KeepsRoomEnoughForTheToolkitsMenuBar) {
  Form1 window;
  EXPECT_LE(window.menuBar()->height(), kMenuBarAllowancePixels);
}

}  // namespace
}  // namespace geodata
