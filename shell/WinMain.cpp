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
  // Everything the run held is released now: the music graph, the scenes and the devices at
  // the close-down, which also waited for the devices' own threads to end (TerminateProcess
  // stops a thread still running wherever it is). Under Wine the ordinary exit would still
  // unload every library (Mesa, LLVM, GStreamer) while threads that Direct3D and DirectShow
  // started end: about one full-screen run in twenty died in it (exit code 139, a device's
  // worker thread in the C library's thread clean-up while the process was terminated; or 137,
  // Wine killing a process whose exit took longer than the second it allows). Ending here
  // skips that teardown, which has nothing left to do.
  TerminateProcess(GetCurrentProcess(), UINT(exitCode));
  return exitCode;
}
