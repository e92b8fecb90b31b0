#include "window/region_load.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "region/check_progress.h"
#include "window/screen_frame.h"

namespace geodata {
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

// Drops the user's input to every window while it lives. Close requests and
// paints go through. Qt's own way to hold input back would also hold back a
// close request from the title bar, which the X11 and Windows platforms
// count as input.
class InputHold final : public QObject {
 public:
  InputHold() { QCoreApplication::instance()->installEventFilter(this); }
  ~InputHold() override { QCoreApplication::instance()->removeEventFilter(this); }
  InputHold(const InputHold&) = delete;
  InputHold& operator=(const InputHold&) = delete;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override { return IsUserInput(event->type()); }
};

// The one way from a checked block to the bar: the check tells the block it
// reached, and the window's thread shows it once a frame and at the end.
// Only the block reached is shown, not each block on the way: the bar is
// painted once a frame and announced once a paint, so every earlier value
// would be seen by no one.
class BlockReached final : public CheckProgress {
 public:
  // From the check's thread. A read tried again goes back to block 0.
  void Checked(int block) override {
    Throw();
    reached_.store(block, std::memory_order_relaxed);
  }
  // Before a load, while no check runs.
  void Reset() {
    reached_.store(-1, std::memory_order_relaxed);
    stop_.store(false, std::memory_order_relaxed);
    shown_ = -1;
  }
  // From any thread: the check stops at its next block.
  void Stop() { stop_.store(true, std::memory_order_relaxed); }
  void Throw() const {
    if (stop_.load(std::memory_order_relaxed)) throw LoadCancelled();
  }
  // From the window's thread: sets the bar to the block reached, unless it
  // shows it already or no block has been checked yet (the bar keeps the
  // last load's position until then).
  void Show(ProgressPanel& bar) {
    const int reached = reached_.load(std::memory_order_relaxed);
    if (reached < 0 || reached == shown_) return;
    bar.Value(static_cast<float>(reached));
    shown_ = reached;
  }

 private:
  std::atomic<int> reached_{-1};
  std::atomic<bool> stop_{false};
  int shown_ = -1;
};

}  // namespace

WaitPointer::~WaitPointer() {
  if (shown_) QGuiApplication::restoreOverrideCursor();
}

WaitPointer::WaitPointer(WaitPointer&& other) noexcept : shown_(std::exchange(other.shown_, false)) {}

void WaitPointer::Show() {
  if (std::exchange(shown_, true)) return;
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

// What the thread and the window share; the thread holds it for as long as
// it runs, which may be longer than the window lives.
struct RegionLoad::Shared {
  enum class Step { kIdle, kChecking, kChecked, kWriting, kEnded };

  // Under the mutex: the window's event loop is told the check has ended.
  void Wake() {
    if (waker != nullptr && wake) QCoreApplication::postEvent(waker, wake.release());
  }
  bool CheckEnded() const { return step != Step::kChecking; }

  static void Serve(const std::shared_ptr<Shared>& shared);

  std::mutex mutex;
  std::condition_variable changed;
  Step step = Step::kIdle;
  RegionReader::SourceOpener open;
  BlockStore* store = nullptr;
  bool may_write = false;
  bool given_up = false;  // the thread ends after its load; it touches no store
  std::exception_ptr failure;
  // While the window waits in an event loop. The event is made on the
  // window's thread, which reads it: Qt's queue orders the two threads
  // where ThreadSanitizer cannot see it.
  QObject* waker = nullptr;
  std::unique_ptr<QEvent> wake;
  // Touched by the thread only while a load runs, and by the window.
  BlockReached progress;
  RegionReader reader;
};

void RegionLoad::Shared::Serve(const std::shared_ptr<Shared>& shared) {
  Shared& s = *shared;
  std::unique_lock lock(s.mutex);
  for (;;) {
    s.changed.wait(lock, [&] { return s.step == Step::kChecking || s.given_up; });
    if (s.given_up) return;
    const RegionReader::SourceOpener open = std::move(s.open);
    lock.unlock();
    const RegionReader::SourceOpener opened = [&] {
      std::unique_ptr<ByteSource> source = open();
      s.progress.Throw();  // given up during a slow open: read nothing
      return source;
    };
    const auto leave = [&] {
      std::unique_lock gate(s.mutex);
      if (s.given_up) return false;
      s.step = Step::kChecked;
      s.Wake();
      s.changed.notify_all();
      s.changed.wait(gate, [&] { return s.may_write || s.given_up; });
      if (s.given_up) return false;
      s.step = Step::kWriting;
      return true;
    };
    std::exception_ptr failure;
    try {
      s.reader.Read(opened, s.progress, *s.store, leave);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    s.failure = failure;
    s.step = Step::kEnded;
    s.Wake();
    s.changed.notify_all();
  }
}

// The wait in an event loop, until the check has ended, the window closes
// or the application quits. The end is looked for at the thread's wake and
// at every frame, so a wake that came early is not missed.
class RegionLoad::Wait final : public QObject {
 public:
  Wait(Shared& shared, ProgressPanel& bar, WaitPointer& pointer, const bool& cancelled)
      : shared_(shared) {
    {
      const std::lock_guard lock(shared_.mutex);
      shared_.waker = this;
      shared_.wake = std::make_unique<QEvent>(QEvent::User);
    }
    frame_.callOnTimeout([&] {
      // A load being given up leaves the bar as it was.
      if (cancelled || Ended()) return;
      pointer.Show();
      shared_.progress.Show(bar);
    });
  }
  ~Wait() override {
    const std::lock_guard lock(shared_.mutex);
    shared_.waker = nullptr;
    shared_.wake.reset();
  }
  Wait(const Wait&) = delete;
  Wait& operator=(const Wait&) = delete;

  void Run() {
    const InputHold hold;
    frame_.start(kFrame);
    if (!Ended()) loop_.exec();
  }
  void Exit() { loop_.exit(); }

 protected:
  bool event(QEvent* /*wake*/) override {
    Ended();
    return true;
  }

 private:
  bool Ended() {
    {
      const std::lock_guard lock(shared_.mutex);
      if (!shared_.CheckEnded()) return false;
    }
    loop_.exit();
    return true;
  }

  Shared& shared_;
  QEventLoop loop_;
  QTimer frame_;
};

std::shared_ptr<RegionLoad::Shared> RegionLoad::StartThread() {
  auto shared = std::make_shared<Shared>();
  std::thread([shared] { Shared::Serve(shared); }).detach();
  return shared;
}

RegionLoad::RegionLoad() : shared_(StartThread()) {}

RegionLoad::~RegionLoad() {
  if (!shared_) return;
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->given_up = true;
    shared_->progress.Stop();
  }
  shared_->changed.notify_all();
}

WaitPointer RegionLoad::Run(RegionReader::SourceOpener open, BlockStore& store, MapPanel& Map, TextPanel& list,
                            ProgressPanel& Baras) {
  cancelled_ = false;
  if (!shared_) shared_ = StartThread();
  Shared& s = *shared_;
  s.progress.Reset();
  std::unique_lock lock(s.mutex);
  s.open = std::move(open);
  s.store = &store;
  s.failure = nullptr;
  s.step = Shared::Step::kChecking;
  // Leave to write during the quick wait: a check that passes meanwhile
  // goes straight on to the store, with no wake-up between.
  s.may_write = true;
  s.changed.notify_all();
  WaitPointer pointer;
  // Until leave is given for good, whatever ends the wait gives the load
  // up: the thread is left to end alone and the next load gets its own.
  const auto give_up = [&] {
    s.given_up = true;
    s.progress.Stop();
    s.changed.notify_all();
    lock.unlock();
    shared_.reset();
  };
  if (!s.changed.wait_for(lock, kQuickCheck, [&] { return s.CheckEnded(); })) {
    s.may_write = false;
    lock.unlock();
    try {
      Wait wait(s, Baras, pointer, cancelled_);
      wait_ = &wait;
      wait.Run();
      wait_ = nullptr;
    } catch (...) {
      wait_ = nullptr;
      lock.lock();
      give_up();
      throw;
    }
    lock.lock();
    if (cancelled_ || !s.CheckEnded()) {
      give_up();
      throw LoadCancelled();
    }
  }
  // The check has ended; the thread may be writing the store, and is waited
  // for without serving the window.
  s.may_write = true;
  s.changed.notify_all();
  s.changed.wait(lock, [&] { return s.step == Shared::Step::kEnded; });
  s.step = Shared::Step::kIdle;
  s.store = nullptr;
  const std::exception_ptr failure = std::exchange(s.failure, nullptr);
  lock.unlock();
  s.progress.Show(Baras);
  if (failure) std::rethrow_exception(failure);
  RegionReader::Log(Map, list);
  return pointer;
}

void RegionLoad::Cancel() {
  cancelled_ = true;
  if (wait_ != nullptr) wait_->Exit();
}

}  // namespace geodata
