#pragma once
// One-dimensional value noise (cosine-interpolated hashed lattice values in (-1, 1]) and
// its octave sum, which the brushes use for flicker.
#include <cstdint>

double ValueNoise1D(double x);
double FractalNoise1D(double x, double wavelength, double persistence, int octaves);
// The lattice value at integer k, taken as its 32-bit pattern.
double NoiseLatticeValue(uint32_t k);
