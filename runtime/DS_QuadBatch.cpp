#include "runtime/DS_QuadBatch.h"

#include <algorithm>

#include "device/CurrentDevice.h"

void WriteQuadIndices(uint32_t j, uint16_t* out) {
  const uint16_t v = uint16_t(4 * j);
  out[0] = v;
  out[1] = uint16_t(v + 1);
  out[2] = uint16_t(v + 2);
  out[3] = uint16_t(v + 2);
  out[4] = uint16_t(v + 1);
  out[5] = uint16_t(v + 3);
}

HRESULT DS_QuadBatch::Init(uint32_t n) {
  n = std::min(n, kMaxQuads);
  HRESULT hr = CreateQuadBuffers(4 * n, 6 * n);
  if (FAILED(hr) || n == 0) return hr;
  if (uint16_t* indices = LockIndices()) {
    for (uint32_t j = 0; j < n; ++j) WriteQuadIndices(j, indices + 6 * j);
    UnlockIndices();
  }
  if (DX_V::SCT* v = Lock()) {
    std::fill(v, v + 4 * n, DX_V::SCT{0, 0, 0, 1.0f, 0, 0, 0});
    for (uint32_t j = 0; j < n; ++j) SetQuadTexCoords(j, 0.0f, 1.0f, 0.0f, 1.0f);
    Unlock();
  }
  return hr;
}

void DS_QuadBatch::SetQuadTexCoords(uint32_t j, float leftU, float rightU, float topV, float bottomV) {
  if (!lockedVertices || j >= QuadCount()) return;
  DX_V::SCT* v = lockedVertices + 4 * j;
  v[0].u = leftU, v[0].v = bottomV;
  v[1].u = leftU, v[1].v = topV;
  v[2].u = rightU, v[2].v = bottomV;
  v[3].u = rightU, v[3].v = topV;
}

DS_QuadBatchList::DS_QuadBatchList() : chunks_(1) {}

void DS_QuadBatchList::ResizeChunks(size_t n) { chunks_.resize(n); }

void DS_QuadBatchList::Resize(uint32_t n) {
  const uint32_t perChunk = DS_QuadBatch::kMaxQuads;
  ResizeChunks(n / perChunk + 1);
  for (size_t i = 0; i < chunks_.size(); ++i) {
    const uint32_t first = uint32_t(i) * perChunk;
    chunks_[i].Init(std::min(n - first, perChunk));
    if (i > 0) chunks_[i].texture = chunks_[0].texture;
  }
  quadCount_ = n;
}

void DS_QuadBatchList::Lock() {
  for (DS_QuadBatch& chunk : chunks_) chunk.Lock();
}

void DS_QuadBatchList::Unlock() {
  for (DS_QuadBatch& chunk : chunks_) chunk.Unlock();
}

DX_V::SCT* DS_QuadBatchList::QuadVertices(uint32_t i) {
  const size_t chunk = i / DS_QuadBatch::kMaxQuads;
  const uint32_t j = i % DS_QuadBatch::kMaxQuads;
  if (chunk >= chunks_.size()) return nullptr;
  DS_QuadBatch& c = chunks_[chunk];
  if (!c.lockedVertices || j >= c.QuadCount()) return nullptr;
  return c.lockedVertices + 4 * j;
}

void DS_QuadBatchList::SetQuadPosition(uint32_t i, const D3DXVECTOR3& c, const D3DXVECTOR3& x, const D3DXVECTOR3& y) {
  DX_V::SCT* v = QuadVertices(i);
  if (!v) return;
  const D3DXVECTOR3 corners[4] = {c - x + y, c - x - y, c + x + y, c + x - y};
  for (int k = 0; k < 4; ++k) {
    v[k].x = corners[k].x;
    v[k].y = corners[k].y;
    v[k].z = corners[k].z;
    v[k].rhw = 1.0f;
  }
}

void DS_QuadBatchList::SetQuadColor(uint32_t i, D3DCOLOR colour) {
  DX_V::SCT* v = QuadVertices(i);
  if (!v) return;
  for (int k = 0; k < 4; ++k) v[k].color = colour;
}

void DS_QuadBatchList::SetTexture(IDirect3DTexture9* texture) {
  for (DS_QuadBatch& chunk : chunks_) chunk.texture = ComRef<IDirect3DTexture9>::Share(texture);
}

void DS_QuadBatchList::Draw(uint32_t count) {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  for (const DS_QuadBatch& chunk : chunks_) {
    if (chunk.QuadCount() == 0 || !chunk.vertexBuffer || !chunk.indexBuffer) continue;
    const uint32_t quads = std::min(count, chunk.QuadCount());
    count -= quads;
    // Bound as for a full draw, so the states after it do not depend on the count.
    d->SetTexture(0, chunk.texture.Get());
    BindIndexed(chunk);
    if (quads != 0) d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4 * quads, 0, 2 * quads);
  }
}
