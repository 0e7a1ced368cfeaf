// The water brush with a recording stand-in for its effect: what it sets at its defaults
// and over time, its direction turning with +angle, its record with either base record
// version, and a water without its bump picture or its effect drawing nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "brushes/DS_WaterFX.h"
#include "document/ReaderRegistry.h"
#include "scene/DocumentReaders.h"
#include "tests/brushes/BrushTestDoubles.h"
#include "tests/support/RecordBytes.h"

namespace {

constexpr float kPi = 3.1415927f;

class WaterBrushTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The bump picture 89 as the document would hold it.
    water.manager.Tables().textureSets[water.brush.bumpLink.Key()].textures = {bump};
  }

  ComRef<IDirect3DTexture9> bump = FakeTexture::Create();
  RecordedBrush<DS_WaterFX> water;
};

TEST_F(WaterBrushTest, DefaultsSetEveryValueOfTheWater) {
  water.Bind();
  water.SetClock(0.0f);
  water.Draw();
  const RecordingEffect& fx = *water.effect.Get();
  EXPECT_EQ(fx.technique, "Main");
  EXPECT_EQ(fx.passes, 1);
  EXPECT_EQ(fx.textures.at("BumpMap"), bump.Get());
  EXPECT_EQ(fx.textures.at("Mask"), nullptr);
  EXPECT_EQ(fx.textures.at("Background"), water.host.Scene());
  // E = 0.002: P1 = {E - 1, -1, E - 1}; f = 2 / E - 1 = 999, P2.y = (sqrt f + f) / (f - 1).
  ExpectFloats(fx.Floats("P1"), {-0.998f, -1.0f, -0.998f});
  ExpectFloats(fx.Floats("P2"), {1.0f, 1.0326723f, 1.0f});
  // Angle 40, wavelength 0.011, wave amplitude 0.005.
  const float c = std::cos(40.0f * kPi / 180.0f), s = std::sin(40.0f * kPi / 180.0f);
  ExpectFloats(fx.Floats("Direction1"), {-c * 0.5f / 0.011f, -s * 0.5f / 0.011f}, 1e-3f);
  ExpectFloats(fx.Floats("Direction2"), {-c * 0.0025f, -s * 0.0025f}, 1e-7f);
  ExpectFloats(fx.Floats("Vhalf"), {0.4472136f, 0.8944272f, 0.0f});
  ExpectFloats(fx.Floats("Color"), {1.0f, 1.0f, 1.0f});
  ExpectFloats(fx.Floats("Shadows"), {0.0f});
  ExpectFloats(fx.Floats("Time"), {0.0f});
  // Effect scale 30 x 0.02 = 0.6.
  ExpectFloats(fx.Floats("Scale"), {(1024.0f / 768.0f) / 0.6f, 1.0f / 0.6f});
  EXPECT_EQ(water.host.draws, 1);
  EXPECT_EQ(water.host.meshes.front(), water.host.ScreenMesh());
}

TEST_F(WaterBrushTest, TheBumpTransformTurnsHalfATurnAtTwoNinthsPi) {
  water.Bind();
  const float r = 0.02f;  // bump rotation scale 20 x 0.001
  struct Case {
    float t;
    std::initializer_list<float> transform;
    float time;
  } cases[] = {
      {0.0f, {r, 0.0f, 0.0f, r}, 0.0f},
      {2.0f / 9.0f * kPi, {-r, 0.0f, 0.0f, -r}, 4.0f / 9.0f * kPi},
      // A quarter turn: {r cos a, -r sin a, r sin a, r cos a} with a = pi / 2.
      {kPi / 9.0f, {0.0f, -r, r, 0.0f}, 2.0f / 9.0f * kPi},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.t);
    water.SetClock(c.t);
    water.Draw();
    ExpectFloats(water.effect->Floats("BampTrans"), c.transform, 1e-6f);
    ExpectFloats(water.effect->Floats("Time"), {c.time});
  }
}

TEST_F(WaterBrushTest, TheClockRunsAtTheApplicationsPace) {
  water.Bind();
  for (float t = 0.1f; t < 1.05f; t += 0.1f) water.brush.Update(t);
  EXPECT_NEAR(water.brush.Time(), 1.0f, 1e-5f);
}

TEST_F(WaterBrushTest, TheDirectionTurnsByPlusTheAngle) {
  struct Case {
    unsigned angle;
    float x, y;
  } cases[] = {{0, 1, 0}, {90, 0, 1}, {180, -1, 0}, {270, 0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    water.brush.angle.SetValue(c.angle);  // through the parameter: the control updates
    EXPECT_NEAR(water.brush.direction.x, c.x, 1e-6f);
    EXPECT_NEAR(water.brush.direction.y, c.y, 1e-6f);
  }
}

TEST_F(WaterBrushTest, ColourBytesRedFirst) {
  water.Bind();
  struct Case {
    unsigned long colour;
    std::initializer_list<float> rgb;
  } cases[] = {{0x0000FF, {1, 0, 0}}, {0xFF0000, {0, 0, 1}}, {0x804020, {32 / 255.0f, 64 / 255.0f, 128 / 255.0f}}};
  for (const Case& c : cases) {
    water.brush.colour.Value() = c.colour;
    water.Draw();
    ExpectFloats(water.effect->Floats("Color"), c.rgb);
  }
}

TEST_F(WaterBrushTest, HalfVectorShadowsAndSceneFlag) {
  water.brush.halfVectorHeight.SetValue(10);  // h = 1
  water.brush.shadows.SetValue(40);           // 0.4
  water.brush.sceneEffect.Value() = 1;
  water.Bind();
  water.Draw();
  const float n = std::sqrt(6.0f);
  ExpectFloats(water.effect->Floats("Vhalf"), {1 / n, 2 / n, 1 / n});
  ExpectFloats(water.effect->Floats("Shadows"), {0.4f});
  EXPECT_EQ(water.effect->technique, "MainFX");
}

// The record: own fields, then the brush base's record of version 1 (no effect scale: the
// water keeps 0.6) or 2 (the stored value).
std::vector<uint8_t> WaterRecord(int32_t baseVersion) {
  DS_IOF_W writer;
  DS_IOF_Virtual* s = &writer;
  s->WriteString(L"DS_WaterFX");
  s->WriteInt(1);
  for (uint32_t v : {40u, 30u, 80u, 10u, 90u, 25u, 5u}) s->WriteUInt(v);
  s->WriteInt(0x00FF8040);
  DS_FileLink3(89, L"common_res.dll").Write(s);
  return writer.Bytes() + BrushBaseRecord(baseVersion, 50, 0, {L"common_res.dll", 90}, 50, L"Lake water");
}

TEST_F(WaterBrushTest, TheRecordReadsWithEitherBaseVersion) {
  RegisterDocumentReaders();
  struct Case {
    int32_t baseVersion;
    float scale;
  } cases[] = {{1, 0.6f}, {2, 1.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.baseVersion);
    std::unique_ptr<DS_ABObj_Constructor> item;
    ReadBytes(WaterRecord(c.baseVersion),
              [&](DS_IOF_Holder s) { item.reset(ReadByClassName(ConstructorReaderRegistry(), s)); });
    auto* read = dynamic_cast<DS_WaterFX*>(item.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->ObjectName(), L"Lake water");
    EXPECT_FLOAT_EQ(read->pValue.scaledValue, 0.004f);
    EXPECT_FLOAT_EQ(read->bumpRotationScale.scaledValue, 0.03f);
    EXPECT_FLOAT_EQ(read->waveAmplitude.scaledValue, 0.02f);
    EXPECT_FLOAT_EQ(read->wavelength.scaledValue, 0.006f);
    EXPECT_FLOAT_EQ(read->shadows.scaledValue, 0.25f);
    EXPECT_FLOAT_EQ(read->halfVectorHeight.scaledValue, 0.5f);
    EXPECT_EQ(read->colour.Value(), 0x00FF8040ul);
    EXPECT_FLOAT_EQ(read->effectScale.scaledValue, c.scale);
    // The angle was stored without notification: the item keeps angle 40's direction, its
    // clone turns to 90 degrees.
    EXPECT_EQ(read->angle.Value(), 90u);
    EXPECT_NEAR(read->direction.x, std::cos(40.0f * kPi / 180.0f), 1e-6f);
    std::unique_ptr<DS_FX_Constructor> clone(read->Clone());
    EXPECT_NEAR(static_cast<DS_WaterFX*>(clone.get())->direction.y, 1.0f, 1e-6f);

    RecordedBrush<DS_WaterFX> drawn;
    drawn.manager.Tables().textureSets[read->bumpLink.Key()].textures = {bump};
    drawn.effect->Install(drawn.manager, read->effectLink);
    read->BindResources(nullptr);
    read->Render(drawn.host);
    ExpectFloats(drawn.effect->Floats("Scale"), {(1024.0f / 768.0f) / c.scale, 1.0f / c.scale});
  }
}

TEST_F(WaterBrushTest, AWrittenRecordReadsBackToTheEnd) {
  DS_WaterFX& w = water.brush;
  w.pValue.SetValue(33);
  w.angle.SetValue(123);
  w.colour.Value() = 0x123456;
  w.halfVectorHeight.SetValue(7);
  w.effectScale.SetValue(45);
  w.bumpLink.SetKey({L"ripples.png", 77});
  const RecordBytes bytes = WriteBytes([&](DS_IOF_Holder s) { w.Write(s); });
  RegisterDocumentReaders();
  std::unique_ptr<DS_ABObj_Constructor> item;
  ReadBytes(bytes, [&](DS_IOF_Holder s) { item.reset(ReadByClassName(ConstructorReaderRegistry(), s)); });
  auto* read = dynamic_cast<DS_WaterFX*>(item.get());
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->pValue.Value(), 33u);
  EXPECT_EQ(read->angle.Value(), 123u);
  EXPECT_EQ(read->colour.Value(), 0x123456ul);
  EXPECT_EQ(read->halfVectorHeight.Value(), 7u);
  EXPECT_EQ(read->effectScale.Value(), 45u);
  EXPECT_EQ(read->bumpLink.Key(), (DS_LinkKey{L"ripples.png", 77}));
  EXPECT_TRUE(IsEqualGUID(read->guid, w.guid));
}

TEST_F(WaterBrushTest, WithoutItsBumpPictureOrItsEffectTheWaterDrawsNothing) {
  struct Case {
    const char* name;
    bool bumpPicture, effect;
  } cases[] = {{"no bump picture", false, true}, {"no effect", true, false}, {"both", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedBrush<DS_WaterFX> w;
    if (c.bumpPicture) w.manager.Tables().textureSets[w.brush.bumpLink.Key()].textures = {bump};
    if (!c.effect) w.manager.Tables().effects.erase(w.brush.effectLink.Key());
    w.brush.sceneEffect.Value() = 1;
    std::unique_ptr<DS_ABObj> object(w.brush.CreateObject());
    const bool draws = c.bumpPicture && c.effect;
    // A scene-sampling brush that draws nothing must not take the scene drawn before it.
    EXPECT_EQ(object->IsSceneEffect(), draws);
    object->Update(1.0f);
    object->Render(w.host);
    EXPECT_EQ(w.host.draws, draws ? 1 : 0);
    EXPECT_EQ(w.effect->calls.empty(), !draws);
  }
}

}  // namespace
