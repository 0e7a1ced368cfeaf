// replaced by the settings code
// Minimal definitions so that the shell links and runs before the settings dialogs and
// registry values exist: settings mode then shows the stored error or nothing.
#include "shell/CMoireScreensaver.h"

void InitSettingsTable(SettingsField (&table)[kSettingsFieldCount]) {
  for (SettingsField& f : table) f = SettingsField{};
}

void CMoireScreensaver::ShowSettingsDialog() {}
void CMoireScreensaver::LoadSettings() { ReloadSettings(); }
INT_PTR CMoireScreensaver::HandleSoundDialogMessage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void CMoireScreensaver::ReloadSettings() {}
void CMoireScreensaver::SaveSettings() {}

void CD3DScreensaver::LoadScreenSettings(HKEY) {}
void CD3DScreensaver::StoreScreenSettings(HKEY) {}
void CD3DScreensaver::ShowDisplaySettingsDialog(HWND) {}
INT_PTR CD3DScreensaver::HandleDisplayDialogMessage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void CD3DScreensaver::FillMonitorTab(HWND, unsigned) {}
