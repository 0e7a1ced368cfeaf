#pragma once
// Device calls made only as Windows' Direct3D 9 accepts them. Wine's d3d9 lets the
// arguments below through (measured: a depth clear with no depth surface bound, a render-target
// copy into a smaller, other-format or default-pool surface all return D3D_OK); Windows
// refuses each with D3DERR_INVALIDCALL and does nothing, so the rule is checked here.
#include <d3d9.h>

// The clear flags the device's bound surfaces allow: without a depth surface no
// D3DCLEAR_ZBUFFER, without a stencil in it no D3DCLEAR_STENCIL.
DWORD ClearableFlags(IDirect3DDevice9* device, DWORD flags);
// Clear with those flags; nothing when none is left.
HRESULT ClearBoundSurfaces(IDirect3DDevice9* device, DWORD flags, D3DCOLOR colour, float z, DWORD stencil);

// Whether GetRenderTargetData may copy a surface described by `target` into one described
// by `copy`: a render target without multisampling, into a system-memory surface of its
// size and format. D3D_OK or D3DERR_INVALIDCALL.
HRESULT CheckRenderTargetCopy(const D3DSURFACE_DESC& target, const D3DSURFACE_DESC& copy);
// GetRenderTargetData after that check.
HRESULT CopyRenderTargetData(IDirect3DDevice9* device, IDirect3DSurface9* target, IDirect3DSurface9* copy);
