// The resource cache: which of a record's sources wins, what is kept, and what is tried
// again, with the built resource module present and absent.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "document/DS_ResourceCache.h"
#include "tests/resources/ModuleSearch.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/TestDevice.h"

namespace {

// Picture 5 of the module is 800 x 600; the bytes the document carries here are 16 x 8.
const std::vector<uint8_t>& SmallPicture() {
  static const std::vector<uint8_t> bytes = SolidBmp(16, 8, 0x3366CC);
  return bytes;
}

DS_FileRecord ModuleRecord(int32_t id, bool withBytes) {
  return RecordWithBytes(withBytes ? SmallPicture() : std::vector<uint8_t>{}, L"", id, L"common_res.dll");
}

class ResourceCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(device.Ok()); }
  TestDevice device{64, 64};
  DS_ResourceCache cache;
};

TEST_F(ResourceCacheTest, ModulePresentItsPictureWinsOverTheRecordsBytes) {
  SetCommonResPresent(true);
  DS_TextureInfo first = cache.LoadTexture(ModuleRecord(5, true));
  ASSERT_TRUE(first.texture);
  EXPECT_EQ(first.width, 800u);
  EXPECT_EQ(first.height, 600u);
  EXPECT_FLOAT_EQ(first.aspect, 0.75f);
  DS_TextureInfo second = cache.LoadTexture(ModuleRecord(5, true));
  EXPECT_EQ(second.texture.Get(), first.texture.Get());
  EXPECT_EQ(cache.ModuleTextureCount(), 1u);
  EXPECT_EQ(cache.FallbackCount(), 0u);
}

TEST_F(ResourceCacheTest, ModulePresentWithoutThatPictureUsesTheBytes) {
  SetCommonResPresent(true);
  DS_TextureInfo info = cache.LoadTexture(ModuleRecord(9999, true));
  ASSERT_TRUE(info.texture);
  EXPECT_EQ(info.width, 16u);
  EXPECT_EQ(info.height, 8u);
}

TEST_F(ResourceCacheTest, ModuleAbsentTheBytesAreUsedAndCached) {
  SetCommonResPresent(false);
  DS_TextureInfo first = cache.LoadTexture(ModuleRecord(5, true));
  ASSERT_TRUE(first.texture);
  EXPECT_EQ(first.width, 16u);
  EXPECT_EQ(first.height, 8u);
  EXPECT_FLOAT_EQ(first.aspect, 0.5f);
  DS_TextureInfo second = cache.LoadTexture(ModuleRecord(5, true));
  EXPECT_EQ(second.texture.Get(), first.texture.Get());
  EXPECT_EQ(cache.FallbackCount(), 1u);
  EXPECT_EQ(cache.ModuleCount(), 0u);
  // Every holder has its own reference: the cache's entry, and the two copies.
  EXPECT_EQ(first.texture.RefCount(), 3u);
}

TEST_F(ResourceCacheTest, ModuleAbsentWithoutLoadableBytesGivesTheFallbackSizeAndTriesAgain) {
  SetCommonResPresent(false);
  DS_FileRecord record = RecordWithBytes({'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'}, L"", 5, L"common_res.dll");
  DS_TextureInfo info = cache.LoadTexture(record);
  EXPECT_FALSE(info.texture);
  EXPECT_EQ(info.width, 800u);
  EXPECT_EQ(info.height, 600u);
  EXPECT_FLOAT_EQ(info.aspect, 0.75f);
  // The entry holds no texture, so the next request loads again.
  EXPECT_TRUE(cache.LoadTexture(ModuleRecord(5, true)).texture);
}

TEST_F(ResourceCacheTest, AnAbsentModuleIsLookedForAgainAtTheNextRequest) {
  SetCommonResPresent(false);
  HMODULE handle = nullptr;
  EXPECT_FALSE(cache.GetModule(L"common_res.dll", handle));
  EXPECT_EQ(cache.ModuleCount(), 0u);
  SetCommonResPresent(true);
  EXPECT_TRUE(cache.GetModule(L"common_res.dll", handle));
  EXPECT_NE(handle, nullptr);
  EXPECT_EQ(cache.ModuleCount(), 1u);
}

TEST_F(ResourceCacheTest, ANamedRecordWithBytesMakesANewTextureEveryTime) {
  DS_FileRecord record = RecordWithBytes(SmallPicture(), L"C:\\pictures\\sea.bmp");
  DS_TextureInfo first = cache.LoadTexture(record);
  DS_TextureInfo second = cache.LoadTexture(record);
  ASSERT_TRUE(first.texture);
  ASSERT_TRUE(second.texture);
  EXPECT_NE(first.texture.Get(), second.texture.Get());
  EXPECT_EQ(first.texture.RefCount(), 1u);  // nothing kept by the cache
  EXPECT_EQ(cache.FileTextureCount(), 0u);
}

TEST_F(ResourceCacheTest, ANamedRecordWithoutBytesIsLoadedFromItsFileAndCachedByName) {
  const wchar_t* path = L"cache_test_picture.bmp";
  {
    std::ofstream out("cache_test_picture.bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(SmallPicture().data()), std::streamsize(SmallPicture().size()));
  }
  DS_FileRecord record = RecordWithBytes({}, path);
  DS_TextureInfo first = cache.LoadTexture(record);
  DS_TextureInfo second = cache.LoadTexture(record);
  std::remove("cache_test_picture.bmp");
  ASSERT_TRUE(first.texture);
  EXPECT_EQ(first.width, 16u);
  EXPECT_EQ(second.texture.Get(), first.texture.Get());
  EXPECT_EQ(cache.FileTextureCount(), 1u);
}

TEST_F(ResourceCacheTest, BuiltinTextureIsMadeOnceWithOneMoreReferencePerCall) {
  ComRef<IDirect3DTexture9> first = cache.GetBuiltinTexture(54);
  ASSERT_TRUE(first);
  ULONG before = first.RefCount();
  ComRef<IDirect3DTexture9> second = cache.GetBuiltinTexture(54);
  EXPECT_EQ(second.Get(), first.Get());
  EXPECT_EQ(first.RefCount(), before + 1);
  // The program carries no resource 61: null, and no crash.
  EXPECT_FALSE(cache.GetBuiltinTexture(61));
}

TEST_F(ResourceCacheTest, IdsBeyondSixteenBitsFetchNoResourceByTheirLowBits) {
  EXPECT_FALSE(cache.GetBuiltinTexture(0x10000 + 54));
  EXPECT_FALSE(cache.GetBuiltinTexture(-65536 + 54));
  EXPECT_FALSE(cache.LoadTexture(DS_FileRecord(0x10000 + 54, ProgramPath())).texture);
  EXPECT_EQ(cache.GetModuleMesh(DS_FileRecord(0x10000 + 990, ProgramPath()), 32).vertexCount, 0u);
}

TEST_F(ResourceCacheTest, ModuleAbsentMeshFromTheRecordsBytesIsNotCached) {
  SetCommonResPresent(false);
  DS_FileRecord record(3, L"common_res.dll");
  record.SetData(int32_t(sizeof kQuadMeshText - 1), kQuadMeshText);
  DS_MeshRecord first = cache.GetModuleMesh(record, 32);
  EXPECT_EQ(first.vertexCount, 4u);
  EXPECT_EQ(first.faceCount, 2u);
  DS_MeshRecord second = cache.GetModuleMesh(record, 32);
  EXPECT_NE(first.vertexBuffer.Get(), second.vertexBuffer.Get());
}

TEST_F(ResourceCacheTest, ALoadedModulesMeshIsMadeOnceByItsId) {
  DS_FileRecord record(990, ProgramPath());
  DS_MeshRecord first = cache.GetModuleMesh(record, 32);
  ASSERT_EQ(first.vertexCount, 4u);
  EXPECT_EQ(first.faceCount, 2u);
  DS_MeshRecord second = cache.GetModuleMesh(record, 32);
  EXPECT_EQ(second.vertexBuffer.Get(), first.vertexBuffer.Get());
  EXPECT_EQ(second.indexBuffer.Get(), first.indexBuffer.Get());
  // Keyed by the id alone, whatever the module.
  DS_FileRecord sameId(990, L"common_res.dll");
  EXPECT_EQ(cache.GetModuleMesh(sameId, 32).vertexBuffer.Get(), first.vertexBuffer.Get());
}

TEST_F(ResourceCacheTest, ALoadedModuleWithoutTheMeshGivesNoneAndIsAskedAgain) {
  SetCommonResPresent(true);
  DS_FileRecord record(990, L"common_res.dll");
  record.SetData(int32_t(sizeof kQuadMeshText - 1), kQuadMeshText);  // the module wins: not used
  EXPECT_EQ(cache.GetModuleMesh(record, 32).vertexCount, 0u);
  // Nothing was kept for the id: a module that has it gives it at the next request.
  DS_FileRecord program(990, ProgramPath());
  EXPECT_EQ(cache.GetModuleMesh(program, 32).vertexCount, 4u);
}

TEST_F(ResourceCacheTest, ALoadedModulesPictureIsCachedByHandleAndId) {
  DS_FileRecord record(54, ProgramPath());
  DS_TextureInfo first = cache.LoadTexture(record);
  ASSERT_TRUE(first.texture);
  EXPECT_EQ(first.width, 8u);
  EXPECT_EQ(cache.LoadTexture(record).texture.Get(), first.texture.Get());
  EXPECT_EQ(cache.ModuleCount(), 1u);
  EXPECT_EQ(cache.ModuleTextureCount(), 1u);
  EXPECT_EQ(cache.FallbackCount(), 0u);
}

TEST(ResourceCacheKeys, FallbackKeysOrderByModuleUnitsThenSignedId) {
  ModuleResourceKeyLess less;
  EXPECT_TRUE(less({L"a.dll", 7}, {L"b.dll", -5}));
  EXPECT_TRUE(less({L"a.dll", -1}, {L"a.dll", 0}));
  EXPECT_TRUE(less({L"a", 100}, {L"a.dll", 0}));
  EXPECT_TRUE(less({L"Z", 0}, {std::wstring(1, wchar_t(0xE9)), 0}));  // unsigned units
  EXPECT_FALSE(less({L"a.dll", 7}, {L"a.dll", 7}));
}

}  // namespace
