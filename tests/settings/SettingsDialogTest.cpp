// The settings dialog (106), opened as the settings mode opens it and driven through its
// messages: what it writes on opening, on OK and on Cancel, and its picture.
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>

#include "shell/Settings.h"
#include "shell/SettingsIds.h"
#include "tests/settings/DialogScript.h"
#include "tests/settings/SettingsFixture.h"

namespace {

const wchar_t kTitle[] = L"Tevrana Screensaver";
const wchar_t kDisplayTitle[] = L"Display Settings";

using SettingsDialogTest = SettingsTest;

TEST_F(SettingsDialogTest, OpeningWritesTheSettingsInEffect) {
  UseRealTables();
  bool anyAdapter = false;
  for (unsigned m = 0; m < saver->monitorCount; ++m) anyAdapter |= saver->monitors[m].adapterIndex >= 0;
  ASSERT_TRUE(anyAdapter) << "no monitor with a Direct3D adapter";

  DialogScript script;
  script.On(kTitle, [&](HWND dialog) {
    EXPECT_EQ(ComboItemText(dialog, IDC_PICTURE_POSITION, 0), L"Stretch");
    EXPECT_EQ(ComboItemText(dialog, IDC_PICTURE_POSITION, 1), L"Fit");
    EXPECT_EQ(ComboItemText(dialog, IDC_PICTURE_POSITION, 2), L"Fill");
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_PICTURE_POSITION, CB_GETCURSEL, 0, 0), 2) << "Fill by default";
    // Written while the dialog opens, before anything is chosen.
    EXPECT_EQ(ReadDword(L"", L"AllScreensSame"), 0u);
    Click(dialog, IDCANCEL);
  });
  script.Run([&] { saver->ShowSettingsDialog(); });

  EXPECT_EQ(ReadDword(L"", L"AllScreensSame"), 0u);
  for (unsigned m = 0; m < saver->monitorCount; ++m) {
    SCOPED_TRACE(m);
    const std::wstring screen = ScreenKey(m);
    if (saver->monitors[m].adapterIndex < 0) {
      EXPECT_FALSE(ReadDword(screen, L"Leave Black").has_value()) << "a monitor without adapter stores nothing";
      continue;
    }
    for (const wchar_t* name : {L"Leave Black", L"Disable Hardware", L"Width", L"Height", L"Format"})
      EXPECT_EQ(ReadDword(screen, name), 0u) << name;
    const AdapterEntry& adapter = *saver->adapters[saver->monitors[m].adapterIndex];
    auto id = ReadBinary(screen, L"Adapter ID");
    ASSERT_TRUE(id.has_value());
    ASSERT_EQ(id->size(), sizeof(GUID));
    EXPECT_EQ(std::memcmp(id->data(), &adapter.identifier.DeviceIdentifier, sizeof(GUID)), 0);
  }
  // The application's three generic fields are of a kind that stores nothing.
  for (const wchar_t* name : {L"Path", L"URL1", L"file_path"})
    EXPECT_FALSE(ReadDword(L"", name).has_value()) << name;
  EXPECT_FALSE(ReadDword(L"", L"\"PicPos\"").has_value()) << "Cancel stores no picture position";
}

TEST_F(SettingsDialogTest, OkStoresThePicturePositionAndTheDisplaySettings) {
  UseFakeTables(1);
  DialogScript script;
  script
      .On(kTitle,
          [&](HWND dialog) {
            ChooseComboItem(dialog, IDC_PICTURE_POSITION, 1);
            Click(dialog, IDC_DISPLAY_SETTINGS_BUTTON);
          })
      .On(kDisplayTitle,
          [&](HWND dialog) {
            Click(dialog, IDC_DISABLE_HARDWARE);
          })
      .On(kDisplayTitle,
          [&](HWND dialog) {
            ChooseComboItem(dialog, IDC_MODE_LIST, 2);  // the second listed mode
            Click(dialog, IDOK);
          })
      .On(kTitle, [&](HWND dialog) { Click(dialog, IDOK); });
  script.Run([&] { saver->ShowSettingsDialog(); });

  EXPECT_EQ(ReadDword(L"", L"\"PicPos\""), 1u);
  EXPECT_EQ(GetPicturePosition(), 1);
  const std::wstring screen = ScreenKey(0);
  EXPECT_EQ(ReadDword(screen, L"Disable Hardware"), 1u);
  EXPECT_EQ(ReadDword(screen, L"Leave Black"), 0u);
  EXPECT_EQ(ReadDword(screen, L"Width"), kFakeModes[1].width);
  EXPECT_EQ(ReadDword(screen, L"Height"), kFakeModes[1].height);
  EXPECT_EQ(ReadDword(screen, L"Format"), DWORD(kFakeModes[1].format));
  GUID expected = FakeAdapterId(0);
  auto id = ReadBinary(screen, L"Adapter ID");
  ASSERT_TRUE(id.has_value());
  ASSERT_EQ(id->size(), sizeof(GUID));
  EXPECT_EQ(std::memcmp(id->data(), &expected, sizeof(GUID)), 0);
}

TEST_F(SettingsDialogTest, CancelReloadsWhatTheDisplayDialogChanged) {
  UseFakeTables(1);
  DialogScript script;
  script
      .On(kTitle,
          [&](HWND dialog) {
            ChooseComboItem(dialog, IDC_PICTURE_POSITION, 0);
            Click(dialog, IDC_DISPLAY_SETTINGS_BUTTON);
          })
      .On(kDisplayTitle, [&](HWND dialog) { Click(dialog, IDC_DISABLE_HARDWARE); })
      .On(kDisplayTitle,
          [&](HWND dialog) {
            ChooseComboItem(dialog, IDC_MODE_LIST, 3);
            Click(dialog, IDOK);
          })
      .On(kTitle, [&](HWND dialog) {
        // The display dialog's OK changed the adapter record in memory only.
        EXPECT_EQ(Adapter(0).disableHardware, 1);
        EXPECT_EQ(Adapter(0).storedWidth, kFakeModes[2].width);
        EXPECT_EQ(ReadDword(ScreenKey(0), L"Disable Hardware"), 0u);
        Click(dialog, IDCANCEL);
      });
  script.Run([&] { saver->ShowSettingsDialog(); });

  EXPECT_EQ(Adapter(0).disableHardware, 0);
  EXPECT_EQ(Adapter(0).storedWidth, 0u);
  EXPECT_EQ(Adapter(0).storedHeight, 0u);
  EXPECT_EQ(Adapter(0).storedFormat, 0u);
  EXPECT_EQ(ReadDword(ScreenKey(0), L"Disable Hardware"), 0u);
  EXPECT_EQ(ReadDword(ScreenKey(0), L"Width"), 0u);
  EXPECT_FALSE(ReadDword(L"", L"\"PicPos\"").has_value());
}

struct PicturePositionCase {
  const char* name;
  bool stored;
  DWORD value;
  int shown;            // the combo's selection when the dialog opens
  bool clearSelection;  // no selection at all when OK is pressed
};

void PrintTo(const PicturePositionCase& c, std::ostream* os) { *os << c.name; }

class PicturePositionTest : public SettingsTest, public ::testing::WithParamInterface<PicturePositionCase> {};

TEST_P(PicturePositionTest, ComboShowsAValidPositionAndOkStoresIt) {
  UseFakeTables(1);
  const PicturePositionCase& c = GetParam();
  if (c.stored) WriteDword(L"", L"\"PicPos\"", c.value);

  DialogScript script;
  script.On(kTitle, [&](HWND dialog) {
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_PICTURE_POSITION, CB_GETCURSEL, 0, 0), c.shown);
    if (c.clearSelection) SendDlgItemMessageW(dialog, IDC_PICTURE_POSITION, CB_SETCURSEL, WPARAM(-1), 0);
    Click(dialog, IDOK);
  });
  script.Run([&] { saver->ShowSettingsDialog(); });

  EXPECT_EQ(ReadDword(L"", L"\"PicPos\""), DWORD(c.shown));
}

INSTANTIATE_TEST_SUITE_P(
    Stored, PicturePositionTest,
    ::testing::Values(PicturePositionCase{"Absent", false, 0, 2, false},
                      PicturePositionCase{"Stretch", true, 0, 0, false},
                      PicturePositionCase{"Fit", true, 1, 1, false},
                      PicturePositionCase{"Fill", true, 2, 2, false},
                      PicturePositionCase{"OutOfRange", true, 7, 2, false},
                      PicturePositionCase{"AllBitsSet", true, 0xFFFFFFFF, 2, false},
                      PicturePositionCase{"FitWithoutSelection", true, 1, 1, true},
                      PicturePositionCase{"OutOfRangeWithoutSelection", true, 9, 2, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The picture resource decoded on its own, to compare the dialog's pixels with.
class DecodedPicture {
 public:
  DecodedPicture() {
    HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_SETTINGS_PICTURE), L"DDS");
    if (!info) return;
    DWORD size = SizeofResource(nullptr, info);
    const void* bytes = LockResource(LoadResource(nullptr, info));
    memory_ = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(memory_), bytes, size);
    GlobalUnlock(memory_);
    CreateStreamOnHGlobal(memory_, FALSE, &stream_);
    Gdiplus::DllExports::GdipCreateBitmapFromStream(stream_, &bitmap_);
    if (bitmap_) {
      Gdiplus::DllExports::GdipGetImageWidth(bitmap_, &width_);
      Gdiplus::DllExports::GdipGetImageHeight(bitmap_, &height_);
    }
  }
  ~DecodedPicture() {
    if (bitmap_) Gdiplus::DllExports::GdipDisposeImage(bitmap_);
    if (stream_) stream_->Release();
    if (memory_) GlobalFree(memory_);
  }
  bool Ok() const { return bitmap_ != nullptr; }
  UINT Width() const { return width_; }
  UINT Height() const { return height_; }
  COLORREF Pixel(int x, int y) const {
    Gdiplus::ARGB argb = 0;
    Gdiplus::DllExports::GdipBitmapGetPixel(bitmap_, x, y, &argb);
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
  }

 private:
  HGLOBAL memory_ = nullptr;
  IStream* stream_ = nullptr;
  Gdiplus::GpBitmap* bitmap_ = nullptr;
  UINT width_ = 0, height_ = 0;
};

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

TEST_F(SettingsDialogTest, PaintDrawsThePictureAtTwelveTwelve) {
  UseFakeTables(1);
  DecodedPicture picture;
  ASSERT_TRUE(picture.Ok()) << "resource \"DDS\" 120 missing or not a picture";
  ASSERT_GT(picture.Width(), 100u);
  ASSERT_GT(picture.Height(), 20u);

  DialogScript script;
  script.On(kTitle, [&](HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(dialog);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const int w = int(picture.Width()), h = int(picture.Height());
    for (POINT p : {POINT{3, 3}, POINT{w / 2, h / 2}, POINT{w - 4, h - 4}, POINT{w / 5, h - 10}}) {
      COLORREF expected = picture.Pixel(p.x, p.y);
      COLORREF seen = GetPixel(dc, 12 + p.x, 12 + p.y);
      EXPECT_TRUE(Near(seen, expected, 24)) << "picture pixel " << p.x << "," << p.y << ": seen 0x" << std::hex
                                            << seen << ", expected 0x" << expected;
    }
    // Around the picture the dialog's own background shows.
    for (POINT p : {POINT{6, 6}, POINT{12 + w + 4, 14}, POINT{20, 12 + h + 2}}) {
      COLORREF seen = GetPixel(dc, p.x, p.y);
      EXPECT_TRUE(Near(seen, face, 8)) << "outside pixel " << p.x << "," << p.y << ": 0x" << std::hex << seen;
    }
    ReleaseDC(dialog, dc);
    Click(dialog, IDCANCEL);
  });
  script.Run([&] { saver->ShowSettingsDialog(); });
}

}  // namespace
