#pragma once
// Textures from pictures (resources of type "DDS", modules, memory), texture-info and
// texture-set conversion, the back buffer's description, resampling, DDS saving and the
// 8 x 8 cell grid index buffer. Everything is made on g_currentDevice in the managed pool.
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>

#include "device/ComRef.h"
#include "device/DS_TextureInfo.h"
#include "device/DS_TextureSet.h"

// info := texture (shared), the source size, aspect height / width.
void MakeTextureInfo(uint32_t width, uint32_t height, DS_TextureInfo& info, IDirect3DTexture9* texture);
// The set holds only the info's texture, with its size.
void FillTextureSetFromInfo(const DS_TextureInfo& info, DS_TextureSet& set);
// The set's first texture with the set's size; an empty set gives the empty info.
void GetTextureInfoFromSet(const DS_TextureSet& set, DS_TextureInfo& info);
// Back buffer 0 of swap chain 0; all zero when the device has none.
void GetBackBufferDesc(D3DSURFACE_DESC& desc);
// Whether the device's adapter makes textures of the format (in its current display format).
bool SupportsTextureFormat(IDirect3DDevice9* device, D3DFORMAT format);

// Two triangles per cell of an 8 x 8 grid over a 9 x 9 vertex lattice stored row by row.
struct DS_GridIndexBuffer {
  static constexpr uint32_t kIndexCount = 384;
  ComRef<IDirect3DIndexBuffer9> indexBuffer;
  uint32_t triangleCount = 0;
  uint16_t* lockedIndices = nullptr;
};
void WriteGridIndices(uint16_t* out);  // the 384 indices
void CreateGridIndexBuffer(DS_GridIndexBuffer& grid);

// out := a new texture of w x h in the format (full mip chain) whose level 0 holds the
// source; null when the source is null or the texture cannot be made.
void ResampleTexture(IDirect3DTexture9* source, UINT width, UINT height, D3DFORMAT format,
                     ComRef<IDirect3DTexture9>& out);
HRESULT SaveTextureToDds(IDirect3DTexture9* texture, ComRef<ID3DXBuffer>& out);

// The loaders leave out unchanged on failure: E_FAIL when the resource is missing or
// cannot be loaded, the D3DX code when the picture cannot be decoded.
HRESULT LoadTextureFromResource(ComRef<IDirect3DTexture9>& out, WORD id, bool fullMipChain);
HRESULT LoadTextureFromModule(HMODULE module, WORD id, ComRef<IDirect3DTexture9>& out, D3DXIMAGE_INFO* info);
HRESULT LoadTextureFromMemory(const void* data, UINT size, D3DXIMAGE_INFO* info, ComRef<IDirect3DTexture9>& out);

// The bytes of resource id of type "DDS" in the module (null: the program); false when
// it is missing or empty.
bool FindDdsResource(HMODULE module, WORD id, const void*& data, DWORD& size);
