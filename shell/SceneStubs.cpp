// replaced by the scene and music code
// Until the slide show and the music exist, every screen draws black and nothing plays.
#include "document/CurrentDevice.h"
#include "shell/CMoireScreensaver.h"
#include "shell/Music.h"

DS_DocResManager* g_docResManager = nullptr;

void ScreenScene::AcquireScene() {}
void ScreenScene::AdvanceSlideShow(float) {}
void ScreenScene::OnMusicEvent(long) {}

HRESULT CMoireScreensaver::AcquireDeviceResources() { return S_OK; }
HRESULT CMoireScreensaver::ReleaseDeviceResources() { return S_OK; }
void CMoireScreensaver::HandleMusicEvent(long) {}

HRESULT CMoireScreensaver::DrawFrame() {
  if (!g_currentDevice) return S_OK;
  if (SUCCEEDED(g_currentDevice->BeginScene())) {
    g_currentDevice->Clear(0, nullptr, D3DCLEAR_TARGET | (useDepthBuffer ? D3DCLEAR_ZBUFFER : 0),
                           D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0);
  }
  g_currentDevice->EndScene();
  return S_OK;
}

int InitMusicGraph(HWND) { return 0; }
long GetMusicEvent() { return -1; }
void ReleaseMusicGraph() {}
