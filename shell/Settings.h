#pragma once
// Settings kept in the registry under HKEY_CURRENT_USER\<g_settingsKeyPath>, and the
// application's table of generic settings fields.
#include <windows.h>

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

// Reads a REG_DWORD of the settings key into *value; an absent value leaves it unchanged.
void ReadRegistryDword(DWORD* value, const wchar_t* name);
// The cached picture position (0 stretch, 1 fit, 2 fill); the first call reads "PicPos".
int GetPicturePosition();
