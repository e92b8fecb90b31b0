#include "window/load_wait.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QScopedValueRollback>
#include <QTimer>
#include <exception>
#include <functional>
#include <memory>
#include <utility>

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

// Takes the user's input away from every window while it lives. Close
// requests and paints go through. Qt's own way to hold input back would also
// hold back a close request from the title bar, which the X11 and Windows
// platforms count as input.
class InputHold final : public QObject {
 public:
  InputHold() { QCoreApplication::instance()->installEventFilter(this); }
  ~InputHold() override { QCoreApplication::instance()->removeEventFilter(this); }
  InputHold(const InputHold&) = delete;
  InputHold& operator=(const InputHold&) = delete;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override { return IsUserInput(event->type()); }
};

// Receives the load thread's wake; any event will do.
class Waker final : public QObject {
 public:
  explicit Waker(std::function<void()> woken) : woken_(std::move(woken)) {}

 protected:
  bool event(QEvent* /*event*/) override {
    woken_();
    return true;
  }

 private:
  std::function<void()> woken_;
};

// Gives the load up unless it was finished.
class GiveUpUnlessDone {
 public:
  explicit GiveUpUnlessDone(LoadThread& load) : load_(load) {}
  ~GiveUpUnlessDone() {
    if (!done_) load_.GiveUp();
  }
  GiveUpUnlessDone(const GiveUpUnlessDone&) = delete;
  GiveUpUnlessDone& operator=(const GiveUpUnlessDone&) = delete;
  void Done() { done_ = true; }

 private:
  LoadThread& load_;
  bool done_ = false;
};

}  // namespace

void WaitPointer::Show() {
  if (std::exchange(shown_, true)) return;
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void WaitPointer::Hide() {
  if (std::exchange(shown_, false)) QGuiApplication::restoreOverrideCursor();
}

void LoadWait::Run(LoadThread& load, LoadThread::Opener open, BlockStore& store, ProgressPanel& bar,
                   WaitPointer& pointer) {
  cancelled_ = false;
  load.Start(std::move(open), store);
  GiveUpUnlessDone guard(load);
  if (!load.EndsWithin(kQuickCheck)) ServeTheWindow(load, bar, pointer);
  if (cancelled_ || !load.CheckEnded()) throw LoadCancelled();
  // From here the load's thread may be writing the store: the load is no
  // longer given up, whatever the bar throws, but waited for.
  guard.Done();
  std::exception_ptr failure;
  try {
    load.Finish();
  } catch (...) {
    failure = std::current_exception();
  }
  load.Progress().Show(bar);
  if (failure) std::rethrow_exception(failure);
}

void LoadWait::Cancel() {
  cancelled_ = true;
  if (loop_ != nullptr) loop_->exit();
}

// Runs the window's events until the check has ended, the window closes or
// the application quits. The check's end is looked for at its wake and at
// every frame, so a wake that came early is not missed.
void LoadWait::ServeTheWindow(LoadThread& load, ProgressPanel& bar, WaitPointer& pointer) {
  QEventLoop loop;
  const auto ended = [&] {
    if (!load.CheckEnded()) return false;
    loop.exit();
    return true;
  };
  Waker waker(ended);
  load.WakeWhenChecked(&waker, std::make_unique<QEvent>(QEvent::User));
  const std::unique_ptr<LoadThread, void (*)(LoadThread*)> stop_waking(&load, [](LoadThread* l) { l->StopWaking(); });
  const InputHold hold;
  QTimer frame;
  frame.callOnTimeout([&] {
    // A load being given up leaves the bar as it was.
    if (cancelled_ || ended()) return;
    pointer.Show();
    load.Progress().Show(bar);
  });
  frame.start(kFrame);
  const QScopedValueRollback waiting(loop_, &loop);
  if (!ended()) loop.exec();
}

}  // namespace geodata
