#pragma once
// The built "common_res.dll" lies in the folder "module" beside the test program, outside
// the default search path, so each test chooses whether the module can be found.
#include <windows.h>

#include <string>

inline std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring s(path);
  return s.substr(0, s.find_last_of(L"\\/")) + L"\\module";
}

// Forgets any copy loaded by an earlier case of the same process, then sets the search.
inline void SetCommonResPresent(bool present) {
  while (HMODULE h = GetModuleHandleW(L"common_res.dll")) FreeLibrary(h);
  SetDllDirectoryW(present ? ModuleFolder().c_str() : L"");
}
