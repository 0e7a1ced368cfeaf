#include "runtime/Noise.h"

#include <cmath>
#include <cstdint>

double NoiseLatticeValue(uint32_t k) {
  // Wrapping arithmetic, done unsigned so that overflow is defined.
  uint32_t h = k;
  h ^= h << 13;
  uint32_t mixed = h * (h * h * 15731u + 789221u) - 771171059u;
  return 1.0 - double(mixed & 0x7FFFFFFFu) / 1073741824.0;
}

double ValueNoise1D(double x) {
  int n = int(x);  // toward zero, also for negative x
  double f = (1.0 - std::cos(3.1415927 * (x - n))) * 0.5;
  // n + 1 wraps like the hash does (n may be the largest int).
  uint32_t k = uint32_t(n);
  return NoiseLatticeValue(k) * (1.0 - f) + NoiseLatticeValue(k + 1u) * f;
}

double FractalNoise1D(double x, double wavelength, double persistence, int octaves) {
  double sum = 0.0;
  for (int i = 0; i < octaves; ++i) sum += ValueNoise1D(std::pow(2.0, i) * x / wavelength) * std::pow(persistence, i);
  return sum;
}
