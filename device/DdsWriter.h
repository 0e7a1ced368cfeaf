#pragma once
// A DDS file of a texture's every level, written by us: D3DX under Wine cannot save DDS.
#include <d3d9.h>

#include <cstdint>
#include <vector>

// Appends the DDS file (magic, header, the levels one after another) to out. E_NOTIMPL for a
// format it does not know (compressed and float formats), the lock's code when a level cannot
// be read; out is unchanged on failure.
HRESULT WriteTextureAsDds(IDirect3DTexture9* texture, std::vector<uint8_t>& out);

// The same file from pixels in memory: levels[i] holds level i's rows, tightly packed, each
// level half the size of the one before (at least 1). E_NOTIMPL for a format the writer
// does not know, E_INVALIDARG when a level's size does not match; out is unchanged then.
HRESULT WriteDdsFile(D3DFORMAT format, uint32_t width, uint32_t height,
                     const std::vector<std::vector<uint8_t>>& levels, std::vector<uint8_t>& out);
