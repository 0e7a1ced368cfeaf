#include "tests/settings/SettingsFixture.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <cwchar>

#include "shell/Settings.h"

namespace {

// GDI+ for the dialog's picture, started once as the program's entry does.
class GdiplusEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
  }

 private:
  ULONG_PTR token_ = 0;
};
[[maybe_unused]] ::testing::Environment* const g_gdiplus =
    ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

std::wstring FullKey(const std::wstring& subkey) {
  return subkey.empty() ? std::wstring(kSettingsKey) : std::wstring(kSettingsKey) + L"\\" + subkey;
}

}  // namespace

std::optional<DWORD> ReadDword(const std::wstring& subkey, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, FullKey(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  DWORD value = 0, type = 0, size = sizeof(value);
  LONG result = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
  return value;
}

std::optional<std::vector<BYTE>> ReadBinary(const std::wstring& subkey, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, FullKey(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  std::vector<BYTE> data(64);
  DWORD type = 0, size = DWORD(data.size());
  LONG result = RegQueryValueExW(key, name, nullptr, &type, data.data(), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_BINARY) return std::nullopt;
  data.resize(size);
  return data;
}

void WriteDword(const std::wstring& subkey, const wchar_t* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, FullKey(subkey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
}

void WriteBinary(const std::wstring& subkey, const wchar_t* name, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, FullKey(subkey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

std::wstring ScreenKey(unsigned monitorIndex) { return L"Screen " + std::to_wstring(monitorIndex + 1); }

std::wstring LoadText(UINT id) {
  wchar_t text[600] = {};
  LoadStringW(GetModuleHandleW(nullptr), id, text, 600);
  return text;
}

GUID FakeAdapterId(unsigned n) {
  GUID id{0x5e771000u + n, 0x1234, 0x5678, {0x9a, 0xbc, 0xde, 0xf0, 0x12, 0x34, 0x56, BYTE(0x70 + n)}};
  return id;
}

void SettingsTest::SetUp() {
  lock_ = CreateMutexW(nullptr, FALSE, L"TevranaSettingsTestsRegistry");
  ASSERT_NE(lock_, nullptr);
  DWORD waited = WaitForSingleObject(lock_, 240000);
  ASSERT_TRUE(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) << "another settings test kept the registry";

  RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
  ASSERT_FALSE(ReadDword(L"", L"AllScreensSame").has_value());

  g_picturePosition = kPicturePositionUnread;
  g_soundVolume = 100;
  g_soundBalance = 50;
  g_muteSound = 0;
  g_hInstance = GetModuleHandleW(nullptr);
  saver = std::make_unique<CMoireScreensaver>();
  saver->launchMode = LaunchMode::Settings;
  saver->instance = g_hInstance;
}

void SettingsTest::TearDown() {
  if (saver) saver->FreeAdapters();
  saver.reset();
  // Leave no settings behind for whatever runs next in this prefix.
  RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
  if (lock_) {
    ReleaseMutex(lock_);
    CloseHandle(lock_);
  }
}

void SettingsTest::UseRealTables() {
  saver->CollectMonitors();
  saver->d3d = ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
  ASSERT_TRUE(saver->d3d.Get());
  ASSERT_EQ(saver->EnumerateAdapters(), S_OK);
}

void SettingsTest::UseFakeTables(unsigned count, FakeAdapterFlags flags) {
  saver->FreeAdapters();
  saver->monitorCount = count;
  saver->adapterCount = count;
  HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  for (unsigned i = 0; i < count; ++i) {
    MonitorEntry& m = saver->monitors[i];
    m = MonitorEntry{};
    swprintf(m.adapterDescription, 128, L"Test Adapter %u", i + 1);
    m.monitor = primary;
    m.adapterIndex = int(i);

    auto* a = new AdapterEntry{};
    a->monitorIndex = int(i);
    a->identifier.DeviceIdentifier = FakeAdapterId(i);
    a->deviceTypeCount = 1;
    DeviceTypeEntry& type = a->deviceTypes[0];
    type.deviceType = D3DDEVTYPE_HAL;
    type.modeCount = 0;
    for (const FakeMode& mode : kFakeModes)
      type.modes[type.modeCount++] = DisplayModeEntry{mode.width, mode.height, mode.format, 0, D3DFMT_D16};
    a->halCompatible = flags.halCompatible;
    a->halUsable = flags.halUsable;
    a->softwareCompatible = flags.softwareCompatible;
    a->softwareUsable = flags.softwareUsable;
    a->chosenDeviceType = 0;
    saver->adapters[i].reset(a);
  }
}
