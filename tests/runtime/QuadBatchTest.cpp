// The glyph batch: chunks of at most 16383 quads (so that 16-bit indices reach every
// vertex), the index pattern of a quad, the corners a quad is given, and drawing.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "runtime/DS_QuadBatch.h"
#include "tests/runtime/RuntimeTestUtil.h"
#include "tests/support/TestDevice.h"

namespace {

std::vector<uint16_t> Indices(DS_QuadBatch& chunk) {
  std::vector<uint16_t> out;
  if (uint16_t* i = chunk.LockIndices()) {
    out.assign(i, i + 3 * chunk.indexedPrimitiveCount);
    chunk.UnlockIndices();
  }
  return out;
}

TEST(QuadBatch, EachQuadUsesItsFourVerticesInTwoTriangles) {
  std::array<uint16_t, 6> first{}, last{};
  WriteQuadIndices(0, first.data());
  WriteQuadIndices(DS_QuadBatch::kMaxQuads - 1, last.data());
  EXPECT_EQ(first, (std::array<uint16_t, 6>{0, 1, 2, 2, 1, 3}));
  // The highest index of a full chunk still fits in 16 bits.
  EXPECT_EQ(last, (std::array<uint16_t, 6>{65528, 65529, 65530, 65530, 65529, 65531}));

  TestDevice device(64, 64);
  ASSERT_TRUE(device.Ok());
  DS_QuadBatch chunk;
  ASSERT_HRESULT_SUCCEEDED(chunk.Init(2));
  EXPECT_EQ(chunk.vertexCount, 8u);
  EXPECT_EQ(chunk.indexedPrimitiveCount, 4u);
  EXPECT_EQ(chunk.primitiveType, D3DPT_TRIANGLELIST);
  EXPECT_EQ(Indices(chunk), (std::vector<uint16_t>{0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7}));
}

TEST(QuadBatch, ChunksHoldAtMost16383Quads) {
  TestDevice device(64, 64);
  ASSERT_TRUE(device.Ok());
  struct Case {
    uint32_t quads;
    std::vector<uint32_t> perChunk;
  };
  const Case cases[] = {
      {0, {0}},
      {1, {1}},
      {16382, {16382}},
      // An exact multiple leaves a last chunk of no quads: it has no buffers, and locking and
      // drawing pass it by.
      {16383, {16383, 0}},
      {16384, {16383, 1}},
      {2 * 16383 + 5, {16383, 16383, 5}},
  };
  ComRef<IDirect3DTexture9> texture = MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.quads);
    DS_QuadBatchList batch;
    batch.SetTexture(texture.Get());
    batch.Resize(c.quads);
    EXPECT_EQ(batch.QuadCount(), c.quads);
    ASSERT_EQ(batch.Chunks().size(), c.perChunk.size());
    for (size_t i = 0; i < c.perChunk.size(); ++i) {
      const DS_QuadBatch& chunk = batch.Chunks()[i];
      EXPECT_EQ(chunk.QuadCount(), c.perChunk[i]);
      EXPECT_EQ(bool(chunk.vertexBuffer), c.perChunk[i] > 0);
      EXPECT_EQ(bool(chunk.indexBuffer), c.perChunk[i] > 0);
      EXPECT_EQ(chunk.indexedPrimitiveCount, 2 * c.perChunk[i]);
      EXPECT_EQ(chunk.texture.Get(), texture.Get()) << "every chunk shares the first chunk's texture";
    }
    batch.Lock();
    for (const DS_QuadBatch& chunk : batch.Chunks()) EXPECT_EQ(chunk.lockedVertices != nullptr, chunk.QuadCount() > 0);
    // The last quad is reachable through its chunk.
    if (c.quads > 0) batch.SetQuadColor(c.quads - 1, 0xFF123456u);
    batch.Unlock();
    device.Device()->BeginScene();
    batch.Draw();
    device.Device()->EndScene();
  }
}

TEST(QuadBatch, AQuadIsPlacedFromItsCentreAndHalfVectors) {
  TestDevice device(64, 64);
  ASSERT_TRUE(device.Ok());
  DS_QuadBatchList batch;
  batch.Resize(2);
  DS_QuadBatch& chunk = batch.Chunks()[0];
  batch.Lock();
  // A fresh quad: every corner at the origin, rhw 1, no colour, the whole texture.
  const DX_V::SCT fresh[4] = {{0, 0, 0, 1, 0, 0, 1}, {0, 0, 0, 1, 0, 0, 0}, {0, 0, 0, 1, 0, 1, 1}, {0, 0, 0, 1, 0, 1, 0}};
  for (int k = 0; k < 4; ++k) {
    const DX_V::SCT& v = chunk.lockedVertices[4 + k];
    EXPECT_EQ(std::tie(v.x, v.y, v.rhw, v.color, v.u, v.v),
              std::tie(fresh[k].x, fresh[k].y, fresh[k].rhw, fresh[k].color, fresh[k].u, fresh[k].v));
  }
  batch.SetQuadPosition(1, D3DXVECTOR3(10, 20, 0), D3DXVECTOR3(3, 0, 0), D3DXVECTOR3(0, 5, 0));
  batch.SetQuadColor(1, 0x80FF0000u);
  chunk.SetQuadTexCoords(1, 0.0f, 1.0f, 0.25f, 0.5f);
  // Bottom left, top left, bottom right, top right (y grows down the screen).
  const float expected[4][4] = {{7, 25, 0, 0.5f}, {7, 15, 0, 0.25f}, {13, 25, 1, 0.5f}, {13, 15, 1, 0.25f}};
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    const DX_V::SCT& v = chunk.lockedVertices[4 + k];
    EXPECT_FLOAT_EQ(v.x, expected[k][0]);
    EXPECT_FLOAT_EQ(v.y, expected[k][1]);
    EXPECT_FLOAT_EQ(v.u, expected[k][2]);
    EXPECT_FLOAT_EQ(v.v, expected[k][3]);
    EXPECT_FLOAT_EQ(v.rhw, 1.0f);
    EXPECT_EQ(v.color, 0x80FF0000u);
  }
  // Quad 0 was not touched.
  EXPECT_EQ(chunk.lockedVertices[0].color, 0u);
  // Beyond the batch nothing is written.
  batch.SetQuadPosition(2, D3DXVECTOR3(1, 1, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0));
  batch.Unlock();
}

TEST(QuadBatch, DrawsItsQuadsWithTheirColoursOverTheTexture) {
  constexpr int kSize = 64;
  TestDevice device(kSize, kSize);
  ASSERT_TRUE(device.Ok());
  IDirect3DDevice9* d = device.Device();
  // The upper half of the texture white, the lower half transparent.
  ComRef<IDirect3DTexture9> texture =
      MakeTexture(8, 8, [](UINT, UINT y) { return y < 4 ? 0xFFFFFFFFu : 0x00000000u; });
  DS_QuadBatchList batch;
  batch.SetTexture(texture.Get());
  batch.Resize(2);
  batch.Lock();
  batch.SetQuadPosition(0, D3DXVECTOR3(16, 16, 0), D3DXVECTOR3(8, 0, 0), D3DXVECTOR3(0, 8, 0));
  batch.SetQuadColor(0, 0xFFFF0000u);
  batch.SetQuadPosition(1, D3DXVECTOR3(48, 48, 0), D3DXVECTOR3(8, 0, 0), D3DXVECTOR3(0, 8, 0));
  batch.SetQuadColor(1, 0xFF00FF00u);
  batch.Chunks()[0].SetQuadTexCoords(1, 0.0f, 1.0f, 0.0f, 0.5f);  // only the white half
  batch.Unlock();
  device.Clear(0xFF000000u);
  d->BeginScene();
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  batch.Draw();
  d->EndScene();
  std::vector<uint32_t> px = device.ReadBack();
  auto at = [&](int x, int y) { return TestDevice::At(px, kSize, x, y); };
  EXPECT_TRUE(Near(at(16, 12), Rgba{255, 0, 0, 0}, 8)) << "the white half of the texture, red";
  EXPECT_TRUE(Near(at(16, 21), Rgba{0, 0, 0, 0}, 8)) << "the transparent half";
  EXPECT_TRUE(Near(at(48, 44), Rgba{0, 255, 0, 0}, 8));
  EXPECT_TRUE(Near(at(48, 52), Rgba{0, 255, 0, 0}, 8)) << "the second quad shows only the white half";
  EXPECT_TRUE(Near(at(32, 32), Rgba{0, 0, 0, 0}, 0));
}

}  // namespace
