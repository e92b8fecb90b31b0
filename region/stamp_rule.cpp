#include "region/stamp_rule.h"

#include <algorithm>

namespace geodata {

bool StampMustWait(const SourceStamp& file, std::int64_t now_ns, std::int64_t tick_ns, int waited) {
  if (waited >= kStampTicksToWait) return false;
  const std::int64_t last = std::max(file.modified.Nanoseconds(), file.changed.Nanoseconds());
  // The present tick or the one before; a fine-grained file time may run up
  // to a tick ahead of the coarse clock. A clock set back further than that
  // says nothing about the change, and waiting would not help.
  const std::int64_t since = now_ns - last;
  return since > -tick_ns && since <= 2 * tick_ns;
}

}  // namespace geodata
