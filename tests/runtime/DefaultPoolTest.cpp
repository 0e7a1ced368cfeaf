// The default pool on a real device: what the watch reports, and what is unbound before a
// Reset. Wine resets a device that Windows would refuse, so the checks count references and
// ask the device for its bindings instead of trusting Reset.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/DefaultPool.h"
#include "runtime/DS_RenderTargetPair.h"
#include "tests/support/DeviceBindings.h"
#include "tests/support/TestDevice.h"

namespace {
constexpr int kW = 64, kH = 48;

class DefaultPool : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dev.Ok()); }
  TestDevice dev{kW, kH};
};
}  // namespace

TEST_F(DefaultPool, TheWatchNamesWhatIsStillHeldAndLetsTheRestGo) {
  DefaultPoolWatch watch;
  ComRef<IDirect3DTexture9> kept, dropped;
  ComRef<IDirect3DVertexBuffer9> vertices;
  ComRef<IDirect3DIndexBuffer9> indices;
  ASSERT_EQ(CreateRenderTargetTexture(kW, kH, D3DFMT_A8R8G8B8, "kept target", kept), D3D_OK);
  ASSERT_EQ(CreateRenderTargetTexture(kW, kH, D3DFMT_A8R8G8B8, "dropped target", dropped), D3D_OK);
  ASSERT_EQ(CreateDefaultPoolVertexBuffer(64, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFVF_XYZ, "vertices", vertices),
            D3D_OK);
  ASSERT_EQ(CreateDefaultPoolIndexBuffer(64, D3DUSAGE_WRITEONLY, "indices", indices), D3D_OK);
  EXPECT_EQ(watch.MadeCount(), 4u);

  // A surface of a texture holds the texture.
  ComRef<IDirect3DSurface9> level;
  ASSERT_EQ(dropped->GetSurfaceLevel(0, level.Put()), D3D_OK);
  dropped.Reset();
  vertices.Reset();
  EXPECT_EQ(watch.Survivors(), (std::vector<std::string>{"kept target", "dropped target", "indices"}));
  level.Reset();
  indices.Reset();
  EXPECT_EQ(watch.Survivors(), (std::vector<std::string>{"kept target"}));
  EXPECT_EQ(kept.RefCount(), 2u) << "the watch holds one reference";
  kept.Reset();
  EXPECT_TRUE(watch.Survivors().empty());
  // Nothing watched is left alive, so the device resets.
  EXPECT_EQ(dev.Device()->Reset(&dev.Params()), D3D_OK);
}

TEST_F(DefaultPool, WithoutAWatchNothingMoreIsHeld) {
  ComRef<IDirect3DTexture9> target;
  ASSERT_EQ(CreateRenderTargetTexture(kW, kH, D3DFMT_A8R8G8B8, "target", target), D3D_OK);
  EXPECT_EQ(target.RefCount(), 1u);
  D3DSURFACE_DESC desc{};
  target->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
  EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_RENDERTARGET));
  EXPECT_EQ(desc.Width, UINT(kW));
}

TEST_F(DefaultPool, TheBindingsOfADrawAreLetGoBeforeAReset) {
  IDirect3DDevice9* d = dev.Device();
  ComRef<IDirect3DTexture9> target;
  ComRef<IDirect3DVertexBuffer9> vertices;
  ComRef<IDirect3DIndexBuffer9> indices;
  ASSERT_EQ(CreateRenderTargetTexture(kW, kH, D3DFMT_A8R8G8B8, "target", target), D3D_OK);
  ASSERT_EQ(CreateDefaultPoolVertexBuffer(96, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, D3DFVF_XYZ, "vertices", vertices),
            D3D_OK);
  ASSERT_EQ(CreateDefaultPoolIndexBuffer(64, D3DUSAGE_WRITEONLY, "indices", indices), D3D_OK);
  for (DWORD sampler : {0u, 3u, 15u}) d->SetTexture(sampler, target.Get());
  d->SetStreamSource(0, vertices.Get(), 0, 12);
  d->SetStreamSource(1, vertices.Get(), 0, 12);
  d->SetIndices(indices.Get());
  ComRef<IDirect3DSurface9> level;
  target->GetSurfaceLevel(0, level.Put());
  d->SetRenderTarget(0, level.Get());
  level.Reset();
  EXPECT_EQ(DeviceBindings(d), (std::vector<std::string>{"texture on sampler 0", "texture on sampler 3",
                                                         "texture on sampler 15", "vertex buffer on stream 0",
                                                         "vertex buffer on stream 1", "indices",
                                                         "render target 0 is not the back buffer"}));

  ReleaseDeviceBindings(d);
  EXPECT_TRUE(DeviceBindings(d).empty());
  EXPECT_EQ(target.RefCount(), 1u);
  target.Reset();
  vertices.Reset();
  indices.Reset();
  EXPECT_EQ(d->Reset(&dev.Params()), D3D_OK);
  dev.Clear(D3DCOLOR_XRGB(10, 200, 30));
  EXPECT_TRUE(Near(dev.Pixel(5, 5), Rgba{10, 200, 30, 255}, 0)) << "the back buffer draws again";
}

TEST_F(DefaultPool, ThePairsTargetsAreWatchedAndGoWithTheirRelease) {
  DefaultPoolWatch watch;
  DS_RenderTargetPair pair;
  pair.Create(kW, kH);
  ASSERT_TRUE(pair.Ready());
  pair.Begin(pair.current.Get());
  pair.Swap();
  pair.End();
  EXPECT_EQ(watch.MadeCount(), 2u);
  EXPECT_EQ(watch.Survivors(), (std::vector<std::string>{"scene capture target", "scene capture target"}));
  pair.ReleaseTargets();
  EXPECT_TRUE(watch.Survivors().empty());
  EXPECT_TRUE(DeviceBindings(dev.Device()).empty()) << "End restored the back buffer";
}
