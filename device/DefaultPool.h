#pragma once
// The default pool: every default-pool resource the program makes is made here, and what
// would keep one alive across a Reset is let go here.
//
// Windows' Direct3D 9 fails Reset with D3DERR_INVALIDCALL while any default-pool resource
// still exists, whoever holds it: an effect's texture parameter, a texture stage, a stream
// source, the indices, a render target. Wine 8 is lenient: an effect made by
// D3DXCreateEffect, its "Background" set to a 256 x 256 render-target texture, the
// program's own reference released (one left, the effect's), OnLostDevice, then Reset:
// D3D_OK. So the release step clears every texture parameter of every effect
// (ClearEffectTextures; the draws set them again each frame) and, before Reset, unbinds the
// device's stages, streams and indices (ReleaseDeviceBindings); the tests prove it by
// counting references themselves (DefaultPoolWatch), since a passing Reset here proves
// nothing.
#include <d3d9.h>
#include <d3dx9.h>

#include <string>
#include <vector>

#include "device/ComRef.h"

// Render-target textures (one level, A8R8G8B8 unless said otherwise) and buffers in the
// default pool; the name says what a leftover reference belongs to.
HRESULT CreateRenderTargetTexture(UINT width, UINT height, D3DFORMAT format, const char* name,
                                  ComRef<IDirect3DTexture9>& out);
HRESULT CreateDefaultPoolIndexBuffer(UINT bytes, DWORD usage, const char* name, ComRef<IDirect3DIndexBuffer9>& out);
HRESULT CreateDefaultPoolVertexBuffer(UINT bytes, DWORD usage, DWORD fvf, const char* name,
                                      ComRef<IDirect3DVertexBuffer9>& out);

// Sets every texture parameter of the effect to no texture.
void ClearEffectTextures(ID3DXEffect* effect);

// The samplers a texture can be bound to on a device of these caps: the 16 pixel samplers,
// and the 4 vertex samplers of shader model 3.
std::vector<DWORD> TextureSamplers(const D3DCAPS9& caps);

// Unbinds every texture stage and sampler, every stream source and the indices, and makes
// the back buffer render target 0 again (the others none).
void ReleaseDeviceBindings(IDirect3DDevice9* device);

// Tests only: while a watch lives, it holds one more reference to every default-pool
// resource made above, so that it can tell which of them someone else still holds.
class DefaultPoolWatch {
 public:
  DefaultPoolWatch();
  ~DefaultPoolWatch();
  DefaultPoolWatch(const DefaultPoolWatch&) = delete;
  DefaultPoolWatch& operator=(const DefaultPoolWatch&) = delete;

  // The names of the watched resources that someone besides the watch still holds; the
  // others are let go (they are gone now) and no longer watched.
  std::vector<std::string> Survivors();
  // How many resources were made while the watch lived.
  size_t MadeCount() const { return made_; }

  // Called by the creators above.
  static void Watch(IUnknown* resource, const char* name);

 private:
  struct Watched {
    ComRef<IUnknown> resource;
    std::string name;
  };
  std::vector<Watched> watched_;
  size_t made_ = 0;
};
