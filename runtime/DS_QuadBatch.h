#pragma once
// A batch of textured screen quads drawn with one indexed draw call per chunk: the glyphs
// of the code rain. 16-bit indices address at most 65536 vertices, so a chunk holds at most
// 16383 quads (not 16384) and a larger batch is split over several chunks.
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <vector>

#include "device/ComRef.h"
#include "device/Meshes.h"

// One chunk: quad k uses vertices 4k..4k+3 in strip corner order (bottom left, top left,
// bottom right, top right) and the indices 4k, 4k+1, 4k+2, 4k+2, 4k+1, 4k+3.
class DS_QuadBatch : public DS_IndexedMesh<DX_V::SCT> {
 public:
  static constexpr uint32_t kMaxQuads = 16383;  // 4n - 1 must fit in 16-bit indices

  // Buffers for n quads with their indices written; every quad at (0, 0) with rhw 1,
  // colour 0 and the whole texture. A chunk of no quads holds no buffers.
  HRESULT Init(uint32_t n);
  // The texture coordinates of quad j in the locked vertices: u from left to right, v from
  // top to bottom.
  void SetQuadTexCoords(uint32_t j, float leftU, float rightU, float topV, float bottomV);
  uint32_t QuadCount() const { return vertexCount / 4; }

  ComRef<IDirect3DTexture9> texture;
};

// The six indices of quad j.
void WriteQuadIndices(uint32_t j, uint16_t* out);

class DS_QuadBatchList {
 public:
  DS_QuadBatchList();  // one chunk without buffers

  // n chunks; new ones have no buffers.
  void ResizeChunks(size_t n);
  // n quads over n / 16383 + 1 chunks, each sharing the first chunk's texture.
  void Resize(uint32_t n);
  // Locks (flags 0) or unlocks the vertex buffer of every chunk.
  void Lock();
  void Unlock();
  // The four corners of quad i: centre - x + y, centre - x - y, centre + x + y,
  // centre + x - y, each with rhw 1 (y pointing down the screen: bottom left first).
  void SetQuadPosition(uint32_t i, const D3DXVECTOR3& centre, const D3DXVECTOR3& xHalf, const D3DXVECTOR3& yHalf);
  void SetQuadColor(uint32_t i, D3DCOLOR colour);
  void SetTexture(IDirect3DTexture9* texture);
  // Every chunk that has quads, as an indexed triangle list with its texture on stage 0.
  // Render states are the caller's.
  void Draw() { Draw(quadCount_); }
  // The first count quads only: those after them were left invisible by their writer.
  void Draw(uint32_t count);

  uint32_t QuadCount() const { return quadCount_; }
  std::vector<DS_QuadBatch>& Chunks() { return chunks_; }
  const std::vector<DS_QuadBatch>& Chunks() const { return chunks_; }

 private:
  // The locked vertices of quad i, or null when its chunk is absent or not locked.
  DX_V::SCT* QuadVertices(uint32_t i);

  uint32_t quadCount_ = 0;
  std::vector<DS_QuadBatch> chunks_;
};
