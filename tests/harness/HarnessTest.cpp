// The test harness itself: a real device under Xvfb whose back buffer reads back.
#include <gtest/gtest.h>

#include "device/CurrentDevice.h"
#include "tests/support/TestDevice.h"

TEST(Harness, ClearedBackBufferReadsBack) {
  TestDevice dev(64, 48);
  ASSERT_TRUE(dev.Ok());
  EXPECT_EQ(g_currentDevice, dev.Device());
  dev.Clear(D3DCOLOR_XRGB(200, 40, 10));
  auto px = dev.ReadBack();
  ASSERT_EQ(px.size(), 64u * 48u);
  EXPECT_TRUE(Near(TestDevice::At(px, 64, 0, 0), Rgba{200, 40, 10, 0}, 1));
  EXPECT_TRUE(Near(TestDevice::At(px, 64, 63, 47), Rgba{200, 40, 10, 0}, 1));
}
