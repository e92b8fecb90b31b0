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
  const auto marked = std::find_if(dirty_.begin(), dirty_.end(),
                                   [&](const Dirty& d) { return d.panel == &panel; });
  if (marked == dirty_.end()) {
    // Nothing waited for the event loop: the screen was up to date until now.
    const bool first = std::none_of(dirty_.begin(), dirty_.end(),
                                    [](const Dirty& d) { return d.update_asked; });
    if (update && first) last_shown_ = now_();
    dirty_.push_back({&panel, update});
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
}

}  // namespace geodata
