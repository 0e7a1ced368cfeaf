// Pictures and .x meshes from memory, files and the program's "DDS" resources.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "device/MeshLoading.h"
#include "device/Meshes.h"
#include "device/TextureHelpers.h"
#include "runtime/ScreenSelection.h"
#include "tests/runtime/RuntimeTestUtil.h"
#include "tests/support/TestDevice.h"

namespace {
std::vector<char> ReadFile(const char* name) {
  std::ifstream f(name, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

struct PictureCase {
  const char* file;
  WORD resource;
  UINT width, height;
  Rgba colour;
};
// D3DX_DEFAULT asks D3DX for the file's size rounded up to powers of two; the image info
// keeps the file's own size, which is what the texture infos record.
UINT NextPow2(UINT v) {
  UINT p = 1;
  while (p < v) p <<= 1;
  return p;
}
const PictureCase kPictures[] = {
    {"picture.png", 101, 48, 32, {255, 0, 0, 0}},
    {"picture.jpg", 102, 40, 24, {0, 255, 0, 0}},
    {"picture.dds", 103, 32, 16, {0, 0, 255, 0}},
};

Rgba CentreTexel(IDirect3DTexture9* t) {
  UINT w = 0, h = 0;
  auto px = ReadTexture(t, &w, &h);
  if (px.empty()) return {-1, -1, -1, -1};
  return TestDevice::At(px, int(w), int(w / 2), int(h / 2));
}

class Loading : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dev.Ok()); }
  TestDevice dev{64, 64};
};
}  // namespace

TEST_F(Loading, PicturesFromMemoryReportTheirSize) {
  for (const auto& c : kPictures) {
    auto bytes = ReadFile(c.file);
    ASSERT_FALSE(bytes.empty()) << c.file;
    D3DXIMAGE_INFO info{};
    ComRef<IDirect3DTexture9> tex;
    ASSERT_EQ(LoadTextureFromMemory(bytes.data(), UINT(bytes.size()), &info, tex), S_OK) << c.file;
    ASSERT_TRUE(tex);
    EXPECT_EQ(info.Width, c.width) << c.file;
    EXPECT_EQ(info.Height, c.height) << c.file;
    D3DSURFACE_DESC desc;
    tex->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, NextPow2(c.width)) << c.file;
    EXPECT_EQ(desc.Height, NextPow2(c.height)) << c.file;
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(tex->GetLevelCount(), 1u);
    EXPECT_TRUE(Near(CentreTexel(tex.Get()), c.colour, 6)) << c.file;
  }
}

TEST_F(Loading, PicturesFromTheProgramsResources) {
  for (const auto& c : kPictures) {
    ComRef<IDirect3DTexture9> tex;
    ASSERT_EQ(LoadTextureFromResource(tex, c.resource, false), S_OK) << c.file;
    D3DSURFACE_DESC desc;
    tex->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, NextPow2(c.width)) << c.file;
    EXPECT_EQ(desc.Height, NextPow2(c.height)) << c.file;
    EXPECT_EQ(tex->GetLevelCount(), 1u);
    EXPECT_TRUE(Near(CentreTexel(tex.Get()), c.colour, 6)) << c.file;

    ComRef<IDirect3DTexture9> mipped;
    ASSERT_EQ(LoadTextureFromResource(mipped, c.resource, true), S_OK);
    EXPECT_GT(mipped->GetLevelCount(), 1u) << c.file;

    D3DXIMAGE_INFO info{};
    ComRef<IDirect3DTexture9> fromModule;
    ASSERT_EQ(LoadTextureFromModule(GetModuleHandleW(nullptr), c.resource, fromModule, &info), S_OK);
    EXPECT_EQ(info.Width, c.width);
    EXPECT_EQ(info.Height, c.height);

    DS_TextureInfo ti;
    MakeTextureInfo(info.Width, info.Height, ti, fromModule.Get());
    EXPECT_FLOAT_EQ(ti.aspect, float(c.height) / float(c.width));
  }
}

TEST_F(Loading, MissingOrUndecodablePicturesLeaveTheReferenceAsItWas) {
  ComRef<IDirect3DTexture9> none;
  EXPECT_EQ(LoadTextureFromResource(none, 999, false), E_FAIL);
  EXPECT_FALSE(none);
  EXPECT_EQ(LoadTextureFromModule(GetModuleHandleW(nullptr), 999, none, nullptr), E_FAIL);
  EXPECT_FALSE(none);

  ComRef<IDirect3DTexture9> held = MakeTexture(2, 2, [](UINT, UINT) { return 0u; });
  IDirect3DTexture9* before = held.Get();
  EXPECT_EQ(LoadTextureFromResource(held, 999, true), E_FAIL);
  EXPECT_EQ(held.Get(), before);
  const char junk[] = "certainly not a picture";
  HRESULT hr = LoadTextureFromMemory(junk, sizeof junk, nullptr, held);
  EXPECT_TRUE(FAILED(hr));
  EXPECT_EQ(held.Get(), before);
  EXPECT_EQ(LoadTextureFromMemory(nullptr, 0, nullptr, held), E_FAIL);
  EXPECT_EQ(held.Get(), before);
}

namespace {
// Every byte of every level of a texture, rows without their padding.
std::vector<std::vector<uint8_t>> LevelBytes(IDirect3DTexture9* texture, UINT bytesPerPixel) {
  std::vector<std::vector<uint8_t>> levels;
  for (DWORD level = 0; level < texture->GetLevelCount(); ++level) {
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT locked;
    texture->GetLevelDesc(level, &desc);
    if (FAILED(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY))) return {};
    std::vector<uint8_t> bytes;
    for (UINT y = 0; y < desc.Height; ++y) {
      const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch;
      bytes.insert(bytes.end(), row, row + desc.Width * bytesPerPixel);
    }
    texture->UnlockRect(level);
    levels.push_back(std::move(bytes));
  }
  return levels;
}

struct DdsCase {
  D3DFORMAT format;
  UINT bytesPerPixel;
  UINT levels;  // 0: the full chain
};
}  // namespace

TEST_F(Loading, SavedDdsReadsBackWithItsFormatAndEveryLevel) {
  const DdsCase cases[] = {{D3DFMT_A8R8G8B8, 4, 0}, {D3DFMT_A8R8G8B8, 4, 1}, {D3DFMT_X8R8G8B8, 4, 1},
                           {D3DFMT_A8, 1, 0},       {D3DFMT_L8, 1, 0},       {D3DFMT_R5G6B5, 2, 1}};
  for (const DdsCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "format " << c.format << ", levels " << c.levels);
    ComRef<IDirect3DTexture9> texture;
    ASSERT_EQ(D3DXCreateTexture(dev.Device(), 16, 8, c.levels, 0, c.format, D3DPOOL_MANAGED, texture.Put()), D3D_OK);
    for (DWORD level = 0; level < texture->GetLevelCount(); ++level) {
      D3DSURFACE_DESC desc;
      D3DLOCKED_RECT locked;
      texture->GetLevelDesc(level, &desc);
      ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
      for (UINT y = 0; y < desc.Height; ++y)
        for (UINT x = 0; x < desc.Width * c.bytesPerPixel; ++x)
          static_cast<uint8_t*>(locked.pBits)[size_t(y) * locked.Pitch + x] = uint8_t(x * 7 + y * 31 + level * 50);
      texture->UnlockRect(level);
    }
    ComRef<ID3DXBuffer> dds;
    ASSERT_EQ(SaveTextureToDds(texture.Get(), dds), S_OK);
    ASSERT_TRUE(dds);
    ASSERT_GE(dds->GetBufferSize(), 128u);
    EXPECT_EQ(std::memcmp(dds->GetBufferPointer(), "DDS ", 4), 0);

    ComRef<IDirect3DTexture9> read;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(dev.Device(), dds->GetBufferPointer(), dds->GetBufferSize(),
                                                  D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, D3DX_FROM_FILE, 0,
                                                  D3DFMT_FROM_FILE, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                                  D3DX_FILTER_NONE, 0, &info, nullptr, read.Put()),
              D3D_OK);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS);
    EXPECT_EQ(info.Format, c.format);
    EXPECT_EQ(info.Width, 16u);
    EXPECT_EQ(info.Height, 8u);
    EXPECT_EQ(info.MipLevels, texture->GetLevelCount());
    EXPECT_EQ(LevelBytes(read.Get(), c.bytesPerPixel), LevelBytes(texture.Get(), c.bytesPerPixel));
  }
}

TEST_F(Loading, SavingAsDdsFailsWithoutABuffer) {
  ComRef<ID3DXBuffer> out;
  EXPECT_EQ(SaveTextureToDds(nullptr, out), E_POINTER);
  EXPECT_FALSE(out);
  // A float format is left to D3DX, which may not write it: then there is no buffer either.
  ComRef<IDirect3DTexture9> texture;
  ASSERT_EQ(D3DXCreateTexture(dev.Device(), 4, 4, 1, 0, D3DFMT_A16B16G16R16F, D3DPOOL_MANAGED, texture.Put()), D3D_OK);
  if (FAILED(SaveTextureToDds(texture.Get(), out))) {
    EXPECT_FALSE(out);
  }
}

TEST_F(Loading, BackBufferDescription) {
  D3DSURFACE_DESC desc;
  GetBackBufferDesc(desc);
  EXPECT_EQ(desc.Width, 64u);
  EXPECT_EQ(desc.Height, 64u);
  ScopedScreen noDevice(ScreenSelection::Current().WithDevice(nullptr));
  GetBackBufferDesc(desc);
  EXPECT_EQ(desc.Width, 0u);
  EXPECT_EQ(desc.Height, 0u);
}

namespace {
void ExpectCube(const DS_MeshRecord& m) {
  EXPECT_EQ(m.vertexCount, 24u);
  EXPECT_EQ(m.faceCount, 12u);
  EXPECT_NEAR(m.boundingRadius, 1.732f, 1e-3);
  EXPECT_NEAR(m.boundingCentre.x, 0.0f, 1e-5);
  EXPECT_NEAR(m.boundingCentre.y, 0.0f, 1e-5);
  EXPECT_NEAR(m.boundingCentre.z, 0.0f, 1e-5);
  ASSERT_TRUE(m.vertexBuffer);
  ASSERT_TRUE(m.indexBuffer);
  D3DVERTEXBUFFER_DESC vd;
  m.vertexBuffer->GetDesc(&vd);
  EXPECT_EQ(vd.Size, 24u * 32u);
  EXPECT_EQ(vd.Pool, D3DPOOL_MANAGED);
  D3DINDEXBUFFER_DESC id;
  m.indexBuffer->GetDesc(&id);
  EXPECT_EQ(id.Size, 12u * 3u * 2u);
  EXPECT_EQ(id.Format, D3DFMT_INDEX16);
  // Positions and normals as the layout holds them: every corner at distance sqrt 3,
  // every normal of unit length.
  void* p = nullptr;
  ASSERT_TRUE(SUCCEEDED(m.vertexBuffer->Lock(0, 0, &p, D3DLOCK_READONLY)));
  auto* v = static_cast<const DX_V::PNT*>(p);
  for (int i = 0; i < 24; ++i) {
    EXPECT_NEAR(v[i].x * v[i].x + v[i].y * v[i].y + v[i].z * v[i].z, 3.0f, 1e-4);
    EXPECT_NEAR(v[i].nx * v[i].nx + v[i].ny * v[i].ny + v[i].nz * v[i].nz, 1.0f, 1e-4);
  }
  m.vertexBuffer->Unlock();
}
}  // namespace

TEST_F(Loading, CubeMeshFromFileMemoryAndResource) {
  DS_MeshRecord fromFile, fromMemory, fromResource;
  EXPECT_EQ(LoadMeshFromFile(L"cube.x", 32, fromFile), S_OK);
  ExpectCube(fromFile);
  auto bytes = ReadFile("cube.x");
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(LoadMeshFromMemory(bytes.data(), UINT(bytes.size()), 32, fromMemory), S_OK);
  ExpectCube(fromMemory);
  EXPECT_EQ(LoadMeshFromResource(nullptr, 110, 32, fromResource), S_OK);
  ExpectCube(fromResource);
}

TEST_F(Loading, LoadedCubeDrawsThroughItsIndexedBinding) {
  DS_MeshRecord cube;
  ASSERT_EQ(LoadMeshFromResource(nullptr, 110, 32, cube), S_OK);
  DS_IndexedMesh<DX_V::PNT> mesh;
  mesh.vertexBuffer = cube.vertexBuffer;
  mesh.indexBuffer = cube.indexBuffer;
  mesh.vertexCount = cube.vertexCount;
  mesh.primitiveType = D3DPT_TRIANGLELIST;
  mesh.indexedPrimitiveCount = cube.faceCount;

  // The cube's -1..1 on a 4 x 4 orthographic view covers pixels 16..48 of 64.
  IDirect3DDevice9* d = dev.Device();
  D3DXMATRIX identity, projection;
  D3DXMatrixIdentity(&identity);
  D3DXMatrixOrthoLH(&projection, 4.0f, 4.0f, -5.0f, 5.0f);
  d->SetTransform(D3DTS_WORLD, &identity);
  d->SetTransform(D3DTS_VIEW, &identity);
  d->SetTransform(D3DTS_PROJECTION, &projection);
  d->SetRenderState(D3DRS_LIGHTING, FALSE);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  dev.Clear(0xFF000000);
  d->BeginScene();
  BindIndexedPNT(mesh);
  d->DrawIndexedPrimitive(mesh.primitiveType, 0, 0, mesh.vertexCount, 0, mesh.indexedPrimitiveCount);
  d->EndScene();
  auto px = dev.ReadBack();
  ASSERT_EQ(px.size(), 64u * 64u);
  for (int y = 18; y <= 46; y += 7)
    for (int x = 18; x <= 46; x += 7)
      EXPECT_TRUE(Near(TestDevice::At(px, 64, x, y), Rgba{255, 255, 255, 0}, 0)) << x << "," << y;
  for (int i : {4, 12, 52, 60}) {
    EXPECT_TRUE(Near(TestDevice::At(px, 64, i, 32), Rgba{0, 0, 0, 0}, 0)) << i;
    EXPECT_TRUE(Near(TestDevice::At(px, 64, 32, i), Rgba{0, 0, 0, 0}, 0)) << i;
  }
}

TEST_F(Loading, MissingOrBrokenMeshesGiveAnEmptyRecord) {
  DS_MeshRecord m;
  ASSERT_EQ(LoadMeshFromResource(nullptr, 110, 32, m), S_OK);
  ASSERT_EQ(m.vertexCount, 24u);

  // A failure also empties a record that held a mesh before.
  EXPECT_TRUE(FAILED(LoadMeshFromFile(L"no-such-mesh.x", 32, m)));
  EXPECT_EQ(m.vertexCount, 0u);
  EXPECT_FALSE(m.vertexBuffer);
  EXPECT_FALSE(m.indexBuffer);

  std::string broken = "xof 0303txt 0032\nMesh Broken {\n 3;\n 0.0;0.0;";
  EXPECT_TRUE(FAILED(LoadMeshFromMemory(broken.data(), UINT(broken.size()), 32, m)));
  EXPECT_EQ(m.vertexCount, 0u);
  const char junk[] = "not a mesh at all";
  EXPECT_TRUE(FAILED(LoadMeshFromMemory(junk, sizeof junk, 32, m)));
  EXPECT_EQ(m.vertexCount, 0u);
  EXPECT_TRUE(FAILED(LoadMeshFromMemory(nullptr, 0, 32, m)));
  EXPECT_TRUE(FAILED(LoadMeshFromResource(nullptr, 999, 32, m)));
  EXPECT_EQ(m.vertexCount, 0u);
  EXPECT_TRUE(FAILED(LoadMeshFromResource(nullptr, 101, 32, m)));  // a picture, not a mesh
  EXPECT_EQ(m.vertexCount, 0u);
  // More vertices than 16-bit indices address: refused rather than drawn with cut indices.
  std::string big = "xof 0303txt 0032\nMesh Big {\n65540;\n";
  for (int i = 0; i < 65540; ++i)
    big += std::to_string(i % 256) + ".0;" + std::to_string(i / 256) + ".0;0.0;" + (i < 65539 ? ",\n" : ";\n");
  big += "2;\n3;0,1,256;,\n3;65537,65538,65539;;\n}\n";
  EXPECT_EQ(LoadMeshFromMemory(big.data(), UINT(big.size()), 32, m), D3DXERR_INVALIDMESH);
  EXPECT_EQ(m.vertexCount, 0u);
  EXPECT_FALSE(m.indexBuffer);
  // More bytes per vertex than the layout has would read past the mesh's buffer.
  EXPECT_EQ(LoadMeshFromResource(nullptr, 110, 64, m), E_INVALIDARG);
  EXPECT_EQ(m.vertexCount, 0u);
}
