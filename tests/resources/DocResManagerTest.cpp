// The document resource manager: its record of versions 1 to 3, the textures made while it
// is read, and the lookups of effects, meshes and module pictures, with the built resource
// module present and absent.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "device/CurrentDevice.h"
#include "device/DefaultPool.h"
#include "device/TextureHelpers.h"
#include "document/DS_DocResManager.h"
#include "runtime/ScreenSelection.h"
#include "tests/resources/CompiledEffect.h"
#include "tests/resources/ManagerRecord.h"
#include "tests/resources/ModuleSearch.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/EffectsKeepingTextures.h"
#include "tests/support/TestDevice.h"

namespace {

const GUID kMaskGuid = {0x1234ABCD, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};

class DocResManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Ok());
    SetCommonResPresent(false);
  }

  // Reads the fields of a record of the version, to their last byte.
  static void Load(DS_DocResManager& manager, const ManagerRecord& record, int32_t version) {
    ReadBytes(record.Fields(version), [&](DS_IOF_Holder s) { EXPECT_TRUE(manager.ReadFields(s, version)); });
  }

  // Writes one manager's record and reads it into another, to its last byte.
  static void RoundTrip(DS_DocResManager& writer, DS_DocResManager& reader) {
    ReadBytes(WriteBytes([&](DS_IOF_Holder s) { writer.WriteRecord(s); }), [&](DS_IOF_Holder s) {
      const DS_RecordHeader header = ReadRecordHeader(s);
      EXPECT_EQ(header.className, L"DS_DocResManager");
      EXPECT_EQ(header.version, 3);
      reader.ReadFields(s, header.version);
    });
  }

  TestDevice device{64, 64};
};

ManagerRecord OneOfEach() {
  ManagerRecord r;
  r.images.push_back({Key(L"C:\\pictures\\sea.bmp", 100), {RecordWithBytes(SolidBmp(16, 8, 0xFF0000), L"sea.bmp")}});
  r.frameTimes.push_back({Key(L"C:\\pictures\\sea.bmp", 100), {0.5f}});
  r.files.push_back({Key(L"common_res.dll", 75), {RecordWithBytes({1, 2, 3}, L"", 75, L"common_res.dll")}});
  r.masks.push_back({kMaskGuid, SolidBmp(8, 8, 0xFFFFFF)});
  return r;
}

TEST_F(DocResManagerTest, EachVersionEndsAfterItsLastTable) {
  struct Case {
    int32_t version;
    bool hasFileTable;
    bool hasMask;
  };
  for (const Case& c : {Case{1, false, false}, Case{2, true, false}, Case{3, true, true}}) {
    SCOPED_TRACE(c.version);
    DS_DocResManager manager;
    Load(manager, OneOfEach(), c.version);
    DS_DocResTables& t = manager.Tables();
    EXPECT_TRUE(t.images.empty());
    EXPECT_TRUE(t.maskImages.empty());
    EXPECT_EQ(t.frameTimes.size(), 1u);  // kept
    EXPECT_EQ(t.files.size(), c.hasFileTable ? 1u : 0u);
    EXPECT_EQ(t.loadedFiles.count(Key(L"common_res.dll", 75)), c.hasFileTable ? 1u : 0u);
    EXPECT_EQ(t.loadedFiles.count(Key(L"C:\\pictures\\sea.bmp", 100)), 1u);
    ASSERT_EQ(t.textureSets.count(Key(L"C:\\pictures\\sea.bmp", 100)), 1u);
    EXPECT_TRUE(t.textureSets[Key(L"C:\\pictures\\sea.bmp", 100)].textures.at(0));
    EXPECT_EQ(t.guidTextures.size(), c.hasMask ? 1u : 0u);
    if (c.hasMask) {
      EXPECT_TRUE(t.guidTextures[kMaskGuid]);
    }
  }
}

TEST_F(DocResManagerTest, TwoRecordsGiveTwoTexturesTheSecondsSizeAndTheFrameTimes) {
  ManagerRecord r;
  const DS_LinkKey anim = Key(L"anim.bmp", 1), still = Key(L"still.bmp", 2);
  r.images.push_back({anim, {RecordWithBytes(SolidBmp(16, 8, 0xFF0000), L"a1"), RecordWithBytes(SolidBmp(8, 32, 0x00FF00), L"a2")}});
  r.images.push_back({still, {RecordWithBytes(SolidBmp(4, 4, 0x0000FF), L"s")}});
  r.frameTimes.push_back({anim, {0.25f, 0.75f}});
  r.frameTimes.push_back({still, {9.0f}});
  DS_DocResManager manager;
  Load(manager, r, 3);
  DS_TextureSet& a = manager.Tables().textureSets[anim];
  ASSERT_EQ(a.textures.size(), 2u);
  EXPECT_TRUE(a.textures[0] && a.textures[1]);
  EXPECT_NE(a.textures[0].Get(), a.textures[1].Get());
  EXPECT_EQ(a.width, 8u);
  EXPECT_EQ(a.height, 32u);
  EXPECT_FLOAT_EQ(a.aspect, 4.0f);
  EXPECT_EQ(a.frameTimes, (std::vector<float>{0.25f, 0.75f}));
  DS_TextureSet& s = manager.Tables().textureSets[still];
  EXPECT_EQ(s.textures.size(), 1u);
  EXPECT_TRUE(s.frameTimes.empty());
}

TEST_F(DocResManagerTest, TheFirstOfTwoEqualKeysWins) {
  ManagerRecord r;
  const DS_LinkKey k = Key(L"twice.bmp", 3);
  r.images.push_back({k, {RecordWithBytes(SolidBmp(16, 8, 0xFF0000), L"first")}});
  r.images.push_back({k, {RecordWithBytes(SolidBmp(32, 4, 0x00FF00), L"second")}});
  r.files.push_back({Key(L"f", 1), {RecordWithBytes({1}, L"first")}});
  r.files.push_back({Key(L"f", 1), {RecordWithBytes({2}, L"second")}});
  DS_DocResManager manager;
  Load(manager, r, 3);
  EXPECT_EQ(manager.Tables().textureSets[k].width, 16u);
  EXPECT_EQ(manager.Tables().loadedFiles[k].at(0).name, L"first");
  EXPECT_EQ(manager.Tables().files[Key(L"f", 1)].at(0).name, L"first");
}

TEST_F(DocResManagerTest, PicturesThatDoNotDecodeLeaveNullTexturesAndTheLoadGoesOn) {
  ManagerRecord r;
  r.images.push_back({Key(L"broken.bmp", 1), {RecordWithBytes({'B', 'M', 0, 0, 0}, L"broken.bmp")}});
  r.images.push_back({Key(L"empty.bmp", 2), {RecordWithBytes({}, L"")}});
  r.masks.push_back({kMaskGuid, {'x', 'y'}});
  DS_DocResManager manager;
  Load(manager, r, 3);
  DS_DocResTables& t = manager.Tables();
  ASSERT_EQ(t.textureSets[Key(L"broken.bmp", 1)].textures.size(), 1u);
  EXPECT_FALSE(t.textureSets[Key(L"broken.bmp", 1)].textures[0]);
  EXPECT_FALSE(t.textureSets[Key(L"empty.bmp", 2)].textures.at(0));
  EXPECT_FALSE(t.guidTextures[kMaskGuid]);
}

TEST_F(DocResManagerTest, ARecordCutShortStopsWithTheLoadError) {
  const RecordBytes full = OneOfEach().Fields(3);
  for (size_t cut : {size_t(2), full.size() / 3, full.size() / 2, full.size() - 2}) {
    SCOPED_TRACE(cut);
    const RecordBytes part(full.begin(), full.begin() + std::ptrdiff_t(cut));
    DS_DocResManager manager;
    EXPECT_THROW(ReadBytesLeavingRest(part, [&](DS_IOF_Holder s) { manager.ReadFields(s, 3); }), DS_LoadError);
  }
}

TEST_F(DocResManagerTest, NegativeTableCountsReadNoEntries) {
  const RecordBytes counts = WriteBytes([](DS_IOF_Holder s) {
    for (int32_t count : {-5, 0, -1, int32_t(0x80000000)}) s->WriteInt(count);  // images, times, files, masks
  });
  DS_DocResManager manager;
  ReadBytes(counts, [&](DS_IOF_Holder s) { EXPECT_TRUE(manager.ReadFields(s, 3)); });
  EXPECT_TRUE(manager.Tables().loadedFiles.empty());
  EXPECT_TRUE(manager.Tables().guidTextures.empty());
}

TEST_F(DocResManagerTest, ImageTexturesOfACarriedKeyComeFromTheLoadWithoutTheModule) {
  DS_DocResManager manager;
  Load(manager, OneOfEach(), 3);
  DS_FileLink3 carried(L"C:\\pictures\\sea.bmp", 100);
  DS_TextureSet& set = manager.GetImageTextures(carried);
  ASSERT_EQ(set.textures.size(), 1u);
  EXPECT_EQ(set.width, 16u);
  EXPECT_EQ(manager.Tables().loadedFiles[carried.Key()].size(), 1u);  // nothing appended
  EXPECT_EQ(manager.Cache().ModuleCount(), 0u);

  // Neither carried nor a module link: an empty set, which the light draws untextured.
  DS_TextureSet& none = manager.GetImageTextures(DS_FileLink3(L"C:\\elsewhere.jpg", 5));
  EXPECT_TRUE(none.textures.empty());
  EXPECT_EQ(none.width, 0u);
}

TEST_F(DocResManagerTest, ImageTexturesOfAModuleLinkTheDocumentDoesNotCarry) {
  for (bool present : {true, false}) {
    SCOPED_TRACE(present);
    SetCommonResPresent(present);
    DS_DocResManager manager;
    DS_TextureSet& set = manager.GetImageTextures(DS_FileLink3(5, L"COMMON_RES.DLL"));
    ASSERT_EQ(set.textures.size(), 1u);
    EXPECT_EQ(bool(set.textures[0]), present);
    if (present) {
      EXPECT_EQ(set.width, 800u);
      EXPECT_EQ(set.height, 600u);
    }
    EXPECT_EQ(manager.Tables().loadedFiles[Key(L"COMMON_RES.DLL", 5)].size(), 1u);
  }
}

TEST_F(DocResManagerTest, APicturePackageOfTheProgramStandsInForAnAbsentModule) {
  DS_DocResManager manager;
  DS_FileLink3 link(201, L"common_res.dll");
  DS_TextureSet& set = manager.LoadModuleImagePackage(link);
  ASSERT_EQ(set.textures.size(), 2u);
  EXPECT_TRUE(set.textures[0] && set.textures[1]);
  EXPECT_EQ(set.width, 4u);  // the last frame's size
  EXPECT_EQ(set.height, 1u);
  EXPECT_EQ(set.frameTimes, (std::vector<float>{0.25f, 0.5f}));
  EXPECT_EQ(manager.Tables().loadedFiles[link.Key()].size(), 2u);
  EXPECT_EQ(&manager.LoadModuleImagePackage(link), &set);
  // No package under that id, or one that does not parse (resource 54 is a PNG): empty.
  EXPECT_TRUE(manager.LoadModuleImagePackage(DS_FileLink3(202, L"common_res.dll")).textures.empty());
  EXPECT_TRUE(manager.LoadModuleImagePackage(DS_FileLink3(54, L"common_res.dll")).textures.empty());
}

TEST_F(DocResManagerTest, APicturePackageIsLookedForInTheModuleWhenItLoads) {
  SetCommonResPresent(true);
  DS_DocResManager manager;
  // The module has no package 201; the program's own one is not used.
  EXPECT_TRUE(manager.LoadModuleImagePackage(DS_FileLink3(201, L"common_res.dll")).textures.empty());
}

TEST_F(DocResManagerTest, AnEffectIsCreatedOnceAndEachCallAddsAReference) {
  std::vector<uint8_t> fx = Effect75();
  ASSERT_FALSE(fx.empty()) << "TEVRANA_EFFECT_75 names the compiled effect";
  for (bool fromDocument : {true, false}) {
    SCOPED_TRACE(fromDocument);
    SetCommonResPresent(!fromDocument);
    ManagerRecord r;
    if (fromDocument) r.files.push_back({Key(L"common_res.dll", 75), {RecordWithBytes(fx, L"", 75, L"common_res.dll")}});
    DS_DocResManager manager;
    Load(manager, r, 3);
    DS_HLSLEffectFile link(75, L"common_res.dll");
    ComRef<ID3DXEffect> first = manager.GetEffect(link);
    ASSERT_TRUE(first);
    ULONG count = first.RefCount();
    ComRef<ID3DXEffect> second = manager.GetEffect(link);
    EXPECT_EQ(second.Get(), first.Get());
    EXPECT_EQ(first.RefCount(), count + 1);
    EXPECT_EQ(manager.Tables().loadedFiles[link.Key()].size(), 1u);
    D3DXHANDLE technique = first->GetTechniqueByName("Main");
    EXPECT_NE(technique, nullptr);
    manager.ReleaseDeviceResources();
    manager.AcquireDeviceResources();
  }
}

// The real effect's texture parameters, found by their type and set to no texture.
TEST_F(DocResManagerTest, ClearingAnEffectsTexturesLetsGoOfEachOfThem) {
  std::vector<uint8_t> fx = Effect75();
  ASSERT_FALSE(fx.empty()) << "TEVRANA_EFFECT_75 names the compiled effect";
  DefaultPoolWatch watch;
  ComRef<ID3DXEffect> effect;
  ASSERT_EQ(D3DXCreateEffect(device.Device(), fx.data(), UINT(fx.size()), nullptr, nullptr, 0, nullptr, effect.Put(),
                             nullptr),
            D3D_OK);
  ComRef<IDirect3DTexture9> scene, mask;
  ASSERT_EQ(CreateRenderTargetTexture(64, 64, D3DFMT_A8R8G8B8, "scene", scene), D3D_OK);
  ASSERT_EQ(CreateRenderTargetTexture(64, 64, D3DFMT_A8R8G8B8, "mask", mask), D3D_OK);
  ASSERT_EQ(effect->SetTexture("Background", scene.Get()), D3D_OK);
  ASSERT_EQ(effect->SetTexture("Mask", mask.Get()), D3D_OK);
  const float scale[2] = {2.0f, 0.5f};
  ASSERT_EQ(effect->SetFloatArray("Scale", scale, 2), D3D_OK);
  scene.Reset();
  mask.Reset();
  EXPECT_EQ(watch.Survivors(), (std::vector<std::string>{"scene", "mask"})) << "the effect holds both";
  ClearEffectTextures(effect.Get());
  EXPECT_TRUE(watch.Survivors().empty());
  for (const char* name : {"Background", "Mask"}) {
    ComRef<IDirect3DBaseTexture9> held;
    effect->GetTexture(name, held.Put());
    EXPECT_FALSE(held) << name;
  }
  float kept[2] = {};
  effect->GetFloatArray("Scale", kept, 2);
  EXPECT_EQ(kept[0], 2.0f) << "only textures are cleared";
  EXPECT_EQ(kept[1], 0.5f);
}

// The release before a reset takes every texture back from the effects, so that no capture
// target outlives it (Windows would refuse the reset), also where an effect keeps its
// textures when it is told the device is lost.
TEST_F(DocResManagerTest, TheReleaseTakesEveryTextureBackFromTheEffects) {
  std::vector<uint8_t> fx = Effect75();
  ASSERT_FALSE(fx.empty()) << "TEVRANA_EFFECT_75 names the compiled effect";
  DefaultPoolWatch watch;
  ManagerRecord r;
  r.files.push_back({Key(L"common_res.dll", 75), {RecordWithBytes(fx, L"", 75, L"common_res.dll")}});
  DS_DocResManager manager;
  Load(manager, r, 3);
  ComRef<ID3DXEffect> effect = manager.GetEffect(DS_HLSLEffectFile(75, L"common_res.dll"));
  ASSERT_TRUE(effect);
  ComRef<IDirect3DTexture9> scene;
  ASSERT_EQ(CreateRenderTargetTexture(64, 64, D3DFMT_A8R8G8B8, "scene", scene), D3D_OK);
  effect->SetTexture("Background", scene.Get());
  scene.Reset();
  ASSERT_EQ(watch.Survivors(), (std::vector<std::string>{"scene"}));
  {
    EffectsKeepingTextures keeping({effect.Get()});
    manager.ReleaseDeviceResources();
    EXPECT_EQ(keeping.LostCalls(), 1);
    EXPECT_TRUE(watch.Survivors().empty()) << "the effect still holds the scene";
  }
  EXPECT_EQ(device.Device()->Reset(&device.Params()), D3D_OK);
  manager.AcquireDeviceResources();
  EXPECT_NE(effect->GetTechniqueByName("Main"), nullptr);
}

TEST_F(DocResManagerTest, AnEffectTheModuleLacksIsNullAndTheModuleIsNotSearchedAgain) {
  SetCommonResPresent(true);
  DS_DocResManager manager;
  DS_HLSLEffectFile link(9999, L"common_res.dll");
  EXPECT_FALSE(manager.GetEffect(link));
  EXPECT_FALSE(manager.GetEffect(link));
  const std::vector<DS_FileRecord>& files = manager.Tables().loadedFiles[link.Key()];
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].size, 0);
  EXPECT_EQ(files[0].resourceId, 9999);
}

TEST_F(DocResManagerTest, AnEffectThatWasNotFoundIsNotLookedForAgain) {
  // Absent module: the program's own resources have no effect 75.
  DS_DocResManager manager;
  DS_HLSLEffectFile link(75, L"common_res.dll");
  EXPECT_FALSE(manager.GetEffect(link));
  // The module that has it turns up later; this key keeps its empty record.
  SetCommonResPresent(true);
  EXPECT_FALSE(manager.GetEffect(link));
  EXPECT_EQ(manager.Tables().loadedFiles[link.Key()].size(), 1u);
  DS_DocResManager fresh;
  EXPECT_TRUE(fresh.GetEffect(link));
}

TEST_F(DocResManagerTest, AMeshTheDocumentDoesNotCarryComesFromTheModuleOrTheProgram) {
  for (bool present : {false, true}) {
    SCOPED_TRACE(present);
    SetCommonResPresent(present);
    DS_DocResManager manager;
    DS_MeshFile link(990, L"common_res.dll");
    // Without the module the program's own mesh 990 is found; the module has none.
    DS_MeshRecord& mesh = manager.GetMesh(link, 32);
    EXPECT_EQ(mesh.vertexCount, present ? 0u : 4u);
    const std::vector<DS_FileRecord>& files = manager.Tables().loadedFiles[link.Key()];
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].resourceId, 990);
    EXPECT_EQ(files[0].size > 0, !present);
    EXPECT_EQ(manager.GetMesh(link, 32).vertexCount, present ? 0u : 4u);
    EXPECT_EQ(manager.Tables().loadedFiles[link.Key()].size(), 1u);
  }
}

TEST_F(DocResManagerTest, AStampBeyondSixteenBitsFetchesNoResourceByItsLowBits) {
  // 0x10000 + id would name the resource id once cut to 16 bits.
  for (bool present : {false, true}) {
    SCOPED_TRACE(present);
    SetCommonResPresent(present);
    DS_DocResManager manager;
    EXPECT_FALSE(manager.GetEffect(DS_HLSLEffectFile(0x10000 + 75, L"common_res.dll")));
    EXPECT_EQ(manager.GetMesh(DS_MeshFile(0x10000 + 990, L"common_res.dll"), 32).vertexCount, 0u);
  }
}

TEST_F(DocResManagerTest, AMeshWithVertexCountZeroCountsAsNotLoaded) {
  DS_DocResManager manager;
  DS_MeshFile link(L"quad.x", 4);
  std::vector<DS_FileRecord>& files = manager.Tables().loadedFiles[link.Key()];
  files.push_back(RecordWithBytes({'n', 'o', 'p', 'e'}, L"quad.x"));
  EXPECT_EQ(manager.GetMesh(link, 32).vertexCount, 0u);
  files[0].SetData(int32_t(sizeof kQuadMeshText - 1), kQuadMeshText);
  DS_MeshRecord& mesh = manager.GetMesh(link, 32);
  EXPECT_EQ(mesh.vertexCount, 4u);
  EXPECT_EQ(mesh.faceCount, 2u);
  EXPECT_TRUE(mesh.vertexBuffer && mesh.indexBuffer);
  EXPECT_EQ(&manager.GetMesh(link, 32), &mesh);
}

TEST_F(DocResManagerTest, ImageLinksFromInlineRecordsCarryTheirTextures) {
  DS_DocResManager manager;
  DS_FileRecord record = RecordWithBytes(SolidBmp(16, 8, 0x00FF00), L"leaf.bmp");
  std::unique_ptr<DS_ImageFileLink> one = manager.CreateImageLinkFromRecord(record);
  std::unique_ptr<DS_ImageFileLink> two = manager.CreateImageLinkFromRecord(record);
  EXPECT_EQ(one->Path(), L"leaf.bmp");
  EXPECT_EQ(two->Stamp(), one->Stamp() + 1);  // records without id draw the link counter
  EXPECT_TRUE(manager.GetImageTextures(*one).textures.at(0));

  std::list<DS_FileRecord> frames{RecordWithBytes(SolidBmp(4, 4, 0xFF0000), L"f1"),
                                  RecordWithBytes(SolidBmp(8, 2, 0x0000FF), L"f2")};
  std::unique_ptr<DS_ImageFileLink> anim = manager.CreateImageLinkFromRecords({0.1f, 0.2f}, frames);
  DS_TextureSet& set = manager.GetImageTextures(*anim);
  EXPECT_EQ(set.textures.size(), 2u);
  EXPECT_EQ(set.width, 8u);
  EXPECT_EQ(set.frameTimes, (std::vector<float>{0.1f, 0.2f}));
  EXPECT_EQ(manager.Tables().loadedFiles[anim->Key()].size(), 2u);
}

TEST_F(DocResManagerTest, AFileOnDiskGetsALinkStampedWithItsTime) {
  {
    std::ofstream out("manager_test_picture.bmp", std::ios::binary);
    std::vector<uint8_t> bmp = SolidBmp(4, 4, 0x00FF00);
    out.write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(bmp.size()));
  }
  struct _stat64 st {};
  ASSERT_EQ(_wstat64(L"manager_test_picture.bmp", &st), 0);
  DS_DocResManager manager;
  std::unique_ptr<DS_ImageFileLink> link = manager.LoadImageFile(L"manager_test_picture.bmp");
  std::remove("manager_test_picture.bmp");
  EXPECT_EQ(link->Path(), L"manager_test_picture.bmp");
  EXPECT_EQ(link->Stamp(), int64_t(st.st_mtime));
  // Its set was looked up: a key the document does not carry gives the empty set.
  EXPECT_EQ(manager.Tables().textureSets.count(link->Key()), 1u);
  EXPECT_TRUE(manager.GetImageTextures(*link).textures.empty());
}

TEST_F(DocResManagerTest, WrittenRecordReadsBackWithItsFiles) {
  DS_DocResManager writer;
  ScopedScreen selected(ScreenSelection::Current().WithResources(&writer));
  Load(writer, OneOfEach(), 3);
  DS_ImageFileLink picture(DS_FileLink3(L"C:\\pictures\\sea.bmp", 100));
  writer.RegisterImageForSave(picture);
  // A written file link carries its loaded files into the file table.
  DS_MeshFile mesh(L"quad.x", 4);
  writer.Tables().loadedFiles[mesh.Key()] = {RecordWithBytes({7, 7}, L"quad.x")};
  EXPECT_EQ(writer.Tables().files.count(mesh.Key()), 0u);
  WriteBytes([&](DS_IOF_Holder s) { mesh.Write(s); });
  EXPECT_EQ(writer.Tables().files.count(mesh.Key()), 1u);

  DS_DocResManager reader2;
  RoundTrip(writer, reader2);
  EXPECT_EQ(reader2.Tables().textureSets[picture.Key()].width, 16u);
  EXPECT_EQ(reader2.Tables().files[Key(L"common_res.dll", 75)].at(0).size, 3);
  EXPECT_EQ(reader2.Tables().loadedFiles[mesh.Key()].at(0).size, 2);
}

TEST_F(DocResManagerTest, AMaskIsWrittenFromItsTextureAndReadsBack) {
  DS_DocResManager writer;
  ScopedScreen selected(ScreenSelection::Current().WithResources(&writer));
  // What the brush writer leaves: the mask texture under its GUID and an entry whose
  // stored image is an older picture of the mask.
  ComRef<IDirect3DTexture9> mask;
  ASSERT_EQ(D3DXCreateTexture(device.Device(), 16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, mask.Put()), D3D_OK);
  writer.Tables().guidTextures[kMaskGuid] = mask;
  DS_MaskImageEntry entry;
  entry.guid = kMaskGuid;
  std::vector<uint8_t> older = SolidBmp(8, 8, 0xFFFFFF);
  entry.image.SetData(int32_t(older.size()), older.data());
  writer.Tables().maskImages.emplace(kMaskGuid, std::move(entry));

  DS_DocResManager reader2;
  RoundTrip(writer, reader2);
  ASSERT_TRUE(reader2.Tables().guidTextures[kMaskGuid]);
  EXPECT_TRUE(reader2.Tables().maskImages.empty());
  D3DSURFACE_DESC desc;
  reader2.Tables().guidTextures[kMaskGuid]->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 16u);  // the texture's, not the older 8 x 8 picture's
  // The stored image is the texture as it is now, a DDS file of its 16 x 16 pixels.
  const DS_DataBlob& written = writer.Tables().maskImages.at(kMaskGuid).image;
  ASSERT_EQ(written.size, 128 + 16 * 16 * 4);
  EXPECT_EQ(std::memcmp(written.data, "DDS ", 4), 0);
}

TEST_F(DocResManagerTest, ARefreshWithoutAMaskTextureChangesNothing) {
  DS_DocResManager manager;
  manager.RefreshMaskImage(kMaskGuid);
  EXPECT_TRUE(manager.Tables().maskImages.empty());
  EXPECT_FALSE(manager.Tables().guidTextures[kMaskGuid]);
}

TEST(DocResTables, GuidsOrderByTheirBytesInMemory) {
  GuidLess less;
  // Data1 is little-endian in memory: 0x00000100 lies as 00 01 00 00, before 01 00 00 00.
  const GUID low = {0x00000100, 0, 0, {0}}, high = {0x00000001, 0, 0, {0}};
  EXPECT_TRUE(less(low, high));
  EXPECT_FALSE(less(high, low));
  const GUID a = {1, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0x7F}}, b = {1, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0x80}};
  EXPECT_TRUE(less(a, b));  // unsigned bytes
  EXPECT_FALSE(less(a, a));
}

TEST_F(DocResManagerTest, EachScreensTexturesAreMadeOnItsOwnDevice) {
  SetCommonResPresent(true);
  TestDevice other{32, 32};
  ASSERT_TRUE(other.Ok());
  DS_DocResManager first;
  DS_DocResManager second;
  // The second screen draws first, then the first screen is selected again.
  DS_FileLink3 link(5, L"common_res.dll");
  ComRef<IDirect3DTexture9> secondPicture;
  {
    ScopedScreen secondScreen(ScreenSelection::Current().WithDevice(other.Device()).WithResources(&second));
    secondPicture = second.GetImageTextures(link).textures.at(0);
  }
  ScopedScreen firstScreen(ScreenSelection::Current().WithDevice(device.Device()).WithResources(&first));
  ComRef<IDirect3DTexture9> firstPicture = first.GetImageTextures(link).textures.at(0);
  ASSERT_TRUE(firstPicture && secondPicture);
  EXPECT_NE(firstPicture.Get(), secondPicture.Get());
  ComRef<IDirect3DDevice9> owner, secondOwner;
  firstPicture->GetDevice(owner.Put());
  EXPECT_EQ(owner.Get(), device.Device());
  secondPicture->GetDevice(secondOwner.Put());
  EXPECT_EQ(secondOwner.Get(), other.Device());
  // The lights' own pictures go through the current cache, which is the first screen's.
  ComRef<IDirect3DTexture9> builtin = g_resourceCache->GetBuiltinTexture(54);
  ASSERT_TRUE(builtin);
  ComRef<IDirect3DDevice9> builtinOwner;
  builtin->GetDevice(builtinOwner.Put());
  EXPECT_EQ(builtinOwner.Get(), device.Device());
}

TEST_F(DocResManagerTest, EachManagerHasItsOwnCacheAndSelectingOneSelectsBoth) {
  ScopedScreen nothing(ScreenSelection{}.WithDevice(device.Device()));
  DS_DocResManager first;
  DS_DocResManager second;
  // Making a manager selects nothing: the load selects the manager it made.
  EXPECT_EQ(g_docResManager, nullptr);
  EXPECT_EQ(g_resourceCache, nullptr);
  EXPECT_NE(&first.Cache(), &second.Cache());
  ScopedScreen selected(ScreenSelection::Current().WithResources(&first));
  EXPECT_EQ(g_docResManager, &first);
  EXPECT_EQ(g_resourceCache, &first.Cache());
}

}  // namespace
