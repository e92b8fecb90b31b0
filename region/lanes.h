// Eight 16-bit values handled as one: SSE2 registers where the machine has
// them, else plain C++ (arm64, and the `plain` build). The staging area's
// tile code is written once on it. What SSE2 earns on x86-64: docs/speed.md,
// "What the tricks earn", row "plain lanes".
#pragma once

#include <cstdint>
#if defined(__SSE2__) && !defined(GEODATA_PLAIN_TILES)
#include <emmintrin.h>
#define GEODATA_SSE2_LANES 1
#endif

namespace geodata {

#if defined(GEODATA_SSE2_LANES)

struct Lanes {
  __m128i v;

  static Lanes Load(const std::int16_t* at) { return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))}; }
  static Lanes Fill(std::int16_t value) { return {_mm_set1_epi16(value)}; }
  void Store(std::int16_t* at) const { _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v); }

  // Interleaved halves, by 16-, 32- and 64-bit units.
  template <int kBits>
  static Lanes Low(Lanes a, Lanes b) {
    if constexpr (kBits == 16) return {_mm_unpacklo_epi16(a.v, b.v)};
    if constexpr (kBits == 32) return {_mm_unpacklo_epi32(a.v, b.v)};
    if constexpr (kBits == 64) return {_mm_unpacklo_epi64(a.v, b.v)};
  }
  template <int kBits>
  static Lanes High(Lanes a, Lanes b) {
    if constexpr (kBits == 16) return {_mm_unpackhi_epi16(a.v, b.v)};
    if constexpr (kBits == 32) return {_mm_unpackhi_epi32(a.v, b.v)};
    if constexpr (kBits == 64) return {_mm_unpackhi_epi64(a.v, b.v)};
  }

  // All ones where a > b, else zeros.
  friend Lanes operator>(Lanes a, Lanes b) { return {_mm_cmpgt_epi16(a.v, b.v)}; }
  friend Lanes operator|(Lanes a, Lanes b) { return {_mm_or_si128(a.v, b.v)}; }
  // `old` where `keep` is all ones, else `fresh`.
  static Lanes Select(Lanes keep, Lanes old, Lanes fresh) {
    return {_mm_or_si128(_mm_and_si128(keep.v, old.v), _mm_andnot_si128(keep.v, fresh.v))};
  }
};

#else

struct Lanes {
  std::int16_t v[8];

  static Lanes Load(const std::int16_t* at) {
    Lanes out;
    for (int i = 0; i < 8; ++i) out.v[i] = at[i];
    return out;
  }
  static Lanes Fill(std::int16_t value) {
    Lanes out;
    for (std::int16_t& x : out.v) x = value;
    return out;
  }
  void Store(std::int16_t* at) const {
    for (int i = 0; i < 8; ++i) at[i] = v[i];
  }

  // Interleaved halves, by 16-, 32- and 64-bit units: units of a and b in
  // turn, from the low half (Low) or the high half (High) of each.
  template <int kBits>
  static Lanes Low(Lanes a, Lanes b) {
    return Interleave<kBits / 16>(a, b, 0);
  }
  template <int kBits>
  static Lanes High(Lanes a, Lanes b) {
    return Interleave<kBits / 16>(a, b, 4);
  }

  friend Lanes operator>(Lanes a, Lanes b) {
    Lanes out;
    for (int i = 0; i < 8; ++i) out.v[i] = a.v[i] > b.v[i] ? std::int16_t{-1} : std::int16_t{0};
    return out;
  }
  friend Lanes operator|(Lanes a, Lanes b) {
    Lanes out;
    for (int i = 0; i < 8; ++i) out.v[i] = static_cast<std::int16_t>(a.v[i] | b.v[i]);
    return out;
  }
  static Lanes Select(Lanes keep, Lanes old, Lanes fresh) {
    Lanes out;
    for (int i = 0; i < 8; ++i) out.v[i] = keep.v[i] != 0 ? old.v[i] : fresh.v[i];
    return out;
  }

 private:
  template <int kUnit>
  static Lanes Interleave(Lanes a, Lanes b, int from) {
    Lanes out;
    int at = 0;
    for (int u = from / kUnit; at < 8; ++u) {
      for (int i = 0; i < kUnit; ++i) out.v[at++] = a.v[u * kUnit + i];
      for (int i = 0; i < kUnit; ++i) out.v[at++] = b.v[u * kUnit + i];
    }
    return out;
  }
};

#endif

// Turns eight rows of eight into eight columns: afterwards t[c][i] is what
// t[i][c] was.
inline void Transpose(Lanes (&t)[8]) {
  const Lanes a0 = Lanes::Low<16>(t[0], t[1]), a1 = Lanes::High<16>(t[0], t[1]);
  const Lanes a2 = Lanes::Low<16>(t[2], t[3]), a3 = Lanes::High<16>(t[2], t[3]);
  const Lanes a4 = Lanes::Low<16>(t[4], t[5]), a5 = Lanes::High<16>(t[4], t[5]);
  const Lanes a6 = Lanes::Low<16>(t[6], t[7]), a7 = Lanes::High<16>(t[6], t[7]);
  const Lanes b0 = Lanes::Low<32>(a0, a2), b1 = Lanes::High<32>(a0, a2);
  const Lanes b2 = Lanes::Low<32>(a1, a3), b3 = Lanes::High<32>(a1, a3);
  const Lanes b4 = Lanes::Low<32>(a4, a6), b5 = Lanes::High<32>(a4, a6);
  const Lanes b6 = Lanes::Low<32>(a5, a7), b7 = Lanes::High<32>(a5, a7);
  t[0] = Lanes::Low<64>(b0, b4);
  t[1] = Lanes::High<64>(b0, b4);
  t[2] = Lanes::Low<64>(b1, b5);
  t[3] = Lanes::High<64>(b1, b5);
  t[4] = Lanes::Low<64>(b2, b6);
  t[5] = Lanes::High<64>(b2, b6);
  t[6] = Lanes::Low<64>(b3, b7);
  t[7] = Lanes::High<64>(b3, b7);
}

}  // namespace geodata
