// Every shader profile the compiler takes, from source to pixels: the shader assembles, the
// effect loads, and the parameters its constant table names reach the registers on a real
// device (a matrix that moves the quad, a colour, and from ps_2_0 on a texture).
#include <gtest/gtest.h>

#include <string>

#include "tests/effects/EffectTestSupport.h"
#include "tests/support/TestDevice.h"
#include "tools/effectc/EffectWriter.h"
#include "tools/effectc/Parser.h"

namespace {

constexpr int kSize = 32;
const D3DCOLOR kClear = D3DCOLOR_XRGB(10, 20, 30);

const char* kVertexPosition = "  dcl_position v0\n  dcl_texcoord v1\n  m4x4 oPos, v0, $Move\n  mov oT0, v1\n";
const char* kVertex30 =
    "  dcl_position v0\n  dcl_texcoord v1\n  dcl_position o0\n  dcl_texcoord o1\n"
    "  m4x4 o0, v0, $Move\n  mov o1, v1\n";
const char* kPixelConstant = "  mov r0, $Colour\n";
const char* kPixel20 = "  dcl t0.xy\n  dcl_2d $Picture\n  texld r0, t0, $Picture\n  mul r0, r0, $Colour\n  mov oC0, r0\n";
const char* kPixel30 =
    "  dcl_texcoord v0.xy\n  dcl_2d $Picture\n  texld r0, v0, $Picture\n  mul r0, r0, $Colour\n  mov oC0, r0\n";

struct ProfileCase {
  const char* vs;
  const char* vsBody;
  const char* ps;
  const char* psBody;
  bool samples;  // the pixel shader reads the picture
};

const ProfileCase kCases[] = {
    {"vs_1_1", kVertexPosition, "ps_1_1", kPixelConstant, false},
    {"vs_1_1", kVertexPosition, "ps_1_2", kPixelConstant, false},
    {"vs_1_1", kVertexPosition, "ps_1_3", kPixelConstant, false},
    {"vs_1_1", kVertexPosition, "ps_1_4", kPixelConstant, false},
    {"vs_1_1", kVertexPosition, "ps_2_0", kPixel20, true},
    {"vs_2_0", kVertexPosition, "ps_2_0", kPixel20, true},
    {"vs_2_x", kVertexPosition, "ps_2_x", kPixel20, true},
    {"vs_3_0", kVertex30, "ps_3_0", kPixel30, true},
};

std::string Source(const ProfileCase& c) {
  return std::string(
             "float4x4 Move = {1, 0, 0, 0,  0, 1, 0, 0,  0, 0, 1, 0,  0, 0, 0, 1};\n"
             "float4 Colour = {1, 1, 1, 1};\n"
             "texture Tex;\n"
             "sampler2D Picture { Texture = <Tex>; MinFilter = Point; MagFilter = Point; };\n"
             "technique Main { pass P {\n"
             "  CullMode = None;\n"
             "  VertexShader = ") +
         c.vs + " {\n" + c.vsBody + "  }\n  PixelShader = " + c.ps + " {\n" + c.psBody + "  }\n} }\n";
}

TEST(EffectProfiles, EachProfileAssemblesLoadsAndBindsItsParameters) {
  TestDevice dev(kSize, kSize);
  ASSERT_TRUE(dev.Ok());
  auto picture = MakeSolid(dev.Device(), D3DCOLOR_XRGB(255, 128, 64));
  ASSERT_TRUE(picture);
  for (const ProfileCase& c : kCases) {
    SCOPED_TRACE(std::string(c.vs) + " + " + c.ps);
    std::vector<uint8_t> bytes;
    try {
      bytes = effectc::WriteEffect(effectc::ParseEffect(Source(c)));
    } catch (const effectc::CompileError& e) {
      ADD_FAILURE() << "line " << e.line << ": " << e.what();
      continue;
    }
    auto effect = CreateEffectFromBytes(dev.Device(), bytes);
    ASSERT_TRUE(effect) << "D3DXCreateEffect failed";
    D3DXMATRIX move;
    D3DXMatrixTranslation(&move, 1.0f, 0.0f, 0.0f);  // the quad covers the right half only
    const float colour[4] = {0.5f, 0.25f, 1.0f, 1.0f};
    ASSERT_EQ(effect->SetMatrix("Move", &move), D3D_OK);
    ASSERT_EQ(effect->SetFloatArray("Colour", colour, 4), D3D_OK);
    ASSERT_EQ(effect->SetTexture("Tex", picture.Get()), D3D_OK);
    dev.Clear(kClear);
    EXPECT_EQ(DrawFullScreenQuad(dev.Device(), effect.Get(), "Main"), 1u);
    auto px = dev.ReadBack();
    Rgba want = c.samples ? Rgba{128, 32, 64, 0} : Rgba{128, 64, 255, 0};
    Rgba right = TestDevice::At(px, kSize, 3 * kSize / 4, kSize / 2);
    EXPECT_TRUE(Near(right, want, 3)) << right.r << " " << right.g << " " << right.b;
    EXPECT_TRUE(Near(TestDevice::At(px, kSize, kSize / 4, kSize / 2), Rgba{10, 20, 30, 0}, 1));
  }
}

}  // namespace
