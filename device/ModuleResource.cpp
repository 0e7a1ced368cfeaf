#include "device/ModuleResource.h"

HMODULE LoadResourceModule(const std::wstring& name) {
  return name.empty() ? nullptr : LoadLibraryW(name.c_str());
}

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

bool LockNamedModuleResource(const std::wstring& module, long long id, LPCWSTR type, const void*& data,
                             DWORD& size) {
  data = nullptr;
  size = 0;
  if (!IsResourceId(id)) return false;
  return LockModuleResourceBytes(LoadResourceModule(module), WORD(id), type, data, size);
}
