// The device calls made only as Windows' Direct3D 9 accepts them: clears of the surfaces
// that are bound, and render-target copies of the documented kind. Wine would take the
// calls either way, so these tests look at what our own checks decide on real surfaces.
#include <gtest/gtest.h>

#include "device/ComRef.h"
#include "device/StrictCalls.h"
#include "tests/support/TestDevice.h"

TEST(StrictCalls, ClearsOnlyTheSurfacesThatAreBound) {
  TestDevice dev(32, 32);
  ASSERT_TRUE(dev.Ok());
  IDirect3DDevice9* d = dev.Device();
  constexpr DWORD kAll = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
  ComRef<IDirect3DSurface9> autoDepth, withStencil;
  ASSERT_EQ(d->GetDepthStencilSurface(autoDepth.Put()), D3D_OK);  // D16: no stencil
  ASSERT_EQ(d->CreateDepthStencilSurface(32, 32, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, TRUE, withStencil.Put(),
                                         nullptr),
            D3D_OK);
  struct Case {
    const char* bound;
    IDirect3DSurface9* depth;
    DWORD allowed;
  };
  for (const Case& c : {Case{"D16", autoDepth.Get(), DWORD(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER)},
                        Case{"D24S8", withStencil.Get(), kAll}, Case{"no depth surface", nullptr, D3DCLEAR_TARGET}}) {
    SCOPED_TRACE(c.bound);
    d->SetDepthStencilSurface(c.depth);
    EXPECT_EQ(ClearableFlags(d, kAll), c.allowed);
    EXPECT_EQ(ClearableFlags(d, D3DCLEAR_TARGET), DWORD(D3DCLEAR_TARGET));
  }

  // Without a depth surface the target is still cleared; a depth clear alone does nothing.
  dev.Clear(0xFF000000u);
  EXPECT_EQ(ClearBoundSurfaces(d, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF20C040u, 1.0f, 0), D3D_OK);
  EXPECT_TRUE(Near(dev.Pixel(5, 5), Rgba{0x20, 0xC0, 0x40, 255}, 0));
  EXPECT_EQ(ClearBoundSurfaces(d, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
  EXPECT_TRUE(Near(dev.Pixel(5, 5), Rgba{0x20, 0xC0, 0x40, 255}, 0));
  d->SetDepthStencilSurface(autoDepth.Get());
}

// Wine copies into any of these; the documentation allows only a render target without
// multisampling into a system-memory surface of its size and format.
TEST(StrictCalls, RenderTargetCopiesAreOfTheDocumentedKind) {
  TestDevice dev(32, 32);
  ASSERT_TRUE(dev.Ok());
  IDirect3DDevice9* d = dev.Device();
  ComRef<IDirect3DSurface9> back;
  ASSERT_EQ(d->GetRenderTarget(0, back.Put()), D3D_OK);
  D3DSURFACE_DESC backDesc;
  back->GetDesc(&backDesc);
  ComRef<IDirect3DTexture9> target, managed;
  ASSERT_EQ(d->CreateTexture(32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, target.Put(), nullptr),
            D3D_OK);
  ASSERT_EQ(d->CreateTexture(32, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, managed.Put(), nullptr), D3D_OK);
  ComRef<IDirect3DSurface9> targetLevel, managedLevel;
  target->GetSurfaceLevel(0, targetLevel.Put());
  managed->GetSurfaceLevel(0, managedLevel.Put());
  auto plain = [&](UINT w, UINT h, D3DFORMAT f, D3DPOOL pool) {
    ComRef<IDirect3DSurface9> s;
    d->CreateOffscreenPlainSurface(w, h, f, pool, s.Put(), nullptr);
    return s;
  };
  struct Case {
    const char* what;
    IDirect3DSurface9* from;
    ComRef<IDirect3DSurface9> into;
    bool allowed;
  };
  const Case cases[] = {
      {"back buffer into its copy", back.Get(), plain(32, 32, backDesc.Format, D3DPOOL_SYSTEMMEM), true},
      {"render texture into its copy", targetLevel.Get(), plain(32, 32, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM), true},
      {"into a smaller surface", targetLevel.Get(), plain(16, 32, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM), false},
      {"into another format", targetLevel.Get(), plain(32, 32, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM), false},
      {"into the default pool", targetLevel.Get(), plain(32, 32, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT), false},
      {"from a managed texture", managedLevel.Get(), plain(32, 32, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(c.into);
    D3DSURFACE_DESC from, into;
    c.from->GetDesc(&from);
    c.into->GetDesc(&into);
    EXPECT_EQ(CheckRenderTargetCopy(from, into), c.allowed ? D3D_OK : D3DERR_INVALIDCALL);
    EXPECT_EQ(CopyRenderTargetData(d, c.from, c.into.Get()), c.allowed ? D3D_OK : D3DERR_INVALIDCALL);
  }
  D3DSURFACE_DESC multisampled = backDesc;
  multisampled.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
  D3DSURFACE_DESC copy = backDesc;
  copy.Pool = D3DPOOL_SYSTEMMEM;
  copy.Usage = 0;
  EXPECT_EQ(CheckRenderTargetCopy(backDesc, copy), D3D_OK);
  EXPECT_EQ(CheckRenderTargetCopy(multisampled, copy), D3DERR_INVALIDCALL);
}
