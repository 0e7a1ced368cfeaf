#pragma once
// The messages a host that must outlive the loss of the foreground leaves to
// DefWindowProc: the deactivation and the input that would end a full-screen run.
#include <windows.h>

inline bool IsEndingInput(UINT message) {
  switch (message) {
    case WM_ACTIVATEAPP:
    case WM_MOUSEMOVE:
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: return true;
  }
  return false;
}
