// Smooth noise for textures that must look alike at every magnification: gradient noise on a
// unit lattice, and sums of it over octaves for detail at many scales.
#pragma once

#include <cstdint>

// Gradient noise, about -1 to 1, smooth in both directions; different seeds give unrelated
// fields. With a period, the field repeats every `period` units along x (so that it can wrap
// around a circle); 0 means never.
double GradientNoise(double x, double y, uint32_t seed, int32_t period = 0);

// Octaves of gradient noise, each twice the frequency and half the amplitude of the one
// before; scaled back to about -1 to 1.
double FractalNoise(double x, double y, int octaves, uint32_t seed);
