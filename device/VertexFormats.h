#pragma once
// The fixed vertex layouts every mesh is built from. Field order is what the flexible
// vertex format codes require; the sizes are the strides passed to SetStreamSource.
#include <d3d9.h>

#include <cstdint>

namespace DX_V {

struct PCT {  // sprite arrays
  float x, y, z;
  D3DCOLOR color;
  float u, v;
  static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
};

struct PT {  // the picture mesh, brush grids, backgrounds
  float x, y, z;
  float u, v;
  static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_TEX1;
};

struct PC {  // object rectangle frames
  float x, y, z;
  D3DCOLOR color;
  static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE;
};

struct PNT {  // meshes loaded from .x data
  float x, y, z;
  float nx, ny, nz;
  float u, v;
  static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
};

struct SC {  // fader and letterbox bars, in screen pixels
  float x, y, z, rhw;
  D3DCOLOR color;
  static constexpr DWORD FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
};

struct SCT {  // textured screen quads and glyph batches
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
  static constexpr DWORD FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
};

struct PTT {  // the lake light's reflection mesh
  float x, y, z;
  float u0, v0;
  float u1, v1;
  static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_TEX2;
};

}  // namespace DX_V

static_assert(sizeof(DX_V::PCT) == 24 && DX_V::PCT::FVF == 0x142);
static_assert(sizeof(DX_V::PT) == 20 && DX_V::PT::FVF == 0x102);
static_assert(sizeof(DX_V::PC) == 16 && DX_V::PC::FVF == 0x42);
static_assert(sizeof(DX_V::PNT) == 32 && DX_V::PNT::FVF == 0x112);
static_assert(sizeof(DX_V::SC) == 20 && DX_V::SC::FVF == 0x44);
static_assert(sizeof(DX_V::SCT) == 28 && DX_V::SCT::FVF == 0x144);
static_assert(sizeof(DX_V::PTT) == 28 && DX_V::PTT::FVF == 0x202);
