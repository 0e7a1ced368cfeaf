#pragma once
// The application: the host plus one scene per screen, the settings dialogs and the music.
#include "shell/CD3DScreensaver.h"
#include "shell/ScreenScene.h"
#include "shell/Settings.h"

constexpr unsigned kSceneSlots = 10;

class CMoireScreensaver : public CD3DScreensaver {
 public:
  CMoireScreensaver();

  // Overrides, in the host's slot order.
  void ShowSettingsDialog() override;  // dialog 106
  void LoadSettings() override;        // ReloadSettings
  INT_PTR HandleSoundDialogMessage(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) override;
  void ActivateScreen(unsigned screen) override;
  HRESULT AcceptDeviceCaps(const D3DCAPS9& caps, DWORD behaviourFlags, D3DFORMAT format) override;
  HRESULT AcquireDeviceResources() override;
  HRESULT DrawFrame() override;
  HRESULT ReleaseDeviceResources() override;
  HRESULT DestroyDeviceResources() override;
  void HandleMusicEvent(long eventCode) override;

  // Reads the registry values into the host's and adapters' fields.
  void ReloadSettings();
  // Writes the settings table and the per-monitor values.
  void SaveSettings();

  ScreenScene scenes[kSceneSlots];  // slot i belongs to screen device i
  ScreenScene* currentScene;
  SettingsField settingsTable[kSettingsFieldCount];
};

extern CMoireScreensaver* g_saverApp;
