#pragma once
// Small helpers for drawing tests: solid or striped textures and reading textures back.
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "device/ComRef.h"
#include "device/CurrentDevice.h"
#include "device/StrictCalls.h"

// A managed A8R8G8B8 texture whose texel (x, y) is colour(x, y).
inline ComRef<IDirect3DTexture9> MakeTexture(UINT w, UINT h, const std::function<D3DCOLOR(UINT, UINT)>& colour) {
  ComRef<IDirect3DTexture9> t;
  if (FAILED(g_currentDevice->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t.Put(), nullptr)))
    return {};
  D3DLOCKED_RECT lr;
  if (FAILED(t->LockRect(0, &lr, nullptr, 0))) return {};
  for (UINT y = 0; y < h; ++y)
    for (UINT x = 0; x < w; ++x)
      reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch)[x] = colour(x, y);
  t->UnlockRect(0);
  return t;
}

// Level 0 of any texture as 0xAARRGGBB values (render targets through a system-memory copy).
inline std::vector<uint32_t> ReadTexture(IDirect3DTexture9* texture, UINT* width = nullptr, UINT* height = nullptr) {
  std::vector<uint32_t> out;
  D3DSURFACE_DESC desc;
  if (!texture || FAILED(texture->GetLevelDesc(0, &desc))) return out;
  ComRef<IDirect3DSurface9> level, sys;
  texture->GetSurfaceLevel(0, level.Put());
  if (FAILED(g_currentDevice->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                          sys.Put(), nullptr)))
    return out;
  D3DSURFACE_DESC copyDesc;
  sys->GetDesc(&copyDesc);
  HRESULT hr = SUCCEEDED(CheckRenderTargetCopy(desc, copyDesc))
                   ? CopyRenderTargetData(g_currentDevice, level.Get(), sys.Get())
                   : D3DXLoadSurfaceFromSurface(sys.Get(), nullptr, nullptr, level.Get(), nullptr, nullptr,
                                                D3DX_FILTER_NONE, 0);
  if (FAILED(hr)) return out;
  D3DLOCKED_RECT lr;
  if (FAILED(sys->LockRect(&lr, nullptr, D3DLOCK_READONLY))) return out;
  out.resize(size_t(desc.Width) * desc.Height);
  for (UINT y = 0; y < desc.Height; ++y)
    for (UINT x = 0; x < desc.Width; ++x)
      out[size_t(y) * desc.Width + x] =
          reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(lr.pBits) + y * lr.Pitch)[x];
  sys->UnlockRect();
  if (width) *width = desc.Width;
  if (height) *height = desc.Height;
  return out;
}
