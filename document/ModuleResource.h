#pragma once
// Finds, loads and locks one resource of a module (null: the program itself). The bytes stay
// valid while the module stays loaded; nothing here frees it.
#include <windows.h>

bool LockModuleResourceBytes(HMODULE module, WORD id, LPCWSTR type, const void*& data, DWORD& size);
