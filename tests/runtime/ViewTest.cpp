// Placement of the picture by the view and the quad layout operations, without a device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "device/CurrentDevice.h"
#include "device/TextureHelpers.h"
#include "document/DS_DocResManager.h"
#include "document/DS_ResourceCache.h"
#include "runtime/DS_View2D.h"
#include "runtime/ScreenSelection.h"
#include "tests/support/TestDevice.h"

namespace {
DS_TextureInfo Picture(uint32_t w, uint32_t h) {
  DS_TextureInfo info;
  MakeTextureInfo(w, h, info, nullptr);
  return info;
}
// Where a picture pixel lands in target pixels.
D3DXVECTOR2 Place(const DS_View2D& view, float x, float y) {
  D3DXMATRIX identity, m;
  D3DXMatrixIdentity(&identity);
  view.ComposeWorld(identity, m);
  D3DXVECTOR3 p(x, y, 0.0f);
  D3DXVECTOR4 out;
  D3DXVec3Transform(&out, &p, &m);
  return {out.x, out.y};
}
bool Finite(const D3DXMATRIX& m) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (!std::isfinite(m(r, c))) return false;
  return true;
}
}  // namespace

TEST(FitQuadToImage, CentresThePictureAtItsAspect) {
  struct Case {
    uint32_t pw, ph;
    int32_t w, h;
    float x0, y0, x1, y1;
  } cases[] = {
      {800, 600, 1280, 720, 160, 0, 1120, 720},  // 4:3 on 16:9: side bars
      {600, 800, 1280, 720, 370, 0, 910, 720},   // portrait on landscape (r < a)
      {1280, 720, 1280, 720, 0, 0, 1280, 720},   // equal aspect takes the other branch
      {1600, 400, 800, 600, 0, 200, 800, 400},   // wide picture: top and bottom bars
  };
  for (const auto& c : cases) {
    DS_QuadCorners q;
    FitQuadToImage(q, Picture(c.pw, c.ph), c.w, c.h);
    EXPECT_FLOAT_EQ(q.corner[0].x, c.x0) << c.pw << "x" << c.ph;
    EXPECT_FLOAT_EQ(q.corner[0].y, c.y1);
    EXPECT_FLOAT_EQ(q.corner[1].x, c.x0);
    EXPECT_FLOAT_EQ(q.corner[1].y, c.y0);
    EXPECT_FLOAT_EQ(q.corner[2].x, c.x1);
    EXPECT_FLOAT_EQ(q.corner[2].y, c.y1);
    EXPECT_FLOAT_EQ(q.corner[3].x, c.x1);
    EXPECT_FLOAT_EQ(q.corner[3].y, c.y0);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(q.corner[i].z, 1.0f);
    EXPECT_EQ(q.corner[0].u, 0.0f);
    EXPECT_EQ(q.corner[0].v, 1.0f);
    EXPECT_EQ(q.corner[3].u, 1.0f);
    EXPECT_EQ(q.corner[3].v, 0.0f);
  }
}

TEST(View, StretchFitAndFillOfA4To3PictureOn16To9) {
  struct Case {
    int mode;
    float sx, sy;
    float leftX, rightX, topY, bottomY;  // where the picture's edges land
  } cases[] = {
      {1, 1.0f, 1.0f, 160, 1120, 0, 720},
      {0, 4.0f / 3, 1.0f, 0, 1280, 0, 720},
      {2, 4.0f / 3, 4.0f / 3, 0, 1280, -120, 840},
      {3, 4.0f / 3, 1.0f, 0, 1280, 0, 720},
  };
  for (const auto& c : cases) {
    DS_View2D view;
    view.Setup(1280, 720, Picture(800, 600), c.mode, true);
    EXPECT_EQ(view.mode, c.mode);
    EXPECT_FLOAT_EQ(view.modeScale._11, c.sx) << c.mode;
    EXPECT_FLOAT_EQ(view.modeScale._22, c.sy) << c.mode;
    EXPECT_FLOAT_EQ(view.inverseModeScaleX, 1.0f / c.sx);
    // Placement: s = 720 / 600, shifted by the left bar.
    EXPECT_FLOAT_EQ(view.placement._11, 1.2f);
    EXPECT_FLOAT_EQ(view.placement._41, 160.0f);
    EXPECT_FLOAT_EQ(view.placement._42, 0.0f);
    EXPECT_FLOAT_EQ(view.fitRatioX, 1280.0f / 960.0f);
    EXPECT_FLOAT_EQ(view.fitRatioY, 1.0f);
    D3DXVECTOR2 tl = Place(view, 0, 0), br = Place(view, 800, 600);
    EXPECT_NEAR(tl.x, c.leftX, 1e-3) << c.mode;
    EXPECT_NEAR(tl.y, c.topY, 1e-3) << c.mode;
    EXPECT_NEAR(br.x, c.rightX, 1e-3) << c.mode;
    EXPECT_NEAR(br.y, c.bottomY, 1e-3) << c.mode;
    // The centre stays put in every mode.
    D3DXVECTOR2 mid = Place(view, 400, 300);
    EXPECT_NEAR(mid.x, 640.0f, 1e-3);
    EXPECT_NEAR(mid.y, 360.0f, 1e-3);
    // The offsets map a target point back into picture pixels.
    EXPECT_NEAR(view.GetOriginOffsetX(), view.modeOffsetX, 1e-4);
  }
}

TEST(View, EqualAspectGivesTheSamePlacementInEveryMode) {
  for (int mode : {0, 1, 2}) {
    DS_View2D view;
    view.Setup(640, 480, Picture(1024, 768), mode, true);
    EXPECT_FLOAT_EQ(view.modeScale._11, 1.0f) << mode;
    EXPECT_FLOAT_EQ(view.modeScale._22, 1.0f) << mode;
    EXPECT_FLOAT_EQ(view.placement._11, 0.625f);
    EXPECT_FLOAT_EQ(view.placement._41, 0.0f);
    EXPECT_FLOAT_EQ(view.placement._42, 0.0f);
  }
}

TEST(View, ProjectionMapsTargetPixelsWithYDownwards) {
  DS_View2D view;
  view.Setup(200, 100, Picture(200, 100), 1, true);
  D3DXMATRIX identity, vp;
  D3DXMatrixIdentity(&identity);
  EXPECT_EQ(std::memcmp(&view.world, &identity, sizeof identity), 0);
  vp = view.view * view.projection;
  D3DXVECTOR3 p(0, 0, 0), q(200, 100, 0);
  D3DXVECTOR4 a, b;
  D3DXVec3Transform(&a, &p, &vp);
  D3DXVec3Transform(&b, &q, &vp);
  EXPECT_NEAR(a.x, -1.0f, 1e-5);
  EXPECT_NEAR(a.y, 1.0f, 1e-5);
  EXPECT_NEAR(b.x, 1.0f, 1e-5);
  EXPECT_NEAR(b.y, -1.0f, 1e-5);
}

TEST(View, CameraTransformZoomsAboutThePanPoint) {
  DS_View2D view;
  view.Setup(800, 600, Picture(800, 600), 1, true);
  view.SetCameraTransform(1.0f, 0.7f, -0.3f);
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  EXPECT_EQ(view.panZoom, identity);
  // A zoom of 0 (a stored zoom value of 0) leaves the picture as it is, never NaN.
  view.SetCameraTransform(2.0f, 0.5f, 0.5f);
  view.SetCameraTransform(0.0f, 0.7f, -0.3f);
  EXPECT_EQ(view.panZoom, identity);

  struct Case {
    float pan;
    float fixedX, fixedY;  // the picture point that stays in place
  } cases[] = {{-1, 0, 0}, {0, 400, 300}, {1, 800, 600}};
  for (const auto& c : cases) {
    view.SetCameraTransform(2.0f, c.pan, c.pan);
    D3DXVECTOR2 p = Place(view, c.fixedX, c.fixedY);
    EXPECT_NEAR(p.x, c.fixedX, 1e-3) << c.pan;
    EXPECT_NEAR(p.y, c.fixedY, 1e-3) << c.pan;
    D3DXVECTOR2 q = Place(view, c.fixedX + 10, c.fixedY + 10);
    EXPECT_NEAR(q.x, c.fixedX + 20, 1e-3) << c.pan;
  }
}

TEST(View, CaptureModeLeavesOutThePanZoom) {
  DS_View2D view;
  view.Setup(1280, 720, Picture(800, 600), 3, true);
  view.SetCameraTransform(2.0f, -1.0f, -1.0f);
  D3DXVECTOR2 p = Place(view, 800, 600);
  EXPECT_NEAR(p.x, 1280.0f, 1e-3);
  EXPECT_NEAR(p.y, 720.0f, 1e-3);

  // View-projection: Tm x Sm x P only in mode 3.
  D3DXMATRIX vp3, expected;
  view.GetViewProjection(vp3);
  expected = view.modeOffset * view.modeScale * view.placement * view.view * view.projection;
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(vp3[i], expected[i], 1e-6);
  view.Setup(1280, 720, Picture(800, 600), 0, true);
  D3DXMATRIX vp0;
  view.GetViewProjection(vp0);
  expected = view.placement * view.view * view.projection;
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(vp0[i], expected[i], 1e-6);

  // World-view-projection includes the pan/zoom outside mode 3.
  D3DXMATRIX identity, wvp;
  D3DXMatrixIdentity(&identity);
  view.GetWorldViewProjection(identity, wvp);
  expected = view.panZoom * view.modeOffset * view.modeScale * view.placement * view.view * view.projection;
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(wvp[i], expected[i], 1e-6);
}

TEST(View, PictureWithoutSizeIsPlacedAsTheTarget) {
  for (auto pic : {Picture(0, 0), Picture(0, 300), Picture(300, 0), DS_TextureInfo{}}) {
    for (int mode : {0, 1, 2, 3}) {
      DS_View2D view;
      view.Setup(640, 360, pic, mode, true);
      D3DXVECTOR2 br = Place(view, 640, 360);
      EXPECT_NEAR(br.x, 640.0f, 1e-2);
      EXPECT_NEAR(br.y, 360.0f, 1e-2);
      view.SetCameraTransform(1.5f, 0.2f, 0.2f);
      EXPECT_TRUE(Finite(view.placement)) << mode;
      EXPECT_TRUE(Finite(view.modeScale));
      EXPECT_TRUE(Finite(view.modeOffset));
      EXPECT_TRUE(Finite(view.panZoom));
      EXPECT_TRUE(std::isfinite(view.fitRatioX) && std::isfinite(view.fitRatioY));
      EXPECT_EQ(view.pictureWidth, 640u);
      EXPECT_EQ(view.pictureHeight, 360u);
    }
  }
  // A target without size does not divide by zero either.
  DS_View2D view;
  view.Setup(0, 0, Picture(0, 0), 1, true);
  EXPECT_TRUE(Finite(view.placement));
  EXPECT_TRUE(Finite(view.projection));
}

TEST(View, StartsInFitModeWithIdentityMatrices) {
  DS_View2D view;
  EXPECT_EQ(view.mode, 1);
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  EXPECT_EQ(view.placement, identity);
  EXPECT_EQ(view.panZoom, identity);
  EXPECT_EQ(view.inverseModeScaleX, 1.0f);
  EXPECT_EQ(view.modeOffsetX, 0.0f);
  EXPECT_NE(g_view2D, nullptr);
  EXPECT_NE(g_virtualScreen, nullptr);
  EXPECT_EQ(g_virtualScreen->pictureWidth, 0u);
  EXPECT_EQ(g_virtualScreen->backBufferScaleX, 0.0f);
}

TEST(View, SelectingAScreenSetsItsFivePointersAndTheScopeSelectsThePreviousAgain) {
  TestDevice dev(16, 16);
  ASSERT_TRUE(dev.Ok());
  const ScreenSelection before = ScreenSelection::Current();
  DS_DocResManager manager;
  DS_View2D mine;
  DS_VirtualScreen myScreen;
  {
    ScopedScreen selected(
        ScreenSelection{}.WithDevice(dev.Device()).WithResources(&manager).WithView(&mine, &myScreen));
    EXPECT_EQ(g_currentDevice, dev.Device());
    EXPECT_EQ(g_docResManager, &manager);
    EXPECT_EQ(g_resourceCache, &manager.Cache());  // a manager comes with its own cache
    EXPECT_EQ(g_view2D, &mine);
    EXPECT_EQ(g_virtualScreen, &myScreen);
    DS_QuadCorners q;
    FitQuadToImage(q, Picture(800, 600), 1280, 720);
    SetVirtualScreen(q, 1280, 720, 800, 600);
    EXPECT_EQ(myScreen.pictureWidth, 800u);
    {
      // No view of its own: the process-wide default pair, never null.
      ScopedScreen nothing(ScreenSelection{});
      EXPECT_EQ(g_currentDevice, nullptr);
      EXPECT_EQ(g_docResManager, nullptr);
      EXPECT_EQ(g_resourceCache, nullptr);
      ASSERT_NE(g_view2D, nullptr);
      EXPECT_NE(g_view2D, &mine);
      ASSERT_NE(g_virtualScreen, nullptr);
      EXPECT_EQ(g_virtualScreen->pictureWidth, 0u);
    }
    EXPECT_EQ(g_view2D, &mine);
    EXPECT_EQ(g_docResManager, &manager);
  }
  const ScreenSelection after = ScreenSelection::Current();
  EXPECT_EQ(after.device, before.device);
  EXPECT_EQ(after.docResManager, before.docResManager);
  EXPECT_EQ(after.resourceCache, before.resourceCache);
  EXPECT_EQ(after.view, before.view);
  EXPECT_EQ(after.virtualScreen, before.virtualScreen);
}

TEST(View, BarsOfA4To3PictureOn1280x720) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  DS_View2D view;
  view.CreateBars();
  view.Setup(1280, 720, Picture(800, 600), 1, true);
  auto rect = [](DS_SimpleMesh<DX_V::SC>& bar) {
    DX_V::SC* v = bar.Lock();
    float r[4] = {v[1].x, v[1].y, v[2].x, v[2].y};  // left, top, right, bottom
    EXPECT_EQ(v[0].color, 0xFF000000u);
    EXPECT_EQ(v[0].rhw, 1.0f);
    bar.Unlock();
    return std::vector<float>(r, r + 4);
  };
  EXPECT_EQ(rect(view.bars[DS_View2D::kLeft]), (std::vector<float>{0, 0, 161, 720}));
  EXPECT_EQ(rect(view.bars[DS_View2D::kRight]), (std::vector<float>{1120, 0, 1281, 720}));
  auto top = rect(view.bars[DS_View2D::kTop]);
  EXPECT_EQ(top[3] - top[1], 0.0f);  // no area
  auto bottom = rect(view.bars[DS_View2D::kBottom]);
  EXPECT_EQ(bottom[3] - bottom[1], 0.0f);
  // Bars without area keep no primitive, so drawing the bars skips them.
  EXPECT_EQ(view.bars[DS_View2D::kLeft].primitiveCount, 2u);
  EXPECT_EQ(view.bars[DS_View2D::kRight].primitiveCount, 2u);
  EXPECT_EQ(view.bars[DS_View2D::kTop].primitiveCount, 0u);
  EXPECT_EQ(view.bars[DS_View2D::kBottom].primitiveCount, 0u);

  // Setup installs world, view and projection.
  D3DXMATRIX proj;
  dev.Device()->GetTransform(D3DTS_PROJECTION, &proj);
  EXPECT_EQ(proj, view.projection);
}

// Setup runs twice a frame while the scene is captured; a bar whose rectangle stays is not
// locked and written again (each lock waits for the device), a moved one and a new buffer are.
TEST(View, ABarIsWrittenAgainOnlyWhenItsRectangleOrBufferChanges) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  DS_View2D view;
  view.CreateBars();
  auto left = [&] {
    DX_V::SC* v = view.bars[DS_View2D::kLeft].Lock();
    const float x = v[2].x;  // the right edge
    view.bars[DS_View2D::kLeft].Unlock();
    return x;
  };
  auto mark = [&] {
    DX_V::SC* v = view.bars[DS_View2D::kLeft].Lock();
    v[2].x = -7.0f;
    view.bars[DS_View2D::kLeft].Unlock();
  };
  view.Setup(1280, 720, Picture(800, 600), 1, true);
  ASSERT_EQ(left(), 161.0f);
  mark();
  for (int mode : {3, 1, 2}) view.Setup(1280, 720, Picture(800, 600), mode, true);
  EXPECT_EQ(left(), -7.0f) << "the same rectangle was written again";
  view.Setup(1280, 720, Picture(640, 640), 1, true);
  EXPECT_EQ(left(), 281.0f) << "a moved bar is written";
  mark();
  view.CreateBars();
  view.Setup(1280, 720, Picture(640, 640), 1, true);
  EXPECT_EQ(left(), 281.0f) << "new buffers get their rectangles";
}

TEST(View, BackBufferScaling) {
  TestDevice dev(320, 180);
  ASSERT_TRUE(dev.Ok());
  DS_QuadCorners q;
  FitQuadToBackBuffer(q);
  EXPECT_EQ(q.corner[0].y, 180.0f);
  EXPECT_EQ(q.corner[2].x, 320.0f);
  FitQuadToImage(q, Picture(800, 600), 640, 360);
  ScaleQuadToBackBuffer(q, 640, 360);
  EXPECT_FLOAT_EQ(q.corner[1].x, 40.0f);
  EXPECT_FLOAT_EQ(q.corner[2].x, 280.0f);
  EXPECT_FLOAT_EQ(q.corner[2].y, 180.0f);

  DS_VirtualScreen screen;
  ScopedScreen selected(ScreenSelection::Current().WithView(nullptr, &screen));
  SetVirtualScreen(q, 640, 360, 800, 600);
  EXPECT_FLOAT_EQ(screen.backBufferScaleX, 0.5f);
  EXPECT_FLOAT_EQ(screen.backBufferScaleY, 0.5f);
  EXPECT_EQ(screen.pictureQuad.corner[2].x, 280.0f);
}
