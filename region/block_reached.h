// The one way from a checked block to the bar: the check, on whatever thread
// it runs, tells the block it reached, and the window's thread shows it when
// it paints. Only the block reached is shown, not each block on the way: the
// bar is painted once a frame and announced once a paint, so every earlier
// value would be seen by no one.
#pragma once

#include <atomic>

#include "region/check_progress.h"
#include "window/panels.h"

namespace geodata {

// A load stopped because the window is closing or gave it up; nobody needs
// telling.
struct LoadCancelled {};

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
  // Throws LoadCancelled once stopped.
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

}  // namespace geodata
