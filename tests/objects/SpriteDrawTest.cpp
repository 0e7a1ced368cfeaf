// Sprite emitters drawn through the plain light on a real device under Xvfb: a 64 x 64
// black picture stretched over a 128 x 128 target, so picture pixel (x, y) lands on
// (2x, 2y).
#include <gtest/gtest.h>

#include <optional>

#include "document/DS_DocResManager.h"
#include "objects/RootedEmitters.h"
#include "objects/StreamingEmitters.h"
#include "runtime/DS_2D_Light.h"
#include "runtime/ScreenSelection.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/TestDevice.h"

namespace {

constexpr int kSize = 128;

class SpriteDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Ok());
    selected.emplace(ScreenSelection::Current().WithResources(&manager));
    picture = manager.CreateImageLinkFromRecord(RecordWithBytes(SolidBmp(64, 64, 0x000000), L"black.bmp"));
    white = manager.CreateImageLinkFromRecord(RecordWithBytes(SolidBmp(8, 8, 0xFFFFFF), L"white.bmp"));
    red = manager.CreateImageLinkFromRecord(RecordWithBytes(SolidBmp(8, 8, 0xFF0000), L"red.bmp"));
    light.PictureLink().SetKey(picture->Key());
    light.CreateDeviceResources();
    light.SetPicturePosition(0);
    light.Resize(kSize, kSize);
    light.AcquireDeviceResources();
  }
  void TearDown() override { selected.reset(); }

  // Updates the object a few frames, then draws the picture and the object.
  std::vector<uint32_t> Draw(DS_ABObj& object, int frames = 3) {
    for (int i = 1; i <= frames; ++i) object.Update(0.05f * float(i));
    device.Device()->BeginScene();
    light.RenderBackground();
    object.Render(light);
    device.Device()->EndScene();
    return device.ReadBack();
  }
  int Brightness(const std::vector<uint32_t>& px, int x, int y) {
    const Rgba c = TestDevice::At(px, kSize, x, y);
    return (c.r + c.g + c.b) / 3;
  }
  // Two placed sprites on the same spot, picture (24..40) both ways.
  std::unique_ptr<DS_ABObj> TwoOnOneSpot(DS_StatObjConstructor& item) {
    item.count.Assign(2);
    item.size.Assign(16);
    item.placement.x.Value() = 32;
    item.placement.y.Value() = 32;
    return std::unique_ptr<DS_ABObj>(item.CreateObject());
  }

  TestDevice device{kSize, kSize};
  DS_DocResManager manager;
  std::optional<ScopedScreen> selected;
  std::unique_ptr<DS_ImageFileLink> picture, white, red;
  DS_2D_Light light;
};

TEST_F(SpriteDraw, WhiteSpritesLightOnlyInsideTheirArea) {
  // The area is the picture's (16..48) x (16..32): screen (32..96) x (32..64). The flow
  // bounces its sprites off the area's edges, so after a frame every sprite is inside.
  DS_FlowConstructor item;
  item.spriteImage.SetKey(white->Key());
  item.leftFraction = 0.25f, item.rightFraction = 0.75f, item.topFraction = 0.25f, item.bottomFraction = 0.5f;
  item.count.Assign(40);
  item.size.Assign(6);
  item.flowSpeed = 40.0f;
  std::unique_ptr<DS_ABObj> object(item.CreateObject());
  const std::vector<uint32_t> px = Draw(*object);
  int inside = 0, outside = 0;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const bool in = x >= 32 && x < 96 && y >= 32 && y < 64;
      const int b = Brightness(px, x, y);
      (in ? inside : outside) += b > 128;
      if (!in) ASSERT_LT(b, 8) << "lit outside the area at " << x << "," << y;
    }
  EXPECT_GT(inside, 200);
  EXPECT_EQ(outside, 0);
}

TEST_F(SpriteDraw, OverlappingSpritesAddUpBrighterThanTheyBlend) {
  int centre[2] = {};
  for (int blend : {0, 1}) {
    DS_StatObjConstructor item;
    item.spriteImage.SetKey(white->Key());
    item.transparency.SetValue(50);  // alpha 127
    item.blendMode.Assign(blend);
    std::unique_ptr<DS_ABObj> object = TwoOnOneSpot(item);
    const std::vector<uint32_t> px = Draw(*object);
    centre[blend] = Brightness(px, 64, 64);
    EXPECT_LT(Brightness(px, 20, 20), 8);
  }
  EXPECT_NEAR(centre[0], 191, 12);  // 127, then half of the rest
  EXPECT_NEAR(centre[1], 254, 12);  // 127 + 127
  EXPECT_GT(centre[1], centre[0] + 40);
}

TEST_F(SpriteDraw, TheOverlayIsDrawnOverTheSprites) {
  Rgba with{}, without{};
  for (bool overlay : {false, true}) {
    DS_StatObjConstructor item;
    item.spriteImage.SetKey(red->Key());
    if (overlay) item.overlayImage.SetKey(white->Key());
    std::unique_ptr<DS_ABObj> object = TwoOnOneSpot(item);
    const std::vector<uint32_t> px = Draw(*object);
    (overlay ? with : without) = TestDevice::At(px, kSize, 64, 64);
  }
  EXPECT_TRUE(Near(without, {255, 0, 0, 0}, 8)) << without.r << " " << without.g << " " << without.b;
  EXPECT_TRUE(Near(with, {255, 255, 255, 0}, 8)) << with.r << " " << with.g << " " << with.b;
}

TEST_F(SpriteDraw, AnImageWithoutTextureDrawsNothing) {
  DS_StatObjConstructor item;
  item.spriteImage.SetKey({L"missing.png", 1});
  item.overlayImage.SetKey({L"missing-too.png", 2});
  std::unique_ptr<DS_ABObj> object = TwoOnOneSpot(item);
  const std::vector<uint32_t> px = Draw(*object);
  EXPECT_LT(Brightness(px, 64, 64), 8);
}

}  // namespace
