// The lake light: where the lake lies for each horizon, its texture coordinates, tint and
// fade, the picture's square copy, the turning bump matrix and the record; its bump map from
// the document's mask table, or made from the program's wave picture; and on a real device
// under Xvfb the band above the horizon mirrored and tinted below it, rippling over time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "device/BumpMaps.h"
#include "device/DefaultPool.h"
#include "document/DS_DocResManager.h"
#include "document/DS_ResourceCache.h"
#include "document/ReaderRegistry.h"
#include "lights/FakeLake2D.h"
#include "runtime/DS_View2D.h"
#include "runtime/ScreenSelection.h"
#include "scene/DocumentReaders.h"
#include "tests/lights/CountingEffect.h"
#include "tests/lights/LightShots.h"
#include "tests/resources/ManagerRecord.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/TestDevice.h"

namespace {

constexpr int kSize = 256;
const GUID kIdentity{0x6B2D1C3A, 0x54E8, 0x4F0B, {0x9A, 0x61, 0x3C, 0x7E, 0x2F, 0x18, 0xD0, 0x45}};

// Red is the row, green its complement, blue the column: every pixel names where it was.
std::vector<uint8_t> RowColumnPicture(int w, int h) {
  return MakeBmp(w, h, [](int x, int y) -> uint32_t { return uint32_t(y << 16) | uint32_t((255 - y) << 8) | uint32_t(x); });
}

template <class V>
std::vector<V> Vertices(DS_SimpleMesh<V>& mesh) {
  std::vector<V> out;
  if (V* v = mesh.Lock()) {
    out.assign(v, v + mesh.vertexCount);
    mesh.Unlock();
  }
  return out;
}

// The heights of the program's wave picture (its red channel).
std::vector<uint8_t> WaveHeights(uint32_t& width, uint32_t& height) {
  std::vector<uint8_t> heights;
  ComRef<IDirect3DTexture9> wave = g_resourceCache->GetBuiltinTexture(FakeLake2D::kWavePictureId);
  D3DSURFACE_DESC desc;
  D3DLOCKED_RECT locked;
  if (!wave || FAILED(wave->GetLevelDesc(0, &desc)) || FAILED(wave->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
    return heights;
  width = desc.Width;
  height = desc.Height;
  for (UINT y = 0; y < desc.Height; ++y)
    for (UINT x = 0; x < desc.Width; ++x)
      heights.push_back(uint8_t(reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(locked.pBits) +
                                                                  y * locked.Pitch)[x] >> 16));
  wave->UnlockRect(0);
  return heights;
}

class LakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Ok());
  }
  // As a slide does after loading, then when it becomes current.
  void Prepare(FakeLake2D& lake, int w = kSize, int h = kSize) {
    link = manager.CreateImageLinkFromRecord(RecordWithBytes(RowColumnPicture(w, h), L"rows.bmp"));
    lake.PictureLink().SetKey(link->Key());
    lake.CreateDeviceResources();
    lake.Resize(1, 1);
    lake.SetPicturePosition(1);
    lake.Resize(kSize, kSize);
    lake.ResetCameraDrift();
    lake.AcquireDeviceResources();
  }
  std::vector<uint32_t> Frame(FakeLake2D& lake) {
    IDirect3DDevice9* d = device.Device();
    d->BeginScene();
    lake.RenderBackground();
    lake.RenderObjects({}, 0);
    lake.RenderOverlay();
    d->EndScene();
    SaveShotIfAsked(device, "TEVRANA_LAKE_SHOTS", shots);
    return device.ReadBack();
  }
  // A V8U8 bump map of the wave picture, stored under the lake's identity as a document
  // would carry it.
  void StoreWaveBumpMap(FakeLake2D& lake, unsigned amplitude) {
    uint32_t w = 0, h = 0;
    const std::vector<uint8_t> heights = WaveHeights(w, h);
    ASSERT_FALSE(heights.empty()) << "the program's picture 2";
    lake.normalMapAmplitude.Value() = amplitude;
    const std::vector<uint8_t> dds = lake.StoredBumpMap(heights, w, h);
    ComRef<IDirect3DTexture9> bump;
    ASSERT_EQ(LoadV8U8DdsTexture(dds.data(), dds.size(), nullptr, bump), S_OK);
    manager.Tables().guidTextures[lake.bumpIdentity] = bump;
  }

  TestDevice device{kSize, kSize};
  DS_DocResManager manager;
  ScopedScreen selected{ScreenSelection::Current().WithResources(&manager)};
  std::unique_ptr<DS_ImageFileLink> link;
  int shots = 0;
};

// ---- Layout ----

TEST_F(LakeTest, TheHorizonPlacesTheLakeAndTheBandItMirrors) {
  // A 200 x 100 picture: the lake covers its bottom fraction f and shows, upside down, the
  // band of the same height above it.
  struct Case {
    unsigned raw;
    float top, vTop, vBottom;  // lake top in picture pixels; v at the top and the bottom
  };
  const std::vector<Case> cases = {
      {0, 50.0f, 0.5f, 0.0f},         // f = 0.5: the upper half into the lower half
      {25, 62.5f, 0.625f, 0.25f},     // f = 0.375
      {120, 110.0f, 1.1f, 1.2f},      // f = -0.1: below the picture's bottom edge
      {100, 100.0f, 1.0f, 1.0f},      // f = 0: no lake
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.raw);
    FakeLake2D lake;
    lake.horizon.SetValue(c.raw);
    Prepare(lake, 200, 100);
    const std::vector<DX_V::PTT> v = Vertices(lake.ReflectionMesh());
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ(lake.ReflectionMesh().primitiveType, D3DPT_TRIANGLELIST);
    EXPECT_EQ(lake.ReflectionMesh().primitiveCount, 2u);
    // Top-left, bottom-left, bottom-right; top-left, bottom-right, top-right.
    const float xs[6] = {0, 0, 200, 0, 200, 200};
    const bool top[6] = {true, false, false, true, false, true};
    for (int i = 0; i < 6; ++i) {
      EXPECT_FLOAT_EQ(v[i].x, xs[i]);
      EXPECT_NEAR(v[i].y, top[i] ? c.top : 100.0f, 1e-3);
      EXPECT_EQ(v[i].z, 0.0f);
      EXPECT_FLOAT_EQ(v[i].u1, xs[i] / 200.0f);
      EXPECT_NEAR(v[i].v1, top[i] ? c.vTop : c.vBottom, 1e-5);
    }
    // The soft strip: the reflection offset (7 pixels) above the horizon, also without a lake.
    const std::vector<DX_V::PC> strip = Vertices(lake.TintQuad(1));
    ASSERT_EQ(strip.size(), 4u);
    EXPECT_NEAR(strip[1].y, c.top, 1e-3);
    EXPECT_NEAR(strip[0].y, c.top - 7.0f, 1e-3);
    EXPECT_FLOAT_EQ(strip[2].x, 200.0f);
    const std::vector<DX_V::PC> tint = Vertices(lake.TintQuad(0));
    EXPECT_NEAR(tint[0].y, 100.0f, 1e-3);
    EXPECT_NEAR(tint[3].y, c.top, 1e-3);
  }
}

TEST_F(LakeTest, TheBumpCoordinatesSpanTheLakeFromTheHorizon) {
  FakeLake2D lake;
  Prepare(lake);
  std::vector<DX_V::PTT> v = Vertices(lake.ReflectionMesh());
  EXPECT_FLOAT_EQ(v[2].u0, 1.0f) << "the wave tiling, 1.0 by default";
  lake.SetBackdropTexCoords(2.5f);
  v = Vertices(lake.ReflectionMesh());
  const float expected[6][2] = {{0.01f, 0.01f}, {0.01f, 2.5f}, {2.5f, 2.5f}, {0.01f, 0.01f}, {2.5f, 2.5f}, {2.5f, 0.01f}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(v[i].u0, expected[i][0]) << i;
    EXPECT_FLOAT_EQ(v[i].v0, expected[i][1]) << i;
  }
}

TEST_F(LakeTest, TheTintFadesTowardsTheHorizonInItsOwnColour) {
  auto alphas = [](std::vector<DX_V::PC> v) {
    std::vector<uint32_t> a;
    for (const auto& x : v) a.push_back(x.color >> 24);
    return a;
  };
  struct Case {
    unsigned long colour;
    unsigned fade;
    uint32_t rgb;                       // D3DCOLOR low bytes
    std::vector<uint32_t> lake, strip;  // alpha bytes of vertices 0 to 3
    unsigned opacity = 31;
  };
  const std::vector<Case> cases = {
      // 0.248 at the bottom, 0.248 x 0.42 at the horizon; the strip from 0 to the same.
      {0x408000, 58, 0x008040, {63, 26, 63, 26}, {0, 26, 0, 26}},
      {0x0000FF, 58, 0xFF0000, {63, 26, 63, 26}, {0, 26, 0, 26}},  // red in the lowest byte
      {0x0000FF, 100, 0xFF0000, {63, 0, 63, 0}, {0, 0, 0, 0}},
      {0x408000, 58, 0x008040, {0, 0, 0, 0}, {0, 0, 0, 0}, 0},  // no tint at all
  };
  // A quad whose four alphas are 0 cannot change a pixel and keeps no primitive to draw.
  auto primitives = [](const std::vector<uint32_t>& a) { return a == std::vector<uint32_t>(4, 0u) ? 0u : 2u; };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.colour << " " << std::dec << c.fade);
    FakeLake2D lake;
    lake.tintColour.Value() = c.colour;
    lake.horizonFade.SetValue(c.fade);
    lake.tintOpacity.SetValue(c.opacity);
    Prepare(lake);
    for (int q = 0; q < 2; ++q)
      for (const DX_V::PC& v : Vertices(lake.TintQuad(q))) EXPECT_EQ(v.color & 0xFFFFFFu, c.rgb);
    EXPECT_EQ(alphas(Vertices(lake.TintQuad(0))), c.lake);
    EXPECT_EQ(alphas(Vertices(lake.TintQuad(1))), c.strip);
    EXPECT_EQ(lake.TintQuad(0).primitiveCount, primitives(c.lake));
    EXPECT_EQ(lake.TintQuad(1).primitiveCount, primitives(c.strip));
  }
}

// Up to 2048 here; the device's ceiling is tested through SquareCopyPower with given sides:
// under Wine, where the largest side is 16384, a stored 6 does make an 8192 copy, but holds
// some 0.9 GiB for 6 s (measured), too much for a suite that runs eight programs at once.
TEST_F(LakeTest, TheMirroredCopyIsSquareByTheResamplePower) {
  for (auto [power, size] : std::vector<std::pair<int, UINT>>{{0, 128}, {1, 256}, {3, 1024}, {4, 2048}, {-2, 128}}) {
    SCOPED_TRACE(power);
    FakeLake2D lake;
    lake.resamplePower.Value() = power;
    Prepare(lake);
    ASSERT_TRUE(lake.ReflectionCopy());
    D3DSURFACE_DESC desc;
    lake.ReflectionCopy()->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, size);
    EXPECT_EQ(desc.Height, size);
    EXPECT_EQ(lake.GetImageWidth(), unsigned(kSize)) << "the picture keeps its size";
  }
}

TEST(LakeUpdate, TheBumpMatrixTurnsWithTheWaveClock) {
  FakeLake2D lake;
  auto expectAngle = [&](float a) {
    EXPECT_NEAR(lake.BumpMatrix()._11, 0.04f * std::cos(a), 1e-6);
    EXPECT_NEAR(lake.BumpMatrix()._12, -0.04f * std::sin(a), 1e-6);
    EXPECT_NEAR(lake.BumpMatrix()._21, 0.04f * std::sin(a), 1e-6);
    EXPECT_NEAR(lake.BumpMatrix()._22, 0.04f * std::cos(a), 1e-6);
  };
  lake.Update(0.0f);
  expectAngle(0.0f);
  lake.Update(0.1f);
  lake.Update(0.2f);  // clock 0.2 at speed 1: 4.5 x 0.2 radians
  expectAngle(0.9f);
  lake.Update(5.0f);  // a stalled frame counts 0.2 s
  expectAngle(1.8f);
  lake.waveSpeed.SetValue(25);  // half the speed
  lake.Update(5.2f);
  expectAngle(2.25f);
}

// ---- Record ----

TEST(LakeRecord, AVersionOneRecordKeepsTheDefaultsAndReadsItsIdentity) {
  const RecordBytes fields = WriteBytes([](DS_IOF_Holder s) {
    WriteGuidString(s, kIdentity);
    s->WriteString(L"ripples");
    s->WriteBool(uint8_t(0));
    DS_2D_Light base;
    base.PictureLink().SetKey(DS_LinkKey{L"lake.jpg", 4});
    base.WriteRecord(s);
  });
  FakeLake2D lake;
  ReadBytes(fields, [&](DS_IOF_Holder s) { lake.Read(s, 1); });
  EXPECT_EQ(lake.bumpIdentity, kIdentity);
  EXPECT_EQ(lake.bumpName, L"ripples");
  EXPECT_EQ(lake.bumpFlag, 0);
  EXPECT_EQ(lake.PictureLink().Key(), (DS_LinkKey{L"lake.jpg", 4}));
  EXPECT_EQ(lake.waveTiling.Value(), 100u);
  EXPECT_FLOAT_EQ(lake.waveSpeed.scaledValue, 1.0f);
  EXPECT_FLOAT_EQ(lake.horizon.scaledValue, 0.375f);
  EXPECT_FLOAT_EQ(lake.farFlattening.scaledValue, 1.0f);
  EXPECT_FLOAT_EQ(lake.tintOpacity.scaledValue, 0.248f);
  EXPECT_FLOAT_EQ(lake.horizonFade.scaledValue, 0.58f);
  EXPECT_EQ(lake.normalMapAmplitude.Value(), 25u);
  EXPECT_EQ(lake.reflectionOffset.Value(), 7u);
  EXPECT_EQ(lake.resamplePower.Value(), 1);
  EXPECT_EQ(lake.tintColour.Value(), 0x408000ul);
}

TEST(LakeRecord, AVersionTwoRecordReadsBackThroughTheRegistryWithScaledValuesFollowing) {
  RegisterDocumentReaders();
  FakeLake2D lake;
  lake.bumpIdentity = kIdentity;
  lake.waveTiling.SetValue(250);
  lake.waveSpeed.SetValue(10);
  lake.horizon.SetValue(0);
  lake.farFlattening.SetValue(40);
  lake.tintOpacity.SetValue(100);
  lake.horizonFade.SetValue(20);
  lake.normalMapAmplitude.Value() = 9;
  lake.reflectionOffset.Value() = 12;
  lake.resamplePower.Value() = 2;
  lake.tintColour.Value() = 0x0000FF;
  const RecordBytes bytes = WriteBytes([&](DS_IOF_Holder s) { lake.Write(s); });
  // The head, then the fields in their stored order.
  const RecordBytes head = WriteBytes([](DS_IOF_Holder s) {
    WriteRecordHeader(s, RecordId{L"FakeLake2D", 2});
    for (uint32_t raw : {250u, 10u, 0u, 40u, 100u, 20u, 9u, 12u}) s->WriteUInt(raw);
    s->WriteULong(2ul);
    s->WriteInt(0x0000FF);
  });
  ASSERT_GT(bytes.size(), head.size());
  EXPECT_EQ(RecordBytes(bytes.begin(), bytes.begin() + ptrdiff_t(head.size())), head);

  std::unique_ptr<DS_2D_Light> read;
  ReadBytes(bytes, [&](DS_IOF_Holder s) { read.reset(ReadLightByClassName(s)); });
  auto* copy = dynamic_cast<FakeLake2D*>(read.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->bumpIdentity, kIdentity);
  EXPECT_FLOAT_EQ(copy->waveTiling.scaledValue, 2.5f);
  EXPECT_FLOAT_EQ(copy->waveSpeed.scaledValue, 0.2f);
  EXPECT_FLOAT_EQ(copy->horizon.scaledValue, 0.5f);
  EXPECT_FLOAT_EQ(copy->farFlattening.scaledValue, 0.4f);
  EXPECT_FLOAT_EQ(copy->tintOpacity.scaledValue, 0.8f);
  EXPECT_FLOAT_EQ(copy->horizonFade.scaledValue, 0.2f);
  EXPECT_EQ(copy->normalMapAmplitude.Value(), 9u);
  EXPECT_EQ(copy->reflectionOffset.Value(), 12u);
  EXPECT_EQ(copy->resamplePower.Value(), 2);
  EXPECT_EQ(copy->tintColour.Value(), 0x0000FFul);
  EXPECT_NE(FakeLake2D().bumpIdentity, FakeLake2D().bumpIdentity) << "each new lake draws its own identity";
}

// ---- The bump map ----

TEST_F(LakeTest, TheFirstCreationTakesTheBumpMapFromTheMaskTableOrNone) {
  // None stored: no bump map, and the table now holds an empty entry for the identity.
  FakeLake2D plain;
  Prepare(plain);
  EXPECT_FALSE(plain.BumpTexture());
  EXPECT_EQ(manager.Tables().guidTextures.count(plain.bumpIdentity), 1u);
  EXPECT_EQ(plain.RegenerateFlag(), 0);

  // A V8U8 bump map stored in the document's mask table, read as the document is read.
  FakeLake2D lake;
  lake.bumpIdentity = kIdentity;
  uint32_t w = 0, h = 0;
  const std::vector<uint8_t> heights = WaveHeights(w, h);
  ASSERT_EQ(w, 256u);
  ManagerRecord record;
  record.masks.push_back({kIdentity, lake.StoredBumpMap(heights, w, h)});
  DS_DocResManager document;
  {
    const std::vector<uint8_t> fields = record.Fields(3);
    ReadBytesLeavingRest(fields, [&](DS_IOF_Holder s) { document.ReadFields(s, 3); });
  }
  ComRef<IDirect3DTexture9> stored = document.Tables().guidTextures[kIdentity];
  ASSERT_TRUE(stored) << "our own reader loads the V8U8 DDS";
  ScopedScreen selected(ScreenSelection::Current().WithResources(&document));
  lake.CreateDeviceResources();
  EXPECT_EQ(lake.BumpTexture().Get(), stored.Get());
  D3DSURFACE_DESC desc;
  lake.BumpTexture()->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_V8U8);
  EXPECT_EQ(desc.Width, 256u);
  // A later creation makes the map from the wave picture, then takes the table's again.
  lake.CreateDeviceResources();
  EXPECT_EQ(lake.BumpTexture().Get(), stored.Get());
}

TEST_F(LakeTest, TheBumpMapMadeOnTheDeviceIsTheOneAStoredMapHolds) {
  FakeLake2D lake;
  lake.normalMapAmplitude.Value() = 12;
  lake.farFlattening.SetValue(60);
  lake.BuildBumpMap();
  EXPECT_FALSE(lake.BumpTexture()) << "the regenerate flag is 1 until the first creation";
  lake.RegenerateFlag() = 0;
  DefaultPoolWatch watch;
  lake.BuildBumpMap();
  ASSERT_TRUE(lake.BumpTexture());
  EXPECT_EQ(watch.MadeCount(), 1u) << "the wave picture is drawn into a render target";
  EXPECT_TRUE(watch.Survivors().empty()) << "the render target outlives the bump map";
  D3DSURFACE_DESC desc;
  lake.BumpTexture()->GetLevelDesc(0, &desc);
  ASSERT_EQ(desc.Format, D3DFMT_V8U8);
  ASSERT_EQ(desc.Width, 256u);

  uint32_t w = 0, h = 0;
  const std::vector<uint8_t> heights = WaveHeights(w, h);
  const std::vector<uint8_t> dds = lake.StoredBumpMap(heights, w, h);
  V8U8Image stored;
  ASSERT_TRUE(ParseV8U8Dds(dds.data(), dds.size(), stored));
  D3DLOCKED_RECT locked;
  ASSERT_EQ(lake.BumpTexture()->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  int close = 0, largest = 0;
  long topSlope = 0, bottomSlope = 0;
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < 2 * w; ++x) {
      const int made = int8_t(static_cast<uint8_t*>(locked.pBits)[y * locked.Pitch + x]);
      const int kept = int8_t(stored.levels[0][size_t(y) * 2 * w + x]);
      const int diff = std::abs(made - kept);
      close += diff <= 3;
      largest = std::max(largest, diff);
      if (y < 16) topSlope += std::abs(made);
      if (y >= h - 16) bottomSlope += std::abs(made);
    }
  lake.BumpTexture()->UnlockRect(0);
  EXPECT_GE(close, int(0.98 * 2 * w * h)) << "largest difference " << largest;
  EXPECT_LE(largest, 12);
  EXPECT_LT(topSlope, 0.7 * bottomSlope) << "flatter towards the horizon";
}

// ---- On a real device ----

TEST_F(LakeTest, WithoutABumpMapTheBandAboveTheHorizonIsMirroredAndTintedBelowIt) {
  FakeLake2D lake;
  Prepare(lake);
  lake.Update(0.0f);
  const std::vector<uint32_t> px = Frame(lake);
  // The horizon at 160: above it (and above the soft strip) the picture itself.
  for (int y : {10, 100, 150}) {
    const Rgba c = TestDevice::At(px, kSize, 77, y);
    EXPECT_TRUE(Near(c, Rgba{y, 255 - y, 77, 0}, 2)) << y << ": " << c.r << " " << c.g << " " << c.b;
  }
  // Below it row y shows row 320 - y, blended with the tint (0, 128, 64) by an alpha that
  // rises from 26/255 at the horizon to 63/255 at the bottom.
  for (int y : {165, 200, 240, 254}) {
    const float t = (float(y) + 0.5f - 160.0f) / 96.0f;
    const float alpha = (26.0f + (63.0f - 26.0f) * t) / 255.0f;
    const float source = 320.0f - float(y) - 0.5f;
    const float r = source * (1 - alpha), g = (255.0f - source) * (1 - alpha) + 128.0f * alpha,
                b = 77.0f * (1 - alpha) + 64.0f * alpha;
    const Rgba c = TestDevice::At(px, kSize, 77, y);
    EXPECT_NEAR(c.r, r, 4.0) << y;
    EXPECT_NEAR(c.g, g, 4.0) << y;
    EXPECT_NEAR(c.b, b, 4.0) << y;
  }
}

TEST_F(LakeTest, WithABumpMapTheBandRipplesAndChangesOverTime) {
  FakeLake2D still;
  Prepare(still);
  still.Update(0.0f);
  const std::vector<uint32_t> calm = Frame(still);

  FakeLake2D lake;
  StoreWaveBumpMap(lake, 25);
  Prepare(lake);
  ASSERT_TRUE(lake.BumpTexture());
  lake.Update(0.0f);
  const std::vector<uint32_t> first = Frame(lake);
  for (float t : {0.1f, 0.2f, 0.3f}) lake.Update(t);  // a third of a turn later
  const std::vector<uint32_t> later = Frame(lake);

  auto differing = [&](const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = 0; x < kSize; ++x) {
        const Rgba p = TestDevice::At(a, kSize, x, y), q = TestDevice::At(b, kSize, x, y);
        n += !Near(p, q, 3);
      }
    return n;
  };
  const int lakePixels = (kSize - 160) * kSize;
  EXPECT_GT(differing(calm, first, 160, kSize), lakePixels / 4) << "the ripples move the mirrored band";
  EXPECT_GT(differing(first, later, 160, kSize), lakePixels / 4) << "and keep moving";
  EXPECT_EQ(differing(first, later, 0, 150), 0) << "above the horizon nothing moves";
}

TEST_F(LakeTest, AfterADeviceResetTheLakeAndTheDocumentsEffectsComeBack) {
  FakeLake2D lake;
  StoreWaveBumpMap(lake, 25);
  Prepare(lake);
  auto* effect = new CountingEffect;
  manager.Tables().effects[DS_LinkKey{L"common_res.dll", 77}] = ComRef<ID3DXEffect>::Adopt(effect);
  lake.Update(0.0f);
  const std::vector<uint32_t> before = Frame(lake);
  lake.ReleaseDeviceResources();
  EXPECT_EQ(effect->lost, 1);
  ReleaseDeviceBindings(device.Device());
  ASSERT_EQ(device.Device()->Reset(&device.Params()), D3D_OK);
  lake.AcquireDeviceResources();
  EXPECT_EQ(effect->reset, 1) << "the lake restores the effects, as the base light does";
  EXPECT_TRUE(lake.CaptureTargets().current);
  EXPECT_EQ(Frame(lake), before);
}

}  // namespace
