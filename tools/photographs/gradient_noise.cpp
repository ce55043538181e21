#include "gradient_noise.h"

#include <cmath>

namespace {

uint32_t HashCorner(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

// One of sixteen directions of length one; a table rather than sin and cos of the hash, so
// that the field does not hang on how a maths library rounds.
double CornerSlope(int32_t x, int32_t y, uint32_t seed, double dx, double dy) {
  static constexpr double kDirections[16][2] = {
      {1, 0},  {0.92388, 0.38268},   {0.70711, 0.70711},   {0.38268, 0.92388},
      {0, 1},  {-0.38268, 0.92388},  {-0.70711, 0.70711},  {-0.92388, 0.38268},
      {-1, 0}, {-0.92388, -0.38268}, {-0.70711, -0.70711}, {-0.38268, -0.92388},
      {0, -1}, {0.38268, -0.92388},  {0.70711, -0.70711},  {0.92388, -0.38268}};
  const double* direction = kDirections[HashCorner(x, y, seed) >> 28];
  return direction[0] * dx + direction[1] * dy;
}

// Quintic fade: its first and second derivatives vanish at the lattice, so no creases show.
double Fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }

double Mix(double a, double b, double t) { return a + (b - a) * t; }

}  // namespace

double GradientNoise(double x, double y, uint32_t seed, int32_t period) {
  double cellX = std::floor(x);
  double cellY = std::floor(y);
  auto left = static_cast<int32_t>(cellX);
  auto right = left + 1;
  auto iy = static_cast<int32_t>(cellY);
  if (period > 0) {
    left = ((left % period) + period) % period;
    right = (left + 1) % period;
  }
  double fx = x - cellX;
  double fy = y - cellY;
  double top = Mix(CornerSlope(left, iy, seed, fx, fy), CornerSlope(right, iy, seed, fx - 1, fy), Fade(fx));
  double bottom =
      Mix(CornerSlope(left, iy + 1, seed, fx, fy - 1), CornerSlope(right, iy + 1, seed, fx - 1, fy - 1), Fade(fx));
  // Two-dimensional gradient noise reaches about 0.7 at most; scale it to about 1.
  return 1.4 * Mix(top, bottom, Fade(fy));
}

double FractalNoise(double x, double y, int octaves, uint32_t seed) {
  double sum = 0;
  double amplitude = 1;
  double total = 0;
  for (int octave = 0; octave < octaves; ++octave) {
    sum += amplitude * GradientNoise(x, y, seed + 101u * static_cast<uint32_t>(octave));
    total += amplitude;
    amplitude *= 0.5;
    // The shift keeps the octaves' lattices from meeting at one point.
    x = x * 2 + 17.31;
    y = y * 2 + 5.87;
  }
  return sum / total;
}
