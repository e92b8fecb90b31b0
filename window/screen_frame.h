// One frame of a 60 Hz screen: the window does no work for the screen more
// often than that.
#pragma once

#include <chrono>

namespace geodata {

inline constexpr std::chrono::milliseconds kFrame{16};

}  // namespace geodata
