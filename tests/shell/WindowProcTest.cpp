// Which messages end the run in which mode, sent to a real output window of a test host.
// The window is a preview child of a hidden parent, so that no activation of other test
// windows on the same display reaches it; the mode is switched per case.
#include <gtest/gtest.h>
#include <windowsx.h>

#include "tests/shell/TestSaver.h"

namespace {
class WindowProc : public ::testing::Test {
 protected:
  void SetUp() override {
    saver.launchMode = LaunchMode::Preview;
    saver.parentWindow = parent.hwnd;
    saver.monitorCount = 1;
    ASSERT_EQ(saver.OpenOutputWindows(), S_OK);
    window = saver.mainWindow;
    ASSERT_TRUE(IsWindow(window));
    TakeQuitMessage();
  }
  LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) { return SendMessageW(window, message, w, l); }
  LRESULT MoveTo(int x, int y) { return Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
  // Ends seen since the last call (OnBeforeQuit calls and posted quit messages agree).
  int Ends() {
    const int n = saver.quits - seen;
    seen = saver.quits;
    EXPECT_EQ(TakeQuitMessage(), n > 0);
    return n;
  }

  PlainWindow parent{0, 0, 160, 120};
  TestSaver saver;
  HWND window = nullptr;
  int seen = 0;
};

const UINT kInputMessages[] = {WM_KEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
}  // namespace

TEST_F(WindowProc, SixthNewMousePositionEndsFullScreen) {
  saver.launchMode = LaunchMode::FullScreen;
  for (int i = 0; i < 5; ++i) {
    MoveTo(10 + i, 20);
    MoveTo(10 + i, 20);  // the same position again never counts
  }
  EXPECT_EQ(saver.mouseMoveCount, 5u);
  EXPECT_EQ(Ends(), 0);
  MoveTo(100, 100);
  EXPECT_EQ(Ends(), 1);
}

TEST_F(WindowProc, RepeatedPositionNeverCounts) {
  saver.launchMode = LaunchMode::FullScreen;
  for (int i = 0; i < 20; ++i) MoveTo(-5, 7);  // signed coordinates
  EXPECT_EQ(saver.mouseMoveCount, 1u);
  EXPECT_EQ(g_lastMousePosition.x, -5);
  EXPECT_EQ(g_lastMousePosition.y, 7);
  EXPECT_EQ(Ends(), 0);
}

TEST_F(WindowProc, KeysButtonsAndDeactivationEndFullScreenOnly) {
  for (LaunchMode mode : {LaunchMode::FullScreen, LaunchMode::Test, LaunchMode::Preview}) {
    saver.launchMode = mode;
    const int expected = mode == LaunchMode::FullScreen ? 1 : 0;
    for (UINT m : kInputMessages) {
      Send(m, VK_SPACE);
      EXPECT_EQ(Ends(), expected) << "message " << m << " mode " << int(mode);
    }
    Send(WM_ACTIVATEAPP, FALSE);
    EXPECT_EQ(Ends(), expected) << "deactivation, mode " << int(mode);
    Send(WM_ACTIVATEAPP, TRUE);
    EXPECT_EQ(Ends(), 0);
    // Keys with Alt are not handled at all.
    Send(WM_SYSKEYDOWN, VK_MENU);
    EXPECT_EQ(Ends(), 0);
  }
}

TEST_F(WindowProc, MouseMovesIgnoredOutsideFullScreen) {
  for (LaunchMode mode : {LaunchMode::Test, LaunchMode::Preview}) {
    saver.launchMode = mode;
    saver.mouseMoveCount = 0;
    for (int i = 0; i < 10; ++i) MoveTo(i * 3, i);
    // Test mode does not even count them; a preview counts but never ends on them.
    if (mode == LaunchMode::Test) {
      EXPECT_EQ(saver.mouseMoveCount, 0u);
    }
    EXPECT_EQ(Ends(), 0);
  }
}

TEST_F(WindowProc, SuspendEndsFullScreenAndTest) {
  for (LaunchMode mode : {LaunchMode::FullScreen, LaunchMode::Test, LaunchMode::Preview}) {
    saver.launchMode = mode;
    Send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    EXPECT_EQ(Ends(), 0);
    Send(WM_POWERBROADCAST, PBT_APMSUSPEND);
    EXPECT_EQ(Ends(), mode == LaunchMode::Preview ? 0 : 1) << int(mode);
  }
}

TEST_F(WindowProc, FullScreenSwallowsSystemCommands) {
  saver.launchMode = LaunchMode::FullScreen;
  for (WPARAM command : {SC_NEXTWINDOW, SC_PREVWINDOW, SC_CLOSE, SC_SCREENSAVE}) {
    EXPECT_EQ(Send(WM_SYSCOMMAND, command), 0);
    EXPECT_TRUE(IsWindow(window));
  }
  // The low four bits belong to the system.
  EXPECT_EQ(Send(WM_SYSCOMMAND, SC_CLOSE | 0x3), 0);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(Ends(), 0);
}

TEST_F(WindowProc, FullScreenHidesTheCursor) {
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  saver.launchMode = LaunchMode::FullScreen;
  EXPECT_EQ(Send(WM_SETCURSOR, WPARAM(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
  EXPECT_EQ(GetCursor(), nullptr);
}

TEST_F(WindowProc, PaintFillsAPreviewWithoutErrorAndOtherwisePaintsTheErrorDisplay) {
  struct Case {
    LaunchMode mode;
    int error;
    int paints;  // calls of PaintWindow
  };
  const Case cases[] = {{LaunchMode::Preview, 0, 0},
                        {LaunchMode::Preview, 1, 1},
                        {LaunchMode::Test, 0, 1},
                        {LaunchMode::FullScreen, 0, 1},
                        {LaunchMode::FullScreen, 1, 1}};
  for (const Case& c : cases) {
    saver.launchMode = c.mode;
    saver.errorFlag = c.error;
    saver.paints = 0;
    InvalidateRect(window, nullptr, FALSE);
    EXPECT_EQ(Send(WM_PAINT), 0);
    EXPECT_EQ(saver.paints, c.paints) << int(c.mode) << " error " << c.error;
  }
}

TEST_F(WindowProc, MusicEventsReachTheHostInEveryMode) {
  for (LaunchMode mode : {LaunchMode::FullScreen, LaunchMode::Test, LaunchMode::Preview}) {
    saver.launchMode = mode;
    Send(0x8000);
  }
  // Without a music graph there is no event to take.
  EXPECT_EQ(saver.musicEvents, (std::vector<long>{-1, -1, -1}));
  EXPECT_EQ(Ends(), 0);
}

TEST_F(WindowProc, EraseIsAnsweredWithoutPainting) { EXPECT_EQ(Send(WM_ERASEBKGND, 0), 1); }

TEST_F(WindowProc, DestroyingEndsTestAndPreviewButNotFullScreen) {
  saver.launchMode = LaunchMode::FullScreen;
  Send(WM_DESTROY);
  EXPECT_EQ(Ends(), 0);
  saver.launchMode = LaunchMode::Test;
  DestroyWindow(window);
  EXPECT_EQ(Ends(), 1);
}

TEST_F(WindowProc, DestroyedPreviewEnds) {
  DestroyWindow(parent.hwnd);  // the parent takes its child along
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(Ends(), 1);
}

TEST_F(WindowProc, PreviewTimerClearsTheWait) {
  saver.previewWait = 1;
  Send(WM_USER);
  Send(WM_TIMER, 1);
  EXPECT_EQ(saver.previewWait, 0);
}

TEST_F(WindowProc, StartUpWaitEndsAfterTheFirstTick) {
  const DWORD start = GetTickCount();
  saver.WaitForPreviewWindow();
  const DWORD took = GetTickCount() - start;
  EXPECT_EQ(saver.previewWait, 0);
  EXPECT_GE(took, 400u);
  EXPECT_LT(took, 5000u);
}

TEST_F(WindowProc, StartUpWaitEndsWhenThePreviewWindowIsGone) {
  DestroyWindow(parent.hwnd);
  TakeQuitMessage();
  const DWORD start = GetTickCount();
  saver.WaitForPreviewWindow();  // GetMessageW fails on the dead window: the wait must not spin on
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_EQ(saver.previewWait, 0);
}

TEST_F(WindowProc, StartUpWaitPassesQuitOn) {
  PostQuitMessage(0);
  saver.WaitForPreviewWindow();
  EXPECT_TRUE(TakeQuitMessage());  // posted again for the loop that follows
}

namespace {
class ThrowingSaver : public TestSaver {
 public:
  LRESULT HandleWindowMessage(HWND w, UINT m, WPARAM wp, LPARAM lp) override {
    if (m == WM_APP + 7) throw 42;
    return TestSaver::HandleWindowMessage(w, m, wp, lp);
  }
};
}  // namespace

TEST(WindowProcEntry, ExceptionAnswersOne) {
  PlainWindow parent(0, 0, 100, 80);
  ThrowingSaver saver;
  ASSERT_EQ(saver.OpenPreview(parent.hwnd), S_OK);
  EXPECT_EQ(SendMessageW(saver.mainWindow, WM_APP + 7, 0, 0), 1);
  EXPECT_TRUE(IsWindow(saver.mainWindow));
}

TEST(OutputWindows, PreviewIsAChildCoveringTheParentsClientArea) {
  PlainWindow parent(30, 40, 170, 130, WS_OVERLAPPEDWINDOW);
  RECT parentClient;
  GetClientRect(parent.hwnd, &parentClient);
  TestSaver saver;
  saver.launchMode = LaunchMode::Preview;
  saver.parentWindow = parent.hwnd;
  saver.monitorCount = 1;
  ASSERT_EQ(saver.OpenOutputWindows(), S_OK);
  HWND w = saver.mainWindow;
  ASSERT_TRUE(IsWindow(w));
  EXPECT_EQ(GetParent(w), parent.hwnd);
  EXPECT_EQ(DWORD(GetWindowLongW(w, GWL_STYLE)) & (WS_CHILD | WS_VISIBLE | WS_POPUP | WS_CAPTION), DWORD(WS_CHILD | WS_VISIBLE));
  RECT client;
  GetClientRect(w, &client);
  EXPECT_TRUE(EqualRect(&client, &parentClient));
  POINT origin{0, 0}, parentOrigin{0, 0};
  ClientToScreen(w, &origin);
  ClientToScreen(parent.hwnd, &parentOrigin);
  EXPECT_EQ(origin.x, parentOrigin.x);
  EXPECT_EQ(origin.y, parentOrigin.y);
  EXPECT_TRUE(EqualRect(&saver.renderRect, &parentClient));
  EXPECT_EQ(saver.monitors[0].window, w);
  saver.launchMode = LaunchMode::Settings;  // nothing ends while the windows go
  DestroyWindow(parent.hwnd);
  TakeQuitMessage();
}

TEST(OutputWindows, TestWindowHasTheClientSizeAndTitle) {
  TestSaver saver;
  saver.launchMode = LaunchMode::Test;
  saver.monitorCount = 1;
  ASSERT_EQ(saver.OpenOutputWindows(), S_OK);
  HWND w = saver.mainWindow;
  ASSERT_TRUE(IsWindow(w));
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, 600);
  EXPECT_EQ(client.bottom, 400);
  EXPECT_EQ(saver.renderRect.right, 600);
  EXPECT_EQ(saver.renderRect.bottom, 400);
  EXPECT_EQ(saver.monitors[0].window, w);
  wchar_t title[64];
  GetWindowTextW(w, title, 64);
  EXPECT_STREQ(title, L"Tevrana Screensaver");
  wchar_t cls[64];
  GetClassNameW(w, cls, 64);
  EXPECT_STREQ(cls, L"D3DSaverWndClass");
  // A plain top-level window with a caption, a system menu and a minimise box, its client
  // area at (50, 50).
  const DWORD style = DWORD(GetWindowLongW(w, GWL_STYLE));
  const DWORD wanted = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  EXPECT_EQ(style & (wanted | WS_POPUP | WS_CHILD | WS_MAXIMIZEBOX | WS_THICKFRAME), wanted);
  EXPECT_FALSE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  EXPECT_EQ(origin.x, 50);
  EXPECT_EQ(origin.y, 50);
  // The class every output window shares.
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"D3DSaverWndClass", &wc));
  EXPECT_EQ(wc.style, UINT(CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(wc.lpfnWndProc, &SaverWindowProcEntry);
  EXPECT_EQ(wc.hbrBackground, GetStockObject(BLACK_BRUSH));
  EXPECT_EQ(wc.hCursor, LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(wc.cbClsExtra, 0);
  EXPECT_EQ(wc.cbWndExtra, 0);
  saver.launchMode = LaunchMode::FullScreen;  // no end on destruction
  DestroyWindow(w);
}

TEST(OutputWindows, FullScreenOpensOneWindowPerAttachedMonitorOwnedByTheFirst) {
  TestSaver saver;
  saver.launchMode = LaunchMode::FullScreen;
  saver.CollectMonitors();
  ASSERT_GE(saver.monitorCount, 1u);
  // Two more records: one not attached to the desktop, one on the same monitor.
  saver.monitors[saver.monitorCount] = MonitorEntry{};
  saver.monitors[saver.monitorCount + 1] = saver.monitors[0];
  saver.monitors[saver.monitorCount + 1].window = nullptr;
  const unsigned detached = saver.monitorCount, extra = saver.monitorCount + 1;
  saver.monitorCount += 2;
  ASSERT_EQ(saver.OpenOutputWindows(), S_OK);
  EXPECT_EQ(saver.mainWindow, saver.monitors[0].window);
  EXPECT_EQ(saver.monitors[detached].window, nullptr);
  ASSERT_NE(saver.monitors[extra].window, nullptr);
  EXPECT_EQ(GetWindow(saver.monitors[extra].window, GW_OWNER), saver.mainWindow);
  EXPECT_TRUE(GetWindowLongW(saver.mainWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(DWORD(GetWindowLongW(saver.mainWindow, GWL_STYLE)) & (WS_POPUP | WS_VISIBLE | WS_CAPTION),
            DWORD(WS_POPUP | WS_VISIBLE));
  RECT r;
  GetWindowRect(saver.mainWindow, &r);
  EXPECT_TRUE(EqualRect(&r, &saver.monitors[0].screenRect));
  saver.launchMode = LaunchMode::Settings;  // nothing ends while the windows go
  for (unsigned m = 0; m < saver.monitorCount; ++m)
    if (saver.monitors[m].window && saver.monitors[m].window != saver.mainWindow) DestroyWindow(saver.monitors[m].window);
  DestroyWindow(saver.mainWindow);
  TakeQuitMessage();
}
