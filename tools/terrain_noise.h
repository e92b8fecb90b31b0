// Deterministic randomness for synthetic terrain: smooth value noise and a
// dice for placing features. Integer hashing only, so a seed gives the same
// terrain on every machine and standard library.
#pragma once

#include <cstdint>

namespace geodata {

// Value noise summed over octaves, each half the period and weight of the one
// before. Coordinates are in blocks.
class TerrainNoise {
 public:
  TerrainNoise(std::uint64_t seed, double period, int octaves);
  // 0..1, continuous in x and y.
  double At(double x, double y) const;

 private:
  double Octave(double x, double y, int octave) const;
  double Lattice(std::int64_t x, std::int64_t y, int octave) const;

  std::uint64_t seed_;
  double period_;
  int octaves_;
};

class TerrainDice {
 public:
  explicit TerrainDice(std::uint64_t seed) : state_(seed) {}
  // lo..hi inclusive.
  int Between(int lo, int hi);

 private:
  std::uint64_t state_;
};

}  // namespace geodata
