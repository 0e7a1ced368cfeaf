// The water-ring light: damping from persistence, its defaults, its projection, the drop
// clock, when each parameter reaches the water, its record, and frames on a real device:
// calm water, drops with their highlights, and a render object seen through the water or
// drawn over it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "device/DefaultPool.h"
#include "lights/DS_WaterRingLight.h"
#include "objects/RootedEmitters.h"
#include "tests/lights/CountingEffect.h"
#include "tests/lights/LightTestSupport.h"
#include "tests/lights/RandomDraws.h"
#include "tests/support/RecordBytes.h"

namespace {

TEST(WaterDamping, LowerHalfCoversPointNineToPointNinetyNine) {
  const std::pair<unsigned, float> cases[] = {{0, 0.9f},    {25, 0.945f},  {49, 0.9882f},
                                              {50, 0.99f},  {75, 0.9945f}, {100, 0.999f}};
  for (auto [persistence, damping] : cases) EXPECT_FLOAT_EQ(MapWaterDamping(persistence), damping) << persistence;
}

// A picture of smooth ramps: red grows to the right, green downwards, blue constant. A
// mirrored or shifted picture shows in every pixel.
uint32_t Ramps(int x, int y, int w, int h) {
  const uint32_t r = uint32_t(40 + 160 * x / (w - 1)), g = uint32_t(40 + 160 * y / (h - 1));
  return (r << 16) | (g << 8) | 0x60u;
}

class WaterRingLightTest : public LightTest {
 protected:
  DS_LinkKey RampPicture(int w = kWidth, int h = kHeight) {
    return Picture(w, h, [w, h](int x, int y) { return Ramps(x, y, w, h); });
  }
  // Stripes four pixels wide across the ramps: a displacement of a pixel shows.
  DS_LinkKey StripedPicture() {
    return Picture(kWidth, kHeight, [](int x, int y) { return (x / 4 + y / 4) % 2 ? Ramps(x, y, kWidth, kHeight) : 0x202020u; });
  }
  // Rings strong enough to see in a small window: deep refraction, high waves, hard drops.
  static void Rough(DS_WaterRingLight& light) {
    light.refractionLevel.Assign(100);
    light.waveHeight.Assign(50);
    light.dropForce.Assign(100);
  }
  // No drops fall (rate 0) and the one drop of the grid's sizing is taken away.
  static void Calm(DS_WaterRingLight& light) {
    light.dropRate.SetValue(0);
    for (DS_WaterCell& cell : light.Grid().Cells()) cell = {0.0f, 0.0f};
  }
  static void Steps(DS_WaterRingLight& light, int n, float from = 0.0f) {
    for (int i = 0; i < n; ++i) light.Update(from + 0.03f * float(i));
  }
  // The picture drawn by the plain light, same size and mode.
  std::vector<uint32_t> PlainFrame(const DS_LinkKey& picture, int mode) {
    DS_2D_Light plain;
    plain.PictureLink().SetKey(picture);
    Start(plain, mode);
    return Frame(plain);
  }
};

TEST_F(WaterRingLightTest, DefaultsOnAn800x600Picture) {
  DS_WaterRingLight light;
  EXPECT_FLOAT_EQ(light.dropRate.scaledValue, 0.5f);
  EXPECT_FLOAT_EQ(light.specularLevel.scaledValue, 0.9f);
  EXPECT_FLOAT_EQ(light.specularPower.scaledValue, 40.0f);
  EXPECT_FALSE(light.NeedsSceneCapture());
  light.PictureLink().SetKey(Picture(800, 600, [](int, int) { return 0x336699u; }));
  light.CreateDeviceResources();
  const DS_WaterGrid& grid = light.Grid();
  EXPECT_FLOAT_EQ(grid.SizeX(), 40.0f);
  EXPECT_FLOAT_EQ(grid.SizeZ(), 30.0f);
  EXPECT_EQ(grid.Columns(), 128u);
  EXPECT_EQ(grid.Rows(), 96u);
  EXPECT_FLOAT_EQ(grid.damping, 0.99f);
  EXPECT_FLOAT_EQ(grid.dropStrength, 0.45f);
  EXPECT_FLOAT_EQ(grid.refractionDepth, 0.2f);
  EXPECT_FLOAT_EQ(grid.heightScale, 1.0f);
  D3DMATERIAL9 material{};
  device.Device()->GetMaterial(&material);
  EXPECT_FLOAT_EQ(material.Specular.r, 0.9f);
  EXPECT_FLOAT_EQ(material.Specular.a, 0.0f);
  EXPECT_FLOAT_EQ(material.Diffuse.a, 1.0f);
  EXPECT_FLOAT_EQ(material.Diffuse.r, 0.0f);
  EXPECT_FLOAT_EQ(material.Power, 40.0f);
  // The camera 120 above the water, looking down.
  EXPECT_FLOAT_EQ(light.CameraMatrix()._42, 120.0f);
  D3DXVECTOR3 ahead(0, 0, -1), down;
  D3DXVec3TransformNormal(&down, &ahead, &light.CameraMatrix());
  EXPECT_NEAR(down.y, -1.0f, 1e-6);
  // The grid starts with one drop: its velocities sum to minus the drop's strength.
  float total = 0.0f;
  for (const DS_WaterCell& cell : light.Grid().Cells()) total += cell.velocity;
  EXPECT_NEAR(total, -0.45f, 1e-5);
}

TEST_F(WaterRingLightTest, ProjectionFitsTheWaterUndistortedIntoTheTarget) {
  struct Case {
    int pictureW, pictureH, targetW, targetH;
    float halfWidth, halfHeight;
  };
  const Case cases[] = {
      {800, 600, 800, 600, 20.0f, 15.0f},      // a x d = 1: the width fills
      {600, 800, 800, 600, 20.0f, 15.0f},      // a x d = 1.78: the height fills (15)
      {800, 600, 600, 800, 20.0f, 80.0f / 3},  // landscape on a portrait target
      {600, 800, 600, 800, 11.25f, 15.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pictureW << "x" << c.pictureH << " on " << c.targetW << "x" << c.targetH);
    DS_WaterRingLight light;
    light.PictureLink().SetKey(Picture(c.pictureW, c.pictureH, [](int, int) { return 0u; }));
    light.CreateDeviceResources();
    light.Resize(c.targetW, c.targetH);
    D3DXMATRIX expected;
    D3DXMatrixOrthoOffCenterRH(&expected, -c.halfWidth, c.halfWidth, -c.halfHeight, c.halfHeight, -1.0f, 2000.0f);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(light.Projection()[i], expected[i], 1e-6) << i;
  }
  // A zero size is only stored.
  DS_WaterRingLight light;
  light.PictureLink().SetKey(Picture(800, 600, [](int, int) { return 0u; }));
  light.CreateDeviceResources();
  light.Resize(800, 600);
  const D3DXMATRIX before = light.Projection();
  light.Resize(0, 600);
  EXPECT_EQ(light.Projection(), before);
}

TEST_F(WaterRingLightTest, DropsFallStrictlyAfterTheirInterval) {
  // Each drop draws two numbers; at rate 0.5 the interval is 2 s.
  DS_WaterRingLight light;
  light.PictureLink().SetKey(RampPicture());
  Start(light);
  RandomDraws draws;
  EXPECT_EQ(draws.Of([&] { light.Update(2.0f); }), 0) << "exactly the interval is not more than it";
  EXPECT_EQ(draws.Of([&] { light.Update(2.01f); }), 2);
  EXPECT_FLOAT_EQ(light.LastDropTime(), 2.01f);
  EXPECT_EQ(draws.Of([&] { light.Update(3.0f); }), 0);
  // The clock went back: the drop time follows it, and drops resume after the interval.
  EXPECT_EQ(draws.Of([&] { light.Update(0.5f); }), 0);
  EXPECT_FLOAT_EQ(light.LastDropTime(), 0.5f);
  EXPECT_EQ(draws.Of([&] { light.Update(2.5f); }), 0);
  EXPECT_EQ(draws.Of([&] { light.Update(2.6f); }), 2);
  // Rate 0: no drop ever.
  light.dropRate.SetValue(0);
  EXPECT_EQ(draws.Of([&] { light.Update(1000.0f); }), 0);
  // The rate reaches the clock at the next update.
  light.dropRate.SetValue(600);  // ten a second
  EXPECT_EQ(draws.Of([&] { light.Update(2.65f); }), 0);
  EXPECT_EQ(draws.Of([&] { light.Update(2.8f); }), 2);
}

TEST_F(WaterRingLightTest, ParametersReachTheWaterAtTheirOwnTimes) {
  DS_WaterRingLight light;
  light.PictureLink().SetKey(RampPicture());
  Start(light);
  // Only creation passes these four on.
  light.waveHeight.Assign(50);
  light.dropForce.Assign(100);
  light.persistence.Assign(0);
  light.refractionLevel.Assign(80);
  // The densities at every acquisition; the material likewise.
  light.gridDensity.Assign(100);
  light.rowDensity.Assign(50);
  light.specularLevel.SetValue(20);
  light.specularPower.SetValue(10);
  EXPECT_EQ(light.Grid().Columns(), 128u);
  light.AcquireDeviceResources();
  EXPECT_FLOAT_EQ(light.Grid().heightScale, 1.0f);
  EXPECT_FLOAT_EQ(light.Grid().dropStrength, 0.45f);
  EXPECT_FLOAT_EQ(light.Grid().damping, 0.99f);
  EXPECT_FLOAT_EQ(light.Grid().refractionDepth, 0.2f);
  // 256 columns and trunc(256 x 0.75 x 1.5) = 288 rows are too many cells: the columns
  // narrow to 65536 / 288 = 227, made even.
  EXPECT_EQ(light.Grid().Columns(), 226u);
  EXPECT_EQ(light.Grid().Rows(), 288u);
  D3DMATERIAL9 material{};
  device.Device()->GetMaterial(&material);
  EXPECT_FLOAT_EQ(material.Specular.g, 0.2f);
  EXPECT_FLOAT_EQ(material.Power, 8.0f);
  light.CreateDeviceResources();
  EXPECT_FLOAT_EQ(light.Grid().heightScale, 2.0f);
  EXPECT_FLOAT_EQ(light.Grid().dropStrength, 0.8f);
  EXPECT_FLOAT_EQ(light.Grid().damping, 0.9f);
  EXPECT_FLOAT_EQ(light.Grid().refractionDepth, 0.8f);
}

TEST_F(WaterRingLightTest, AResetReleasesTheWaterBuffersAndTheNextAcquisitionMakesThemAgain) {
  DefaultPoolWatch watch;
  DS_WaterRingLight light;
  light.PictureLink().SetKey(RampPicture());
  Start(light);
  auto* effect = new CountingEffect;
  manager.Tables().effects[DS_LinkKey{L"common_res.dll", 76}] = ComRef<ID3DXEffect>::Adopt(effect);
  ASSERT_NE(light.Grid().VertexBuffer(), nullptr);
  const std::vector<std::string> made = watch.Survivors();
  EXPECT_EQ(std::count(made.begin(), made.end(), "water grid vertex buffer"), 1);
  EXPECT_EQ(std::count(made.begin(), made.end(), "water grid index buffer"), 1);
  light.ReleaseDeviceResources();
  EXPECT_EQ(effect->lost, 1);
  EXPECT_EQ(light.Grid().VertexBuffer(), nullptr);
  EXPECT_EQ(light.Grid().IndexBuffer(), nullptr);
  EXPECT_FALSE(light.CaptureTargets().Ready());
  EXPECT_TRUE(watch.Survivors().empty()) << "a default-pool buffer or target is still held";
  // A device with default-pool objects cannot be reset; without them it can.
  ReleaseDeviceBindings(device.Device());
  EXPECT_HRESULT_SUCCEEDED(device.Device()->Reset(&device.Params()));
  light.AcquireDeviceResources();
  EXPECT_EQ(effect->reset, 1) << "the manager's effects are restored, as the base light restores them";
  EXPECT_NE(light.Grid().VertexBuffer(), nullptr);
  EXPECT_NE(light.Grid().IndexBuffer(), nullptr);
  EXPECT_TRUE(light.CaptureTargets().Ready());
  DWORD lighting = FALSE;
  device.Device()->GetRenderState(D3DRS_LIGHTING, &lighting);
  EXPECT_EQ(lighting, DWORD(TRUE)) << "the water is lit";
}

TEST_F(WaterRingLightTest, WholeSceneOnlyForFlagOneAndOtherCapturesEndInFillMode) {
  for (int flag : {0, 1, 2, -1}) {
    SCOPED_TRACE(flag);
    DS_WaterRingLight light;
    light.PictureLink().SetKey(RampPicture());
    light.wholeScene.Assign(flag);
    Start(light, 1);
    EXPECT_EQ(light.NeedsSceneCapture(), flag == 1);
    device.Device()->BeginScene();
    light.BeginSceneCapture();
    EXPECT_EQ(g_view2D->mode, flag == 1 ? 3 : 0) << "other flags stretch while captured";
    light.EndSceneCapture(false);
    device.Device()->EndScene();
    EXPECT_EQ(g_view2D->mode, flag == 1 ? 1 : 2);
  }
}

TEST_F(WaterRingLightTest, RecordOfVersionTwoRoundTripsAndVersionOneKeepsTheDefaults) {
  DS_WaterRingLight light;
  light.wholeScene.Assign(1);
  light.waveHeight.Assign(10);
  light.rowDensity.Assign(20);
  light.gridDensity.Assign(30);
  light.dropForce.Assign(40);
  light.persistence.Assign(60);
  light.refractionLevel.Assign(70);
  light.dropRate.SetValue(120);
  light.specularLevel.SetValue(80);
  light.specularPower.SetValue(25);
  light.PictureLink().SetKey({L"pond.jpg", 3});
  DS_2D_Light base;
  base.PictureLink().SetKey({L"pond.jpg", 3});
  const RecordBytes baseRecord = WriteBytes([&](DS_IOF_Holder s) { base.WriteRecord(s); });
  const RecordBytes expected = WriteBytes([](DS_IOF_Holder s) {
                                 s->WriteString(L"DS_WaterRingLight");
                                 s->WriteInt(2);
                                 for (uint32_t v : {10u, 20u, 30u, 40u, 60u, 70u, 120u, 80u, 25u}) s->WriteUInt(v);
                                 s->WriteULong(1);
                               }) +
                               baseRecord;
  const RecordBytes bytes = WriteBytes([&](DS_IOF_Holder s) { light.Write(s); });
  EXPECT_EQ(bytes, expected);

  DS_WaterRingLight read;
  ReadBytes(bytes, [&](DS_IOF_Holder s) {
    const DS_RecordHeader head = ReadRecordHeader(s);
    EXPECT_EQ(head.className, L"DS_WaterRingLight");
    read.Read(s, head.version);
  });
  EXPECT_EQ(read.wholeScene.Value(), 1);
  EXPECT_EQ(read.waveHeight.Value(), 10u);
  EXPECT_EQ(read.rowDensity.Value(), 20u);
  EXPECT_EQ(read.gridDensity.Value(), 30u);
  EXPECT_EQ(read.dropForce.Value(), 40u);
  EXPECT_EQ(read.persistence.Value(), 60u);
  EXPECT_EQ(read.refractionLevel.Value(), 70u);
  EXPECT_FLOAT_EQ(read.dropRate.scaledValue, 2.0f) << "scaled values follow their raw values";
  EXPECT_FLOAT_EQ(read.specularLevel.scaledValue, 0.8f);
  EXPECT_FLOAT_EQ(read.specularPower.scaledValue, 20.0f);
  EXPECT_EQ(read.PictureLink().Key(), (DS_LinkKey{L"pond.jpg", 3}));

  // Version 1: the whole-scene flag and the base light only.
  const RecordBytes old = WriteBytes([](DS_IOF_Holder s) { s->WriteULong(1); }) + baseRecord;
  DS_WaterRingLight first;
  ReadBytes(old, [&](DS_IOF_Holder s) { first.Read(s, 1); });
  EXPECT_EQ(first.wholeScene.Value(), 1);
  EXPECT_EQ(first.waveHeight.Value(), 0u);
  EXPECT_EQ(first.dropForce.Value(), 50u);
  EXPECT_EQ(first.persistence.Value(), 50u);
  EXPECT_EQ(first.refractionLevel.Value(), 20u);
  EXPECT_FLOAT_EQ(first.dropRate.scaledValue, 0.5f);
  EXPECT_FLOAT_EQ(first.specularPower.scaledValue, 40.0f);
  EXPECT_EQ(first.PictureLink().Key(), (DS_LinkKey{L"pond.jpg", 3}));
}

// ---- Frames ----------------------------------------------------------------------------

struct FrameStats {
  int changed = 0;      // pixels that differ by more than the tolerance
  int brighter = 0;     // pixels brighter by more than 40 levels
  double meanDifference = 0.0;
};

FrameStats Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance, int x0 = 0,
                   int y0 = 0, int x1 = LightTest::kWidth, int y1 = LightTest::kHeight) {
  FrameStats s;
  double total = 0.0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const Rgba p = LightTest::At(a, x, y), q = LightTest::At(b, x, y);
      const int d = std::max({std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
      total += d;
      s.changed += d > tolerance;
      s.brighter += (p.r + p.g + p.b) - (q.r + q.g + q.b) > 3 * 40;
    }
  s.meanDifference = total / double((x1 - x0) * (y1 - y0));
  return s;
}

TEST_F(WaterRingLightTest, CalmWaterShowsThePictureAlmostUndistorted) {
  const DS_LinkKey picture = RampPicture();
  for (int mode : {0, 1, 2}) {
    SCOPED_TRACE(mode);
    const std::vector<uint32_t> reference = PlainFrame(picture, mode);
    DS_WaterRingLight light;
    light.PictureLink().SetKey(picture);
    Start(light, mode);
    Calm(light);
    Steps(light, 3);
    std::vector<uint32_t> px = Frame(light);
    if (mode == 0) Save("water-calm");
    // The water shrinks the picture by 1 % about its centre and refracts a little.
    const FrameStats s = Compare(px, reference, 12);
    EXPECT_LT(s.meanDifference, 4.0);
    EXPECT_LT(s.changed, kWidth * kHeight / 20);
    EXPECT_EQ(s.brighter, 0) << "calm water from above has no highlight";
  }
}

TEST_F(WaterRingLightTest, DropsDisturbThePictureAroundThemAndCatchHighlights) {
  const DS_LinkKey picture = StripedPicture();
  DS_WaterRingLight light;
  light.PictureLink().SetKey(picture);
  Rough(light);
  Start(light);
  Calm(light);
  Steps(light, 2);
  const std::vector<uint32_t> calm = Frame(light);
  // A drop at the cell under screen point (40, 30): a quarter of the way across and down.
  DS_WaterGrid& grid = light.Grid();
  for (int i = 0; i < 3; ++i) grid.AddDropAt(grid.Columns() / 4, grid.Rows() / 4);
  Steps(light, 6, 1.0f);
  const std::vector<uint32_t> rippled = Frame(light);
  Save("water-drop");
  const FrameStats around = Compare(rippled, calm, 10, 20, 10, 60, 50);
  const FrameStats away = Compare(rippled, calm, 10, 110, 70, 160, 120);
  EXPECT_GT(around.changed, 200) << "the rings around the drop move the picture";
  // Far away the water only rises or sinks a little as a whole (the mean is taken out).
  EXPECT_LT(away.changed * 20, around.changed) << "far from the drop the water is still calm: " << away.changed;
  EXPECT_GT(Compare(rippled, calm, 10).brighter, 3) << "specular highlights on the rings";
}

// A render object of the test: an opaque square of one colour, picture pixels (x, y) to
// (x + side, y + side), drawn as a sprite array (a fixed-function draw of the host).
class SquareObject : public DS_ABObj {
 public:
  SquareObject(float x, float y, float side, D3DCOLOR colour) {
    DX_V::PCT corners[4] = {{0, 0, 0, colour, 0, 0}, {side, 0, 0, colour, 1, 0}, {0, side, 0, colour, 0, 1},
                            {side, side, 0, colour, 1, 1}};
    CreateQuad(mesh_);
    if (DX_V::PCT* v = mesh_.Lock()) {
      std::copy(corners, corners + 4, v);
      mesh_.Unlock();
    }
    g_currentDevice->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                       mesh_.indexBuffer.Put(), nullptr);
    if (uint16_t* i = mesh_.LockIndices()) {
      const uint16_t list[6] = {0, 1, 2, 1, 3, 2};
      std::copy(list, list + 6, i);
      mesh_.UnlockIndices();
    }
    mesh_.primitiveType = D3DPT_TRIANGLELIST;
    mesh_.indexedPrimitiveCount = 2;
    D3DXMatrixTranslation(&mesh_.world, x, y, 0.0f);
    g_currentDevice->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture_.Put(), nullptr);
    D3DLOCKED_RECT r{};
    if (texture_ && SUCCEEDED(texture_->LockRect(0, &r, nullptr, 0))) {
      *static_cast<D3DCOLOR*>(r.pBits) = 0xFFFFFFFFu;
      texture_->UnlockRect(0);
    }
  }
  void Render(DS_ABRender& host) override { host.DrawSpriteArray(mesh_, texture_.Get(), nullptr, 0); }
  void DrawFrame(DS_ABRender&) override {}
  void Update(float) override {}
  void SyncParams() override {}

 private:
  DS_IndexedMesh<DX_V::PCT> mesh_;
  ComRef<IDirect3DTexture9> texture_;
};

TEST_F(WaterRingLightTest, WholeSceneRefractsTheSlidesObjectsOtherwiseTheyStayCrisp) {
  // The same blue square, picture (60..100, 40..80), as the test's own object and as a placed
  // sprite of the sprite emitters.
  const DS_LinkKey picture = StripedPicture(), blue = Picture(8, 8, [](int, int) { return 0x0000FFu; });
  auto makeSprite = [&] {
    DS_StatObjConstructor item;
    item.spriteImage.SetKey(blue);
    item.count.Assign(1);
    item.size.Assign(40);
    item.placement.x.Value() = 80;
    item.placement.y.Value() = 60;
    return item.CreateObject();
  };
  auto blueShare = [&](const std::vector<uint32_t>& px, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const Rgba c = At(px, x, y);
        n += c.b > 200 && c.r < 60 && c.g < 60;
      }
    return n;
  };
  for (bool sprite : {false, true}) {
    SCOPED_TRACE(sprite ? "a placed sprite" : "the test's square");
    std::vector<uint32_t> frames[2][2];  // [flag][calm, rippled]
    for (int flag : {0, 1}) {
      SCOPED_TRACE(flag);
      std::vector<DS_SharedPtr<DS_ABObj>> objects;
      objects.emplace_back(sprite ? makeSprite() : new SquareObject(60, 40, 40, 0xFF0000FFu));
      DS_WaterRingLight light;
      light.PictureLink().SetKey(picture);
      light.wholeScene.Assign(flag);
      Rough(light);
      Start(light);
      Calm(light);
      auto steps = [&](int n, float from) {
        for (int i = 0; i < n; ++i) {
          light.Update(from + 0.03f * float(i));
          objects[0]->Update(from + 0.03f * float(i));
        }
      };
      steps(2, 0.0f);
      // The first frame after an acquisition draws the captured picture unlit: the stage is
      // still off (the fader hides it on a slide); the frames compared come after it.
      Frame(light, objects);
      frames[flag][0] = Frame(light, objects);
      DS_WaterGrid& grid = light.Grid();
      for (int i = 0; i < 4; ++i) grid.AddDropAt(grid.Columns() / 2, grid.Rows() / 2);
      steps(8, 1.0f);
      frames[flag][1] = Frame(light, objects);
      if (!sprite) Save(flag ? "water-whole-scene" : "water-objects-over");
      // Calm: the square stands where it is, whether seen through the water or not.
      EXPECT_GT(blueShare(frames[flag][0], 64, 44, 96, 76), 30 * 30);
      EXPECT_EQ(blueShare(frames[flag][0], 0, 0, 50, 120), 0);
    }
    // Over the water the square is drawn crisp: the rings do not move it.
    EXPECT_EQ(Compare(frames[0][1], frames[0][0], 2, 60, 40, 100, 80).changed, 0);
    EXPECT_GT(Compare(frames[0][1], frames[0][0], 10).changed, 200) << "the picture around it ripples";
    // Through the water its edges move with the rings.
    EXPECT_GT(Compare(frames[1][1], frames[1][0], 60, 50, 30, 110, 90).changed, 100);
  }
}

}  // namespace
