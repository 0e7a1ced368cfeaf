// The display-settings dialogs (200 with one adapter, 201 with a tab per monitor): what a
// monitor's page shows, what OK and Cancel leave in the adapter records, and the help text.
#include <windows.h>
#include <commctrl.h>

#include "shell/Settings.h"
#include "shell/SettingsIds.h"
#include "tests/settings/DialogScript.h"
#include "tests/settings/SettingsFixture.h"

namespace {

const wchar_t kDisplayTitle[] = L"Display Settings";

struct AdapterChoices {
  int leaveBlack, disableHardware;
  UINT width, height, format;
};

AdapterChoices ChoicesOf(const AdapterEntry& a) {
  return {a.leaveBlack, a.disableHardware, a.storedWidth, a.storedHeight, a.storedFormat};
}

void ExpectChoices(const AdapterEntry& a, const AdapterChoices& c, const char* what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(a.leaveBlack, c.leaveBlack);
  EXPECT_EQ(a.disableHardware, c.disableHardware);
  EXPECT_EQ(a.storedWidth, c.width);
  EXPECT_EQ(a.storedHeight, c.height);
  EXPECT_EQ(a.storedFormat, c.format);
}

class DisplayDialogTest : public SettingsTest {
 protected:
  // Two monitors; the first starts with a stored mode, the second with hardware disabled.
  void SetUpTwoMonitors() {
    UseFakeTables(2);
    Adapter(0).storedWidth = kFakeModes[2].width;
    Adapter(0).storedHeight = kFakeModes[2].height;
    Adapter(0).storedFormat = kFakeModes[2].format;
    Adapter(1).disableHardware = 1;
  }

  // On every page: a mode, hardware off/on, nothing on the monitor; then the reverse-order box.
  void ChangeEverything(DialogScript& script) {
    script
        .On(kDisplayTitle,
            [&](HWND dialog) {
              ChooseComboItem(dialog, IDC_MODE_LIST, 1);
              Click(dialog, IDC_DISABLE_HARDWARE);
            })
        .On(kDisplayTitle, [&](HWND dialog) { Click(dialog, IDC_LEAVE_BLACK); })
        .On(kDisplayTitle,
            [&](HWND dialog) {
              ChooseTab(dialog, IDC_MONITOR_TABS, 1);
              ChooseComboItem(dialog, IDC_MODE_LIST, 3);
              Click(dialog, IDC_DISABLE_HARDWARE);
            })
        .On(kDisplayTitle, [&](HWND dialog) { Click(dialog, IDC_LEAVE_BLACK); })
        .On(kDisplayTitle, [&](HWND dialog) { Click(dialog, IDC_REVERSE_ORDER); });
  }

  const AdapterChoices kChanged0{1, 1, kFakeModes[0].width, kFakeModes[0].height, UINT(kFakeModes[0].format)};
  const AdapterChoices kChanged1{1, 0, kFakeModes[2].width, kFakeModes[2].height, UINT(kFakeModes[2].format)};
};

TEST_F(DisplayDialogTest, CancelRestoresEveryAdapterAsItWasOnOpening) {
  SetUpTwoMonitors();
  const AdapterChoices before0 = ChoicesOf(Adapter(0)), before1 = ChoicesOf(Adapter(1));

  DialogScript script;
  ChangeEverything(script);
  script.On(kDisplayTitle, [&](HWND dialog) {
    ExpectChoices(Adapter(0), kChanged0, "first monitor while open");
    ExpectChoices(Adapter(1), kChanged1, "second monitor while open");
    EXPECT_EQ(saver->allScreensSame, 1);
    Click(dialog, IDCANCEL);
  });
  script.Run([&] { saver->ShowDisplaySettingsDialog(nullptr); });

  ExpectChoices(Adapter(0), before0, "first monitor");
  ExpectChoices(Adapter(1), before1, "second monitor");
  EXPECT_EQ(saver->allScreensSame, 0);
}

TEST_F(DisplayDialogTest, OkKeepsTheChoicesInMemoryAndWritesNothing) {
  SetUpTwoMonitors();
  DialogScript script;
  ChangeEverything(script);
  script.On(kDisplayTitle, [&](HWND dialog) { Click(dialog, IDOK); });
  script.Run([&] { saver->ShowDisplaySettingsDialog(nullptr); });

  ExpectChoices(Adapter(0), kChanged0, "first monitor");
  ExpectChoices(Adapter(1), kChanged1, "second monitor");
  EXPECT_EQ(saver->allScreensSame, 1);
  EXPECT_FALSE(ReadDword(L"", L"AllScreensSame").has_value());
  EXPECT_FALSE(ReadDword(ScreenKey(0), L"Leave Black").has_value());
}

TEST_F(DisplayDialogTest, EachTabShowsItsMonitorsAdapterModesAndChoices) {
  UseFakeTables(3);
  Adapter(0).storedWidth = 1280;  // no longer listed: shown as "Automatic"
  Adapter(0).storedHeight = 1024;
  Adapter(0).storedFormat = D3DFMT_X8R8G8B8;
  Adapter(1).storedWidth = kFakeModes[1].width;
  Adapter(1).storedHeight = kFakeModes[1].height;
  Adapter(1).storedFormat = kFakeModes[1].format;
  Adapter(1).leaveBlack = 1;
  // The third adapter has hardware that lost every mode and no software device type.
  Adapter(2).halUsable = 0;
  Adapter(2).disableHardware = 1;

  DialogScript script;
  script.On(kDisplayTitle, [&](HWND dialog) {
    HWND tabs = GetDlgItem(dialog, IDC_MONITOR_TABS);
    ASSERT_NE(tabs, nullptr) << "two adapters open the dialog with monitor tabs";
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    for (int t = 0; t < 3; ++t) {
      wchar_t name[40] = {};
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = name;
      item.cchTextMax = 40;
      SendMessageW(tabs, TCM_GETITEMW, t, reinterpret_cast<LPARAM>(&item));
      EXPECT_EQ(std::wstring(name), L"Monitor " + std::to_wstring(t + 1));
    }

    EXPECT_EQ(ControlText(dialog, IDC_ADAPTER_NAME), L"Test Adapter 1");
    EXPECT_EQ(ControlText(dialog, IDC_RENDERING_TEXT), LoadText(IDS_RENDERING_HARDWARE));
    EXPECT_EQ(ComboItemText(dialog, IDC_MODE_LIST, 0), L"Automatic");
    EXPECT_EQ(ComboItemText(dialog, IDC_MODE_LIST, 1), L"640 by 480, 32 bit color");
    EXPECT_EQ(ComboItemText(dialog, IDC_MODE_LIST, 2), L"800 by 600, 16 bit color");
    EXPECT_EQ(ComboItemText(dialog, IDC_MODE_LIST, 3), L"1024 by 768, 32 bit color");
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_MODE_LIST, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_MODE_LIST, CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(IsChecked(dialog, IDC_SHOW_ON_MONITOR));
    EXPECT_TRUE(IsEnabled(dialog, IDC_MODE_LIST));
    EXPECT_TRUE(IsEnabled(dialog, IDC_DISABLE_HARDWARE));
    EXPECT_FALSE(IsChecked(dialog, IDC_DISABLE_HARDWARE));

    ChooseTab(dialog, IDC_MONITOR_TABS, 1);
    EXPECT_EQ(ControlText(dialog, IDC_ADAPTER_NAME), L"Test Adapter 2");
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_MODE_LIST, CB_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(IsChecked(dialog, IDC_LEAVE_BLACK));
    EXPECT_FALSE(IsChecked(dialog, IDC_SHOW_ON_MONITOR));
    for (int id : {IDC_MODE_LIST, IDC_MODE_LABEL, IDC_MODE_GROUP, IDC_MODE_NOTE})
      EXPECT_FALSE(IsEnabled(dialog, id)) << id << " with nothing shown on the monitor";
    EXPECT_TRUE(IsEnabled(dialog, IDC_LEAVE_BLACK)) << "the choice stays the user's";

    // Nothing can be shown: the page says so, and no choice is offered.
    ChooseTab(dialog, IDC_MONITOR_TABS, 2);
    EXPECT_EQ(ControlText(dialog, IDC_ADAPTER_NAME), L"Test Adapter 3");
    EXPECT_EQ(ControlText(dialog, IDC_RENDERING_TEXT), LoadText(IDS_RENDERING_NONE));
    EXPECT_TRUE(IsChecked(dialog, IDC_LEAVE_BLACK));
    EXPECT_FALSE(IsChecked(dialog, IDC_SHOW_ON_MONITOR));
    for (int id : {IDC_MONITOR_USAGE_GROUP, IDC_SHOW_ON_MONITOR, IDC_LEAVE_BLACK, IDC_DISABLE_HARDWARE, IDC_MODE_LIST})
      EXPECT_FALSE(IsEnabled(dialog, id)) << id;
    EXPECT_FALSE(IsChecked(dialog, IDC_DISABLE_HARDWARE)) << "a disabled box shows no stored choice";
    EXPECT_EQ(Adapter(2).leaveBlack, 0) << "showing the page changes no choice";
    Click(dialog, IDCANCEL);
  });
  script.Run([&] { saver->ShowDisplaySettingsDialog(nullptr); });
}

struct HelpCase {
  const char* name;
  bool adapter, monitor;
  int halCompatible, halUsable, softwareCompatible, softwareUsable, disableHardware;
  UINT help;       // text of the help message box
  UINT rendering;  // the page's rendering line
  bool hardwareChoice;  // the disable-hardware box is enabled
};

void PrintTo(const HelpCase& c, std::ostream* os) { *os << c.name; }

class HelpTextTest : public SettingsTest, public ::testing::WithParamInterface<HelpCase> {};

TEST_P(HelpTextTest, HelpBoxAndRenderingLineFollowTheAdapterFlags) {
  const HelpCase& c = GetParam();
  UseFakeTables(1, FakeAdapterFlags{c.halCompatible, c.halUsable, c.softwareCompatible, c.softwareUsable});
  Adapter(0).disableHardware = c.disableHardware;
  if (!c.adapter) saver->monitors[0].adapterIndex = -1;
  if (!c.monitor) saver->monitors[0].monitor = nullptr;

  std::wstring shown;
  DialogScript script;
  script
      .On(kDisplayTitle,
          [&](HWND dialog) {
            EXPECT_EQ(GetDlgItem(dialog, IDC_MONITOR_TABS), nullptr) << "one adapter: no tabs";
            EXPECT_EQ(ControlText(dialog, IDC_RENDERING_TEXT), LoadText(c.rendering));
            EXPECT_EQ(IsEnabled(dialog, IDC_DISABLE_HARDWARE), c.hardwareChoice);
            EXPECT_EQ(IsChecked(dialog, IDC_DISABLE_HARDWARE), c.hardwareChoice && c.disableHardware);
            Click(dialog, IDC_HELP_BUTTON);
          })
      .On(L"Test Adapter 1",  // the message box, titled with the adapter's description
          [&](HWND box) {
            shown = MessageBoxText(box);
            Click(box, IDOK);
          })
      .On(kDisplayTitle, [&](HWND dialog) { Click(dialog, IDCANCEL); });
  script.Run([&] { saver->ShowDisplaySettingsDialog(nullptr); });

  EXPECT_FALSE(LoadText(c.help).empty());
  EXPECT_EQ(shown, LoadText(c.help));
}

// Columns: adapter, monitor handle, HAL compatible, HAL usable, software compatible,
// software usable, hardware disabled -> help text, rendering line, disable-hardware box enabled.
INSTANTIATE_TEST_SUITE_P(
    AdapterFlags, HelpTextTest,
    ::testing::Values(
        HelpCase{"NoAdapter", false, true, 1, 1, 1, 1, 0, 2206, 2212, false},
        HelpCase{"NoMonitorHandle", true, false, 1, 1, 1, 1, 0, 2206, 2210, true},
        HelpCase{"HalUsable", true, true, 1, 1, 0, 0, 0, 2200, 2210, true},
        HelpCase{"HalUnusableSoftwareUsable", true, true, 1, 0, 1, 1, 0, 2201, 2211, false},
        HelpCase{"HalUnusableSoftwareUnusable", true, true, 1, 0, 1, 0, 0, 2202, 2212, false},
        HelpCase{"HalUnusableNoSoftware", true, true, 1, 0, 0, 0, 0, 2203, 2212, false},
        HelpCase{"NoHalSoftwareUsable", true, true, 0, 0, 1, 1, 0, 2204, 2211, false},
        HelpCase{"NoHalSoftwareUnusable", true, true, 0, 0, 1, 0, 0, 2205, 2212, false},
        HelpCase{"NoHalNoSoftware", true, true, 0, 0, 0, 0, 0, 2206, 2212, false},
        HelpCase{"DisabledSoftwareUsable", true, true, 1, 1, 1, 1, 1, 2207, 2211, true},
        HelpCase{"DisabledSoftwareUnusable", true, true, 1, 1, 1, 0, 1, 2208, 2212, true},
        HelpCase{"DisabledNoSoftware", true, true, 1, 1, 0, 0, 1, 2209, 2212, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
