// splitmix64: tiny, well mixed, and the same on every platform and standard
// library, so a seed makes the same terrain and benchmark regions everywhere.
#pragma once

#include <cstdint>

namespace geodata {

inline constexpr std::uint64_t kSplitMixIncrement = 0x9E37'79B9'7F4A'7C15;

// The generator's output for one state: a well-mixed function of it.
constexpr std::uint64_t SplitMix64(std::uint64_t state) {
  std::uint64_t z = state + kSplitMixIncrement;
  z = (z ^ (z >> 30)) * 0xBF58'476D'1CE4'E5B9;
  z = (z ^ (z >> 27)) * 0x94D0'49BB'1331'11EB;
  return z ^ (z >> 31);
}

// The next number of the sequence that `state` is at, advancing it.
inline std::uint64_t SplitMix64Next(std::uint64_t& state) {
  const std::uint64_t out = SplitMix64(state);
  state += kSplitMixIncrement;
  return out;
}

}  // namespace geodata
