#include "window/repaint_throttle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <memory>

#include "testing/qt/paint_recorder.h"
#include "testing/qt/qt_printers.h"

namespace geodata {
namespace {

using std::chrono::milliseconds;

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

class RepaintThrottleTest : public ::testing::Test {
 protected:
  RepaintThrottleTest()
      : throttle_([this] { return now_; }, RepaintThrottle::kInterval, 1), a_(throttle_), b_(throttle_) {
    // Shown long before the steps below, so the first change is forced.
    now_ = RepaintThrottle::Clock::time_point(std::chrono::minutes(59));
    a_.show();
    b_.show();
    QApplication::processEvents();
    a_.paints = b_.paints = 0;
  }
  void At(int ms) { now_ = RepaintThrottle::Clock::time_point(std::chrono::hours(1) + milliseconds(ms)); }

  RepaintThrottle::Clock::time_point now_;
  RepaintThrottle throttle_;
  CountingPanel a_;
  CountingPanel b_;
};

TEST_F(RepaintThrottleTest, RepaintsOncePerIntervalCountedFromTheFirstChange) {
  At(0);
  throttle_.Touched(a_);
  EXPECT_EQ(a_.paints, 0) << "a command shorter than the interval is left to the event loop";
  At(29);
  throttle_.Touched(a_);
  throttle_.Touched(b_);
  EXPECT_EQ(a_.paints, 0);
  EXPECT_EQ(b_.paints, 0);
  At(30);
  throttle_.Touched(a_);
  EXPECT_EQ(a_.paints, 1);
  EXPECT_EQ(b_.paints, 1) << "every changed panel shows when the interval is up";
  At(31);
  throttle_.Touched(b_);
  At(60);
  throttle_.Touched(b_);
  EXPECT_EQ(b_.paints, 1);
  At(61);
  throttle_.Touched(b_);
  EXPECT_EQ(b_.paints, 2) << "and again an interval after the next change";
  EXPECT_EQ(a_.paints, 1) << "a panel unchanged since is not repainted";
}

TEST_F(RepaintThrottleTest, ChangesWithinTheIntervalArePaintedByTheEventLoop) {
  At(0);
  throttle_.Touched(a_);
  At(5);
  throttle_.Touched(a_);
  QApplication::processEvents();
  EXPECT_EQ(a_.paints, 1);
  At(10);
  throttle_.Touched(a_);  // already painted, so it needs a new update
  QApplication::processEvents();
  EXPECT_EQ(a_.paints, 2);
  At(40);
  throttle_.Touched(b_);
  EXPECT_EQ(b_.paints, 0) << "the screen was up to date until this change";
  QApplication::processEvents();
  EXPECT_EQ(b_.paints, 1);
  EXPECT_EQ(a_.paints, 2) << "a panel the event loop painted is not painted again";
}

TEST_F(RepaintThrottleTest, APaintByTheEventLoopRestartsTheInterval) {
  At(0);
  throttle_.Touched(a_);
  At(25);
  throttle_.Touched(b_);
  QApplication::processEvents();
  ASSERT_EQ(a_.paints, 1);
  At(40);
  throttle_.Touched(a_);
  At(69);
  throttle_.Touched(a_);
  EXPECT_EQ(a_.paints, 1) << "the interval restarts at the first change after the paint";
  At(70);
  throttle_.Touched(a_);
  EXPECT_EQ(a_.paints, 2);
}

TEST_F(RepaintThrottleTest, APanelThatAsksForItsOwnRowsIsRepaintedWholeOnlyWhenForced) {
  throttle_.AsksForItsOwnRows(a_, [] {});
  At(0);
  throttle_.Touched(a_);
  EXPECT_EQ(a_.paints, 1) << "forced, as any changed panel";
  At(5);
  throttle_.Touched(a_);
  QApplication::processEvents();
  EXPECT_EQ(a_.paints, 1) << "the throttle asks for no repaint of its own";
  At(40);
  throttle_.Touched(a_);
  EXPECT_EQ(a_.paints, 2) << "still changed, so forced once the interval is up";
}

// Qt frees a panel whenever its owner goes; a forced repaint then reaches only
// the panels that are left.
TEST_F(RepaintThrottleTest, APanelDestroyedWhileItWaitsForItsRepaintIsSkipped) {
  At(0);
  auto gone = std::make_unique<CountingPanel>(throttle_);
  gone->show();
  QApplication::processEvents();
  At(5);
  throttle_.Touched(*gone);
  throttle_.Touched(b_);
  gone.reset();
  At(40);
  throttle_.Touched(b_);
  EXPECT_EQ(b_.paints, 1) << "the panels that are left are repainted";
}

// The window's panels go after its throttle: no wait for a frame is left to
// call into it.
TEST(RepaintThrottleLifetime, APanelThatOutlivesItsThrottleWaitsForNothing) {
  QWidget panel;
  {
    RepaintThrottle throttle;
    throttle.AsksForItsOwnRows(panel, [] {});
    throttle.Touched(panel);
    ASSERT_EQ(testing::Timed(panel), QStringList{"QTimer"});
  }
  EXPECT_EQ(testing::Timed(panel), QStringList{});
}

TEST(RepaintThrottleStride, ReadsTheClockOncePerStrideOfTouches) {
  int reads = 0;
  auto now = RepaintThrottle::Clock::time_point(std::chrono::hours(1));
  RepaintThrottle throttle(
      [&] {
        ++reads;
        return now;
      },
      RepaintThrottle::kInterval, 4);
  CountingPanel panel(throttle);
  panel.show();
  QApplication::processEvents();
  panel.paints = 0;
  now += std::chrono::minutes(1);
  reads = 0;
  for (int touch = 1; touch <= 12; ++touch) throttle.Touched(panel);
  EXPECT_EQ(panel.paints, 0) << "all within the interval";
  EXPECT_EQ(reads, 1 + 3) << "once when the changes begin, then once per 4 touches";
}

}  // namespace
}  // namespace geodata
