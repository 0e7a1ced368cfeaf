#include <windows.h>
#include <mmsystem.h>

#include "device/DefaultPool.h"
#include "shell/AppClock.h"
#include "shell/CD3DScreensaver.h"

namespace {
struct AppClockState {
  bool asked = false;
  bool hasCounter = false;
  double frequency = 1.0;  // counter ticks per second; 1 when times are seconds already
  double base = 0.0;
  double stopTime = 0.0;
  bool stopped = true;
} g_appClock;

double ClockNow() {
  if (!g_appClock.asked) {
    LARGE_INTEGER f;
    g_appClock.hasCounter = QueryPerformanceFrequency(&f) && f.QuadPart > 0;
    g_appClock.frequency = g_appClock.hasCounter ? double(f.QuadPart) : 1.0;
    g_appClock.asked = true;
  }
  if (g_appClock.hasCounter) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart);
  }
  return double(DWORD(timeGetTime())) * 0.001;
}
}  // namespace

void StartAppClock() {
  const double now = ClockNow();
  if (g_appClock.stopped) g_appClock.base += now - g_appClock.stopTime;
  g_appClock.stopTime = 0.0;
  g_appClock.stopped = false;
}

double AppClockSeconds() { return (ClockNow() - g_appClock.base) / g_appClock.frequency; }

HRESULT CD3DScreensaver::RunIdleLoop() {
  StartAppClock();
  if (!errorFlag) {
    OnLoopStart();
    OpenScreenDevices();
  }
  if (launchMode == LaunchMode::FullScreen) {
    UINT scratch = 0;
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, TRUE, &scratch, 0);
  }
  MSG msg{};
  while (msg.message != WM_QUIT) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else if (PreviewWindowGone()) {
      // A parent that goes without the child's WM_DESTROY reaching us ends the run too.
      CloseDown();
    } else {
      Sleep(30);
      if (errorFlag)
        AnimateErrorMessage();
      else
        StepFrame();
    }
  }
  return S_OK;
}

HRESULT CD3DScreensaver::StepFrame() {
  appTime = float(AppClockSeconds());
  AdvanceFrame();
  for (unsigned i = 0; i < screenDeviceCount; ++i) {
    ScreenDevice& screen = screenDevices[i];
    SelectScreenDevice(i);
    if (screen.device) {
      const HRESULT level = screen.device->TestCooperativeLevel();
      // A lost device ends the whole step: nothing more is drawn, nothing presented.
      if (level == D3DERR_DEVICELOST) return S_OK;
      if (level == D3DERR_DEVICENOTRESET) {
        if (windowed && d3d && screen.adapterOrdinal < adapterCount && adapters[screen.adapterOrdinal])
          d3d->GetAdapterDisplayMode(screen.adapterOrdinal, &adapters[screen.adapterOrdinal]->desktopMode);
        if (screen.resources == ScreenResources::Acquired) {
          ReleaseDeviceResources();
          screen.resources = ScreenResources::Created;
        }
        ReleaseDeviceBindings(screen.device.Get());
        if (FAILED(screen.device->Reset(&screen.presentParams)))
          errorFlag = 1;
        else if (FAILED(AcquireDeviceResources()))
          errorFlag = 1;
        else
          screen.resources = ScreenResources::Acquired;
      }
    }
    DrawFrame();
  }
  for (unsigned i = 0; i < screenDeviceCount; ++i) {
    SelectScreenDevice(i);
    if (currentDevice) currentDevice->Present(nullptr, nullptr, nullptr, nullptr);
  }
  return S_OK;
}

void CD3DScreensaver::SelectScreenDevice(unsigned screen) {
  currentDevice = screenDevices[screen].device.Get();
  ActivateScreen(screen);
}
