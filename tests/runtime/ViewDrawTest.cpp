// A picture drawn through the view on a real device lands where the mode says.
#include <gtest/gtest.h>

#include <optional>

#include "device/TextureHelpers.h"
#include "runtime/DS_View2D.h"
#include "runtime/ScreenSelection.h"
#include "tests/runtime/RuntimeTestUtil.h"
#include "tests/support/TestDevice.h"

namespace {
constexpr D3DCOLOR kYellow = 0xFFFFFF00, kBlue = 0xFF0000FF, kRed = 0xFFFF0000, kBackground = 0xFFFF00FF;
const Rgba kYellowPx{255, 255, 0, 0}, kBluePx{0, 0, 255, 0}, kRedPx{255, 0, 0, 0}, kBlackPx{0, 0, 0, 0};

// A 160 x 120 picture: rows 0..19 yellow, columns 0..19 below them blue, the rest red.
// On the 320 x 180 target it fits as x 40..280 at scale 1.5.
class ViewDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dev.Ok());
    selected.emplace(ScreenSelection::Current().WithView(&view, &screen));
    MakePicture(160, 120);
    view.CreateBars();
  }
  void TearDown() override { selected.reset(); }

  // A w x h picture of the pattern above, as the picture quad in picture pixels.
  void MakePicture(UINT w, UINT h) {
    auto tex = MakeTexture(w, h, [](UINT x, UINT y) { return y < 20 ? kYellow : x < 20 ? kBlue : kRed; });
    ASSERT_TRUE(tex);
    MakeTextureInfo(w, h, picture.info, tex.Get());
    picture.texture = tex;
    ASSERT_TRUE(SUCCEEDED(CreateQuadPT(picture)));
    DX_V::PT* v = picture.Lock();
    ASSERT_NE(v, nullptr);
    float fw = float(w), fh = float(h);
    v[0] = {0, fh, 0, 0, 1};
    v[1] = {0, 0, 0, 0, 0};
    v[2] = {fw, fh, 0, 1, 1};
    v[3] = {fw, 0, 0, 1, 0};
    picture.Unlock();
  }

  // Draws the picture for a light's target of width x height (the back buffer's size
  // unless given), then the bars.
  void Draw(int mode, int width = 320, int height = 180) {
    IDirect3DDevice9* d = dev.Device();
    g_view2D->Setup(width, height, picture.info, mode, false);
    dev.Clear(kBackground);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_ZENABLE, FALSE);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->BeginScene();
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    g_view2D->SetWorldTransform(identity);
    BindTexturedPT(picture);
    d->DrawPrimitive(picture.primitiveType, 0, picture.primitiveCount);
    g_view2D->DrawBars();
    d->EndScene();
    pixels = dev.ReadBack();
  }
  Rgba At(int x, int y) const { return TestDevice::At(pixels, 320, x, y); }

  TestDevice dev{320, 180};
  DS_View2D view;
  DS_VirtualScreen screen;
  std::optional<ScopedScreen> selected;
  DS_ImageQuad picture;
  std::vector<uint32_t> pixels;
};

}  // namespace

#define EXPECT_PIXEL(x, y, colour) EXPECT_TRUE(Near(At(x, y), colour, 8)) << "at " << (x) << "," << (y)

TEST_F(ViewDraw, FitKeepsTheAspectWithFourBlackBars) {
  // The light's target may be larger or smaller than the back buffer: the view scales
  // the fitted rectangle onto the back buffer, so the screen shows the same.
  const int targets[][2] = {{320, 180}, {640, 360}, {160, 90}};
  for (const auto& t : targets) {
    SCOPED_TRACE(testing::Message() << "target " << t[0] << "x" << t[1]);
    Draw(1, t[0], t[1]);
    EXPECT_PIXEL(20, 90, kBlackPx);    // left bar
    EXPECT_PIXEL(300, 90, kBlackPx);   // right bar
    EXPECT_PIXEL(2, 2, kBlackPx);
    EXPECT_PIXEL(317, 177, kBlackPx);
    EXPECT_PIXEL(50, 100, kBluePx);    // picture columns 0..19 at x 40..70
    EXPECT_PIXEL(75, 100, kRedPx);
    EXPECT_PIXEL(150, 15, kYellowPx);  // rows 0..19 at y 0..30
    EXPECT_PIXEL(150, 35, kRedPx);
    EXPECT_PIXEL(275, 175, kRedPx);
  }
}

TEST_F(ViewDraw, FitOfAWidePictureHasTopAndBottomBarsThatCoverTheZoomedPicture) {
  MakePicture(160, 40);  // fits as y 50..130 at scale 2
  Draw(1);
  EXPECT_PIXEL(160, 25, kBlackPx);   // top bar
  EXPECT_PIXEL(160, 155, kBlackPx);  // bottom bar
  EXPECT_PIXEL(2, 2, kBlackPx);
  EXPECT_PIXEL(317, 177, kBlackPx);
  EXPECT_PIXEL(160, 70, kYellowPx);  // rows 0..19 at y 50..90
  EXPECT_PIXEL(20, 110, kBluePx);    // columns 0..19 at x 0..40
  EXPECT_PIXEL(200, 110, kRedPx);
  // Zoomed 2 about the centre the picture reaches over y 10..170, but the bars stay on top.
  g_view2D->SetCameraTransform(2.0f, 0.0f, 0.0f);
  Draw(1);
  EXPECT_PIXEL(160, 30, kBlackPx);
  EXPECT_PIXEL(160, 150, kBlackPx);
  EXPECT_PIXEL(160, 60, kYellowPx);  // row 12.5
  EXPECT_PIXEL(160, 120, kRedPx);
}

TEST_F(ViewDraw, StretchFillsTheTargetOnBothAxesIndependently) {
  Draw(0);
  EXPECT_PIXEL(20, 100, kBluePx);  // columns 0..19 now at x 0..40
  EXPECT_PIXEL(45, 100, kRedPx);
  EXPECT_PIXEL(150, 25, kYellowPx);  // rows keep their height
  EXPECT_PIXEL(150, 35, kRedPx);
  EXPECT_PIXEL(316, 176, kRedPx);  // no bars, no background
}

TEST_F(ViewDraw, FillEnlargesUniformlyAndCrops) {
  Draw(2);
  EXPECT_PIXEL(20, 100, kBluePx);
  EXPECT_PIXEL(45, 100, kRedPx);
  EXPECT_PIXEL(150, 5, kYellowPx);  // rows 0..19 now y -30..10: the top is cut off
  EXPECT_PIXEL(150, 20, kRedPx);
  EXPECT_PIXEL(316, 176, kRedPx);
}

TEST_F(ViewDraw, CameraPanZoomMovesThePicture) {
  Draw(1);
  EXPECT_PIXEL(150, 45, kRedPx);
  EXPECT_PIXEL(85, 100, kRedPx);
  // Zoom 2 about the top-left corner: rows 0..19 reach y 60, columns 0..19 reach x 100.
  g_view2D->SetCameraTransform(2.0f, -1.0f, -1.0f);
  Draw(1);
  EXPECT_PIXEL(150, 45, kYellowPx);
  EXPECT_PIXEL(85, 100, kBluePx);
  EXPECT_PIXEL(45, 5, kYellowPx);  // the corner stayed
  EXPECT_PIXEL(20, 90, kBlackPx);  // bars still drawn over
  // About the bottom-right corner the top rows leave the screen.
  g_view2D->SetCameraTransform(2.0f, 1.0f, 1.0f);
  Draw(1);
  EXPECT_PIXEL(150, 15, kRedPx);
  EXPECT_PIXEL(50, 100, kRedPx);
  // Back to the identity.
  g_view2D->SetCameraTransform(1.0f, 1.0f, 1.0f);
  Draw(1);
  EXPECT_PIXEL(150, 15, kYellowPx);
}

TEST_F(ViewDraw, CaptureModeDrawsAnUnzoomedStretch) {
  g_view2D->SetCameraTransform(2.0f, -1.0f, -1.0f);
  Draw(3);
  EXPECT_PIXEL(20, 100, kBluePx);
  EXPECT_PIXEL(150, 25, kYellowPx);
  EXPECT_PIXEL(150, 35, kRedPx);
  EXPECT_PIXEL(316, 176, kRedPx);
}

TEST_F(ViewDraw, AnUntexturedPictureStillDrawsWithoutBars) {
  DS_TextureSet empty;
  GetTextureInfoFromSet(empty, picture.info);
  picture.texture = picture.info.texture;
  Draw(0);
  // Drawing proceeds without a texture: no crash, and nothing of the picture's colours.
  EXPECT_FALSE(Near(At(150, 15), kYellowPx, 8));
  EXPECT_FALSE(Near(At(20, 100), kBluePx, 8));
}
