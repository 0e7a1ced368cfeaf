// Adapter enumeration and the choice of device type, display mode, behaviour and depth
// format, on a stand-in Direct3D object for the cases the platform cannot produce.
#include <gtest/gtest.h>

#include <cwchar>
#include <memory>

#include "shell/CMoireScreensaver.h"
#include "shell/SaverError.h"
#include "tests/shell/FakeDirect3D.h"
#include "tests/shell/TestSaver.h"

namespace {
HMONITOR FakeMonitor(int i) { return reinterpret_cast<HMONITOR>(INT_PTR(0x7000 + i)); }

class DeviceChoice : public ::testing::Test {
 protected:
  // One monitor record per fake adapter, each on its own (made-up) monitor handle.
  void Attach(unsigned adapters) {
    fake.adapters.resize(adapters);
    saver.monitorCount = adapters < kMaxMonitors ? adapters : kMaxMonitors;
    for (unsigned i = 0; i < adapters; ++i) {
      fake.adapters[i].monitor = FakeMonitor(int(i));
      if (i < saver.monitorCount) {
        saver.monitors[i] = MonitorEntry{};
        saver.monitors[i].monitor = FakeMonitor(int(i));
        saver.monitors[i].adapterIndex = -1;
        saver.monitors[i].window = window.hwnd;
      }
    }
    saver.d3d = ComRef<IDirect3D9>::Share(&fake);
    saver.mainWindow = window.hwnd;
    saver.useDepthBuffer = 1;
  }
  const DeviceTypeEntry& Type(unsigned adapter, unsigned t = 0) { return saver.adapters[adapter]->deviceTypes[t]; }
  const CreateDeviceCall& LastCreate() { return fake.createCalls.back(); }

  FakeDirect3D fake;
  PlainWindow window;
  TestSaver saver;
};
}  // namespace

TEST_F(DeviceChoice, ListsAtMost150ModesInEnumerationOrderThenSorts) {
  Attach(1);
  for (UINT w = 840; w > 640; --w) fake.adapters[0].modes.push_back(Mode(w, 480));  // 200 modes, widest first
  ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
  const DeviceTypeEntry& hal = Type(0);
  ASSERT_EQ(hal.modeCount, 150u);
  EXPECT_EQ(hal.modes[0].width, 691u);
  EXPECT_EQ(hal.modes[149].width, 840u);
  for (unsigned i = 1; i < hal.modeCount; ++i) EXPECT_LT(hal.modes[i - 1].width, hal.modes[i].width);
}

TEST_F(DeviceChoice, SmallModesAreNeverListedAndRefreshRatesMerge) {
  Attach(1);
  fake.adapters[0].modes = {Mode(320, 200), Mode(639, 480), Mode(640, 399), Mode(800, 600, D3DFMT_X8R8G8B8, 75),
                            Mode(640, 400),  Mode(800, 600, D3DFMT_X8R8G8B8, 60), Mode(800, 600, D3DFMT_R5G6B5)};
  ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
  const DeviceTypeEntry& hal = Type(0);
  ASSERT_EQ(hal.modeCount, 3u);
  EXPECT_EQ(hal.modes[0].width, 640u);
  EXPECT_EQ(hal.modes[0].height, 400u);
  // Same size: the larger format value first.
  EXPECT_EQ(hal.modes[1].format, D3DFMT_R5G6B5);
  EXPECT_EQ(hal.modes[2].format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(saver.monitors[0].adapterIndex, 0);
  EXPECT_EQ(saver.adapters[0]->monitorIndex, 0);
  EXPECT_TRUE(saver.adapters[0]->halUsable);
  EXPECT_TRUE(saver.adapters[0]->softwareUsable);
  EXPECT_EQ(saver.adapters[0]->deviceTypeCount, 2u);
  EXPECT_TRUE(hal.desktopFormatUsable);
  // Pure hardware processing accepted first, and the first depth format of the order.
  EXPECT_EQ(hal.modes[0].behaviourFlags, DWORD(D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE));
  EXPECT_EQ(hal.modes[0].depthFormat, D3DFMT_D16);
}

TEST_F(DeviceChoice, EnumerationStopsAtNineAdapters) {
  Attach(12);
  for (FakeAdapter& a : fake.adapters) a.modes = {Mode(1024, 768)};
  ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
  EXPECT_EQ(saver.adapterCount, 9u);
  for (unsigned a = 0; a < 9; ++a) EXPECT_NE(saver.adapters[a], nullptr);
}

TEST_F(DeviceChoice, BehaviourFlagsFollowTheOrderOfTries) {
  struct Case {
    DWORD accepted;  // the only flags AcceptDeviceCaps takes
    DWORD devCaps;
    DWORD expected;  // 0: none
  };
  const DWORD hwtl = D3DDEVCAPS_HWTRANSFORMANDLIGHT, pure = D3DDEVCAPS_PUREDEVICE;
  const Case cases[] = {
      {0x50, hwtl | pure, 0x50}, {0x40, hwtl | pure, 0x40}, {0x80, hwtl | pure, 0x80}, {0x20, hwtl | pure, 0x20},
      {0x50, hwtl, 0},           {0x40, hwtl, 0x40},        {0x40, 0, 0},             {0x20, 0, 0x20},
  };
  Attach(1);
  for (const Case& c : cases) {
    saver.acceptCaps = [&](const D3DCAPS9&, DWORD flags, D3DFORMAT) { return flags == c.accepted ? S_OK : E_FAIL; };
    D3DCAPS9 caps{};
    caps.DevCaps = c.devCaps;
    DWORD flags = 0;
    const bool ok = saver.ChooseBehaviourFlags(caps, D3DFMT_X8R8G8B8, &flags);
    EXPECT_EQ(ok, c.expected != 0) << std::hex << c.accepted << " " << c.devCaps;
    if (ok) {
      EXPECT_EQ(flags, c.expected);
    }
  }
}

TEST_F(DeviceChoice, DepthFormatIsTheFirstTheDeviceOffers) {
  Attach(1);
  fake.adapters[0].depthFormats = {D3DFMT_D32, D3DFMT_D24S8};
  D3DFORMAT depth = D3DFMT_UNKNOWN;
  ASSERT_TRUE(saver.ChooseDepthFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, &depth));
  EXPECT_EQ(depth, D3DFMT_D24S8);
  fake.adapters[0].depthFormats = {D3DFMT_D15S1};  // needs at most 15 bits: not with 16 asked
  EXPECT_FALSE(saver.ChooseDepthFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, &depth));
  // Without a depth format a display format is unusable, so nothing is listed.
  fake.adapters[0].modes = {Mode(1024, 768)};
  ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
  EXPECT_EQ(saver.adapters[0]->deviceTypeCount, 0u);
  EXPECT_FALSE(saver.adapters[0]->halUsable);
  EXPECT_TRUE(saver.adapters[0]->halCompatible);
}

TEST_F(DeviceChoice, HalOpensInDesktopSizePreferring32Bit) {
  Attach(1);
  fake.adapters[0].desktop = Mode(800, 600);
  fake.adapters[0].modes = {Mode(640, 480), Mode(800, 600, D3DFMT_R5G6B5), Mode(800, 600), Mode(1024, 768)};
  ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
  saver.launchMode = LaunchMode::FullScreen;
  ASSERT_EQ(saver.OpenScreenDevices(), S_OK);
  ASSERT_EQ(saver.screenDeviceCount, 1u);
  EXPECT_FALSE(saver.errorFlag);
  const CreateDeviceCall& call = LastCreate();
  EXPECT_EQ(call.type, D3DDEVTYPE_HAL);
  EXPECT_EQ(call.params.BackBufferWidth, 800u);
  EXPECT_EQ(call.params.BackBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_FALSE(call.params.Windowed);
  EXPECT_EQ(call.params.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(call.params.PresentationInterval, UINT(D3DPRESENT_INTERVAL_ONE));
  EXPECT_TRUE(call.params.EnableAutoDepthStencil);
  EXPECT_EQ(call.params.AutoDepthStencilFormat, D3DFMT_D16);
  EXPECT_EQ(call.behaviour, DWORD(D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE));
  EXPECT_EQ(saver.creates, 1);
  EXPECT_EQ(saver.acquires, 1);
  EXPECT_EQ(saver.screenDevices[0].resources, ScreenResources::Acquired);
  EXPECT_EQ(saver.mouseMoveCount, 0u);
}

TEST_F(DeviceChoice, WithoutADesktopSizedModeHalOpensInTheFirstListed) {
  Attach(1);
  fake.adapters[0].desktop = Mode(1280, 1024);
  fake.adapters[0].modes = {Mode(1024, 768), Mode(800, 600), Mode(800, 480)};
  ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
  saver.launchMode = LaunchMode::FullScreen;
  saver.OpenScreenDevices();
  ASSERT_EQ(saver.screenDeviceCount, 1u);
  EXPECT_EQ(LastCreate().params.BackBufferWidth, 800u);
  EXPECT_EQ(LastCreate().params.BackBufferHeight, 480u);
}

TEST_F(DeviceChoice, SoftwareTypeTakesTheLowestHeightButNot400) {
  Attach(1);
  fake.adapters[0].modes = {Mode(640, 400), Mode(800, 600), Mode(640, 480), Mode(720, 480, D3DFMT_R5G6B5),
                            Mode(1024, 480)};
  ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
  saver.adapters[0]->disableHardware = 1;
  saver.launchMode = LaunchMode::FullScreen;
  saver.OpenScreenDevices();
  ASSERT_EQ(saver.screenDeviceCount, 1u);
  EXPECT_EQ(LastCreate().type, D3DDEVTYPE_SW);
  // Height 480: 640, then 720 (16-bit) replaces it; the later 1024 does not.
  EXPECT_EQ(LastCreate().params.BackBufferWidth, 720u);
  EXPECT_EQ(LastCreate().params.BackBufferFormat, D3DFMT_R5G6B5);
}

TEST_F(DeviceChoice, DisabledHardwareWithoutSoftwareLeavesTheMonitorBlack) {
  Attach(2);
  for (FakeAdapter& a : fake.adapters) a.modes = {Mode(1024, 768)};
  fake.adapters[1].software = false;
  ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
  saver.adapters[1]->disableHardware = 1;
  saver.launchMode = LaunchMode::FullScreen;
  saver.OpenScreenDevices();
  EXPECT_FALSE(saver.errorFlag);
  ASSERT_EQ(saver.screenDeviceCount, 1u);
  EXPECT_EQ(saver.screenDevices[0].adapterOrdinal, 0u);
  EXPECT_TRUE(saver.adapters[1]->leaveBlack);
  EXPECT_EQ(fake.createCalls.size(), 1u);
}

TEST_F(DeviceChoice, FailedCreationStepsDownAndWritesTheModeBack) {
  const wchar_t key[] = L"Software\\Tevrana\\ShellTest\\StepDown\\";
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tevrana\\ShellTest\\StepDown");
  wcscpy(saver.settingsKeyPath, key);
  Attach(1);
  fake.adapters[0].modes = {Mode(640, 480), Mode(800, 600), Mode(1024, 768)};
  fake.createSucceeds = [](const CreateDeviceCall& c) { return c.params.BackBufferWidth <= 800; };
  ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
  saver.launchMode = LaunchMode::FullScreen;
  saver.OpenScreenDevices();
  EXPECT_FALSE(saver.errorFlag);
  ASSERT_EQ(saver.screenDeviceCount, 1u);
  ASSERT_EQ(fake.createCalls.size(), 2u);
  EXPECT_EQ(fake.createCalls[0].params.BackBufferWidth, 1024u);
  EXPECT_EQ(fake.createCalls[1].params.BackBufferWidth, 800u);
  EXPECT_EQ(saver.adapters[0]->storedWidth, 800u);
  EXPECT_EQ(saver.adapters[0]->storedHeight, 600u);
  EXPECT_EQ(saver.adapters[0]->storedFormat, UINT(D3DFMT_X8R8G8B8));
  EXPECT_EQ(Type(0).currentMode, 1u);

  HKEY screen = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tevrana\\ShellTest\\StepDown\\Screen 1", 0, KEY_READ, &screen),
            ERROR_SUCCESS);
  auto dword = [&](const wchar_t* name) {
    DWORD v = 0, size = sizeof(v), type = 0;
    EXPECT_EQ(RegQueryValueExW(screen, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    return v;
  };
  EXPECT_EQ(dword(L"Width"), 800u);
  EXPECT_EQ(dword(L"Height"), 600u);
  EXPECT_EQ(dword(L"Format"), DWORD(D3DFMT_X8R8G8B8));
  GUID id{};
  DWORD size = sizeof(id), type = 0;
  ASSERT_EQ(RegQueryValueExW(screen, L"Adapter ID", nullptr, &type, reinterpret_cast<BYTE*>(&id), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_BINARY));
  EXPECT_TRUE(EqualAdapterIds(id, fake.adapters[0].deviceId));
  RegCloseKey(screen);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tevrana\\ShellTest\\StepDown");
}

TEST_F(DeviceChoice, CreationFailingInEveryModeStoresTheDeviceError) {
  Attach(1);
  fake.adapters[0].modes = {Mode(640, 480), Mode(1024, 768)};
  fake.createSucceeds = [](const CreateDeviceCall&) { return false; };
  ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
  saver.launchMode = LaunchMode::FullScreen;
  saver.OpenScreenDevices();
  EXPECT_TRUE(saver.errorFlag);
  EXPECT_EQ(saver.errorCode, AsHResult(SaverError::CreateDeviceFailed));
  EXPECT_EQ(saver.screenDeviceCount, 0u);
  EXPECT_EQ(fake.createCalls.size(), 2u);
  EXPECT_EQ(saver.creates, 0);  // no resources after a stored error
  EXPECT_EQ(saver.adapters[0]->storedWidth, 0u);
}

TEST_F(DeviceChoice, StoredModeIsUsedWhileListedElseAutomatic) {
  Attach(1);
  fake.adapters[0].modes = {Mode(640, 480), Mode(800, 600), Mode(1024, 768)};
  ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
  saver.launchMode = LaunchMode::FullScreen;
  AdapterEntry& a = *saver.adapters[0];
  a.storedWidth = 640, a.storedHeight = 480, a.storedFormat = D3DFMT_X8R8G8B8;
  ScreenDevice screen{};
  ASSERT_EQ(saver.OpenFullScreenDevice(screen), S_OK);
  EXPECT_EQ(LastCreate().params.BackBufferWidth, 640u);
  screen.device.Reset();
  a.storedWidth = 1280, a.storedHeight = 1024;  // no longer listed
  ASSERT_EQ(saver.OpenFullScreenDevice(screen), S_OK);
  EXPECT_EQ(LastCreate().params.BackBufferWidth, 1024u);  // the desktop size
  EXPECT_EQ(a.storedWidth, 1280u);                       // no step-down, nothing rewritten
}

TEST_F(DeviceChoice, WindowedDeviceUsesTheDesktopFormat) {
  Attach(1);
  fake.adapters[0].modes = {Mode(1024, 768)};
  ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
  saver.launchMode = LaunchMode::Test;
  saver.OpenScreenDevices();
  EXPECT_FALSE(saver.errorFlag);
  ASSERT_EQ(saver.screenDeviceCount, 1u);
  EXPECT_TRUE(saver.windowed);
  const CreateDeviceCall& call = LastCreate();
  EXPECT_TRUE(call.params.Windowed);
  EXPECT_EQ(call.params.BackBufferWidth, 0u);
  EXPECT_EQ(call.params.BackBufferFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(call.params.SwapEffect, D3DSWAPEFFECT_COPY);
  EXPECT_EQ(call.params.hDeviceWindow, window.hwnd);
}

TEST_F(DeviceChoice, WindowedFailuresStoreTheModesCodes) {
  struct Case {
    LaunchMode mode;
    bool anyAdapter;
    SaverError expected;
  };
  const Case cases[] = {
      {LaunchMode::Preview, true, SaverError::NoPreview},
      {LaunchMode::Test, true, SaverError::CreateDeviceFailed},
      {LaunchMode::Preview, false, SaverError::CreateDeviceFailed},
  };
  for (const Case& c : cases) {
    FakeDirect3D fake2;
    TestSaver s;
    fake2.adapters.resize(1);
    fake2.adapters[0].monitor = FakeMonitor(0);
    fake2.adapters[0].modes = {Mode(1024, 768)};
    s.monitorCount = 1;
    s.monitors[0].monitor = FakeMonitor(0);
    s.monitors[0].window = window.hwnd;
    s.mainWindow = window.hwnd;
    s.d3d = ComRef<IDirect3D9>::Share(&fake2);
    ASSERT_EQ(s.EnumerateAdapters(), S_OK);
    if (!c.anyAdapter) s.monitors[0].adapterIndex = -1;
    fake2.createSucceeds = [](const CreateDeviceCall&) { return false; };
    s.launchMode = c.mode;
    s.OpenScreenDevices();
    EXPECT_TRUE(s.errorFlag);
    EXPECT_EQ(s.errorCode, AsHResult(c.expected)) << int(c.mode) << " " << c.anyAdapter;
    EXPECT_EQ(s.screenDeviceCount, 0u);
  }
  g_saver = &saver;
}

TEST_F(DeviceChoice, PickWindowedAdapterPrefersHardwareThenTheLastSoftware) {
  Attach(3);
  for (FakeAdapter& a : fake.adapters) a.modes = {Mode(1024, 768)};
  fake.adapters[0].hal = fake.adapters[1].hal = fake.adapters[2].hal = false;
  ASSERT_EQ(saver.EnumerateAdapters(), S_OK);
  UINT a = 99;
  ASSERT_TRUE(saver.PickWindowedAdapter(&a));
  EXPECT_EQ(a, 2u);
  saver.adapters[1]->halUsable = 1;
  ASSERT_TRUE(saver.PickWindowedAdapter(&a));
  EXPECT_EQ(a, 1u);
}

TEST(DeviceType, HardwareUnlessDisabledThenSoftwareAndWindowedOnlyInTheDesktopFormat) {
  struct Case {
    const char* name;
    bool halOnDesktop, softwareOnDesktop, disableHardware, withSoftware;
    unsigned fullScreen, windowed;  // the chosen type's place, or kNoDeviceType
  };
  const Case cases[] = {
      {"both render on the desktop", true, true, false, true, 0, 0},
      {"hardware disabled", true, true, true, true, 1, 1},
      {"hardware without the desktop's format", false, true, false, true, 0, 1},
      {"neither in the desktop's format", false, false, false, true, 0, kNoDeviceType},
      {"hardware disabled and no software", true, false, true, false, kNoDeviceType, kNoDeviceType},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto adapter = std::make_unique<AdapterEntry>();
    adapter->deviceTypes[0].deviceType = D3DDEVTYPE_HAL;
    adapter->deviceTypes[0].desktopFormatUsable = c.halOnDesktop;
    adapter->deviceTypes[1].deviceType = D3DDEVTYPE_SW;
    adapter->deviceTypes[1].desktopFormatUsable = c.softwareOnDesktop;
    adapter->deviceTypeCount = c.withSoftware ? 2 : 1;
    adapter->disableHardware = c.disableHardware;
    EXPECT_EQ(ChooseDeviceType(*adapter, false), c.fullScreen);
    EXPECT_EQ(ChooseDeviceType(*adapter, true), c.windowed);
  }
}

TEST_F(DeviceChoice, FullScreenAndWindowedPresentParametersDifferOnlyWhereTheyMust) {
  const DisplayModeEntry mode{1024, 768, D3DFMT_X8R8G8B8, D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DFMT_D24S8};
  const D3DPRESENT_PARAMETERS full = saver.PresentParams(mode, window.hwnd, false);
  const D3DPRESENT_PARAMETERS windowed = saver.PresentParams(DisplayModeEntry{0, 0, D3DFMT_A8R8G8B8, 0, D3DFMT_D16},
                                                             window.hwnd, true);
  EXPECT_EQ(full.BackBufferWidth, 1024u);
  EXPECT_EQ(full.BackBufferHeight, 768u);
  EXPECT_EQ(full.AutoDepthStencilFormat, D3DFMT_D24S8);
  EXPECT_FALSE(full.Windowed);
  EXPECT_EQ(full.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(full.PresentationInterval, UINT(D3DPRESENT_INTERVAL_ONE));
  EXPECT_EQ(windowed.BackBufferWidth, 0u);  // the window's client size
  EXPECT_EQ(windowed.BackBufferFormat, D3DFMT_A8R8G8B8);
  EXPECT_TRUE(windowed.Windowed);
  EXPECT_EQ(windowed.SwapEffect, D3DSWAPEFFECT_COPY);
  EXPECT_EQ(windowed.PresentationInterval, UINT(D3DPRESENT_INTERVAL_DEFAULT));
  for (const D3DPRESENT_PARAMETERS& pp : {full, windowed}) {
    EXPECT_EQ(pp.BackBufferCount, 1u);
    EXPECT_EQ(pp.hDeviceWindow, window.hwnd);
    EXPECT_EQ(pp.EnableAutoDepthStencil, saver.useDepthBuffer);
    EXPECT_EQ(pp.FullScreen_RefreshRateInHz, 0u);
  }
}

TEST(AcceptDeviceCaps, NeedsBumpMappingAndV8U8) {
  FakeDirect3D fake;
  fake.adapters.resize(1);
  CMoireScreensaver app;
  app.d3d = ComRef<IDirect3D9>::Share(&fake);
  D3DCAPS9 caps;
  fake.GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps);
  EXPECT_EQ(app.AcceptDeviceCaps(caps, D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DFMT_X8R8G8B8), S_OK);
  fake.adapters[0].v8u8 = false;
  EXPECT_EQ(app.AcceptDeviceCaps(caps, D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DFMT_X8R8G8B8), E_FAIL);
  fake.adapters[0].v8u8 = true;
  caps.TextureOpCaps &= ~DWORD(D3DTEXOPCAPS_BUMPENVMAP);
  EXPECT_EQ(app.AcceptDeviceCaps(caps, D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DFMT_X8R8G8B8), E_FAIL);
  app.d3d.Reset();
  g_saver = nullptr;
}

TEST(AcceptDeviceCaps, RealDeviceOffersWhatTheSceneNeeds) {
  CMoireScreensaver app;
  app.d3d = ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
  ASSERT_TRUE(app.d3d);
  app.CollectMonitors();
  ASSERT_EQ(app.EnumerateAdapters(), S_OK);
  ASSERT_GE(app.adapterCount, 1u);
  EXPECT_TRUE(app.adapters[0]->halUsable);
  EXPECT_TRUE(app.adapters[0]->deviceTypes[0].desktopFormatUsable);
  EXPECT_EQ(app.monitors[0].adapterIndex, 0);
  app.FreeAdapters();
  g_saver = nullptr;
}

namespace {
struct StepCase {
  std::vector<DisplayModeEntry> modes;
  unsigned current;
  int expected;  // -1: no smaller mode
};
void PrintTo(const StepCase& c, std::ostream* os) {
  for (const DisplayModeEntry& m : c.modes) *os << m.width << "x" << m.height << "/" << int(m.format) << " ";
  *os << "from " << c.current;
}

DisplayModeEntry M(UINT w, UINT h, D3DFORMAT f = D3DFMT_X8R8G8B8) { return DisplayModeEntry{w, h, f, 0, D3DFMT_D16}; }

class StepDown : public ::testing::TestWithParam<StepCase> {};
}  // namespace

TEST_P(StepDown, SelectsTheNextSmallerMode) {
  const StepCase& c = GetParam();
  static DeviceTypeEntry type;
  type = DeviceTypeEntry{};
  type.modeCount = unsigned(c.modes.size());
  for (size_t i = 0; i < c.modes.size(); ++i) type.modes[i] = c.modes[i];
  type.currentMode = c.current;
  EXPECT_EQ(StepDownDisplayMode(type), c.expected >= 0);
  EXPECT_EQ(type.currentMode, c.expected >= 0 ? unsigned(c.expected) : c.current);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StepDown,
    ::testing::Values(
        // Same size with fewer bits first.
        StepCase{{M(640, 480), M(800, 600, D3DFMT_R5G6B5), M(800, 600), M(1024, 768)}, 2, 1},
        // The largest smaller area; at equal area a 32-bit one replaces a 16-bit best.
        StepCase{{M(640, 480), M(800, 600, D3DFMT_R5G6B5), M(800, 600), M(1024, 768)}, 3, 2},
        StepCase{{M(640, 480), M(800, 600), M(800, 600, D3DFMT_R5G6B5), M(1024, 768)}, 3, 1},
        // A smaller 32-bit mode replaces a larger 16-bit best.
        StepCase{{M(800, 600, D3DFMT_R5G6B5), M(640, 480), M(1024, 768)}, 2, 1},
        StepCase{{M(640, 480), M(800, 600, D3DFMT_R5G6B5), M(1024, 768)}, 2, 1},
        // A 16-bit mode steps to a smaller area only.
        StepCase{{M(640, 480), M(800, 600, D3DFMT_R5G6B5), M(800, 600), M(1024, 768)}, 1, 0},
        StepCase{{M(1024, 768, D3DFMT_R5G6B5), M(1024, 768)}, 1, 0},
        // Nothing smaller.
        StepCase{{M(1024, 768, D3DFMT_R5G6B5), M(1024, 768)}, 0, -1},
        StepCase{{M(640, 480), M(800, 600)}, 0, -1},
        StepCase{{M(800, 600)}, 0, -1},
        // Area decides, not width.
        StepCase{{M(1280, 400), M(800, 600), M(1024, 768)}, 2, 0}),
    [](const ::testing::TestParamInfo<StepCase>& info) { return "case" + std::to_string(info.index); });
