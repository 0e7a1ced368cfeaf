// The gallery (a slide for every picture light, every brush and object class among them)
// drawn by the application on a real device whose calls are checked against the Direct3D 9
// rules that Wine's d3d9 does not enforce: a round of every slide, the release step and a
// reset, and the slides again.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "device/ComRef.h"
#include "device/DefaultPool.h"
#include "runtime/DS_SlideShow_Light.h"
#include "runtime/DS_View2D.h"
#include "runtime/Quads.h"
#include "shell/CMoireScreensaver.h"
#include "tests/support/DeviceRules.h"
#include "tests/support/TestDevice.h"

namespace {
constexpr float kStep = 0.25f;  // seconds of the application clock per frame

// Draws frames on until every slide has been current once (or the clock passes a limit).
// With defaults, each slide starts on the device's default states, as if it were the only
// one, rather than on what the slide before left.
size_t DrawRound(CMoireScreensaver& app, IDirect3DDevice9* device, float& clock,
                 IDirect3DStateBlock9* defaults = nullptr) {
  std::set<const DS_SlideContainer*> shown;
  DS_SlideShow_Light& show = *app.currentScene->root;
  const size_t slides = show.slides.size();
  for (const float end = clock + 120.0f; shown.size() < slides && clock < end; clock += kStep) {
    if (const DS_SlideContainer* current = show.Current(); defaults && current) {
      const float length = float(current->fadeIn.Value() + current->showTime.Value() + current->fadeOut.Value());
      if (clock - show.slideStart > length) defaults->Apply();  // the next slide comes up in this frame
    }
    app.appTime = clock;
    app.DrawFrame();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    if (const DS_SlideContainer* current = app.currentScene->root->Current()) shown.insert(current);
  }
  return shown.size();
}
}  // namespace

TEST(DeviceRules, TheGalleryDrawsAndRecoversAsWindowsAllows) {
  TestDevice device(320, 240);
  ASSERT_TRUE(device.Ok());
  auto app = std::make_unique<CMoireScreensaver>();
  app->currentDevice = device.Device();
  app->ActivateScreen(0);
  DeviceRules rules(device.Device());
  ASSERT_EQ(app->AcquireDeviceResources(), S_OK);
  ASSERT_EQ(app->errorFlag, 0);
  ASSERT_TRUE(app->currentScene->root);
  const size_t slides = app->currentScene->root->slides.size();
  ASSERT_GE(slides, 7u);

  float clock = 0.0f;
  EXPECT_EQ(DrawRound(*app, device.Device(), clock), slides);
  app->ReleaseDeviceResources();
  ReleaseDeviceBindings(device.Device());  // as the shell does before its Reset
  ASSERT_EQ(device.Device()->Reset(&device.Params()), D3D_OK);
  ComRef<IDirect3DStateBlock9> defaults;  // made after the reset: a state block may not outlive one
  ASSERT_EQ(device.Device()->CreateStateBlock(D3DSBT_ALL, defaults.Put()), D3D_OK);
  ASSERT_EQ(app->AcquireDeviceResources(), S_OK);
  EXPECT_EQ(DrawRound(*app, device.Device(), clock, defaults.Get()), slides);

  EXPECT_GT(rules.Draws(), 1000);
  EXPECT_TRUE(rules.Kept()) << rules.Report();
  app.reset();
  defaults.Reset();
}

// The checks themselves: each rule broken once on purpose is reported.
TEST(DeviceRules, EachBreakIsReported) {
  TestDevice device(32, 32);
  ASSERT_TRUE(device.Ok());
  IDirect3DDevice9* d = device.Device();
  DS_SimpleMesh<DX_V::SC> quad;
  FillQuadSC(quad, 0xFFFFFFFFu, RectangleQuad(0, 0, 8, 8));
  ComRef<IDirect3DSurface9> back, depth, small;
  d->GetRenderTarget(0, back.Put());
  d->GetDepthStencilSurface(depth.Put());
  d->CreateOffscreenPlainSurface(16, 16, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, small.Put(), nullptr);
  DeviceRules rules(d);
  EXPECT_TRUE(rules.Kept());

  d->EndScene();
  d->SetDepthStencilSurface(nullptr);
  d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  d->SetDepthStencilSurface(depth.Get());
  d->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0);  // D16 has no stencil
  d->SetRenderTarget(0, nullptr);
  d->GetRenderTargetData(back.Get(), small.Get());
  BindQuadSC(quad);
  d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);  // outside a scene
  ASSERT_EQ(d->BeginScene(), D3D_OK);
  d->BeginScene();
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  ComRef<IDirect3DTexture9> drawnInto;
  ComRef<IDirect3DSurface9> drawnIntoLevel;
  ASSERT_EQ(d->CreateTexture(32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, drawnInto.Put(),
                             nullptr),
            D3D_OK);
  drawnInto->GetSurfaceLevel(0, drawnIntoLevel.Put());
  d->SetRenderTarget(0, drawnIntoLevel.Get());
  d->SetTexture(0, drawnInto.Get());
  d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  d->SetTexture(0, nullptr);
  d->SetRenderTarget(0, back.Get());
  d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 0);
  d->SetStreamSource(0, nullptr, 0, 0);
  d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  d->Present(nullptr, nullptr, nullptr, nullptr);
  d->EndScene();

  const std::string report = rules.Report();
  for (const char* rule : {"EndScene without a BeginScene (1 times)", "Clear of depth without a depth surface",
                           "Clear of stencil without a stencil", "SetRenderTarget(0, null)",
                           "GetRenderTargetData not from a render target", "DrawPrimitive outside a scene (1 times)",
                           "BeginScene inside a scene", "stage 0's alpha operation off while its colour operation is on",
                           "DrawPrimitive of no primitives", "stage 0's texture as the render target", "DrawPrimitive without a vertex buffer on stream 0",
                           "Present inside a scene"})
    EXPECT_NE(report.find(rule), std::string::npos) << rule << "\nin:\n" << report;
}
