// The window's side of a load: it runs the load on its thread and waits for
// it. A check that ends within kQuickCheck, as from a local disk, is simply
// waited for. A longer one is waited for in an event loop that paints and
// answers the system but takes no input from the user, so a file on slow
// storage neither freezes the window nor lets another command start; once a
// frame the bar shows the block reached and the pointer shows the wait.
#pragma once

#include <QEventLoop>
#include <chrono>

#include "region/block_store.h"
#include "window/load_thread.h"
#include "window/panels.h"

namespace geodata {

// The wait pointer, from the first frame of a slow load until the map is
// painted: input is dropped all that time.
class WaitPointer {
 public:
  WaitPointer() = default;
  ~WaitPointer() { Hide(); }
  WaitPointer(const WaitPointer&) = delete;
  WaitPointer& operator=(const WaitPointer&) = delete;
  void Show();
  void Hide();

 private:
  bool shown_ = false;
};

class LoadWait {
 public:
  // The largest region's check from a local disk (31-41 ms on the machine
  // we measure on) ends within it, so a local open takes no event loop, no
  // wait pointer and no wake-up between the check and the table, which the
  // load's thread then writes at once; on a busy machine each wake-up cost
  // milliseconds. Slow storage shows its first change this much later.
  static constexpr std::chrono::milliseconds kQuickCheck{50};

  // Reads the source into the store on the load's thread; returns once the
  // store is written. Throws what opening or the check throws, or
  // LoadCancelled after Cancel or a quit. Whatever ends the wait early, a
  // throw on this thread included, gives the load up: the store stays as it
  // was. The bar ends at the block the check reached; a load given up leaves
  // it where the last frame set it.
  void Run(LoadThread& load, LoadThread::Opener open, BlockStore& store, ProgressPanel& bar,
           WaitPointer& pointer);
  // Ends a wait under way: the window is closing.
  void Cancel();

 private:
  void ServeTheWindow(LoadThread& load, ProgressPanel& bar, WaitPointer& pointer);

  QEventLoop* loop_ = nullptr;
  bool cancelled_ = false;
};

}  // namespace geodata
