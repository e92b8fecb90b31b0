// The reading half of a load, run on a thread of its own while the window
// waits in an event loop that paints and answers the system but takes no
// input from the user: a file on slow storage then neither freezes the
// window nor lets another command start. The bar follows the blocks as they
// are checked.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
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

  CheckThread() = default;
  ~CheckThread();
  CheckThread(const CheckThread&) = delete;
  CheckThread& operator=(const CheckThread&) = delete;

  // Checks the source on the thread; returns when the check has ended.
  // Throws what the check throws, or LoadCancelled after Cancel or when the
  // application quits meanwhile.
  CheckedRegion Run(RegionReader& reader, ByteSource& source, ProgressPanel& bar);
  // Stops a check under way at its next block. Called on the window's thread.
  void Cancel() { stop_.store(true, std::memory_order_relaxed); }

 private:
  class Relay;
  void Serve();
  void ShowProgress(ProgressPanel& bar);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> job_;  // set by Run, cleared by the thread once done
  bool quit_ = false;
  std::thread thread_;  // started with the first load, so start-up pays nothing
  std::atomic<bool> stop_{false};
  // From the thread to the bar: (read << 32) | blocks checked in that read,
  // and the blocks of each read given up for another.
  std::atomic<std::uint64_t> checked_{0};
  std::vector<std::uint32_t> ended_runs_;
  std::uint32_t shown_run_ = 0;  // what the bar shows of them
  std::uint32_t shown_blocks_ = 0;
};

}  // namespace geodata
