// The reading half of a load, on a thread of its own: it opens the file,
// checks it and, once the window lets it, writes the store. What the thread
// and the window share lives in one object that both own, so the window can
// give a load up at any moment, even during a read that never returns: the
// thread is left to end alone, and reaches nothing that went with the window.
#pragma once

#include <QEvent>
#include <QObject>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

#include "region/block_reached.h"
#include "region/block_store.h"
#include "region/byte_source.h"
#include "region/region_reader.h"

namespace geodata {

class LoadThread {
 public:
  // Called on the load's thread, which may outlive the window: it must hold
  // everything it uses.
  using Opener = std::function<std::unique_ptr<ByteSource>()>;

  // The thread starts with the window: on the machine we measure on, a new
  // thread's first run waited for the scheduler's next tick (about 4 ms),
  // which a first open would feel.
  LoadThread();
  // Gives up a load under way.
  ~LoadThread();
  LoadThread(const LoadThread&) = delete;
  LoadThread& operator=(const LoadThread&) = delete;

  // All on the window's thread. A load goes Start, then EndsWithin or
  // CheckEnded until the check has ended, then Finish; or GiveUp at any time.
  void Start(Opener open, BlockStore& store);
  // Waits without serving the window: a check that passes meanwhile goes
  // straight on to the store. True when the check has ended.
  bool EndsWithin(std::chrono::milliseconds wait);
  bool CheckEnded();
  // Posts `wake` to `receiver` once the check has ended, until StopWaking.
  void WakeWhenChecked(QObject* receiver, std::unique_ptr<QEvent> wake);
  void StopWaking();
  // Once the check has ended: lets a passed check write the store and waits
  // for it, without serving the window, so that nothing reads the store
  // meanwhile. Throws what opening or the check threw.
  void Finish();
  // Stops the load, if one is under way, without waiting for its thread; the
  // store is left as it was. The next load gets a thread of its own.
  void GiveUp() noexcept;

  BlockReached& Progress();

 private:
  struct Shared;
  static void Serve(const std::shared_ptr<Shared>& shared);

  std::shared_ptr<Shared> shared_;
};

}  // namespace geodata
