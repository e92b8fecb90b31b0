#include "window/repaint_throttle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <memory>
#include <utility>
#include <vector>

#include "testing/qt/paint_recorder.h"
#include "testing/qt/qt_printers.h"

namespace geodata {
namespace {

class CountingPanel final : public QWidget {
 public:
  explicit CountingPanel(RepaintThrottle& throttle) : throttle_(throttle) { resize(20, 20); }
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    ++paints;
    throttle_.Painted(*this);
  }

 private:
  RepaintThrottle& throttle_;
};

// Panels shown long before the steps, so the first change is forced.
struct Panels {
  explicit Panels(int touches_per_clock_read)
      : throttle([this] { return now; }, RepaintThrottle::kInterval, touches_per_clock_read), a(throttle),
        b(throttle), c(std::make_unique<CountingPanel>(throttle)) {
    a.show(), b.show(), c->show();
    QApplication::processEvents();
    a.paints = b.paints = 0;
  }
  RepaintThrottle::Clock::time_point now;
  RepaintThrottle throttle;
  CountingPanel a, b;
  std::unique_ptr<CountingPanel> c;
};

TEST(RepaintThrottle, RepaintsAChangedPanelOnceItsIntervalIsUpOrLeavesItToTheEventLoop) {
  // At ms: panel a, b or c changes, e: the event loop runs, x: c is freed.
  struct Step { int ms; char what; int a_paints, b_paints; };
  struct Case { const char* what; int touches_per_clock_read; bool a_asks; std::vector<Step> steps; };
  const Case cases[] = {
      {"forced once per interval from the first change, for every changed panel only", 1, false,
       {{0, 'a', 0, 0}, {29, 'a', 0, 0}, {29, 'b', 0, 0}, {30, 'a', 1, 1}, {31, 'b', 1, 1}, {60, 'b', 1, 1},
        {61, 'b', 1, 2}}},
      {"changes within the interval are left to the event loop, and updated again once it painted", 1, false,
       {{0, 'a', 0, 0}, {5, 'a', 0, 0}, {5, 'e', 1, 0}, {10, 'a', 1, 0}, {10, 'e', 2, 0}, {40, 'b', 2, 0},
        {40, 'e', 2, 1}}},
      {"a paint by the event loop restarts the interval at the first change after it", 1, false,
       {{0, 'a', 0, 0}, {25, 'b', 0, 0}, {25, 'e', 1, 1}, {40, 'a', 1, 1}, {69, 'a', 1, 1}, {70, 'a', 2, 1}}},
      {"a panel that asks for its own rows is repainted whole only when forced", 1, true,
       {{0, 'a', 1, 0}, {5, 'a', 1, 0}, {5, 'e', 1, 0}, {40, 'a', 2, 0}}},
      {"a panel destroyed while it waits for its repaint is skipped", 1, false,
       {{5, 'c', 0, 0}, {5, 'b', 0, 0}, {5, 'x', 0, 0}, {40, 'b', 0, 1}}},
      {"the clock is read once per stride of touches", 4, false,
       {{0, 'a', 0, 0}, {40, 'a', 0, 0}, {40, 'a', 0, 0}, {40, 'a', 1, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Panels panels(c.touches_per_clock_read);
    if (c.a_asks) panels.throttle.AsksForItsOwnRows(panels.a, [] {});
    for (const Step& step : c.steps) {
      panels.now = RepaintThrottle::Clock::time_point(std::chrono::hours(1) + std::chrono::milliseconds(step.ms));
      if (step.what == 'e') QApplication::processEvents();
      if (step.what == 'x') panels.c.reset();
      QWidget* const touched[] = {&panels.a, &panels.b, panels.c.get()};
      if (step.what >= 'a' && step.what <= 'c') panels.throttle.Touched(*touched[step.what - 'a']);
      EXPECT_EQ(std::pair(panels.a.paints, panels.b.paints), std::pair(step.a_paints, step.b_paints))
          << step.ms << " ms, " << step.what;
    }
  }
}

// The window's panels go after its throttle: no wait for a frame, nor an ask
// once the command returns, is left to call into it.
TEST(RepaintThrottleLifetime, APanelThatOutlivesItsThrottleWaitsForNothing) {
  QWidget panel;
  int asked = 0;
  {
    RepaintThrottle throttle;
    throttle.AsksForItsOwnRows(panel, [&] { ++asked; });
    throttle.Touched(panel);
  }
  QApplication::processEvents();
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(testing::Timed(panel), QStringList{});
}

}  // namespace
}  // namespace geodata
