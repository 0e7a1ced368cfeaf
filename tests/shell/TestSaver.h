#pragma once
// A screensaver host for tests: counts the operations the shell calls and lets a test
// decide what the device-resource steps do.
#include <windows.h>

#include <cwchar>
#include <functional>
#include <vector>

#include "shell/CD3DScreensaver.h"

class TestSaver : public CD3DScreensaver {
 public:
  TestSaver() {
    instance = GetModuleHandleW(nullptr);
    wcscpy(windowTitle, L"Tevrana Screensaver");
    g_lastMousePosition = POINT{-1, -1};
  }
  ~TestSaver() {
    CloseScreenDevices();
    FreeAdapters();
    g_saver = nullptr;
  }

  // Opens the preview window inside the parent, as start-up does for /p.
  HRESULT OpenPreview(HWND parent) {
    launchMode = LaunchMode::Preview;
    parentWindow = parent;
    monitorCount = 1;
    return OpenOutputWindows();
  }

  HRESULT OnBeforeQuit() override {
    ++quits;
    return S_OK;
  }
  HRESULT CreateDeviceResources() override {
    ++creates;
    return S_OK;
  }
  HRESULT AcquireDeviceResources() override {
    ++acquires;
    return onAcquire ? onAcquire() : S_OK;
  }
  HRESULT ReleaseDeviceResources() override {
    ++releases;
    if (onRelease) onRelease();
    return S_OK;
  }
  HRESULT DrawFrame() override {
    ++draws;
    if (onDraw) onDraw();
    return S_OK;
  }
  HRESULT AcceptDeviceCaps(const D3DCAPS9& caps, DWORD flags, D3DFORMAT format) override {
    return acceptCaps ? acceptCaps(caps, flags, format) : S_OK;
  }
  void PaintWindow(HWND window, HDC dc) override {
    ++paints;
    CD3DScreensaver::PaintWindow(window, dc);
  }
  void HandleMusicEvent(long eventCode) override { musicEvents.push_back(eventCode); }

  int quits = 0, creates = 0, acquires = 0, releases = 0, draws = 0, paints = 0;
  std::vector<long> musicEvents;
  std::function<HRESULT()> onAcquire;
  std::function<void()> onRelease, onDraw;
  std::function<HRESULT(const D3DCAPS9&, DWORD, D3DFORMAT)> acceptCaps;
};

// Removes a WM_QUIT the shell posted; true when there was one.
inline bool TakeQuitMessage() {
  MSG m;
  bool any = false;
  while (PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) any = true;
  return any;
}

// A plain hidden top-level window, destroyed with the object.
class PlainWindow {
 public:
  PlainWindow(int x = 0, int y = 0, int w = 200, int h = 150, DWORD style = WS_POPUP) {
    static const wchar_t* cls = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"ShellTestPlain";
      RegisterClassW(&wc);
      return L"ShellTestPlain";
    }();
    hwnd = CreateWindowExW(0, cls, L"", style, x, y, w, h, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~PlainWindow() {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  HWND hwnd;
};
