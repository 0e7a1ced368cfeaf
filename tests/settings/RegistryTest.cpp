// Registry values read and written outside the dialogs: per-monitor values at start-up and
// the cached picture position.
#include "shell/Settings.h"
#include "tests/settings/SettingsFixture.h"

namespace {

enum class StoredId { Same, Absent, Zero, Other };

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
  if (GetParam().stored != StoredId::Absent) WriteBinary(screen, L"Adapter ID", &id, sizeof(id));
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
                                           ForeignIdCase{"OtherAdapter", StoredId::Other, false}),
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

}  // namespace
