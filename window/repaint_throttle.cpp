#include "window/repaint_throttle.h"

#include <algorithm>
#include <utility>

namespace geodata {

RepaintThrottle::RepaintThrottle(std::function<Clock::time_point()> now, Clock::duration interval,
                                 int touches_per_clock_read)
    : now_(std::move(now)),
      interval_(interval),
      touches_per_clock_read_(std::max(touches_per_clock_read, 1)) {}

void RepaintThrottle::MarkDirty(QWidget& panel, bool update) {
  if (std::find(dirty_.begin(), dirty_.end(), &panel) == dirty_.end()) {
    dirty_.emplace_back(&panel);
    if (update) panel.update();
  }
  last_marked_ = &panel;
}

void RepaintThrottle::ReadClock() {
  touches_ = 0;
  const Clock::time_point now = now_();
  if (now - last_shown_ < interval_) return;
  last_shown_ = now;
  // Painting reports back through Painted, which edits dirty_.
  const std::vector<QPointer<QWidget>> due = std::exchange(dirty_, {});
  last_marked_ = nullptr;
  for (const QPointer<QWidget>& widget : due) {
    if (widget) widget->repaint();
  }
}

void RepaintThrottle::Painted(QWidget& panel) {
  std::erase(dirty_, &panel);
  if (&panel == last_marked_) last_marked_ = nullptr;
  last_shown_ = now_();
}

}  // namespace geodata
