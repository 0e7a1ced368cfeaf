// The random sequence, noise values and the grid index table.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "device/TextureHelpers.h"
#include "runtime/Noise.h"
#include "runtime/Random.h"
#include "tests/support/TestDevice.h"

TEST(Random, SequenceStartsAtTheFixedValuesAndRestarts) {
  srand(1);
  EXPECT_EQ(rand(), 41);
  EXPECT_EQ(rand(), 18467);
  EXPECT_EQ(rand(), 6334);
  EXPECT_EQ(rand(), 26500);
  srand(1);
  EXPECT_EQ(rand(), 41);
}

// Calls needed until the generator returns the value (the sequence is fixed).
static int CallsUntil(int value) {
  srand(1);
  for (int n = 1; n < 10'000'000; ++n)
    if (rand() == value) return n;
  return -1;
}

TEST(Random, RandomFloatReachesBothEnds) {
  for (int value : {0, 32767}) {
    int n = CallsUntil(value);
    ASSERT_GT(n, 0);
    srand(1);
    for (int i = 1; i < n; ++i) rand();
    EXPECT_EQ(RandomFloat(0.0f, 1.0f), value ? 1.0f : 0.0f);
  }
  srand(1);
  EXPECT_FLOAT_EQ(RandomFloat(2.0f, 4.0f), float(2.0f + float(41.0 / 32767.0 * 2.0f)));
  // A reversed range still lies between its ends.
  float r = RandomFloat(5.0f, -5.0f);
  EXPECT_LE(r, 5.0f);
  EXPECT_GE(r, -5.0f);
}

// The lattice value of the hash, computed in 64 bits and reduced by hand.
static double Lattice(int64_t k) {
  const uint64_t m = 1ull << 32;
  uint64_t h = (uint64_t(k) ^ (uint64_t(k) << 13)) % m;
  uint64_t inner = (h * h % m * 15731 + 789221) % m;
  uint64_t mixed = (h * inner % m + m - 771171059) % m;
  return 1.0 - double(mixed & 0x7FFFFFFF) / 1073741824.0;
}

TEST(Noise, ValueNoiseAtIntegersIsTheLatticeValue) {
  EXPECT_NEAR(ValueNoise1D(0.0), 1.0 - (2147483648.0 - 771171059.0) / 1073741824.0, 1e-12);
  EXPECT_NEAR(ValueNoise1D(0.0), -0.2818, 1e-4);
  for (int k : {1, 2, -1, -3, 1000, 123456})
    EXPECT_NEAR(ValueNoise1D(double(k)), Lattice(k), 1e-12) << k;
}

TEST(Noise, NegativeXTruncatesTowardZero) {
  double mid = (Lattice(0) + Lattice(1)) / 2;
  EXPECT_NEAR(ValueNoise1D(0.5), mid, 1e-7);
  EXPECT_NEAR(ValueNoise1D(-0.5), mid, 1e-7);
}

TEST(Noise, NextLatticePointWrapsAtTheLargestInt) {
  // n = 2^31 - 1: the following lattice point is the hash of the wrapped 2^31.
  double x = 2147483647.5;
  EXPECT_NEAR(ValueNoise1D(x), (Lattice(2147483647) + Lattice(2147483648)) / 2, 1e-6);
}

TEST(Noise, ValueNoiseStaysInRange) {
  for (double x = -50.0; x < 50.0; x += 0.37) {
    double v = ValueNoise1D(x);
    EXPECT_GE(v, -1.0);
    EXPECT_LE(v, 1.0);
  }
}

TEST(Noise, FractalNoiseSumsOctaves) {
  for (double x : {0.0, 3.7, -12.25, 800.0}) {
    EXPECT_DOUBLE_EQ(FractalNoise1D(x, 75.0, 0.5, 1), ValueNoise1D(x / 75.0));
    EXPECT_NEAR(FractalNoise1D(x, 75.0, 0.5, 2), ValueNoise1D(x / 75.0) + 0.5 * ValueNoise1D(2 * x / 75.0), 1e-12);
    EXPECT_EQ(FractalNoise1D(x, 75.0, 0.5, 0), 0.0);
    EXPECT_EQ(FractalNoise1D(x, 75.0, 0.5, -3), 0.0);
  }
}

static void ExpectCells(const uint16_t* idx) {
  const uint16_t first[6] = {0, 1, 9, 9, 1, 10};
  const uint16_t last[6] = {70, 71, 79, 79, 71, 80};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(idx[i], first[i]) << i;
    EXPECT_EQ(idx[378 + i], last[i]) << i;
  }
  for (int i = 0; i < 384; ++i) EXPECT_LE(idx[i], 80);
}

TEST(GridIndices, FirstAndLastCells) {
  uint16_t idx[DS_GridIndexBuffer::kIndexCount];
  WriteGridIndices(idx);
  ExpectCells(idx);
}

TEST(GridIndices, DeviceBufferHoldsTheTable) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  DS_GridIndexBuffer grid;
  CreateGridIndexBuffer(grid);
  ASSERT_TRUE(grid.indexBuffer);
  EXPECT_EQ(grid.triangleCount, 128u);
  EXPECT_EQ(grid.lockedIndices, nullptr);
  D3DINDEXBUFFER_DESC desc;
  grid.indexBuffer->GetDesc(&desc);
  EXPECT_EQ(desc.Size, 2048u);
  EXPECT_EQ(desc.Format, D3DFMT_INDEX16);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  void* p = nullptr;
  ASSERT_TRUE(SUCCEEDED(grid.indexBuffer->Lock(0, 0, &p, D3DLOCK_READONLY)));
  ExpectCells(static_cast<const uint16_t*>(p));
  grid.indexBuffer->Unlock();
}
