#include "document/DS_DocResManager.h"

#include <objbase.h>

#include <cstring>

#include "device/CurrentDevice.h"
#include "device/DefaultPool.h"
#include "device/MeshLoading.h"
#include "device/ModuleResource.h"
#include "device/TextureHelpers.h"

namespace {

void ReadLinkKey(DS_IOF_Holder stream, DS_LinkKey& key) {
  stream->ReadString(key.path);
  stream->ReadInt64(key.stamp);
}

void WriteLinkKey(DS_IOF_Holder stream, const DS_LinkKey& key) {
  stream->WriteString(key.path);
  stream->WriteInt64(key.stamp);
}

// Count, then (path, stamp, value) per entry; the first of two equal keys stays. A
// negative count reads nothing; a count larger than the bytes runs into the stream's end,
// which throws the load error.
template <class Value, class ReadValue>
void ReadKeyedTable(DS_IOF_Holder stream, std::map<DS_LinkKey, Value, LinkKeyLess>& table, ReadValue readValue) {
  int32_t count = 0;
  stream->ReadInt(count);
  for (int32_t i = 0; i < count; ++i) {
    DS_LinkKey key;
    ReadLinkKey(stream, key);
    Value value;
    readValue(stream, value);
    table.emplace(std::move(key), std::move(value));
  }
}

void ReadRecordTable(DS_IOF_Holder stream, DS_LinkKeyMap& table) {
  ReadKeyedTable(stream, table, [](DS_IOF_Holder s, std::vector<DS_FileRecord>& v) { ReadFileRecordVector(s, v); });
}

void WriteRecordTable(DS_IOF_Holder stream, const DS_LinkKeyMap& table) {
  stream->WriteInt(int32_t(table.size()));
  for (const auto& [key, records] : table) {
    WriteLinkKey(stream, key);
    WriteFileRecordVector(stream, records);
  }
}

void ReadFrameTimeTable(DS_IOF_Holder stream, std::map<DS_LinkKey, std::vector<float>, LinkKeyLess>& table) {
  ReadKeyedTable(stream, table, [](DS_IOF_Holder s, std::vector<float>& v) { ReadFloatVector(s, v); });
}

void WriteFrameTimeTable(DS_IOF_Holder stream, const std::map<DS_LinkKey, std::vector<float>, LinkKeyLess>& table) {
  stream->WriteInt(int32_t(table.size()));
  for (const auto& [key, times] : table) {
    WriteLinkKey(stream, key);
    WriteFloatVector(stream, times);
  }
}

void ReadMaskTable(DS_IOF_Holder stream, std::map<GUID, DS_MaskImageEntry, GuidLess>& table) {
  int32_t count = 0;
  stream->ReadInt(count);
  for (int32_t i = 0; i < count; ++i) {
    DS_MaskImageEntry entry;
    ReadGuidString(stream, entry.guid);
    stream->ReadString(entry.name);
    stream->ReadBool(entry.flag);
    stream->ReadBlob(entry.image);
    GUID guid = entry.guid;
    table.emplace(guid, std::move(entry));
  }
}

// The bytes of the key's module resource (the program's own while the module does not load);
// an empty resource counts as none.
bool LockKeyResource(const DS_LinkKey& key, LPCWSTR type, const void*& data, DWORD& size) {
  return LockNamedModuleResource(key.path, key.stamp, type, data, size) && size != 0;
}

// One texture per record, in order, each through the cache; the set keeps the size of the
// last one.
template <class Records>
void LoadTextureSet(DS_ResourceCache& cache, const Records& records, DS_TextureSet& set) {
  set.textures.resize(records.size());
  size_t i = 0;
  for (const DS_FileRecord& record : records) {
    DS_TextureInfo info = cache.LoadTexture(record);
    set.textures[i++] = info.texture;
    set.width = info.width;
    set.height = info.height;
    set.aspect = info.aspect;
  }
}

}  // namespace

bool GuidLess::operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof(GUID)) < 0; }

DS_MaskImageEntry::DS_MaskImageEntry() { CoCreateGuid(&guid); }

DS_DocResManager::DS_DocResManager() {
  DS_ResourceCache::Create(cache_);
  tables_ = std::make_unique<DS_DocResTables>();
}

DS_DocResManager::~DS_DocResManager() {
  cache_.reset();
  tables_.reset();
}

bool DS_DocResManager::ReadFields(DS_IOF_Holder stream, int32_t version) {
  DS_DocResTables& t = *tables_;
  ReadRecordTable(stream, t.images);
  ReadFrameTimeTable(stream, t.frameTimes);

  for (const auto& [key, records] : t.images) {
    t.loadedFiles[key] = records;
    DS_TextureSet& set = t.textureSets[key];
    LoadTextureSet(*cache_, records, set);
    if (records.size() > 1) set.frameTimes = t.frameTimes[key];
  }
  t.images.clear();
  if (version == 1) return true;

  ReadRecordTable(stream, t.files);
  for (const auto& [key, records] : t.files) t.loadedFiles.emplace(key, records);
  if (version == 2) return true;

  ReadMaskTable(stream, t.maskImages);
  for (const auto& [guid, entry] : t.maskImages) {
    DS_TextureInfo info = DS_ResourceCache::LoadTextureFromMemory(entry.image.data, size_t(entry.image.size));
    t.guidTextures[guid] = info.texture;
  }
  t.maskImages.clear();
  return true;
}

DS_TextureSet& DS_DocResManager::GetImageTextures(const DS_FileLink3& link) {
  const DS_LinkKey& key = link.Key();
  DS_TextureSet& set = tables_->textureSets[key];
  if (!set.textures.empty()) return set;
  if (link.GetLowerExtension() == L".dll") {
    DS_FileRecord record(int32_t(key.stamp), key.path);
    tables_->loadedFiles[key].push_back(record);
    DS_TextureInfo info = cache_->LoadTexture(record);
    FillTextureSetFromInfo(info, set);
  }
  return set;
}

DS_TextureSet& DS_DocResManager::LoadModuleImagePackage(const DS_FileLink3& link) {
  const DS_LinkKey& key = link.Key();
  DS_TextureSet& set = tables_->textureSets[key];
  if (!set.textures.empty()) return set;
  const void* data = nullptr;
  DWORD size = 0;
  if (!LockKeyResource(key, L"DDS", data, size)) return set;
  // Picture package: count, frame times (float bits), count, file records.
  std::vector<uint32_t> times;
  std::vector<DS_FileRecord> records;
  try {
    ResourceBuffer buffer(data, size);
    ReadUIntVector(buffer, times);
    ParseFileRecordVector(buffer, records);
  } catch (const DS_LoadError&) {
    return set;  // a package that does not parse gives no pictures
  }
  set.frameTimes.resize(times.size());
  for (size_t i = 0; i < times.size(); ++i) std::memcpy(&set.frameTimes[i], &times[i], sizeof(float));
  tables_->loadedFiles[key] = records;
  LoadTextureSet(*cache_, records, set);
  return set;
}

ComRef<ID3DXEffect> DS_DocResManager::GetEffect(const DS_FileLink3& link) {
  const DS_LinkKey& key = link.Key();
  ComRef<ID3DXEffect>& slot = tables_->effects[key];
  if (!slot) {
    std::vector<DS_FileRecord>& files = tables_->loadedFiles[key];
    if (files.empty()) {
      // Searched once: a key whose module lacks the effect keeps a record without bytes.
      files.emplace_back(int32_t(key.stamp), key.path);
      const void* data = nullptr;
      DWORD size = 0;
      if (LockKeyResource(key, RT_RCDATA, data, size))
        files.back().SetData(int32_t(size), data);
    }
    const DS_FileRecord& last = files.back();
    if (g_currentDevice && last.HasBytes()) {
      if (FAILED(D3DXCreateEffect(g_currentDevice, last.data, UINT(last.size), nullptr, nullptr, 0, nullptr,
                                  slot.Put(), nullptr)))
        slot.Reset();
    }
  }
  return slot;
}

DS_MeshRecord& DS_DocResManager::GetMesh(const DS_FileLink3& link, uint32_t vertexSize) {
  const DS_LinkKey& key = link.Key();
  DS_MeshRecord& mesh = tables_->meshes[key];
  if (mesh.vertexCount != 0) return mesh;
  std::vector<DS_FileRecord>& files = tables_->loadedFiles[key];
  if (files.empty()) {
    files.emplace_back(int32_t(key.stamp), key.path);
    files.back().LoadFromModule();
  }
  const DS_FileRecord& first = files.front();
  if (first.HasBytes()) LoadMeshFromMemory(first.data, UINT(first.size), vertexSize, mesh);
  return mesh;
}

std::unique_ptr<DS_ImageFileLink> DS_DocResManager::CreateImageLinkFromRecord(const DS_FileRecord& record) {
  DS_FileLink3 base(record);
  const DS_LinkKey& key = base.Key();
  std::vector<DS_FileRecord>& files = tables_->loadedFiles[key];
  if (files.empty()) files.push_back(record);
  DS_TextureInfo info = cache_->LoadTexture(record);
  FillTextureSetFromInfo(info, tables_->textureSets[key]);
  return std::make_unique<DS_ImageFileLink>(base);
}

std::unique_ptr<DS_ImageFileLink> DS_DocResManager::CreateImageLinkFromRecords(
    const std::vector<float>& frameTimes, const std::list<DS_FileRecord>& records) {
  if (records.empty()) return std::make_unique<DS_ImageFileLink>();
  DS_FileLink3 base(records.front());
  const DS_LinkKey& key = base.Key();
  DS_TextureSet& set = tables_->textureSets[key];
  if (set.textures.empty()) {
    std::vector<DS_FileRecord>& files = tables_->loadedFiles[key];
    files.insert(files.end(), records.begin(), records.end());
    LoadTextureSet(*cache_, records, set);
    set.frameTimes = frameTimes;
  }
  return std::make_unique<DS_ImageFileLink>(base);
}

std::unique_ptr<DS_ImageFileLink> DS_DocResManager::LoadImageFile(const ds_string& path) {
  auto link = std::make_unique<DS_ImageFileLink>(DS_FileLink3(path));
  GetImageTextures(*link);
  return link;
}

void DS_DocResManager::ReleaseDeviceResources() {
  // An effect's texture parameter would keep a scene capture alive across the reset
  // (device/DefaultPool.h says why that fails on Windows).
  for (auto& [key, effect] : tables_->effects) {
    if (!effect) continue;
    ClearEffectTextures(effect.Get());
    effect->OnLostDevice();
  }
}

void DS_DocResManager::AcquireDeviceResources() {
  for (auto& [key, effect] : tables_->effects)
    if (effect) effect->OnResetDevice();
}

void DS_DocResManager::RegisterImageForSave(const DS_FileLink3& link) {
  const DS_LinkKey& key = link.Key();
  if (key.path.empty()) return;
  DS_TextureSet& set = tables_->textureSets[key];
  if (!set.textures.empty()) tables_->frameTimes[key] = set.frameTimes;
  tables_->images[key] = tables_->loadedFiles[key];
}

void DS_DocResManager::RefreshMaskImage(const GUID& guid) {
  ComRef<IDirect3DTexture9>& texture = tables_->guidTextures[guid];
  if (!texture) return;
  ComRef<ID3DXBuffer> dds;
  if (FAILED(SaveTextureToDds(texture.Get(), dds)) || !dds) return;  // the stored image stays
  DS_MaskImageEntry& entry = tables_->maskImages[guid];
  entry.guid = guid;
  entry.image.SetData(int32_t(dds->GetBufferSize()), dds->GetBufferPointer());
}

void DS_DocResManager::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_DocResManager::WriteFields(DS_IOF_Holder stream) {
  WriteRecordTable(stream, tables_->images);
  WriteFrameTimeTable(stream, tables_->frameTimes);
  WriteRecordTable(stream, tables_->files);
  stream->WriteInt(int32_t(tables_->maskImages.size()));
  for (auto& [guid, entry] : tables_->maskImages) {
    RefreshMaskImage(guid);
    WriteGuidString(stream, guid);
    stream->WriteString(entry.name);
    stream->WriteBool(entry.flag);
    stream->WriteBlob(entry.image);
  }
}
