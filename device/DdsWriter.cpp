#include "device/DdsWriter.h"

#include <algorithm>
#include <cstring>

namespace {

// Pixel-format flags of the DDS header.
constexpr uint32_t kAlphaPixels = 0x1, kAlpha = 0x2, kRgb = 0x40, kLuminance = 0x20000, kBumpDuDv = 0x80000;

struct PixelFormat {
  D3DFORMAT format;
  uint32_t flags, bits, r, g, b, a;
};

// The encodings D3DX reads back as the same format (A8 as alpha only, not as a FourCC).
constexpr PixelFormat kFormats[] = {
    {D3DFMT_A8R8G8B8, kRgb | kAlphaPixels, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
    {D3DFMT_X8R8G8B8, kRgb, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0},
    {D3DFMT_R5G6B5, kRgb, 16, 0xF800, 0x07E0, 0x001F, 0},
    {D3DFMT_A8, kAlpha, 8, 0, 0, 0, 0xFF},
    {D3DFMT_L8, kLuminance, 8, 0xFF, 0, 0, 0},
    {D3DFMT_A8L8, kLuminance | kAlphaPixels, 16, 0x00FF, 0, 0, 0xFF00},
    {D3DFMT_V8U8, kBumpDuDv, 16, 0x00FF, 0xFF00, 0, 0},
};

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

const PixelFormat* FindFormat(D3DFORMAT format) {
  for (const PixelFormat& f : kFormats)
    if (f.format == format) return &f;
  return nullptr;
}

}  // namespace

HRESULT WriteDdsFile(D3DFORMAT format, uint32_t width, uint32_t height,
                     const std::vector<std::vector<uint8_t>>& levels, std::vector<uint8_t>& out) {
  const PixelFormat* pf = FindFormat(format);
  if (!pf) return E_NOTIMPL;
  const uint32_t bytesPerPixel = pf->bits / 8;
  if (levels.empty()) return E_INVALIDARG;
  for (size_t i = 0; i < levels.size(); ++i) {
    const size_t w = std::max<size_t>(1, width >> i), h = std::max<size_t>(1, height >> i);
    if (levels[i].size() != w * h * bytesPerPixel) return E_INVALIDARG;
  }
  const uint32_t levelCount = uint32_t(levels.size());

  std::vector<uint8_t> file;
  file.insert(file.end(), {'D', 'D', 'S', ' '});
  Put32(file, 124);
  // CAPS | HEIGHT | WIDTH | PITCH | PIXELFORMAT, with MIPMAPCOUNT when there is a chain.
  Put32(file, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000 | (levelCount > 1 ? 0x20000 : 0));
  Put32(file, height);
  Put32(file, width);
  Put32(file, width * bytesPerPixel);
  Put32(file, 0);  // depth
  Put32(file, levelCount);
  for (int i = 0; i < 11; ++i) Put32(file, 0);
  Put32(file, 32);
  Put32(file, pf->flags);
  Put32(file, 0);  // FourCC
  for (uint32_t v : {pf->bits, pf->r, pf->g, pf->b, pf->a}) Put32(file, v);
  // TEXTURE, and COMPLEX | MIPMAP for a chain.
  Put32(file, 0x1000 | (levelCount > 1 ? 0x8 | 0x400000 : 0));
  for (int i = 0; i < 4; ++i) Put32(file, 0);
  for (const std::vector<uint8_t>& level : levels) file.insert(file.end(), level.begin(), level.end());
  out.insert(out.end(), file.begin(), file.end());
  return S_OK;
}

HRESULT WriteTextureAsDds(IDirect3DTexture9* texture, std::vector<uint8_t>& out) {
  if (!texture) return E_POINTER;
  D3DSURFACE_DESC top;
  HRESULT hr = texture->GetLevelDesc(0, &top);
  if (FAILED(hr)) return hr;
  const PixelFormat* pf = FindFormat(top.Format);
  if (!pf) return E_NOTIMPL;
  const uint32_t bytesPerPixel = pf->bits / 8;
  std::vector<std::vector<uint8_t>> levels(texture->GetLevelCount());
  for (DWORD level = 0; level < levels.size(); ++level) {
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT locked;
    hr = texture->GetLevelDesc(level, &desc);
    if (FAILED(hr)) return hr;
    hr = texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY);
    if (FAILED(hr)) return hr;
    const size_t row = size_t(desc.Width) * bytesPerPixel;
    const uint8_t* bits = static_cast<const uint8_t*>(locked.pBits);
    for (UINT y = 0; y < desc.Height; ++y)
      levels[level].insert(levels[level].end(), bits + size_t(y) * locked.Pitch, bits + size_t(y) * locked.Pitch + row);
    texture->UnlockRect(level);
  }
  return WriteDdsFile(top.Format, top.Width, top.Height, levels, out);
}
