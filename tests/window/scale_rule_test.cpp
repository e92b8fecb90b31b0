#include "window/scale_rule.h"

#include <gtest/gtest.h>

#include <QMenuBar>
#include <algorithm>
#include <string>
#include <vector>

#include "testing/display_servers.h"
#include "window/application_setup.h"
#include "window/frame_placement.h"
#include "window/main_window.h"

namespace geodata {
namespace {

struct Case {
  const char* name;
  platform::ScreenFacts screen;  // the primary monitor: width, height, work area, scale, where they lie
  int factor, window_width, window_height;
  // An X desktop of several monitors: its screen and what sets it up. Where
  // there is none, a single monitor with the facts' work area.
  const char* x_screen = nullptr;
  const char* x_setup = nullptr;
  const char* asked = nullptr;    // the user's QT_SCALE_FACTOR
  const char* wayland = nullptr;  // WAYLAND_DISPLAY, on a Wayland desktop with XWayland
};

// What the probe reads from an X server set up as the row says, and the
// factor the start-up then gives Qt.
void ExpectProbedAndPrepared(const Case& c) {
  const platform::ScreenFacts& s = c.screen;
  testing::XServer x(c.x_screen ? c.x_screen : std::to_string(s.width) + "x" + std::to_string(s.height));
  if (c.x_setup) x.Run(c.x_setup);
  if (!c.x_setup && (s.work_width != s.width || s.work_height != s.height)) {
    x.Run("xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA " + std::to_string(s.work_left) + "," +
          std::to_string(s.work_top) + "," + std::to_string(s.work_width) + "," + std::to_string(s.work_height));
  }
  // Without a preprocessor, which xrdb would otherwise need.
  if (s.scale != 1) x.Run("echo Xft.dpi: " + std::to_string(s.scale * platform::kBaseDpi) + " | xrdb -nocpp -merge");
  qputenv("DISPLAY", x.display.c_str());
  qputenv("QT_QPA_PLATFORM", "");
  qputenv("WAYLAND_DISPLAY", c.wayland ? c.wayland : "");
  qputenv("QT_SCALE_FACTOR", c.asked ? c.asked : "");
  const platform::PrimaryScreen probed = PrepareScreenScale();
  ASSERT_TRUE(probed.Facts());
  const platform::ScreenFacts& f = *probed.Facts();
  EXPECT_EQ(std::vector({f.left, f.top, f.width, f.height, f.work_left, f.work_top, f.work_width, f.work_height}),
            std::vector({s.left, s.top, s.width, s.height, s.work_left, s.work_top, s.work_width, s.work_height}));
  EXPECT_NEAR(f.scale, s.scale, 1e-6);
  EXPECT_EQ(qgetenv("QT_SCREEN_SCALE_FACTORS"), QByteArray::number(c.factor));
  EXPECT_FALSE(qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) << "Qt would scale the window again";
  qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The window at factor 1 is 736 x 731 pixels (701 of client area under 30
// kept for the menu bar), and the title bar 30 pixels at 100 %. Its frame
// lies in the primary monitor's work area; where it cannot, its title bar.
TEST(ScaleRule, TakesTheLargestWholeFactorAtWhichTheWindowFitsThePrimaryMonitorsWorkArea) {
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
      {"a work area 761 tall: the window just fits", {1280, 800, 1280, 761, 1.0}, 1, 736, 761},
      {"a work area 790 tall under a top panel", {1280, 830, 1280, 790, 1.0, 0, 0, 0, 40}, 1, 736, 761},
      {"1366 x 768: too short for the window", {1366, 768, 1366, 728, 1.0}, 1, 736, 761},
      {"3840 x 2160, Qt asked for 200 %", {3840, 2160, 3840, 2112, 1.0}, 2, 1472, 1522, nullptr, nullptr, "2"},
      {"1920 x 1080, Qt asked for 150 %", {1920, 1080, 1920, 1032, 1.0}, 1, 736, 776, nullptr, nullptr, "1.5"},
      {"1920 x 1080 at 200 % through XWayland", {1920, 1080, 1920, 1032, 2.0}, 1, 736, 791, nullptr, nullptr,
       nullptr, "wayland-0"},
      {"two 1920 x 1080 stacked at 200 %, the upper primary, the taskbar on the lower", {1920, 1080, 1920, 1080, 2.0},
       1, 736, 791, "1920x2160", "xrandr --setmonitor '*up' 1920/508x1080/286+0+0 screen; xrandr --setmonitor down "
       "1920/508x1080/286+0+1080 none; xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA 0,0,1920,2112"},
      {"two 1920 x 1080 stacked at 200 %, the lower primary with the taskbar",
       {1920, 1080, 1920, 1032, 2.0, 0, 1080, 0, 1080}, 1, 736, 791, "1920x2160",
       "xrandr --setmonitor up 1920/508x1080/286+0+0 screen; xrandr --setmonitor '*down' 1920/508x1080/286+0+1080 "
       "none; xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA 0,0,1920,2112"},
      {"a 1920 x 1080 primary at 200 % left of a 3840 x 2160", {1920, 1080, 1920, 1032, 2.0}, 1, 736, 791, "5760x2160",
       "xrandr --setmonitor '*left' 1920/508x1080/286+0+0 screen; xrandr --setmonitor right 3840/1016x2160/572+1920+0 "
       "none; xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA 0,0,5760,1032"},
      {"a 3840 x 2160 primary at 200 % right of a 1920 x 1080", {3840, 2160, 3840, 2064, 2.0, 1920, 0, 1920, 0}, 2,
       1472, 1522, "5760x2160", "xrandr --setmonitor left 1920/508x1080/286+0+0 none; xrandr --setmonitor '*right' "
       "3840/1016x2160/572+1920+0 screen; xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA 0,0,5760,2064"},
      {"none primary at 200 %: the 1920 x 1080 at the corner, where Qt opens the window, not the first listed",
       {1920, 1080, 1920, 1080, 2.0}, 1, 736, 791, "5760x2160", "xrandr --setmonitor right 3840/1016x2160/572+1920+0 "
       "screen; xrandr --setmonitor left 1920/508x1080/286+0+0 none"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (testing::DisplayServersInstalled()) ExpectProbedAndPrepared(c);
    platform::ScreenFacts screen = c.screen;
    if (c.asked) screen.scale *= std::stod(c.asked);
    const ScaleChoice choice = ChooseScale(screen);
    EXPECT_EQ(choice.factor, c.factor);
    EXPECT_EQ(choice.window_width, c.window_width);
    EXPECT_EQ(choice.window_height, c.window_height);
    const platform::Area work = c.screen.Work();
    const FramePosition at = PlaceFrame(work, choice.window_width, choice.window_height);
    EXPECT_GE(at.left, work.left);
    EXPECT_GE(at.top, work.top);
    EXPECT_LE(at.left + std::min(choice.window_width, work.width), work.left + work.width);
    EXPECT_LE(at.top + std::min(choice.window_height, work.height), work.top + work.height);
  }
}

TEST(ScaleRule, KeepsRoomEnoughForTheToolkitsMenuBar) {
  Form1 window;
  EXPECT_LE(window.menuBar()->height(), kMenuBarAllowancePixels);
}

}  // namespace
}  // namespace geodata
