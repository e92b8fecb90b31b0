#include "tools/terrain_noise.h"

#include <cmath>

#include "tools/split_mix64.h"

namespace geodata {
namespace {

double Smooth(double t) { return t * t * (3.0 - 2.0 * t); }

double Mix(double a, double b, double t) { return a + (b - a) * t; }

}  // namespace

TerrainNoise::TerrainNoise(std::uint64_t seed, double period, int octaves)
    : seed_(SplitMix64(seed)), period_(period), octaves_(octaves) {}

double TerrainNoise::Lattice(std::int64_t x, std::int64_t y, int octave) const {
  std::uint64_t h = SplitMix64(seed_ ^ static_cast<std::uint64_t>(octave));
  h = SplitMix64(h ^ static_cast<std::uint64_t>(x));
  h = SplitMix64(h ^ static_cast<std::uint64_t>(y));
  return static_cast<double>(h >> 11) / static_cast<double>(1ULL << 53);
}

double TerrainNoise::Octave(double x, double y, int octave) const {
  const double fx = std::floor(x);
  const double fy = std::floor(y);
  const auto ix = static_cast<std::int64_t>(fx);
  const auto iy = static_cast<std::int64_t>(fy);
  const double tx = Smooth(x - fx);
  const double ty = Smooth(y - fy);
  const double top = Mix(Lattice(ix, iy, octave), Lattice(ix + 1, iy, octave), tx);
  const double bottom = Mix(Lattice(ix, iy + 1, octave), Lattice(ix + 1, iy + 1, octave), tx);
  return Mix(top, bottom, ty);
}

double TerrainNoise::At(double x, double y) const {
  double sum = 0.0;
  double weights = 0.0;
  double period = period_;
  double weight = 1.0;
  for (int octave = 0; octave < octaves_; ++octave) {
    sum += weight * Octave(x / period, y / period, octave);
    weights += weight;
    period /= 2.0;
    weight /= 2.0;
  }
  return sum / weights;
}

int TerrainDice::Between(int lo, int hi) {
  state_ = SplitMix64(state_);
  const auto span = static_cast<std::uint64_t>(hi - lo + 1);
  return lo + static_cast<int>(state_ % span);
}

}  // namespace geodata
