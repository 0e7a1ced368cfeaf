// The sound dialog (2214), opened from the settings dialog's button: the trackbar's top is
// full volume, mute is stored, and the stored values are what the music step reads.
#include <windows.h>
#include <commctrl.h>

#include "runtime/DS_SlideShow_Light.h"
#include "shell/ScreenScene.h"
#include "shell/Settings.h"
#include "shell/SettingsIds.h"
#include "tests/settings/DialogScript.h"
#include "tests/settings/SettingsFixture.h"

namespace {

struct SoundCase {
  const char* name;
  std::optional<DWORD> storedVolume, storedMute;
  int shownPosition;  // trackbar position on opening
  bool shownMute;
  UINT key;           // 0: the trackbar is left alone
  bool toggleMute;
  bool ok;            // false: Cancel
  DWORD volume, mute;  // stored afterwards (with OK)
};

void PrintTo(const SoundCase& c, std::ostream* os) { *os << c.name; }

class SoundDialogTest : public SettingsTest, public ::testing::WithParamInterface<SoundCase> {};

TEST_P(SoundDialogTest, StoresVolumeAndMuteForTheMusic) {
  const SoundCase& c = GetParam();
  UseFakeTables(1);
  if (c.storedVolume) WriteDword(L"", L"\"SoundVolume\"", *c.storedVolume);
  if (c.storedMute) WriteDword(L"", L"\"MuteSound\"", *c.storedMute);

  DialogScript script;
  script.On(L"Tevrana Screensaver", [&](HWND dialog) { Click(dialog, IDC_SOUND_SETTINGS_BUTTON); })
      .On(L"Sound Settings",
          [&](HWND dialog) {
            HWND volume = GetDlgItem(dialog, IDC_VOLUME_TRACKBAR);
            EXPECT_EQ(SendMessageW(volume, TBM_GETRANGEMIN, 0, 0), 0);
            EXPECT_EQ(SendMessageW(volume, TBM_GETRANGEMAX, 0, 0), 100);
            EXPECT_EQ(SendMessageW(volume, TBM_GETPOS, 0, 0), c.shownPosition);
            EXPECT_EQ(IsChecked(dialog, IDC_MUTE), c.shownMute);
            if (c.key) PressKey(volume, c.key);
            if (c.toggleMute) Click(dialog, IDC_MUTE);
            Click(dialog, c.ok ? IDOK : IDCANCEL);  // posted after the mute click, so it comes second
          })
      .On(L"Tevrana Screensaver", [&](HWND dialog) { Click(dialog, IDCANCEL); });
  script.Run([&] { saver->ShowSettingsDialog(); });

  if (!c.ok) {
    EXPECT_EQ(ReadDword(L"", L"\"SoundVolume\""), c.storedVolume);
    EXPECT_EQ(ReadDword(L"", L"\"MuteSound\""), c.storedMute);
    EXPECT_FALSE(ReadDword(L"", L"\"SoundBalance\"").has_value());
    return;
  }
  EXPECT_EQ(ReadDword(L"", L"\"SoundVolume\""), c.volume);
  EXPECT_EQ(ReadDword(L"", L"\"SoundBalance\""), 0u) << "no balance control: 0 is written";
  EXPECT_EQ(ReadDword(L"", L"\"MuteSound\""), c.mute);

  // The music step of a screen with one (silent) item reads them into the process-wide
  // caches it sets the volume from.
  g_soundVolume = 12345;
  g_soundBalance = 12345;
  g_muteSound = 12345;
  ScreenScene screen;
  screen.root = std::make_unique<DS_SlideShow_Light>();
  auto* item = new DS_AudioFile;
  item->sound.name = L"Z:\\nonexistent\\tevrana-settings-test.mp3";
  screen.root->audioFiles.emplace_back(item);
  screen.MusicStep();
  screen.root.reset();
  EXPECT_EQ(g_soundVolume, c.volume);
  EXPECT_EQ(g_soundBalance, 0u);
  EXPECT_EQ(g_muteSound, c.mute);
}

INSTANTIATE_TEST_SUITE_P(
    Trackbar, SoundDialogTest,
    ::testing::Values(
        SoundCase{"TopStoresFullVolume", std::nullopt, std::nullopt, 0, false, VK_HOME, false, true, 100, 0},
        SoundCase{"BottomStoresSilence", 60u, std::nullopt, 40, false, VK_END, false, true, 0, 0},
        SoundCase{"UntouchedKeepsStoredVolume", 30u, 1u, 70, true, 0, false, true, 30, 1},
        SoundCase{"MuteIsStored", 80u, 0u, 20, false, 0, true, true, 80, 1},
        SoundCase{"UnmuteIsStored", std::nullopt, 1u, 0, true, VK_END, true, true, 0, 0},
        SoundCase{"CancelStoresNothing", 55u, std::nullopt, 45, false, VK_END, true, false, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
