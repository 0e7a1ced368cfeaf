#include "device/BumpMaps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "device/CurrentDevice.h"

namespace {

constexpr uint32_t kBumpDuDv = 0x80000;  // DDPF_BUMPDUDV
constexpr uint32_t kMipMapCount = 0x20000;  // DDSD_MIPMAPCOUNT
constexpr size_t kHeaderBytes = 128;  // magic and header; the levels follow

uint32_t Read32(const uint8_t* bytes, size_t at) {
  uint32_t v;
  std::memcpy(&v, bytes + at, 4);
  return v;
}

uint8_t UnitToByte(float c) { return uint8_t(std::lround((c + 1.0f) * 0.5f * 255.0f)); }

}  // namespace

std::vector<uint32_t> ComputeNormalMap(const std::vector<uint8_t>& heights, uint32_t width, uint32_t height,
                                       float amplitude) {
  std::vector<uint32_t> out;
  if (width == 0 || height == 0 || heights.size() < size_t(width) * height) return out;
  out.resize(size_t(width) * height);
  auto h = [&](uint32_t x, uint32_t y) { return float(heights[size_t(y) * width + x]) / 255.0f; };
  for (uint32_t y = 0; y < height; ++y) {
    const uint32_t up = (y + height - 1) % height, down = (y + 1) % height;
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t left = (x + width - 1) % width, right = (x + 1) % width;
      float nx = -amplitude * (h(right, y) - h(left, y)) * 0.5f;
      float ny = -amplitude * (h(x, down) - h(x, up)) * 0.5f;
      float nz = 1.0f;
      const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
      nx /= length, ny /= length, nz /= length;
      out[size_t(y) * width + x] =
          0xFF000000u | (uint32_t(UnitToByte(nx)) << 16) | (uint32_t(UnitToByte(ny)) << 8) | UnitToByte(nz);
    }
  }
  return out;
}

int8_t SignedFromUnsigned(uint8_t channel) {
  return int8_t(std::lround(127.0 * (2.0 * channel / 255.0 - 1.0)));
}

std::vector<uint8_t> NormalMapToV8U8(const std::vector<uint32_t>& argb) {
  std::vector<uint8_t> out;
  out.reserve(argb.size() * 2);
  for (uint32_t texel : argb) {
    out.push_back(uint8_t(SignedFromUnsigned(uint8_t(texel >> 16))));
    out.push_back(uint8_t(SignedFromUnsigned(uint8_t(texel >> 8))));
  }
  return out;
}

HRESULT CreateV8U8Texture(uint32_t width, uint32_t height, const std::vector<std::vector<uint8_t>>& levels,
                          ComRef<IDirect3DTexture9>& out) {
  if (!g_currentDevice || levels.empty() || width == 0 || height == 0) return E_FAIL;
  for (size_t i = 0; i < levels.size(); ++i) {
    const size_t w = std::max<size_t>(1, width >> i), h = std::max<size_t>(1, height >> i);
    if (levels[i].size() != w * h * 2) return E_INVALIDARG;
  }
  ComRef<IDirect3DTexture9> made;
  HRESULT hr = g_currentDevice->CreateTexture(width, height, UINT(levels.size()), 0, D3DFMT_V8U8, D3DPOOL_MANAGED,
                                              made.Put(), nullptr);
  if (FAILED(hr)) return hr;
  for (UINT level = 0; level < levels.size(); ++level) {
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT locked;
    made->GetLevelDesc(level, &desc);
    hr = made->LockRect(level, &locked, nullptr, 0);
    if (FAILED(hr)) return hr;
    const size_t row = size_t(desc.Width) * 2;
    for (UINT y = 0; y < desc.Height; ++y)
      std::memcpy(static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch, levels[level].data() + y * row, row);
    made->UnlockRect(level);
  }
  out = std::move(made);
  return S_OK;
}

bool IsV8U8Dds(const void* data, size_t size) {
  if (!data || size < kHeaderBytes) return false;
  const auto* b = static_cast<const uint8_t*>(data);
  return std::memcmp(b, "DDS ", 4) == 0 && (Read32(b, 80) & kBumpDuDv) && Read32(b, 88) == 16 &&
         Read32(b, 92) == 0x00FF && Read32(b, 96) == 0xFF00;
}

bool ParseV8U8Dds(const void* data, size_t size, V8U8Image& image) {
  if (!IsV8U8Dds(data, size)) return false;
  const auto* b = static_cast<const uint8_t*>(data);
  const uint32_t height = Read32(b, 12), width = Read32(b, 16);
  uint32_t count = (Read32(b, 8) & kMipMapCount) ? Read32(b, 28) : 1;
  if (width == 0 || height == 0 || width > 16384 || height > 16384) return false;
  count = std::max(1u, std::min(count, 15u));
  V8U8Image parsed{width, height, {}};
  size_t at = kHeaderBytes;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t bytes = std::max<size_t>(1, width >> i) * std::max<size_t>(1, height >> i) * 2;
    if (size - at < bytes) return false;
    parsed.levels.emplace_back(b + at, b + at + bytes);
    at += bytes;
  }
  image = std::move(parsed);
  return true;
}

HRESULT LoadV8U8DdsTexture(const void* data, size_t size, D3DXIMAGE_INFO* info, ComRef<IDirect3DTexture9>& out) {
  V8U8Image image;
  if (!ParseV8U8Dds(data, size, image)) return E_FAIL;
  HRESULT hr = CreateV8U8Texture(image.width, image.height, image.levels, out);
  if (SUCCEEDED(hr) && info) {
    *info = D3DXIMAGE_INFO{};
    info->Width = image.width;
    info->Height = image.height;
    info->Depth = 1;
    info->MipLevels = UINT(image.levels.size());
    info->Format = D3DFMT_V8U8;
    info->ResourceType = D3DRTYPE_TEXTURE;
    info->ImageFileFormat = D3DXIFF_DDS;
  }
  return hr;
}
