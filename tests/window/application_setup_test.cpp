// The program's start on display servers of the tests' own: each case in a
// process of its own, as Qt reads its scale once, when it starts.
#include "window/application_setup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QRect>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <QtMath>
#include <optional>
#include <string>
#include <vector>

#include "testing/display_servers.h"
#include "testing/qt/environment_scope.h"
#include "window/main_window.h"
#include "window/scale_rule.h"

namespace geodata {
namespace {

// Main's steps up to a window on the screen.
struct Started {
  Started() : screen(PrepareScreenScale()), app(argc, argv) {
    PrepareApplication();
    window.show();
  }
  int argc = 1;
  char name[5] = "test";
  char* argv[2] = {name, nullptr};
  platform::PrimaryScreen screen;
  QApplication app;
  Form1 window;
};

struct XCase {
  const char* name;
  int width, height;
  std::vector<platform::Area> monitors;  // the first primary
  std::optional<platform::Area> work_area;
  const char* dpi;
  const char* asked;  // QT_SCALE_FACTOR
  int factor;
  QRect work;  // of the primary monitor, as Qt counts: its corner a device pixel, its size the factor's
};

class StartOnX : public ::testing::TestWithParam<XCase> {};

// The window's frame, title bar included, lies in the primary monitor's
// work area. No window manager frames it here: its position is the frame's,
// and the title bar is the room the scale rule keeps.
TEST_P(StartOnX, DrawsAtAWholeFactorWithTheWholeFrameOnThePrimaryMonitor) {
  const XCase& c = GetParam();
  if (!testing::XServer::Available()) GTEST_SKIP() << "no X server to start";
  testing::XServer x(c.width, c.height);
  for (std::size_t i = 0; i < c.monitors.size(); ++i) {
    const platform::Area& m = c.monitors[i];
    x.AddMonitor(m.left, m.top, m.width, m.height, i == 0);
  }
  if (c.work_area) x.SetWorkArea(c.work_area->left, c.work_area->top, c.work_area->width, c.work_area->height);
  if (c.dpi) x.MergeResources(std::string("Xft.dpi: ") + c.dpi);
  testing::EnvironmentScope environment;
  environment.Set("DISPLAY", x.Display().c_str());
  environment.Set("QT_QPA_PLATFORM", std::nullopt);
  environment.Set("WAYLAND_DISPLAY", std::nullopt);
  environment.Set("QT_SCALE_FACTOR", c.asked ? std::optional<QByteArray>(c.asked) : std::nullopt);

  Started started;
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&started.window));
  const QWindow& window = *started.window.windowHandle();
  EXPECT_EQ(window.devicePixelRatio(), c.factor);
  const QRect& work = c.work;
  EXPECT_EQ(QGuiApplication::primaryScreen()->availableGeometry(), work);
  const double scale = c.dpi ? std::stod(c.dpi) / platform::kBaseDpi : 1;
  const QRect frame(started.window.pos(),
                    started.window.size() + QSize(0, qCeil(TitleBarPixels(scale) / window.devicePixelRatio())));
  EXPECT_TRUE(work.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
}

INSTANTIATE_TEST_SUITE_P(
    Setups, StartOnX,
    ::testing::Values(
        XCase{"StackedAt200TheUpperPrimary", 1920, 2160, {{0, 0, 1920, 1080}, {0, 1080, 1920, 1080}},
              platform::Area{0, 0, 1920, 2112}, "192", nullptr, 1, {0, 0, 1920, 1080}},
        XCase{"SideBySideThe4kPrimaryAt200", 5760, 2160, {{1920, 0, 3840, 2160}, {0, 0, 1920, 1080}},
              platform::Area{0, 0, 5760, 2064}, "192", nullptr, 2, {1920, 0, 1920, 1032}},
        XCase{"AWorkArea770Tall", 1280, 800, {}, platform::Area{0, 0, 1280, 770}, nullptr, nullptr, 1,
              {0, 0, 1280, 770}},
        XCase{"QtAskedFor150", 1920, 1080, {}, platform::Area{0, 0, 1920, 1032}, nullptr, "1.5", 1,
              {0, 0, 1920, 1032}}),
    [](const ::testing::TestParamInfo<XCase>& info) { return std::string(info.param.name); });

class StartOnWayland : public ::testing::TestWithParam<int> {};

// Qt's own Wayland platform, where there is no X server: the compositor's
// whole scale is the factor, and the layout keeps its size.
TEST_P(StartOnWayland, DrawsAtTheCompositorsWholeScale) {
  if (!testing::WaylandCompositor::Available()) GTEST_SKIP() << "no Wayland compositor to start";
  const int scale = GetParam();
  testing::WaylandCompositor compositor(1920 * scale, 1080 * scale, scale);
  testing::EnvironmentScope environment;
  environment.Set("WAYLAND_DISPLAY", compositor.Socket().c_str());
  environment.Set("XDG_RUNTIME_DIR", compositor.RuntimeDir().c_str());
  environment.Set("DISPLAY", std::nullopt);
  environment.Set("QT_QPA_PLATFORM", std::nullopt);
  environment.Set("QT_SCALE_FACTOR", std::nullopt);

  Started started;
  EXPECT_FALSE(started.screen.Facts());
  EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&started.window));
  EXPECT_EQ(started.window.windowHandle()->devicePixelRatio(), scale);
  EXPECT_EQ(started.window.centralWidget()->size(), QSize(736, 701));
}

INSTANTIATE_TEST_SUITE_P(Scales, StartOnWayland, ::testing::Values(1, 2));

}  // namespace
}  // namespace geodata
