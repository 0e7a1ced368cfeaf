// Looks at a running screensaver from another process, for the end-to-end scripts:
//   saver_probe windows            lists the saver windows: title, rectangle, client size, styles
//   saver_probe monitors           lists the monitors' rectangles
//   saver_probe cursor             whether the foreground thread shows a cursor
//   saver_probe close              asks the saver window to close (WM_CLOSE)
//   saver_probe msgbox TITLE       prints the text of the message box titled TITLE and presses OK
//   saver_probe run MS CMDLINE...  starts CMDLINE, counts the saver windows it opens until it
//                                  ends (at most MS milliseconds), prints them and its exit code
#include <windows.h>

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

int Close() {
  std::vector<HWND> w = SaverWindows();
  if (w.empty()) return 1;
  PostMessageW(w.front(), WM_CLOSE, 0, 0);
  return 0;
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
  wprintf(L"windows=%u exit=%lu\n", unsigned(most), code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
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

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  std::wstring cmd = argv[1];
  int rc = 2;
  if (cmd == L"windows") rc = ListWindows();
  else if (cmd == L"monitors") rc = ListMonitors();
  else if (cmd == L"cursor") rc = Cursor();
  else if (cmd == L"close") rc = Close();
  else if (cmd == L"msgbox" && argc > 2) rc = MessageBoxText(argv[2]);
  else if (cmd == L"run" && argc > 3) rc = Run(DWORD(_wtoi(argv[2])), ArgumentsFrom(3));
  fflush(stdout);
  return rc;
}
