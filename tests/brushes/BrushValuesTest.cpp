// The brush base, the background-copy, wave and light brushes and the fire, without a device:
// what each sets on its effect by name (through the recording stand-in), their copies and
// their records.
#include <gtest/gtest.h>

#include <cmath>

#include "brushes/DS_FireFX.h"
#include "brushes/SimpleBrushes.h"
#include "document/ReaderRegistry.h"
#include "runtime/DS_View2D.h"
#include "runtime/Noise.h"
#include "runtime/ScreenSelection.h"
#include "scene/DocumentReaders.h"
#include "tests/brushes/BrushTestDoubles.h"
#include "tests/support/RecordBytes.h"

namespace {

ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

// ---- The brush base

TEST(BrushBase, AClonesIdentityIsTheBrushsAndItSharesMaskAndEffect) {
  RecordedBrush<DS_WavesFX> waves;
  ComRef<IDirect3DTexture9> mask = FakeTexture::Create();
  waves.brush.maskName = L"Lake";
  waves.brush.maskFlag = 7;
  waves.brush.BindResources(&mask);
  const ULONG maskRefs = RefCount(mask.Get()), effectRefs = RefCount(waves.effect.Get());
  {
    std::unique_ptr<DS_FX_Constructor> clone(waves.brush.Clone());
    EXPECT_TRUE(IsEqualGUID(clone->guid, waves.brush.guid));
    EXPECT_EQ(clone->maskName, L"Lake");
    EXPECT_EQ(clone->maskFlag, 7);
    EXPECT_EQ(clone->GetMask()->Get(), mask.Get());
    EXPECT_EQ(clone->Effect(), waves.effect.Get());
    EXPECT_EQ(RefCount(mask.Get()), maskRefs + 1);
    EXPECT_EQ(RefCount(waves.effect.Get()), effectRefs + 1);
  }
  // The clone's references went with it; the brush's own stay.
  EXPECT_EQ(RefCount(mask.Get()), maskRefs);
  EXPECT_EQ(RefCount(waves.effect.Get()), effectRefs);
  EXPECT_EQ(waves.brush.GetMask()->Get(), mask.Get());
  // A brush made anew has an identity of its own.
  DS_WavesFX other;
  EXPECT_FALSE(IsEqualGUID(other.guid, waves.brush.guid));
}

TEST(BrushBase, ResetDropsTheMaskAndGivesANewIdentity) {
  RecordedBrush<DS_LightFX> light;
  ComRef<IDirect3DTexture9> mask = FakeTexture::Create();
  light.brush.BindResources(&mask);
  light.brush.maskName = L"Lamp";
  light.brush.maskFlag = 0;
  const GUID before = light.brush.guid;
  light.brush.Reset();
  EXPECT_FALSE(*light.brush.GetMask());
  EXPECT_FALSE(IsEqualGUID(light.brush.guid, before));
  EXPECT_TRUE(light.brush.maskName.empty());
  EXPECT_EQ(light.brush.maskFlag, 1);
}

TEST(BrushBase, TheSceneFlagChoosesTheTechniqueAndBackgroundIsTheHostsSceneTexture) {
  RecordedBrush<DS_WavesFX> waves;
  ComRef<IDirect3DTexture9> mask = FakeTexture::Create();
  waves.brush.BindResources(&mask);
  for (int flag : {0, 1, 5}) {
    SCOPED_TRACE(flag);
    waves.brush.sceneEffect.Value() = flag;
    waves.Draw();
    EXPECT_EQ(waves.effect->technique, flag ? "MainFX" : "Main");
    EXPECT_EQ(waves.effect->textures["Background"], waves.host.Scene());
    EXPECT_EQ(waves.effect->textures["Mask"], mask.Get());
    EXPECT_EQ(waves.effect->passes, 1);
    ASSERT_EQ(waves.host.meshes.size(), size_t(waves.host.draws));
    EXPECT_EQ(waves.host.meshes.back(), waves.host.ScreenMesh());
  }
}

TEST(BrushBase, ScaleIsThePicturesAspectOverTheEffectScale) {
  struct Case {
    uint32_t w, h, scaleValue;
    float x, y;
  } cases[] = {{1920, 1080, 50, 1.7777778f, 1.0f}, {1024, 768, 50, 1.3333334f, 1.0f}, {1920, 1080, 100, 0.8888889f, 0.5f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scaleValue);
    DS_DocResManager manager;
    ScopedScreen selected(ScreenSelection::Current().WithResources(&manager));
    ComRef<RecordingEffect> effect = RecordingEffect::Create();
    DS_BackgroundCopy copy;
    effect->Install(manager, copy.effectLink);
    copy.BindResources(nullptr);
    copy.effectScale.SetValue(c.scaleValue);
    RecordingHost host(c.w, c.h);
    copy.Render(host);
    ExpectFloats(effect->Floats("Scale"), {c.x, c.y});
  }
}

TEST(BrushBase, WithoutAnEffectNothingIsDrawnAndTheSceneIsNotSampled) {
  DS_DocResManager manager;
  ScopedScreen selected(ScreenSelection::Current().WithResources(&manager));
  DS_WavesFX waves;
  waves.effectLink.SetKey(DS_LinkKey{L"common_res.dll", 4000});
  waves.sceneEffect.Value() = 1;
  std::unique_ptr<DS_ABObj> object(waves.CreateObject());
  EXPECT_FALSE(object->IsSceneEffect());
  RecordingHost host(1024, 768);
  object->Render(host);
  EXPECT_EQ(host.draws, 0);
}

TEST(BrushBase, RecordsOfBothVersionsRoundTrip) {
  // Version 2 carries the effect scale; version 1 leaves the brush's default.
  struct Case {
    int32_t version;
    uint32_t scale;
    float scaled;
  } cases[] = {{2, 100, 2.0f}, {1, 100, 1.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    const RecordBytes bytes = BrushBaseRecord(c.version, 33, 1, DS_LinkKey{L"common_res.dll", 77}, c.scale, L"Waves");
    DS_WavesFX read;
    ReadBytes(bytes, [&](DS_IOF_Holder s) { read.ReadRecord(s); });
    EXPECT_EQ(read.speed.Value(), 33u);
    EXPECT_FLOAT_EQ(read.speed.scaledValue, 33.0f);
    EXPECT_EQ(read.sceneEffect.Value(), 1);
    EXPECT_TRUE(IsEqualGUID(read.guid, GUID{0x1234, 0x5678, 0x9ABC, {1, 2, 3, 4, 5, 6, 7, 8}}));
    EXPECT_EQ(read.effectLink.Key().stamp, 77);
    EXPECT_FLOAT_EQ(read.effectScale.scaledValue, c.scaled);
    EXPECT_EQ(read.ObjectName(), L"Waves");
    // Written back as version 2, whatever was read.
    const RecordBytes written = WriteBytes([&](DS_IOF_Holder s) { read.DS_FX_Constructor::WriteRecord(s); });
    EXPECT_EQ(written, BrushBaseRecord(2, 33, 1, DS_LinkKey{L"common_res.dll", 77}, c.version > 1 ? c.scale : 50, L"Waves"));
  }
}

// ---- Background copy, waves, light

TEST(BackgroundCopy, OffsetIsTheFurtherPointOverThePictureSizePlusTheShifts) {
  struct Case {
    int x, y, horizontal, vertical;
    float u, v;
  } cases[] = {{96, 0, 0, 0, 0.05f, 0.0f}, {96, 0, 1, 0, 1.05f, 0.0f}, {0, -54, 0, 3, 0.0f, 0.95f}};
  RecordedBrush<DS_BackgroundCopy> copy;
  copy.Bind();
  RecordingHost host(1920, 1080);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    copy.brush.rectangle.x.Value() = c.x;
    copy.brush.rectangle.y.Value() = c.y;
    copy.brush.horizontalShift.Value() = c.horizontal;
    copy.brush.verticalShift.Value() = c.vertical;
    copy.brush.Render(host);
    ExpectFloats(copy.effect->Floats("offset"), {c.u, c.v});
  }
}

TEST(Waves, DirectionsFollowTheAngleInBothModes) {
  struct Case {
    unsigned angle;
    int mode;
    float direction[2], crest[2];  // as set: "direction" is the travel negated
  } cases[] = {
      {0, 0, {-1, 0}, {0, 1}},
      {0, 1, {-1, 0}, {-1, 0}},
      {90, 0, {0, 1}, {1, 0}},
      {90, 1, {0, 1}, {0, 1}},
  };
  RecordedBrush<DS_WavesFX> waves;
  waves.Bind();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.angle << " mode " << c.mode);
    // Through the parameters, so that their controls recompute the directions.
    waves.brush.angle.SetValue(c.angle);
    waves.brush.directionMode.SetValue(c.mode);
    waves.Draw();
    ExpectFloats(waves.effect->Floats("direction"), {c.direction[0], c.direction[1]});
    ExpectFloats(waves.effect->Floats("direction_n"), {c.crest[0], c.crest[1]});
  }
}

TEST(Waves, FrequencyAmplitudeAndTimeFromTheScaledValues) {
  RecordedBrush<DS_WavesFX> waves;
  waves.Bind();
  waves.SetClock(100.0f);
  waves.Draw();
  ExpectFloats(waves.effect->Floats("frequency"), {1.0f / 0.026f}, 1e-3f);
  ExpectFloats(waves.effect->Floats("amplitude"), {0.0125f});
  ExpectFloats(waves.effect->Floats("time"), {8.0f}, 1e-4f);
  waves.brush.wavelength.SetValue(0);
  waves.Draw();
  ExpectFloats(waves.effect->Floats("frequency"), {1000.0f}, 1e-2f);
}

TEST(LightBrush, TheThreeModesOfTheMultiplier) {
  RecordedBrush<DS_LightFX> light;
  light.Bind();
  const float intensity = 0.4f;
  light.SetClock(0.0f);
  light.Draw();
  ExpectFloats(light.effect->Floats("multiplier"), {intensity * 0.5f});
  // On/off: the smooth pulse thresholded at one half.
  light.brush.flickerMode.Value() = 1;
  for (float t : {1.0f, 10.0f, 20.0f, 30.0f}) {
    SCOPED_TRACE(t);
    light.SetClock(t);
    light.Draw();
    const float pulse = (std::sin(0.2f * t) + 1.0f) * 0.5f;
    ExpectFloats(light.effect->Floats("multiplier"), {pulse > 0.5f ? intensity : 0.0f});
  }
  // Noise: two octaves of value noise at ten times the clock.
  for (int mode : {2, 9}) {
    light.brush.flickerMode.Value() = mode;
    light.SetClock(3.25f);
    light.Draw();
    const float a = float((FractalNoise1D(32.5, 75.0, 0.5, 2) + 1.0) * 0.5);
    ExpectFloats(light.effect->Floats("multiplier"), {intensity * a});
  }
}

TEST(Waves, TheRecordExampleReadsByteForByte) {
  RegisterDocumentReaders();
  RecordBytes bytes = WriteBytes([](DS_IOF_Holder s) {
    s->WriteString(L"DS_WavesFX");
    s->WriteInt(1);
    s->WriteUInt(10);
    s->WriteUInt(101);
    s->WriteUInt(0);
    s->WriteULong(0);
  });
  bytes = bytes + BrushBaseRecord(2, 28, 1, DS_LinkKey{L"common_res.dll", 77}, 50, L"Wave brush");
  std::unique_ptr<DS_ABObj_Constructor> item;
  ReadBytes(bytes, [&](DS_IOF_Holder s) { item.reset(ReadConstructorByClassName(s)); });
  auto* waves = dynamic_cast<DS_WavesFX*>(item.get());
  ASSERT_NE(waves, nullptr);
  EXPECT_EQ(waves->ObjectName(), L"Wave brush");

  DS_DocResManager manager;
  ScopedScreen selected(ScreenSelection::Current().WithResources(&manager));
  ComRef<RecordingEffect> effect = RecordingEffect::Create();
  effect->Install(manager, waves->effectLink);
  std::unique_ptr<DS_ABObj> object(waves->CreateObject());
  object->Update(0.0f);
  object->Update(0.1f);
  RecordingHost host(1024, 768);
  object->Render(host);
  EXPECT_EQ(effect->technique, "MainFX");
  ExpectFloats(effect->Floats("amplitude"), {0.0025f});
  ExpectFloats(effect->Floats("frequency"), {1.0f / 0.0515f}, 1e-4f);
  ExpectFloats(effect->Floats("direction"), {-1.0f, 0.0f});
  ExpectFloats(effect->Floats("time"), {0.08f * 2.8f});  // 0.1 s at 28 times the pace
}

TEST(SimpleBrushes, RecordsRoundTrip) {
  DS_BackgroundCopy copy;
  copy.rectangle.x.Value() = -5;
  copy.rectangle.y.Value() = 12;
  copy.horizontalShift.Value() = 1;
  copy.SetObjectName(L"Copy");
  DS_WavesFX waves;
  waves.amplitude.SetValue(10);
  waves.angle.Value() = 270;
  waves.directionMode.Value() = 1;
  DS_LightFX light;
  light.intensity.SetValue(90);
  light.flickerMode.Value() = 2;

  DS_BackgroundCopy copyRead;
  ReadBytes(WriteBytes([&](DS_IOF_Holder s) { copy.WriteRecord(s); }), [&](DS_IOF_Holder s) {
    ReadRecordHeader(s);
    copyRead.ReadFields(s, 1);
  });
  EXPECT_EQ(copyRead.rectangle.x.Value(), -5);
  EXPECT_EQ(copyRead.rectangle.y.Value(), 12);
  EXPECT_EQ(copyRead.horizontalShift.Value(), 1);
  EXPECT_EQ(copyRead.verticalShift.Value(), 0);
  EXPECT_EQ(copyRead.ObjectName(), L"Copy");
  EXPECT_TRUE(IsEqualGUID(copyRead.guid, copy.guid));

  DS_WavesFX wavesRead;
  ReadBytes(WriteBytes([&](DS_IOF_Holder s) { waves.WriteRecord(s); }), [&](DS_IOF_Holder s) {
    ReadRecordHeader(s);
    wavesRead.ReadFields(s, 1);
  });
  EXPECT_FLOAT_EQ(wavesRead.amplitude.scaledValue, 0.0025f);
  EXPECT_EQ(wavesRead.angle.Value(), 270u);
  EXPECT_EQ(wavesRead.directionMode.Value(), 1);
  // Read without notification: the directions stay those of angle 0 until the brush is
  // copied.
  EXPECT_NEAR(wavesRead.direction.x, 1.0f, 1e-6f);
  std::unique_ptr<DS_FX_Constructor> clone(wavesRead.Clone());
  EXPECT_NEAR(static_cast<DS_WavesFX*>(clone.get())->direction.y, 1.0f, 1e-6f);

  DS_LightFX lightRead;
  ReadBytes(WriteBytes([&](DS_IOF_Holder s) { light.WriteRecord(s); }), [&](DS_IOF_Holder s) {
    ReadRecordHeader(s);
    lightRead.ReadFields(s, 1);
  });
  EXPECT_FLOAT_EQ(lightRead.intensity.scaledValue, 0.9f);
  EXPECT_EQ(lightRead.flickerMode.Value(), 2);
}

// Records laid out by their tables, each field a value of its own, read through the
// registry and written back to the same bytes.
TEST(SimpleBrushes, RecordsSitWhereTheirTablesPutThem) {
  RegisterDocumentReaders();
  // "DS_BackgroundCopy" 1: rectangle left, right, top, bottom, x, y; vertical shift flag;
  // horizontal shift flag.
  const RecordBytes copyBytes = WriteBytes([](DS_IOF_Holder s) {
                                  WriteRecordHeader(s, RecordId{L"DS_BackgroundCopy", 1});
                                  for (uint32_t v : {1u, 2u, 3u, 4u, 0xFFFFFFFBu, 6u}) s->WriteULong(v);
                                  s->WriteULong(0);
                                  s->WriteULong(1);
                                }) +
                                BrushBaseRecord(2, 0, 1, {L"common_res.dll", 75}, 50, L"Copy");
  // "DS_LightFX" 1: intensity; flicker mode.
  const RecordBytes lightBytes = WriteBytes([](DS_IOF_Holder s) {
                                   WriteRecordHeader(s, RecordId{L"DS_LightFX", 1});
                                   s->WriteUInt(90);
                                   s->WriteULong(2);
                                 }) +
                                 BrushBaseRecord(2, 40, 0, {L"common_res.dll", 76}, 50, L"Light");

  std::unique_ptr<DS_ABObj_Constructor> item;
  ReadBytes(copyBytes, [&](DS_IOF_Holder s) { item.reset(ReadConstructorByClassName(s)); });
  auto* copy = dynamic_cast<DS_BackgroundCopy*>(item.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->rectangle.left.Value(), 1);
  EXPECT_EQ(copy->rectangle.right.Value(), 2);
  EXPECT_EQ(copy->rectangle.top.Value(), 3);
  EXPECT_EQ(copy->rectangle.bottom.Value(), 4);
  EXPECT_EQ(copy->rectangle.x.Value(), -5);
  EXPECT_EQ(copy->rectangle.y.Value(), 6);
  EXPECT_EQ(copy->verticalShift.Value(), 0);
  EXPECT_EQ(copy->horizontalShift.Value(), 1);
  EXPECT_EQ(copy->sceneEffect.Value(), 1);
  EXPECT_EQ(copy->ObjectName(), L"Copy");
  EXPECT_EQ(WriteBytes([&](DS_IOF_Holder s) { copy->Write(s); }), copyBytes);

  ReadBytes(lightBytes, [&](DS_IOF_Holder s) { item.reset(ReadConstructorByClassName(s)); });
  auto* light = dynamic_cast<DS_LightFX*>(item.get());
  ASSERT_NE(light, nullptr);
  EXPECT_EQ(light->intensity.Value(), 90u);
  EXPECT_FLOAT_EQ(light->intensity.scaledValue, 0.9f);
  EXPECT_EQ(light->flickerMode.Value(), 2);
  EXPECT_EQ(light->speed.Value(), 40u);
  EXPECT_EQ(light->ObjectName(), L"Light");
  EXPECT_EQ(WriteBytes([&](DS_IOF_Holder s) { light->Write(s); }), lightBytes);
}

// ---- Fire

TEST(Fire, DefaultsAsTheFireSetsThem) {
  RecordedBrush<DS_FireFX> fire;
  fire.Bind();
  // Without its pictures the fire draws nothing; with stand-ins it draws.
  fire.Draw();
  EXPECT_EQ(fire.host.draws, 0);
  fire.manager.Tables().textureSets[fire.brush.patternLink.Key()].textures = {FakeTexture::Create()};
  fire.manager.Tables().textureSets[fire.brush.noiseLink.Key()].textures = {FakeTexture::Create()};
  fire.Bind();
  ASSERT_TRUE(fire.brush.CanDraw());
  fire.Draw();
  EXPECT_EQ(fire.host.draws, 1);
  EXPECT_EQ(fire.effect->technique, "Main");
  ExpectFloats(fire.effect->Floats("ColorK1"), {1, 0, 0});
  ExpectFloats(fire.effect->Floats("ColorK2"), {0, 1, 0});
  ExpectFloats(fire.effect->Floats("Density"), {0});
  ExpectFloats(fire.effect->Floats("Brightness"), {0.3f});
  ExpectFloats(fire.effect->Floats("bg_scale_factor"), {1, 1});
  EXPECT_EQ(fire.effect->textures["Pattern"], fire.brush.PatternTexture());
  EXPECT_EQ(fire.effect->textures["Noise"], fire.brush.NoiseTexture());
  EXPECT_EQ(fire.effect->textures["Background"], fire.host.Scene());
  EXPECT_EQ(fire.brush.patternLink.Key().stamp, 93);
  EXPECT_EQ(fire.brush.noiseLink.Key().stamp, 8);
  // The scene flag does not choose a technique here, and the slide captures nothing for it;
  // the clone still carries the flag.
  fire.brush.sceneEffect.Value() = 1;
  fire.Draw();
  EXPECT_EQ(fire.effect->technique, "Main");
  std::unique_ptr<DS_ABObj> object(fire.brush.CreateObject());
  EXPECT_EQ(static_cast<DS_BrushObj*>(object.get())->Brush()->sceneEffect.Value(), 1);
  ASSERT_TRUE(static_cast<DS_BrushObj*>(object.get())->Brush()->CanDraw());
  EXPECT_FALSE(object->IsSceneEffect());
}

TEST(Fire, TilingSetsTheFarCornersU) {
  DS_FireFX fire;
  EXPECT_FLOAT_EQ(fire.GridCorners().corner[2].u, 1.0f);
  fire.tiling.SetValue(200);
  const DS_QuadCorners corners = fire.GridCorners();
  const float uv[4][2] = {{0, 0}, {0, 1}, {0.5f, 0}, {0.5f, 1}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(corners.corner[i].u, uv[i][0]) << i;
    EXPECT_FLOAT_EQ(corners.corner[i].v, uv[i][1]) << i;
  }
}

TEST(Fire, ScrollOffsetsAndTransformsAtTenSeconds) {
  RecordedBrush<DS_FireFX> fire;
  fire.Bind();
  fire.SetClock(10.0f);
  DS_SimpleMesh<DX_V::PT> mesh;
  D3DXMatrixTranslation(&mesh.world, 5, 6, 0);
  fire.brush.SetCommonParams(mesh);
  ExpectFloats(fire.effect->Floats("c11"), {0, 13}, 1e-4f);
  ExpectFloats(fire.effect->Floats("c12"), {0, 21}, 1e-4f);
  ExpectFloats(fire.effect->Floats("c13"), {0, 23}, 1e-4f);
  D3DXMATRIX wvp, vp;
  g_view2D->GetWorldViewProjection(mesh.world, wvp);
  g_view2D->GetViewProjection(vp);
  EXPECT_EQ(fire.effect->Floats("WorldViewProj"), std::vector<float>(&wvp._11, &wvp._11 + 16));
  EXPECT_EQ(fire.effect->Floats("ViewProj"), std::vector<float>(&vp._11, &vp._11 + 16));
}

TEST(Fire, RecordsOfBothVersions) {
  DS_FireFX fire;
  fire.corners.corners[3].Value() = D3DXVECTOR3(1, 2, 3);
  fire.colour1.Value() = 0x123456;
  fire.patternLink.SetKey(DS_LinkKey{L"common_res.dll", 7});
  fire.density.SetValue(120);
  fire.tiling.SetValue(200);
  fire.SetObjectName(L"Flames");
  fire.sceneEffect.Value() = 1;
  DS_FireFX read;
  ReadBytes(WriteBytes([&](DS_IOF_Holder s) { fire.WriteRecord(s); }),
            [&](DS_IOF_Holder s) { read = *DS_FireFX::ReadNewRecord(s); });
  EXPECT_EQ(read.corners.corners[3].Value(), D3DXVECTOR3(1, 2, 3));
  EXPECT_EQ(read.colour1.Value(), 0x123456u);
  EXPECT_EQ(read.patternLink.Key().stamp, 7);
  EXPECT_FLOAT_EQ(read.density.scaledValue, 0.2f);
  EXPECT_FLOAT_EQ(read.tiling.scaledValue, 2.0f);
  EXPECT_EQ(read.ObjectName(), L"Flames");
  EXPECT_EQ(read.sceneEffect.Value(), 1);

  // Version 2 laid out by its table: each field where the table puts it, and written back
  // to the same bytes.
  const RecordBytes v2 = FireRecordV2();
  std::unique_ptr<DS_FireFX> pinned;
  ReadBytes(v2, [&](DS_IOF_Holder s) { pinned = DS_FireFX::ReadNewRecord(s); });
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(pinned->corners.corners[i].Value(), D3DXVECTOR3(float(3 * i + 1), float(3 * i + 2), float(3 * i + 3)));
  EXPECT_EQ(pinned->colour1.Value(), 0x112233u);
  EXPECT_EQ(pinned->colour2.Value(), 0x445566u);
  EXPECT_EQ(pinned->storedInt1.Value(), 7);
  EXPECT_EQ(pinned->patternLink.Key(), (DS_LinkKey{L"flames.png", 93}));
  EXPECT_EQ(pinned->noiseLink.Key(), (DS_LinkKey{L"noise.png", 8}));
  EXPECT_EQ(pinned->storedInt2.Value(), 9);
  EXPECT_EQ(pinned->density.Value(), 120u);
  EXPECT_FLOAT_EQ(pinned->density.scaledValue, 0.2f);
  EXPECT_EQ(pinned->brightness.Value(), 40u);
  EXPECT_FLOAT_EQ(pinned->brightness.scaledValue, 0.8f);
  EXPECT_EQ(pinned->tiling.Value(), 200u);
  EXPECT_EQ(pinned->speed.Value(), 60u);
  EXPECT_EQ(pinned->ObjectName(), L"Flames");
  EXPECT_EQ(WriteBytes([&](DS_IOF_Holder s) { pinned->WriteRecord(s); }), v2);

  // Version 1: only the base record; every own field keeps its default.
  RecordBytes v1 = WriteBytes([](DS_IOF_Holder s) {
    s->WriteString(L"DS_FireFX");
    s->WriteInt(1);
  });
  v1 = v1 + BrushBaseRecord(2, 60, 0, DS_LinkKey{L"common_res.dll", 92}, 50, L"Old fire");
  std::unique_ptr<DS_FireFX> old;
  ReadBytes(v1, [&](DS_IOF_Holder s) { old = DS_FireFX::ReadNewRecord(s); });
  EXPECT_EQ(old->colour1.Value(), 0xFFFFu);
  EXPECT_EQ(old->colour2.Value(), 0xFFu);
  EXPECT_EQ(old->patternLink.Key().stamp, 93);
  EXPECT_FLOAT_EQ(old->brightness.scaledValue, 0.3f);
  EXPECT_FLOAT_EQ(old->tiling.scaledValue, 1.0f);
  EXPECT_EQ(old->speed.Value(), 60u);
  EXPECT_EQ(old->ObjectName(), L"Old fire");
}

}  // namespace
