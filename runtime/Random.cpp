#include "runtime/Random.h"

#include <cstdint>

namespace {
uint32_t g_randState = 1;
}

int ds_rand() {
  g_randState = g_randState * 214013u + 2531011u;
  return int((g_randState >> 16) & 0x7FFF);
}

void ds_rand_restart() { g_randState = 1; }

float RandomFloat(float a, float b) {
  double q = ds_rand() / 32767.0;
  float d = b - a;
  return float(a + float(q * d));
}
