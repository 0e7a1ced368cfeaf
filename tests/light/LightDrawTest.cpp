// The plain picture light on a real device under Xvfb: the picture stretched, fitted with
// bars and filled; the camera's drift between two frames; and render objects that sample
// the scene drawn before them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "device/DefaultPool.h"
#include "document/DS_DocResManager.h"
#include "runtime/DS_2D_Light.h"
#include "runtime/DS_View2D.h"
#include "runtime/ScreenSelection.h"
#include "runtime/Random.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/TestDevice.h"

namespace {

constexpr int kSize = 128;
const Rgba kRed{255, 0, 0, 0}, kGreen{0, 255, 0, 0}, kBlue{0, 0, 255, 0}, kWhite{255, 255, 255, 0},
    kMagenta{255, 0, 255, 0}, kBlack{0, 0, 0, 0}, kCyan{0, 255, 255, 0};

// 64 x 32 (twice as wide as tall): red, green, blue and white quadrants, with a magenta
// stripe along the left edge (8 pixels), which fill mode crops away.
std::vector<uint8_t> QuadrantPicture() {
  return MakeBmp(64, 32, [](int x, int y) -> uint32_t {
    if (x < 8) return 0xFF00FF;
    if (y < 16) return x < 32 ? 0xFF0000 : 0x00FF00;
    return x < 32 ? 0x0000FF : 0xFFFFFF;
  });
}

class LightDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Ok());
    selected.emplace(ScreenSelection::Current().WithResources(&manager));
    link = manager.CreateImageLinkFromRecord(RecordWithBytes(QuadrantPicture(), L"quadrants.bmp"));
    light.PictureLink().SetKey(link->Key());
    // As a slide does after loading, then when it becomes current.
    light.CreateDeviceResources();
    light.Resize(1, 1);
  }
  void Activate(int mode) {
    light.SetPicturePosition(mode);
    light.Resize(kSize, kSize);
    light.ResetCameraDrift();
    light.AcquireDeviceResources();
  }
  std::vector<uint32_t> Frame(const std::vector<DS_SharedPtr<DS_ABObj>>& objects = {}, int n = 0) {
    IDirect3DDevice9* d = device.Device();
    d->BeginScene();
    if (n > 0) light.BeginSceneCapture();
    light.RenderBackground();
    light.RenderObjects(objects, n);
    light.RenderOverlay();
    d->EndScene();
    return device.ReadBack();
  }
  Rgba At(const std::vector<uint32_t>& px, int x, int y) { return TestDevice::At(px, kSize, x, y); }

  TestDevice device{kSize, kSize};
  DS_DocResManager manager;
  std::optional<ScopedScreen> selected;
  std::unique_ptr<DS_ImageFileLink> link;
  DS_2D_Light light;
};

struct Probe {
  int x, y;
};

TEST_F(LightDrawTest, PicturePositionModesPlaceThePicture) {
  struct Case {
    const char* name;
    int mode;
    std::vector<Probe> probes;
  };
  const std::vector<Case> cases = {
      // The whole target, both axes stretched independently: the stripe shows.
      {"stretch", 0, {{4, 20}, {40, 20}, {100, 20}, {40, 100}, {100, 100}}},
      // Full width, half the height, bars above and below.
      {"fit", 1, {{4, 64}, {40, 40}, {100, 40}, {40, 88}, {100, 88}, {64, 10}, {64, 118}}},
      // Enlarged evenly until the bars are gone; the stripe falls outside.
      {"fill", 2, {{4, 20}, {40, 20}, {100, 20}, {40, 100}, {100, 100}}},
  };
  const std::vector<std::vector<Rgba>> expected = {
      {kMagenta, kRed, kGreen, kBlue, kWhite},
      {kMagenta, kRed, kGreen, kBlue, kWhite, kBlack, kBlack},
      {kRed, kRed, kGreen, kBlue, kWhite},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    Activate(cases[i].mode);
    std::vector<uint32_t> px = Frame();
    ASSERT_EQ(px.size(), size_t(kSize * kSize));
    for (size_t p = 0; p < cases[i].probes.size(); ++p) {
      const Probe& probe = cases[i].probes[p];
      Rgba got = At(px, probe.x, probe.y);
      EXPECT_TRUE(Near(got, expected[i][p], 8))
          << "at " << probe.x << "," << probe.y << ": " << got.r << " " << got.g << " " << got.b;
    }
  }
  EXPECT_EQ(light.GetImageWidth(), 64u);
  EXPECT_EQ(light.GetImageHeight(), 32u);
}

TEST_F(LightDrawTest, TheCamerasDriftMovesThePictureBetweenTwoFrames) {
  srand(1);
  light.Camera().enabled.Assign(1);
  light.Camera().zoom.SetValue(200);
  Activate(0);
  float t = 0.0f;
  auto runTo = [&](float end) {
    while (t < end) light.Update(t += 0.1f);
  };
  runTo(0.5f);
  std::vector<uint32_t> first = Frame();
  runTo(3.0f);
  std::vector<uint32_t> second = Frame();
  int changed = 0;
  for (size_t i = 0; i < first.size(); ++i) changed += (first[i] & 0xFFFFFF) != (second[i] & 0xFFFFFF);
  EXPECT_GT(changed, kSize * 2) << "the edges between the quadrants moved";
  // Zoomed twice: the magenta stripe (1/8 of the width) is out of view near the centre.
  EXPECT_FALSE(Near(At(second, kSize / 2, kSize / 2), kMagenta, 8));
}

TEST_F(LightDrawTest, ALightWithItsDefaultLinkDrawsTheModulesPicture) {
  // Picture 5 of the built module: 800 x 600, a gradient with a circle of #f4a261 in the
  // middle and a band of #264653 along the bottom. Fitted: 128 x 96 from row 16.
  DS_2D_Light plain;
  EXPECT_EQ(plain.PictureLink().Key(), (DS_LinkKey{L"common_res.dll", 5}));
  plain.CreateDeviceResources();
  plain.SetPicturePosition(1);
  plain.Resize(kSize, kSize);
  plain.AcquireDeviceResources();
  EXPECT_EQ(plain.GetImageWidth(), 800u);
  EXPECT_EQ(plain.GetImageHeight(), 600u);
  device.Device()->BeginScene();
  plain.RenderBackground();
  plain.RenderOverlay();
  device.Device()->EndScene();
  std::vector<uint32_t> px = device.ReadBack();
  if (const char* shot = std::getenv("TEVRANA_LIGHT_SHOT")) {
    std::wstring path(shot, shot + std::strlen(shot));
    device.SavePng(path.c_str());
  }
  EXPECT_TRUE(Near(At(px, 64, 64), Rgba{0xF4, 0xA2, 0x61, 0}, 12));
  EXPECT_TRUE(Near(At(px, 10, 106), Rgba{0x26, 0x46, 0x53, 0}, 12));
  EXPECT_TRUE(Near(At(px, 64, 8), kBlack, 0));
  EXPECT_TRUE(Near(At(px, 64, 120), kBlack, 0));
}

TEST_F(LightDrawTest, APictureTheDocumentDoesNotCarryDrawsUntextured) {
  DS_2D_Light missing;
  missing.PictureLink().SetKey(DS_LinkKey{L"C:\\nowhere.jpg", 1});
  missing.CreateDeviceResources();
  missing.Resize(kSize, kSize);
  missing.AcquireDeviceResources();
  EXPECT_EQ(missing.GetImageWidth(), 0u);
  EXPECT_FALSE(missing.GetScreenMesh().texture);
  EXPECT_TRUE(manager.Tables().textureSets[missing.PictureLink().Key()].textures.empty());
  device.Device()->BeginScene();
  missing.RenderBackground();
  missing.RenderOverlay();
  device.Device()->EndScene();
  // The mesh has no size, so only the background's clear colour shows.
  std::vector<uint32_t> px = device.ReadBack();
  EXPECT_TRUE(Near(At(px, kSize / 2, kSize / 2), Rgba{255, 255, 0, 0}, 0));
}

TEST_F(LightDrawTest, ResizeLaysOutTheViewAndVirtualScreenInTheViewsMode) {
  // Before its first activation the slide sized the light to a 1 x 1 target.
  EXPECT_EQ(light.Width(), 1);
  EXPECT_FLOAT_EQ(g_virtualScreen->backBufferScaleX, float(kSize));
  EXPECT_EQ(g_virtualScreen->pictureWidth, 64u);
  EXPECT_EQ(g_virtualScreen->pictureHeight, 32u);
  // Fill mode stays through a later Resize, which uses the view's current mode.
  light.SetPicturePosition(2);
  light.Resize(kSize, kSize);
  EXPECT_EQ(g_view2D->mode, 2);
  EXPECT_EQ(light.Width(), kSize);
  EXPECT_FLOAT_EQ(g_virtualScreen->backBufferScaleX, 1.0f);
  EXPECT_FLOAT_EQ(g_virtualScreen->backBufferScaleY, 1.0f);
  // The picture's fitted rectangle: full width, half the height, centred.
  const DS_QuadCorners& q = g_virtualScreen->pictureQuad;
  EXPECT_FLOAT_EQ(q.corner[1].x, 0.0f);
  EXPECT_FLOAT_EQ(q.corner[1].y, 32.0f);
  EXPECT_FLOAT_EQ(q.corner[2].x, float(kSize));
  EXPECT_FLOAT_EQ(q.corner[2].y, 96.0f);
}

TEST_F(LightDrawTest, TheCentredOverlayTakesItsModeAndGivesTheOldOneBack) {
  Activate(1);
  light.CreateCentredOverlay(kSize, kSize, 2);
  EXPECT_EQ(g_view2D->mode, 2);
  light.DestroyCentredOverlay();
  EXPECT_EQ(g_view2D->mode, 1);
  light.DestroyCentredOverlay();  // without an overlay: only the view again
  EXPECT_EQ(g_view2D->mode, 1);
}

// A render object that copies the scene texture it is given onto a part of its target,
// then paints a small marker square.
class SceneCopy : public DS_ABObj {
 public:
  SceneCopy(bool sampler, float right, D3DCOLOR marker) : sampler_(sampler), right_(right), marker_(marker) {}
  void Render(DS_ABRender& host) override {
    seen = host.GetSceneTexture()->Get();
    IDirect3DDevice9* d = g_currentDevice;
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetFVF(DX_V::SCT::FVF);
    if (right_ > 0) {
      float w = right_, h = float(kSize);
      DX_V::SCT v[4] = {{0, h, 0, 1, 0xFFFFFFFF, 0, 1}, {0, 0, 0, 1, 0xFFFFFFFF, 0, 0},
                        {w, h, 0, 1, 0xFFFFFFFF, w / kSize, 1}, {w, 0, 0, 1, 0xFFFFFFFF, w / kSize, 0}};
      d->SetTexture(0, seen);
      d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(DX_V::SCT));
    }
    if (marker_) {
      d->SetTexture(0, nullptr);
      d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
      DX_V::SCT m[4] = {{0, 16, 0, 1, marker_, 0, 0}, {0, 0, 0, 1, marker_, 0, 0},
                        {16, 16, 0, 1, marker_, 0, 0}, {16, 0, 0, 1, marker_, 0, 0}};
      d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, m, sizeof(DX_V::SCT));
      d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    }
  }
  void DrawFrame(DS_ABRender&) override {}
  void Update(float) override {}
  void SyncParams() override {}
  bool IsSceneEffect() override { return sampler_; }

  IDirect3DTexture9* seen = nullptr;

 private:
  bool sampler_;
  float right_;
  D3DCOLOR marker_;
};

TEST_F(LightDrawTest, OneSceneEffectSeesThePictureAndDrawsToTheBackBuffer) {
  Activate(0);
  device.Clear(D3DCOLOR_XRGB(0, 255, 255));
  auto* copy = new SceneCopy(true, kSize / 2, 0);
  std::vector<DS_SharedPtr<DS_ABObj>> objects{DS_SharedPtr<DS_ABObj>(copy)};
  std::vector<uint32_t> px = Frame(objects, 1);
  EXPECT_NE(copy->seen, nullptr);
  EXPECT_NE(copy->seen, light.GetScreenMesh().info.texture.Get());
  // The picture went into the capture; the object copied its left half to the screen.
  EXPECT_TRUE(Near(At(px, 40, 20), kRed, 8));
  EXPECT_TRUE(Near(At(px, 40, 100), kBlue, 8));
  EXPECT_TRUE(Near(At(px, 100, 20), kCyan, 8));
  EXPECT_TRUE(Near(At(px, 100, 100), kCyan, 8));
  EXPECT_EQ(light.GetSceneTexture()->Get(), light.GetScreenMesh().info.texture.Get());
}

TEST_F(LightDrawTest, TwoSceneEffectsTheSecondSeesWhatTheFirstDrew) {
  Activate(0);
  device.Clear(D3DCOLOR_XRGB(0, 255, 255));
  // Drawn last to first: plain, then "last" (copies everything and adds a marker), then
  // "first" in the list (copies the left half to the back buffer).
  auto* toScreen = new SceneCopy(true, kSize / 2, 0);
  auto* plain = new SceneCopy(false, 0, 0);
  auto* withMarker = new SceneCopy(true, kSize, D3DCOLOR_XRGB(255, 255, 0));
  auto* after = new SceneCopy(false, 0, 0);
  std::vector<DS_SharedPtr<DS_ABObj>> objects{DS_SharedPtr<DS_ABObj>(after), DS_SharedPtr<DS_ABObj>(toScreen),
                                              DS_SharedPtr<DS_ABObj>(plain), DS_SharedPtr<DS_ABObj>(withMarker)};
  std::vector<uint32_t> px = Frame(objects, 2);
  IDirect3DTexture9* picture = light.GetScreenMesh().info.texture.Get();
  EXPECT_EQ(plain->seen, picture);
  EXPECT_EQ(after->seen, picture);
  ASSERT_NE(withMarker->seen, nullptr);
  ASSERT_NE(toScreen->seen, nullptr);
  EXPECT_NE(withMarker->seen, toScreen->seen);
  EXPECT_NE(withMarker->seen, picture);
  EXPECT_TRUE(Near(At(px, 8, 8), Rgba{255, 255, 0, 0}, 8)) << "the first effect's marker reached the screen";
  EXPECT_TRUE(Near(At(px, 40, 20), kRed, 8));
  EXPECT_TRUE(Near(At(px, 40, 100), kBlue, 8));
  EXPECT_TRUE(Near(At(px, 100, 64), kCyan, 8));
}

}  // namespace

namespace {

TEST_F(LightDrawTest, AfterADeviceResetTheCaptureWorksAgain) {
  Activate(0);
  light.ReleaseDeviceResources();
  light.ReleaseDeviceResources();  // any number of times
  EXPECT_FALSE(light.CaptureTargets().current);
  EXPECT_FALSE(light.GetSceneTexture()->Get());
  ReleaseDeviceBindings(device.Device());
  ASSERT_EQ(device.Device()->Reset(&device.Params()), D3D_OK);
  light.AcquireDeviceResources();
  ASSERT_TRUE(light.CaptureTargets().current);
  device.Clear(D3DCOLOR_XRGB(0, 255, 255));
  auto* copy = new SceneCopy(true, kSize / 2, 0);
  std::vector<uint32_t> px = Frame({DS_SharedPtr<DS_ABObj>(copy)}, 1);
  EXPECT_TRUE(Near(At(px, 40, 20), kRed, 8));
  EXPECT_TRUE(Near(At(px, 100, 20), kCyan, 8));
}

}  // namespace
