#pragma once
// .x meshes into managed vertex and index buffers (16-bit indices) with a bounding
// sphere. A mesh that cannot be made leaves the record empty (vertex count 0), which
// callers skip, and the failing code is returned.
#include <d3dx9.h>

#include "device/ComRef.h"
#include "device/DS_MeshRecord.h"

HRESULT LoadMeshFromMemory(const void* data, UINT size, UINT vertexSize, DS_MeshRecord& record);
HRESULT LoadMeshFromFile(const wchar_t* fileName, UINT vertexSize, DS_MeshRecord& record);
// Resource id of type "DDS" in the module (null: the program).
HRESULT LoadMeshFromResource(HMODULE module, WORD id, UINT vertexSize, DS_MeshRecord& record);

HRESULT CopyMeshIndices(ID3DXMesh* mesh, ComRef<IDirect3DIndexBuffer9>& out);
HRESULT CopyMeshVertices(ID3DXMesh* mesh, UINT vertexSize, ComRef<IDirect3DVertexBuffer9>& out);
