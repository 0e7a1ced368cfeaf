// The frame step on real devices: drawing and presenting every screen, recovery from a
// device that needs a reset, a lost device, and the application clock.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "device/ComRef.h"
#include "shell/AppClock.h"
#include "tests/shell/RenderTargetPixel.h"
#include "tests/shell/TestSaver.h"
#include "tests/support/DeviceBindings.h"
#include "tests/support/DeviceRules.h"

namespace {
// A screensaver in test mode with its real windowed device, whose resources are one
// render target in the default pool: while it lives, Reset fails.
class FrameStep : public ::testing::Test {
 protected:
  void SetUp() override {
    saver.launchMode = LaunchMode::Test;
    saver.useDepthBuffer = 1;
    saver.acceptCaps = [](const D3DCAPS9&, DWORD flags, D3DFORMAT) {
      return flags & D3DCREATE_PUREDEVICE ? E_FAIL : S_OK;  // reads back through Get calls
    };
    saver.onAcquire = [this] {
      return saver.currentDevice->CreateTexture(32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                                target.Put(), nullptr);
    };
    saver.onRelease = [this] {
      if (!keepTargetOnRelease) target.Reset();
    };
    saver.onDraw = [this] {
      IDirect3DDevice9* d = saver.currentDevice;
      d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0);
      drawn = RenderTargetPixel(d, 10, 10);
    };
    saver.CollectMonitors();
    ASSERT_EQ(saver.OpenOutputWindows(), S_OK);
    saver.d3d = ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
    ASSERT_TRUE(saver.d3d);
    ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
    ASSERT_EQ(saver.OpenScreenDevices(), S_OK);
    ASSERT_FALSE(saver.errorFlag);
    ASSERT_EQ(saver.screenDeviceCount, 1u);
    ASSERT_TRUE(target);
    device = saver.screenDevices[0].device.Get();
  }
  void TearDown() override {
    keepTargetOnRelease = false;
    saver.launchMode = LaunchMode::Settings;  // closing the window ends nothing
    saver.CloseScreenDevices();
    target.Reset();
    DestroyWindow(saver.mainWindow);
    TakeQuitMessage();
  }
  // A Reset while the render target lives fails and leaves the device waiting for a reset.
  void MakeDeviceNeedReset() {
    D3DPRESENT_PARAMETERS pp = saver.screenDevices[0].presentParams;
    ASSERT_FALSE(SUCCEEDED(device->Reset(&pp)));
    ASSERT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  }

  TestSaver saver;
  ComRef<IDirect3DTexture9> target;
  IDirect3DDevice9* device = nullptr;
  bool keepTargetOnRelease = false;
  D3DCOLOR colour = D3DCOLOR_XRGB(200, 30, 10);
  uint32_t drawn = 0;
};
}  // namespace

TEST_F(FrameStep, DrawsEveryScreen) {
  saver.StepFrame();
  EXPECT_EQ(saver.draws, 1);
  EXPECT_EQ(drawn, 0xC81E0Au);
}

TEST_F(FrameStep, DeviceNeedingResetIsReleasedResetAcquiredAndDrawn) {
  MakeDeviceNeedReset();
  saver.StepFrame();
  EXPECT_EQ(saver.releases, 1);
  EXPECT_EQ(saver.acquires, 2);
  EXPECT_TRUE(target);  // made again after the reset
  EXPECT_EQ(saver.screenDevices[0].resources, ScreenResources::Acquired);
  EXPECT_FALSE(saver.errorFlag);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(saver.draws, 1);
  EXPECT_EQ(drawn, 0xC81E0Au);
  // Drawing goes on.
  colour = D3DCOLOR_XRGB(10, 220, 40);
  saver.StepFrame();
  EXPECT_EQ(saver.draws, 2);
  EXPECT_EQ(drawn, 0x0ADC28u);
  EXPECT_EQ(saver.acquires, 2);
}

TEST_F(FrameStep, FailedResetSetsTheErrorWithoutACode) {
  keepTargetOnRelease = true;
  MakeDeviceNeedReset();
  saver.StepFrame();
  EXPECT_TRUE(saver.errorFlag);
  EXPECT_EQ(saver.errorCode, 0);
  EXPECT_EQ(saver.releases, 1);
  EXPECT_EQ(saver.acquires, 1);
  EXPECT_EQ(saver.screenDevices[0].resources, ScreenResources::Created);
  EXPECT_EQ(saver.draws, 1);  // the screen still draws in this step
  wchar_t text[200];
  saver.LookUpErrorText(saver.errorCode, text, 200);
  EXPECT_STREQ(text, L"There was an unspecified problem with this screen saver.");
}

TEST_F(FrameStep, FailedReacquisitionSetsTheError) {
  MakeDeviceNeedReset();
  saver.onAcquire = [] { return E_FAIL; };
  saver.StepFrame();
  EXPECT_TRUE(saver.errorFlag);
  EXPECT_EQ(saver.errorCode, 0);
  EXPECT_EQ(saver.screenDevices[0].resources, ScreenResources::Created);
}

TEST_F(FrameStep, ApplicationTimeStartsNearZeroAndGrowsInSeconds) {
  StartAppClock();
  saver.StepFrame();
  const float first = saver.appTime;
  EXPECT_GE(first, 0.0f);
  EXPECT_LT(first, 0.5f);
  Sleep(200);
  saver.StepFrame();
  EXPECT_GT(saver.appTime - first, 0.15f);
  EXPECT_LT(saver.appTime - first, 2.0f);
}

namespace {
// Swaps two slots of a real device's virtual table for counting stand-ins: the only way
// to make a device report itself lost on demand in-process.
constexpr int kSlotTestCooperativeLevel = 3;
constexpr int kSlotPresent = 17;
constexpr int kDeviceSlots = 119;

struct PatchedDevice {
  IDirect3DDevice9* device = nullptr;
  void** original = nullptr;
  void* table[kDeviceSlots];
  bool lost = false;
  int presents = 0;
};
PatchedDevice* g_patched[2] = {};

PatchedDevice* PatchOf(IDirect3DDevice9* d) {
  for (PatchedDevice* p : g_patched)
    if (p && p->device == d) return p;
  return nullptr;
}

HRESULT STDMETHODCALLTYPE PatchedTestCooperativeLevel(IDirect3DDevice9* self) {
  PatchedDevice* p = PatchOf(self);
  if (p->lost) return D3DERR_DEVICELOST;
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*);
  return reinterpret_cast<Fn>(p->original[kSlotTestCooperativeLevel])(self);
}

HRESULT STDMETHODCALLTYPE PatchedPresent(IDirect3DDevice9* self, const RECT* a, const RECT* b, HWND w,
                                         const RGNDATA* r) {
  PatchedDevice* p = PatchOf(self);
  ++p->presents;
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, const RECT*, const RECT*, HWND, const RGNDATA*);
  return reinterpret_cast<Fn>(p->original[kSlotPresent])(self, a, b, w, r);
}

void Patch(PatchedDevice& p, IDirect3DDevice9* d) {
  p.device = d;
  p.original = *reinterpret_cast<void***>(d);
  std::memcpy(p.table, p.original, sizeof(p.table));
  p.table[kSlotTestCooperativeLevel] = reinterpret_cast<void*>(&PatchedTestCooperativeLevel);
  p.table[kSlotPresent] = reinterpret_cast<void*>(&PatchedPresent);
  *reinterpret_cast<void***>(d) = p.table;
}

void Unpatch(PatchedDevice& p) { *reinterpret_cast<void***>(p.device) = p.original; }
}  // namespace

// What a frame left bound would keep a default-pool resource alive through the reset on
// Windows, although the program let go of it; nothing is bound when Reset is called.
TEST_F(FrameStep, NothingIsBoundWhenTheDeviceIsReset) {
  MakeDeviceNeedReset();
  ComRef<IDirect3DVertexBuffer9> vertices;
  ASSERT_EQ(device->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, D3DFVF_XYZ, D3DPOOL_MANAGED, vertices.Put(), nullptr),
            D3D_OK);
  device->SetTexture(2, target.Get());
  device->SetStreamSource(1, vertices.Get(), 0, 12);
  ComRef<IDirect3DSurface9> level;
  target->GetSurfaceLevel(0, level.Put());
  device->SetRenderTarget(0, level.Get());
  level.Reset();
  ASSERT_FALSE(DeviceBindings(device).empty());

  {
    DeviceRules rules(device);
    saver.StepFrame();
    EXPECT_EQ(rules.Report(), "");
  }
  EXPECT_EQ(saver.releases, 1);
  EXPECT_FALSE(saver.errorFlag);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(drawn, 0xC81E0Au);
}

TEST(FrameStepTwoScreens, LostSecondScreenEndsTheStepAndNothingIsPresented) {
  TestSaver saver;
  saver.d3d = ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
  ASSERT_TRUE(saver.d3d);
  PlainWindow windows[2] = {PlainWindow(0, 0, 64, 64), PlainWindow(100, 0, 64, 64)};
  PatchedDevice patches[2];
  unsigned drawnScreens[4] = {};
  int step = 0;
  saver.onDraw = [&] {
    for (unsigned i = 0; i < 2; ++i)
      if (saver.currentDevice == saver.screenDevices[i].device.Get()) drawnScreens[step] |= 1u << i;
  };
  for (unsigned i = 0; i < 2; ++i) {
    ScreenDevice& s = saver.screenDevices[i];
    s.presentParams.Windowed = TRUE;
    s.presentParams.SwapEffect = D3DSWAPEFFECT_COPY;
    s.presentParams.hDeviceWindow = windows[i].hwnd;
    ASSERT_EQ(saver.d3d->CreateDevice(0, D3DDEVTYPE_HAL, windows[i].hwnd, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                      &s.presentParams, s.device.Put()),
              D3D_OK);
    s.resources = ScreenResources::Acquired;
    Patch(patches[i], s.device.Get());
    g_patched[i] = &patches[i];
  }
  saver.screenDeviceCount = 2;

  patches[1].lost = true;
  saver.StepFrame();
  EXPECT_EQ(drawnScreens[0], 1u);  // the first screen drew, the second did not
  EXPECT_EQ(patches[0].presents + patches[1].presents, 0);

  step = 1;
  patches[1].lost = false;
  saver.StepFrame();
  EXPECT_EQ(drawnScreens[1], 3u);
  EXPECT_EQ(patches[0].presents, 1);
  EXPECT_EQ(patches[1].presents, 1);
  EXPECT_EQ(saver.releases, 0);

  for (unsigned i = 0; i < 2; ++i) {
    Unpatch(patches[i]);
    g_patched[i] = nullptr;
  }
}

TEST(IdleLoop, WithTheErrorSetNoDeviceOpensAndTheBoxMovesFromTheFirstTurn) {
  TestSaver saver;
  saver.launchMode = LaunchMode::Test;
  saver.CollectMonitors();
  ASSERT_EQ(saver.OpenOutputWindows(), S_OK);
  saver.StoreError(HRESULT(0x8200000E));
  // Ends the loop once the box has moved (on a loaded machine the first idle turns can take a
  // while), or after ten seconds, and the check below fails.
  static TestSaver* watched;
  static DWORD started;
  watched = &saver;
  started = GetTickCount();
  SetTimer(saver.mainWindow, 77, 50, [](HWND w, UINT, UINT_PTR id, DWORD) {
    if (watched->monitors[0].errorBox.x <= 150 && GetTickCount() - started < 10000) return;
    KillTimer(w, id);
    PostQuitMessage(0);
  });
  EXPECT_EQ(saver.RunIdleLoop(), S_OK);
  EXPECT_EQ(saver.creates, 0);
  EXPECT_EQ(saver.screenDeviceCount, 0u);
  EXPECT_FLOAT_EQ(saver.monitors[0].errorBox.width, 300);
  EXPECT_GT(saver.monitors[0].errorBox.x, 150);  // it has moved
  EXPECT_STREQ(saver.errorText, L"Could not create the Direct3D device.");
  saver.launchMode = LaunchMode::Settings;
  DestroyWindow(saver.mainWindow);
}

// A preview whose window is gone without its WM_DESTROY having ended the run (a parent whose
// program was killed) ends the loop at its next idle turn, and a preview that never had a
// window has nothing to wait for.
TEST(IdleLoop, PreviewEndsWhenItsWindowIsGone) {
  PlainWindow parent(0, 0, 160, 120);
  TestSaver saver;
  ASSERT_EQ(saver.OpenPreview(parent.hwnd), S_OK);
  EXPECT_FALSE(saver.PreviewWindowGone());
  for (LaunchMode mode : {LaunchMode::FullScreen, LaunchMode::Test, LaunchMode::Settings}) {
    saver.launchMode = mode;
    EXPECT_FALSE(saver.PreviewWindowGone()) << int(mode);
  }
  saver.launchMode = LaunchMode::Settings;  // the destruction itself ends nothing
  DestroyWindow(parent.hwnd);
  TakeQuitMessage();
  saver.launchMode = LaunchMode::Preview;
  EXPECT_TRUE(saver.PreviewWindowGone());
  // Should the loop not end by itself, this ends it and the count below fails.
  const UINT_PTR guard = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
  EXPECT_EQ(saver.RunIdleLoop(), S_OK);
  KillTimer(nullptr, guard);
  EXPECT_EQ(saver.quits, 1);

  TestSaver windowless;
  windowless.launchMode = LaunchMode::Preview;
  EXPECT_TRUE(windowless.PreviewWindowGone());
}
