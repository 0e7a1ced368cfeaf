#pragma once
// A texture with the size of the picture it was made from (aspect = height / width).
#include <d3d9.h>

#include <cstdint>

#include "device/ComRef.h"

struct DS_TextureInfo {
  ComRef<IDirect3DTexture9> texture;
  uint32_t width = 0;
  uint32_t height = 0;
  float aspect = 1.0f;
};
