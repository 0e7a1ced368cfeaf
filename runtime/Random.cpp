#include "runtime/Random.h"

float RandomFloat(float a, float b) {
  double q = rand() / 32767.0;
  float d = b - a;
  return float(a + float(q * d));
}
