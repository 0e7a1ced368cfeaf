// Registry values read and written outside the dialogs: per-monitor values at start-up, the
// cached picture position and the generic settings table.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>

#include "shell/Settings.h"
#include "tests/settings/SettingsFixture.h"

namespace {

enum class StoredId { Same, Absent, Zero, Other, Short };

struct ForeignIdCase {
  const char* name;
  StoredId stored;
  bool readsAll;  // false: only "Leave Black" is taken
};

void PrintTo(const ForeignIdCase& c, std::ostream* os) { *os << c.name; }

class ScreenValuesTest : public SettingsTest, public ::testing::WithParamInterface<ForeignIdCase> {};

// Monitor 2 of two has values stored, for its own adapter, for none, or for another one.
TEST_P(ScreenValuesTest, AnotherAdaptersValuesKeepOnlyLeaveBlack) {
  UseFakeTables(2);
  const std::wstring screen = ScreenKey(1);
  WriteDword(screen, L"Leave Black", 1);
  WriteDword(screen, L"Disable Hardware", 1);
  WriteDword(screen, L"Width", 800);
  WriteDword(screen, L"Height", 600);
  WriteDword(screen, L"Format", D3DFMT_R5G6B5);
  GUID id{};
  if (GetParam().stored == StoredId::Same) id = FakeAdapterId(1);
  if (GetParam().stored == StoredId::Other) id = FakeAdapterId(7);
  if (GetParam().stored == StoredId::Short) id = FakeAdapterId(1);  // its first half only
  if (GetParam().stored != StoredId::Absent)
    WriteBinary(screen, L"Adapter ID", &id, GetParam().stored == StoredId::Short ? 8 : sizeof(id));
  WriteDword(L"", L"AllScreensSame", 1);

  saver->LoadSettings();

  EXPECT_EQ(saver->allScreensSame, 1);
  const AdapterEntry& second = Adapter(1);
  EXPECT_EQ(second.leaveBlack, 1);
  if (GetParam().readsAll) {
    EXPECT_EQ(second.disableHardware, 1);
    EXPECT_EQ(second.storedWidth, 800u);
    EXPECT_EQ(second.storedHeight, 600u);
    EXPECT_EQ(second.storedFormat, UINT(D3DFMT_R5G6B5));
  } else {
    EXPECT_EQ(second.disableHardware, 0);
    EXPECT_EQ(second.storedWidth, 0u);
    EXPECT_EQ(second.storedHeight, 0u);
    EXPECT_EQ(second.storedFormat, 0u);
  }
  // The first monitor has nothing stored and keeps its defaults.
  EXPECT_EQ(Adapter(0).leaveBlack, 0);
  EXPECT_EQ(Adapter(0).storedWidth, 0u);
}

INSTANTIATE_TEST_SUITE_P(StoredAdapterId, ScreenValuesTest,
                         ::testing::Values(ForeignIdCase{"SameAdapter", StoredId::Same, true},
                                           ForeignIdCase{"NoIdStored", StoredId::Absent, true},
                                           ForeignIdCase{"ZeroId", StoredId::Zero, true},
                                           ForeignIdCase{"OtherAdapter", StoredId::Other, false},
                                           ForeignIdCase{"NotAnId", StoredId::Short, false}),
                         [](const auto& info) { return std::string(info.param.name); });

using RegistryTest = SettingsTest;

TEST_F(RegistryTest, OnlyADwordValueReplacesTheDefault) {
  DWORD value = 42;
  ReadRegistryDword(&value, L"\"SoundVolume\"");
  EXPECT_EQ(value, 42u) << "absent";

  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t text[] = L"77";
  RegSetValueExW(key, L"\"SoundVolume\"", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof(text));
  RegCloseKey(key);
  ReadRegistryDword(&value, L"\"SoundVolume\"");
  EXPECT_EQ(value, 42u) << "a text of the same name";

  WriteDword(L"", L"\"SoundVolume\"", 7);
  ReadRegistryDword(&value, L"\"SoundVolume\"");
  EXPECT_EQ(value, 7u);
}

TEST_F(RegistryTest, PicturePositionIsReadOnceAndSavedThroughTheCache) {
  EXPECT_EQ(GetPicturePosition(), 2) << "default without a stored value";

  g_picturePosition = kPicturePositionUnread;
  WriteDword(L"", L"\"PicPos\"", 1);
  EXPECT_EQ(GetPicturePosition(), 1);
  WriteDword(L"", L"\"PicPos\"", 0);
  EXPECT_EQ(GetPicturePosition(), 1) << "the cache is read once";

  SavePicturePosition(0);
  EXPECT_EQ(GetPicturePosition(), 0);
  EXPECT_EQ(ReadDword(L"", L"\"PicPos\""), 0u);
  EXPECT_FALSE(ReadDword(L"", L"PicPos").has_value()) << "the name carries its double quotes";
}

TEST_F(RegistryTest, PicturePositionOutsideItsRangeReadsAsFillOnce) {
  for (DWORD stored : {3u, 7u, 0x80000000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(stored);
    g_picturePosition = kPicturePositionUnread;
    WriteDword(L"", L"\"PicPos\"", stored);
    EXPECT_EQ(GetPicturePosition(), 2);
    // -1 is also what the cache holds before its read: it must not be read again.
    WriteDword(L"", L"\"PicPos\"", 0);
    EXPECT_EQ(GetPicturePosition(), 2);
  }
}

std::optional<std::wstring> ReadText(const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  wchar_t text[300] = {};
  DWORD type = 0, size = sizeof(text) - sizeof(wchar_t);
  LONG result = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  // A stored text must carry its own terminator.
  if (size < sizeof(wchar_t) || text[size / sizeof(wchar_t) - 1] != L'\0') return L"<unterminated>";
  return std::wstring(text);
}

SettingsField Field(int kind, int value, const wchar_t* text, int controlId, const wchar_t* name) {
  SettingsField f{};
  f.kind = kind;
  f.value = value;
  wcsncpy(f.text, text, 259);
  f.controlId = controlId;
  wcsncpy(f.valueName, name, 39);
  return f;
}

// The table's kinds as a screensaver with such fields would use them: 0 a check box, 1 and 3
// a text, 4 a trackbar with a text. The application's own table holds kind 2 only.
TEST_F(RegistryTest, SettingsTableKindsGoToTheRegistryAndTheDialog) {
  const std::wstring longText(259, L'x');  // the most a field holds
  SettingsField table[kSettingsFieldCount] = {Field(0, 0x301, L"", 101, L"Flag"),
                                              Field(1, 0, longText.c_str(), 102, L"Text"),
                                              Field(4, 8, L"eight", 103, L"Level")};
  {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    WriteSettingsTable(key, table);
    SettingsField other[kSettingsFieldCount] = {Field(3, 0, L"C://", 0, L"Other"), Field(2, 5, L"two", 0, L"Two"),
                                                Field(2, 0, L"", 0, L"Two2")};
    WriteSettingsTable(key, other);
    RegCloseKey(key);
  }
  EXPECT_EQ(ReadDword(L"", L"Flag"), 1u) << "kind 0 stores the value's byte";
  EXPECT_EQ(ReadText(L"Text"), longText);
  EXPECT_EQ(ReadDword(L"", L"Level"), 8u);
  EXPECT_EQ(ReadText(L"Other"), L"C://");
  EXPECT_FALSE(ReadDword(L"", L"Two").has_value());
  EXPECT_FALSE(ReadText(L"Two").has_value()) << "kind 2 stores nothing";

  // A window with the three controls stands in for a dialog.
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  auto child = [&](const wchar_t* cls, DWORD style, int id) {
    return CreateWindowExW(0, cls, L"", WS_CHILD | style, 0, 0, 100, 20, window, HMENU(INT_PTR(id)), nullptr, nullptr);
  };
  child(L"BUTTON", BS_AUTOCHECKBOX, 101);
  child(L"EDIT", ES_AUTOHSCROLL, 102);
  HWND trackbar = child(TRACKBAR_CLASSW, 0, 103);
  ASSERT_NE(trackbar, nullptr);
  SendMessageW(trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));

  ShowSettingsTableInDialog(window, table);
  EXPECT_EQ(IsDlgButtonChecked(window, 101), UINT(BST_CHECKED));
  wchar_t text[300] = {};
  GetDlgItemTextW(window, 102, text, 300);
  EXPECT_EQ(std::wstring(text), longText);
  EXPECT_EQ(SendMessageW(trackbar, TBM_GETPOS, 0, 0), 7) << "the trackbar shows the value less one";

  CheckDlgButton(window, 101, BST_UNCHECKED);
  SetDlgItemTextW(window, 102, L"typed");
  SendMessageW(trackbar, TBM_SETPOS, TRUE, 41);
  SetWindowTextW(trackbar, L"forty-two");
  ReadSettingsTableFromDialog(window, table);
  EXPECT_EQ(table[0].value, 0);
  EXPECT_EQ(std::wstring(table[1].text), L"typed");
  EXPECT_EQ(table[2].value, 42) << "the trackbar position plus one";
  EXPECT_EQ(std::wstring(table[2].text), L"forty-two");
  DestroyWindow(window);
}

}  // namespace
