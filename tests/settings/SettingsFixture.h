#pragma once
// The fixture of every settings test: a clean settings key, the application object in the
// settings mode, and registry read-back helpers. Tests of this executable share the key (and
// the browser command), so they run one at a time even when CTest starts them in parallel.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/CMoireScreensaver.h"

inline constexpr wchar_t kSettingsKey[] = L"Software\\Quillfen\\Lumetra\\Screensaver";

std::optional<DWORD> ReadDword(const std::wstring& subkey, const wchar_t* name);
std::optional<std::vector<BYTE>> ReadBinary(const std::wstring& subkey, const wchar_t* name);
void WriteDword(const std::wstring& subkey, const wchar_t* name, DWORD value);
void WriteBinary(const std::wstring& subkey, const wchar_t* name, const void* data, DWORD size);
std::wstring ScreenKey(unsigned monitorIndex);  // "Screen %d" of a 0-based monitor index
std::wstring LoadText(UINT id);

struct FakeAdapterFlags {
  int halCompatible = 1, halUsable = 1, softwareCompatible = 0, softwareUsable = 0;
};

// Three full-screen modes every fake adapter lists for its HAL type, in list order.
struct FakeMode {
  UINT width, height;
  D3DFORMAT format;
};
inline constexpr FakeMode kFakeModes[] = {
    {640, 480, D3DFMT_X8R8G8B8}, {800, 600, D3DFMT_R5G6B5}, {1024, 768, D3DFMT_X8R8G8B8}};

GUID FakeAdapterId(unsigned n);

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The monitors and adapters this machine has (start-up's enumeration).
  void UseRealTables();
  // `count` monitors, monitor i on fake adapter i, all with the same flags.
  void UseFakeTables(unsigned count, FakeAdapterFlags flags = {});
  AdapterEntry& Adapter(unsigned i) { return *saver->adapters[i]; }

  std::unique_ptr<CMoireScreensaver> saver;

 private:
  HANDLE lock_ = nullptr;
};
