// Random numbers that depend on nothing but their seed: the same sequence on every machine
// and compiler (the standard library's distributions may differ between implementations).
//
// For the same pictures everywhere, draw numbers in separate statements or within one braced
// list, which runs left to right: the arguments of a call and the operands of an operator run
// in whatever order the compiler picks.
#pragma once

#include <cstdint>

class SeededRandom {
 public:
  explicit SeededRandom(uint64_t seed) : state_(seed) {}

  // SplitMix64: a counter stepped by an odd constant and scrambled.
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // Uniform in [low, high), from the top 53 bits.
  double Uniform(double low, double high) { return low + (high - low) * (Next() >> 11) * 0x1.0p-53; }

  bool Chance(double probability) { return Uniform(0, 1) < probability; }

 private:
  uint64_t state_;
};
