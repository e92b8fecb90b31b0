// A source whose bytes and stamp a test scripts: it may deliver fewer bytes
// than its size says, fail part-way as a disk would, be rewritten in place
// while a read is under way (its stamp moving with each version), or claim
// a size there is no memory for, slowly or at once.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "region/byte_source.h"
#include "region/region_error.h"
#include "testing/address_space_limit.h"

namespace geodata::testing {

class ScriptedSource final : public ByteSource {
 public:
  struct Script {
    std::size_t deliver = SIZE_MAX;  // bytes there are, whatever the size says
    std::size_t fail_at = SIZE_MAX;  // a read that reaches this offset fails
    int changing_reads = 0;          // reads during which the next version is written
    bool no_memory = false;          // claims the largest size, with no room for it
    std::chrono::milliseconds pause{0};  // each read takes this long, as on slow storage
  };
  ScriptedSource(const std::vector<std::vector<std::byte>>& versions, Script script,
                 std::string name = "scripted.dat")
      : versions_(versions), script_(script), name_(std::move(name)) {
    if (script_.no_memory) limit_ = std::make_unique<AddressSpaceLimit>(std::uint64_t{32} << 20);
  }

  SourceStamp Stamp() override {
    const std::uint64_t size = script_.no_memory ? std::uint64_t{1} << 30 : versions_[version_].size();
    return {.size = size, .modified = {static_cast<std::int64_t>(version_), 0}};
  }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) override {
    std::this_thread::sleep_for(script_.pause);
    if (offset == 0) ++*reads;
    if (offset + out.size() > script_.fail_at) {
      throw RegionError(RegionErrorKind::kReadFailed, name_,
                        RegionErrorWhere::AtOffset(offset, "Input/output error"));
    }
    const std::vector<std::byte>& bytes = versions_[version_];
    const std::size_t end = std::min(bytes.size(), script_.deliver);
    const std::size_t n = offset >= end ? 0 : std::min<std::size_t>(out.size(), end - offset);
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), n, out.begin());
    // The writer gets in after the first piece of a changing read.
    if (*reads <= script_.changing_reads && offset == 0 && version_ + 1 < versions_.size()) ++version_;
    return n;
  }
  const std::string& Name() const override { return name_; }

  // Outlives the source, which the load lets go.
  std::shared_ptr<int> reads = std::make_shared<int>(0);

 private:
  const std::vector<std::vector<std::byte>>& versions_;
  Script script_;
  std::size_t version_ = 0;
  std::string name_;
  std::unique_ptr<AddressSpaceLimit> limit_;
};

}  // namespace geodata::testing
