// Walks region bytes the slow, obvious way, one 16-bit read after another:
// the outcome every load of the same bytes must agree with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace geodata {

struct ReferenceOutcome {
  bool loads = false;
  bool count_too_large = false;   // else, when it fails: the bytes end too soon
  std::optional<int> block;       // the failing block, none for a short header
  std::size_t length = 0;         // bytes a load consumes, when it loads
};

// Calls visit(i, j, k, value) for every store slot a load would write.
using SlotVisitor = std::function<void(int i, int j, int k, std::int16_t value)>;

ReferenceOutcome WalkRegion(std::span<const std::byte> bytes, const SlotVisitor& visit);

}  // namespace geodata
