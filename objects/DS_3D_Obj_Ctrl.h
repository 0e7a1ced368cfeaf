#pragma once
// 3D objects: a small textured model made of mesh parts arranged in a frame tree, shown
// several times over a slide's picture, each copy moved by its own animators. The item
// base adds an instance count, a size, an image link and a mesh link to the placed-object
// base; the concrete objects (butterfly, clock) build the parts, the frame tree of one
// instance, and the attachment of parts to frames. The render object holds the parts and
// one frame tree per instance, advances the clock and the trees, and draws every part at
// each frame it is attached to.
#include <d3d9.h>

#include <cstdint>
#include <list>
#include <vector>

#include "device/ComRef.h"
#include "device/Meshes.h"
#include "document/DS_FileLink3.h"
#include "document/MediaParam.h"
#include "objects/DS_ViewObjCtrl.h"
#include "objects/FrameTree.h"
#include "runtime/DS_ABObj.h"

// One textured mesh of a 3D object and the frames it is drawn at (the frames belong to the
// instance trees). Copies share the buffers and the texture.
class DS_MeshPart : public DS_IndexedMesh<DX_V::PNT> {
 public:
  // The first texture of the image's set (none when the set is empty), then LoadMesh.
  void SetTexture(const DS_ImageFileLink& image, const DS_MeshFile& mesh);
  // Buffers, counts and bounding sphere of the link's mesh; a mesh that cannot be made
  // leaves the part without vertices.
  bool LoadMesh(const DS_MeshFile& mesh);
  // A part without texture or without vertices is not drawn (the butterfly's wing image
  // is empty until the document sets it).
  bool Drawable() const;

  ComRef<IDirect3DTexture9> texture;
  uint8_t translucent = 0;  // blended, and drawn with both cull modes
  std::list<DS_Frame*> frames;
};

class DS_3D_Obj_Ctrl : public DS_ViewObjCtrl {
 public:
  static constexpr RecordId kRecord{L"DS_3D_Obj_Ctrl", 1};

  DS_3D_Obj_Ctrl();
  // The placed-object part, count and size by value, both links.
  DS_3D_Obj_Ctrl(const DS_3D_Obj_Ctrl& other);
  ~DS_3D_Obj_Ctrl() override = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  // A mesh-instance array around a clone.
  DS_ABObj* CreateObject() override;

  // Fills the vector with the object's parts, textured and with their meshes loaded.
  virtual void BuildParts(std::vector<DS_MeshPart>& parts) = 0;
  // Rebuilds every part's frame list from the instance trees.
  virtual void AttachParts(const std::list<DS_FrameTree>& /*instances*/, std::vector<DS_MeshPart>& /*parts*/) {}
  // The frame tree of one new instance, with its local matrices and animators.
  virtual DS_FrameTree BuildFrames() = 0;
  // Whether the object measures its frame against bounds of its own (the clock).
  virtual bool HasOwnBounds() const { return false; }
  // A heap copy of the concrete object, owned by the caller.
  virtual DS_3D_Obj_Ctrl* Clone() const = 0;

  // The end of every 3D object's record, after the concrete object's own fields.
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  // Class name and version are not looked at; count and size are stored without telling
  // their controls.
  bool ReadRecord(DS_IOF_Holder stream);
  void ReadFields(DS_IOF_Holder stream, int32_t version);

  MediaParamT<unsigned int> count;
  MediaParamT<unsigned int> size;  // the concrete object's unit (percent, pixels)
  DS_ImageFileLink imageLink;
  DS_MeshFile meshLink;

 protected:
  // Registers the picture the link names for saving, then writes the link.
  static void WriteImageLink(DS_IOF_Holder stream, const DS_ImageFileLink& link);
  // The attachment both objects use: part 0 at every root, part 1 at every root's
  // children. Throws std::out_of_range with fewer than two parts.
  static void AttachRootsAndChildren(const std::list<DS_FrameTree>& instances, std::vector<DS_MeshPart>& parts);
};

// The render object of a 3D object: owns the clone, the parts and one frame tree per
// instance.
class DS_3DObjArray : public DS_ABObj {
 public:
  // Takes the clone; builds the parts, then the instances of the clone's count.
  explicit DS_3DObjArray(DS_3D_Obj_Ctrl* clone);
  // Trees first, so that their animators leave the clone's parameters while these exist.
  ~DS_3DObjArray() override;

  void Render(DS_ABRender& host) override;
  void DrawFrame(DS_ABRender& host) override;
  void Update(float t) override;
  void SyncParams() override {}
  bool TestPoint(float x, float y) override { return object_->HitTest(x, y); }

  // Appends instances or removes the oldest, then attaches the parts again (also when the
  // number is unchanged). At most kMaxInstances are built, whatever the count says.
  void OnCountChanged(unsigned int n);

  // As many as a sprite emitter draws: a larger count only comes from a damaged document,
  // and building it would not end.
  static constexpr unsigned int kMaxInstances = 16383;

  DS_3D_Obj_Ctrl& Object() const { return *object_; }
  const std::list<DS_FrameTree>& Instances() const { return instances_; }
  const std::vector<DS_MeshPart>& Parts() const { return parts_; }

 private:
  DS_3D_Obj_Ctrl* object_;  // the clone that DS_ABObj owns
  std::list<DS_FrameTree> instances_;
  std::vector<DS_MeshPart> parts_;
  DS_ControlList controls_;  // the count binding
};
