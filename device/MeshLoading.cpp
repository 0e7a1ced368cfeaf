#include "device/MeshLoading.h"

#include <cstring>

#include "device/CurrentDevice.h"
#include "device/TextureHelpers.h"
#include "device/VertexFormats.h"

namespace {
struct LoadedX {
  ComRef<ID3DXMesh> mesh;
  ComRef<ID3DXBuffer> adjacency, materials, effects;
  DWORD materialCount = 0;
};

// Clone to position/normal/uv, normals, optimisation, buffers and bounding sphere.
HRESULT FillRecord(LoadedX& x, UINT vertexSize, DS_MeshRecord& record) {
  ComRef<ID3DXMesh> clone;
  HRESULT hr = x.mesh->CloneMeshFVF(D3DXMESH_SYSTEMMEM, DX_V::PNT::FVF, g_currentDevice, clone.Put());
  if (FAILED(hr)) return hr;
  if (FAILED(hr = D3DXComputeNormals(clone.Get(), nullptr))) return hr;
  // Wine lacks the vertex-cache part and then leaves the mesh as it was, which still draws.
  clone->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                         x.adjacency ? static_cast<const DWORD*>(x.adjacency->GetBufferPointer()) : nullptr, nullptr,
                         nullptr, nullptr);
  // Copying more bytes per vertex than the clone holds would read past its buffer.
  if (vertexSize == 0 || vertexSize > clone->GetNumBytesPerVertex()) return E_INVALIDARG;
  // The record keeps 16-bit indices: a mesh they cannot address would draw garbage (Wine
  // loads one anyway and cuts its indices to 16 bits).
  if ((clone->GetOptions() & D3DXMESH_32BIT) || clone->GetNumVertices() > 65536) return D3DXERR_INVALIDMESH;

  DS_MeshRecord made;
  made.vertexCount = clone->GetNumVertices();
  made.faceCount = clone->GetNumFaces();
  if (FAILED(hr = CopyMeshIndices(clone.Get(), made.indexBuffer))) return hr;
  if (FAILED(hr = CopyMeshVertices(clone.Get(), vertexSize, made.vertexBuffer))) return hr;

  ComRef<IDirect3DVertexBuffer9> vb;
  if (FAILED(hr = clone->GetVertexBuffer(vb.Put()))) return hr;
  void* positions = nullptr;
  if (FAILED(hr = vb->Lock(0, 0, &positions, D3DLOCK_READONLY))) return hr;
  hr = D3DXComputeBoundingSphere(static_cast<const D3DXVECTOR3*>(positions), made.vertexCount,
                                 D3DXGetFVFVertexSize(DX_V::PNT::FVF), &made.boundingCentre, &made.boundingRadius);
  vb->Unlock();
  if (FAILED(hr)) return hr;
  record = std::move(made);
  return S_OK;
}

HRESULT Finish(HRESULT loaded, LoadedX& x, UINT vertexSize, DS_MeshRecord& record) {
  HRESULT hr = loaded;
  if (SUCCEEDED(hr) && !x.mesh) hr = E_FAIL;
  if (SUCCEEDED(hr)) hr = FillRecord(x, vertexSize, record);
  if (FAILED(hr)) record = DS_MeshRecord{};
  return hr;
}
}  // namespace

HRESULT LoadMeshFromMemory(const void* data, UINT size, UINT vertexSize, DS_MeshRecord& record) {
  LoadedX x;
  HRESULT hr = E_FAIL;
  if (g_currentDevice && data && size)
    hr = D3DXLoadMeshFromXInMemory(data, size, D3DXMESH_SYSTEMMEM, g_currentDevice, x.adjacency.Put(),
                                   x.materials.Put(), x.effects.Put(), &x.materialCount, x.mesh.Put());
  return Finish(hr, x, vertexSize, record);
}

HRESULT LoadMeshFromFile(const wchar_t* fileName, UINT vertexSize, DS_MeshRecord& record) {
  LoadedX x;
  HRESULT hr = E_FAIL;
  if (g_currentDevice && fileName)
    hr = D3DXLoadMeshFromXW(fileName, D3DXMESH_SYSTEMMEM, g_currentDevice, x.adjacency.Put(), x.materials.Put(),
                            x.effects.Put(), &x.materialCount, x.mesh.Put());
  return Finish(hr, x, vertexSize, record);
}

HRESULT LoadMeshFromResource(HMODULE module, WORD id, UINT vertexSize, DS_MeshRecord& record) {
  const void* data = nullptr;
  DWORD size = 0;
  FindDdsResource(module, id, data, size);
  return LoadMeshFromMemory(data, size, vertexSize, record);
}

namespace {
// Copies the first bytes of a mesh's buffer into a fresh one; out stays null on failure.
template <class Buffer>
HRESULT CopyBufferBytes(Buffer* from, UINT bytes, ComRef<Buffer>& out) {
  void *src = nullptr, *dst = nullptr;
  HRESULT hr = from->Lock(0, 0, &src, D3DLOCK_READONLY);
  if (SUCCEEDED(hr)) {
    if (SUCCEEDED(hr = out->Lock(0, 0, &dst, 0))) {
      std::memcpy(dst, src, bytes);
      out->Unlock();
    }
    from->Unlock();
  }
  if (FAILED(hr)) out.Reset();
  return hr;
}
}  // namespace

HRESULT CopyMeshIndices(ID3DXMesh* mesh, ComRef<IDirect3DIndexBuffer9>& out) {
  out.Reset();
  if (!mesh || !g_currentDevice) return E_POINTER;
  UINT bytes = mesh->GetNumFaces() * 3 * 2;
  HRESULT hr = g_currentDevice->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                                  out.Put(), nullptr);
  ComRef<IDirect3DIndexBuffer9> from;
  if (SUCCEEDED(hr)) hr = mesh->GetIndexBuffer(from.Put());
  if (SUCCEEDED(hr)) return CopyBufferBytes(from.Get(), bytes, out);
  out.Reset();
  return hr;
}

HRESULT CopyMeshVertices(ID3DXMesh* mesh, UINT vertexSize, ComRef<IDirect3DVertexBuffer9>& out) {
  out.Reset();
  if (!mesh || !g_currentDevice) return E_POINTER;
  UINT bytes = mesh->GetNumVertices() * vertexSize;
  HRESULT hr = g_currentDevice->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, out.Put(), nullptr);
  ComRef<IDirect3DVertexBuffer9> from;
  if (SUCCEEDED(hr)) hr = mesh->GetVertexBuffer(from.Put());
  if (SUCCEEDED(hr)) return CopyBufferBytes(from.Get(), bytes, out);
  out.Reset();
  return hr;
}
