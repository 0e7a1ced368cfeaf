#include <windows.h>
#include <mmsystem.h>

#include "shell/CD3DScreensaver.h"
#include "shell/SaverError.h"

const SaverErrorText kSaverErrorTexts[13] = {
    {SaverError::Unspecified, 2100},
    {SaverError::NoDirect3D, 2101},
    {SaverError::InitFailed, 2102},
    {SaverError::CreateDeviceFailed, 2103},
    {SaverError::NoCompatibleDevices, 2104},
    {SaverError::NoHardwareDevice, 2105},
    {SaverError::HardwareMissingCaps, 2106},
    {SaverError::HardwareMissingCapsForMode, 2107},
    {SaverError::MediaMissing, 2108},
    {SaverError::ResetFailed, 2109},
    {SaverError::OutOfMemory, 2110},
    {SaverError::OutOfVideoMemory, 2111},
    {SaverError::NoPreview, 2112},
};

UINT ErrorTextId(HRESULT code) {
  for (const SaverErrorText& row : kSaverErrorTexts)
    if (AsHResult(row.code) == code) return row.stringId;
  return kUnspecifiedErrorTextId;
}

namespace {
DWORD g_errorAnimationTime = 0;  // time of the previous animation step, 0 before the first

RECT Truncated(const ErrorBox& box) {
  return RECT{LONG(box.x), LONG(box.y), LONG(box.x + box.width), LONG(box.y + box.height)};
}

RECT ScreenToClientRect(HWND window, RECT r) {
  MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
}  // namespace

bool CD3DScreensaver::LookUpErrorText(HRESULT code, wchar_t* buffer, int bufferLength) {
  const UINT id = ErrorTextId(code);
  if (bufferLength > 0) {
    buffer[0] = L'\0';
    LoadStringW(nullptr, id, buffer, bufferLength);
  }
  return id != kUnspecifiedErrorTextId;
}

HRESULT CD3DScreensaver::ShowErrorBox(HRESULT code) {
  wchar_t text[512];
  LookUpErrorText(code, text, 512);
  MessageBoxW(mainWindow, text, windowTitle, MB_ICONERROR);
  return code;
}

void CD3DScreensaver::AnimateErrorMessage() {
  if (screenDeviceCount) CloseScreenDevices();
  const DWORD now = timeGetTime();
  if (g_errorAnimationTime == 0) g_errorAnimationTime = now;
  const float dt = float(DWORD(now - g_errorAnimationTime)) / 1000.0f;
  g_errorAnimationTime = now;
  if (!errorText[0]) LookUpErrorText(errorCode, errorText, 400);
  AnimateErrorBoxes(dt);
}

RECT CD3DScreensaver::ErrorBoxBounds(const MonitorEntry& monitor) {
  if (launchMode == LaunchMode::FullScreen) return ScreenToClientRect(monitor.window, monitor.screenRect);
  return renderRect;
}

void CD3DScreensaver::AnimateErrorBoxes(float dt) {
  const bool preview = launchMode == LaunchMode::Preview;
  for (unsigned m = 0; m < monitorCount; ++m) {
    MonitorEntry& mon = monitors[m];
    if (!mon.window) continue;
    const RECT b = ErrorBoxBounds(mon);
    ErrorBox& e = mon.errorBox;
    if (e.width == 0) {
      if (preview) {
        e = ErrorBox{0, 0, float(b.right - b.left), float(b.bottom - b.top), 0, 0};
        InvalidateRect(mon.window, nullptr, TRUE);
        UpdateWindow(mon.window);
      } else {
        e.width = 300;
        e.height = 150;
        e.x = float(b.left + b.right - 300) / 2;
        e.y = float(b.top + b.bottom - 150) / 2;
        e.vx = float(b.right - b.left) / 10;
        e.vy = float(b.bottom - b.top) / 20;
      }
      continue;
    }
    if (preview) continue;
    const RECT before = Truncated(e);
    if ((e.x + e.width + e.vx * dt > b.right && e.vx > 0) || (e.x + e.vx * dt < b.left && e.vx < 0)) e.vx = -e.vx;
    if ((e.y + e.height + e.vy * dt > b.bottom && e.vy > 0) || (e.y + e.vy * dt < b.top && e.vy < 0)) e.vy = -e.vy;
    e.x += e.vx * dt;
    e.y += e.vy * dt;
    const RECT after = Truncated(e);
    if (after.left != before.left || after.top != before.top) {
      InvalidateRect(mon.window, &before, FALSE);
      InvalidateRect(mon.window, &after, FALSE);
      UpdateWindow(mon.window);
    }
  }
}

MonitorEntry* CD3DScreensaver::MonitorOfWindow(HWND window) {
  for (unsigned m = 0; m < monitorCount; ++m)
    if (monitors[m].window == window) return &monitors[m];
  HMONITOR hm = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  for (unsigned m = 0; m < monitorCount; ++m)
    if (monitors[m].monitor == hm) return &monitors[m];
  return nullptr;
}

void CD3DScreensaver::PaintWindow(HWND window, HDC dc) {
  // The record that holds the window: with the windows of several monitors, the nearest
  // monitor of a window is not always the one it belongs to.
  MonitorEntry* mon = MonitorOfWindow(window);
  if (!mon) return;
  const RECT box = Truncated(mon->errorBox);
  FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
  FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

  RECT measured = box;
  DrawTextW(dc, errorText, -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
  RECT text = box;
  text.top = (box.top + box.bottom - (measured.bottom - measured.top)) / 2;
  DrawTextW(dc, errorText, -1, &text, DT_WORDBREAK | DT_CENTER);

  ExcludeClipRect(dc, box.left, box.top, box.right, box.bottom);
  const RECT screen = ScreenToClientRect(window, mon->screenRect);
  FillRect(dc, &screen, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}
