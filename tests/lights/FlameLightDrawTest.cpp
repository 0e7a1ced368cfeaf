// The flame light on a real device under Xvfb, with the built module's effects 63 and 92
// and pictures 7, 8 and 62: the fire changes only the area of its quad, the haze moves the
// finished frame by a few pixels and keeps its colours, without both it equals the plain
// light, and everything draws again after a real device reset.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "brushes/SimpleBrushes.h"
#include "device/DefaultPool.h"
#include "device/Meshes.h"
#include "document/DS_DocResManager.h"
#include "lights/DS_FlameLight.h"
#include "runtime/DS_View2D.h"
#include "runtime/Quads.h"
#include "runtime/ScreenSelection.h"
#include "tests/brushes/BrushTestDoubles.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/TestDevice.h"

namespace {

constexpr int kW = 160, kH = 120;

// A picture with detail everywhere (so a displacement shows): diagonal stripes over a
// dusk gradient.
std::vector<uint8_t> StripedPicture() {
  return MakeBmp(kW, kH, [](int x, int y) -> uint32_t {
    const uint32_t base = uint32_t(40 + y) << 16 | uint32_t(60 + y / 2) << 8 | uint32_t(120 - y / 2);
    return ((x + y) / 6) % 2 ? base : base + 0x303030;
  });
}

void SaveIfAsked(TestDevice& device, const char* name) {
  if (const char* dir = std::getenv("TEVRANA_SHOT_DIR")) {
    std::string path = std::string(dir) + "/" + name + ".png";
    device.SavePng(std::wstring(path.begin(), path.end()).c_str());
  }
}

class FlameLightDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Ok());
    selected.emplace(ScreenSelection::Current().WithResources(&manager));
    link = manager.CreateImageLinkFromRecord(RecordWithBytes(StripedPicture(), L"stripes.bmp"));
  }
  // As a slide does after loading, then when it becomes current (stretch: the picture
  // fills the target, one picture pixel per screen pixel).
  void Prepare(DS_2D_Light& light) {
    light.PictureLink().SetKey(link->Key());
    light.CreateDeviceResources();
    light.Resize(1, 1);
    light.SetPicturePosition(0);
    light.Resize(kW, kH);
    light.AcquireDeviceResources();
  }
  // One frame as the slide draws it (no objects).
  std::vector<uint32_t> Frame(DS_2D_Light& light, float t) {
    light.Update(t);
    IDirect3DDevice9* d = device.Device();
    d->BeginScene();
    if (light.NeedsSceneCapture()) light.BeginSceneCapture();
    light.RenderBackground();
    light.RenderObjects({}, light.NeedsSceneCapture() ? 1 : 0);
    light.RenderOverlay();
    d->EndScene();
    return device.ReadBack();
  }

  TestDevice device{kW, kH};
  DS_DocResManager manager;
  std::optional<ScopedScreen> selected;
  std::unique_ptr<DS_ImageFileLink> link;
};

int ChangedInRows(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int from, int to) {
  int n = 0;
  for (int y = from; y < to; ++y)
    for (int x = 0; x < kW; ++x) n += !Near(TestDevice::At(a, kW, x, y), TestDevice::At(b, kW, x, y), 6);
  return n;
}

TEST_F(FlameLightDrawTest, WithFireAndHazeOffItEqualsThePlainLight) {
  DS_2D_Light plain;
  Prepare(plain);
  std::vector<uint32_t> expected = Frame(plain, 0.5f);
  DS_FlameLight flame;
  flame.fireVisible.Assign(0);
  flame.distortionFlag.Assign(0);
  Prepare(flame);
  std::vector<uint32_t> got = Frame(flame, 0.5f);
  EXPECT_EQ(ChangedInRows(expected, got, 0, kH), 0);
}

TEST_F(FlameLightDrawTest, TheFireRisesOnlyInItsQuadAndFlickers) {
  DS_FlameLight plainFlame;
  plainFlame.fireVisible.Assign(0);
  plainFlame.distortionFlag.Assign(0);
  Prepare(plainFlame);
  std::vector<uint32_t> picture = Frame(plainFlame, 1.0f);

  DS_FlameLight flame;
  flame.distortionFlag.Assign(0);
  flame.fireOffset.Assign(75);
  Prepare(flame);
  ASSERT_TRUE(flame.fire.CanDraw()) << "effect 92 or pictures 7 and 8 missing from the module";
  std::vector<uint32_t> first = Frame(flame, 1.0f);
  SaveIfAsked(device, "flame-fire-1");
  std::vector<uint32_t> second = Frame(flame, 1.7f);
  SaveIfAsked(device, "flame-fire-2");
  // At offset 75 the quad's top edge lies at 0.725 of the picture's height.
  const int top = int(std::ceil(0.725 * kH));
  EXPECT_EQ(ChangedInRows(picture, first, 0, top), 0) << "the fire drew above its quad";
  EXPECT_GT(ChangedInRows(picture, first, top, kH), kW * (kH - top) / 4) << "little fire in its quad";
  EXPECT_GT(ChangedInRows(first, second, top, kH), kW * 2) << "the fire stood still";
  // Added over the picture: never darker, and warm (at least as red as blue) where it burns.
  int darker = 0, warm = 0, lit = 0;
  for (int y = top; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const Rgba p = TestDevice::At(picture, kW, x, y), f = TestDevice::At(first, kW, x, y);
      if (f.r + f.g + f.b + 6 < p.r + p.g + p.b) ++darker;
      if (f.r > p.r + 20) {
        ++lit;
        warm += f.r >= f.b;
      }
    }
  EXPECT_EQ(darker, 0);
  EXPECT_EQ(warm, lit);
}

// The sum of r + g + b over rows [from, to).
long Brightness(const std::vector<uint32_t>& px, int from, int to) {
  long sum = 0;
  for (int y = from; y < to; ++y)
    for (int x = 0; x < kW; ++x) {
      const Rgba p = TestDevice::At(px, kW, x, y);
      sum += p.r + p.g + p.b;
    }
  return sum;
}

// A wave brush masked over the upper half, as the shipped scene paints the lake above the
// fire.
DS_SharedPtr<DS_ABObj> UpperHalfWaves(TestDevice& device, DS_DocResManager& manager, int sceneFlag) {
  DS_WavesFX waves;
  waves.amplitude.SetValue(60);
  waves.sceneEffect.Value() = sceneFlag;
  ComRef<IDirect3DTexture9> mask;
  if (FAILED(D3DXCreateTexture(device.Device(), 512, 512, 1, 0, D3DFMT_A8, D3DPOOL_MANAGED, mask.Put()))) return {};
  D3DLOCKED_RECT r;
  if (FAILED(mask->LockRect(0, &r, nullptr, 0))) return {};
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x) static_cast<uint8_t*>(r.pBits)[y * r.Pitch + x] = y < 256 ? 255 : 0;
  mask->UnlockRect(0);
  manager.Tables().guidTextures[waves.guid] = mask;
  return DS_SharedPtr<DS_ABObj>(waves.CreateObject());
}

// Frames as the program draws them, one after another on the same device: the capture when
// the light or an object samples the scene, the picture and the fire, the objects, the
// overlay with the haze, then the slide show's fader (fully transparent here).
class SlideFrames {
 public:
  SlideFrames(TestDevice& device, DS_2D_Light& light) : device_(device), light_(light) {
    CreateQuadSC(fader_);
    DS_QuadCorners corners;
    FitQuadToBackBuffer(corners);
    FillQuadSC(fader_, 0, corners);
    SetQuadAlphaSC(fader_, 0, 0, 0, 0);
  }
  std::vector<uint32_t> Draw(const std::vector<DS_SharedPtr<DS_ABObj>>& objects, float t, const char* shot = nullptr) {
    light_.Update(t);
    int n = light_.NeedsSceneCapture() ? 1 : 0;
    for (auto& o : objects) {
      o->Update(t);
      n += o->IsSceneEffect() ? 1 : 0;
    }
    IDirect3DDevice9* d = device_.Device();
    d->BeginScene();
    if (n > 0) light_.BeginSceneCapture();
    light_.RenderBackground();
    light_.RenderObjects(objects, n);
    light_.RenderOverlay();
    light_.DrawScreenQuad(fader_);
    d->EndScene();
    std::vector<uint32_t> px = device_.ReadBack();
    if (shot) SaveIfAsked(device_, shot);
    d->Present(nullptr, nullptr, nullptr, nullptr);
    return px;
  }

 private:
  TestDevice& device_;
  DS_2D_Light& light_;
  DS_SimpleMesh<DX_V::SC> fader_;
};

TEST_F(FlameLightDrawTest, ABrushMaskedAboveTheFireLeavesTheFireAlone) {
  // Waves over the upper half, the fire along the bottom: whatever the haze and the brush's
  // scene flag, the fire is the same as without the brush, frame after frame.
  for (int haze : {0, 1}) {
    for (int sceneFlag : {0, 1}) {
      SCOPED_TRACE(testing::Message() << "haze " << haze << ", scene flag " << sceneFlag);
      DS_FlameLight flame;
      flame.distortionFlag.Assign(haze);
      flame.fireOffset.Assign(75);
      Prepare(flame);
      SlideFrames frames(device, flame);
      DS_SharedPtr<DS_ABObj> waves = UpperHalfWaves(device, manager, sceneFlag);
      ASSERT_TRUE(waves);
      flame.fireVisible.Value() = 0;
      const std::vector<uint32_t> noFire = frames.Draw({}, 1.0f);
      flame.fireVisible.Value() = 1;
      for (float t : {1.0f, 1.3f, 1.6f}) {
        std::vector<uint32_t> fireOnly = frames.Draw({}, t);
        const std::string shot = std::string("flame-waves-") + (haze ? "haze-" : "") + std::to_string(sceneFlag);
        std::vector<uint32_t> both = frames.Draw({waves}, t, shot.c_str());
        // A capture drawn back resamples the frame by half a texel, so the fire is measured
        // by the light it adds to the bottom rows of the picture.
        const long fire = Brightness(fireOnly, kH * 3 / 4, kH) - Brightness(noFire, kH * 3 / 4, kH);
        ASSERT_GT(fire, long(kW) * (kH / 4) * 20);
        EXPECT_GT(Brightness(both, kH * 3 / 4, kH) - Brightness(noFire, kH * 3 / 4, kH), fire * 9 / 10)
            << "the waves covered the fire at " << t;
        EXPECT_GT(ChangedInRows(fireOnly, both, 0, kH / 2 - 4), kW) << "no waves at " << t;
      }
    }
  }
}

// The largest channel distance from a pixel of a to the colour range of the pixels of b
// within rx x ry of it: 0 when the pixel could have come from there.
int DistanceToNeighbourhood(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int x, int y, int rx, int ry) {
  const Rgba p = TestDevice::At(a, kW, x, y);
  int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
  for (int j = std::max(0, y - ry); j <= std::min(kH - 1, y + ry); ++j)
    for (int i = std::max(0, x - rx); i <= std::min(kW - 1, x + rx); ++i) {
      const Rgba q = TestDevice::At(b, kW, i, j);
      const int c[3] = {q.r, q.g, q.b};
      for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], c[k]), hi[k] = std::max(hi[k], c[k]);
    }
  const int v[3] = {p.r, p.g, p.b};
  int worst = 0;
  for (int k = 0; k < 3; ++k) worst = std::max({worst, lo[k] - v[k], v[k] - hi[k]});
  return worst;
}

TEST_F(FlameLightDrawTest, TheHazeMovesTheFrameByAtMostItsStrengthAndKeepsItsColours) {
  DS_FlameLight plain;
  plain.fireVisible.Assign(0);
  plain.distortionFlag.Assign(0);
  Prepare(plain);
  const std::vector<uint32_t> picture = Frame(plain, 2.0f);

  // Strength raw 400: at most 400 x 0.002 x 0.05 = 0.04 of the picture each way, 6.4 pixels
  // across and 4.8 down here.
  DS_FlameLight haze;
  haze.fireVisible.Assign(0);
  haze.distortion.strength.SetValue(400);
  Prepare(haze);
  ASSERT_TRUE(haze.distortion.Effect()) << "effect 63 missing from the module";
  ASSERT_TRUE(haze.NeedsSceneCapture());
  const std::vector<uint32_t> first = Frame(haze, 2.0f);
  SaveIfAsked(device, "flame-haze-1");
  const std::vector<uint32_t> second = Frame(haze, 6.0f);
  SaveIfAsked(device, "flame-haze-2");

  for (const auto* frame : {&first, &second}) {
    // Moved: many pixels differ from the picture.
    EXPECT_GT(ChangedInRows(picture, *frame, 0, kH), kW * kH / 10);
    // But no further than the strength allows (away from the mirrored edges).
    int beyond = 0, pastOnePixel = 0;
    long sum[2][3] = {};
    for (int y = 6; y < kH - 6; ++y)
      for (int x = 8; x < kW - 8; ++x) {
        beyond += DistanceToNeighbourhood(*frame, picture, x, y, 7, 5) > 6;
        pastOnePixel += DistanceToNeighbourhood(*frame, picture, x, y, 1, 1) > 6;
        const Rgba a = TestDevice::At(*frame, kW, x, y), b = TestDevice::At(picture, kW, x, y);
        sum[0][0] += a.r, sum[0][1] += a.g, sum[0][2] += a.b;
        sum[1][0] += b.r, sum[1][1] += b.g, sum[1][2] += b.b;
      }
    EXPECT_EQ(beyond, 0);
    EXPECT_GT(pastOnePixel, 0) << "moved by a pixel at most: the haze is too weak to tell";
    const long n = long(kW - 16) * (kH - 12);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(double(sum[0][k]) / n, double(sum[1][k]) / n, 3.0) << "channel " << k;
  }
  // The shimmer moves.
  EXPECT_GT(ChangedInRows(first, second, 0, kH), kW * kH / 20);

  // At strength 0 the haze pass shows the captured frame unmoved (but for the half texel by
  // which a capture drawn back is resampled).
  DS_FlameLight still;
  still.fireVisible.Assign(0);
  still.distortion.strength.SetValue(0);
  Prepare(still);
  const std::vector<uint32_t> unmoved = Frame(still, 2.0f);
  int moved = 0;
  for (int y = 1; y < kH - 1; ++y)
    for (int x = 1; x < kW - 1; ++x) moved += DistanceToNeighbourhood(unmoved, picture, x, y, 1, 1) > 6;
  EXPECT_EQ(moved, 0);
}

TEST_F(FlameLightDrawTest, AMissingEffectOrPictureDropsOnlyItsPart) {
  DS_FlameLight reference;
  reference.fireVisible.Assign(0);
  reference.distortionFlag.Assign(0);
  Prepare(reference);
  const std::vector<uint32_t> picture = Frame(reference, 1.0f);
  struct Case {
    const char* name;
    int64_t missing;  // the module id the manager finds nothing for
    bool picture;     // a picture rather than an effect
    bool fire, haze;  // what still draws
  } cases[] = {{"effect 63", 63, false, true, false},
               {"effect 92", 92, false, false, true},
               {"picture 7", 7, true, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DS_DocResManager lacking;
    ScopedScreen selectLacking(ScreenSelection::Current().WithResources(&lacking));
    // What a module that lacks the resource leaves in the manager: an effect's file entry
    // without bytes, a picture's set holding no texture.
    const DS_LinkKey key{L"common_res.dll", c.missing};
    if (c.picture)
      lacking.Tables().textureSets[key].textures = {nullptr};
    else
      lacking.Tables().loadedFiles[key].emplace_back(int32_t(c.missing), L"common_res.dll");
    std::unique_ptr<DS_ImageFileLink> stripes =
        lacking.CreateImageLinkFromRecord(RecordWithBytes(StripedPicture(), L"stripes.bmp"));
    DS_FlameLight flame;
    flame.fireOffset.Assign(75);
    flame.PictureLink().SetKey(stripes->Key());
    flame.CreateDeviceResources();
    flame.Resize(1, 1);
    flame.SetPicturePosition(0);
    flame.Resize(kW, kH);
    flame.AcquireDeviceResources();
    EXPECT_EQ(flame.NeedsSceneCapture(), c.haze);
    EXPECT_EQ(flame.distortionFlag.Value(), c.haze ? 1 : 0);
    EXPECT_EQ(flame.fire.CanDraw(), c.fire);
    const std::vector<uint32_t> px = Frame(flame, 1.0f);
    const int top = int(std::ceil(0.725 * kH));
    if (c.fire) EXPECT_GT(ChangedInRows(picture, px, top, kH), kW * 4);
    if (!c.fire && !c.haze) EXPECT_EQ(ChangedInRows(picture, px, 0, kH), 0);
    if (!c.fire) EXPECT_LT(ChangedInRows(picture, px, top, kH), ChangedInRows(picture, px, 0, top) + kW);
  }
}

TEST_F(FlameLightDrawTest, AfterARealDeviceResetEverythingDrawsAgain) {
  DS_FlameLight flame;
  flame.fireOffset.Assign(75);
  Prepare(flame);
  SlideFrames frames(device, flame);
  DS_SharedPtr<DS_ABObj> waves = UpperHalfWaves(device, manager, 1);
  ASSERT_TRUE(waves);
  // A stand-in among the manager's effects tells whether they were restored.
  ComRef<RecordingEffect> watcher = RecordingEffect::Create();
  manager.Tables().effects[DS_LinkKey{L"watcher.fxo", 1}] = ComRef<ID3DXEffect>::Share(watcher.Get());
  const std::vector<uint32_t> before = frames.Draw({waves}, 2.0f);

  flame.ReleaseDeviceResources();
  EXPECT_EQ(watcher->lostDevice, 1);
  EXPECT_FALSE(flame.CaptureTargets().current);
  ReleaseDeviceBindings(device.Device());
  ASSERT_EQ(device.Device()->Reset(&device.Params()), D3D_OK);
  flame.AcquireDeviceResources();
  EXPECT_EQ(watcher->resetDevice, 1) << "the flame light left the manager's effects lost";
  ASSERT_TRUE(flame.CaptureTargets().current);
  const std::vector<uint32_t> after = frames.Draw({waves}, 2.0f, "flame-after-reset");
  EXPECT_EQ(ChangedInRows(before, after, 0, kH), 0);
  manager.Tables().effects.erase(DS_LinkKey{L"watcher.fxo", 1});
}

}  // namespace
