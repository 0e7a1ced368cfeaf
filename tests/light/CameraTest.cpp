// The pan-and-zoom camera over simulated time: its eased drift and pauses with the
// generator restarted, the clock's 0.2 s step limit, the copy and the record.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/DSM_Camera.h"
#include "runtime/DS_View2D.h"
#include "runtime/Random.h"
#include "tests/support/RecordBytes.h"

namespace {

// The first values of the generator: 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358,
// 26962 (even: a pause).
float Unit(int r) { return float(r / 32767.0 * 2.0) - 1.0f; }

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    srand(1);
    camera.enabled.Assign(1);
    camera.motionType.Value() = 1;  // what a slide's activation sets
  }
  // Frames of 0.1 s of application time up to t.
  void RunTo(float t) {
    while (now + 0.05f < t) {
      now += 0.1f;
      camera.Update(now);
    }
  }
  DSM_Camera camera;
  float now = 0.0f;
};

TEST_F(CameraTest, DefaultsAreZoomOneTwoAndClockAtSpeedOne) {
  DSM_Camera fresh;
  EXPECT_EQ(fresh.enabled.Value(), 0);
  EXPECT_EQ(fresh.zoom.Value(), 120u);
  EXPECT_FLOAT_EQ(fresh.zoom.scaledValue, 1.2f);
  EXPECT_EQ(fresh.speed.Value(), 50u);
  EXPECT_FLOAT_EQ(fresh.speed.scaledValue, 1.0f);
  EXPECT_EQ(fresh.motionType.Value(), 0);
}

TEST_F(CameraTest, DriftEasesFromTheCentreToARandomTargetThenPauses) {
  now = 0.1f;
  camera.Update(now);  // retargets at once: start and end are 0
  EXPECT_FLOAT_EQ(camera.driftStartTime, 0.1f);
  EXPECT_FLOAT_EQ(camera.driftTargetX, Unit(18467));
  EXPECT_FLOAT_EQ(camera.driftTargetY, Unit(6334));
  const float end = camera.driftEndTime;
  EXPECT_NEAR(end, 0.1f + 5.0f + 26500 / 32767.0f * 2.0f, 1e-4);
  EXPECT_FLOAT_EQ(camera.lastPanX, 0.0f);
  EXPECT_FLOAT_EQ(camera.lastZoom, 1.2f);

  // Slow at both ends, half way at the middle, at the target at the end.
  float previous = 0.0f, firstStep = 0.0f, middleStep = 0.0f;
  const float mid = (0.1f + end) * 0.5f;
  while (now + 0.1f < end) {
    now += 0.1f;
    camera.Update(now);
    float step = std::fabs(camera.lastPanX - previous);
    if (firstStep == 0.0f) firstStep = step;
    if (std::fabs(now - mid) < 0.05f) {
      middleStep = step;
      EXPECT_NEAR(camera.lastPanX, Unit(18467) * 0.5f, 0.01f);
      EXPECT_NEAR(camera.lastPanY, Unit(6334) * 0.5f, 0.01f);
    }
    previous = camera.lastPanX;
  }
  EXPECT_LT(firstStep, middleStep * 0.2f);
  EXPECT_NEAR(camera.lastPanX, Unit(18467), 0.002f);

  // The second segment starts where the first ended; the third draw is even: a pause.
  RunTo(end + 0.1f);
  EXPECT_FLOAT_EQ(camera.driftStartX, Unit(18467));
  EXPECT_FLOAT_EQ(camera.driftTargetX, Unit(15724));
  EXPECT_FLOAT_EQ(camera.driftTargetY, Unit(11478));
  const float end2 = camera.driftEndTime;
  RunTo(end2 + 0.1f);
  EXPECT_FLOAT_EQ(camera.driftStartX, Unit(15724));
  EXPECT_FLOAT_EQ(camera.driftTargetX, Unit(15724));
  EXPECT_NEAR(camera.driftEndTime - camera.driftStartTime, 0.5f, 1e-5);
  const float heldX = camera.lastPanX, heldY = camera.lastPanY;
  camera.Update(now + 0.1f);
  EXPECT_FLOAT_EQ(camera.lastPanX, heldX);
  EXPECT_FLOAT_EQ(camera.lastPanY, heldY);
}

TEST_F(CameraTest, AFrameStepIsClampedToTwoTenthsOfASecond) {
  RunTo(2.0f);
  const float clock = camera.speed.clock, panX = camera.lastPanX;
  camera.Update(5.0f);  // a 3 second stall
  EXPECT_NEAR(camera.speed.clock, clock + 0.2f, 1e-5);
  // The drift resumes where it was: no leap.
  EXPECT_NEAR(camera.lastPanX, panX, 0.05f);
  // Speed 2 (value 100) doubles the clamped step.
  camera.speed.SetValue(100);
  camera.Update(9.0f);
  EXPECT_NEAR(camera.speed.clock, clock + 0.6f, 1e-5);
}

TEST_F(CameraTest, ADisabledOrStillCameraSetsTheIdentity) {
  camera.zoom.SetValue(300);
  for (int enabled : {0, 1}) {
    SCOPED_TRACE(enabled);
    camera.enabled.Assign(enabled);
    camera.motionType.Value() = enabled ? 0 : 1;
    camera.Update(now += 0.1f);
    EXPECT_FLOAT_EQ(camera.lastZoom, 1.0f);
    EXPECT_FLOAT_EQ(camera.lastPanX, 0.0f);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(g_view2D->panZoom == identity);
  }
}

TEST_F(CameraTest, HalfWayThroughASegmentThePanIsHalfWay) {
  camera.driftStartX = 0.0f;
  camera.driftTargetX = 1.0f;
  camera.driftStartY = -1.0f;
  camera.driftTargetY = 1.0f;
  camera.driftStartTime = 0.0f;
  camera.driftEndTime = 2.0f;
  camera.speed.clock = 0.9f;
  camera.speed.lastTime = 0.0f;
  camera.Update(0.1f);  // clock 1.0: the middle of the segment
  EXPECT_FLOAT_EQ(camera.speed.clock, 1.0f);
  EXPECT_NEAR(camera.lastPanX, 0.5f, 1e-6);
  EXPECT_NEAR(camera.lastPanY, 0.0f, 1e-6);
  EXPECT_FLOAT_EQ(camera.driftStartTime, 0.0f);  // no new segment
}

TEST_F(CameraTest, AtZoomOneTheDriftRunsButThePictureStaysPut) {
  camera.zoom.SetValue(100);
  g_view2D->pictureWidth = 640;
  g_view2D->pictureHeight = 480;
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  RunTo(2.0f);
  EXPECT_NE(camera.lastPanX, 0.0f);
  EXPECT_FLOAT_EQ(camera.lastZoom, 1.0f);
  EXPECT_TRUE(g_view2D->panZoom == identity);
  // The same drift at the default zoom moves the picture.
  camera.zoom.SetValue(120);
  camera.Update(now += 0.1f);
  EXPECT_FALSE(g_view2D->panZoom == identity);
}

TEST_F(CameraTest, CopyFromTakesSettingsClockAndDrift) {
  camera.zoom.SetValue(250);
  RunTo(1.0f);
  DSM_Camera copy;
  copy.CopyFrom(camera);
  EXPECT_EQ(copy.enabled.Value(), 1);
  EXPECT_EQ(copy.zoom.Value(), 250u);
  EXPECT_FLOAT_EQ(copy.zoom.scaledValue, 2.5f);
  EXPECT_FLOAT_EQ(copy.speed.scaledValue, 1.0f);
  EXPECT_FLOAT_EQ(copy.speed.clock, camera.speed.clock);
  EXPECT_FLOAT_EQ(copy.speed.lastTime, camera.speed.lastTime);
  EXPECT_EQ(copy.motionType.Value(), 1);
  EXPECT_FLOAT_EQ(copy.driftTargetX, camera.driftTargetX);
  EXPECT_FLOAT_EQ(copy.driftEndTime, camera.driftEndTime);
  // Both go on the same way.
  copy.Update(1.1f);
  camera.Update(1.1f);
  EXPECT_FLOAT_EQ(copy.lastPanX, camera.lastPanX);
}

TEST_F(CameraTest, RecordRoundTripsEnabledZoomAndSpeed) {
  camera.zoom.SetValue(200);
  camera.speed.SetValue(75);
  std::unique_ptr<DSM_Camera> read;
  ReadBytes(WriteBytes([&](DS_IOF_Holder s) { camera.WriteRecord(s); }),
            [&](DS_IOF_Holder s) { read = DSM_Camera::ReadNewRecord(s); });
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->enabled.Value(), 1);
  EXPECT_FLOAT_EQ(read->zoom.scaledValue, 2.0f);
  EXPECT_FLOAT_EQ(read->speed.scaledValue, 1.5f);
  EXPECT_EQ(read->motionType.Value(), 0);
}

}  // namespace
