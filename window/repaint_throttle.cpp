#include "window/repaint_throttle.h"

#include <algorithm>
#include <utility>

namespace geodata {

RepaintThrottle::RepaintThrottle(std::function<Clock::time_point()> now, Clock::duration interval,
                                 int touches_per_clock_read)
    : now_(std::move(now)),
      interval_(interval),
      touches_per_clock_read_(std::max(touches_per_clock_read, 1)) {}

void RepaintThrottle::Touched(QWidget& panel) {
  if (std::find(dirty_.begin(), dirty_.end(), &panel) == dirty_.end()) {
    dirty_.emplace_back(&panel);
    panel.update();
  }
  if (++touches_ < touches_per_clock_read_) return;
  touches_ = 0;
  const Clock::time_point now = now_();
  if (now - last_forced_ < interval_) return;
  last_forced_ = now;
  // Painting reports back through Painted, which edits dirty_.
  const std::vector<QPointer<QWidget>> due = std::exchange(dirty_, {});
  for (const QPointer<QWidget>& widget : due) {
    if (widget) widget->repaint();
  }
}

void RepaintThrottle::Painted(QWidget& panel) {
  std::erase(dirty_, &panel);
}

}  // namespace geodata
