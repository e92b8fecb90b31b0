#include "window/repaint_throttle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <chrono>

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

TEST_F(RepaintThrottleTest, RepaintsAtOnceOnlyOncePerInterval) {
  At(0);
  throttle_.Touched(a_);
  EXPECT_EQ(a_.paints, 1) << "the first change shows at once";
  At(29);
  throttle_.Touched(a_);
  throttle_.Touched(b_);
  EXPECT_EQ(a_.paints, 1);
  EXPECT_EQ(b_.paints, 0);
  At(30);
  throttle_.Touched(a_);
  EXPECT_EQ(a_.paints, 2);
  EXPECT_EQ(b_.paints, 1) << "every changed panel shows when the interval is up";
}

TEST_F(RepaintThrottleTest, ChangesWithinTheIntervalArePaintedByTheEventLoop) {
  At(0);
  throttle_.Touched(a_);
  At(5);
  throttle_.Touched(a_);
  QApplication::processEvents();
  EXPECT_EQ(a_.paints, 2);
  At(10);
  throttle_.Touched(a_);  // already painted, so it needs a new update
  QApplication::processEvents();
  EXPECT_EQ(a_.paints, 3);
  At(40);
  throttle_.Touched(b_);
  EXPECT_EQ(b_.paints, 1);
  EXPECT_EQ(a_.paints, 3) << "a panel the event loop painted is not painted again";
}

TEST_F(RepaintThrottleTest, APaintByTheEventLoopRestartsTheInterval) {
  At(0);
  throttle_.Touched(a_);
  At(25);
  throttle_.Touched(a_);
  QApplication::processEvents();
  ASSERT_EQ(a_.paints, 2);
  At(40);
  throttle_.Touched(a_);
  EXPECT_EQ(a_.paints, 2) << "only 15 ms since the screen was last brought up to date";
  At(55);
  throttle_.Touched(a_);
  EXPECT_EQ(a_.paints, 3);
}

TEST_F(RepaintThrottleTest, APanelThatAsksForItsChangedPartsIsRepaintedOnlyWhenForced) {
  At(0);
  throttle_.TouchedPart(a_);
  EXPECT_EQ(a_.paints, 1) << "forced, as any changed panel";
  At(5);
  throttle_.TouchedPart(a_);
  QApplication::processEvents();
  EXPECT_EQ(a_.paints, 1) << "the throttle asks for no repaint of its own";
  At(40);
  throttle_.TouchedPart(a_);
  EXPECT_EQ(a_.paints, 2) << "still changed, so forced once the interval is up";
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
  EXPECT_EQ(panel.paints, 1) << "the first clock read forces a repaint; the rest fall in its interval";
  EXPECT_EQ(reads, 3 + panel.paints) << "once per 4 touches, and once per paint";
}

}  // namespace
}  // namespace geodata
