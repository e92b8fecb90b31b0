// Walks region bytes the slow, obvious way, one 16-bit read after another:
// the outcome every load of the same bytes must agree with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "region/region_format.h"

namespace geodata {

struct ReferenceOutcome {
  bool loads = false;
  bool count_too_large = false;   // else, when it fails: the bytes end too soon
  std::optional<int> block;       // the failing block, none for a short header
};

namespace detail {

class WordReader {
 public:
  explicit WordReader(std::span<const std::byte> bytes) : bytes_(bytes) {}
  bool Word(std::int16_t& out) {
    if (bytes_.size() - at_ < 2) return false;
    out = static_cast<std::int16_t>(std::to_integer<std::uint16_t>(bytes_[at_]) |
                                    std::to_integer<std::uint16_t>(bytes_[at_ + 1]) << 8);
    at_ += 2;
    return true;
  }
  bool Skip(std::size_t n) {
    if (bytes_.size() - at_ < n) return false;
    at_ += n;
    return true;
  }

 private:
  std::span<const std::byte> bytes_;
  std::size_t at_ = 0;
};

}  // namespace detail

// Calls visit(i, j, k, value) for every store slot a load would write.
template <class Visit>
ReferenceOutcome WalkRegion(std::span<const std::byte> bytes, Visit&& visit) {
  ReferenceOutcome out;
  detail::WordReader in(bytes);
  if (!in.Skip(kHeaderBytes)) return out;
  for (int i = 0; i < kBlocks; ++i) {
    out.block = i;
    std::int16_t type = 0;
    std::int16_t v = 0;
    if (!in.Word(type)) return out;
    visit(i, 0, 0, type);
    if (type == kFlatType) {
      for (int j = 1; j <= 2; ++j) {
        if (!in.Word(v)) return out;
        visit(i, j, 1, v);
      }
    } else if (type == kComplexType) {
      for (int j = 1; j <= kCells; ++j) {
        if (!in.Word(v)) return out;
        visit(i, j, 1, v);
      }
    } else {
      for (int j = 1; j <= kCells; ++j) {
        std::int16_t count = 0;
        if (!in.Word(count)) return out;
        visit(i, j, 0, count);
        for (int k = 1; k <= count; ++k) {
          // Slot 17 does not exist: the load stops before reading its value.
          if (k > kMaxLayers) {
            out.count_too_large = true;
            return out;
          }
          if (!in.Word(v)) return out;
          visit(i, j, k, v);
        }
      }
    }
  }
  out.block.reset();
  out.loads = true;
  return out;
}

}  // namespace geodata
