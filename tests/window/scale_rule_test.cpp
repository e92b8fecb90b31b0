#include "window/scale_rule.h"

#include <gtest/gtest.h>

#include <QMenuBar>
#include <optional>
#include <string>
#include <vector>

#include "testing/display_servers.h"
#include "testing/qt/environment_scope.h"
#include "window/application_setup.h"
#include "window/frame_placement.h"
#include "window/main_window.h"

namespace geodata {
namespace {

using platform::Area;

// A desktop of several monitors as an X server holds it: one screen, its
// RandR monitors and the window manager's one work area across them all.
struct Monitor {
  Area area;
  bool primary;
};
struct XDesktop {
  int width = 0, height = 0;
  std::vector<Monitor> monitors;
  Area work_area;
};

struct Case {
  const char* name;
  platform::ScreenFacts screen;  // the primary monitor, its work area, the desktop's scale
  int factor, window_width, window_height;
  // Where empty, one monitor of the whole screen, with the facts' work area.
  XDesktop desktop = {};
  const char* asked = nullptr;    // the user's QT_SCALE_FACTOR
  const char* wayland = nullptr;  // WAYLAND_DISPLAY, as on a Wayland desktop with XWayland
};

// The desktop's facts as an X server reports them to the probe, and the
// factor the start-up tells Qt, where an X server can be started.
void ExpectProbedAndPrepared(const Case& c) {
  const XDesktop& d = c.desktop;
  const bool whole = d.monitors.empty();
  testing::XServer x(whole ? c.screen.monitor.width : d.width, whole ? c.screen.monitor.height : d.height);
  for (const Monitor& m : d.monitors) x.AddMonitor(m.area.left, m.area.top, m.area.width, m.area.height, m.primary);
  const Area& work = whole ? c.screen.work : d.work_area;
  if (!whole || work.width != c.screen.monitor.width || work.height != c.screen.monitor.height) {
    x.SetWorkArea(work.left, work.top, work.width, work.height);
  }
  if (c.screen.scale != 1) x.MergeResources("Xft.dpi: " + std::to_string(c.screen.scale * platform::kBaseDpi));

  testing::EnvironmentScope environment;
  environment.Set("DISPLAY", x.Display().c_str());
  environment.Set("QT_QPA_PLATFORM", std::nullopt);
  environment.Set("WAYLAND_DISPLAY", c.wayland ? std::optional<QByteArray>(c.wayland) : std::nullopt);
  environment.Set("QT_RELY_ON_NET_WORKAREA_ATOM", std::nullopt);
  environment.Set("QT_SCALE_FACTOR", c.asked ? std::optional<QByteArray>(c.asked) : std::nullopt);
  environment.Set("QT_SCREEN_SCALE_FACTORS", std::nullopt);
  environment.Set("QT_FONT_DPI", std::nullopt);
  const platform::PrimaryScreen probed = PrepareScreenScale();
  ASSERT_TRUE(probed.Facts());
  EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray(c.wayland ? "xcb" : ""));
  const platform::ScreenFacts& facts = *probed.Facts();
  for (const auto& [got, want] : {std::pair(facts.monitor, c.screen.monitor), std::pair(facts.work, c.screen.work)}) {
    EXPECT_EQ(std::vector({got.left, got.top, got.width, got.height}),
              std::vector({want.left, want.top, want.width, want.height}));
  }
  EXPECT_NEAR(facts.scale, c.screen.scale, 1e-6);
  EXPECT_EQ(qgetenv("QT_SCREEN_SCALE_FACTORS"), QByteArray::number(c.factor));
  EXPECT_FALSE(qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) << "Qt would scale the whole factor again";
}

// The window at factor 1 is 736 x 731 pixels (701 of client area under 30
// kept for the menu bar), and the title bar 30 pixels at 100 %. Its frame is
// placed in the primary monitor's work area: whole where it fits, and
// otherwise with the title bar's corner on it.
TEST(ScaleRule, TakesTheLargestWholeFactorAtWhichTheWindowFitsThePrimaryMonitorsWorkArea) {
  const Case cases[] = {
      {"1920 x 1080 at 100 %", {{0, 0, 1920, 1080}, {0, 0, 1920, 1032}, 1.0}, 1, 736, 761},
      {"1920 x 1080 at 125 %", {{0, 0, 1920, 1080}, {0, 0, 1920, 1020}, 1.25}, 1, 736, 769},
      {"1920 x 1080 at 150 %", {{0, 0, 1920, 1080}, {0, 0, 1920, 1008}, 1.5}, 1, 736, 776},
      {"1920 x 1080 at 175 %", {{0, 0, 1920, 1080}, {0, 0, 1920, 996}, 1.75}, 1, 736, 784},
      {"1920 x 1080 at 200 %: twice the window is too tall", {{0, 0, 1920, 1080}, {0, 0, 1920, 984}, 2.0}, 1, 736, 791},
      {"2560 x 1440 at 150 %", {{0, 0, 2560, 1440}, {0, 0, 2560, 1368}, 1.5}, 1, 736, 776},
      {"3840 x 2160 at 200 %", {{0, 0, 3840, 2160}, {0, 0, 3840, 2064}, 2.0}, 2, 1472, 1522},
      {"3840 x 2160 at 250 %", {{0, 0, 3840, 2160}, {0, 0, 3840, 2040}, 2.5}, 2, 1472, 1537},
      {"3840 x 2160 at 300 %: three times is too tall", {{0, 0, 3840, 2160}, {0, 0, 3840, 2016}, 3.0}, 2, 1472, 1552},
      {"a scale worked out a hair under 200 %", {{0, 0, 3840, 2160}, {0, 0, 3840, 2064}, 1.9999999}, 2, 1472, 1522},
      {"2560 x 1600 at 200 %, the taskbar at the side", {{0, 0, 2560, 1600}, {96, 0, 2464, 1600}, 2.0}, 2, 1472, 1522},
      {"2560 x 1600 at 200 %, a taskbar that hides itself", {{0, 0, 2560, 1600}, {0, 0, 2560, 1600}, 2.0}, 1, 736, 791},
      {"a portrait screen at 200 %: twice the window is too wide", {{0, 0, 1080, 1920}, {0, 0, 1080, 1824}, 2.0}, 1,
       736, 791},
      {"no taskbar, as under Wine, at 150 %", {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, 1.5}, 1, 736, 776},
      {"no taskbar at 200 %", {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, 2.0}, 1, 736, 791},
      {"below 100 %", {{0, 0, 1920, 1080}, {0, 0, 1920, 1032}, 0.75}, 1, 736, 754},
      {"800 x 600: the title bar stays on the screen", {{0, 0, 800, 600}, {0, 0, 800, 560}, 1.0}, 1, 736, 761},
      {"a work area 761 tall: the window just fits", {{0, 0, 1280, 800}, {0, 0, 1280, 761}, 1.0}, 1, 736, 761},
      {"a work area 790 tall under a top panel", {{0, 0, 1280, 830}, {0, 40, 1280, 790}, 1.0}, 1, 736, 761},
      {"1366 x 768: too short for the window", {{0, 0, 1366, 768}, {0, 0, 1366, 728}, 1.0}, 1, 736, 761},
      {"3840 x 2160 at 100 %, Qt asked for 200 %", {{0, 0, 3840, 2160}, {0, 0, 3840, 2112}, 1.0}, 2, 1472, 1522,
       {}, "2"},
      {"1920 x 1080 at 100 %, Qt asked for 150 %", {{0, 0, 1920, 1080}, {0, 0, 1920, 1032}, 1.0}, 1, 736, 776,
       {}, "1.5"},
      {"two 1920 x 1080 stacked at 200 %, the upper primary, the taskbar on the lower",
       {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, 2.0}, 1, 736, 791,
       {1920, 2160, {{{0, 0, 1920, 1080}, true}, {{0, 1080, 1920, 1080}, false}}, {0, 0, 1920, 2112}}},
      {"two 1920 x 1080 stacked at 200 %, the lower primary with the taskbar",
       {{0, 1080, 1920, 1080}, {0, 1080, 1920, 1032}, 2.0}, 1, 736, 791,
       {1920, 2160, {{{0, 0, 1920, 1080}, false}, {{0, 1080, 1920, 1080}, true}}, {0, 0, 1920, 2112}}},
      {"a 1920 x 1080 primary at 100 % left of a 3840 x 2160",
       {{0, 0, 1920, 1080}, {0, 0, 1920, 1032}, 1.0}, 1, 736, 761,
       {5760, 2160, {{{0, 0, 1920, 1080}, true}, {{1920, 0, 3840, 2160}, false}}, {0, 0, 5760, 1032}}},
      {"a 1920 x 1080 primary at 200 % left of a 3840 x 2160",
       {{0, 0, 1920, 1080}, {0, 0, 1920, 1032}, 2.0}, 1, 736, 791,
       {5760, 2160, {{{0, 0, 1920, 1080}, true}, {{1920, 0, 3840, 2160}, false}}, {0, 0, 5760, 1032}}},
      {"a 3840 x 2160 primary at 200 % right of a 1920 x 1080",
       {{1920, 0, 3840, 2160}, {1920, 0, 3840, 2064}, 2.0}, 2, 1472, 1522,
       {5760, 2160, {{{0, 0, 1920, 1080}, false}, {{1920, 0, 3840, 2160}, true}}, {0, 0, 5760, 2064}}},
      {"none primary at 200 %: the 1920 x 1080 at the corner, where Qt opens the window, not the first listed",
       {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, 2.0}, 1, 736, 791,
       {5760, 2160, {{{1920, 0, 3840, 2160}, false}, {{0, 0, 1920, 1080}, false}}, {0, 0, 5760, 2160}}},
      {"1920 x 1080 at 200 % through XWayland", {{0, 0, 1920, 1080}, {0, 0, 1920, 1032}, 2.0}, 1, 736, 791, {}, nullptr,
       "wayland-0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (testing::XServer::Available()) ExpectProbedAndPrepared(c);
    platform::ScreenFacts screen = c.screen;
    if (c.asked) screen.scale *= std::stod(c.asked);
    const ScaleChoice choice = ChooseScale(screen);
    EXPECT_EQ(choice.factor, c.factor);
    EXPECT_EQ(choice.window_width, c.window_width);
    EXPECT_EQ(choice.window_height, c.window_height);

    const Area& work = c.screen.work;
    const FramePosition at = PlaceFrame(work, choice.window_width, choice.window_height);
    EXPECT_GE(at.left, work.left);
    EXPECT_GE(at.top, work.top);
    const int right = choice.window_width <= work.width ? at.left + choice.window_width : work.left;
    const int bottom = choice.window_height <= work.height ? at.top + choice.window_height : work.top;
    EXPECT_LE(right, work.left + work.width);
    EXPECT_LE(bottom, work.top + work.height);
  }
}

TEST(ScaleRule, KeepsRoomEnoughForTheToolkitsMenuBar) {
  Form1 window;
  EXPECT_LE(window.menuBar()->height(), kMenuBarAllowancePixels);
}

}  // namespace
}  // namespace geodata
