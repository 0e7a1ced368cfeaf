#include <algorithm>
#include <iterator>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <new>

#include "shell/CD3DScreensaver.h"
#include "shell/SaverError.h"

namespace {
// Some drivers (Wine's secondary display devices among them) report an attached device's
// current mode as 0 x 0 at (0, 0). The monitor of the same device name knows its real place.
bool MonitorRectOfDevice(const wchar_t* deviceName, RECT* rect) {
  struct Search {
    const wchar_t* name;
    RECT rect;
    bool found;
  } search{deviceName, {}, false};
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        MONITORINFOEXW info{};
        info.cbSize = sizeof(info);
        if (GetMonitorInfoW(monitor, &info) && wcscmp(info.szDevice, s->name) == 0) {
          s->rect = info.rcMonitor;
          s->found = true;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (search.found) *rect = search.rect;
  return search.found;
}

constexpr D3DFORMAT kDepthFormats[] = {D3DFMT_D16, D3DFMT_D15S1, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32};
struct DepthNeed {
  unsigned maxDepth;   // the format serves a request of at most this many depth bits
  unsigned maxStencil; // and at most this many stencil bits
};
constexpr DepthNeed kDepthNeeds[] = {{16, 0}, {15, 1}, {24, 0}, {24, 8}, {24, 4}, {32, 0}};

unsigned long long Area(const DisplayModeEntry& m) { return 1ull * m.width * m.height; }
}  // namespace

bool CompareDisplayModes(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
  if (a.Width != b.Width) return a.Width < b.Width;
  if (a.Height != b.Height) return a.Height < b.Height;
  return a.Format > b.Format;
}

bool EqualAdapterIds(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

bool StepDownDisplayMode(DeviceTypeEntry& type) {
  const DisplayModeEntry& current = type.modes[type.currentMode];
  const bool current32 = Is32BitFormat(current.format);
  int best = -1;
  unsigned long long bestArea = 0;
  bool best32 = false;
  for (unsigned i = 0; i < type.modeCount; ++i) {
    if (i == type.currentMode) continue;
    const DisplayModeEntry& m = type.modes[i];
    const bool is32 = Is32BitFormat(m.format);
    if (current32 && !is32 && m.width == current.width && m.height == current.height) {
      type.currentMode = i;  // same size, fewer bits
      return true;
    }
    if (Area(m) >= Area(current)) continue;
    if (Area(m) > bestArea || (!best32 && is32)) {
      best = int(i);
      bestArea = Area(m);
      best32 = is32;
    }
  }
  if (best < 0) return false;
  type.currentMode = unsigned(best);
  return true;
}

void CD3DScreensaver::CollectMonitors() {
  monitorCount = 0;
  DISPLAY_DEVICEW device{};
  device.cb = sizeof(device);
  for (DWORD index = 0; monitorCount < kMaxMonitors && EnumDisplayDevicesW(nullptr, index, &device, 0);
       ++index, device = DISPLAY_DEVICEW{}, device.cb = sizeof(device)) {
    if (device.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) continue;
    MonitorEntry& entry = monitors[monitorCount];
    entry = MonitorEntry{};
    wcsncpy(entry.adapterDescription, device.DeviceString, 127);
    DISPLAY_DEVICEW monitor{};
    monitor.cb = sizeof(monitor);
    if (EnumDisplayDevicesW(device.DeviceName, 0, &monitor, 0)) wcsncpy(entry.monitorDescription, monitor.DeviceString, 127);
    entry.adapterIndex = -1;
    if (device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) {
      DEVMODEW mode{};
      mode.dmSize = sizeof(mode);
      EnumDisplaySettingsW(device.DeviceName, ENUM_CURRENT_SETTINGS, &mode);
      RECT& r = entry.screenRect;
      if (device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) {
        r.left = r.top = 0;
      } else {
        r.left = mode.dmPosition.x;
        r.top = mode.dmPosition.y;
      }
      r.right = r.left + LONG(mode.dmPelsWidth);
      r.bottom = r.top + LONG(mode.dmPelsHeight);
      if (mode.dmPelsWidth == 0 || mode.dmPelsHeight == 0) MonitorRectOfDevice(device.DeviceName, &r);
      entry.monitor = MonitorFromRect(&r, MONITOR_DEFAULTTONULL);
    }
    ++monitorCount;
  }
}

bool CD3DScreensaver::ChooseBehaviourFlags(const D3DCAPS9& caps, D3DFORMAT format, DWORD* behaviourFlags) {
  auto accept = [&](DWORD flags) {
    if (FAILED(AcceptDeviceCaps(caps, flags, format))) return false;
    *behaviourFlags = flags;
    return true;
  };
  if (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
    if ((caps.DevCaps & D3DDEVCAPS_PUREDEVICE) && accept(D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE))
      return true;
    if (accept(D3DCREATE_HARDWARE_VERTEXPROCESSING)) return true;
    if (accept(D3DCREATE_MIXED_VERTEXPROCESSING)) return true;
  }
  return accept(D3DCREATE_SOFTWARE_VERTEXPROCESSING);
}

bool CD3DScreensaver::ChooseDepthFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                        D3DFORMAT* depthFormat) {
  for (size_t i = 0; i < std::size(kDepthFormats); ++i) {
    if (minDepthBits > kDepthNeeds[i].maxDepth || minStencilBits > kDepthNeeds[i].maxStencil) continue;
    if (FAILED(d3d->CheckDeviceFormat(adapter, type, displayFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                      kDepthFormats[i])))
      continue;
    if (FAILED(d3d->CheckDepthStencilMatch(adapter, type, displayFormat, displayFormat, kDepthFormats[i]))) continue;
    *depthFormat = kDepthFormats[i];
    return true;
  }
  return false;
}

HRESULT CD3DScreensaver::EnumerateAdapters() {
  // No more adapters than the table holds, like the monitors.
  adapterCount = std::min(d3d->GetAdapterCount(), UINT(kMaxAdapters));
  for (UINT a = 0; a < adapterCount; ++a) {
    if (!adapters[a]) {
      adapters[a].reset(new (std::nothrow) AdapterEntry{});
      if (!adapters[a]) return E_OUTOFMEMORY;
    }
    AdapterEntry& adapter = *adapters[a];
    d3d->GetAdapterIdentifier(a, 0, &adapter.identifier);
    d3d->GetAdapterDisplayMode(a, &adapter.desktopMode);
    adapter.deviceTypeCount = 0;
    adapter.chosenDeviceType = 0;
    adapter.leaveBlack = 0;
    adapter.monitorIndex = -1;
    MatchAdapterMonitor(a, adapter);
    const FullScreenModeList listed = ListFullScreenModes(a, adapter.desktopMode.Format);
    for (D3DDEVTYPE deviceType : {D3DDEVTYPE_HAL, D3DDEVTYPE_SW}) AddDeviceType(a, deviceType, listed, adapter);
  }
  return S_OK;
}

void CD3DScreensaver::MatchAdapterMonitor(UINT adapterOrdinal, AdapterEntry& adapter) {
  HMONITOR hm = d3d->GetAdapterMonitor(adapterOrdinal);
  if (!hm) return;
  for (unsigned m = 0; m < monitorCount; ++m) {
    if (monitors[m].monitor == hm) {
      monitors[m].adapterIndex = int(adapterOrdinal);
      adapter.monitorIndex = int(m);
      return;
    }
  }
}

FullScreenModeList CD3DScreensaver::ListFullScreenModes(UINT adapterOrdinal, D3DFORMAT desktopFormat) {
  FullScreenModeList list;
  list.formats[list.formatCount++] = desktopFormat;
  const UINT modeCount = d3d->GetAdapterModeCount(adapterOrdinal, D3DFMT_X8R8G8B8);
  for (UINT i = 0; i < modeCount && list.modeCount < kMaxDisplayModes; ++i) {
    D3DDISPLAYMODE mode{};
    if (FAILED(d3d->EnumAdapterModes(adapterOrdinal, D3DFMT_X8R8G8B8, i, &mode))) continue;
    if (mode.Width < 640 || mode.Height < 400) continue;
    bool known = false;
    for (unsigned k = 0; k < list.modeCount && !known; ++k)
      known = list.modes[k].Width == mode.Width && list.modes[k].Height == mode.Height &&
              list.modes[k].Format == mode.Format;
    if (known) continue;
    mode.RefreshRate = 0;
    list.modes[list.modeCount++] = mode;
    if (list.FormatIndex(mode.Format) == list.formatCount) list.formats[list.formatCount++] = mode.Format;
  }
  std::sort(list.modes, list.modes + list.modeCount, CompareDisplayModes);
  return list;
}

void CD3DScreensaver::AddDeviceType(UINT adapterOrdinal, D3DDEVTYPE deviceType, const FullScreenModeList& listed,
                                    AdapterEntry& adapter) {
  DeviceTypeEntry& type = adapter.deviceTypes[adapter.deviceTypeCount];
  type = DeviceTypeEntry{};
  type.deviceType = deviceType;
  d3d->GetDeviceCaps(adapterOrdinal, deviceType, &type.caps);
  // Per listed format: whether the type renders in it, with which behaviour and depth.
  bool usable[kMaxDisplayModes + 1] = {};
  DWORD behaviour[kMaxDisplayModes + 1] = {};
  D3DFORMAT depth[kMaxDisplayModes + 1] = {};
  for (unsigned f = 0; f < listed.formatCount; ++f) {
    const D3DFORMAT format = listed.formats[f];
    if (FAILED(d3d->CheckDeviceType(adapterOrdinal, deviceType, format, format, FALSE))) continue;
    if (deviceType == D3DDEVTYPE_HAL)
      adapter.halCompatible = 1;
    else
      adapter.softwareCompatible = 1;
    if (!ChooseBehaviourFlags(type.caps, format, &behaviour[f])) continue;
    if (useDepthBuffer && !ChooseDepthFormat(adapterOrdinal, deviceType, format, &depth[f])) continue;
    usable[f] = true;
  }
  for (unsigned i = 0; i < listed.modeCount && type.modeCount < kMaxDisplayModes; ++i) {
    const D3DDISPLAYMODE& mode = listed.modes[i];
    const unsigned f = listed.FormatIndex(mode.Format);
    if (!usable[f]) continue;
    type.modes[type.modeCount++] = DisplayModeEntry{mode.Width, mode.Height, mode.Format, behaviour[f], depth[f]};
  }
  if (usable[0]) type.desktopFormatUsable = 1;
  if (type.modeCount > 0) {
    ++adapter.deviceTypeCount;
    if (deviceType == D3DDEVTYPE_HAL)
      adapter.halUsable = 1;
    else
      adapter.softwareUsable = 1;
  }
}

HRESULT CD3DScreensaver::OpenScreenDevices() {
  if (launchMode == LaunchMode::FullScreen)
    OpenFullScreenDevices();
  else
    OpenWindowedScreenDevice();
  PlaceMonitorWindows();
  if (!errorFlag) MakeScreenResources();
  mouseMoveCount = 0;
  return S_OK;
}

void CD3DScreensaver::OpenFullScreenDevices() {
  windowed = 0;
  for (unsigned m = 0; m < monitorCount; ++m) {
    const int a = monitors[m].adapterIndex;
    if (a < 0 || unsigned(a) >= adapterCount || !adapters[a]) continue;
    AdapterEntry& adapter = *adapters[a];
    if (adapter.disableHardware && !adapter.softwareUsable) adapter.leaveBlack = 1;
    if (adapter.leaveBlack || adapter.deviceTypeCount == 0 || screenDeviceCount >= kMaxScreenDevices) continue;
    adapter.window = monitors[m].window;
    ScreenDevice& screen = screenDevices[screenDeviceCount++];
    screen = ScreenDevice{};
    screen.adapterOrdinal = UINT(a);
    screen.monitorIndex = m;
    if (FAILED(OpenFullScreenDevice(screen))) {
      screen = ScreenDevice{};
      --screenDeviceCount;
      StoreError(AsHResult(SaverError::CreateDeviceFailed));
    }
  }
}

void CD3DScreensaver::OpenWindowedScreenDevice() {
  windowed = 1;
  GetClientRect(mainWindow, &renderRect);
  UINT a = 0;
  if (!PickWindowedAdapter(&a)) {
    StoreError(AsHResult(SaverError::CreateDeviceFailed));
    return;
  }
  adapters[a]->window = mainWindow;
  ScreenDevice& screen = screenDevices[screenDeviceCount++];
  screen = ScreenDevice{};
  screen.adapterOrdinal = a;
  screen.monitorIndex = adapters[a]->monitorIndex >= 0 ? unsigned(adapters[a]->monitorIndex) : 0;
  if (FAILED(OpenWindowedDevice(screen))) {
    screen = ScreenDevice{};
    --screenDeviceCount;
    StoreError(AsHResult(launchMode == LaunchMode::Preview ? SaverError::NoPreview : SaverError::CreateDeviceFailed));
  }
}

void CD3DScreensaver::PlaceMonitorWindows() {
  for (unsigned m = 0; m < monitorCount; ++m) {
    MonitorEntry& mon = monitors[m];
    if (!mon.monitor) continue;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(mon.monitor, &info)) mon.screenRect = info.rcMonitor;
    if (launchMode == LaunchMode::FullScreen && mon.window) {
      const RECT& r = mon.screenRect;
      SetWindowPos(mon.window, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
    }
  }
}

void CD3DScreensaver::MakeScreenResources() {
  for (unsigned i = 0; i < screenDeviceCount; ++i) {
    SelectScreenDevice(i);
    if (FAILED(CreateDeviceResources())) {
      StoreError(AsHResult(SaverError::DeviceResourcesFailed));
      continue;
    }
    screenDevices[i].resources = ScreenResources::Created;
    if (FAILED(AcquireDeviceResources())) {
      StoreError(AsHResult(SaverError::DeviceResourcesFailed));
      continue;
    }
    screenDevices[i].resources = ScreenResources::Acquired;
  }
}

bool CD3DScreensaver::PickWindowedAdapter(UINT* adapter) {
  int software = -1;
  for (unsigned m = 0; m < monitorCount; ++m) {
    const int a = monitors[m].adapterIndex;
    if (a < 0 || unsigned(a) >= adapterCount || !adapters[a]) continue;
    if (adapters[a]->halUsable) {
      *adapter = UINT(a);
      return true;
    }
    if (adapters[a]->softwareUsable) software = a;
  }
  if (software < 0) return false;
  *adapter = UINT(software);
  return true;
}

unsigned ChooseDeviceType(const AdapterEntry& adapter, bool windowed) {
  // A windowed device renders into the desktop, so its type must take the desktop's format.
  auto fits = [&](const DeviceTypeEntry& type) { return !windowed || type.desktopFormatUsable; };
  for (unsigned t = 0; t < adapter.deviceTypeCount; ++t) {
    const DeviceTypeEntry& type = adapter.deviceTypes[t];
    if (type.deviceType == D3DDEVTYPE_HAL && !adapter.disableHardware && fits(type)) return t;
  }
  for (unsigned t = 0; t < adapter.deviceTypeCount; ++t) {
    const DeviceTypeEntry& type = adapter.deviceTypes[t];
    if (type.deviceType == D3DDEVTYPE_SW && fits(type)) return t;
  }
  return kNoDeviceType;
}

unsigned ChooseFullScreenMode(const AdapterEntry& adapter, const DeviceTypeEntry& type) {
  if (adapter.storedWidth) {
    for (unsigned i = 0; i < type.modeCount; ++i) {
      const DisplayModeEntry& m = type.modes[i];
      if (m.width == adapter.storedWidth && m.height == adapter.storedHeight && UINT(m.format) == adapter.storedFormat)
        return i;
    }
  }
  int pick = -1;
  if (type.deviceType == D3DDEVTYPE_SW) {
    // The lowest height but 400; at equal heights a later mode wins until a 16-bit one is in.
    for (unsigned i = 0; i < type.modeCount; ++i) {
      const DisplayModeEntry& m = type.modes[i];
      if (m.height == 400) continue;
      if (pick < 0 || m.height < type.modes[pick].height ||
          (m.height == type.modes[pick].height && !Is16BitFormat(type.modes[pick].format)))
        pick = int(i);
    }
  } else {
    // The desktop's size, in a 32-bit format if there is one.
    for (unsigned i = 0; i < type.modeCount; ++i) {
      const DisplayModeEntry& m = type.modes[i];
      if (m.width != adapter.desktopMode.Width || m.height != adapter.desktopMode.Height) continue;
      if (pick < 0) pick = int(i);
      if (Is32BitFormat(m.format)) {
        pick = int(i);
        break;
      }
    }
  }
  return pick >= 0 ? unsigned(pick) : 0;
}

D3DPRESENT_PARAMETERS CD3DScreensaver::PresentParams(const DisplayModeEntry& mode, HWND window, bool windowed) const {
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = mode.width;
  pp.BackBufferHeight = mode.height;
  pp.BackBufferFormat = mode.format;
  pp.BackBufferCount = 1;
  pp.MultiSampleType = D3DMULTISAMPLE_NONE;
  pp.SwapEffect = windowed ? windowedSwapEffect : fullScreenSwapEffect;
  pp.hDeviceWindow = window;
  pp.Windowed = windowed ? TRUE : FALSE;
  pp.EnableAutoDepthStencil = useDepthBuffer;
  pp.AutoDepthStencilFormat = mode.depthFormat;
  pp.FullScreen_RefreshRateInHz = 0;
  pp.PresentationInterval = windowed ? D3DPRESENT_INTERVAL_DEFAULT : D3DPRESENT_INTERVAL_ONE;
  return pp;
}

HRESULT CD3DScreensaver::OpenFullScreenDevice(ScreenDevice& screen) {
  const UINT a = screen.adapterOrdinal;
  if (a >= adapterCount || !adapters[a] || adapters[a]->deviceTypeCount == 0) return E_FAIL;
  AdapterEntry& adapter = *adapters[a];
  const unsigned typeIndex = ChooseDeviceType(adapter, false);
  if (typeIndex == kNoDeviceType) return AsHResult(SaverError::NoHardwareDevice);
  adapter.chosenDeviceType = typeIndex;
  DeviceTypeEntry& type = adapter.deviceTypes[typeIndex];
  type.currentMode = ChooseFullScreenMode(adapter, type);

  bool steppedDown = false;
  const HRESULT hr = CreateWithStepDown(screen, adapter, type, &steppedDown);
  if (FAILED(hr)) return hr;
  if (steppedDown) {
    // The mode that worked is the monitor's mode from now on.
    const DisplayModeEntry& used = type.modes[type.currentMode];
    adapter.storedWidth = used.width;
    adapter.storedHeight = used.height;
    adapter.storedFormat = UINT(used.format);
    if (settingsKeyPath[0]) WriteBackDisplayMode(adapter, screen.monitorIndex);
  }
  return S_OK;
}

HRESULT CD3DScreensaver::CreateWithStepDown(ScreenDevice& screen, const AdapterEntry& adapter, DeviceTypeEntry& type,
                                            bool* steppedDown) {
  *steppedDown = false;
  for (;;) {
    const DisplayModeEntry& mode = type.modes[type.currentMode];
    screen.presentParams = PresentParams(mode, adapter.window, false);
    screen.deviceType = type.deviceType;
    screen.behaviourFlags = mode.behaviourFlags;
    HRESULT hr = CreateScreenDevice(screen);
    if (SUCCEEDED(hr)) hr = AcceptCreatedDevice(screen.device.Get());
    if (SUCCEEDED(hr)) return S_OK;
    screen.device.Reset();
    *steppedDown = true;
    if (!StepDownDisplayMode(type)) return hr;
  }
}

HRESULT CD3DScreensaver::CreateScreenDevice(ScreenDevice& screen) {
  const std::vector<DWORD> before = StartedThreads::ProcessThreadIds();
  const HRESULT hr = d3d->CreateDevice(screen.adapterOrdinal, screen.deviceType, mainWindow, screen.behaviourFlags,
                                       &screen.presentParams, screen.device.Put());
  deviceThreads.AddStartedSince(before);
  return hr;
}

HRESULT CD3DScreensaver::OpenWindowedDevice(ScreenDevice& screen) {
  const UINT a = screen.adapterOrdinal;
  if (a >= adapterCount || !adapters[a]) return E_FAIL;
  AdapterEntry& adapter = *adapters[a];
  const unsigned typeIndex = ChooseDeviceType(adapter, true);
  if (typeIndex == kNoDeviceType) return AsHResult(SaverError::NoHardwareDevice);
  adapter.chosenDeviceType = typeIndex;
  const DeviceTypeEntry& type = adapter.deviceTypes[typeIndex];

  WindowedCandidate candidate{};
  if (!ChooseWindowedFormat(a, type, &candidate)) return E_FAIL;
  const DisplayModeEntry mode{0, 0, candidate.backBufferFormat, candidate.behaviourFlags, candidate.depthFormat};
  screen.presentParams = PresentParams(mode, adapter.window, true);
  screen.deviceType = type.deviceType;
  screen.behaviourFlags = mode.behaviourFlags;

  const HRESULT hr = CreateScreenDevice(screen);
  if (FAILED(hr)) {
    screen.device.Reset();
    return hr;
  }
  return S_OK;
}

bool CD3DScreensaver::ChooseWindowedFormat(UINT adapterOrdinal, const DeviceTypeEntry& type,
                                           WindowedCandidate* chosen) {
  const D3DFORMAT tries[] = {adapters[adapterOrdinal]->desktopMode.Format, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8,
                             D3DFMT_A1R5G5B5, D3DFMT_R5G6B5};
  for (D3DFORMAT f : tries) {
    WindowedCandidate candidate{f, 0, D3DFMT_UNKNOWN};
    if (SUCCEEDED(ProbeWindowedMode(adapterOrdinal, type, candidate))) {
      *chosen = candidate;
      return true;
    }
  }
  return false;
}

HRESULT CD3DScreensaver::ProbeWindowedMode(UINT adapter, const DeviceTypeEntry& type, WindowedCandidate& candidate) {
  HRESULT hr = d3d->CheckDeviceType(adapter, type.deviceType, adapters[adapter]->desktopMode.Format,
                                    candidate.backBufferFormat, TRUE);
  if (FAILED(hr)) return hr;
  if (!ChooseBehaviourFlags(type.caps, candidate.backBufferFormat, &candidate.behaviourFlags)) return E_FAIL;
  if (useDepthBuffer && !ChooseDepthFormat(adapter, type.deviceType, candidate.backBufferFormat, &candidate.depthFormat))
    return E_FAIL;
  return S_OK;
}
