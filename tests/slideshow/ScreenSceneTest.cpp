// The application's side of a screen's scene: selecting a screen selects everything its
// scene draws with, any failure of the acquisition becomes "Could not load required
// media.", and the close-down destroys each device and waits for what it started.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "document/DS_DocResManager.h"
#include "runtime/DS_SlideShow_Light.h"
#include "runtime/LoadDocument.h"
#include "runtime/ScreenSelection.h"
#include "scene/DocumentReaders.h"
#include "shell/CMoireScreensaver.h"
#include "shell/SaverError.h"
#include "tests/shell/TestSaver.h"
#include "tests/support/TestDevice.h"

TEST(ScreenScene, SelectingAScreenSelectsItsDeviceViewManagerAndCache) {
  ScopedScreen nothing(ScreenSelection{});
  DS_View2D* const defaultView = g_view2D;
  TestDevice device(16, 16);
  auto app = std::make_unique<CMoireScreensaver>();
  DS_DocResManager* first = new DS_DocResManager;
  DS_DocResManager* second = new DS_DocResManager;
  app->scenes[0].resourceManager.reset(first);
  app->scenes[1].resourceManager.reset(second);

  app->currentDevice = device.Device();  // the host's field, as SelectScreenDevice sets it
  app->ActivateScreen(0);
  EXPECT_EQ(app->currentScene, &app->scenes[0]);
  EXPECT_EQ(g_currentDevice, device.Device());
  EXPECT_EQ(g_view2D, &app->scenes[0].view);
  EXPECT_EQ(g_virtualScreen, &app->scenes[0].virtualScreen);
  EXPECT_EQ(g_docResManager, first);
  EXPECT_EQ(g_resourceCache, &first->Cache());

  app->ActivateScreen(1);
  EXPECT_EQ(g_view2D, &app->scenes[1].view);
  EXPECT_EQ(g_virtualScreen, &app->scenes[1].virtualScreen);
  EXPECT_EQ(g_docResManager, second);
  EXPECT_EQ(g_resourceCache, &second->Cache());

  // A screen whose scene is not loaded yet has its own view; the manager stays.
  app->ActivateScreen(2);
  EXPECT_EQ(g_view2D, &app->scenes[2].view);
  EXPECT_EQ(g_docResManager, second);

  // The scenes go with the application, and nothing of theirs stays selected.
  app.reset();
  EXPECT_EQ(g_docResManager, nullptr);
  EXPECT_EQ(g_resourceCache, nullptr);
  EXPECT_EQ(g_view2D, defaultView);
}

TEST(ScreenScene, FailedAcquisitionStoresMediaMissing) {
  auto app = std::make_unique<CMoireScreensaver>();
  app->ActivateScreen(0);
  // This test program carries no scene document, so the load throws.
  EXPECT_EQ(app->AcquireDeviceResources(), S_OK);
  EXPECT_EQ(app->errorFlag, 1);
  EXPECT_EQ(app->errorCode, AsHResult(SaverError::MediaMissing));
  EXPECT_EQ(app->scenes[0].root, nullptr);
  // Drawing a screen without a scene does nothing.
  EXPECT_EQ(app->DrawFrame(), S_OK);
}

// A failed load on the second screen leaves the first screen's scene as it was.
TEST(ScreenScene, FailureOnTheSecondScreenKeepsTheFirstScene) {
  auto app = std::make_unique<CMoireScreensaver>();
  DS_SlideShow_Light* first = new DS_SlideShow_Light;
  DS_DocResManager* manager = new DS_DocResManager;
  app->scenes[0].root.reset(first);
  app->scenes[0].resourceManager.reset(manager);
  app->ActivateScreen(0);
  app->ActivateScreen(1);
  EXPECT_EQ(app->AcquireDeviceResources(), S_OK);
  EXPECT_EQ(app->errorCode, AsHResult(SaverError::MediaMissing));
  EXPECT_EQ(app->scenes[0].root.get(), first);
  EXPECT_EQ(app->scenes[1].root, nullptr);
  EXPECT_EQ(g_docResManager, manager);
  app->ActivateScreen(0);
  EXPECT_EQ(g_docResManager, manager);
}

// A frame whose BeginScene fails (here: a scene was begun already) ends no scene: Windows
// refuses an EndScene without its BeginScene, and this one would end the other's scene.
TEST(ScreenScene, AFrameWhoseSceneCannotBeginEndsNone) {
  TestDevice device(16, 16);
  ASSERT_TRUE(device.Ok());
  auto app = std::make_unique<CMoireScreensaver>();
  app->scenes[0].root.reset(new DS_SlideShow_Light);
  app->scenes[0].resourceManager.reset(new DS_DocResManager);
  app->currentDevice = device.Device();
  app->ActivateScreen(0);
  ASSERT_EQ(device.Device()->BeginScene(), D3D_OK);
  EXPECT_EQ(app->DrawFrame(), S_OK);
  EXPECT_EQ(device.Device()->EndScene(), D3D_OK) << "the scene begun before the frame was ended by it";
  // Outside any scene the frame begins and ends its own.
  EXPECT_EQ(app->DrawFrame(), S_OK);
  EXPECT_EQ(device.Device()->EndScene(), D3DERR_INVALIDCALL);
  app.reset();
}

namespace {
// The application in preview mode (a windowed device, no music) that notes, when the
// close-down has destroyed a screen's resources, how many references the device still has.
class ClosingApp : public CMoireScreensaver {
 public:
  HRESULT DestroyDeviceResources() override {
    const HRESULT hr = CMoireScreensaver::DestroyDeviceResources();
    referencesLeft.push_back(ComRef<IDirect3DDevice9>::Share(currentDevice).RefCount() - 1);
    return hr;
  }
  std::vector<ULONG> referencesLeft;
};

std::vector<uint8_t> ReadFileBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
}  // namespace

// The program ends with TerminateProcess right after the close-down, which stops any thread
// still on its way out wherever it is (under Wine, a device's command thread in the middle of
// freeing C library memory: exit code 139). So the close-down must leave each device with
// the host's reference alone, the scene having let go of everything it made of it, and
// return once the threads the device started have ended. A document of every class, each
// slide drawn.
TEST(ScreenScene, CloseDownDestroysEachDeviceAndWaitsForTheThreadsItStarted) {
  RegisterDocumentReaders();
  const std::vector<uint8_t> document = ReadFileBytes(TEVRANA_EVERY_CLASS_DOCUMENT);
  ASSERT_GT(document.size(), 1000u);
  ScopedScreen restore(ScreenSelection::Current());
  PlainWindow parent(0, 0, 320, 240, WS_POPUP | WS_VISIBLE);
  ClosingApp app;
  app.instance = GetModuleHandleW(nullptr);
  app.launchMode = LaunchMode::Preview;
  app.parentWindow = parent.hwnd;
  app.monitorCount = 1;
  ASSERT_EQ(app.OpenOutputWindows(), S_OK);
  app.d3d = ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
  ASSERT_TRUE(app.d3d);
  ASSERT_EQ(app.EnumerateAdapters(), S_OK);

  // The scene as the first acquisition makes it (this test program carries no document).
  ScreenScene& scene = app.scenes[0];
  scene.root.reset(LoadDocumentFromMemory(document.data(), document.size()));
  scene.resourceManager.reset(g_docResManager);
  for (auto& slide : scene.root->slides) slide->CreateObjects();
  const std::vector<DWORD> threadsBefore = StartedThreads::ProcessThreadIds();
  ASSERT_EQ(app.OpenScreenDevices(), S_OK);
  ASSERT_FALSE(app.errorFlag);
  ASSERT_EQ(app.screenDeviceCount, 1u);
  // Wine's device starts its command thread.
  std::vector<HANDLE> started;
  for (DWORD id : StartedThreads::ProcessThreadIds())
    if (std::find(threadsBefore.begin(), threadsBefore.end(), id) == threadsBefore.end())
      if (HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, id)) started.push_back(thread);
  ASSERT_FALSE(started.empty());

  app.SelectScreenDevice(0);
  for (size_t i = 0; i < scene.root->slides.size(); ++i) {
    app.DrawFrame();
    const DS_SlideContainer* slide = scene.root->Current();
    if (!slide) break;
    app.appTime += float(double(slide->fadeIn.Value()) + slide->showTime.Value() + slide->fadeOut.Value()) + 0.5f;
  }

  app.CloseScreenDevices();
  // At once: the process would be ended now.
  std::vector<DWORD> stillRunning;
  for (HANDLE thread : started) stillRunning.push_back(WaitForSingleObject(thread, 0));
  EXPECT_EQ(stillRunning, std::vector<DWORD>(started.size(), WAIT_OBJECT_0)) << "a thread the device started still runs";
  for (HANDLE thread : started) CloseHandle(thread);
  EXPECT_EQ(app.referencesLeft, std::vector<ULONG>{1});
  EXPECT_EQ(scene.root, nullptr);
  EXPECT_EQ(scene.resourceManager, nullptr);
  app.launchMode = LaunchMode::Settings;  // destroying the window ends nothing
  DestroyWindow(app.mainWindow);
  TakeQuitMessage();
}
