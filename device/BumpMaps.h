#pragma once
// Bump maps in the signed V8U8 format, made and loaded by our own code on every platform:
// D3DX under Wine computes no normal maps (D3DXComputeNormalMap returns success and writes
// nothing), converts nothing into or out of a signed format, and loads no V8U8 DDS file
// (both E_NOTIMPL; see the team's notes on Wine's Direct3D features).
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <vector>

#include "device/ComRef.h"

// A normal map of a height field (heights 0..255, row by row, the picture's red channel),
// as D3DXComputeNormalMap makes it with flags 0: central differences over neighbours that
// wrap around the edges, heights scaled by the amplitude, the unit normal
// (-amplitude dh/dx, -amplitude dh/dy, 1) stored as 0xAARRGGBB with each component c in
// -1..1 as the byte round(255 (c + 1) / 2), alpha 255.
std::vector<uint32_t> ComputeNormalMap(const std::vector<uint8_t>& heights, uint32_t width, uint32_t height,
                                       float amplitude);

// The signed code of an unsigned channel, as a conversion into a signed format reads it:
// 0..255 spans -1..1, so the code is round(127 (2c / 255 - 1)).
int8_t SignedFromUnsigned(uint8_t channel);
// V8U8 texels (U, then V, per texel) of a normal map: U from red, V from green.
std::vector<uint8_t> NormalMapToV8U8(const std::vector<uint32_t>& argb);

// A managed V8U8 texture with the given levels (level i holds its rows tightly packed, each
// level half the size of the one before, at least 1). Out changes only on success.
HRESULT CreateV8U8Texture(uint32_t width, uint32_t height, const std::vector<std::vector<uint8_t>>& levels,
                          ComRef<IDirect3DTexture9>& out);

// The levels of a V8U8 DDS file (pixel format DDPF_BUMPDUDV, 16 bits, masks 0x00FF and
// 0xFF00). False for any other file, or one whose levels do not fit in its bytes.
struct V8U8Image {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<std::vector<uint8_t>> levels;
};
bool IsV8U8Dds(const void* data, size_t size);
bool ParseV8U8Dds(const void* data, size_t size, V8U8Image& image);
// A V8U8 DDS file as a managed texture of its own size and levels; E_FAIL when the bytes
// are not one. info (may be null) gets the file's size, levels and format.
HRESULT LoadV8U8DdsTexture(const void* data, size_t size, D3DXIMAGE_INFO* info, ComRef<IDirect3DTexture9>& out);
