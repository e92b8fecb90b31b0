#include "window/repaint_throttle.h"

#include <algorithm>
#include <utility>

namespace geodata {

RepaintThrottle::RepaintThrottle(std::function<Clock::time_point()> now, Clock::duration interval,
                                 int touches_per_clock_read)
    : now_(std::move(now)),
      interval_(interval),
      touches_per_clock_read_(std::max(touches_per_clock_read, 1)) {}

RepaintThrottle::~RepaintThrottle() {
  for (const Asking& asking : asking_) {
    if (asking.panel) delete asking.frame;
  }
}

void RepaintThrottle::AsksForItsOwnRows(QWidget& panel, std::function<void()> ask) {
  std::erase_if(asking_, [](const Asking& a) { return a.panel.isNull(); });
  auto* frame = new QTimer(&panel);
  frame->setSingleShot(true);
  // Not early: a frame that the clock says has not passed is waited for again.
  frame->setTimerType(Qt::PreciseTimer);
  QObject::connect(frame, &QTimer::timeout, frame, [this, &panel] {
    Asking& asking = *AskingOf(panel);
    if (const auto wait = UntilFrame(asking); wait.count() > 0) {
      asking.frame->start(wait);
      return;
    }
    Ask(asking);
  });
  asking_.push_back({&panel, std::move(ask), frame, {}, false});
}

void RepaintThrottle::MarkDirty(QWidget& panel) {
  Asking* asking = AskingOf(panel);
  const auto marked = std::find_if(dirty_.begin(), dirty_.end(),
                                   [&](const Dirty& d) { return d.panel == &panel; });
  if (marked == dirty_.end()) {
    const bool update = asking == nullptr;
    // Nothing waited for the event loop: the screen was up to date until now.
    const bool first = std::none_of(dirty_.begin(), dirty_.end(),
                                    [](const Dirty& d) { return d.update_asked; });
    if (update && first) last_shown_ = now_();
    dirty_.push_back({&panel, update});
    if (update) panel.update();
  }
  if (asking == nullptr) {
    last_marked_ = &panel;
  } else if (!asking->posted) {
    Schedule(*asking);
  }
}

// A move's readout is painted in the event loop's pass that took the move,
// whenever a frame has passed: a timer of its own would wake the program
// once more per paint, which cost a pointer move more than the paint. The
// timer waits two frames, so while the pointer moves the next readout comes
// first and asks itself; it shows only what the last one left.
void RepaintThrottle::Schedule(Asking& asking) {
  const Clock::duration since = now_() - asking.painted;
  if (since >= kFrame) {
    asking.posted = true;
    asking.frame->stop();
    // Once the command returns: rows asked for in its middle could be rows it
    // prints again unchanged.
    QMetaObject::invokeMethod(
        asking.frame, [this, panel = asking.panel] { Ask(*AskingOf(*panel)); }, Qt::QueuedConnection);
  } else if (!asking.frame->isActive()) {
    asking.frame->start(std::chrono::ceil<std::chrono::milliseconds>(2 * kFrame - since));
  }
}

void RepaintThrottle::Ask(Asking& asking) {
  asking.posted = false;
  asking.frame->stop();
  asking.ask();
}

void RepaintThrottle::ReadClock() {
  touches_ = 0;
  const Clock::time_point now = now_();
  if (now - last_shown_ < interval_) return;
  last_shown_ = now;
  // Painting reports back through Painted, which edits dirty_.
  const std::vector<Dirty> due = std::exchange(dirty_, {});
  last_marked_ = nullptr;
  for (const Dirty& dirty : due) {
    if (dirty.panel) dirty.panel->repaint();
  }
}

void RepaintThrottle::Painted(QWidget& panel) {
  std::erase_if(dirty_, [&](const Dirty& d) { return d.panel == &panel; });
  if (&panel == last_marked_) last_marked_ = nullptr;
  last_shown_ = now_();
  if (Asking* asking = AskingOf(panel)) asking->painted = last_shown_;
}

RepaintThrottle::Asking* RepaintThrottle::AskingOf(const QWidget& panel) {
  const auto found = std::find_if(asking_.begin(), asking_.end(),
                                  [&](const Asking& a) { return a.panel == &panel; });
  return found == asking_.end() ? nullptr : &*found;
}

std::chrono::milliseconds RepaintThrottle::UntilFrame(const Asking& asking) const {
  const Clock::duration left = kFrame - (now_() - asking.painted);
  return std::max(std::chrono::ceil<std::chrono::milliseconds>(left), std::chrono::milliseconds(0));
}

}  // namespace geodata
