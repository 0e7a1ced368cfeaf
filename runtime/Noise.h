#pragma once
// One-dimensional value noise (cosine-interpolated hashed lattice values in (-1, 1]) and
// its octave sum, which the brushes use for flicker.
double ValueNoise1D(double x);
double FractalNoise1D(double x, double wavelength, double persistence, int octaves);
// The lattice value at integer k.
double NoiseLatticeValue(int k);
