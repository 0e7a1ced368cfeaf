// The application's side of a screen's scene: selecting a screen selects everything its
// scene draws with, and any failure of the acquisition becomes "Could not load required
// media.".
#include <gtest/gtest.h>

#include <memory>

#include "document/DS_DocResManager.h"
#include "runtime/DS_SlideShow_Light.h"
#include "runtime/ScreenSelection.h"
#include "shell/CMoireScreensaver.h"
#include "shell/SaverError.h"
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
