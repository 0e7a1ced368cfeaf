#include "shell/CMoireScreensaver.h"

#include <commctrl.h>

#include <cwchar>


CMoireScreensaver* g_saverApp = nullptr;

namespace {
const wchar_t kSettingsKeyPath[] = L"Software\\Quillfen\\Lumetra\\Screensaver\\";
}

CMoireScreensaver::CMoireScreensaver() : currentScene(nullptr), settingsTable{} {
  InitSettingsTable(settingsTable);
  g_saverApp = this;
  InitCommonControls();
  wcscpy(settingsKeyPath, kSettingsKeyPath);
  wcscpy(g_settingsKeyPath, kSettingsKeyPath);
  LoadStringW(nullptr, 1000, windowTitle, 200);
  useDepthBuffer = 1;
}

HRESULT CMoireScreensaver::AcceptDeviceCaps(const D3DCAPS9& caps, DWORD, D3DFORMAT format) {
  if (!(caps.TextureOpCaps & D3DTEXOPCAPS_BUMPENVMAP)) return E_FAIL;
  if (FAILED(d3d->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType, format, 0, D3DRTYPE_TEXTURE, D3DFMT_V8U8)))
    return E_FAIL;
  return S_OK;
}

void CMoireScreensaver::ActivateScreen(unsigned screen) {
  currentScene = &scenes[screen];
  SelectScreen(currentScene->Selection(currentDevice));
}
