// Shows panel changes while a command runs without returning to the event
// loop: a synchronous repaint per change is far too slow, none at all leaves
// the window frozen, so repaints are forced once the screen has been behind
// for an interval. A command shorter than that is painted by the event loop
// alone, once.
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

  // Whom the throttle asks to repaint a changed panel before a forced
  // repaint, which repaints it whole: the event loop, or nobody for a panel
  // that asks for the parts that changed itself.
  enum class Update { kWhole, kNone };

  // A panel's state changed. Repaints every changed panel at once if the
  // interval has passed since the screen was last up to date; otherwise the
  // event loop paints it when the command returns. Inline: the map panel
  // calls it for every point.
  void Touched(QWidget& panel, Update update = Update::kWhole) {
    if (&panel != last_marked_) MarkDirty(panel, update == Update::kWhole);
    if (++touches_ >= touches_per_clock_read_) ReadClock();
  }
  // A panel painted its state, whoever asked for it. The interval counts from
  // then, or from the first change after it.
  void Painted(QWidget& panel);

 private:
  void MarkDirty(QWidget& panel, bool update);
  void ReadClock();

  std::function<Clock::time_point()> now_;
  Clock::duration interval_;
  int touches_per_clock_read_;
  int touches_ = 0;
  Clock::time_point last_shown_{};
  struct Dirty {
    QPointer<QWidget> panel;
    bool update_asked;
  };
  std::vector<Dirty> dirty_;
  // The panel last found or put in dirty_, so that a run of touches of one
  // panel skips the search.
  QPointer<QWidget> last_marked_;
};

}  // namespace geodata
