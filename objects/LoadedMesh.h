#pragma once
// What a 3D object's mesh takes from a loaded .x mesh: its buffers (shared), counts and
// bounding sphere, drawn as a triangle list. An empty record leaves the mesh without
// vertices, which the objects do not draw.
#include "device/DS_MeshRecord.h"
#include "device/Meshes.h"

inline void TakeLoadedMesh(const DS_MeshRecord& loaded, DS_IndexedMesh<DX_V::PNT>& mesh) {
  mesh.indexedPrimitiveCount = loaded.faceCount;
  mesh.indexBuffer = loaded.indexBuffer;
  mesh.vertexBuffer = loaded.vertexBuffer;
  mesh.vertexCount = loaded.vertexCount;
  mesh.boundingRadius = loaded.boundingRadius;
  mesh.boundingCentre = loaded.boundingCentre;
  mesh.primitiveType = D3DPT_TRIANGLELIST;
}
