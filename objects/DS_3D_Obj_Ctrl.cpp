#include "objects/DS_3D_Obj_Ctrl.h"

#include <algorithm>

#include <stdexcept>

#include "device/VertexFormats.h"
#include "document/DS_DocResManager.h"
#include "objects/LoadedMesh.h"
#include "runtime/Quads.h"

// ---- Mesh part --------------------------------------------------------------------------------

void DS_MeshPart::SetTexture(const DS_ImageFileLink& image, const DS_MeshFile& mesh) {
  ComRef<IDirect3DTexture9> first;
  if (g_docResManager) {
    const DS_TextureSet& set = g_docResManager->GetImageTextures(image);
    if (!set.textures.empty()) first = set.textures.front();
  }
  texture = first;
  LoadMesh(mesh);
}

bool DS_MeshPart::LoadMesh(const DS_MeshFile& mesh) {
  TakeLoadedMesh(g_docResManager ? g_docResManager->GetMesh(mesh, sizeof(DX_V::PNT)) : DS_MeshRecord{}, *this);
  return true;
}

bool DS_MeshPart::Drawable() const {
  return texture && vertexBuffer && indexBuffer && vertexCount > 0 && indexedPrimitiveCount > 0;
}

// ---- Item base ----------------------------------------------------------------------------------

DS_3D_Obj_Ctrl::DS_3D_Obj_Ctrl() {
  count.Assign(1);
  size.Assign(50);
  speed.Assign(50);
}

DS_3D_Obj_Ctrl::DS_3D_Obj_Ctrl(const DS_3D_Obj_Ctrl& other)
    : DS_ViewObjCtrl(other), count(other.count), size(other.size), imageLink(other.imageLink), meshLink(other.meshLink) {}

DS_ABObj* DS_3D_Obj_Ctrl::CreateObject() { return new DS_3DObjArray(Clone()); }

void DS_3D_Obj_Ctrl::AttachRootsAndChildren(const std::list<DS_FrameTree>& instances,
                                            std::vector<DS_MeshPart>& parts) {
  if (parts.size() < 2) throw std::out_of_range("invalid vector<T> subscript");
  std::list<DS_Frame*>& roots = parts[0].frames;
  std::list<DS_Frame*>& children = parts[1].frames;
  roots.clear();
  children.clear();
  for (const DS_FrameTree& root : instances) {
    children.insert(children.begin(), root->children.begin(), root->children.end());
    roots.push_back(root.get());
  }
}

void DS_3D_Obj_Ctrl::WriteImageLink(DS_IOF_Holder stream, const DS_ImageFileLink& link) {
  if (g_docResManager) g_docResManager->RegisterImageForSave(link);
  link.Write(stream);
}

void DS_3D_Obj_Ctrl::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_3D_Obj_Ctrl::WriteFields(DS_IOF_Holder stream) {
  stream->WriteUInt(count.Value());
  stream->WriteUInt(size.Value());
  WriteImageLink(stream, imageLink);
  meshLink.Write(stream);
  DS_ViewObjCtrl::WriteRecord(stream);
}

bool DS_3D_Obj_Ctrl::ReadRecord(DS_IOF_Holder stream) {
  const DS_RecordHeader header = ReadRecordHeader(stream);
  ReadFields(stream, header.version);
  return true;
}

void DS_3D_Obj_Ctrl::ReadFields(DS_IOF_Holder stream, int32_t) {
  stream->ReadUInt(count.Value());
  stream->ReadUInt(size.Value());
  imageLink.Read(stream);
  meshLink.Read(stream);
  DS_ViewObjCtrl::ReadRecord(stream);
}

// ---- Mesh-instance array ------------------------------------------------------------------------

DS_3DObjArray::DS_3DObjArray(DS_3D_Obj_Ctrl* clone) : DS_ABObj(clone), object_(clone) {
  object_->BuildParts(parts_);
  controls_.SetOwner<DS_3DObjArray>(this);
  controls_.SetUnderConstruction(false);
  DS_FunLightCtrl<unsigned int, DS_3DObjArray>::Bind(controls_, object_->count,
                                                      [](DS_3DObjArray* a, unsigned int n) { a->OnCountChanged(n); });
}

DS_3DObjArray::~DS_3DObjArray() {
  for (DS_MeshPart& part : parts_) part.frames.clear();
  instances_.clear();
  item_.reset();
  // Then the count binding (left by its parameter already), the parts, the empty list.
}

void DS_3DObjArray::OnCountChanged(unsigned int n) {
  n = std::min(n, kMaxInstances);
  while (instances_.size() < n) instances_.push_back(object_->BuildFrames());
  while (instances_.size() > n) instances_.pop_front();
  object_->AttachParts(instances_, parts_);
}

void DS_3DObjArray::Update(float t) {
  object_->AdvanceClock(t);
  for (const DS_FrameTree& root : instances_) root->UpdateWorld(nullptr);
}

void DS_3DObjArray::Render(DS_ABRender& host) {
  for (const DS_MeshPart& part : parts_)
    if (part.Drawable()) host.DrawMeshInstances(part, part.texture.Get(), part.translucent != 0, part.frames);
}

void DS_3DObjArray::DrawFrame(DS_ABRender& host) {
  DS_SimpleMesh<DX_V::PC> quad;
  CreateQuadPC(quad);
  FillQuadPC(quad, 0x88000000, object_->GetScreenQuad());
  host.DrawObjectFrame(quad, object_->HasOwnBounds() ? 1 : 0, false);
}
