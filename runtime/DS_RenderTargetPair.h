#pragma once
// Two back-buffer-sized render targets used alternately to capture the scene: an effect
// reads the scene drawn so far from one while drawing into the other. The targets are in
// the default pool: release them (ReleaseTargets) before a device reset and Create again
// after it.
//
// When the targets cannot be made the capture is off: Begin does nothing, Swap hands back
// no texture and End restores nothing, so drawing simply stays on the back buffer.
#include <d3d9.h>

#include <cstdint>

#include "device/ComRef.h"

class DS_RenderTargetPair {
 public:
  void Create(uint32_t width, uint32_t height);
  // Create, then copy the source's level 0 into the current target.
  void CreateFromTexture(IDirect3DTexture9* source, uint32_t width, uint32_t height);
  // Saves the device's render target and depth surface and draws into the texture (the
  // pair's current one) without depth.
  void Begin(IDirect3DTexture9* texture);
  // Draws into the other target, cleared to opaque black; returns the texture that was
  // current (it holds everything drawn so far), or null while the capture is off.
  IDirect3DTexture9* Swap();
  // Restores the surfaces that Begin saved.
  void End();
  // Releases the default-pool targets (before a device reset).
  void ReleaseTargets();
  bool Ready() const { return targets[0] && targets[1]; }

  ComRef<IDirect3DTexture9> current;
  ComRef<IDirect3DTexture9> targets[2];
  ComRef<IDirect3DSurface9> savedRenderTarget;
  ComRef<IDirect3DSurface9> savedDepthSurface;
  uint32_t width = 0;
  uint32_t height = 0;
  int32_t index = 0;

 private:
  bool capturing_ = false;
};
