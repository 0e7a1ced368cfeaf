// Our own stand-ins for what D3DX under Wine does not do: normal maps from heights, the
// conversion into V8U8, and V8U8 DDS files read back into textures.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "device/BumpMaps.h"
#include "device/DdsWriter.h"
#include "device/TextureHelpers.h"
#include "tests/support/TestDevice.h"

namespace {

TEST(BumpMaps, NormalMapsFollowTheSlopeAndWrapAroundTheEdges) {
  // Flat: every normal points straight out of the picture.
  for (uint32_t texel : ComputeNormalMap(std::vector<uint8_t>(16, 90), 4, 4, 25.0f)) EXPECT_EQ(texel, 0xFF8080FFu);
  // Heights rising to the right (0, 51, 102, 153 per row): the normal leans left (red
  // below 128), not up or down; the first column's left neighbour is the last one.
  std::vector<uint8_t> ramp;
  for (int y = 0; y < 4; ++y)
    for (uint8_t h : {0, 51, 102, 153}) ramp.push_back(h);
  const std::vector<uint32_t> n = ComputeNormalMap(ramp, 4, 4, 5.0f);
  const auto red = [&](int x, int y) { return int((n[size_t(y) * 4 + x] >> 16) & 0xFF); };
  const auto green = [&](int x, int y) { return int((n[size_t(y) * 4 + x] >> 8) & 0xFF); };
  EXPECT_LT(red(1, 0), 128 - 40);
  EXPECT_EQ(red(1, 0), red(2, 3));
  EXPECT_EQ(green(1, 2), 128);
  EXPECT_GT(red(0, 0), 128 + 40) << "wrapped: the left neighbour (153) is higher than the right (51)";
  // A steeper amplitude leans further.
  EXPECT_LT(red(1, 0), int((ComputeNormalMap(ramp, 4, 4, 2.0f)[1] >> 16) & 0xFF));
  EXPECT_TRUE(ComputeNormalMap(ramp, 5, 4, 1.0f).empty()) << "fewer heights than texels";
}

TEST(BumpMaps, UnsignedChannelsBecomeSignedCodes) {
  const std::vector<std::pair<uint8_t, int8_t>> cases = {{0, -127}, {255, 127}, {128, 0}, {127, 0}, {192, 64}, {64, -63}};
  for (auto [channel, code] : cases) EXPECT_EQ(SignedFromUnsigned(channel), code) << int(channel);
  EXPECT_EQ(NormalMapToV8U8({0xFF00FF80u, 0xFFFF0000u}), (std::vector<uint8_t>{0x81, 0x7F, 0x7F, 0x81}));
}

TEST(BumpMaps, AV8U8DdsFileIsReadBackIntoATextureOfItsOwn) {
  TestDevice device(64, 64);
  ASSERT_TRUE(device.Ok());
  // 4 x 2 with a second level of 2 x 1.
  const std::vector<std::vector<uint8_t>> levels = {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0x80, 0x7F},
                                                    {0xF0, 0x10, 0x20, 0xE0}};
  std::vector<uint8_t> dds;
  ASSERT_EQ(WriteDdsFile(D3DFMT_V8U8, 4, 2, levels, dds), S_OK);
  V8U8Image image;
  ASSERT_TRUE(ParseV8U8Dds(dds.data(), dds.size(), image));
  EXPECT_EQ(image.width, 4u);
  EXPECT_EQ(image.levels, levels);
  // Cut short, or another format: not ours to read.
  EXPECT_FALSE(ParseV8U8Dds(dds.data(), dds.size() - 1, image));
  EXPECT_FALSE(IsV8U8Dds(dds.data(), 100));
  std::vector<uint8_t> a8;
  ASSERT_EQ(WriteDdsFile(D3DFMT_A8, 4, 2, {std::vector<uint8_t>(8, 7)}, a8), S_OK);
  EXPECT_FALSE(IsV8U8Dds(a8.data(), a8.size()));

  // Through the loader every picture of the documents goes through.
  D3DXIMAGE_INFO info{};
  ComRef<IDirect3DTexture9> texture;
  ASSERT_EQ(LoadTextureFromMemory(dds.data(), UINT(dds.size()), &info, texture), S_OK);
  EXPECT_EQ(info.Width, 4u);
  EXPECT_EQ(info.Height, 2u);
  EXPECT_EQ(info.Format, D3DFMT_V8U8);
  ASSERT_TRUE(texture);
  ASSERT_EQ(texture->GetLevelCount(), 2u);
  for (UINT level = 0; level < 2; ++level) {
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const size_t row = level == 0 ? 8 : 4;
    for (UINT y = 0; y < (level == 0 ? 2u : 1u); ++y)
      EXPECT_EQ(std::memcmp(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, levels[level].data() + y * row, row),
                0);
    texture->UnlockRect(level);
  }
}

}  // namespace
