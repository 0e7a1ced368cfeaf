#pragma once
// Falling leaves: copies of one small textured mesh stream across the whole picture, each
// drifting in the stream's direction at its own speed with a lateral wander, tumbling
// about three axes and swaying around a pivot, and re-entering at the opposite edge once it
// has left the picture. The item carries the mesh and its picture as embedded files; the
// render object holds one mesh whose child frames are the copies, each moved by a
// DS_LeafFallAnim, and draws the mesh once per child (both faces). The item has no
// rectangle and no clock of its own: the copies move with the scene time.
#include <d3d9.h>

#include <cstdint>

#include "device/ComRef.h"
#include "device/Meshes.h"
#include "document/DS_ABObj_Constructor.h"
#include "document/DS_IOF.h"
#include "document/MediaParam.h"
#include "objects/StreamAnimators.h"
#include "runtime/DS_ABObj.h"

class DS_3D_in_2D_array;

class DS_3D_in_2D_array_Constructor : public DS_ABObj_Constructor {
 public:
  static constexpr RecordId kRecord{L"DS_3D_in_2D_array_Constructor", 1};

  DS_3D_in_2D_array_Constructor() = default;
  // Name, render-object pointer, both files, count and stream parameters.
  DS_3D_in_2D_array_Constructor(const DS_3D_in_2D_array_Constructor& other);
  ~DS_3D_in_2D_array_Constructor() override = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  // A falling-leaf object around a new copy of this item.
  DS_ABObj* CreateObject() override;

  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  // One layout: the version is not used. The name comes twice; the second one stays.
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);

  DS_3D_in_2D_array* renderObject = nullptr;  // set on the copy a render object owns; nothing reads it
  DS_FileRecord meshRecord;
  DS_FileRecord textureRecord;
  MediaParamT<unsigned int> count;
  DS_StreamParams streamParams;
};

// A textured mesh drawn once per child frame; it owns the children.
class DS_FrameListMesh : public DS_IndexedMesh<DX_V::PNT> {
 public:
  DS_FrameListMesh() = default;
  // Each child once, with its animator.
  ~DS_FrameListMesh();
  DS_FrameListMesh(const DS_FrameListMesh&) = delete;
  DS_FrameListMesh& operator=(const DS_FrameListMesh&) = delete;

  // The record's picture through the resource cache, then LoadMeshFromRecord.
  void SetTextureFromRecord(const DS_FileRecord& texture, const DS_FileRecord& mesh);
  // Buffers, counts and bounding sphere of the record's mesh; none when it cannot be made.
  bool LoadMeshFromRecord(const DS_FileRecord& mesh);
  // A new child at the end, with the mesh's bounding sphere.
  DS_Frame* AddFrame();
  bool HasMesh() const { return vertexBuffer && indexBuffer && vertexCount > 0 && indexedPrimitiveCount > 0; }

  ComRef<IDirect3DTexture9> texture;
  uint8_t translucent = 0;  // not consulted by the frame-list draw
};

class DS_3D_in_2D_array : public DS_ABObj {
 public:
  // Takes the item copy; loads the mesh and its picture and makes the copy's count of
  // leaves. Later changes of the count are not followed.
  explicit DS_3D_in_2D_array(DS_3D_in_2D_array_Constructor* copy);
  // The item copy first, then the mesh with the leaves.
  ~DS_3D_in_2D_array() override;

  // Nothing without a mesh.
  void Render(DS_ABRender& host) override;
  void DrawFrame(DS_ABRender&) override {}
  // Sets g_streamAnimTime to t, then moves every leaf.
  void Update(float t) override;
  void SyncParams() override {}

  // Adds leaves up to the item's count (at most kMaxLeaves), each turning about the centre
  // of the bounding sphere.
  void ResizeFrames();

  // As many as a sprite emitter draws: a larger count only comes from a damaged document,
  // and building it would not end.
  static constexpr unsigned int kMaxLeaves = 16383;

  DS_FrameListMesh& Mesh() { return mesh_; }
  DS_3D_in_2D_array_Constructor& Leaves() const { return *leaves_; }

 private:
  DS_FrameListMesh mesh_;
  DS_3D_in_2D_array_Constructor* leaves_;  // the copy that DS_ABObj owns
};
