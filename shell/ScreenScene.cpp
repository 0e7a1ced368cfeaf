#include "shell/ScreenScene.h"

#include <memory>

#include "device/CurrentDevice.h"
#include "document/DS_DocResManager.h"
#include "runtime/LoadDocument.h"
#include "scene/DocumentReaders.h"
#include "shell/CMoireScreensaver.h"
#include "shell/MusicGraph.h"
#include "shell/SaverError.h"
#include "shell/Settings.h"

namespace {
constexpr long kEventComplete = 1;  // EC_COMPLETE
}

// Calls the member operation on each held object, in order.
template <class Iterator, class Operation>
void ForEachHeldItem(Iterator begin, Iterator end, Operation operation) {
  for (; begin != end; ++begin) ((*begin).Get()->*operation)();
}

ScreenScene::ScreenScene() = default;

ScreenScene::~ScreenScene() { Free(); }

void ScreenScene::Free() {
  // The slides' textures first: they come from the manager's tables.
  root.reset();
  ScreenSelection selected = ScreenSelection::Current();
  if (resourceManager && selected.docResManager == resourceManager.get())
    selected = selected.WithResources(nullptr);
  if (selected.view == &view) selected = selected.WithView(nullptr, nullptr);
  SelectScreen(selected);
  resourceManager.reset();
  // The bars are the light's, made on this screen's device; they would keep it until the
  // process ends.
  view.ReleaseBars();
}

ScreenSelection ScreenScene::Selection(IDirect3DDevice9* device) {
  const ScreenSelection screen = ScreenSelection::Current().WithDevice(device).WithView(&view, &virtualScreen);
  return resourceManager ? screen.WithResources(resourceManager.get()) : screen;
}

void ScreenScene::AcquireScene() {
  if (root) {
    root->AcquireDeviceResources();
  } else {
    // The readers of every class are entered once, before the first document is read.
    static const bool registered = (RegisterDocumentReaders(), true);
    (void)registered;
    // Each screen reads its own copy of the document.
    root.reset(LoadDocument());
    resourceManager.reset(g_docResManager);
    ForEachHeldItem(root->slides.begin(), root->slides.end(), &DS_SlideContainer::CreateObjects);
    ForEachHeldItem(root->audioFiles.begin(), root->audioFiles.end(), &DS_AudioFile::ExtractToTemp);
    root->SetPicturePosition(GetPicturePosition());
    playlistPosition = 0;
  }
  MusicStep();
}

void ScreenScene::MusicStep() {
  if (!root) return;
  const auto& items = root->audioFiles;
  if (playlistPosition < items.size()) {
    PlayMusicFile(*items[playlistPosition]);
    ReadRegistryDword(&g_soundVolume, kSoundVolumeValue);
    ReadRegistryDword(&g_soundBalance, kSoundBalanceValue);
    ReadRegistryDword(&g_muteSound, kMuteSoundValue);
    SetMusicVolume(g_muteSound != 0);
    ++playlistPosition;
  }
  if (playlistPosition >= items.size()) playlistPosition = 0;
}

void ScreenScene::OnMusicEvent(long eventCode) {
  if (eventCode == kEventComplete) MusicStep();
}

void ScreenScene::AdvanceSlideShow(float appTime) {
  if (root) root->Update(appTime);
}

HRESULT CMoireScreensaver::AcquireDeviceResources() {
  if (!currentScene) return S_OK;
  try {
    // After a device reset the released music graph is built again, so the music goes on.
    if (currentScene->root && !g_musicGraph &&
        (launchMode == LaunchMode::FullScreen || launchMode == LaunchMode::Test))
      InitMusicGraph(mainWindow);
    currentScene->AcquireScene();
  } catch (...) {
    StoreError(AsHResult(SaverError::MediaMissing));
  }
  return S_OK;
}

HRESULT CMoireScreensaver::ReleaseDeviceResources() {
  if (g_musicControl) g_musicControl->Stop();
  ReleaseMusicGraph();
  if (currentScene && currentScene->root) currentScene->root->ReleaseDeviceResources();
  return S_OK;
}

// At the close-down (and when an error closes the devices): the scene goes with its device.
HRESULT CMoireScreensaver::DestroyDeviceResources() {
  if (currentScene) currentScene->Free();
  return S_OK;
}

HRESULT CMoireScreensaver::DrawFrame() {
  if (!currentScene || !g_currentDevice) return S_OK;
  currentScene->AdvanceSlideShow(appTime);
  // EndScene only after a BeginScene that worked: Windows refuses it otherwise, and it would
  // end a scene someone else had begun.
  if (FAILED(g_currentDevice->BeginScene())) return S_OK;
  if (currentScene->root) currentScene->root->Render();
  g_currentDevice->EndScene();
  return S_OK;
}

void CMoireScreensaver::HandleMusicEvent(long eventCode) {
  if (currentScene) currentScene->OnMusicEvent(eventCode);
}
