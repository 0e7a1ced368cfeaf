#pragma once
// Settings kept in the registry under HKEY_CURRENT_USER\<g_settingsKeyPath>, and the
// application's table of generic settings fields.
#include <windows.h>

struct AdapterEntry;

struct SettingsField {
  int kind;
  int value;  // a byte for kind 0
  wchar_t text[260];
  int controlId;
  wchar_t valueName[40];
};

constexpr unsigned kSettingsFieldCount = 3;

// Fills the application's three fields ("Path", "URL1", "file_path").
void InitSettingsTable(SettingsField (&table)[kSettingsFieldCount]);

// Names of the sound and picture values; the double quotes are part of each name.
inline constexpr wchar_t kSoundVolumeValue[] = L"\"SoundVolume\"";
inline constexpr wchar_t kSoundBalanceValue[] = L"\"SoundBalance\"";
inline constexpr wchar_t kMuteSoundValue[] = L"\"MuteSound\"";
inline constexpr wchar_t kPicturePositionValue[] = L"\"PicPos\"";

// Reads a REG_DWORD of the settings key into *value; an absent value leaves it unchanged.
void ReadRegistryDword(DWORD* value, const wchar_t* name);
// The cached picture position (0 stretch, 1 fit, 2 fill); the first call reads "PicPos", and
// a stored value outside 0..2 reads as 2.
int GetPicturePosition();

// Writers of the sound and picture values named above; a failed write is ignored.
void WriteSoundVolume(DWORD value);
void WriteSoundBalance(DWORD value);
void WriteMuteSound(DWORD value);
void WritePicturePosition(DWORD value);
// Caches the value (reading the registry first if it never was) and writes it.
void SavePicturePosition(int value);

// Process-wide caches: the scene's first acquisition and every music step read them.
constexpr DWORD kPicturePositionUnread = 0xFFFFFFFF;
extern DWORD g_picturePosition;  // kPicturePositionUnread until GetPicturePosition reads it, then 0..2
extern DWORD g_soundVolume;      // 0..100, 100 when absent
extern DWORD g_soundBalance;     // 50 when absent; never applied
extern DWORD g_muteSound;        // 1 = muted

// The generic settings table: stored on save, read from and shown in the settings dialog.
void WriteSettingsTable(HKEY key, const SettingsField (&table)[kSettingsFieldCount]);
void ReadSettingsTableFromDialog(HWND dialog, SettingsField (&table)[kSettingsFieldCount]);
void ShowSettingsTableInDialog(HWND dialog, const SettingsField (&table)[kSettingsFieldCount]);

// Formatted printing into a 40- and a 260-character buffer (always terminated).
void FormatShortText(wchar_t (&buffer)[40], const wchar_t* format, ...);
void FormatPathText(wchar_t (&buffer)[260], const wchar_t* format, ...);

// Starts the browser that the registry names for web links on the URL; true when its
// process was started.
bool OpenUrlInBrowser(const wchar_t* url);
// The catalogue page of the settings dialog's "Get More Screensavers" button.
extern const wchar_t kCatalogueUrl[];

// The string id of the display dialog's help text for a monitor's adapter (null: none).
UINT DisplayHelpTextId(const AdapterEntry* adapter, HMONITOR monitor);

// Dialog procedures of the settings (106), display-settings (200, 201) and sound (2214)
// dialogs.
INT_PTR CALLBACK SettingsDialogProcEntry(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR HandleSettingsDialogMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK DisplayDialogProcEntry(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK SoundDialogProcEntry(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
