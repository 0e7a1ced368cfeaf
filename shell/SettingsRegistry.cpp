// The settings' registry values: the sound and picture values behind their process-wide
// caches, the per-monitor "Screen %d" keys, and the generic settings table. Every single
// read or write opens the key (creating it when missing) and closes it again; an absent
// value leaves the caller's default in place, and failed writes are ignored.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include <windows.h>
#include <commctrl.h>

#include "shell/CMoireScreensaver.h"
#include "shell/Settings.h"

DWORD g_picturePosition = kPicturePositionUnread;
DWORD g_soundVolume = 100;
DWORD g_soundBalance = 50;
DWORD g_muteSound = 0;

namespace {

// A registry key opened (or created) with full access for one read or write.
class OpenedKey {
 public:
  OpenedKey(HKEY parent, const wchar_t* path) {
    if (RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key_, nullptr) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~OpenedKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// Only a 4-byte REG_DWORD replaces *value, so an odd value of the same name keeps the default.
void QueryDword(HKEY key, const wchar_t* name, DWORD* value) {
  if (!key) return;
  DWORD data = 0, type = 0, size = sizeof(data);
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) == ERROR_SUCCESS &&
      type == REG_DWORD && size == sizeof(data))
    *value = data;
}

void QueryInt(HKEY key, const wchar_t* name, int* value) {
  DWORD v = static_cast<DWORD>(*value);
  QueryDword(key, name, &v);
  *value = static_cast<int>(v);
}

void QueryUint(HKEY key, const wchar_t* name, UINT* value) {
  DWORD v = *value;
  QueryDword(key, name, &v);
  *value = v;
}

void SetDword(HKEY key, const wchar_t* name, DWORD value) {
  if (key) RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

void WriteSettingsDword(const wchar_t* name, DWORD value) {
  OpenedKey key(HKEY_CURRENT_USER, g_settingsKeyPath);
  SetDword(key.Get(), name, value);
}

AdapterEntry* AdapterOfMonitor(const CD3DScreensaver& saver, unsigned monitorIndex) {
  int index = saver.monitors[monitorIndex].adapterIndex;
  if (index < 0 || unsigned(index) >= kMaxAdapters) return nullptr;
  return saver.adapters[index].get();
}

// Calls fn(adapter, "Screen %d" key) for every monitor with an adapter, numbered from 1 by
// the monitor's place in the table.
template <class Fn>
void ForEachScreenKey(const CD3DScreensaver& saver, HKEY key, Fn fn) {
  for (unsigned m = 0; m < saver.monitorCount && m < kMaxMonitors; ++m) {
    AdapterEntry* adapter = AdapterOfMonitor(saver, m);
    if (!adapter) continue;
    wchar_t name[40];
    FormatShortText(name, L"Screen %d", int(m + 1));
    OpenedKey screen(key, name);
    if (screen.Get()) fn(*adapter, screen.Get());
  }
}

// The mode values of one "Screen %d" key: written with the settings, and after a step-down.
void SetScreenModeValues(HKEY screen, const AdapterEntry& adapter) {
  SetDword(screen, L"Width", adapter.storedWidth);
  SetDword(screen, L"Height", adapter.storedHeight);
  SetDword(screen, L"Format", adapter.storedFormat);
  RegSetValueExW(screen, L"Adapter ID", 0, REG_BINARY,
                 reinterpret_cast<const BYTE*>(&adapter.identifier.DeviceIdentifier), sizeof(GUID));
}

void FormatInto(wchar_t* buffer, size_t length, const wchar_t* format, va_list args) {
  int n = _vsnwprintf(buffer, length - 1, format, args);
  if (n < 0 || size_t(n) >= length - 1) buffer[length - 1] = L'\0';
}

}  // namespace

void ReadRegistryDword(DWORD* value, const wchar_t* name) {
  OpenedKey key(HKEY_CURRENT_USER, g_settingsKeyPath);
  QueryDword(key.Get(), name, value);
}

void WriteSoundVolume(DWORD value) { WriteSettingsDword(kSoundVolumeValue, value); }
void WriteSoundBalance(DWORD value) { WriteSettingsDword(kSoundBalanceValue, value); }
void WriteMuteSound(DWORD value) { WriteSettingsDword(kMuteSoundValue, value); }
void WritePicturePosition(DWORD value) { WriteSettingsDword(kPicturePositionValue, value); }

int GetPicturePosition() {
  if (g_picturePosition == kPicturePositionUnread) {
    DWORD stored = 2;
    ReadRegistryDword(&stored, kPicturePositionValue);
    // A value outside 0..2 (7, or -1 stored as 0xFFFFFFFF) reads as Fill, so that the settings
    // dialog shows what the screens draw.
    g_picturePosition = stored <= 2 ? stored : 2;
  }
  return static_cast<int>(g_picturePosition);
}

void SavePicturePosition(int value) {
  if (g_picturePosition == kPicturePositionUnread) GetPicturePosition();
  g_picturePosition = static_cast<DWORD>(value);
  WritePicturePosition(g_picturePosition);
}

void FormatShortText(wchar_t (&buffer)[40], const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  FormatInto(buffer, 40, format, args);
  va_end(args);
}

void FormatPathText(wchar_t (&buffer)[260], const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  FormatInto(buffer, 260, format, args);
  va_end(args);
}

// ---- the generic settings table

void InitSettingsTable(SettingsField (&table)[kSettingsFieldCount]) {
  static const wchar_t* const kNames[kSettingsFieldCount] = {L"Path", L"URL1", L"file_path"};
  static const wchar_t* const kTexts[kSettingsFieldCount] = {L"C://", L"", L""};
  for (unsigned i = 0; i < kSettingsFieldCount; ++i) {
    SettingsField& f = table[i];
    std::memset(&f, 0, sizeof(f));
    f.kind = 2;
    f.controlId = 0;
    wcsncpy(f.valueName, kNames[i], 39);
    wcsncpy(f.text, kTexts[i], 259);
  }
}

void WriteSettingsTable(HKEY key, const SettingsField (&table)[kSettingsFieldCount]) {
  for (const SettingsField& f : table) {
    switch (f.kind) {
      case 0:
        SetDword(key, f.valueName, static_cast<BYTE>(f.value));
        break;
      case 1:
      case 3: {
        // The text with its terminator, not the whole buffer.
        size_t chars = wcsnlen(f.text, 259) + 1;
        if (key)
          RegSetValueExW(key, f.valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(f.text),
                         static_cast<DWORD>(chars * sizeof(wchar_t)));
        break;
      }
      case 4:
        SetDword(key, f.valueName, static_cast<DWORD>(f.value));
        break;
      default:
        break;
    }
  }
}

void ReadSettingsTableFromDialog(HWND dialog, SettingsField (&table)[kSettingsFieldCount]) {
  for (SettingsField& f : table) {
    switch (f.kind) {
      case 0:
        f.value = IsDlgButtonChecked(dialog, f.controlId) == BST_CHECKED ? 1 : 0;
        break;
      case 1:
        GetDlgItemTextW(dialog, f.controlId, f.text, 260);
        break;
      case 4:
        f.value = static_cast<int>(SendDlgItemMessageW(dialog, f.controlId, TBM_GETPOS, 0, 0)) + 1;
        GetDlgItemTextW(dialog, f.controlId, f.text, 260);
        break;
      default:
        break;
    }
  }
}

void ShowSettingsTableInDialog(HWND dialog, const SettingsField (&table)[kSettingsFieldCount]) {
  for (const SettingsField& f : table) {
    switch (f.kind) {
      case 0:
        CheckDlgButton(dialog, f.controlId, f.value ? BST_CHECKED : BST_UNCHECKED);
        break;
      case 1:
        SetDlgItemTextW(dialog, f.controlId, f.text);
        break;
      case 4:
        SendDlgItemMessageW(dialog, f.controlId, TBM_SETPOS, TRUE, f.value - 1);
        SetDlgItemTextW(dialog, f.controlId, f.text);
        break;
      default:
        break;
    }
  }
}

// ---- settings of the host and the application

void CD3DScreensaver::LoadScreenSettings(HKEY key) {
  QueryInt(key, L"AllScreensSame", &allScreensSame);
  ForEachScreenKey(*this, key, [](AdapterEntry& adapter, HKEY screen) {
    // No identifier stored counts as ours; a value that is no 16-byte identifier names none
    // of our adapters.
    static const GUID kNone{};
    GUID stored{};
    DWORD type = 0, size = sizeof(stored);
    LONG result = RegQueryValueExW(screen, L"Adapter ID", nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size);
    bool ours = result == ERROR_FILE_NOT_FOUND;
    if (result == ERROR_SUCCESS && type == REG_BINARY && size == sizeof(stored))
      ours = EqualAdapterIds(stored, adapter.identifier.DeviceIdentifier) || EqualAdapterIds(stored, kNone);
    QueryInt(screen, L"Leave Black", &adapter.leaveBlack);

    // Values stored for another adapter would name modes it may not have: keep only the
    // leave-black choice then.
    if (ours) {
      QueryInt(screen, L"Disable Hardware", &adapter.disableHardware);
      QueryUint(screen, L"Width", &adapter.storedWidth);
      QueryUint(screen, L"Height", &adapter.storedHeight);
      QueryUint(screen, L"Format", &adapter.storedFormat);
    }
  });
}

void CD3DScreensaver::StoreScreenSettings(HKEY key) {
  SetDword(key, L"AllScreensSame", static_cast<DWORD>(allScreensSame));
  ForEachScreenKey(*this, key, [](AdapterEntry& adapter, HKEY screen) {
    SetDword(screen, L"Leave Black", static_cast<DWORD>(adapter.leaveBlack));
    SetDword(screen, L"Disable Hardware", static_cast<DWORD>(adapter.disableHardware));
    SetScreenModeValues(screen, adapter);
  });
}

void CD3DScreensaver::WriteBackDisplayMode(const AdapterEntry& adapter, unsigned monitorIndex) {
  OpenedKey key(HKEY_CURRENT_USER, settingsKeyPath);
  if (!key.Get()) return;
  wchar_t name[40];
  FormatShortText(name, L"Screen %d", int(monitorIndex) + 1);
  OpenedKey screen(key.Get(), name);
  if (screen.Get()) SetScreenModeValues(screen.Get(), adapter);
}

void CMoireScreensaver::LoadSettings() { ReloadSettings(); }

void CMoireScreensaver::ReloadSettings() {
  OpenedKey key(HKEY_CURRENT_USER, settingsKeyPath);
  if (key.Get()) LoadScreenSettings(key.Get());
}

void CMoireScreensaver::SaveSettings() {
  OpenedKey key(HKEY_CURRENT_USER, settingsKeyPath);
  if (!key.Get()) return;
  WriteSettingsTable(key.Get(), settingsTable);
  StoreScreenSettings(key.Get());
}
