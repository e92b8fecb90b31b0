// When a file's stamp may be taken. The kernel may stamp a change with its
// coarse clock, so a write in the same tick as the last one can leave the
// times as they were; a stamp taken while the last change is that fresh
// could then miss a rewrite. Waiting out the tick first makes any later
// write move the times.
#pragma once

#include <cstdint>

#include "region/byte_source.h"

namespace geodata {

// A file written all the time is read all the same; its stamp then tells.
inline constexpr int kStampTicksToWait = 4;

// Whether to wait one more tick before taking the stamp `file`, at coarse
// time `now_ns` of a clock that moves by `tick_ns`, after `waited` ticks.
bool StampMustWait(const SourceStamp& file, std::int64_t now_ns, std::int64_t tick_ns, int waited);

}  // namespace geodata
