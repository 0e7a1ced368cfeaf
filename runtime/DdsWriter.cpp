#include "runtime/DdsWriter.h"

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

}  // namespace

HRESULT WriteTextureAsDds(IDirect3DTexture9* texture, std::vector<uint8_t>& out) {
  if (!texture) return E_POINTER;
  D3DSURFACE_DESC top;
  HRESULT hr = texture->GetLevelDesc(0, &top);
  if (FAILED(hr)) return hr;
  const PixelFormat* pf = nullptr;
  for (const PixelFormat& f : kFormats)
    if (f.format == top.Format) pf = &f;
  if (!pf) return E_NOTIMPL;
  const DWORD levels = texture->GetLevelCount();
  const uint32_t bytesPerPixel = pf->bits / 8;

  std::vector<uint8_t> file;
  file.insert(file.end(), {'D', 'D', 'S', ' '});
  Put32(file, 124);
  // CAPS | HEIGHT | WIDTH | PITCH | PIXELFORMAT, with MIPMAPCOUNT when there is a chain.
  Put32(file, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000 | (levels > 1 ? 0x20000 : 0));
  Put32(file, top.Height);
  Put32(file, top.Width);
  Put32(file, top.Width * bytesPerPixel);
  Put32(file, 0);  // depth
  Put32(file, levels);
  for (int i = 0; i < 11; ++i) Put32(file, 0);
  Put32(file, 32);
  Put32(file, pf->flags);
  Put32(file, 0);  // FourCC
  for (uint32_t v : {pf->bits, pf->r, pf->g, pf->b, pf->a}) Put32(file, v);
  // TEXTURE, and COMPLEX | MIPMAP for a chain.
  Put32(file, 0x1000 | (levels > 1 ? 0x8 | 0x400000 : 0));
  for (int i = 0; i < 4; ++i) Put32(file, 0);

  for (DWORD level = 0; level < levels; ++level) {
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT locked;
    hr = texture->GetLevelDesc(level, &desc);
    if (FAILED(hr)) return hr;
    hr = texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY);
    if (FAILED(hr)) return hr;
    const size_t row = size_t(desc.Width) * bytesPerPixel;
    const uint8_t* bits = static_cast<const uint8_t*>(locked.pBits);
    for (UINT y = 0; y < desc.Height; ++y) file.insert(file.end(), bits + size_t(y) * locked.Pitch, bits + size_t(y) * locked.Pitch + row);
    texture->UnlockRect(level);
  }
  out.insert(out.end(), file.begin(), file.end());
  return S_OK;
}
