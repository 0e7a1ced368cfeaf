#pragma once
// The shell's own failure codes. A failure is stored in the host's error state and shown
// with the string-table text of its code.
#include <windows.h>
#include <d3d9.h>
#include <cstdint>

enum class SaverError : uint32_t {
  Unspecified = 0x80004005,               // E_FAIL, text 2100
  NoDirect3D = 0x82000001,                // text 2101
  InitFailed = 0x82000007,                // text 2102
  CreateDeviceFailed = 0x8200000E,        // text 2103
  NoCompatibleDevices = 0x82000003,       // text 2104
  NoHardwareDevice = 0x82000005,          // text 2105
  HardwareMissingCaps = 0x82000006,       // text 2106
  HardwareMissingCapsForMode = 0x82000009,  // text 2107
  MediaMissing = 0x8200000B,              // text 2108
  ResetFailed = 0x8200000C,               // text 2109
  OutOfMemory = 0x8007000E,               // E_OUTOFMEMORY, text 2110
  OutOfVideoMemory = 0x8876017C,          // D3DERR_OUTOFVIDEOMEMORY, text 2111
  NoPreview = 0x8200000F,                 // text 2112
  DeviceResourcesFailed = 0x8200000D,     // no text of its own: shows 2100
};

constexpr HRESULT AsHResult(SaverError e) { return HRESULT(static_cast<uint32_t>(e)); }

// One row of the lookup table: a code and the id of its text in the string table.
struct SaverErrorText {
  SaverError code;
  UINT stringId;
};
constexpr UINT kUnspecifiedErrorTextId = 2100;
// The thirteen codes that have a text (the order of the table does not matter for lookup).
extern const SaverErrorText kSaverErrorTexts[13];
// String id for any stored code: the table's id, or 2100 for codes without a row.
UINT ErrorTextId(HRESULT code);
