// A source on slow storage whose pace the test sets: its open and each read
// wait at a gate, owned by the test and the source alike (the load's thread
// may outlive the window), until the test lets them through. The test may
// also rewrite the file in place meanwhile, moving it to its next version. A
// gate left shut opens by itself after a while, so a window that never serves
// the test fails instead of hanging.
#pragma once

#include <algorithm>
#include <atomic>
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

  // On the load's thread: an open or a read, which may begin a whole read of
  // the file.
  void Pass(bool begins_read = false) {
    std::unique_lock lock(mutex_);
    reads_begun_ += begins_read;
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
  int ReadsBegun() {
    const std::lock_guard lock(mutex_);
    return reads_begun_;
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

  // The file's version, which the test moves on to rewrite it in place.
  std::atomic<int> version{0};

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int allowed_;
  int passed_ = 0;
  int reads_begun_ = 0;
  bool waiting_ = false;
  bool gone_ = false;
};

class GatedSource final : public ByteSource {
 public:
  GatedSource(std::shared_ptr<Gate> gate, std::vector<std::vector<std::byte>> versions)
      : gate_(std::move(gate)), versions_(std::move(versions)) {}
  ~GatedSource() override { gate_->SourceGone(); }
  GatedSource(const GatedSource&) = delete;
  GatedSource& operator=(const GatedSource&) = delete;

  // A writer moves the modification time.
  SourceStamp Stamp() override {
    const int version = Version();
    return {.size = versions_[version].size(), .modified = {version, 0}};
  }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override {
    gate_->Pass(offset == 0);
    const std::vector<std::byte>& bytes = versions_[Version()];
    if (offset >= bytes.size()) return 0;
    const std::size_t n = std::min<std::size_t>(out.size(), bytes.size() - offset);
    std::memcpy(out.data(), bytes.data() + offset, n);
    return n;
  }
  const std::string& Name() const override { return name_; }

 private:
  int Version() const { return std::min<int>(gate_->version, static_cast<int>(versions_.size()) - 1); }

  std::shared_ptr<Gate> gate_;
  std::vector<std::vector<std::byte>> versions_;
  std::string name_ = "slow.dat";
};

// An open that waits at the gate, then gives a source whose reads wait too:
// of the file's versions, the one the gate says.
inline std::function<std::unique_ptr<ByteSource>()> GatedOpen(std::shared_ptr<Gate> gate,
                                                              std::vector<std::vector<std::byte>> versions) {
  return [gate = std::move(gate), versions = std::move(versions)]() -> std::unique_ptr<ByteSource> {
    gate->Pass();
    return std::make_unique<GatedSource>(gate, versions);
  };
}
inline std::function<std::unique_ptr<ByteSource>()> GatedOpen(std::shared_ptr<Gate> gate, std::vector<std::byte> bytes) {
  return GatedOpen(std::move(gate), std::vector<std::vector<std::byte>>{std::move(bytes)});
}

}  // namespace geodata::testing
