// Looks at a running screensaver from another process, for the end-to-end scripts:
//   saver_probe windows            lists the saver windows: title, rectangle, client size, styles
//   saver_probe monitors           lists the monitors' rectangles
//   saver_probe cursor             whether the foreground thread shows a cursor
//   saver_probe close [HWND]       asks the saver window (or the window HWND) to close (WM_CLOSE)
//   saver_probe sync [HWND]        returns once the saver's thread (or the thread of the window
//                                  HWND) has taken its messages (a message sent to it is answered
//                                  only from its message loop)
//   saver_probe msgbox TITLE       prints the text of the message box titled TITLE and presses OK
//   saver_probe run MS CMDLINE...  starts CMDLINE, counts the saver windows it opens until it
//                                  ends (at most MS milliseconds), prints them, its exit code and
//                                  the milliseconds from its start to its end
//   saver_probe resources FILE     lists what the program carries: icon 101, the manifest, the texts
//   saver_probe steal MS           takes the foreground with a window of its own for MS
//                                  milliseconds, then closes it (a full-screen device goes lost);
//                                  prints "taken at T" (T: milliseconds since 1970) at once
//   saver_probe errorbox FILE TEXT draws the 300 x 150 error box with TEXT the way a window
//                                  DC of this prefix draws it, into a BMP file
//   saver_probe parent             opens a window with a 152 x 112 client area to host a preview,
//                                  prints "parent=HWND" (decimal) and runs until it is closed
//   saver_probe children HWND      lists the saver windows inside the window HWND
//   saver_probe nowindow           prints the decimal handle of a window that no longer exists
//   saver_probe usage              prints how many handles and threads the saver's process holds
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {
const wchar_t kSaverClass[] = L"D3DSaverWndClass";

std::vector<HWND> SaverWindows(DWORD pid = 0) {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{pid, {}};
  EnumWindows(
      [](HWND w, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        wchar_t cls[64] = L"";
        GetClassNameW(w, cls, 64);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (wcscmp(cls, kSaverClass) == 0 && (s->pid == 0 || owner == s->pid)) s->found.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int ListWindows() {
  for (HWND w : SaverWindows()) {
    wchar_t title[200] = L"";
    GetWindowTextW(w, title, 200);
    RECT r, c;
    GetWindowRect(w, &r);
    GetClientRect(w, &c);
    const LONG style = GetWindowLongW(w, GWL_STYLE), ex = GetWindowLongW(w, GWL_EXSTYLE);
    wprintf(L"window title=\"%ls\" rect=%ld,%ld,%ld,%ld client=%ldx%ld visible=%d topmost=%d popup=%d\n", title,
            r.left, r.top, r.right, r.bottom, c.right, c.bottom, IsWindowVisible(w) ? 1 : 0,
            (ex & WS_EX_TOPMOST) ? 1 : 0, (style & WS_POPUP) ? 1 : 0);
  }
  return 0;
}

int ListMonitors() {
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR m, HDC, LPRECT, LPARAM) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        GetMonitorInfoW(m, &info);
        const RECT& r = info.rcMonitor;
        wprintf(L"monitor rect=%ld,%ld,%ld,%ld\n", r.left, r.top, r.right, r.bottom);
        return TRUE;
      },
      0);
  return 0;
}

int Cursor() {
  CURSORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetCursorInfo(&info)) return 1;
  wprintf(L"cursor shown=%d handle=%d\n", (info.flags & CURSOR_SHOWING) ? 1 : 0, info.hCursor ? 1 : 0);
  return 0;
}

HWND WindowFromText(const wchar_t* text) { return reinterpret_cast<HWND>(static_cast<INT_PTR>(_wtoi64(text))); }

// The window given by its decimal handle, else the first saver window (null when none).
HWND TargetWindow(const wchar_t* handle) {
  if (handle) return WindowFromText(handle);
  std::vector<HWND> w = SaverWindows();
  return w.empty() ? nullptr : w.front();
}

int Close(const wchar_t* handle) {
  HWND target = TargetWindow(handle);
  return target && PostMessageW(target, WM_CLOSE, 0, 0) ? 0 : 1;
}

int Sync(const wchar_t* handle) {
  HWND target = TargetWindow(handle);
  DWORD_PTR result = 0;
  return target && SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result) ? 0 : 1;
}

int MessageBoxText(const wchar_t* title) {
  HWND box = nullptr;
  for (int i = 0; i < 100 && !box; ++i) {
    box = FindWindowW(L"#32770", title);
    if (!box) Sleep(50);
  }
  if (!box) {
    wprintf(L"no message box\n");
    return 1;
  }
  EnumChildWindows(
      box,
      [](HWND child, LPARAM) -> BOOL {
        wchar_t cls[64] = L"", text[600] = L"";
        GetClassNameW(child, cls, 64);
        GetWindowTextW(child, text, 600);
        if (_wcsicmp(cls, L"Static") == 0 && text[0]) wprintf(L"text=%ls\n", text);
        return TRUE;
      },
      0);
  wchar_t ownerTitle[200] = L"";
  HWND owner = GetWindow(box, GW_OWNER);
  if (owner) GetWindowTextW(owner, ownerTitle, 200);
  wprintf(L"owner=%d\n", owner ? 1 : 0);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  return 0;
}

int Run(DWORD limitMs, const wchar_t* commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    wprintf(L"cannot start\n");
    return 1;
  }
  size_t most = 0;
  const DWORD start = GetTickCount();
  DWORD wait;
  do {
    most = std::max(most, SaverWindows(pi.dwProcessId).size());
    wait = WaitForSingleObject(pi.hProcess, 10);
  } while (wait == WAIT_TIMEOUT && GetTickCount() - start < limitMs);
  DWORD code = 0;
  if (wait == WAIT_TIMEOUT) {
    TerminateProcess(pi.hProcess, 99);
    wprintf(L"timeout\n");
  }
  GetExitCodeProcess(pi.hProcess, &code);
  wprintf(L"windows=%u exit=%lu ms=%lu\n", unsigned(most), code, GetTickCount() - start);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}

int Resources(const wchar_t* path) {
  HMODULE m = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!m) {
    wprintf(L"cannot load\n");
    return 1;
  }
  wprintf(L"icon101=%d\n", FindResourceW(m, MAKEINTRESOURCEW(101), RT_GROUP_ICON) ? 1 : 0);
  std::string manifest;
  if (HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(1), RT_MANIFEST))
    if (HGLOBAL g = LoadResource(m, r)) manifest.assign(static_cast<const char*>(LockResource(g)), SizeofResource(m, r));
  wprintf(L"manifest=%d asInvoker=%d dpiAware=%d commonControls6=%d\n", manifest.empty() ? 0 : 1,
          manifest.find("level=\"asInvoker\"") != std::string::npos ? 1 : 0,
          manifest.find("dpiAware") != std::string::npos ? 1 : 0,
          manifest.find("Microsoft.Windows.Common-Controls\" version=\"6.") != std::string::npos ? 1 : 0);
  for (UINT id : {1000u, 2100u, 2101u, 2102u, 2103u, 2104u, 2105u, 2106u, 2107u, 2108u, 2109u, 2110u, 2111u, 2112u}) {
    wchar_t text[400] = L"";
    if (LoadStringW(m, id, text, 400)) wprintf(L"string %u=%ls\n", id, text);
  }
  FreeLibrary(m);
  return 0;
}

int Steal(DWORD ms) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = L"SaverProbeForeground";
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"saver probe", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200,
                           nullptr, nullptr, wc.hInstance, nullptr);
  if (!w) return 1;
  const BOOL took = SetForegroundWindow(w);
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  const ULONGLONG since1601 = (ULONGLONG(now.dwHighDateTime) << 32 | now.dwLowDateTime) / 10000;
  wprintf(L"taken at %llu\n", since1601 - 11644473600000ULL);
  fflush(stdout);
  const DWORD start = GetTickCount();
  MSG m;
  while (GetTickCount() - start < ms) {
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    Sleep(10);
  }
  DestroyWindow(w);
  wprintf(L"foreground taken=%d\n", took ? 1 : 0);
  return took ? 0 : 1;
}

HWND OpenPlainWindow(DWORD style, int clientWidth, int clientHeight) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(w, m, wp, lp);
  };
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = L"SaverProbePlain";
  RegisterClassW(&wc);
  RECT r{0, 0, clientWidth, clientHeight};
  AdjustWindowRect(&r, style, FALSE);
  return CreateWindowExW(0, wc.lpszClassName, L"saver probe parent", style, 100, 100, r.right - r.left,
                         r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
}

// The window a preview runs in, like the one the display settings give it.
int Parent() {
  HWND w = OpenPlainWindow(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 152, 112);
  if (!w) return 1;
  wprintf(L"parent=%lld\n", static_cast<long long>(reinterpret_cast<INT_PTR>(w)));
  fflush(stdout);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  return 0;
}

int Children(const wchar_t* handle) {
  HWND parent = WindowFromText(handle);
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[64] = L"";
    GetClassNameW(c, cls, 64);
    if (wcscmp(cls, kSaverClass) != 0) continue;
    RECT r;
    GetClientRect(c, &r);
    wprintf(L"child=%lld client=%ldx%ld visible=%d\n", static_cast<long long>(reinterpret_cast<INT_PTR>(c)),
            r.right, r.bottom, IsWindowVisible(c) ? 1 : 0);
  }
  return 0;
}

// A handle that once was a window: its slot gets a new generation when it is used again, so
// the number stays no window.
int NoWindow() {
  HWND w = OpenPlainWindow(WS_POPUP, 10, 10);
  if (!w) return 1;
  DestroyWindow(w);
  wprintf(L"%lld\n", static_cast<long long>(reinterpret_cast<INT_PTR>(w)));
  return IsWindow(w) ? 1 : 0;
}

// The box as the saver paints it: window colour, black frame, the text centred in it with
// the device context's own font and colours.
int ErrorBoxPicture(const wchar_t* path, const wchar_t* text) {
  constexpr int kW = 300, kH = 150;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = kW;
  bi.bmiHeader.biHeight = kH;  // bottom-up, as BMP files store it
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return 1;
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT box{0, 0, kW, kH};
  FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
  FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT measured = box;
  DrawTextW(dc, text, -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
  RECT place = box;
  place.top = (box.top + box.bottom - (measured.bottom - measured.top)) / 2;
  DrawTextW(dc, text, -1, &place, DT_WORDBREAK | DT_CENTER);
  GdiFlush();
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
  fh.bfSize = fh.bfOffBits + kW * kH * 4;
  FILE* f = _wfopen(path, L"wb");
  if (f) {
    fwrite(&fh, sizeof(fh), 1, f);
    fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, f);
    fwrite(bits, 4, kW * kH, f);
    fclose(f);
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return f ? 0 : 1;
}

// The command line after the first n arguments, as typed.
const wchar_t* ArgumentsFrom(int n) {
  const wchar_t* p = GetCommandLineW();
  for (int i = 0; i < n; ++i) {
    bool quoted = false;
    while (*p == L' ') ++p;
    while (*p && (quoted || *p != L' ')) {
      if (*p == L'"') quoted = !quoted;
      ++p;
    }
  }
  while (*p == L' ') ++p;
  return p;
}
}  // namespace

// From the process list that the system keeps: GetProcessHandleCount on another process gives
// 0 under Wine, which fills the list's handle count from its server.
int Usage() {
  const std::vector<HWND> windows = SaverWindows();
  if (windows.empty()) {
    wprintf(L"no saver window\n");
    return 1;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(windows.front(), &pid);
  using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryFn>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation"));
  std::vector<BYTE> list(1 << 20);
  ULONG length = 0;
  while (query && query(5 /* SystemProcessInformation */, list.data(), ULONG(list.size()), &length) == LONG(0xC0000004))
    list.resize(list.size() * 2);
  for (size_t at = 0; query && at < list.size();) {
    const auto* p = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(list.data() + at);
    if (DWORD(reinterpret_cast<ULONG_PTR>(p->UniqueProcessId)) == pid) {
      wprintf(L"handles=%lu threads=%lu\n", p->HandleCount, p->NumberOfThreads);
      return 0;
    }
    if (!p->NextEntryOffset) break;
    at += p->NextEntryOffset;
  }
  wprintf(L"the saver's process is not listed\n");
  return 1;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  std::wstring cmd = argv[1];
  int rc = 2;
  if (cmd == L"windows") rc = ListWindows();
  else if (cmd == L"monitors") rc = ListMonitors();
  else if (cmd == L"cursor") rc = Cursor();
  else if (cmd == L"close") rc = Close(argc > 2 ? argv[2] : nullptr);
  else if (cmd == L"sync") rc = Sync(argc > 2 ? argv[2] : nullptr);
  else if (cmd == L"msgbox" && argc > 2) rc = MessageBoxText(argv[2]);
  else if (cmd == L"run" && argc > 3) rc = Run(DWORD(_wtoi(argv[2])), ArgumentsFrom(3));
  else if (cmd == L"resources" && argc > 2) rc = Resources(argv[2]);
  else if (cmd == L"steal" && argc > 2) rc = Steal(DWORD(_wtoi(argv[2])));
  else if (cmd == L"errorbox" && argc > 3) rc = ErrorBoxPicture(argv[2], argv[3]);
  else if (cmd == L"parent") rc = Parent();
  else if (cmd == L"children" && argc > 2) rc = Children(argv[2]);
  else if (cmd == L"nowindow") rc = NoWindow();
  else if (cmd == L"usage") rc = Usage();
  fflush(stdout);
  return rc;
}
