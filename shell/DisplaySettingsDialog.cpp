// The display-settings dialogs: 200 for one adapter, 201 with one tab per monitor. They edit
// the adapter records in memory only; the settings dialog's OK writes them, its Cancel
// reloads them.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "shell/CMoireScreensaver.h"
#include "shell/Settings.h"
#include "shell/SettingsIds.h"

namespace {

// The adapter records and "AllScreensSame" as they were when the dialog opened.
std::unique_ptr<AdapterEntry> s_adapterBackups[kMaxAdapters];
int s_allScreensSameBackup = 0;

void DropBackups() {
  for (auto& backup : s_adapterBackups) backup.reset();
}

AdapterEntry* AdapterOf(CD3DScreensaver& saver, unsigned monitorIndex) {
  if (monitorIndex >= saver.monitorCount || monitorIndex >= kMaxMonitors) return nullptr;
  int index = saver.monitors[monitorIndex].adapterIndex;
  if (index < 0 || unsigned(index) >= kMaxAdapters) return nullptr;
  return saver.adapters[index].get();
}

// The monitor of the current tab; dialog 200 has no tabs and shows monitor 0.
unsigned CurrentMonitor(HWND dialog) {
  HWND tabs = GetDlgItem(dialog, IDC_MONITOR_TABS);
  if (!tabs) return 0;
  LRESULT selection = SendMessageW(tabs, TCM_GETCURSEL, 0, 0);
  return selection < 0 ? 0 : unsigned(selection);
}

// The device type whose modes the list offers: the chosen one, or (in the settings mode,
// where no device is opened) the first listed one.
const DeviceTypeEntry* ModeDeviceType(const AdapterEntry& adapter) {
  if (adapter.deviceTypeCount == 0) return nullptr;
  unsigned index = adapter.chosenDeviceType < adapter.deviceTypeCount ? adapter.chosenDeviceType : 0;
  return &adapter.deviceTypes[index];
}

void EnableModeControls(HWND dialog, bool enable) {
  for (int id : {IDC_MODE_LIST, IDC_MODE_LABEL, IDC_MODE_GROUP, IDC_MODE_NOTE})
    EnableWindow(GetDlgItem(dialog, id), enable);
}

void FillModeList(HWND dialog, const AdapterEntry* adapter) {
  HWND list = GetDlgItem(dialog, IDC_MODE_LIST);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  if (!adapter) return;

  wchar_t text[40];
  GetDlgItemTextW(dialog, IDC_AUTOMATIC_TEXT, text, 40);
  LRESULT item = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendMessageW(list, CB_SETITEMDATA, item, LPARAM(-1));

  wchar_t format[40];
  GetDlgItemTextW(dialog, IDC_MODE_FORMAT, format, 40);
  LRESULT selected = 0;
  if (const DeviceTypeEntry* type = ModeDeviceType(*adapter)) {
    for (unsigned i = 0; i < type->modeCount && i < kMaxDisplayModes; ++i) {
      const DisplayModeEntry& mode = type->modes[i];
      int bits = mode.format >= 20 && mode.format <= 22 ? 32 : 16;
      FormatShortText(text, format, int(mode.width), int(mode.height), bits);
      item = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
      SendMessageW(list, CB_SETITEMDATA, item, LPARAM(i));
      if (mode.width == adapter->storedWidth && mode.height == adapter->storedHeight &&
          UINT(mode.format) == adapter->storedFormat)
        selected = item;
    }
  }
  SendMessageW(list, CB_SETCURSEL, selected, 0);
}

void SelectMode(HWND dialog, AdapterEntry* adapter) {
  if (!adapter) return;
  HWND list = GetDlgItem(dialog, IDC_MODE_LIST);
  LRESULT item = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (item == CB_ERR) return;
  LRESULT data = SendMessageW(list, CB_GETITEMDATA, item, 0);
  const DeviceTypeEntry* type = ModeDeviceType(*adapter);
  if (item == 0 || data < 0 || !type || unsigned(data) >= type->modeCount) {
    adapter->storedWidth = adapter->storedHeight = adapter->storedFormat = 0;
    return;
  }
  const DisplayModeEntry& mode = type->modes[data];
  adapter->storedWidth = mode.width;
  adapter->storedHeight = mode.height;
  adapter->storedFormat = UINT(mode.format);
}

void ShowHelp(HWND dialog, CD3DScreensaver& saver, unsigned monitorIndex) {
  const AdapterEntry* adapter = AdapterOf(saver, monitorIndex);
  HMONITOR monitor = monitorIndex < saver.monitorCount ? saver.monitors[monitorIndex].monitor : nullptr;
  wchar_t text[500] = {};
  LoadStringW(g_hInstance, DisplayHelpTextId(adapter, monitor), text, 500);
  const wchar_t* caption = monitorIndex < saver.monitorCount ? saver.monitors[monitorIndex].adapterDescription : L"";
  MessageBoxW(dialog, text, caption, MB_ICONINFORMATION);
}

void InitDisplayDialog(HWND dialog, CD3DScreensaver& saver) {
  if (HWND tabs = GetDlgItem(dialog, IDC_MONITOR_TABS)) {
    wchar_t format[100] = {};
    GetDlgItemTextW(dialog, IDC_TAB_NAME_FORMAT, format, 100);
    for (unsigned m = 0; m < saver.monitorCount && m < kMaxMonitors; ++m) {
      wchar_t name[40];
      FormatShortText(name, format, int(m + 1));
      TCITEMW tab{};
      tab.mask = TCIF_TEXT;
      tab.pszText = name;
      SendMessageW(tabs, TCM_INSERTITEMW, m, reinterpret_cast<LPARAM>(&tab));
    }
  }
  for (unsigned a = 0; a < kMaxAdapters; ++a)
    s_adapterBackups[a] = saver.adapters[a] ? std::make_unique<AdapterEntry>(*saver.adapters[a]) : nullptr;
  s_allScreensSameBackup = saver.allScreensSame;
  saver.FillMonitorTab(dialog, CurrentMonitor(dialog));
  CheckDlgButton(dialog, IDC_REVERSE_ORDER, saver.allScreensSame ? BST_CHECKED : BST_UNCHECKED);
}

void RestoreBackups(CD3DScreensaver& saver) {
  for (unsigned a = 0; a < kMaxAdapters; ++a)
    if (saver.adapters[a] && s_adapterBackups[a]) *saver.adapters[a] = *s_adapterBackups[a];
  saver.allScreensSame = s_allScreensSameBackup;
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

}  // namespace

UINT DisplayHelpTextId(const AdapterEntry* adapter, HMONITOR monitor) {
  if (!adapter || !monitor) return IDS_HELP_NO_HAL_NO_SOFTWARE;
  auto bySoftware = [&](UINT noSoftware, UINT softwareLacks, UINT softwareOk) {
    if (!adapter->softwareCompatible) return noSoftware;
    if (!adapter->softwareUsable) return softwareLacks;
    return softwareOk;
  };
  if (adapter->halCompatible && adapter->disableHardware)
    return bySoftware(IDS_HELP_DISABLED_NO_SOFTWARE, IDS_HELP_DISABLED_SOFTWARE_LACKS, IDS_HELP_DISABLED_SOFTWARE_OK);
  if (adapter->halCompatible) {
    if (adapter->halUsable) return IDS_HELP_HAL_OK;
    return bySoftware(IDS_HELP_HAL_NO_SOFTWARE, IDS_HELP_HAL_NOTHING_WORKS, IDS_HELP_HAL_NEEDS_SOFTWARE);
  }
  return bySoftware(IDS_HELP_NO_HAL_NO_SOFTWARE, IDS_HELP_NO_HAL_SOFTWARE_LACKS, IDS_HELP_NO_HAL_SOFTWARE_OK);
}

void CD3DScreensaver::ShowDisplaySettingsDialog(HWND owner) {
  int dialog = adapterCount < 2 ? IDD_DISPLAY_ONE_ADAPTER : IDD_DISPLAY_MONITOR_TABS;
  DialogBoxParamW(g_hInstance, MAKEINTRESOURCEW(dialog), owner, DisplayDialogProcEntry, 0);
}

INT_PTR CALLBACK DisplayDialogProcEntry(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  return g_saver->HandleDisplayDialogMessage(dialog, message, wparam, lparam);
}

void CD3DScreensaver::FillMonitorTab(HWND dialog, unsigned monitorIndex) {
  const AdapterEntry* adapter = AdapterOf(*this, monitorIndex);
  SetDlgItemTextW(dialog, IDC_ADAPTER_NAME,
                  monitorIndex < monitorCount ? monitors[monitorIndex].adapterDescription : L"");

  UINT rendering = IDS_RENDERING_NONE;
  if (adapter && adapter->halCompatible && adapter->halUsable && !adapter->disableHardware)
    rendering = IDS_RENDERING_HARDWARE;
  else if (adapter && adapter->softwareCompatible && adapter->softwareUsable)
    rendering = IDS_RENDERING_SOFTWARE;
  wchar_t text[200] = {};
  LoadStringW(g_hInstance, rendering, text, 200);
  SetDlgItemTextW(dialog, IDC_RENDERING_TEXT, text);

  bool hardwareChoice = adapter && adapter->halCompatible && adapter->halUsable;
  EnableWindow(GetDlgItem(dialog, IDC_DISABLE_HARDWARE), hardwareChoice);
  CheckDlgButton(dialog, IDC_DISABLE_HARDWARE,
                 hardwareChoice && adapter->disableHardware ? BST_CHECKED : BST_UNCHECKED);

  bool canShow = adapter && ((adapter->halUsable && !adapter->disableHardware) || adapter->softwareUsable);
  bool black = !canShow || adapter->leaveBlack;
  CheckDlgButton(dialog, IDC_LEAVE_BLACK, black ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_SHOW_ON_MONITOR, black ? BST_UNCHECKED : BST_CHECKED);
  for (int id : {IDC_MONITOR_USAGE_GROUP, IDC_SHOW_ON_MONITOR, IDC_LEAVE_BLACK})
    EnableWindow(GetDlgItem(dialog, id), canShow);
  EnableModeControls(dialog, !Checked(dialog, IDC_LEAVE_BLACK));

  FillModeList(dialog, adapter);
}

INT_PTR CD3DScreensaver::HandleDisplayDialogMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      InitDisplayDialog(dialog, *this);
      return TRUE;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header && header->idFrom == IDC_MONITOR_TABS && header->code == UINT(TCN_SELCHANGE)) {
        FillMonitorTab(dialog, CurrentMonitor(dialog));
        return TRUE;
      }
      return FALSE;
    }
    case WM_COMMAND: {
      unsigned monitor = CurrentMonitor(dialog);
      AdapterEntry* adapter = AdapterOf(*this, monitor);
      switch (LOWORD(wparam)) {
        case IDOK:
          DropBackups();
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          RestoreBackups(*this);
          DropBackups();
          EndDialog(dialog, 2);
          return TRUE;
        case IDC_HELP_BUTTON:
          ShowHelp(dialog, *this, monitor);
          return TRUE;
        case IDC_DISABLE_HARDWARE:
          if (adapter) adapter->disableHardware = Checked(dialog, IDC_DISABLE_HARDWARE) ? 1 : 0;
          FillMonitorTab(dialog, monitor);
          return TRUE;
        case IDC_SHOW_ON_MONITOR:
        case IDC_LEAVE_BLACK: {
          bool black = Checked(dialog, IDC_LEAVE_BLACK);
          if (adapter) adapter->leaveBlack = black ? 1 : 0;
          EnableModeControls(dialog, !black);
          return TRUE;
        }
        case IDC_MODE_LIST:
          if (HIWORD(wparam) != CBN_SELCHANGE) return FALSE;
          SelectMode(dialog, adapter);
          return TRUE;
        case IDC_REVERSE_ORDER:
          allScreensSame = Checked(dialog, IDC_REVERSE_ORDER) ? 1 : 0;
          return TRUE;
        default:
          return FALSE;
      }
    }
    default:
      return FALSE;
  }
}
