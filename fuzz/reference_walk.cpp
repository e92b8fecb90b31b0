#include "fuzz/reference_walk.h"

#include "region/region_format.h"

namespace geodata {
namespace {

class Reader {
 public:
  explicit Reader(std::span<const std::byte> bytes) : bytes_(bytes) {}
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
  std::size_t at() const { return at_; }

 private:
  std::span<const std::byte> bytes_;
  std::size_t at_ = 0;
};

}  // namespace

ReferenceOutcome WalkRegion(std::span<const std::byte> bytes, const SlotVisitor& visit) {
  ReferenceOutcome out;
  Reader in(bytes);
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
  out.length = in.at();
  return out;
}

}  // namespace geodata
