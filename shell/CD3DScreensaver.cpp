#include "shell/CD3DScreensaver.h"

#include <cwchar>
#include <cwctype>
#include <new>

#include "shell/Music.h"
#include "shell/SaverError.h"

CD3DScreensaver* g_saver = nullptr;
HINSTANCE g_hInstance = nullptr;
wchar_t g_settingsKeyPath[200] = L"";

namespace {
using Direct3DCreate9Fn = IDirect3D9*(WINAPI*)(UINT);

// Direct3D 9 is loaded at run time: on a machine without it the program still starts and
// shows its "could not be initialized" message instead of failing in the loader.
IDirect3D9* CreateDirect3D9() {
  static HMODULE module = LoadLibraryW(L"d3d9.dll");
  if (!module) return nullptr;
  auto create = reinterpret_cast<Direct3DCreate9Fn>(GetProcAddress(module, "Direct3DCreate9"));
  return create ? create(32) : nullptr;
}

bool IsIdleLoopMode(LaunchMode m) {
  return m == LaunchMode::Preview || m == LaunchMode::FullScreen || m == LaunchMode::Test;
}
}  // namespace

CD3DScreensaver::CD3DScreensaver()
    : launchMode(LaunchMode::Settings),
      allScreensSame(0),
      mainWindow(nullptr),
      parentWindow(nullptr),
      instance(nullptr),
      previewWait(0),
      mouseMoveCount(0),
      windowed(0),
      errorFlag(0),
      errorCode(0),
      errorText{},
      monitors{},
      monitorCount(0),
      screenDevices{},
      screenDeviceCount(0),
      adapters{},
      adapterCount(0),
      currentDevice(nullptr),
      renderRect{},
      windowTitle{},
      useDepthBuffer(0),
      settingsKeyPath{},
      minDepthBits(16),
      minStencilBits(0),
      fullScreenSwapEffect(D3DSWAPEFFECT_DISCARD),
      windowedSwapEffect(D3DSWAPEFFECT_COPY),
      appTime(0.0f) {
  g_saver = this;
  wcscpy(windowTitle, L"Screen Saver");
}

void CD3DScreensaver::StoreError(HRESULT code) {
  errorFlag = 1;
  errorCode = code;
}

LaunchMode CD3DScreensaver::ReadLaunchMode(const wchar_t* commandLine) {
  parentWindow = nullptr;
  const wchar_t* p = commandLine ? commandLine : L"";
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
    if (*p) ++p;
  }
  while (*p && *p != L'/' && *p != L'-') ++p;
  if (!*p) return LaunchMode::Settings;
  ++p;
  LaunchMode mode;
  switch (std::towupper(*p)) {
    case L'C': mode = LaunchMode::Settings; break;
    case L'P': mode = LaunchMode::Preview; break;
    case L'T': mode = LaunchMode::Test; break;
    case L'A': mode = LaunchMode::PasswordChange; break;
    case L'R': mode = LaunchMode::NoWindow; break;
    default: return LaunchMode::FullScreen;
  }
  if (mode == LaunchMode::Settings || mode == LaunchMode::Preview || mode == LaunchMode::PasswordChange) {
    ++p;
    while (*p && !(*p >= L'0' && *p <= L'9')) ++p;
    if (*p) parentWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstol(p, nullptr, 10)));
  }
  return mode;
}

void CD3DScreensaver::WaitForPreviewWindow() {
  previewWait = 1;
  PostMessageW(mainWindow, WM_USER, 0, 0);
  MSG msg;
  while (previewWait) {
    BOOL got = GetMessageW(&msg, mainWindow, 0, 0);
    if (got == 0) {
      PostQuitMessage(0);
      break;
    }
    // -1: the window is gone (its parent destroyed it); waiting on would never end.
    if (got < 0) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  previewWait = 0;
}

bool CD3DScreensaver::PreviewWindowGone() const {
  return launchMode == LaunchMode::Preview && !(IsWindow(mainWindow) && IsWindow(parentWindow));
}

HRESULT CD3DScreensaver::StartUp(HINSTANCE moduleInstance) {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
  instance = moduleInstance;
  launchMode = ReadLaunchMode(GetCommandLineW());
  CollectMonitors();

  if (IsIdleLoopMode(launchMode)) {
    HRESULT hr = OpenOutputWindows();
    if (FAILED(hr)) StoreError(hr);
  }
  if (launchMode == LaunchMode::Preview && mainWindow) WaitForPreviewWindow();
  // Without a preview window there is nothing to draw into: end before taking anything more.
  if (PreviewWindowGone()) return 0;

  IDirect3D9* created = CreateDirect3D9();
  if (!created) {
    StoreError(AsHResult(SaverError::NoDirect3D));
    return 0;
  }
  d3d = ComRef<IDirect3D9>::Adopt(created);

  HRESULT hr = OnDirect3DCreated();
  if (FAILED(hr)) {
    StoreError(hr);
    return 0;
  }
  hr = EnumerateAdapters();
  if (FAILED(hr)) {
    StoreError(hr);
    return 0;
  }
  bool anyUsable = false;
  for (unsigned a = 0; a < adapterCount; ++a)
    if (adapters[a] && (adapters[a]->halUsable || adapters[a]->softwareUsable)) anyUsable = true;
  if (!anyUsable) {
    StoreError(AsHResult(SaverError::NoCompatibleDevices));
    return 0;
  }

  LoadSettings();
  if (launchMode == LaunchMode::FullScreen || launchMode == LaunchMode::Test) InitMusicGraph(mainWindow);
  return 0;
}

HRESULT CD3DScreensaver::ExecuteMode() {
  switch (launchMode) {
    case LaunchMode::Settings:
      if (errorFlag)
        ShowErrorBox(errorCode);
      else
        ShowSettingsDialog();
      break;
    case LaunchMode::Preview:
    case LaunchMode::FullScreen:
    case LaunchMode::Test: {
      if (PreviewWindowGone()) break;
      HRESULT hr = RunIdleLoop();
      if (FAILED(hr)) ShowErrorBox(hr);
      break;
    }
    case LaunchMode::PasswordChange: RunPasswordChange(); break;
    case LaunchMode::NoWindow: break;
  }
  FreeAdapters();
  return 0;
}

void CD3DScreensaver::FreeAdapters() {
  for (auto& a : adapters) a.reset();
  d3d.Reset();
}

void CD3DScreensaver::RunPasswordChange() {
  using PwdChangePasswordFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
  HMODULE mpr = LoadLibraryW(L"MPR.DLL");
  if (!mpr) return;
  auto change = reinterpret_cast<PwdChangePasswordFn>(GetProcAddress(mpr, "PwdChangePasswordA"));
  if (change) change("SCRSAVE", parentWindow, 0, nullptr);
  FreeLibrary(mpr);
}

// What the host does where the application adds nothing.
void CD3DScreensaver::ShowSettingsDialog() {}
void CD3DScreensaver::LoadSettings() {}
INT_PTR CD3DScreensaver::HandleSoundDialogMessage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void CD3DScreensaver::ActivateScreen(unsigned) {}
HRESULT CD3DScreensaver::OnDirect3DCreated() { return S_OK; }
HRESULT CD3DScreensaver::AcceptDeviceCaps(const D3DCAPS9&, DWORD, D3DFORMAT) { return S_OK; }
HRESULT CD3DScreensaver::AcceptCreatedDevice(IDirect3DDevice9*) { return S_OK; }
HRESULT CD3DScreensaver::OnLoopStart() { return S_OK; }
HRESULT CD3DScreensaver::CreateDeviceResources() { return S_OK; }
HRESULT CD3DScreensaver::AcquireDeviceResources() { return S_OK; }
HRESULT CD3DScreensaver::AdvanceFrame() { return S_OK; }
HRESULT CD3DScreensaver::DrawFrame() { return S_OK; }
HRESULT CD3DScreensaver::ReleaseDeviceResources() { return S_OK; }
HRESULT CD3DScreensaver::DestroyDeviceResources() { return S_OK; }
HRESULT CD3DScreensaver::OnBeforeQuit() { return S_OK; }
void CD3DScreensaver::HandleMusicEvent(long) {}
