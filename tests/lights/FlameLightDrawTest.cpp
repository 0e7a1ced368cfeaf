// The flame light on a real device under Xvfb, with the built module's effects 63 and 92
// and pictures 7, 8 and 62: the fire changes only the area of its quad, the haze moves the
// finished frame by a few pixels and keeps its colours, without both it equals the plain
// light, and everything draws again after a real device reset.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "document/DS_DocResManager.h"
#include "brushes/SimpleBrushes.h"
#include "lights/DS_FlameLight.h"
#include "runtime/DS_View2D.h"
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
    manager.MakeCurrent();
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

TEST_F(FlameLightDrawTest, ABrushMaskedAboveTheFireLeavesTheFireAlone) {
  // As the shipped scene: waves painted over the upper part, the fire along the bottom.
  for (int haze : {0, 1}) {
    SCOPED_TRACE(haze);
    DS_FlameLight flame;
    flame.distortionFlag.Assign(haze);
    flame.distortion.strength.SetValue(0);
    flame.fireOffset.Assign(75);
    Prepare(flame);
    std::vector<uint32_t> fireOnly = Frame(flame, 1.0f);
    DS_WavesFX waves;
    ComRef<IDirect3DTexture9> mask;
    ASSERT_EQ(D3DXCreateTexture(device.Device(), 512, 512, 1, 0, D3DFMT_A8, D3DPOOL_MANAGED, mask.Put()), D3D_OK);
    D3DLOCKED_RECT r;
    ASSERT_EQ(mask->LockRect(0, &r, nullptr, 0), D3D_OK);
    for (int y = 0; y < 512; ++y)
      for (int x = 0; x < 512; ++x) static_cast<uint8_t*>(r.pBits)[y * r.Pitch + x] = y < 256 ? 255 : 0;
    mask->UnlockRect(0);
    manager.Tables().guidTextures[waves.guid] = mask;
    DS_SharedPtr<DS_ABObj> object(waves.CreateObject());
    object->Update(1.0f);
    flame.Update(1.0f);
    IDirect3DDevice9* d = device.Device();
    d->BeginScene();
    const int n = (flame.NeedsSceneCapture() ? 1 : 0);
    if (n) flame.BeginSceneCapture();
    flame.RenderBackground();
    flame.RenderObjects({object}, n);
    flame.RenderOverlay();
    d->EndScene();
    std::vector<uint32_t> both = device.ReadBack();
    SaveIfAsked(device, haze ? "flame-waves-haze" : "flame-waves");
    EXPECT_LT(ChangedInRows(fireOnly, both, kH * 3 / 4, kH), kW / 4) << "the waves covered the fire";
  }
}

}  // namespace
