// The reading half of a load, run on a thread of its own while the window
// waits in an event loop that paints and answers the system but takes no
// input from the user: a file on slow storage then neither freezes the
// window nor lets another command start. The bar follows the blocks as they
// are checked.
#pragma once

#include <QEvent>
#include <QEventLoop>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "region/byte_source.h"
#include "region/checked_region.h"
#include "region/region_reader.h"
#include "window/panels.h"

namespace geodata {

// A load stopped because the window is closing; nobody needs telling.
struct LoadCancelled {};

class CheckThread {
 public:
  // The bar catches up with the blocks checked once per frame of a 60 Hz
  // screen: often enough to follow, seldom enough to cost nothing.
  static constexpr std::chrono::milliseconds kFrame{16};
  // A check that ends this soon, as from a local disk, is simply waited
  // for: an event loop, a timer and two thread wake-ups more would cost a
  // small file's open a fifth again.
  static constexpr std::chrono::milliseconds kQuickCheck{10};

  CheckThread();
  ~CheckThread();
  CheckThread(const CheckThread&) = delete;
  CheckThread& operator=(const CheckThread&) = delete;

  // Opens the source and checks it on the thread, and closes it; returns
  // when the check has ended. Opening is done there too: a share that is
  // slow to answer can hold an open as long as a read. Throws what opening
  // or the check throws, or LoadCancelled after Cancel or when the
  // application quits meanwhile.
  using Opener = std::function<std::unique_ptr<ByteSource>()>;
  CheckedRegion Run(RegionReader& reader, const Opener& open, ProgressPanel& bar);
  // Stops a check under way at its next block. Called on the window's thread.
  void Cancel() { stop_.store(true, std::memory_order_relaxed); }

 private:
  class Relay;
  void Serve();
  void ShowProgress(ProgressPanel& bar);
  std::exception_ptr WaitServingTheWindow(ProgressPanel& bar);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> job_;  // set by Run, cleared by the thread once done
  bool finished_ = false;      // the check of the job has ended
  bool quit_ = false;
  QEventLoop* waiting_ = nullptr;  // the window's loop that waits for the check
  std::unique_ptr<QEvent> wake_;   // what ends that loop
  std::atomic<bool> stop_{false};
  // From the thread to the bar: (read << 32) | blocks checked in that read,
  // and the blocks of each read given up for another.
  std::atomic<std::uint64_t> checked_{0};
  std::vector<std::uint32_t> ended_runs_;
  std::uint32_t shown_run_ = 0;  // what the bar shows of them
  std::uint32_t shown_blocks_ = 0;
  // Last, so that it starts once the rest exists. Started with the window:
  // on the machine we measure on, a new thread's first run waited for the
  // scheduler's next tick (about 4 ms), which a first open would feel.
  std::thread thread_;
};

}  // namespace geodata
