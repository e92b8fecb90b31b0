// A source on slow storage whose pace the test sets: its open and each read
// wait at a gate, owned by the test and the source alike (the load's thread
// may outlive the window), until the test lets them through. A gate left shut
// opens by itself after a while, so a window that never serves the test fails
// instead of hanging.
#pragma once

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "region/byte_source.h"

namespace geodata::testing {

class Gate {
 public:
  static constexpr std::chrono::seconds kGiveUp{20};

  explicit Gate(int steps_let_through) : allowed_(steps_let_through) {}

  // On the load's thread: an open or a read.
  void Pass() {
    std::unique_lock lock(mutex_);
    waiting_ = true;
    changed_.notify_all();
    changed_.wait_for(lock, kGiveUp, [&] { return passed_ < allowed_; });
    waiting_ = false;
    ++passed_;
  }
  void SourceGone() {
    const std::lock_guard lock(mutex_);
    gone_ = true;
    changed_.notify_all();
  }

  // The test's side, none of it running the event loop. Waits until a step
  // is held; false when none came.
  bool Held() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kGiveUp, [&] { return waiting_ && passed_ >= allowed_; });
  }
  bool Holding() {
    const std::lock_guard lock(mutex_);
    return waiting_;
  }
  int Passed() {
    const std::lock_guard lock(mutex_);
    return passed_;
  }
  void LetThrough(int steps) {
    const std::lock_guard lock(mutex_);
    allowed_ = passed_ + steps;
    changed_.notify_all();
  }
  void Open() { LetThrough(INT_MAX / 2); }
  // Waits until the load's thread is done with the source.
  bool Gone() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kGiveUp, [&] { return gone_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int allowed_;
  int passed_ = 0;
  bool waiting_ = false;
  bool gone_ = false;
};

class GatedSource final : public ByteSource {
 public:
  GatedSource(std::shared_ptr<Gate> gate, std::vector<std::byte> bytes)
      : gate_(std::move(gate)), bytes_(std::move(bytes)) {}
  ~GatedSource() override { gate_->SourceGone(); }
  GatedSource(const GatedSource&) = delete;
  GatedSource& operator=(const GatedSource&) = delete;

  SourceStamp Stamp() override { return {.size = bytes_.size()}; }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override {
    gate_->Pass();
    if (offset >= bytes_.size()) return 0;
    const std::size_t n = std::min<std::size_t>(out.size(), bytes_.size() - offset);
    std::memcpy(out.data(), bytes_.data() + offset, n);
    return n;
  }
  const std::string& Name() const override { return name_; }

 private:
  std::shared_ptr<Gate> gate_;
  std::vector<std::byte> bytes_;
  std::string name_ = "slow.dat";
};

// An open that waits at the gate, then gives a source whose reads wait too.
inline std::function<std::unique_ptr<ByteSource>()> GatedOpen(std::shared_ptr<Gate> gate,
                                                              std::vector<std::byte> bytes) {
  return [gate = std::move(gate), bytes = std::move(bytes)]() -> std::unique_ptr<ByteSource> {
    gate->Pass();
    return std::make_unique<GatedSource>(gate, bytes);
  };
}

}  // namespace geodata::testing
