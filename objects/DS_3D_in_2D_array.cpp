#include "objects/DS_3D_in_2D_array.h"

#include <algorithm>

#include "device/VertexFormats.h"
#include "document/DS_ResourceCache.h"
#include "objects/FrameTree.h"
#include "objects/LoadedMesh.h"

// ---- Item -------------------------------------------------------------------------------------------

DS_3D_in_2D_array_Constructor::DS_3D_in_2D_array_Constructor(const DS_3D_in_2D_array_Constructor& other)
    : DS_ABObj_Constructor(other),
      renderObject(other.renderObject),
      meshRecord(other.meshRecord),
      textureRecord(other.textureRecord),
      count(other.count),
      streamParams(other.streamParams) {}

DS_ABObj* DS_3D_in_2D_array_Constructor::CreateObject() {
  return new DS_3D_in_2D_array(new DS_3D_in_2D_array_Constructor(*this));
}

void DS_3D_in_2D_array_Constructor::ReadFields(DS_IOF_Holder stream, int32_t) {
  ds_string name = ObjectName();  // an empty stored name leaves it as it is
  stream->ReadString(name);
  SetObjectName(name);
  stream->ReadUInt(count.Value());
  stream->ReadFileRecord(meshRecord);
  stream->ReadFileRecord(textureRecord);
  stream->ReadUInt(streamParams.size.Value());
  stream->ReadUInt(streamParams.speed.Value());
  stream->ReadUInt(streamParams.drift.Value());
  stream->ReadUInt(streamParams.driftChange.Value());
  stream->ReadUInt(streamParams.spin.Value());
  uint32_t angle = 0;
  stream->ReadUInt(angle);
  streamParams.SetDirection(angle);
  DS_ABObj_Constructor::ReadRecord(stream);
}

void DS_3D_in_2D_array_Constructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_3D_in_2D_array_Constructor::WriteFields(DS_IOF_Holder stream) {
  stream->WriteString(ObjectName());
  stream->WriteUInt(count.Value());
  stream->WriteFileRecord(meshRecord);
  stream->WriteFileRecord(textureRecord);
  stream->WriteUInt(streamParams.size.Value());
  stream->WriteUInt(streamParams.speed.Value());
  stream->WriteUInt(streamParams.drift.Value());
  stream->WriteUInt(streamParams.driftChange.Value());
  stream->WriteUInt(streamParams.spin.Value());
  stream->WriteUInt(streamParams.angle);
  DS_ABObj_Constructor::WriteRecord(stream);
}

// ---- Frame-list mesh --------------------------------------------------------------------------------

DS_FrameListMesh::~DS_FrameListMesh() { DeleteChildFrames(*this); }

void DS_FrameListMesh::SetTextureFromRecord(const DS_FileRecord& textureFile, const DS_FileRecord& meshFile) {
  texture = g_resourceCache ? g_resourceCache->LoadTexture(textureFile).texture : nullptr;
  LoadMeshFromRecord(meshFile);
}

bool DS_FrameListMesh::LoadMeshFromRecord(const DS_FileRecord& meshFile) {
  TakeLoadedMesh(g_resourceCache ? g_resourceCache->GetModuleMesh(meshFile, sizeof(DX_V::PNT)) : DS_MeshRecord{},
                 *this);
  return true;
}

DS_Frame* DS_FrameListMesh::AddFrame() {
  children.push_back(new DS_Frame);
  DS_Frame* frame = children.back();
  frame->boundingRadius = boundingRadius;
  frame->boundingCentre = boundingCentre;
  return frame;
}

// ---- Render object ----------------------------------------------------------------------------------

DS_3D_in_2D_array::DS_3D_in_2D_array(DS_3D_in_2D_array_Constructor* copy) : DS_ABObj(copy), leaves_(copy) {
  leaves_->renderObject = this;
  mesh_.SetTextureFromRecord(leaves_->textureRecord, leaves_->meshRecord);
  ResizeFrames();
}

DS_3D_in_2D_array::~DS_3D_in_2D_array() { item_.reset(); }

void DS_3D_in_2D_array::ResizeFrames() {
  const size_t count = std::min(leaves_->count.Value(), kMaxLeaves);
  while (mesh_.children.size() < count) {
    DS_Frame* frame = mesh_.AddFrame();
    frame->animator = std::make_unique<DS_LeafFallAnim>(&leaves_->streamParams);
    frame->local._41 = -mesh_.boundingCentre.x;
    frame->local._42 = -mesh_.boundingCentre.y;
    frame->local._43 = -mesh_.boundingCentre.z;
  }
}

void DS_3D_in_2D_array::Update(float t) {
  g_streamAnimTime = t;
  mesh_.world = mesh_.local;
  for (DS_Frame* leaf : mesh_.children) leaf->UpdateWorld(&mesh_.world);
}

void DS_3D_in_2D_array::Render(DS_ABRender& host) {
  if (mesh_.HasMesh()) host.DrawFrameList(mesh_, mesh_.texture.Get(), mesh_.children);
}
