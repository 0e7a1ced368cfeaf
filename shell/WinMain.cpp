// The program's entry: kept out of the shell library so that tests link the library alone.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "shell/CMoireScreensaver.h"

namespace {
ULONG_PTR g_gdiplusToken = 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  g_hInstance = instance;
  Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, background thread on
  Gdiplus::GdiplusStartup(&g_gdiplusToken, &input, nullptr);
  int exitCode = 0;
  {
    CMoireScreensaver saver;
    HRESULT hr = saver.StartUp(instance);
    if (FAILED(hr))
      saver.ShowErrorBox(hr);
    else
      exitCode = saver.ExecuteMode();
  }
  return exitCode;
}
