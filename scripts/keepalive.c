/* Holds one hidden window open for the whole test run, so that Wine's desktop process is
   started once, with null stdio, and stays up between tests. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmd, int show) {
  (void)inst; (void)prev; (void)cmd; (void)show;
  HWND w = CreateWindowW(L"STATIC", L"tevrana-keepalive", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
  if (!w) return 1;
  MSG m;
  while (GetMessageW(&m, NULL, 0, 0) > 0) DispatchMessageW(&m);
  return 0;
}
