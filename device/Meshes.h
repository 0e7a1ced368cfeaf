#pragma once
// Vertex-buffer meshes on a frame. Copies share their buffers (one more COM reference);
// they never duplicate them. Every buffer made here is write-only and in the managed
// pool, so it survives a device reset.
#include <d3d9.h>

#include <cstdint>

#include "device/ComRef.h"
#include "device/CurrentDevice.h"
#include "device/DS_Frame.h"
#include "device/VertexFormats.h"

// Locks a whole buffer (flags 0); null when there is none or the lock fails.
template <class T, class Buffer>
T* LockWholeBuffer(Buffer* buffer) {
  void* p = nullptr;
  return buffer && SUCCEEDED(buffer->Lock(0, 0, &p, 0)) ? static_cast<T*>(p) : nullptr;
}

template <class V>
class DS_SimpleMesh : public DS_Frame {
 public:
  // Locks the whole buffer (flags 0) and keeps the pointer in lockedVertices; null when
  // there is no buffer or the lock fails.
  V* Lock() { return lockedVertices = LockWholeBuffer<V>(vertexBuffer.Get()); }
  void Unlock() {
    if (lockedVertices && vertexBuffer) vertexBuffer->Unlock();
    lockedVertices = nullptr;
  }

  ComRef<IDirect3DVertexBuffer9> vertexBuffer;
  V* lockedVertices = nullptr;
  uint32_t vertexCount = 0;
  D3DPRIMITIVETYPE primitiveType = D3DPT_TRIANGLESTRIP;
  uint32_t primitiveCount = 0;  // of a non-indexed draw
  // The colours the quad operations last wrote into a quad's four vertices. They change a
  // colour's alpha or its colour bytes from here: a D3DUSAGE_WRITEONLY buffer may not be read
  // back (Direct3D 9 documents such reads as failing; Wine hands back what was written).
  D3DCOLOR quadColours[4] = {};
};

template <class V>
class DS_IndexedMesh : public DS_SimpleMesh<V> {
 public:
  uint16_t* LockIndices() { return lockedIndices = LockWholeBuffer<uint16_t>(indexBuffer.Get()); }
  void UnlockIndices() {
    if (lockedIndices && indexBuffer) indexBuffer->Unlock();
    lockedIndices = nullptr;
  }

  // Buffers for an indexed triangle list of quads: vertexCount vertices of layout V and
  // indexCount 16-bit indices, both write-only and managed. A count of 0 makes no buffer
  // (a buffer of no bytes cannot be made or locked); the old buffers are released either way.
  HRESULT CreateQuadBuffers(uint32_t vertexCount, uint32_t indexCount);

  ComRef<IDirect3DIndexBuffer9> indexBuffer;  // D3DFMT_INDEX16
  uint32_t indexedPrimitiveCount = 0;
  uint16_t* lockedIndices = nullptr;
};

// Replaces the mesh's vertex buffer by a new one of count vertices of layout V. On failure
// the mesh holds no buffer. The count is stored either way.
template <class V>
HRESULT CreateMeshVertexBuffer(uint32_t count, DS_SimpleMesh<V>& mesh, DWORD usage = D3DUSAGE_WRITEONLY,
                               D3DPOOL pool = D3DPOOL_MANAGED) {
  mesh.vertexBuffer.Reset();
  mesh.lockedVertices = nullptr;
  mesh.vertexCount = count;
  if (!g_currentDevice) return E_FAIL;
  return g_currentDevice->CreateVertexBuffer(UINT(count * sizeof(V)), usage, V::FVF, pool, mesh.vertexBuffer.Put(),
                                             nullptr);
}

inline HRESULT CreateVertexBufferPT(uint32_t n, DS_SimpleMesh<DX_V::PT>& m, DWORD usage = D3DUSAGE_WRITEONLY,
                                    D3DPOOL pool = D3DPOOL_MANAGED) {
  return CreateMeshVertexBuffer(n, m, usage, pool);
}
inline HRESULT CreateVertexBufferSCT(uint32_t n, DS_SimpleMesh<DX_V::SCT>& m, DWORD usage = D3DUSAGE_WRITEONLY,
                                     D3DPOOL pool = D3DPOOL_MANAGED) {
  return CreateMeshVertexBuffer(n, m, usage, pool);
}
inline HRESULT CreateVertexBufferSC(uint32_t n, DS_SimpleMesh<DX_V::SC>& m, DWORD usage = D3DUSAGE_WRITEONLY,
                                    D3DPOOL pool = D3DPOOL_MANAGED) {
  return CreateMeshVertexBuffer(n, m, usage, pool);
}
inline HRESULT CreateVertexBufferPC(uint32_t n, DS_SimpleMesh<DX_V::PC>& m, DWORD usage = D3DUSAGE_WRITEONLY,
                                    D3DPOOL pool = D3DPOOL_MANAGED) {
  return CreateMeshVertexBuffer(n, m, usage, pool);
}
inline HRESULT CreateVertexBufferPCT(uint32_t n, DS_SimpleMesh<DX_V::PCT>& m, DWORD usage = D3DUSAGE_WRITEONLY,
                                     D3DPOOL pool = D3DPOOL_MANAGED) {
  return CreateMeshVertexBuffer(n, m, usage, pool);
}
inline HRESULT CreateVertexBufferPTT(uint32_t n, DS_SimpleMesh<DX_V::PTT>& m, DWORD usage = D3DUSAGE_WRITEONLY,
                                     D3DPOOL pool = D3DPOOL_MANAGED) {
  return CreateMeshVertexBuffer(n, m, usage, pool);
}

template <class V>
HRESULT DS_IndexedMesh<V>::CreateQuadBuffers(uint32_t vertexCount, uint32_t indexCount) {
  this->primitiveType = D3DPT_TRIANGLELIST;
  this->primitiveCount = 0;
  indexedPrimitiveCount = indexCount / 3;
  indexBuffer.Reset();
  lockedIndices = nullptr;
  this->vertexBuffer.Reset();
  this->lockedVertices = nullptr;
  this->vertexCount = vertexCount;
  if (vertexCount == 0 || indexCount == 0) return S_OK;
  HRESULT hr = CreateMeshVertexBuffer(vertexCount, *this);
  if (FAILED(hr)) return hr;
  if (!g_currentDevice) return E_FAIL;
  return g_currentDevice->CreateIndexBuffer(UINT(indexCount * sizeof(uint16_t)), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                            D3DPOOL_MANAGED, indexBuffer.Put(), nullptr);
}

// A fresh four-vertex triangle strip (two primitives); the users write the corners.
template <class V>
HRESULT CreateQuad(DS_SimpleMesh<V>& mesh) {
  HRESULT hr = CreateMeshVertexBuffer(4, mesh);
  mesh.primitiveType = D3DPT_TRIANGLESTRIP;
  mesh.primitiveCount = 2;
  return hr;
}
inline HRESULT CreateQuadPT(DS_SimpleMesh<DX_V::PT>& m) { return CreateQuad(m); }
inline HRESULT CreateQuadSC(DS_SimpleMesh<DX_V::SC>& m) { return CreateQuad(m); }
inline HRESULT CreateQuadPC(DS_SimpleMesh<DX_V::PC>& m) { return CreateQuad(m); }
inline HRESULT CreateQuadSCT(DS_SimpleMesh<DX_V::SCT>& m) { return CreateQuad(m); }

// Stream source, FVF and (for indexed meshes) indices before a draw call.
template <class V>
void BindVertices(const DS_SimpleMesh<V>& mesh) {
  if (!g_currentDevice) return;
  g_currentDevice->SetVertexShader(nullptr);
  g_currentDevice->SetFVF(V::FVF);
  g_currentDevice->SetStreamSource(0, mesh.vertexBuffer.Get(), 0, sizeof(V));
}
template <class V>
void BindIndexed(const DS_IndexedMesh<V>& mesh) {
  if (!g_currentDevice) return;
  g_currentDevice->SetIndices(mesh.indexBuffer.Get());
  BindVertices(mesh);
}
inline void BindIndexedPT(const DS_IndexedMesh<DX_V::PT>& m) { BindIndexed(m); }
inline void BindIndexedPNT(const DS_IndexedMesh<DX_V::PNT>& m) { BindIndexed(m); }
inline void BindIndexedPCT(const DS_IndexedMesh<DX_V::PCT>& m) { BindIndexed(m); }
