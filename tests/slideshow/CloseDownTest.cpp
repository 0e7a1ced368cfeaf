// The close-down as the program makes it: start-up from the command line (/s full screen on
// every monitor, or /t the test window), the idle loop with the scene acquired by the host,
// each slide of a document of every class drawn on every screen, then the end the user
// makes (a key, or closing the test window). The program ends with TerminateProcess right
// after, which stops a thread still on its way out wherever it is (under Wine, a device's
// command thread in the middle of a C library free: exit code 139). So when the close-down
// returns, nothing may hold a device or the Direct3D object any more, and the threads each
// device started must have ended.
//
// Run by e2e_close_down.sh on a display of its own, with the switch on the command line.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "runtime/DS_SlideShow_Light.h"
#include "shell/CMoireScreensaver.h"
#include "shell/StartedThreads.h"
#include "tests/support/DeviceHolders.h"

namespace {
constexpr float kStep = 0.25f;     // seconds of the application clock per frame
constexpr int kLeastSteps = 40;     // so that a one-slide document draws a while too
constexpr int kGiveUpSteps = 2000;  // frame steps before the run is ended without every slide

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n  " + line;
  return text;
}

// The application with its own clock, watching what the devices hand out and start, ending
// itself as a user would once every screen has drawn every slide.
class ClosingSaver : public CMoireScreensaver {
 public:
  HRESULT OnDirect3DCreated() override {
    direct3D = ComRef<IDirect3D9>::Share(d3d.Get());
    return CMoireScreensaver::OnDirect3DCreated();
  }
  HRESULT OnLoopStart() override {
    threadsBefore_ = StartedThreads::ProcessThreadIds();
    return CMoireScreensaver::OnLoopStart();
  }
  // Every screen's device is open now: the threads they started, and a watch on what each
  // hands out from here on.
  HRESULT CreateDeviceResources() override {
    if (holders.empty()) deviceThreads_.AddStartedSince(threadsBefore_);
    holders.push_back(std::make_unique<DeviceHolders>(currentDevice));
    return CMoireScreensaver::CreateDeviceResources();
  }
  HRESULT AdvanceFrame() override {
    appTime = clock_;
    clock_ += kStep;
    if (++steps_ == kGiveUpSteps) End();
    return CMoireScreensaver::AdvanceFrame();
  }
  HRESULT DrawFrame() override {
    const HRESULT hr = CMoireScreensaver::DrawFrame();
    const unsigned screen = unsigned(currentScene - scenes);
    if (currentScene->root && currentScene->root->Current()) {
      shown[screen].insert(currentScene->root->Current());
      slides[screen] = currentScene->root->slides.size();
      bool all = screenDeviceCount > 0 && steps_ >= kLeastSteps;
      for (unsigned s = 0; s < screenDeviceCount; ++s)
        all = all && slides[s] > 0 && shown[s].size() == slides[s];
      if (all) End();
    }
    return hr;
  }
  // At the close-down, once the screen's scene is gone: only the host's reference may be left.
  HRESULT DestroyDeviceResources() override {
    const HRESULT hr = CMoireScreensaver::DestroyDeviceResources();
    for (auto& watch : holders)
      if (!watch->DeviceGone() && watch->Device() == currentDevice)
        heldAtCloseDown.push_back(watch->LetGo(1));
    return hr;
  }
  // True when every thread the devices started has ended.
  bool DeviceThreadsEnded() { return deviceThreads_.WaitForEnd(0); }

  ComRef<IDirect3D9> direct3D;  // the test's own reference
  std::vector<std::unique_ptr<DeviceHolders>> holders;
  std::vector<std::vector<std::string>> heldAtCloseDown;  // per screen, in close-down order
  std::set<const DS_SlideContainer*> shown[kSceneSlots];
  size_t slides[kSceneSlots] = {};  // in each screen's document

 private:
  // What the user does to end the run: a key in full screen, closing the test window.
  void End() {
    if (ended_) return;
    ended_ = true;
    PostMessageW(mainWindow, launchMode == LaunchMode::FullScreen ? WM_KEYDOWN : WM_CLOSE,
                 launchMode == LaunchMode::FullScreen ? VK_SPACE : 0, 0);
  }

  std::vector<DWORD> threadsBefore_;
  StartedThreads deviceThreads_;  // the test's own handles to the threads each device started
  float clock_ = 0.0f;
  int steps_ = 0;
  bool ended_ = false;
};
}  // namespace

TEST(CloseDown, NothingHoldsADeviceOrItsThreadsWhenTheCloseDownReturns) {
  g_hInstance = GetModuleHandleW(nullptr);
  ClosingSaver saver;
  ASSERT_EQ(saver.StartUp(g_hInstance), S_OK);
  ASSERT_TRUE(saver.launchMode == LaunchMode::FullScreen || saver.launchMode == LaunchMode::Test)
      << "run with /s or /t";
  ASSERT_FALSE(saver.errorFlag) << std::hex << saver.errorCode;
  ASSERT_TRUE(saver.direct3D);

  saver.ExecuteMode();

  EXPECT_FALSE(saver.errorFlag) << std::hex << saver.errorCode;
  // A screen on every monitor that has a window, each having drawn every slide.
  unsigned windows = 0, screens = 0;
  for (unsigned m = 0; m < saver.monitorCount; ++m)
    if (saver.monitors[m].window) ++windows;
  for (unsigned s = 0; s < kSceneSlots; ++s)
    if (!saver.shown[s].empty()) ++screens;
  ASSERT_EQ(screens, windows);
  ASSERT_EQ(saver.holders.size(), screens);
  for (unsigned s = 0; s < screens; ++s)
    EXPECT_EQ(saver.shown[s].size(), saver.slides[s]) << "slides drawn on screen " << s;
  ASSERT_EQ(saver.heldAtCloseDown.size(), screens) << "a screen's scene was not destroyed at the close-down";
  for (size_t s = 0; s < saver.heldAtCloseDown.size(); ++s)
    EXPECT_TRUE(saver.heldAtCloseDown[s].empty())
        << "screen " << s << "'s device is still held once its scene is gone, by:" << Lines(saver.heldAtCloseDown[s]);
  for (size_t d = 0; d < saver.holders.size(); ++d)
    EXPECT_TRUE(saver.holders[d]->DeviceGone()) << "device " << d << " outlived the close-down";
  EXPECT_TRUE(saver.DeviceThreadsEnded()) << "a thread a device started still runs after the close-down";
  // Nothing but the test holds the Direct3D object now.
  EXPECT_EQ(saver.direct3D.RefCount(), 1u);
}
