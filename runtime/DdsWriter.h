#pragma once
// A DDS file of a texture's every level, written by us: D3DX under Wine cannot save DDS.
#include <d3d9.h>

#include <cstdint>
#include <vector>

// Appends the DDS file (magic, header, the levels one after another) to out. E_NOTIMPL for a
// format it does not know (compressed and float formats), the lock's code when a level cannot
// be read; out is unchanged on failure.
HRESULT WriteTextureAsDds(IDirect3DTexture9* texture, std::vector<uint8_t>& out);
