// Scaled unsigned parameters and the speed clock.
#include <gtest/gtest.h>

#include "document/MediaScaled.h"
#include "tests/support/RecordBytes.h"

namespace {
struct Watcher {
  DS_ControlList controls;
  std::vector<float> seen;  // the scaled value as a later control sees it
  UINTSclaleTo<float>* param = nullptr;
  void OnChange(const unsigned int&) { seen.push_back(param->scaledValue); }
};
}  // namespace

TEST(ScaledParam, FloatIsOffsetPlusScaleTimesTheUnsignedValue) {
  struct Case {
    unsigned int value;
    float scale, offset;
    float expected;
  } cases[] = {
      {120, 0.01f, 0.0f, float(120 * double(0.01f))},
      {0xFFFFFFFFu, 1.0f, 0.0f, 4294967296.0f},
      {50, 0.02f, 0.0f, float(50 * double(0.02f))},
      {0, 2.0f, -3.5f, -3.5f},
      {7, -1.0f, 0.25f, -6.75f},
  };
  for (const auto& c : cases) {
    UINTSclaleTo<float> p;
    p.scale = c.scale;
    p.offset = c.offset;
    p.SetValue(c.value);
    p.OnParamChanged(nullptr);  // also for value 0, which SetValue does not change
    EXPECT_EQ(p.scaledValue, c.expected) << c.value;
  }
  UINTSclaleTo<float> zoom;
  zoom.scale = 0.01f;
  zoom.SetValue(120);
  EXPECT_FLOAT_EQ(zoom.scaledValue, 1.2f);
}

TEST(ScaledParam, ByteKeepsTheLowBitsOfTheTruncatedSum) {
  struct Case {
    unsigned int value;
    float scale, offset;
    unsigned expected;
  } cases[] = {
      {0, 1.0f, 300.7f, 44}, {0, 1.0f, -1.5f, 255}, {256, 1.0f, 0.0f, 0},
      {100, 2.55f, 0.0f, 254}, {3, 1.0f, 0.9f, 3}, {0xFFFFFFFFu, 1.0f, 0.0f, 255},
  };
  for (const auto& c : cases) {
    UINTSclaleTo<unsigned char> p;
    p.scale = c.scale;
    p.offset = c.offset;
    p.Value() = c.value;
    p.OnParamChanged(nullptr);
    EXPECT_EQ(unsigned(p.scaledValue), c.expected) << c.value << " " << c.offset;
  }
}

TEST(ScaledParam, DefaultsAndCopies) {
  UINTSclaleTo<float> p;
  EXPECT_EQ(p.Value(), 0u);
  EXPECT_EQ(p.scale, 1.0f);
  EXPECT_EQ(p.offset, 0.0f);
  EXPECT_EQ(p.scaledValue, 0.0f);
  // Its own history first, then itself.
  ASSERT_EQ(p.MediaParam::Controls().size(), 2u);
  EXPECT_EQ(p.MediaParam::Controls().back(), static_cast<MediaControl*>(&p));

  p.scale = 0.5f;
  p.offset = 1.0f;
  p.SetValue(10);
  UINTSclaleTo<float> copy(p);
  EXPECT_EQ(copy.Value(), 10u);
  EXPECT_EQ(copy.scale, 0.5f);
  EXPECT_EQ(copy.scaledValue, 6.0f);
  EXPECT_EQ(copy.MediaParam::Controls().size(), 2u);  // its own history and itself only
  EXPECT_EQ(copy.Param(), static_cast<MediaParamT<unsigned int>*>(&copy));
  copy.SetValue(20);
  EXPECT_EQ(copy.scaledValue, 11.0f);
  EXPECT_EQ(p.scaledValue, 6.0f);

  MediaFloat<unsigned int> f;
  EXPECT_EQ(f.Value(), 0u);
  f.scale = 0.25f;
  f.SetValue(8);
  EXPECT_EQ(f.scaledValue, 2.0f);
  MediaFloat<unsigned int> g(f);
  EXPECT_EQ(g.scaledValue, 2.0f);
}

TEST(ScaledParam, ScaledValueIsCurrentBeforeLaterControlsRun) {
  UINTSclaleTo<float> p;
  p.scale = 0.1f;
  Watcher w;
  w.param = &p;
  w.controls.SetOwner(&w);
  w.controls.SetUnderConstruction(false);
  DS_FunLightCtrl<unsigned int, Watcher>::Bind(w.controls, p, &Watcher::OnChange);
  p.SetValue(30);
  ASSERT_EQ(w.seen.size(), 2u);  // once at binding, once for the change
  EXPECT_FLOAT_EQ(w.seen[1], 3.0f);
}

TEST(ScaledParam, DestroyedBeforeItsFunctionControls) {
  Watcher w;
  w.controls.SetOwner(&w);
  w.controls.SetUnderConstruction(false);
  {
    UINTSclaleTo<float> p;
    w.param = &p;
    DS_FunLightCtrl<unsigned int, Watcher>::Bind(w.controls, p, &Watcher::OnChange);
  }
  // The control list is destroyed after the parameter and touches nothing freed.
}

TEST(SpeedParam, ClockStepsAreClampedAndNeverNegative) {
  MediaSpeedParam s;
  s.scale = 0.02f;
  s.SetValue(100);  // speed 2
  ASSERT_FLOAT_EQ(s.scaledValue, 2.0f);

  s.UpdateClock(9.95f);  // the first update: clamped to 0.2 from time 0
  EXPECT_FLOAT_EQ(s.clock, 0.4f);
  float before = s.clock;
  s.UpdateClock(10.0f);
  EXPECT_NEAR(s.clock - before, 0.1f, 1e-5);
  EXPECT_NEAR(s.frameStep, 0.1f, 1e-5);
  before = s.clock;
  s.UpdateClock(12.0f);
  EXPECT_NEAR(s.clock - before, 0.4f, 1e-5);  // 2 s clamped to 0.2
  before = s.clock;
  s.UpdateClock(11.0f);  // time went back
  EXPECT_EQ(s.clock, before);
  EXPECT_EQ(s.frameStep, 0.0f);
  EXPECT_EQ(s.lastTime, 11.0f);
  s.UpdateClock(11.05f);
  EXPECT_NEAR(s.clock - before, 0.1f, 1e-4);

  MediaSpeedParam still;
  still.UpdateClock(5.0f);  // speed 0 stops the clock
  EXPECT_EQ(still.clock, 0.0f);
}

TEST(ScaledParam, RecordIsTheBareUnsignedValue) {
  UINTSclaleTo<float> p;
  p.scale = 0.01f;
  p.Value() = 0xA1B2C3D4u;
  const RecordBytes bytes = WriteBytes([&](DS_IOF_Holder s) { p.Write(s); });
  ASSERT_EQ(bytes, (RecordBytes{0xD4, 0xC3, 0xB2, 0xA1}));
  UINTSclaleTo<float> q;
  ReadBytes(bytes, [&](DS_IOF_Holder s) { q.Read(s); });
  EXPECT_EQ(q.Value(), 0xA1B2C3D4u);
}
