// Decides when the panels repaint. The load's thread reads and checks while
// the window's event loop paints, but the store and the draw still run on the
// window's thread without returning to it: a synchronous repaint per change
// would be far too slow, none at all would leave the window frozen, so
// repaints are forced once the screen has been behind for an interval; a
// command shorter than that is painted by the event loop alone, once. Pointer
// moves come faster than the screen shows them, and a repaint costs more than
// a readout, so a panel that asks for its own rows is asked at most once per
// frame.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <vector>

#include "window/screen_frame.h"

namespace geodata {

class RepaintThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kInterval{30};
  static constexpr std::chrono::milliseconds kFrame = geodata::kFrame;
  // An open touches the panels 131,072 times, a bar value and a point per
  // block. Reading the clock on every touch made the largest region's draw
  // take 5.5-7.6 ms instead of 1.45-1.71 (bench/window_bench draw_qt/worst,
  // the medians of three runs of five).
  static constexpr int kTouchesPerClockRead = 256;

  explicit RepaintThrottle(std::function<Clock::time_point()> now = Clock::now,
                           Clock::duration interval = kInterval,
                           int touches_per_clock_read = kTouchesPerClockRead);
  // Stops the frame timers of the panels that outlive it.
  ~RepaintThrottle();
  RepaintThrottle(const RepaintThrottle&) = delete;
  RepaintThrottle& operator=(const RepaintThrottle&) = delete;

  // The panel asks for its own rows, through `ask`, when the throttle calls
  // it: once the command that changed the panel has returned, and no sooner
  // than a frame after the panel last painted. Any other panel is repainted
  // whole by the event loop. Once, as the panel is made; the timer that waits
  // for the frame is the panel's child and goes with it.
  void AsksForItsOwnRows(QWidget& panel, std::function<void()> ask);

  // A panel's state changed. Repaints every changed panel at once if the
  // interval has passed since the screen was last up to date; otherwise the
  // event loop paints it when the command returns. Inline: the map panel
  // calls it for every point.
  void Touched(QWidget& panel) {
    if (&panel != last_marked_) MarkDirty(panel);
    if (++touches_ >= touches_per_clock_read_) ReadClock();
  }
  // A panel painted its state, whoever asked for it. The interval counts from
  // then, or from the first change after it.
  void Painted(QWidget& panel);

 private:
  struct Asking {
    QPointer<QWidget> panel;
    std::function<void()> ask;
    QTimer* frame;  // the panel's child
    Clock::time_point painted;
    bool posted = false;  // asked once the command returns
  };

  void MarkDirty(QWidget& panel);
  // Asks at once if a frame has passed, else waits for the next touch.
  void Schedule(Asking& asking);
  void Ask(Asking& asking);
  void ReadClock();
  Asking* AskingOf(const QWidget& panel);
  std::chrono::milliseconds UntilFrame(const Asking& asking) const;

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
  std::vector<Asking> asking_;
  // The panel last found or put in dirty_, so that a run of touches of one
  // panel skips the search; never a panel that asks for its own rows, whose
  // every touch may be the first after its frame.
  QPointer<QWidget> last_marked_;
};

}  // namespace geodata
