#pragma once
// Resources of the program (a null module) and of the resource modules that scenes name
// ("common_res.dll"). The bytes stay valid while the module stays loaded, and no module is
// ever freed.
#include <windows.h>

#include <string>

// The one way a resource module is loaded: by its file name (the system's library search
// order). Null for an empty name and while it cannot be loaded; nothing remembers a failure,
// so every request tries again. Loading a loaded module again only counts another
// reference; none is ever freed.
HMODULE LoadResourceModule(const std::wstring& name);

// Finds, loads and locks one resource of a module (null: the program itself).
bool LockModuleResourceBytes(HMODULE module, WORD id, LPCWSTR type, const void*& data, DWORD& size);

// A resource of the named module by id, or of the program itself while the module cannot be
// loaded; false for a value that is no resource id.
bool LockNamedModuleResource(const std::wstring& module, long long id, LPCWSTR type, const void*& data,
                             DWORD& size);

// Numeric resource ids are 16-bit and not 0: a larger or negative value names no resource,
// and cutting it down would fetch another one.
inline bool IsResourceId(long long value) { return value > 0 && value <= 0xFFFF; }
