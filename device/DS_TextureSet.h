#pragma once
// The textures of one picture: one per animation frame (entries may be null), the frame
// times, and the size of the picture loaded last. Copies share the textures.
#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "device/ComRef.h"

struct DS_TextureSet {
  std::vector<ComRef<IDirect3DTexture9>> textures;
  std::vector<float> frameTimes;
  uint32_t width = 0;
  uint32_t height = 0;
  float aspect = 1.0f;  // height / width
};
