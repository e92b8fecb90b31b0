// Ends a start-up probe once its window has painted for the first time: prints
// the monotonic clock, in seconds, and exits at once, so tear-down is not
// counted.
#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace geodata::bench {

class FirstPaintReporter final : public QObject {
 public:
  explicit FirstPaintReporter(QWidget& window) { window.installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // The children paint in the same pass, after the window itself: report
    // once the pass is over.
    if (event->type() == QEvent::Paint && !reported_) {
      reported_ = true;
      QTimer::singleShot(0, [] {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("%ld.%09ld\n", static_cast<long>(now.tv_sec), now.tv_nsec);
        std::fflush(stdout);
        _exit(0);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool reported_ = false;
};

}  // namespace geodata::bench
