#include "device/StrictCalls.h"

#include "device/ComRef.h"

namespace {
bool HasStencil(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_D15S1:
    case D3DFMT_D24S8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D24FS8:
      return true;
    default:
      return false;
  }
}
}  // namespace

DWORD ClearableFlags(IDirect3DDevice9* device, DWORD flags) {
  if (!(flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))) return flags;
  ComRef<IDirect3DSurface9> depth;
  D3DSURFACE_DESC desc{};
  if (!device || FAILED(device->GetDepthStencilSurface(depth.Put())) || !depth || FAILED(depth->GetDesc(&desc)))
    return flags & ~DWORD(D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
  return HasStencil(desc.Format) ? flags : flags & ~DWORD(D3DCLEAR_STENCIL);
}

HRESULT ClearBoundSurfaces(IDirect3DDevice9* device, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) {
  if (!device) return D3DERR_INVALIDCALL;
  flags = ClearableFlags(device, flags);
  return flags ? device->Clear(0, nullptr, flags, colour, z, stencil) : D3D_OK;
}

HRESULT CheckRenderTargetCopy(const D3DSURFACE_DESC& target, const D3DSURFACE_DESC& copy) {
  const bool fromTarget = (target.Usage & D3DUSAGE_RENDERTARGET) && target.Pool == D3DPOOL_DEFAULT &&
                          target.MultiSampleType == D3DMULTISAMPLE_NONE;
  const bool intoCopy = copy.Pool == D3DPOOL_SYSTEMMEM && copy.Width == target.Width &&
                        copy.Height == target.Height && copy.Format == target.Format;
  return fromTarget && intoCopy ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT CopyRenderTargetData(IDirect3DDevice9* device, IDirect3DSurface9* target, IDirect3DSurface9* copy) {
  D3DSURFACE_DESC from{}, to{};
  if (!device || !target || !copy || FAILED(target->GetDesc(&from)) || FAILED(copy->GetDesc(&to)))
    return D3DERR_INVALIDCALL;
  const HRESULT allowed = CheckRenderTargetCopy(from, to);
  return FAILED(allowed) ? allowed : device->GetRenderTargetData(target, copy);
}
