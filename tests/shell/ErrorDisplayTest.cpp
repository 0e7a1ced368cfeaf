// The error texts and the moving error box.
#include <gtest/gtest.h>

#include <string>

#include "shell/SaverError.h"
#include "tests/shell/TestSaver.h"

namespace {
struct TextCase {
  uint32_t code;
  const wchar_t* text;
  bool own;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << std::hex << c.code; }

const TextCase kTexts[] = {
    {0x80004005, L"There was an unspecified problem with this screen saver.", false},
    {0x82000001, L"Direct3D 8.0 could not be initialized.  Please install the latest version of DirectX.", true},
    {0x82000007, L"Could not initialize the screen saver.", true},
    {0x8200000E, L"Could not create the Direct3D device.", true},
    {0x82000003, L"Could not find any compatible Direct3D devices.", true},
    {0x82000005, L"No hardware-accelerated Direct3D devices were found.", true},
    {0x82000006,
     L"This screen saver requires functionality that is not available on your Direct3D hardware accelerator.", true},
    {0x82000009,
     L"This screen saver requires functionality that is not available on your Direct3D hardware accelerator with the "
     L"current desktop display settings.",
     true},
    {0x8200000B, L"Could not load required media.", true},
    {0x8200000C, L"Could not reset the Direct3D device.", true},
    {0x8007000E, L"Not enough memory.", true},
    {0x8876017C, L"Not enough video memory.", true},
    {0x8200000F, L"No preview available", true},
    // Codes without a row of their own.
    {0x8200000D, L"There was an unspecified problem with this screen saver.", false},
    {0x00000000, L"There was an unspecified problem with this screen saver.", false},
    {0x12345678, L"There was an unspecified problem with this screen saver.", false},
};

class ErrorText : public ::testing::TestWithParam<TextCase> {};
}  // namespace

TEST_P(ErrorText, LooksUpTheStringOfTheCode) {
  TestSaver saver;
  wchar_t buffer[400];
  const TextCase& c = GetParam();
  EXPECT_EQ(saver.LookUpErrorText(HRESULT(c.code), buffer, 400), c.own);
  EXPECT_STREQ(buffer, c.text);
}

INSTANTIATE_TEST_SUITE_P(Codes, ErrorText, ::testing::ValuesIn(kTexts),
                         [](const ::testing::TestParamInfo<TextCase>& info) {
                           char name[16];
                           snprintf(name, sizeof(name), "x%08X", info.param.code);
                           return std::string(name);
                         });

TEST(ErrorTextLookup, TruncatesToTheBuffer) {
  TestSaver saver;
  wchar_t buffer[8];
  saver.LookUpErrorText(HRESULT(0x8200000B), buffer, 8);
  EXPECT_STREQ(buffer, L"Could n");
}

TEST(ErrorTextLookup, TableHasThirteenDistinctRows) {
  for (size_t i = 0; i < 13; ++i)
    for (size_t j = i + 1; j < 13; ++j) {
      EXPECT_NE(kSaverErrorTexts[i].code, kSaverErrorTexts[j].code);
      EXPECT_NE(kSaverErrorTexts[i].stringId, kSaverErrorTexts[j].stringId);
    }
}

namespace {
class ErrorBoxMotion : public ::testing::Test {
 protected:
  void Use(LaunchMode mode, RECT bounds) {
    saver.launchMode = mode;
    saver.monitorCount = 1;
    saver.monitors[0] = MonitorEntry{};
    saver.monitors[0].window = window.hwnd;  // a popup at (0, 0): client and screen coordinates agree
    saver.monitors[0].screenRect = bounds;
    saver.renderRect = bounds;
  }
  const ErrorBox& Box() { return saver.monitors[0].errorBox; }

  PlainWindow window{0, 0, 64, 64};
  TestSaver saver;
};
}  // namespace

TEST_F(ErrorBoxMotion, TestWindowStartsCentredAndBouncesOffTheRightAndBottom) {
  Use(LaunchMode::Test, RECT{0, 0, 600, 400});
  saver.AnimateErrorBoxes(0.5f);  // the first step only places the box
  EXPECT_FLOAT_EQ(Box().x, 150);
  EXPECT_FLOAT_EQ(Box().y, 125);
  EXPECT_FLOAT_EQ(Box().width, 300);
  EXPECT_FLOAT_EQ(Box().height, 150);
  EXPECT_FLOAT_EQ(Box().vx, 60);
  EXPECT_FLOAT_EQ(Box().vy, 20);

  saver.AnimateErrorBoxes(2.4f);  // right edge at 594
  EXPECT_FLOAT_EQ(Box().x, 294);
  EXPECT_FLOAT_EQ(Box().vx, 60);
  saver.AnimateErrorBoxes(0.2f);  // 606 would pass 600: turn first, then move
  EXPECT_FLOAT_EQ(Box().vx, -60);
  EXPECT_NEAR(Box().x, 282, 1e-3);
  EXPECT_NEAR(Box().y, 177, 1e-3);

  saver.AnimateErrorBoxes(4.0f);  // bottom 352 + 80 would pass 400
  EXPECT_FLOAT_EQ(Box().vy, -20);
  EXPECT_NEAR(Box().y, 97, 1e-3);
  EXPECT_NEAR(Box().x, 42, 1e-3);
  saver.AnimateErrorBoxes(1.0f);  // left edge would pass 0
  EXPECT_FLOAT_EQ(Box().vx, 60);
  EXPECT_NEAR(Box().x, 102, 1e-3);
}

TEST_F(ErrorBoxMotion, BoxStaysWhenItFitsExactly) {
  Use(LaunchMode::Test, RECT{0, 0, 600, 400});
  saver.AnimateErrorBoxes(0);
  saver.AnimateErrorBoxes(2.5f);  // right edge exactly at 600: no turn yet
  EXPECT_FLOAT_EQ(Box().vx, 60);
  EXPECT_FLOAT_EQ(Box().x, 300);
  saver.AnimateErrorBoxes(0.0f);
  EXPECT_FLOAT_EQ(Box().x, 300);
}

TEST_F(ErrorBoxMotion, FullScreenBoxFollowsTheMonitorSize) {
  Use(LaunchMode::FullScreen, RECT{0, 0, 1920, 1080});
  saver.AnimateErrorBoxes(0.1f);
  EXPECT_FLOAT_EQ(Box().x, 810);
  EXPECT_FLOAT_EQ(Box().y, 465);
  EXPECT_FLOAT_EQ(Box().vx, 192);
  EXPECT_FLOAT_EQ(Box().vy, 54);
  saver.AnimateErrorBoxes(0.5f);
  EXPECT_FLOAT_EQ(Box().x, 906);
  EXPECT_FLOAT_EQ(Box().y, 492);
}

TEST_F(ErrorBoxMotion, FullScreenBoundsAreTheMonitorInTheWindowsClientCoordinates) {
  PlainWindow away(100, 50, 64, 64);  // a monitor whose window starts at (100, 50)
  Use(LaunchMode::FullScreen, RECT{100, 50, 1124, 818});
  saver.monitors[0].window = away.hwnd;
  saver.AnimateErrorBoxes(0.1f);
  EXPECT_FLOAT_EQ(Box().x, 362);
  EXPECT_FLOAT_EQ(Box().y, 309);
  EXPECT_FLOAT_EQ(Box().vx, 102.4f);
  EXPECT_FLOAT_EQ(Box().vy, 38.4f);
  saver.AnimateErrorBoxes(4.0f);  // the right edge would pass 1024, not 1124
  EXPECT_FLOAT_EQ(Box().vx, -102.4f);
}

TEST_F(ErrorBoxMotion, PreviewBoxFillsTheWindowAndNeverMoves) {
  Use(LaunchMode::Preview, RECT{0, 0, 152, 112});
  saver.AnimateErrorBoxes(0.1f);
  EXPECT_FLOAT_EQ(Box().x, 0);
  EXPECT_FLOAT_EQ(Box().y, 0);
  EXPECT_FLOAT_EQ(Box().width, 152);
  EXPECT_FLOAT_EQ(Box().height, 112);
  saver.AnimateErrorBoxes(3.0f);
  EXPECT_FLOAT_EQ(Box().x, 0);
  EXPECT_FLOAT_EQ(Box().y, 0);
}

TEST_F(ErrorBoxMotion, MonitorsWithoutAWindowGetNoBox) {
  Use(LaunchMode::Test, RECT{0, 0, 600, 400});
  saver.monitors[0].window = nullptr;
  saver.AnimateErrorBoxes(0.1f);
  EXPECT_FLOAT_EQ(Box().width, 0);
}

TEST_F(ErrorBoxMotion, FirstAnimationStepReleasesDevicesAndFetchesTheText) {
  Use(LaunchMode::Test, RECT{0, 0, 600, 400});
  saver.StoreError(HRESULT(0x82000001));
  saver.screenDeviceCount = 1;  // a record without a device: its resources count as acquired
  saver.screenDevices[0].resources = ScreenResources::Acquired;
  saver.AnimateErrorMessage();
  EXPECT_EQ(saver.releases, 1);
  EXPECT_EQ(saver.screenDeviceCount, 0u);
  EXPECT_STREQ(saver.errorText,
               L"Direct3D 8.0 could not be initialized.  Please install the latest version of DirectX.");
  EXPECT_FLOAT_EQ(Box().width, 300);
  saver.AnimateErrorMessage();
  EXPECT_EQ(saver.releases, 1);
}

namespace {
// A 32-bit memory DC to paint into and read back.
class PaintTarget {
 public:
  PaintTarget(int w, int h) : width(w) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    old = SelectObject(dc, bitmap);
    for (int i = 0; i < w * h; ++i) bits[i] = 0x00808080;
  }
  ~PaintTarget() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) {
    GdiFlush();
    const uint32_t v = bits[y * width + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  HDC dc;
  int width;

 private:
  HBITMAP bitmap;
  HGDIOBJ old;
  uint32_t* bits = nullptr;
};
}  // namespace

TEST(PaintWindow, PaintsTheBoxOfTheRecordHoldingTheWindow) {
  PlainWindow held(0, 0, 400, 300), other(0, 0, 400, 300), stray(0, 0, 400, 300);
  TestSaver saver;
  saver.launchMode = LaunchMode::FullScreen;
  saver.monitorCount = 2;
  // Record 0 owns the monitor all three windows are on; record 1 holds the painted window.
  saver.monitors[0].monitor = MonitorFromWindow(held.hwnd, MONITOR_DEFAULTTONEAREST);
  saver.monitors[0].window = other.hwnd;
  saver.monitors[0].screenRect = RECT{0, 0, 400, 300};
  saver.monitors[0].errorBox = ErrorBox{10, 10, 100, 50, 0, 0};
  saver.monitors[1].window = held.hwnd;
  saver.monitors[1].screenRect = RECT{0, 0, 400, 300};
  saver.monitors[1].errorBox = ErrorBox{200, 150, 120, 60, 0, 0};
  wcscpy(saver.errorText, L"Could not load required media.");
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  {
    PaintTarget target(400, 300);
    saver.PaintWindow(held.hwnd, target.dc);
    EXPECT_EQ(target.At(205, 155), window);   // inside record 1's box
    EXPECT_EQ(target.At(200, 150), RGB(0, 0, 0));  // its black frame
    EXPECT_EQ(target.At(50, 30), RGB(0, 0, 0));    // record 0's box is not drawn here
    EXPECT_EQ(target.At(390, 290), RGB(0, 0, 0));  // the rest of the monitor is black
  }
  {
    PaintTarget target(400, 300);
    saver.PaintWindow(stray.hwnd, target.dc);  // no record holds it: the monitor's record
    EXPECT_EQ(target.At(12, 12), window);
    EXPECT_EQ(target.At(205, 155), RGB(0, 0, 0));
  }
}

TEST(PaintWindow, WithoutAnErrorTheWindowIsBlack) {
  PlainWindow held(0, 0, 200, 100);
  TestSaver saver;
  saver.launchMode = LaunchMode::Test;
  saver.monitorCount = 1;
  saver.monitors[0].window = held.hwnd;
  saver.monitors[0].screenRect = RECT{0, 0, 200, 100};
  PaintTarget target(200, 100);
  saver.PaintWindow(held.hwnd, target.dc);
  EXPECT_EQ(target.At(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(target.At(100, 50), RGB(0, 0, 0));
}
