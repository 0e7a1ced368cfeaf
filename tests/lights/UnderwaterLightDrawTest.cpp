// The underwater light on a real device with the built module's effect: the finished slide
// wobbles over time while its mean colour stays, at amplitude 0 it equals the plain light
// inside the picture, and without its effect it draws as the plain light.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "document/DS_DocResManager.h"
#include "lights/FakeUndervater.h"
#include "runtime/ScreenSelection.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/TestDevice.h"

namespace {

constexpr int kSize = 128;
// Fitted into the square target: 128 x 80 from row 24.
constexpr int kTop = 24, kBottom = 104;

class UnderwaterLightDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Ok());
    // Soft waves of colour with a few sharper rings: detail for the wobble to move.
    picture = manager.CreateImageLinkFromRecord(RecordWithBytes(
        MakeBmp(160, 100,
                [](int x, int y) -> uint32_t {
                  const double r = 120 + 60 * std::sin(x / 9.0) + 40 * std::sin(y / 13.0);
                  const double g = 110 + 70 * std::cos(y / 7.0 + x / 23.0);
                  const double b = 150 + 50 * std::sin((x + y) / 11.0);
                  return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
                }),
        L"sea.bmp"));
  }

  // The light as a slide makes it current in fit mode.
  void Activate(DS_2D_Light& light) {
    light.PictureLink().SetKey(picture->Key());
    light.CreateDeviceResources();
    light.Resize(1, 1);
    light.SetPicturePosition(1);
    light.Resize(kSize, kSize);
    light.AcquireDeviceResources();
  }

  // One frame as the slide draws it, the light updated every 0.1 s up to t.
  std::vector<uint32_t> Frame(DS_2D_Light& light, float t) {
    for (; clock_ + 0.1f < t; clock_ += 0.1f) light.Update(clock_);
    clock_ = t;
    light.Update(t);
    IDirect3DDevice9* d = device.Device();
    const int n = light.NeedsSceneCapture() ? 1 : 0;
    d->BeginScene();
    if (n > 0) light.BeginSceneCapture();
    light.RenderBackground();
    light.RenderObjects({}, n);
    light.RenderOverlay();
    d->EndScene();
    return device.ReadBack();
  }

  void SaveIfAsked(const char* name) {
    if (const char* dir = std::getenv("TEVRANA_SHOT_DIR")) {
      std::string path = std::string(dir) + "/" + name + ".png";
      device.SavePng(std::wstring(path.begin(), path.end()).c_str());
    }
  }

  Rgba At(const std::vector<uint32_t>& px, int x, int y) { return TestDevice::At(px, kSize, x, y); }

  // Pixels of the picture (away from its edges) farther apart than tol, and the largest
  // difference of the mean of a channel.
  struct Difference {
    int pixels = 0;
    double mean = 0;
  };
  Difference Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tol) {
    Difference d;
    double sa[3] = {}, sb[3] = {};
    for (int y = kTop + 2; y < kBottom - 2; ++y)
      for (int x = 2; x < kSize - 2; ++x) {
        const Rgba p = At(a, x, y), q = At(b, x, y);
        d.pixels += !Near(p, q, tol);
        sa[0] += p.r, sa[1] += p.g, sa[2] += p.b;
        sb[0] += q.r, sb[1] += q.g, sb[2] += q.b;
      }
    const double n = double((kBottom - kTop - 4) * (kSize - 4));
    for (int c = 0; c < 3; ++c) d.mean = std::max(d.mean, std::fabs(sa[c] - sb[c]) / n);
    return d;
  }

  TestDevice device{kSize, kSize};
  DS_DocResManager manager;
  ScopedScreen selected{ScreenSelection::Current().WithResources(&manager)};
  std::unique_ptr<DS_ImageFileLink> picture;
  float clock_ = 0.0f;
};

TEST_F(UnderwaterLightDrawTest, TheSlideWobblesOverTimeWhileItsMeanColourStays) {
  FakeUndervater light;
  Activate(light);
  ASSERT_TRUE(light.NeedsSceneCapture()) << "effect 88 missing from the module";
  const std::vector<uint32_t> first = Frame(light, 0.5f);
  SaveIfAsked("underwater-1");
  const std::vector<uint32_t> second = Frame(light, 2.0f);
  SaveIfAsked("underwater-2");
  const Difference d = Compare(first, second, 6);
  EXPECT_GT(d.pixels, (kBottom - kTop) * kSize / 5);
  EXPECT_LT(d.mean, 3.0);
  // The bars stay black.
  for (int x : {5, 64, 120}) {
    EXPECT_TRUE(Near(At(second, x, 10), Rgba{0, 0, 0, 0}, 2));
    EXPECT_TRUE(Near(At(second, x, 118), Rgba{0, 0, 0, 0}, 2));
  }
}

TEST_F(UnderwaterLightDrawTest, AtAmplitudeZeroItEqualsThePlainLight) {
  DS_2D_Light plain;
  Activate(plain);
  const std::vector<uint32_t> expected = Frame(plain, 1.0f);
  SaveIfAsked("plain");
  FakeUndervater still;
  still.effect.amplitude.SetValue(0);
  Activate(still);
  ASSERT_TRUE(still.NeedsSceneCapture());
  const std::vector<uint32_t> got = Frame(still, 1.0f);
  SaveIfAsked("underwater-still");
  // The captured slide is resampled once more (half a pixel, linearly): a few levels on the
  // steepest slopes of this picture (about 8 levels a pixel), none in the mean.
  const Difference d = Compare(expected, got, 10);
  EXPECT_EQ(d.pixels, 0);
  EXPECT_LT(d.mean, 1.0);
}

TEST_F(UnderwaterLightDrawTest, WithoutItsEffectItDrawsAsThePlainLight) {
  DS_2D_Light plain;
  Activate(plain);
  const std::vector<uint32_t> expected = Frame(plain, 1.0f);
  FakeUndervater light;
  light.effect.effectLink.SetKey({L"common_res.dll", 4000});
  Activate(light);
  EXPECT_FALSE(light.NeedsSceneCapture());
  const std::vector<uint32_t> got = Frame(light, 1.0f);
  EXPECT_EQ(Compare(expected, got, 0).pixels, 0);
  EXPECT_TRUE(Near(At(got, 64, 10), Rgba{0, 0, 0, 0}, 2));  // the bars
}

}  // namespace
