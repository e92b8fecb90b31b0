#include "window/check_thread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QCursor>
#include <QGuiApplication>
#include <QTimer>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

namespace geodata {

// On the thread: tells the window each block checked, and stops the check
// when asked.
class CheckThread::Relay final : public CheckProgress {
 public:
  explicit Relay(CheckThread& owner) : owner_(owner) {}
  void Checked(int block) override {
    if (owner_.stop_.load(std::memory_order_relaxed)) throw LoadCancelled();
    if (block == 0) {
      if (run_ > 0) {
        const std::lock_guard lock(owner_.mutex_);
        owner_.ended_runs_.push_back(blocks_);
      }
      ++run_;
    }
    blocks_ = static_cast<std::uint32_t>(block) + 1;
    owner_.checked_.store(std::uint64_t{run_} << 32 | blocks_, std::memory_order_release);
  }

 private:
  CheckThread& owner_;
  std::uint32_t run_ = 0;
  std::uint32_t blocks_ = 0;
};

namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::HoverEnter:
    case QEvent::HoverLeave:
    case QEvent::HoverMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

// Takes the user's input away from every window while it lives, and shows
// the busy pointer once a load has taken a frame. Close requests and paints
// go through. Qt's own way to hold input back would also hold back a close
// request from the title bar, which the X11 and Windows platforms count as
// input.
class InputHold final : public QObject {
 public:
  InputHold() { QCoreApplication::instance()->installEventFilter(this); }
  ~InputHold() override {
    QCoreApplication::instance()->removeEventFilter(this);
    if (busy_) QGuiApplication::restoreOverrideCursor();
  }
  InputHold(const InputHold&) = delete;
  InputHold& operator=(const InputHold&) = delete;

  void ShowBusy() {
    if (std::exchange(busy_, true)) return;
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
  }

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override { return IsUserInput(event->type()); }

 private:
  bool busy_ = false;
};

}  // namespace

CheckThread::~CheckThread() {
  {
    const std::lock_guard lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void CheckThread::Serve() {
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return job_ || quit_; });
      if (!job_) return;
      job = job_;
    }
    job();
    {
      const std::lock_guard lock(mutex_);
      job_ = nullptr;
    }
    changed_.notify_all();
  }
}

// Sets the bar once per block checked since it was last set, in order: the
// rest of a read given up, then again from block 0.
void CheckThread::ShowProgress(ProgressPanel& bar) {
  const std::uint64_t checked = checked_.load(std::memory_order_acquire);
  const auto show_up_to = [&](std::uint32_t blocks) {
    for (; shown_blocks_ < blocks; ++shown_blocks_) bar.Value(static_cast<float>(shown_blocks_));
  };
  for (; shown_run_ < checked >> 32; ++shown_run_, shown_blocks_ = 0) {
    if (shown_run_ == 0) continue;
    std::uint32_t ended = 0;
    {
      const std::lock_guard lock(mutex_);
      ended = ended_runs_[shown_run_ - 1];
    }
    show_up_to(ended);
  }
  show_up_to(static_cast<std::uint32_t>(checked));
}

CheckedRegion CheckThread::Run(RegionReader& reader, ByteSource& source, ProgressPanel& bar) {
  stop_.store(false, std::memory_order_relaxed);
  checked_.store(0, std::memory_order_relaxed);
  ended_runs_.clear();
  shown_run_ = 0;
  shown_blocks_ = 0;
  QEventLoop loop;
  // Made here rather than on the thread, so that only this thread ever
  // touches it; the thread only hands it to Qt.
  auto done = std::make_unique<QEvent>(QEvent::Quit);
  std::optional<CheckedRegion> region;
  std::exception_ptr failure;
  bool finished = false;
  Relay relay(*this);
  {
    const std::lock_guard lock(mutex_);
    job_ = [&] {
      try {
        region.emplace(reader.Check(source, relay));
      } catch (...) {
        failure = std::current_exception();
      }
      {
        const std::lock_guard lock(mutex_);
        finished = true;
      }
      // Before the job counts as done: the loop lives until then.
      QCoreApplication::postEvent(&loop, done.release());
    };
    if (!thread_.joinable()) thread_ = std::thread([this] { Serve(); });
  }
  changed_.notify_all();

  InputHold hold;
  std::exception_ptr shown_failure;
  QTimer frame;
  frame.callOnTimeout([&] {
    // A load being given up leaves the bar as it was.
    if (stop_.load(std::memory_order_relaxed)) return;
    hold.ShowBusy();
    try {
      ShowProgress(bar);
    } catch (...) {
      shown_failure = std::current_exception();
      frame.stop();
      Cancel();
    }
  });
  frame.start(kFrame);
  // Returns early only when the application quits: the check then stops.
  loop.exec();
  frame.stop();
  {
    std::unique_lock lock(mutex_);
    if (!finished) Cancel();
    changed_.wait(lock, [&] { return !job_; });
  }
  if (shown_failure) std::rethrow_exception(shown_failure);
  if (stop_.load(std::memory_order_relaxed)) throw LoadCancelled();
  // The bar ends at the last block checked, whether the check passed or not.
  ShowProgress(bar);
  if (failure) std::rethrow_exception(failure);
  return std::move(*region);
}

}  // namespace geodata
