#include "runtime/LoadDocument.h"

#include <memory>

#include "device/ModuleResource.h"
#include "runtime/ScreenSelection.h"

DS_SlideShow_Light* ReadRootSlideShow(DS_IOF_Holder stream) {
  const DS_RecordHeader header = ReadRecordHeader(stream);  // the class name is not looked at
  auto root = std::make_unique<DS_SlideShow_Light>();
  root->ReadFields(stream, header.version);
  return root.release();
}

DS_DocResManager* ReadDocResManager(DS_IOF_Holder stream) {
  const int32_t version = ReadRecordHeader(stream).version;
  auto manager = std::make_unique<DS_DocResManager>();
  manager->ReadFields(stream, version);
  return manager.release();
}

DS_SlideShow_Light* LoadDocumentFromMemory(const void* bytes, size_t size) {
  // An empty document would read as nothing at all (a buffer without bytes reads nothing).
  if (!bytes || size == 0) throw DS_LoadError("the scene document is empty");
  ResourceBuffer buffer(bytes, size);
  std::unique_ptr<DS_IOF_Virtual> stream = std::make_unique<DS_IOF_R<ResourceBuffer>>(&buffer);
  DS_IOF_Virtual* holder = stream.get();
  ds_string header;  // "KVX v 4.0.0"; not compared
  holder->ReadString(header);
  std::unique_ptr<DS_SlideShow_Light> root(ReadRootSlideShow(holder));
  std::unique_ptr<DS_DocResManager> manager(ReadDocResManager(holder));
  // Selected only once the whole document is read, so a failed load leaves the selection as
  // it was; the caller takes the manager over.
  SelectScreen(ScreenSelection::Current().WithResources(manager.get()));
  manager.release();
  return root.release();
}

DS_SlideShow_Light* LoadDocument() {
  const void* bytes = nullptr;
  DWORD size = 0;
  if (!LockModuleResourceBytes(nullptr, kSceneDocumentResourceId, L"DDS", bytes, size) || size == 0) throw DS_LoadError("the program carries no scene document");
  return LoadDocumentFromMemory(bytes, size);
}
