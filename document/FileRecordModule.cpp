#include "document/DS_IOF.h"

bool DS_FileRecord::LoadFromModule() {
  // The module stays loaded for the rest of the run. When it does not load, the null handle
  // makes the lookup fall back to the program's own resources.
  HMODULE library = LoadLibraryW(module.c_str());
  HRSRC found = FindResourceW(library, MAKEINTRESOURCEW(resourceId), L"DDS");
  if (!found) return false;
  const DWORD size = SizeofResource(library, found);
  HGLOBAL loaded = LoadResource(library, found);
  if (!loaded) return false;
  const void* bytes = LockResource(loaded);
  if (!bytes) return false;
  SetData(int32_t(size), bytes);
  return true;
}
