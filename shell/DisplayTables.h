#pragma once
// Records of the monitors, Direct3D adapters, device types, display modes and screen
// devices the shell works with. Fixed-size tables: the shell never handles more than nine
// monitors, adapters or screens.
#include <windows.h>
#include <d3d9.h>

#include "device/ComRef.h"

constexpr unsigned kMaxMonitors = 9;
constexpr unsigned kMaxAdapters = 9;
constexpr unsigned kMaxScreenDevices = 9;
constexpr unsigned kMaxDeviceTypes = 3;
constexpr unsigned kMaxDisplayModes = 150;
constexpr unsigned kNoDeviceType = 0xFFFF;

// The bouncing message box of the error display, in client pixels of the monitor's
// window; width 0 means not placed yet. Speeds in pixels per second.
struct ErrorBox {
  float x, y, width, height;
  float vx, vy;
};

struct MonitorEntry {
  wchar_t adapterDescription[128];
  wchar_t monitorDescription[128];
  HMONITOR monitor;  // only for a display device attached to the desktop
  RECT screenRect;   // virtual-screen coordinates
  int adapterIndex;  // the Direct3D adapter driving it, -1 if none
  HWND window;       // its full-screen window; record 0 holds the main window when windowed
  ErrorBox errorBox;
};

struct DisplayModeEntry {
  UINT width;
  UINT height;
  D3DFORMAT format;
  DWORD behaviourFlags;  // D3DCREATE_ bits accepted for this format
  D3DFORMAT depthFormat;
};

struct DeviceTypeEntry {
  D3DDEVTYPE deviceType;  // D3DDEVTYPE_HAL or D3DDEVTYPE_SW
  D3DCAPS9 caps;
  int desktopFormatUsable;  // may render windowed on the desktop
  unsigned modeCount;
  DisplayModeEntry modes[kMaxDisplayModes];
  unsigned currentMode;  // the mode the full-screen device was opened in
};

struct AdapterEntry {
  int monitorIndex;  // -1 until an attached monitor is matched
  D3DADAPTER_IDENTIFIER9 identifier;
  D3DDISPLAYMODE desktopMode;
  unsigned deviceTypeCount;
  DeviceTypeEntry deviceTypes[kMaxDeviceTypes];
  int halCompatible, halUsable, softwareCompatible, softwareUsable;
  UINT storedWidth, storedHeight, storedFormat;  // width 0: automatic
  int leaveBlack;
  int disableHardware;
  unsigned chosenDeviceType;  // kNoDeviceType = none
  HWND window;                // the window its device presents into
};

// How far a screen's device resources are made: none; created (CreateDeviceResources
// succeeded); acquired as well (AcquireDeviceResources succeeded and nothing was released
// since).
enum class ScreenResources { None, Created, Acquired };

struct ScreenDevice {
  UINT adapterOrdinal;
  unsigned monitorIndex;
  D3DDEVTYPE deviceType;
  DWORD behaviourFlags;
  ComRef<IDirect3DDevice9> device;
  D3DPRESENT_PARAMETERS presentParams;  // kept for every reset
  ScreenResources resources = ScreenResources::None;
};

// The full-screen modes an adapter offers, as the device types choose from them: at least
// 640 x 400, one per size and format (refresh rates merged), sorted; and the formats among
// them, the desktop's first.
struct FullScreenModeList {
  D3DDISPLAYMODE modes[kMaxDisplayModes];
  unsigned modeCount = 0;
  D3DFORMAT formats[kMaxDisplayModes + 1];
  unsigned formatCount = 0;
  // The format's place in formats; formatCount when it is not there.
  unsigned FormatIndex(D3DFORMAT format) const {
    unsigned i = 0;
    while (i < formatCount && formats[i] != format) ++i;
    return i;
  }
};

// A windowed back-buffer format to try, with what the probe found for it.
struct WindowedCandidate {
  D3DFORMAT backBufferFormat;
  DWORD behaviourFlags;
  D3DFORMAT depthFormat;
};

inline bool Is32BitFormat(D3DFORMAT f) { return f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8; }
inline bool Is16BitFormat(D3DFORMAT f) {
  return f == D3DFMT_R5G6B5 || f == D3DFMT_X1R5G5B5 || f == D3DFMT_A1R5G5B5 || f == D3DFMT_A4R4G4B4 ||
         f == D3DFMT_X4R4G4B4;
}

// Sort order of listed modes: width, then height ascending, then the larger format value first.
bool CompareDisplayModes(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b);
// Moves the type's current mode to the next smaller one; false when there is none.
bool StepDownDisplayMode(DeviceTypeEntry& type);
// The device type a screen opens on the adapter: hardware unless the monitor's settings
// disable it, else software; windowed, only a type that renders in the desktop's format.
// kNoDeviceType when there is none.
unsigned ChooseDeviceType(const AdapterEntry& adapter, bool windowed);
// The full-screen mode a device of the type opens in: the monitor's stored mode while the type
// lists it; else hardware takes the desktop's size (a 32-bit format first), software the
// lowest height but 400; else the first listed.
unsigned ChooseFullScreenMode(const AdapterEntry& adapter, const DeviceTypeEntry& type);
// Byte-wise equality of two adapter identifiers.
bool EqualAdapterIds(const GUID& a, const GUID& b);
