// The flame light's records and the pure parts of its layout.
#include <gtest/gtest.h>

#include "lights/DS_FlameLight.h"
#include "tests/support/RecordBytes.h"

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

TEST(FlameLightLayout, OnlyDistortionFlagOneCapturesTheScene) {
  struct Case {
    int flag;
    bool captures;
  } cases[] = {{1, true}, {0, false}, {2, false}, {-1, false}};
  for (const Case& c : cases) {
    DS_FlameLight light;
    light.distortionFlag.Value() = c.flag;
    EXPECT_EQ(light.NeedsSceneCapture(), c.captures) << c.flag;
  }
}

TEST(FlameLightLayout, DefaultsOfTheLightItsFireAndItsDistortion) {
  DS_FlameLight light;
  EXPECT_EQ(light.fireVisible.Value(), 1);
  EXPECT_EQ(light.distortionFlag.Value(), 1);
  EXPECT_EQ(light.fire.patternLink.Key().stamp, 7);
  EXPECT_EQ(light.fire.noiseLink.Key().stamp, 8);
  EXPECT_EQ(light.distortion.bumpLink.Key().stamp, 62);
  EXPECT_EQ(light.distortion.effectLink.Key().stamp, 63);
  EXPECT_FLOAT_EQ(light.distortion.speed.scaledValue, 0.05f);
  EXPECT_FLOAT_EQ(light.distortion.strength.scaledValue, 0.05f);
  EXPECT_NEAR(light.distortion.bumpScale.scaledValue, 0.208f, 1e-6f);
  light.distortion.bumpScale.SetValue(0);
  EXPECT_FLOAT_EQ(light.distortion.bumpScale.scaledValue, 1.0f);
  light.distortion.bumpScale.SetValue(112);
  EXPECT_LT(light.distortion.bumpScale.scaledValue, 0.0f);
}

TEST(FlameLightRecord, Version2RoundTripsWithItsFire) {
  DS_FlameLight light;
  light.fireVisible.Value() = 0;
  light.distortionFlag.Value() = 2;
  light.fireOffset.Value() = 75;
  light.distortion.speed.SetValue(25);
  light.distortion.strength.SetValue(30);
  light.distortion.bumpScale.SetValue(72);
  light.fire.colour2.Value() = 0x2040FF;
  light.fire.brightness.SetValue(40);
  light.fire.speed.SetValue(80);
  DS_FlameLight read;
  ReadBytes(WriteBytes([&](DS_IOF_Holder s) { light.WriteRecord(s); }), [&](DS_IOF_Holder s) {
    const DS_RecordHeader head = ReadRecordHeader(s);
    EXPECT_EQ(head.version, 2);
    read.ReadFields(s, head.version);
  });
  EXPECT_EQ(read.fireVisible.Value(), 0);
  EXPECT_EQ(read.distortionFlag.Value(), 2);
  EXPECT_EQ(read.fireOffset.Value(), 75u);
  EXPECT_FLOAT_EQ(read.distortion.speed.scaledValue, 0.025f);
  EXPECT_FLOAT_EQ(read.distortion.strength.scaledValue, 0.06f);
  EXPECT_NEAR(read.distortion.bumpScale.scaledValue, 1.0f - 0.009f * 72, 1e-6f);
  EXPECT_EQ(read.fire.colour2.Value(), 0x2040FFu);
  EXPECT_FLOAT_EQ(read.fire.brightness.scaledValue, 0.8f);
  EXPECT_FLOAT_EQ(read.fire.speed.scaledValue, 1.6f);
  EXPECT_EQ(read.fire.patternLink.Key().stamp, 7);
  EXPECT_TRUE(IsEqualGUID(read.fire.guid, light.fire.guid));
}

TEST(FlameLightRecord, Version1CarriesTheFiresSpeedAndTwoDroppedLinks) {
  const RecordBytes bytes = WriteBytes([](DS_IOF_Holder s) {
    s->WriteULong(1);
    s->WriteULong(0);
    s->WriteUInt(40);
    s->WriteUInt(100);  // the fire's speed
    DS_FileLink3(62, L"common_res.dll").Write(s);
    DS_FileLink3(63, L"common_res.dll").Write(s);
    s->WriteUInt(50);
    s->WriteUInt(25);
    s->WriteUInt(88);
    DS_FileLink3(L"old pattern.dds", 1234).Write(s);
    DS_FileLink3(L"old noise.dds", 5678).Write(s);
    s->WriteString(L"DS_2D_Light");
    s->WriteInt(1);
  });
  DS_FlameLight light;
  ReadBytes(bytes, [&](DS_IOF_Holder s) { light.ReadFields(s, 1); });
  EXPECT_EQ(light.fireVisible.Value(), 1);
  EXPECT_EQ(light.distortionFlag.Value(), 0);
  EXPECT_EQ(light.fireOffset.Value(), 40u);
  EXPECT_EQ(light.fire.speed.Value(), 100u);
  EXPECT_FLOAT_EQ(light.fire.speed.scaledValue, 2.0f);
  EXPECT_EQ(light.fire.patternLink.Key().stamp, 7);
  EXPECT_EQ(light.fire.noiseLink.Key().stamp, 8);
  EXPECT_EQ(light.fire.patternLink.Key().path, L"common_res.dll");
}

}  // namespace
