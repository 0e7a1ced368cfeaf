#pragma once
// Finds, loads and locks one resource of a module (null: the program itself). The bytes stay
// valid while the module stays loaded; nothing here frees it.
#include <windows.h>

bool LockModuleResourceBytes(HMODULE module, WORD id, LPCWSTR type, const void*& data, DWORD& size);

// Numeric resource ids are 16-bit and not 0: a larger or negative value names no resource,
// and cutting it down would fetch another one.
inline bool IsResourceId(long long value) { return value > 0 && value <= 0xFFFF; }
