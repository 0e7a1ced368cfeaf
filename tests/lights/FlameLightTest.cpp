// The flame light's records and the pure parts of its layout.
#include <gtest/gtest.h>

#include "document/ReaderRegistry.h"
#include "lights/DS_FlameLight.h"
#include "scene/DocumentReaders.h"
#include "tests/brushes/BrushTestDoubles.h"
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

TEST(FlameLightRecord, Version2SitsWhereItsTablePutsItWithItsFire) {
  // Fire-visible 0, distortion 2, fire offset 75, bump and effect links, distortion speed
  // 25, strength 30, bump scale 72, the fire's record, then the base light's (version 3:
  // picture link, camera).
  const RecordBytes bytes = WriteBytes([](DS_IOF_Holder s) {
                              WriteRecordHeader(s, RecordId{L"DS_FlameLight", 2});
                              s->WriteULong(0);
                              s->WriteULong(2);
                              s->WriteUInt(75);
                              DS_FileLink3(L"haze.png", 62).Write(s);
                              DS_FileLink3(L"common_res.dll", 63).Write(s);
                              for (uint32_t v : {25u, 30u, 72u}) s->WriteUInt(v);
                            }) +
                            FireRecordV2() + WriteBytes([](DS_IOF_Holder s) {
                              WriteRecordHeader(s, RecordId{L"DS_2D_Light", 3});
                              DS_FileLink3(L"bay.jpg", 1234).Write(s);
                              WriteRecordHeader(s, DSM_Camera::kRecord);
                              s->WriteULong(1);
                              s->WriteUInt(150);
                              s->WriteUInt(20);
                            });
  RegisterDocumentReaders();
  std::unique_ptr<DS_2D_Light> item;
  ReadBytes(bytes, [&](DS_IOF_Holder s) { item.reset(ReadLightByClassName(s)); });
  auto* light = dynamic_cast<DS_FlameLight*>(item.get());
  ASSERT_NE(light, nullptr);
  EXPECT_EQ(light->fireVisible.Value(), 0);
  EXPECT_EQ(light->distortionFlag.Value(), 2);
  EXPECT_EQ(light->fireOffset.Value(), 75u);
  EXPECT_EQ(light->distortion.bumpLink.Key(), (DS_LinkKey{L"haze.png", 62}));
  EXPECT_EQ(light->distortion.effectLink.Key(), (DS_LinkKey{L"common_res.dll", 63}));
  EXPECT_EQ(light->distortion.speed.Value(), 25u);
  EXPECT_EQ(light->distortion.strength.Value(), 30u);
  EXPECT_FLOAT_EQ(light->distortion.strength.scaledValue, 0.06f);
  EXPECT_EQ(light->distortion.bumpScale.Value(), 72u);
  // The fire as its record has it, its own links included.
  EXPECT_EQ(light->fire.colour1.Value(), 0x112233u);
  EXPECT_EQ(light->fire.patternLink.Key(), (DS_LinkKey{L"flames.png", 93}));
  EXPECT_EQ(light->fire.density.Value(), 120u);
  EXPECT_EQ(light->fire.brightness.Value(), 40u);
  EXPECT_EQ(light->fire.speed.Value(), 60u);
  EXPECT_EQ(light->fire.ObjectName(), L"Flames");
  EXPECT_EQ(light->PictureLink().Key(), (DS_LinkKey{L"bay.jpg", 1234}));
  EXPECT_EQ(light->Camera().zoom.Value(), 150u);
  EXPECT_EQ(WriteBytes([&](DS_IOF_Holder s) { light->Write(s); }), bytes);
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
