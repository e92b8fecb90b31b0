// Main's steps up to a window on the screen, on display servers of the
// tests' own; a case to a process, as Qt reads its scale once, as it starts.
#include "window/application_setup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <QtMath>
#include <string>

#include "testing/display_servers.h"
#include "window/main_window.h"
#include "window/scale_rule.h"

namespace geodata {
namespace {

void ExpectStarted(int factor, const QRect& work, double scale) {
  const platform::PrimaryScreen screen = PrepareScreenScale();
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  PrepareApplication();
  Form1 window(nullptr, nullptr, screen.Scale());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.windowHandle()->devicePixelRatio(), factor);
  EXPECT_EQ(window.centralWidget()->size(), QSize(736, 701));
  EXPECT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), work);
  // No window manager frames it here: its place is the frame's, and the
  // title bar the room the scale rule keeps.
  const int title_bar = qCeil(TitleBarPixels(scale) / factor);
  EXPECT_TRUE(work.contains(QRect(window.pos(), window.size() + QSize(0, title_bar)))) << window.pos().y();
}

struct XCase {
  const char* name;
  const char* screen;
  const char* setup;
  double scale;
  int factor;
  QRect work;  // Qt's: the corner in device pixels, the size in the factor's
};

void PrintTo(const XCase& c, std::ostream* out) { *out << c.name; }

class StartOnX : public ::testing::TestWithParam<XCase> {};

TEST_P(StartOnX, DrawsAtTheFactorWithTheWholeFrameInThePrimaryMonitorsWorkArea) {
  if (!testing::DisplayServersInstalled()) GTEST_SKIP() << "no X server to start";
  const XCase& c = GetParam();
  testing::XServer x(c.screen);
  x.Run(c.setup);
  qputenv("DISPLAY", x.display.c_str());
  qunsetenv("QT_QPA_PLATFORM");
  ExpectStarted(c.factor, c.work, c.scale);
}

INSTANTIATE_TEST_SUITE_P(
    Setups, StartOnX,
    ::testing::Values(
        XCase{"The4kPrimaryAt200RightOfA1080p", "5760x2160",
              "xrandr --setmonitor left 1920/508x1080/286+0+0 none; xrandr --setmonitor '*right' "
              "3840/1016x2160/572+1920+0 screen; xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA 0,0,5760,2064; "
              "echo Xft.dpi: 192 | xrdb -nocpp -merge",
              2, 2, {1920, 0, 1920, 1032}},
        XCase{"AWorkArea770Tall", "1280x800", "xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA 0,0,1280,770", 1,
              1, {0, 0, 1280, 770}}),
    [](const auto& info) { return std::string(info.param.name); });

class StartOnWayland : public ::testing::TestWithParam<int> {};

// Qt's own Wayland platform, where there is no X server: the compositor's
// whole scale is the factor.
TEST_P(StartOnWayland, DrawsAtTheCompositorsScale) {
  if (!testing::DisplayServersInstalled()) GTEST_SKIP() << "no Wayland compositor to start";
  const int scale = GetParam();
  testing::WaylandCompositor compositor("1920x1080", scale);
  qputenv("WAYLAND_DISPLAY", compositor.socket.c_str());
  qputenv("XDG_RUNTIME_DIR", compositor.runtime_dir.c_str());
  qunsetenv("DISPLAY");
  qunsetenv("QT_QPA_PLATFORM");
  // No OpenGL: the window paints without it, and Mesa's EGL, which Qt would
  // load for it, unloads its driver at exit with memory the leak checker
  // can then name no library for.
  qputenv("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION", "none");
  ExpectStarted(scale, {0, 0, 1920, 1080}, scale);
}

INSTANTIATE_TEST_SUITE_P(Scales, StartOnWayland, ::testing::Values(1, 2));

}  // namespace
}  // namespace geodata
