#include "window/check_thread.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
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

CheckThread::CheckThread() : thread_([this] { Serve(); }) {}

CheckThread::~CheckThread() {
  {
    const std::lock_guard lock(mutex_);
    quit_ = true;
  }
  changed_.notify_all();
  thread_.join();
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

CheckedRegion CheckThread::Run(RegionReader& reader, const Opener& open, ProgressPanel& bar) {
  stop_.store(false, std::memory_order_relaxed);
  checked_.store(0, std::memory_order_relaxed);
  ended_runs_.clear();
  shown_run_ = 0;
  shown_blocks_ = 0;
  std::optional<CheckedRegion> region;
  std::exception_ptr failure;
  Relay relay(*this);
  {
    const std::lock_guard lock(mutex_);
    finished_ = false;
    job_ = [&] {
      try {
        const std::unique_ptr<ByteSource> source = open();
        region.emplace(reader.Check(*source, relay));
      } catch (...) {
        failure = std::current_exception();
      }
      const std::lock_guard lock(mutex_);
      finished_ = true;
      if (waiting_ != nullptr) QCoreApplication::postEvent(waiting_, wake_.release());
    };
  }
  changed_.notify_all();

  std::exception_ptr shown_failure;
  bool quick = false;
  {
    std::unique_lock lock(mutex_);
    quick = changed_.wait_for(lock, kQuickCheck, [&] { return finished_; });
  }
  if (!quick) shown_failure = WaitServingTheWindow(bar);
  {
    std::unique_lock lock(mutex_);
    if (!finished_) Cancel();
    changed_.wait(lock, [&] { return !job_; });
    waiting_ = nullptr;
  }
  if (shown_failure) std::rethrow_exception(shown_failure);
  if (stop_.load(std::memory_order_relaxed)) throw LoadCancelled();
  // The bar ends at the last block checked, whether the check passed or not.
  ShowProgress(bar);
  if (failure) std::rethrow_exception(failure);
  return std::move(*region);
}

// Runs the window's events until the check has finished or the application
// quits, the bar catching up once a frame. Returns what the bar threw.
std::exception_ptr CheckThread::WaitServingTheWindow(ProgressPanel& bar) {
  QEventLoop loop;
  {
    const std::lock_guard lock(mutex_);
    if (finished_) return nullptr;
    waiting_ = &loop;
    // Made on this thread, so that only this thread touches it; the check's
    // thread only hands it to Qt.
    wake_ = std::make_unique<QEvent>(QEvent::Quit);
  }
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
  const std::lock_guard lock(mutex_);
  waiting_ = nullptr;
  wake_.reset();
  return shown_failure;
}

}  // namespace geodata
