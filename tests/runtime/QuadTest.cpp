// Quad fills, alpha and colour setters, grid fills and texture-info conversion.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "device/TextureHelpers.h"
#include "runtime/DS_View2D.h"
#include "runtime/Quads.h"
#include "tests/runtime/RuntimeTestUtil.h"
#include "tests/support/TestDevice.h"

namespace {
DS_QuadCorners Corners(float l, float t, float r, float b) { return RectangleQuad(l, t, r, b); }
template <class V>
std::vector<V> Vertices(DS_SimpleMesh<V>& m) {
  std::vector<V> out;
  if (V* v = m.Lock()) {
    out.assign(v, v + m.vertexCount);
    m.Unlock();
  }
  return out;
}
}  // namespace

TEST(Quad, AlphaByteTruncates) {
  EXPECT_EQ(AlphaByte(1.0f), 255u);
  EXPECT_EQ(AlphaByte(0.999f), 254u);
  EXPECT_EQ(AlphaByte(0.0f), 0u);
  EXPECT_EQ(WithAlpha(0x12345678u, 1.0f), 0xFF345678u);
}

TEST(Quad, ScreenColourQuadFillAndEdgeAlphas) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  DS_SimpleMesh<DX_V::SC> quad;
  DS_QuadCorners c = Corners(10, 20, 30, 40);
  c.corner[2].z = 0.5f;
  FillQuadSC(quad, 0x80112233u, c);
  auto v = Vertices(quad);
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[0].x, 10.0f);
  EXPECT_EQ(v[0].y, 40.0f);
  EXPECT_EQ(v[3].x, 30.0f);
  EXPECT_EQ(v[3].y, 20.0f);
  EXPECT_EQ(v[2].rhw, 0.5f);
  EXPECT_EQ(v[2].z, 0.0f);
  for (auto& x : v) EXPECT_EQ(x.color, 0x80112233u);

  // (1, 0, 1, 0): left edge opaque, right edge transparent; colours kept.
  SetQuadAlphaSC(quad, 1.0f, 0.0f, 1.0f, 0.0f);
  v = Vertices(quad);
  EXPECT_EQ(v[0].color, 0xFF112233u);
  EXPECT_EQ(v[1].color, 0xFF112233u);
  EXPECT_EQ(v[2].color, 0x00112233u);
  EXPECT_EQ(v[3].color, 0x00112233u);

  // A quad without a buffer is left alone.
  DS_SimpleMesh<DX_V::SC> empty;
  SetQuadAlphaSC(empty, 1, 1, 1, 1);
  EXPECT_FALSE(empty.vertexBuffer);
}

TEST(Quad, WorldColourQuadKeepsAlphaWhenRecoloured) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  DS_SimpleMesh<DX_V::PC> quad;
  FillQuadPC(quad, 0x40FFFFFFu, Corners(0, 0, 5, 5));
  SetQuadColorPC(quad, 0xFF00FF00u);
  for (auto& x : Vertices(quad)) EXPECT_EQ(x.color, 0x4000FF00u);
  SetQuadAlphaPC(quad, 0.5f, 0.5f, 0.5f, 1.0f);
  auto v = Vertices(quad);
  EXPECT_EQ(v[0].color >> 24, 127u);
  EXPECT_EQ(v[3].color >> 24, 255u);
}

TEST(Quad, TexturedScreenQuadHoldsItsTexture) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  auto tex = MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; });
  DS_TexturedQuad<DX_V::SCT> quad;
  SetQuadTextureSCT(quad, tex.Get(), Corners(1, 2, 3, 4));
  EXPECT_EQ(quad.texture.Get(), tex.Get());
  EXPECT_EQ(tex.RefCount(), 2u);
  auto v = Vertices(quad);
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[0].u, 0.0f);
  EXPECT_EQ(v[0].v, 1.0f);
  EXPECT_EQ(v[3].u, 1.0f);
  EXPECT_EQ(v[3].v, 0.0f);
  for (auto& x : v) EXPECT_EQ(x.color, 0xFFFFFFFFu);

  // Passing its own texture again keeps the single reference.
  SetQuadTextureSCT(quad, quad.texture.Get(), Corners(1, 2, 3, 4));
  EXPECT_EQ(tex.RefCount(), 2u);

  SetQuadAlphaSCT(128, quad, 0.25f);
  for (auto& x : Vertices(quad)) EXPECT_EQ(x.color >> 24, 32u);

  DS_QuadCorners moved = Corners(5, 6, 7, 8);
  moved.corner[1].z = 0.5f;
  UpdateQuadSCT(quad, moved);
  v = Vertices(quad);
  EXPECT_EQ(v[1].x, 5.0f);
  EXPECT_EQ(v[1].y, 6.0f);
  EXPECT_EQ(v[1].rhw, 0.5f);
  EXPECT_EQ(v[1].z, 0.0f);
  EXPECT_EQ(v[1].color >> 24, 32u);  // colours kept
}

// The quads' buffers are write-only: Direct3D 9 documents reads of them as failing (Wine
// hands back what was written). Whatever the buffer holds, the setters change the colours
// they wrote last, never what a read would give.
TEST(Quad, ColourSettersDoNotReadTheWriteOnlyBuffer) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  auto scribble = [](auto& quad) {
    if (auto* v = quad.Lock()) {
      for (int i = 0; i < 4; ++i) v[i].color = 0x5A5A5A5Au;
      quad.Unlock();
    }
  };
  auto colours = [](auto& quad) {
    std::vector<D3DCOLOR> out;
    for (auto& x : Vertices(quad)) out.push_back(x.color);
    return out;
  };
  using Colours = std::vector<D3DCOLOR>;

  DS_SimpleMesh<DX_V::SC> sc;
  FillQuadSC(sc, 0x80112233u, Corners(0, 0, 8, 8));
  scribble(sc);
  SetQuadAlphaSC(sc, 1.0f, 0.0f, 1.0f, 0.0f);
  EXPECT_EQ(colours(sc), (Colours{0xFF112233u, 0xFF112233u, 0x00112233u, 0x00112233u}));

  DS_SimpleMesh<DX_V::PC> pc;
  FillQuadPC(pc, 0x40FFFFFFu, Corners(0, 0, 8, 8));
  scribble(pc);
  SetQuadColorPC(pc, 0xFF00FF00u);
  EXPECT_EQ(colours(pc), Colours(4, 0x4000FF00u));
  scribble(pc);
  SetQuadAlphaPC(pc, 0.0f, 0.0f, 1.0f, 1.0f);
  EXPECT_EQ(colours(pc), (Colours{0x0000FF00u, 0xFF00FF00u, 0x0000FF00u, 0xFF00FF00u}));

  DS_TexturedQuad<DX_V::SCT> sct;
  CreateCentredQuadSCT(sct, 64.0f, 48.0f);
  scribble(sct);
  SetQuadAlphaSCT(128, sct, 0.25f);
  EXPECT_EQ(colours(sct), Colours(4, 0x20FFFFFFu));
}

TEST(Quad, CentredQuadOnA1280x720Screen) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  DS_TexturedQuad<DX_V::SCT> quad;
  CreateCentredQuadSCT(quad, 1280.0f, 720.0f);
  EXPECT_FALSE(quad.texture);  // the program carries no such picture: drawn untextured
  auto v = Vertices(quad);
  ASSERT_EQ(v.size(), 4u);
  EXPECT_FLOAT_EQ(v[0].x, 400.0f);
  EXPECT_FLOAT_EQ(v[2].x, 880.0f);
  EXPECT_FLOAT_EQ(v[1].y, 240.0f);
  EXPECT_FLOAT_EQ(v[0].y, 480.0f);
  EXPECT_EQ(v[0].rhw, 1.0f);
}

TEST(Quad, GridOfOneCellIsTheFourCorners) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  DS_IndexedMesh<DX_V::PT> grid;
  ASSERT_TRUE(SUCCEEDED(CreateVertexBufferPT(4, grid)));
  DS_QuadCorners c = Corners(0, 0, 8, 4);
  FillGridMeshPT(grid, 1, 1, c);
  auto v = Vertices(grid);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(v[i].x, c.corner[i].x) << i;
    EXPECT_EQ(v[i].y, c.corner[i].y) << i;
    EXPECT_EQ(v[i].u, c.corner[i].u) << i;
    EXPECT_EQ(v[i].v, c.corner[i].v) << i;
  }
}

TEST(Quad, GridIsStoredColumnAfterColumn) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  DS_IndexedMesh<DX_V::PT> grid;
  ASSERT_TRUE(SUCCEEDED(CreateVertexBufferPT(3 * 5, grid)));
  FillGridMeshPT(grid, 2, 4, Corners(0, 0, 8, 4));  // bottom y 4, top y 0
  auto v = Vertices(grid);
  // Column j = 1, i = 0..2 from the bottom edge to the top.
  EXPECT_FLOAT_EQ(v[3].x, 2.0f);
  EXPECT_FLOAT_EQ(v[3].y, 4.0f);
  EXPECT_FLOAT_EQ(v[4].y, 2.0f);
  EXPECT_FLOAT_EQ(v[5].y, 0.0f);
  EXPECT_FLOAT_EQ(v[14].x, 8.0f);
  EXPECT_FLOAT_EQ(v[14].v, 0.0f);

  // A buffer too small for the lattice is not written past.
  DS_IndexedMesh<DX_V::PT> small;
  ASSERT_TRUE(SUCCEEDED(CreateVertexBufferPT(4, small)));
  FillGridMeshPT(small, 2, 4, Corners(0, 0, 8, 4));
}

TEST(Quad, SquareResampleKeepsThePicturesSize) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  auto tex = MakeTexture(40, 30, [](UINT, UINT) { return 0xFF00FF00u; });
  DS_ImageQuad picture;
  MakeTextureInfo(40, 30, picture.info, tex.Get());
  ResampleSquareTexture(1, picture, tex.Get());
  ASSERT_TRUE(picture.info.texture);
  D3DSURFACE_DESC desc;
  picture.info.texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 256u);
  EXPECT_EQ(desc.Height, 256u);
  EXPECT_EQ(picture.info.width, 40u);
  EXPECT_EQ(picture.info.height, 30u);
  EXPECT_FLOAT_EQ(picture.info.aspect, 0.75f);
  EXPECT_EQ(tex.RefCount(), 1u);  // the info now holds the resampled one only
  auto px = ReadTexture(picture.info.texture.Get());
  ASSERT_FALSE(px.empty());
  EXPECT_EQ(px[128 * 256 + 128] & 0xFFFFFFu, 0x00FF00u);

  ResampleSquareTexture(0, picture, nullptr);
  EXPECT_FALSE(picture.info.texture);
}

// The power is the stored one, clamped below at 0 and above at the largest square the device
// makes: 8192 allows a stored 6, 4096 keeps it at 5. No power shifts past 32 bits.
TEST(Quad, TheSquareCopysPowerStopsAtTheDevicesLargestSide) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
  constexpr uint32_t kHuge = std::numeric_limits<uint32_t>::max();
  struct Case {
    int32_t stored;
    uint32_t side;
    int32_t power;
  } cases[] = {
      {6, 8192, 6},   {6, 16384, 6},  {6, 4096, 5},  {6, 2048, 4},  {6, 8191, 5},    {1, 16384, 1},
      {0, 8192, 0},   {-1, 8192, 0},  {kMin, 8192, 0}, {40, 8192, 6}, {kMax, 8192, 6}, {kMax, 16384, 7},
      {kMax, kHuge, 24}, {3, 128, 0}, {3, 100, 0},   {3, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.stored << " at " << c.side);
    EXPECT_EQ(SquareCopyPower(c.stored, c.side), c.power);
  }
}

TEST(TextureInfo, SetAndInfoConvertBothWays) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  auto tex = MakeTexture(8, 4, [](UINT, UINT) { return 0u; });
  DS_TextureInfo info;
  MakeTextureInfo(8, 4, info, tex.Get());
  EXPECT_EQ(info.texture.Get(), tex.Get());
  EXPECT_FLOAT_EQ(info.aspect, 0.5f);

  DS_TextureSet set;
  set.textures.resize(3);
  FillTextureSetFromInfo(info, set);
  ASSERT_EQ(set.textures.size(), 1u);
  EXPECT_EQ(set.textures[0].Get(), tex.Get());
  EXPECT_EQ(set.width, 8u);
  EXPECT_EQ(set.height, 4u);
  EXPECT_FLOAT_EQ(set.aspect, 0.5f);

  DS_TextureInfo back;
  GetTextureInfoFromSet(set, back);
  EXPECT_EQ(back.texture.Get(), tex.Get());
  EXPECT_EQ(back.width, 8u);
  EXPECT_EQ(tex.RefCount(), 4u);  // tex, info, set, back
}

TEST(TextureInfo, EmptySetGivesTheEmptyInfo) {
  TestDevice dev(64, 64);
  ASSERT_TRUE(dev.Ok());
  DS_TextureInfo info;
  MakeTextureInfo(8, 4, info, MakeTexture(8, 4, [](UINT, UINT) { return 0u; }).Get());
  DS_TextureSet empty;
  empty.width = 99;
  GetTextureInfoFromSet(empty, info);
  EXPECT_FALSE(info.texture);
  EXPECT_EQ(info.width, 0u);
  EXPECT_EQ(info.height, 0u);
  EXPECT_EQ(info.aspect, 1.0f);
}
