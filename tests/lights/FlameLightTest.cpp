// The flame light's records and the pure parts of its layout.
#include <gtest/gtest.h>

#include "lights/DS_FlameLight.h"

namespace {

TEST(FlameLightLayout, FireQuadHeightsFollowTheOffset) {
  struct Case {
    unsigned offset;
    float top, bottom;  // fractions of the picture's height
  } cases[] = {{0, 0.35f, 1.0f}, {75, 0.725f, 1.375f}, {100, 0.85f, 1.5f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    EXPECT_NEAR(DS_FlameLight::FireTop(600.0f, c.offset), c.top * 600.0f, 1e-3);
    EXPECT_NEAR(DS_FlameLight::FireBottom(600.0f, c.offset), c.bottom * 600.0f, 1e-3);
  }
}

}  // namespace
