// The built "common_res.dll" beside the test: every entry of its list can be found and
// loaded by type and numeric id, holds the file's bytes, and is usable for its kind.
#include <gtest/gtest.h>

#include "tests/effects/EffectTestSupport.h"
#include "tests/support/TestDevice.h"

namespace {

std::vector<ModuleEntry> ModuleEntries() { return ReadModuleEntries(COMMON_RES_ENTRIES_LIST); }

std::vector<uint8_t> LoadModuleResource(HMODULE module, const ModuleEntry& e) {
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(e.id), e.type == "RCDATA" ? RT_RCDATA : L"DDS");
  if (!info) return {};
  DWORD size = SizeofResource(module, info);
  HGLOBAL handle = LoadResource(module, info);
  const void* p = handle ? LockResource(handle) : nullptr;
  if (!p || !size) return {};
  return std::vector<uint8_t>(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + size);
}

TEST(ResourceModule, EveryEntryLoadsByTypeAndIdWithTheFilesBytes) {
  HMODULE module = LoadLibraryW(L"common_res.dll");
  ASSERT_NE(module, nullptr);
  auto entries = ModuleEntries();
  ASSERT_FALSE(entries.empty());
  TestDevice dev(16, 16);
  ASSERT_TRUE(dev.Ok());
  for (auto& e : entries) {
    SCOPED_TRACE(e.type + " " + std::to_string(e.id) + " " + e.path);
    auto bytes = LoadModuleResource(module, e);
    ASSERT_FALSE(bytes.empty()) << "not found";
    EXPECT_EQ(bytes, ReadFileBytes(e.path));
    if (e.type == "RCDATA") {
      EXPECT_TRUE(CreateEffectFromBytes(dev.Device(), bytes)) << "not a loadable effect";
    } else {
      // A "DDS" entry is a picture or a mesh or a picture package; pictures must decode.
      std::string ext = e.path.substr(e.path.find_last_of('.') + 1);
      if (ext == "png" || ext == "jpg" || ext == "dds") {
        D3DXIMAGE_INFO info;
        EXPECT_EQ(D3DXGetImageInfoFromFileInMemory(bytes.data(), UINT(bytes.size()), &info), D3D_OK);
      }
    }
  }
}

TEST(ResourceModule, TypesAndIdsAreNotMixedUp) {
  HMODULE module = LoadLibraryW(L"common_res.dll");
  ASSERT_NE(module, nullptr);
  for (auto& e : ModuleEntries()) {
    ModuleEntry other = e;
    other.type = e.type == "RCDATA" ? "DDS" : "RCDATA";
    bool listed = false;
    for (auto& o : ModuleEntries()) listed |= o.type == other.type && o.id == e.id;
    if (!listed) {
      EXPECT_TRUE(LoadModuleResource(module, other).empty()) << e.id << " found under the other type";
    }
  }
}

TEST(ResourceModule, DefaultSlidePictureIsThere) {
  HMODULE module = LoadLibraryW(L"common_res.dll");
  ASSERT_NE(module, nullptr);
  auto bytes = LoadModuleResource(module, {"DDS", 5, ""});
  ASSERT_FALSE(bytes.empty());
  D3DXIMAGE_INFO info;
  ASSERT_EQ(D3DXGetImageInfoFromFileInMemory(bytes.data(), UINT(bytes.size()), &info), D3D_OK);
  EXPECT_EQ(info.Width, 800u);
  EXPECT_EQ(info.Height, 600u);
}

}  // namespace
