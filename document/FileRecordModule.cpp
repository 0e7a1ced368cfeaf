#include "device/ModuleResource.h"
#include "document/DS_IOF.h"

bool DS_FileRecord::LoadFromModule() {
  const void* bytes = nullptr;
  DWORD size = 0;
  if (!LockNamedModuleResource(module, resourceId, L"DDS", bytes, size)) return false;
  SetData(int32_t(size), bytes);
  return true;
}
