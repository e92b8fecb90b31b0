#include "window/load_thread.h"

#include <QCoreApplication>
#include <thread>
#include <utility>

namespace geodata {

struct LoadThread::Shared {
  enum class Step { kIdle, kChecking, kChecked, kWriting, kEnded };

  // Under the mutex.
  void Wake() {
    if (receiver != nullptr && wake) QCoreApplication::postEvent(receiver, wake.release());
  }

  std::mutex mutex;
  std::condition_variable changed;
  Step step = Step::kIdle;
  Opener open;
  BlockStore* store = nullptr;
  // The window waits without serving events, so a passed check may write
  // the store: nothing reads it meanwhile.
  bool may_write = false;
  bool given_up = false;  // the thread ends after its load; it touches no store
  std::exception_ptr failure;
  QObject* receiver = nullptr;
  std::unique_ptr<QEvent> wake;
  // Touched by the thread only while a load runs, and by the window.
  BlockReached progress;
  RegionReader reader;
};

LoadThread::LoadThread() : shared_(std::make_shared<Shared>()) {
  std::thread([shared = shared_] { Serve(shared); }).detach();
}

LoadThread::~LoadThread() {
  if (!shared_) return;
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->given_up = true;
    shared_->progress.Stop();
  }
  shared_->changed.notify_all();
}

void LoadThread::Serve(const std::shared_ptr<Shared>& shared) {
  Shared& s = *shared;
  std::unique_lock lock(s.mutex);
  for (;;) {
    s.changed.wait(lock, [&] { return s.step == Shared::Step::kChecking || s.given_up; });
    if (s.given_up) return;
    const Opener open = std::move(s.open);
    lock.unlock();
    std::exception_ptr failure;
    try {
      // Given up during a slow open: read nothing.
      const RegionReader::SourceOpener opened = [&] {
        std::unique_ptr<ByteSource> source = open();
        s.progress.Throw();
        return source;
      };
      s.reader.Read(opened, s.progress, *s.store, [&] {
        std::unique_lock gate(s.mutex);
        if (s.given_up) return false;
        s.step = Shared::Step::kChecked;
        s.Wake();
        s.changed.notify_all();
        s.changed.wait(gate, [&] { return s.may_write || s.given_up; });
        if (s.given_up) return false;
        s.step = Shared::Step::kWriting;
        return true;
      });
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    s.failure = failure;
    s.step = Shared::Step::kEnded;
    s.Wake();
    s.changed.notify_all();
  }
}

void LoadThread::Start(Opener open, BlockStore& store) {
  if (!shared_) {
    auto fresh = std::make_shared<Shared>();
    std::thread([shared = fresh] { Serve(shared); }).detach();
    shared_ = std::move(fresh);
  }
  shared_->progress.Reset();
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->open = std::move(open);
    shared_->store = &store;
    shared_->may_write = false;
    shared_->failure = nullptr;
    shared_->step = Shared::Step::kChecking;
  }
  shared_->changed.notify_all();
}

bool LoadThread::EndsWithin(std::chrono::milliseconds wait) {
  Shared& s = *shared_;
  std::unique_lock lock(s.mutex);
  s.may_write = true;
  s.changed.notify_all();
  if (s.changed.wait_for(lock, wait, [&] { return s.step != Shared::Step::kChecking; })) return true;
  s.may_write = false;
  return false;
}

bool LoadThread::CheckEnded() {
  const std::lock_guard lock(shared_->mutex);
  return shared_->step != Shared::Step::kChecking;
}

void LoadThread::WakeWhenChecked(QObject* receiver, std::unique_ptr<QEvent> wake) {
  const std::lock_guard lock(shared_->mutex);
  shared_->receiver = receiver;
  shared_->wake = std::move(wake);
  if (shared_->step != Shared::Step::kChecking) shared_->Wake();
}

void LoadThread::StopWaking() {
  if (!shared_) return;
  const std::lock_guard lock(shared_->mutex);
  shared_->receiver = nullptr;
  shared_->wake.reset();
}

void LoadThread::Finish() {
  Shared& s = *shared_;
  std::unique_lock lock(s.mutex);
  s.may_write = true;
  s.changed.notify_all();
  s.changed.wait(lock, [&] { return s.step == Shared::Step::kEnded; });
  s.step = Shared::Step::kIdle;
  s.store = nullptr;
  if (s.failure) std::rethrow_exception(std::exchange(s.failure, nullptr));
}

void LoadThread::GiveUp() noexcept {
  if (!shared_) return;
  Shared& s = *shared_;
  {
    const std::lock_guard lock(s.mutex);
    if (s.step == Shared::Step::kIdle) return;
    s.given_up = true;
    s.progress.Stop();
  }
  s.changed.notify_all();
  shared_.reset();
}

BlockReached& LoadThread::Progress() { return shared_->progress; }

}  // namespace geodata
