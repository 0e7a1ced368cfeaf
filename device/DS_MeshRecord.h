#pragma once
// A mesh made from .x data: its buffers (16-bit indices), counts and bounding sphere.
// A vertex count of 0 means no mesh is loaded. Copies share the buffers.
#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>

#include "device/ComRef.h"

struct DS_MeshRecord {
  ComRef<IDirect3DVertexBuffer9> vertexBuffer;
  ComRef<IDirect3DIndexBuffer9> indexBuffer;
  uint32_t vertexCount = 0;
  uint32_t faceCount = 0;
  float boundingRadius = 0.0f;
  D3DXVECTOR3 boundingCentre{0.0f, 0.0f, 0.0f};

  void Release() {
    vertexBuffer.Reset();
    indexBuffer.Reset();
  }
};
