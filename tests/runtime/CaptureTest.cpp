// Scene capture into the render-target pair on a real device, across a device reset.
#include <gtest/gtest.h>

#include "runtime/DS_RenderTargetPair.h"
#include "runtime/DS_View2D.h"
#include "runtime/Quads.h"
#include "tests/runtime/RuntimeTestUtil.h"
#include "tests/support/TestDevice.h"

namespace {
constexpr int kW = 128, kH = 96;

// An opaque rectangle in screen pixels on whatever is the render target.
void DrawRect(float l, float t, float r, float b, D3DCOLOR colour) {
  DS_SimpleMesh<DX_V::SC> quad;
  FillQuadSC(quad, colour, RectangleQuad(l, t, r, b));
  IDirect3DDevice9* d = g_currentDevice;
  d->SetRenderState(D3DRS_LIGHTING, FALSE);
  d->SetRenderState(D3DRS_ZENABLE, FALSE);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  d->SetTexture(0, nullptr);
  d->BeginScene();
  BindVertices(quad);
  d->DrawPrimitive(quad.primitiveType, 0, quad.primitiveCount);
  d->EndScene();
}

uint32_t TexelRgb(IDirect3DTexture9* t, int x, int y) {
  UINT w = 0;
  auto px = ReadTexture(t, &w);
  return px.empty() ? 0xDEADBEEFu : px[size_t(y) * w + x] & 0xFFFFFFu;
}

ComRef<IDirect3DSurface9> RenderTarget() {
  ComRef<IDirect3DSurface9> s;
  g_currentDevice->GetRenderTarget(0, s.Put());
  return s;
}

class Capture : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dev.Ok()); }
  TestDevice dev{kW, kH};
};
}  // namespace

TEST_F(Capture, CreateMakesTwoTargetsOfTheSize) {
  DS_RenderTargetPair pair;
  EXPECT_FALSE(pair.current);
  pair.Create(kW, kH);
  ASSERT_TRUE(pair.Ready());
  EXPECT_EQ(pair.current.Get(), pair.targets[0].Get());
  EXPECT_NE(pair.targets[0].Get(), pair.targets[1].Get());
  D3DSURFACE_DESC desc;
  pair.targets[1]->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, UINT(kW));
  EXPECT_EQ(desc.Height, UINT(kH));
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
  EXPECT_EQ(desc.Usage & D3DUSAGE_RENDERTARGET, DWORD(D3DUSAGE_RENDERTARGET));
  EXPECT_EQ(pair.width, UINT(kW));
}

TEST_F(Capture, BeginSwapEndKeepsWhatWasDrawn) {
  dev.Clear(0xFFFFFFFF);
  ComRef<IDirect3DSurface9> backBuffer = RenderTarget();
  DS_RenderTargetPair pair;
  pair.Create(kW, kH);
  ASSERT_TRUE(pair.Ready());
  IDirect3DTexture9* first = pair.targets[0].Get();
  IDirect3DTexture9* second = pair.targets[1].Get();

  pair.Begin(pair.current.Get());
  EXPECT_NE(RenderTarget().Get(), backBuffer.Get());
  g_currentDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF202020, 1.0f, 0);
  DrawRect(10, 10, 50, 40, 0xFFFF0000);

  IDirect3DTexture9* scene = pair.Swap();
  EXPECT_EQ(scene, first);
  EXPECT_EQ(pair.index, 1);
  EXPECT_EQ(pair.current.Get(), second);
  DrawRect(60, 50, 100, 80, 0xFF00FF00);
  pair.End();
  EXPECT_EQ(RenderTarget().Get(), backBuffer.Get());

  // The first target holds the scene before the swap, the second what came after on
  // opaque black, and the back buffer none of it.
  EXPECT_EQ(TexelRgb(first, 20, 20), 0xFF0000u);
  EXPECT_EQ(TexelRgb(first, 80, 60), 0x202020u);
  EXPECT_EQ(TexelRgb(second, 80, 60), 0x00FF00u);
  EXPECT_EQ(TexelRgb(second, 20, 20), 0x000000u);
  EXPECT_TRUE(Near(dev.Pixel(20, 20), Rgba{255, 255, 255, 0}, 0));
  EXPECT_TRUE(Near(dev.Pixel(80, 60), Rgba{255, 255, 255, 0}, 0));
  EXPECT_FALSE(pair.savedRenderTarget);
  EXPECT_FALSE(pair.savedDepthSurface);
}

TEST_F(Capture, TwoSwapsAlternateAndClearTheNewTarget) {
  DS_RenderTargetPair pair;
  pair.Create(kW, kH);
  pair.Begin(pair.current.Get());
  DrawRect(0, 0, kW, kH, 0xFF0000FF);
  EXPECT_EQ(pair.Swap(), pair.targets[0].Get());
  DrawRect(0, 0, kW, kH, 0xFF00FF00);
  EXPECT_EQ(pair.Swap(), pair.targets[1].Get());
  EXPECT_EQ(pair.index, 0);
  pair.End();
  EXPECT_EQ(TexelRgb(pair.targets[0].Get(), 5, 5), 0x000000u);  // cleared by the second swap
  EXPECT_EQ(TexelRgb(pair.targets[1].Get(), 5, 5), 0x00FF00u);
}

TEST_F(Capture, EndRestoresANullDepthSurface) {
  g_currentDevice->SetDepthStencilSurface(nullptr);
  DS_RenderTargetPair pair;
  pair.Create(kW, kH);
  pair.Begin(pair.current.Get());
  pair.End();
  ComRef<IDirect3DSurface9> depth;
  g_currentDevice->GetDepthStencilSurface(depth.Put());
  EXPECT_FALSE(depth);
}

TEST_F(Capture, EndRestoresTheDepthSurfaceBeginFound) {
  ComRef<IDirect3DSurface9> before;
  g_currentDevice->GetDepthStencilSurface(before.Put());
  ASSERT_TRUE(before);
  DS_RenderTargetPair pair;
  pair.Create(kW, kH);
  pair.Begin(pair.current.Get());
  ComRef<IDirect3DSurface9> during;
  g_currentDevice->GetDepthStencilSurface(during.Put());
  EXPECT_FALSE(during);  // capture draws without depth
  pair.End();
  ComRef<IDirect3DSurface9> after;
  g_currentDevice->GetDepthStencilSurface(after.Put());
  EXPECT_EQ(after.Get(), before.Get());
}

TEST_F(Capture, CopiesASourceTextureIntoTheCurrentTarget) {
  auto source = MakeTexture(kW, kH, [](UINT x, UINT) { return x < kW / 2 ? 0xFF123456u : 0xFF654321u; });
  DS_RenderTargetPair pair;
  pair.CreateFromTexture(source.Get(), kW, kH);
  ASSERT_TRUE(pair.Ready());
  EXPECT_EQ(TexelRgb(pair.current.Get(), 10, 10), 0x123456u);
  EXPECT_EQ(TexelRgb(pair.current.Get(), kW - 10, 10), 0x654321u);
}

TEST_F(Capture, TargetsThatCannotBeMadeTurnTheCaptureOff) {
  dev.Clear(0xFFFFFFFF);
  ComRef<IDirect3DSurface9> backBuffer = RenderTarget();
  DS_RenderTargetPair pair;
  pair.Create(0, 0);
  EXPECT_FALSE(pair.Ready());
  EXPECT_FALSE(pair.current);
  EXPECT_FALSE(pair.targets[0]);
  pair.Begin(pair.current.Get());
  EXPECT_EQ(RenderTarget().Get(), backBuffer.Get());
  EXPECT_EQ(pair.Swap(), nullptr);
  DrawRect(10, 10, 30, 30, 0xFFFF0000);
  pair.End();
  EXPECT_EQ(RenderTarget().Get(), backBuffer.Get());
  EXPECT_TRUE(Near(dev.Pixel(20, 20), Rgba{255, 0, 0, 0}, 0));  // drawn straight to the screen

  // Swap and End without a Begin do nothing either.
  DS_RenderTargetPair idle;
  idle.Create(kW, kH);
  EXPECT_EQ(idle.Swap(), nullptr);
  EXPECT_EQ(idle.index, 0);
  idle.End();
  EXPECT_EQ(RenderTarget().Get(), backBuffer.Get());
}

TEST_F(Capture, ReleasedBeforeAResetAndMadeAgainAfterIt) {
  DS_RenderTargetPair pair;
  pair.Create(kW, kH);
  pair.Begin(pair.current.Get());
  pair.Swap();
  pair.End();
  ASSERT_EQ(pair.index, 1);

  pair.ReleaseTargets();
  EXPECT_FALSE(pair.current);
  EXPECT_FALSE(pair.targets[0]);
  EXPECT_FALSE(pair.targets[1]);
  ASSERT_EQ(dev.Device()->Reset(&dev.Params()), D3D_OK);

  pair.Create(kW, kH);
  ASSERT_TRUE(pair.Ready());
  EXPECT_EQ(pair.current.Get(), pair.targets[1].Get());  // resumes on the same target
  pair.Begin(pair.current.Get());
  g_currentDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FFFF, 1.0f, 0);
  pair.End();
  EXPECT_EQ(TexelRgb(pair.targets[1].Get(), 3, 3), 0x00FFFFu);
}

TEST_F(Capture, ResetFailsWhileTargetsAreHeld) {
  DS_RenderTargetPair pair;
  pair.Create(kW, kH);
  ASSERT_TRUE(pair.Ready());
  HRESULT held = dev.Device()->Reset(&dev.Params());
  EXPECT_EQ(held, D3DERR_INVALIDCALL);
  pair.ReleaseTargets();
  // A device whose reset failed needs another one once the default pool is empty.
  EXPECT_EQ(dev.Device()->Reset(&dev.Params()), D3D_OK);
}
