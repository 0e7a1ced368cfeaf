#include "runtime/DS_SlideContainer.h"

#include "document/ReaderRegistry.h"

DS_SlideContainer::DS_SlideContainer() { SetDefaults(); }

DS_SlideContainer::~DS_SlideContainer() {
  pendingItems.clear();
  objects.clear();
  light.Release();
}

void DS_SlideContainer::SetDefaults() {
  fadeIn.Assign(1);
  fadeOut.Assign(1);
  showTime.Assign(10);
  option.Assign(0);
}

void DS_SlideContainer::CreateObjects() {
  if (light) {
    light->CreateDeviceResources();
    light->Resize(1, 1);
  }
  for (auto& item : pendingItems) {
    DS_ABObj* object = item->CreateObject();
    if (object) objects.emplace_back(object);
  }
  pendingItems.clear();
}

void DS_SlideContainer::Update(float t) {
  if (light) light->Update(t);
  for (auto& object : objects) object->Update(t);
}

int DS_SlideContainer::CaptureCount() const {
  int n = 0;
  for (auto& object : objects) n += object->IsSceneEffect() ? 1 : 0;
  if (light && light->NeedsSceneCapture()) ++n;
  return n;
}

void DS_SlideContainer::RenderScene() {
  if (!light) return;
  int n = CaptureCount();
  if (n > 0) light->BeginSceneCapture();
  light->RenderBackground();
  light->RenderObjects(objects, n);
}

void DS_SlideContainer::RenderOverlay() {
  if (light) light->RenderOverlay();
}

void DS_SlideContainer::Resize(int32_t width, int32_t height) {
  if (light) light->Resize(width, height);
}

void DS_SlideContainer::SetPicturePosition(int32_t mode) {
  if (light) light->SetPicturePosition(mode);
}

void DS_SlideContainer::AcquireDeviceResources() {
  if (light) light->AcquireDeviceResources();
}

void DS_SlideContainer::ReleaseDeviceResources() {
  if (light) light->ReleaseDeviceResources();
}

void DS_SlideContainer::ReadFields(DS_IOF_Holder stream, int32_t) {
  stream->ReadUInt(fadeIn.Value());
  stream->ReadUInt(fadeOut.Value());
  stream->ReadUInt(showTime.Value());
  unsigned long optionBits = 0;
  stream->ReadULong(optionBits);
  option.Value() = int(optionBits);
  stream->ReadString(name.Value());
  DS_2D_Light* newLight = ReadLightByClassName(stream);
  if (!newLight) throw DS_LoadError("picture light of a class that is not registered");
  light = DS_SharedPtr<DS_2D_Light>(newLight);
  ReadConstructors(stream);
}

void DS_SlideContainer::ReadConstructors(DS_IOF_Holder stream) {
  int32_t count = 0;
  stream->ReadInt(count);
  for (int32_t i = 0; i < count; ++i) {
    std::unique_ptr<DS_ABObj_Constructor> item(ReadConstructorByClassName(stream));
    if (!item) throw DS_LoadError("scene item of a class that is not registered");
    pendingItems.push_back(std::move(item));
  }
}

void DS_SlideContainer::WriteFields(DS_IOF_Holder stream) {
  stream->WriteUInt(fadeIn.Value());
  stream->WriteUInt(fadeOut.Value());
  stream->WriteUInt(showTime.Value());
  stream->WriteULong(static_cast<unsigned long>(option.Value()));
  stream->WriteString(name.Value());
  if (light) light->Write(stream);
  WriteConstructors(stream);
}

void DS_SlideContainer::WriteConstructors(DS_IOF_Holder stream) {
  // Once the objects exist the pending list is empty and the objects hold the items.
  int32_t count = 0;
  for (auto& object : objects) count += object->Item() ? 1 : 0;
  count += int32_t(pendingItems.size());
  stream->WriteInt(count);
  for (auto& object : objects)
    if (object->Item()) object->Item()->Write(stream);
  for (auto& item : pendingItems) item->Write(stream);
}

void DS_SlideContainer::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}
