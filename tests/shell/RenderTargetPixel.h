#pragma once
// Reads one pixel of a device's current render target (0x00RRGGBB), through a system-memory
// copy; 0xDEADBEEF when the device cannot give it.
#include <d3d9.h>

#include <cstdint>

#include "device/ComRef.h"
#include "device/StrictCalls.h"

inline uint32_t RenderTargetPixel(IDirect3DDevice9* device, int x, int y) {
  ComRef<IDirect3DSurface9> target, copy;
  if (FAILED(device->GetRenderTarget(0, target.Put()))) return 0xDEADBEEF;
  D3DSURFACE_DESC desc;
  target->GetDesc(&desc);
  if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, copy.Put(),
                                                 nullptr)) ||
      FAILED(CopyRenderTargetData(device, target.Get(), copy.Get())))
    return 0xDEADBEEF;
  D3DLOCKED_RECT lr;
  if (FAILED(copy->LockRect(&lr, nullptr, D3DLOCK_READONLY))) return 0xDEADBEEF;
  const uint32_t v = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(lr.pBits) + y * lr.Pitch)[x];
  copy->UnlockRect();
  return v & 0xFFFFFF;
}
