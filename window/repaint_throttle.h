// Shows panel changes while a command runs without returning to the event
// loop: a synchronous repaint per change is far too slow, none at all leaves
// the window frozen, so repaints are forced at most once per interval.
#pragma once

#include <QPointer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <vector>

namespace geodata {

class RepaintThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kInterval{30};
  // A load touches the panels 131,072 times; reading the clock on each touch
  // would cost more than painting the region.
  static constexpr int kTouchesPerClockRead = 256;

  explicit RepaintThrottle(std::function<Clock::time_point()> now = Clock::now,
                           Clock::duration interval = kInterval,
                           int touches_per_clock_read = kTouchesPerClockRead);

  // A panel's state changed. Repaints every changed panel at once if the
  // interval has passed since the last forced repaint; otherwise the event
  // loop paints it when the command returns.
  void Touched(QWidget& panel);
  // A panel painted its state, whoever asked for it.
  void Painted(QWidget& panel);

 private:
  std::function<Clock::time_point()> now_;
  Clock::duration interval_;
  int touches_per_clock_read_;
  int touches_ = 0;
  Clock::time_point last_forced_{};
  std::vector<QPointer<QWidget>> dirty_;
};

}  // namespace geodata
