// A source on slow storage whose pace the test sets: each read waits at a
// gate until the test lets it through, so the test can act while a load is
// under way. A gate left shut opens by itself after a while, so that a
// window that never serves the test's turn fails instead of hanging.
#pragma once

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "region/byte_source.h"

namespace geodata::testing {

class GatedSource final : public ByteSource {
 public:
  static constexpr std::chrono::seconds kGiveUp{20};

  GatedSource(std::vector<std::byte> bytes, int reads_let_through)
      : bytes_(std::move(bytes)), allowed_(reads_let_through) {}

  SourceStamp Stamp() override { return {.size = bytes_.size()}; }
  // On the check's thread.
  std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override {
    std::unique_lock lock(mutex_);
    waiting_ = true;
    changed_.notify_all();
    changed_.wait_for(lock, kGiveUp, [&] { return reads_ < allowed_; });
    waiting_ = false;
    ++reads_;
    if (offset >= bytes_.size()) return 0;
    const std::size_t n = std::min<std::size_t>(out.size(), bytes_.size() - offset);
    std::memcpy(out.data(), bytes_.data() + offset, n);
    return n;
  }
  const std::string& Name() const override { return name_; }

  // The test's side: waits, without running the event loop, until a read
  // is held at the gate; false when none came.
  bool Held() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kGiveUp, [&] { return waiting_ && reads_ >= allowed_; });
  }
  // Notifies under the lock: the load's thread may destroy the source as
  // soon as it has read on.
  void Open() {
    const std::lock_guard lock(mutex_);
    allowed_ = INT_MAX;
    changed_.notify_all();
  }

 private:
  std::vector<std::byte> bytes_;
  std::string name_ = "slow.dat";
  std::mutex mutex_;
  std::condition_variable changed_;
  int allowed_;
  int reads_ = 0;
  bool waiting_ = false;
};

}  // namespace geodata::testing
