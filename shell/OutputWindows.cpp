#include <windowsx.h>

#include "runtime/ScreenSelection.h"
#include "shell/CD3DScreensaver.h"
#include "shell/Music.h"

POINT g_lastMousePosition = {-1, -1};

namespace {
const wchar_t kWindowClass[] = L"D3DSaverWndClass";
constexpr DWORD kTestWindowStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr unsigned kMovesTolerated = 5;
// Wine's command thread ends by itself right after its device; a driver that keeps a thread
// longer delays the end of the run by this much at most.
constexpr DWORD kDeviceThreadsEndMs = 1000;

void RegisterSaverWindowClass(HINSTANCE instance) {
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = SaverWindowProcEntry;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kWindowClass;
  RegisterClassW(&wc);  // a second registration in the same process fails harmlessly
}
}  // namespace

HRESULT CD3DScreensaver::OpenOutputWindows() {
  RegisterSaverWindowClass(instance);
  HWND window = nullptr;
  switch (launchMode) {
    case LaunchMode::Preview: {
      RECT rc{};
      GetClientRect(parentWindow, &rc);
      AdjustWindowRect(&rc, WS_CHILD | WS_VISIBLE, FALSE);
      window = CreateWindowExW(0, kWindowClass, windowTitle, WS_CHILD | WS_VISIBLE, rc.left, rc.top,
                               rc.right - rc.left, rc.bottom - rc.top, parentWindow, nullptr, instance, this);
      break;
    }
    case LaunchMode::FullScreen:
      mainWindow = nullptr;
      for (unsigned m = 0; m < monitorCount; ++m) {
        MonitorEntry& mon = monitors[m];
        if (!mon.monitor) continue;
        const RECT& r = mon.screenRect;
        HWND w = CreateWindowExW(WS_EX_TOPMOST, kWindowClass, windowTitle, WS_POPUP | WS_VISIBLE, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, mainWindow, nullptr, instance, this);
        if (!w) return E_FAIL;
        mon.window = w;
        if (!mainWindow) mainWindow = w;
      }
      return mainWindow ? S_OK : E_FAIL;
    case LaunchMode::Test: {
      RECT rc{50, 50, 650, 450};
      AdjustWindowRect(&rc, kTestWindowStyle, FALSE);
      window = CreateWindowExW(0, kWindowClass, windowTitle, kTestWindowStyle, rc.left, rc.top, rc.right - rc.left,
                               rc.bottom - rc.top, nullptr, nullptr, instance, this);
      break;
    }
    default: return S_OK;
  }
  mainWindow = window;
  monitors[0].window = window;
  if (window) GetClientRect(window, &renderRect);
  return window ? S_OK : E_FAIL;
}

LRESULT CALLBACK SaverWindowProcEntry(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    if (g_saver) return g_saver->HandleWindowMessage(window, message, wparam, lparam);
    return DefWindowProcW(window, message, wparam, lparam);
  } catch (...) {
    return 1;
  }
}

LRESULT CD3DScreensaver::HandleWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const bool test = launchMode == LaunchMode::Test;
  const bool fullScreen = launchMode == LaunchMode::FullScreen;
  switch (message) {
    case WM_DESTROY:
      if (launchMode == LaunchMode::Preview || test) CloseDown();
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      if (!errorFlag && launchMode == LaunchMode::Preview) {
        RECT rc;
        GetClientRect(window, &rc);
        FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      } else {
        PaintWindow(window, dc);
      }
      EndPaint(window, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_ACTIVATEAPP:
      if (wparam == 0 && !test) EndOnUserInput();
      break;
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (!test) EndOnUserInput();
      break;
    case WM_MOUSEMOVE:
      if (!test) {
        POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        if (p.x != g_lastMousePosition.x || p.y != g_lastMousePosition.y) {
          ++mouseMoveCount;
          g_lastMousePosition = p;
          if (mouseMoveCount > kMovesTolerated) EndOnUserInput();
        }
      }
      break;
    case WM_SETCURSOR:
      if (fullScreen) {
        SetCursor(nullptr);
        return 1;
      }
      break;
    case WM_SYSCOMMAND:
      // The low four bits of the command are the system's own.
      if (fullScreen) {
        switch (wparam & 0xFFF0) {
          case SC_NEXTWINDOW:
          case SC_PREVWINDOW:
          case SC_CLOSE:
          case SC_SCREENSAVE: return 0;
        }
      }
      break;
    case WM_TIMER:
      previewWait = 0;
      KillTimer(window, 1);
      break;
    case WM_POWERBROADCAST:
      if (wparam == PBT_APMSUSPEND) EndOnUserInput();
      break;
    case WM_USER: SetTimer(window, 1, 500, nullptr); break;
    case kMusicEventMessage: HandleMusicEvent(GetMusicEvent()); break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void CD3DScreensaver::EndOnUserInput() {
  if (launchMode != LaunchMode::FullScreen && launchMode != LaunchMode::Test) return;
  if (launchMode == LaunchMode::FullScreen) {
    UINT scratch = 0;
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, FALSE, &scratch, 0);
  }
  CloseScreenDevices();
  OnBeforeQuit();
  PostQuitMessage(0);
}

void CD3DScreensaver::CloseDown() {
  CloseScreenDevices();
  OnBeforeQuit();
  PostQuitMessage(0);
}

void CD3DScreensaver::CloseScreenDevices() {
  for (unsigned i = 0; i < screenDeviceCount; ++i) {
    ScreenDevice& screen = screenDevices[i];
    SelectScreenDevice(i);
    if (screen.resources == ScreenResources::Acquired) {
      ReleaseDeviceResources();
      screen.resources = ScreenResources::Created;
    }
    if (screen.resources == ScreenResources::Created) {
      DestroyDeviceResources();
      screen.resources = ScreenResources::None;
    }
    // Nothing may draw through a device that is gone.
    const ScreenSelection selected = ScreenSelection::Current();
    if (selected.device == screen.device.Get()) SelectScreen(selected.WithDevice(nullptr));
    screen.device.Reset();
    currentDevice = nullptr;
  }
  screenDeviceCount = 0;
  d3d.Reset();
  // The devices are gone now (the application destroyed all it made of them above); what they
  // started ends by itself, and the process is not to be ended under it.
  deviceThreads.WaitForEnd(kDeviceThreadsEndMs);
}
