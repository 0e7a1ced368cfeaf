// The underwater effect and light with a recording stand-in for the effect: the values the
// effect sets at its defaults and over time, its copy assignment, the light's records of
// version 1 (one speed value, halved) and 2 (the effect's own record), and whether the
// light asks for a scene capture.
#include <gtest/gtest.h>

#include <memory>

#include "document/ReaderRegistry.h"
#include "lights/FakeUndervater.h"
#include "runtime/ScreenSelection.h"
#include "scene/DocumentReaders.h"
#include "tests/brushes/BrushTestDoubles.h"
#include "tests/support/RecordBytes.h"

namespace {

TEST(UnderwaterEffect, DefaultsOnA1024By768Picture) {
  RecordedBrush<DS_UnderwaterFX> fx;
  fx.Bind();
  fx.SetClock(100.0f);  // four seconds at speed 25
  fx.Draw();
  const RecordingEffect& e = *fx.effect.Get();
  ExpectFloats(e.Floats("frequency"), {13.20132f, 9.90099f}, 1e-4f);
  ExpectFloats(e.Floats("amplitude"), {0.00625f});
  ExpectFloats(e.Floats("time"), {8.0f});
  ExpectFloats(e.Floats("Scale"), {1024.0f / 768.0f, 1.0f});
  EXPECT_EQ(e.technique, "Main");
  EXPECT_EQ(e.textures.at("Mask"), nullptr);
  EXPECT_EQ(e.textures.at("Background"), fx.host.Scene());
  EXPECT_EQ(fx.host.draws, 1);
  EXPECT_EQ(fx.host.meshes.front(), fx.host.ScreenMesh());
}

TEST(UnderwaterEffect, TheClockRunsTwentyFiveTimesAsFast) {
  DS_UnderwaterFX fx;
  for (float t = 0.1f; t < 1.05f; t += 0.1f) fx.Update(t);
  EXPECT_NEAR(fx.Time(), 25.0f, 1e-3f);
}

TEST(UnderwaterEffect, WavelengthZeroGivesTheShortestWaves) {
  RecordedBrush<DS_UnderwaterFX> fx;
  fx.brush.wavelength.SetValue(0);
  fx.Bind();
  fx.Draw();
  ExpectFloats(fx.effect->Floats("frequency"), {1024.0f / 768.0f * 1000.0f, 1000.0f}, 0.05f);
}

TEST(UnderwaterEffect, CopyAssignmentTakesEveryValueAndSharesTheEffect) {
  RecordedBrush<DS_UnderwaterFX> from;
  from.Bind();
  DS_UnderwaterFX& a = from.brush;
  a.SetObjectName(L"Sea");
  a.amplitude.scale = 0.5f;
  a.amplitude.SetValue(3);
  a.wavelength.SetValue(20);
  a.sceneEffect.Value() = 1;
  a.effectScale.SetValue(40);
  a.effectLink.SetKey({L"other.dll", 3});
  for (float t = 0.1f; t < 0.55f; t += 0.1f) a.Update(t);
  a.maskName = L"mask";
  a.maskFlag = 0;

  DS_UnderwaterFX b;
  b = a;
  EXPECT_EQ(b.ObjectName(), L"Sea");
  EXPECT_FLOAT_EQ(b.amplitude.scaledValue, 1.5f);
  EXPECT_FLOAT_EQ(b.wavelength.scaledValue, 0.041f);
  EXPECT_EQ(b.sceneEffect.Value(), 1);
  EXPECT_FLOAT_EQ(b.effectScale.scaledValue, 0.8f);
  EXPECT_EQ(b.effectLink.Key(), (DS_LinkKey{L"other.dll", 3}));
  EXPECT_FLOAT_EQ(b.Time(), a.Time());
  EXPECT_FLOAT_EQ(b.speed.lastTime, a.speed.lastTime);
  EXPECT_TRUE(IsEqualGUID(b.guid, a.guid));
  EXPECT_EQ(b.maskName, L"mask");
  EXPECT_EQ(b.maskFlag, 0);
  EXPECT_EQ(b.Effect(), from.effect.Get());
  // Scaled values follow later changes of their own parameters.
  b.amplitude.SetValue(4);
  EXPECT_FLOAT_EQ(b.amplitude.scaledValue, 2.0f);
  b = b;
  EXPECT_EQ(b.Effect(), from.effect.Get());
}

// A light record: class name, version, the version's fields, the base light's record.
std::vector<uint8_t> LightRecord(int32_t version, const std::function<void(DS_IOF_Holder)>& fields) {
  DS_IOF_W writer;
  DS_IOF_Virtual* s = &writer;
  s->WriteString(L"FakeUndervater");
  s->WriteInt(version);
  fields(s);
  s->WriteString(L"DS_2D_Light");
  s->WriteInt(2);
  DS_FileLink3(L"reef.jpg", 11).Write(s);
  return writer.Bytes();
}

std::unique_ptr<FakeUndervater> ReadLight(const std::vector<uint8_t>& bytes) {
  RegisterDocumentReaders();
  std::unique_ptr<DS_2D_Light> light;
  ReadBytes(bytes, [&](DS_IOF_Holder s) { light.reset(ReadByClassName(LightReaderRegistry(), s)); });
  auto* underwater = dynamic_cast<FakeUndervater*>(light.get());
  if (underwater) light.release();
  return std::unique_ptr<FakeUndervater>(underwater);
}

TEST(UnderwaterLight, AVersionOneRecordHoldsOneSpeedValueHalved) {
  for (uint32_t stored : {50u, 51u}) {
    SCOPED_TRACE(stored);
    auto light = ReadLight(LightRecord(1, [&](DS_IOF_Holder s) { s->WriteUInt(stored); }));
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->effect.speed.Value(), 25u);
    EXPECT_FLOAT_EQ(light->effect.speed.scaledValue, 25.0f);
    EXPECT_FLOAT_EQ(light->effect.amplitude.scaledValue, 0.00625f);
    EXPECT_EQ(light->PictureLink().Key(), (DS_LinkKey{L"reef.jpg", 11}));
  }
}

TEST(UnderwaterLight, AVersionTwoRecordCarriesTheEffectsOwnRecord) {
  auto light = ReadLight(LightRecord(2, [](DS_IOF_Holder s) {
    s->WriteString(L"DS_UnderwaterFX");
    s->WriteInt(1);
    s->WriteUInt(10);
    s->WriteUInt(20);
    const std::vector<uint8_t> base = BrushBaseRecord(2, 30, 0, {L"common_res.dll", 88}, 50, L"");
    for (uint8_t b : base) s->WriteChar(char(b));
  }));
  ASSERT_NE(light, nullptr);
  EXPECT_FLOAT_EQ(light->effect.amplitude.scaledValue, 0.00125f);
  EXPECT_FLOAT_EQ(light->effect.wavelength.scaledValue, 0.041f);
  EXPECT_EQ(light->effect.speed.Value(), 30u);
  EXPECT_EQ(light->effect.effectLink.Key(), (DS_LinkKey{L"common_res.dll", 88}));
  EXPECT_EQ(light->PictureLink().Key(), (DS_LinkKey{L"reef.jpg", 11}));

  RecordedBrush<DS_UnderwaterFX> drawn;
  drawn.effect->Install(drawn.manager, light->effect.effectLink);
  light->effect.BindResources(nullptr);
  light->effect.Render(drawn.host);
  ExpectFloats(drawn.effect->Floats("amplitude"), {0.00125f});
  ExpectFloats(drawn.effect->Floats("frequency"), {(1024.0f / 768.0f) / 0.041f, 1.0f / 0.041f}, 1e-3f);
}

TEST(UnderwaterLight, AWrittenRecordReadsBackToTheEnd) {
  FakeUndervater light;
  light.effect.amplitude.SetValue(70);
  light.effect.wavelength.SetValue(5);
  light.effect.speed.SetValue(12);
  light.PictureLink().SetKey({L"kelp.png", 4});
  const RecordBytes bytes = WriteBytes([&](DS_IOF_Holder s) { light.Write(s); });
  auto read = ReadLight(bytes);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->effect.amplitude.Value(), 70u);
  EXPECT_EQ(read->effect.wavelength.Value(), 5u);
  EXPECT_EQ(read->effect.speed.Value(), 12u);
  EXPECT_EQ(read->PictureLink().Key(), (DS_LinkKey{L"kelp.png", 4}));
}

TEST(UnderwaterLight, ItAsksForTheCaptureOnlyWithItsEffect) {
  RecordedBrush<DS_UnderwaterFX> withEffect;  // the recorder under ("common_res.dll", 88)
  FakeUndervater light;
  light.effect.BindResources(nullptr);
  EXPECT_TRUE(light.NeedsSceneCapture());
  // The effect is drawn without a mask.
  EXPECT_FALSE(*light.effect.GetMask());

  DS_DocResManager empty;
  ScopedScreen selectEmpty(ScreenSelection::Current().WithResources(&empty));
  FakeUndervater without;
  without.effect.BindResources(nullptr);
  EXPECT_FALSE(without.NeedsSceneCapture());
}

TEST(UnderwaterLight, TheEffectsClockRunsWithTheLight) {
  FakeUndervater light;
  for (float t = 0.1f; t < 0.45f; t += 0.1f) light.Update(t);
  EXPECT_NEAR(light.effect.Time(), 10.0f, 1e-3f);
}

}  // namespace
