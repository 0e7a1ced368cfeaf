#include "runtime/device/ModuleResource.h"

bool LockModuleResourceBytes(HMODULE module, WORD id, LPCWSTR type, const void*& data, DWORD& size) {
  data = nullptr;
  size = 0;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return false;
  data = bytes;
  size = SizeofResource(module, found);
  return true;
}
