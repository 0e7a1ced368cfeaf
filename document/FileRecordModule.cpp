#include "document/DS_IOF.h"
#include "runtime/device/ModuleResource.h"

bool DS_FileRecord::LoadFromModule() {
  if (!IsResourceId(resourceId)) return false;
  // The module stays loaded for the rest of the run. When it does not load, the null handle
  // makes the lookup fall back to the program's own resources.
  HMODULE library = LoadLibraryW(module.c_str());
  const void* bytes = nullptr;
  DWORD size = 0;
  if (!LockModuleResourceBytes(library, WORD(resourceId), L"DDS", bytes, size)) return false;
  SetData(int32_t(size), bytes);
  return true;
}
