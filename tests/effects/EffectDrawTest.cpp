// The compiled test effect on a real device: each kind of parameter, set by name the way the
// scene sets them, changes the drawn pixels as the shader says.
#include <gtest/gtest.h>

#include "tests/effects/EffectTestSupport.h"
#include "tests/support/TestDevice.h"

namespace {

constexpr int kSize = 64;
const D3DCOLOR kClear = D3DCOLOR_XRGB(10, 20, 30);

// A picture of four quadrants: red top left, green top right, blue bottom left, grey bottom
// right.
ComRef<IDirect3DTexture9> MakeQuadrants(IDirect3DDevice9* device) {
  ComRef<IDirect3DTexture9> tex;
  if (FAILED(device->CreateTexture(kSize, kSize, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, tex.Put(), nullptr))) return tex;
  D3DLOCKED_RECT lr;
  tex->LockRect(0, &lr, nullptr, 0);
  for (int y = 0; y < kSize; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch);
    for (int x = 0; x < kSize; ++x) {
      bool right = x >= kSize / 2, bottom = y >= kSize / 2;
      row[x] = !bottom ? (right ? 0xFF00FF00u : 0xFFFF0000u) : (right ? 0xFFC8C8C8u : 0xFF0000FFu);
    }
  }
  tex->UnlockRect(0);
  return tex;
}

class EffectDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dev.Ok());
    effect = CreateEffectFromBytes(dev.Device(), ReadFileBytes("tinted_copy.fxo"));
    ASSERT_TRUE(effect);
    picture = MakeQuadrants(dev.Device());
    ASSERT_TRUE(picture);
    ASSERT_EQ(effect->SetTexture("Picture", picture.Get()), D3D_OK);
  }

  // A full-screen quad through every pass of the technique; returns the back buffer.
  std::vector<uint32_t> Draw(const char* technique, UINT* passCount = nullptr) {
    dev.Clear(kClear);
    UINT passes = DrawFullScreenQuad(dev.Device(), effect.Get(), technique);
    if (passCount) *passCount = passes;
    return dev.ReadBack();
  }

  static Rgba At(const std::vector<uint32_t>& px, int x, int y) { return TestDevice::At(px, kSize, x, y); }

  TestDevice dev{kSize, kSize};
  ComRef<ID3DXEffect> effect;
  ComRef<IDirect3DTexture9> picture;
};

// Points well inside each quadrant.
constexpr int kLeft = 16, kRight = 48, kTop = 16, kBottom = 48;

TEST_F(EffectDraw, DefaultsDrawThePictureUnchanged) {
  auto px = Draw("Main");
  ASSERT_EQ(px.size(), size_t(kSize * kSize));
  EXPECT_TRUE(Near(At(px, kLeft, kTop), Rgba{255, 0, 0, 0}, 2));
  EXPECT_TRUE(Near(At(px, kRight, kTop), Rgba{0, 255, 0, 0}, 2));
  EXPECT_TRUE(Near(At(px, kLeft, kBottom), Rgba{0, 0, 255, 0}, 2));
  EXPECT_TRUE(Near(At(px, kRight, kBottom), Rgba{200, 200, 200, 0}, 2));
}

TEST_F(EffectDraw, FloatScalesTheColour) {
  ASSERT_EQ(effect->SetFloat("Brightness", 0.5f), D3D_OK);
  auto px = Draw("Main");
  EXPECT_TRUE(Near(At(px, kLeft, kTop), Rgba{128, 0, 0, 0}, 2));
  EXPECT_TRUE(Near(At(px, kRight, kBottom), Rgba{100, 100, 100, 0}, 2));
}

TEST_F(EffectDraw, Float4TintsEachChannel) {
  const float tint[4] = {0.5f, 1.0f, 0.0f, 1.0f};
  ASSERT_EQ(effect->SetFloatArray("Tint", tint, 4), D3D_OK);
  auto px = Draw("Main");
  EXPECT_TRUE(Near(At(px, kLeft, kTop), Rgba{128, 0, 0, 0}, 2));
  EXPECT_TRUE(Near(At(px, kRight, kBottom), Rgba{100, 200, 0, 0}, 2));
  EXPECT_TRUE(Near(At(px, kLeft, kBottom), Rgba{0, 0, 0, 0}, 2));
}

TEST_F(EffectDraw, Float2SetAsArrayShiftsTheTextureCoordinates) {
  const float offset[2] = {0.5f, 0.0f};
  ASSERT_EQ(effect->SetFloatArray("Offset", offset, 2), D3D_OK);
  auto px = Draw("Main");
  // u + 0.5: the left half shows the right half; past 1 the clamp repeats the last column.
  EXPECT_TRUE(Near(At(px, kLeft, kTop), Rgba{0, 255, 0, 0}, 2));
  EXPECT_TRUE(Near(At(px, kRight, kTop), Rgba{0, 255, 0, 0}, 2));
  EXPECT_TRUE(Near(At(px, kLeft, kBottom), Rgba{200, 200, 200, 0}, 2));
  // The second value moves v only: the top half shows the bottom half.
  const float down[2] = {0.0f, 0.5f};
  ASSERT_EQ(effect->SetFloatArray("Offset", down, 2), D3D_OK);
  px = Draw("Main");
  EXPECT_TRUE(Near(At(px, kLeft, kTop), Rgba{0, 0, 255, 0}, 2));
  EXPECT_TRUE(Near(At(px, kRight, kTop), Rgba{200, 200, 200, 0}, 2));
}

TEST_F(EffectDraw, MatrixMovesTheQuad) {
  D3DXMATRIX move;
  D3DXMatrixTranslation(&move, 1.0f, 0.0f, 0.0f);  // half the screen to the right
  ASSERT_EQ(effect->SetMatrix("Transform", &move), D3D_OK);
  auto px = Draw("Main");
  EXPECT_TRUE(Near(At(px, kLeft, kTop), Rgba{10, 20, 30, 0}, 1));  // uncovered
  EXPECT_TRUE(Near(At(px, kRight, kTop), Rgba{255, 0, 0, 0}, 2));  // the picture's left part
  EXPECT_TRUE(Near(At(px, kRight, kBottom), Rgba{0, 0, 255, 0}, 2));
}

TEST_F(EffectDraw, TextureReachesTheShaderThroughItsSampler) {
  auto yellow = MakeSolid(dev.Device(), 0xFFFFFF00u);
  ASSERT_EQ(effect->SetTexture("Picture", yellow.Get()), D3D_OK);
  auto px = Draw("Main");
  EXPECT_TRUE(Near(At(px, kLeft, kTop), Rgba{255, 255, 0, 0}, 2));
  EXPECT_TRUE(Near(At(px, kRight, kBottom), Rgba{255, 255, 0, 0}, 2));
}

TEST_F(EffectDraw, MainFXDrawsTheInverseOfMain) {
  auto main = Draw("Main");
  auto fx = Draw("MainFX");
  for (auto [x, y] : {std::pair{kLeft, kTop}, {kRight, kTop}, {kLeft, kBottom}, {kRight, kBottom}}) {
    Rgba m = At(main, x, y), f = At(fx, x, y);
    EXPECT_TRUE(Near(f, Rgba{255 - m.r, 255 - m.g, 255 - m.b, 0}, 2)) << x << "," << y << ": main " << m.r << " " << m.g << " " << m.b << ", fx " << f.r << " " << f.g << " " << f.b;
  }
}

TEST_F(EffectDraw, MissingTextureReadsAsOpaqueBlack) {
  ASSERT_EQ(effect->SetTexture("Picture", nullptr), D3D_OK);
  auto px = Draw("Main");
  EXPECT_TRUE(Near(At(px, kLeft, kTop), Rgba{0, 0, 0, 0}, 1));
  EXPECT_TRUE(Near(At(px, kRight, kBottom), Rgba{0, 0, 0, 0}, 1));
}

TEST_F(EffectDraw, SecondPassAddsOnTopOfTheFirst) {
  UINT passes = 0;
  auto px = Draw("Additive", &passes);
  EXPECT_EQ(passes, 2u);
  // Glow (0.25, 0.125, 0) added by One/One blending.
  EXPECT_TRUE(Near(At(px, kLeft, kTop), Rgba{255, 32, 0, 0}, 2));
  EXPECT_TRUE(Near(At(px, kLeft, kBottom), Rgba{64, 32, 255, 0}, 2));
  const float glow[4] = {0, 0, 0, 0};
  ASSERT_EQ(effect->SetFloatArray("Glow", glow, 4), D3D_OK);
  px = Draw("Additive");
  EXPECT_TRUE(Near(At(px, kLeft, kBottom), Rgba{0, 0, 255, 0}, 2));
}

}  // namespace

namespace {

// The shipped background-copy effect on the fixed-function vertex path the brushes use: the
// picture, moved by "offset", painted where the alpha mask is set.
TEST(BackgroundCopyEffect, CopiesTheShiftedPictureInsideTheMask) {
  TestDevice dev(kSize, kSize);
  ASSERT_TRUE(dev.Ok());
  auto effect = CreateEffectFromBytes(dev.Device(), ReadFileBytes(BACKGROUND_COPY_EFFECT));
  ASSERT_TRUE(effect);
  auto picture = MakeQuadrants(dev.Device());
  ComRef<IDirect3DTexture9> mask;  // A8: opaque on the left half only
  ASSERT_EQ(dev.Device()->CreateTexture(kSize, kSize, 1, 0, D3DFMT_A8, D3DPOOL_MANAGED, mask.Put(), nullptr), D3D_OK);
  D3DLOCKED_RECT lr;
  mask->LockRect(0, &lr, nullptr, 0);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) static_cast<uint8_t*>(lr.pBits)[y * lr.Pitch + x] = x < kSize / 2 ? 255 : 0;
  mask->UnlockRect(0);
  effect->SetTexture("Background", picture.Get());
  effect->SetTexture("Mask", mask.Get());

  auto draw = [&](const char* technique) {
    dev.Clear(kClear);
    DrawFullScreenQuad(dev.Device(), effect.Get(), technique);
    return dev.ReadBack();
  };

  // Outside the mask "Main" blends nothing in; "MainFX" draws over a target cleared for it,
  // so it writes the scene it samples there, unshifted.
  struct Case {
    const char* technique;
    Rgba outside;
  } cases[] = {{"Main", Rgba{10, 20, 30, 0}}, {"MainFX", Rgba{0, 255, 0, 0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.technique);
    auto px = draw(c.technique);
    EXPECT_TRUE(Near(TestDevice::At(px, kSize, kLeft, kTop), Rgba{255, 0, 0, 0}, 3));
    EXPECT_TRUE(Near(TestDevice::At(px, kSize, kLeft, kBottom), Rgba{0, 0, 255, 0}, 3));
    EXPECT_TRUE(Near(TestDevice::At(px, kSize, kRight, kTop), c.outside, 3));
  }
  const float offset[2] = {0.5f, 0.0f};
  ASSERT_EQ(effect->SetFloatArray("offset", offset, 2), D3D_OK);
  auto px = draw("Main");
  EXPECT_TRUE(Near(TestDevice::At(px, kSize, kLeft, kTop), Rgba{0, 255, 0, 0}, 3));
  EXPECT_TRUE(Near(TestDevice::At(px, kSize, kRight, kTop), Rgba{10, 20, 30, 0}, 3));
}

// The heat haze's one pass "P0": each pixel of the scene is taken from k (A + B - 1) away,
// A and B two samples of the bump picture (red across, green down), k "stenght"; it draws
// with blending off whatever the device had. A bump of one colour moves the whole scene.
TEST(HeatHazeEffect, PassP0MovesTheSceneByTheBumpPicture) {
  TestDevice dev(kSize, kSize);
  ASSERT_TRUE(dev.Ok());
  auto effect = CreateEffectFromBytes(dev.Device(), ReadFileBytes(HEAT_HAZE_EFFECT));
  ASSERT_TRUE(effect);
  D3DXHANDLE technique = effect->GetTechniqueByName("BumpmapDistortLow2");
  ASSERT_NE(technique, nullptr);
  D3DXTECHNIQUE_DESC desc{};
  effect->GetTechniqueDesc(technique, &desc);
  ASSERT_EQ(desc.Passes, 1u);
  D3DXPASS_DESC pass{};
  effect->GetPassDesc(effect->GetPass(technique, 0), &pass);
  EXPECT_STREQ(pass.Name, "P0");

  auto scene = MakeQuadrants(dev.Device());
  effect->SetTexture("SceneTex", scene.Get());
  ASSERT_EQ(effect->SetFloat("stenght", 0.5f), D3D_OK);
  const Rgba red{255, 0, 0, 0}, green{0, 255, 0, 0}, blue{0, 0, 255, 0}, grey{200, 200, 200, 0};
  struct Case {
    const char* name;
    D3DCOLOR bump;
    Rgba topLeft, topRight, bottomLeft;
  } cases[] = {
      {"bump at one half: in place", 0xFF808080u, red, green, blue},
      {"red 1: half the scene to the left", 0xFFFF8080u, green, green, grey},  // mirrored past the edge
      {"red 0: half the scene to the right", 0xFF008080u, red, red, blue},
      {"green 1: half the scene up", 0xFF80FF80u, blue, grey, blue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto bump = MakeSolid(dev.Device(), c.bump);
    effect->SetTexture("Bumpmap", bump.Get());
    dev.Clear(kClear);
    // Blending that would keep the target as it was: the pass must turn it off.
    dev.Device()->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    dev.Device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    dev.Device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    EXPECT_EQ(DrawFullScreenQuad(dev.Device(), effect.Get(), "BumpmapDistortLow2"), 1u);
    auto px = dev.ReadBack();
    EXPECT_TRUE(Near(TestDevice::At(px, kSize, kLeft, kTop), c.topLeft, 3));
    EXPECT_TRUE(Near(TestDevice::At(px, kSize, kRight, kTop), c.topRight, 3));
    EXPECT_TRUE(Near(TestDevice::At(px, kSize, kLeft, kBottom), c.bottomLeft, 3));
  }
}

}  // namespace
