#include "document/DS_ResourceCache.h"

#include <d3dx9.h>

#include "device/CurrentDevice.h"
#include "device/MeshLoading.h"
#include "device/ModuleResource.h"
#include "device/TextureHelpers.h"

namespace {

// The info of a picture that did load, or the empty info (no texture, 0 x 0, aspect 1).
void FillInfo(DS_TextureInfo& entry, const ComRef<IDirect3DTexture9>& texture, const D3DXIMAGE_INFO& image) {
  if (texture && image.Width != 0) {
    MakeTextureInfo(image.Width, image.Height, entry, texture.Get());
  } else {
    entry = DS_TextureInfo{};
  }
}

}  // namespace

bool ModuleResourceKeyLess::operator()(const ModuleResourceKey& a, const ModuleResourceKey& b) const {
  // wchar_t is an unsigned 16-bit unit here, so the string order is the unit order.
  int c = a.module.compare(b.module);
  if (c != 0) return c < 0;
  return a.id < b.id;
}

void DS_ResourceCache::Create(std::unique_ptr<DS_ResourceCache>& holder) { holder = std::make_unique<DS_ResourceCache>(); }

ComRef<IDirect3DTexture9> DS_ResourceCache::GetBuiltinTexture(int32_t id) {
  ComRef<IDirect3DTexture9>& entry = builtinTextures_[id];
  if (!entry && IsResourceId(id)) LoadTextureFromResource(entry, WORD(id), true);
  return entry;
}

DS_TextureInfo DS_ResourceCache::LoadTexture(const DS_FileRecord& record) {
  if (!record.name.empty()) {
    if (record.HasBytes()) return LoadTextureFromMemory(record.data, size_t(record.size));
    return LoadTextureFromFile(record);
  }

  HMODULE module = nullptr;
  if (GetModule(record.module, module)) {
    DS_TextureInfo& entry = moduleTextures_[{module, record.resourceId}];
    if (entry.texture) return entry;
    // The module's own picture wins over the bytes the document carries.
    ComRef<IDirect3DTexture9> texture;
    D3DXIMAGE_INFO image{};
    if (!IsResourceId(record.resourceId) ||
        FAILED(::LoadTextureFromModule(module, WORD(record.resourceId), texture, &image))) {
      texture.Reset();
      image = D3DXIMAGE_INFO{};
      if (record.HasBytes()) ::LoadTextureFromMemory(record.data, uint32_t(record.size), &image, texture);
    }
    FillInfo(entry, texture, image);
    return entry;
  }

  DS_TextureInfo& entry = GetFallbackTexture(record.module, record.resourceId);
  if (entry.texture) return entry;
  ComRef<IDirect3DTexture9> texture;
  D3DXIMAGE_INFO image{};
  image.Width = 800;
  image.Height = 600;
  if (record.HasBytes()) ::LoadTextureFromMemory(record.data, uint32_t(record.size), &image, texture);
  if (texture) {
    MakeTextureInfo(image.Width, image.Height, entry, texture.Get());
  } else {
    // Nothing loaded: the preset size stays, and the next request tries again.
    entry = DS_TextureInfo{};
    entry.width = 800;
    entry.height = 600;
    entry.aspect = 0.75f;
  }
  return entry;
}

DS_TextureInfo DS_ResourceCache::LoadTextureFromFile(const DS_FileRecord& record) {
  DS_TextureInfo& entry = fileTextures_[record.name];
  if (entry.texture) return entry;
  ComRef<IDirect3DTexture9> texture;
  D3DXIMAGE_INFO image{};
  if (g_currentDevice) {
    D3DXCreateTextureFromFileExW(g_currentDevice, record.name.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                 D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, 0, &image,
                                 nullptr, texture.Put());
  }
  FillInfo(entry, texture, image);
  return entry;
}

DS_TextureInfo DS_ResourceCache::LoadTextureFromMemory(const void* bytes, size_t size) {
  DS_TextureInfo result;
  if (!bytes || size == 0) return result;
  ComRef<IDirect3DTexture9> texture;
  D3DXIMAGE_INFO image{};
  ::LoadTextureFromMemory(bytes, uint32_t(size), &image, texture);
  FillInfo(result, texture, image);
  return result;
}

bool DS_ResourceCache::GetModule(const ds_string& name, HMODULE& handle) {
  auto it = modules_.find(name);
  if (it != modules_.end()) {
    handle = it->second;
    return true;
  }
  HMODULE loaded = LoadResourceModule(name);
  if (!loaded) return false;
  modules_[name] = loaded;
  handle = loaded;
  return true;
}

DS_TextureInfo& DS_ResourceCache::GetFallbackTexture(const ds_string& module, int32_t id) {
  return fallbackTextures_[ModuleResourceKey{module, id}];
}

DS_MeshRecord DS_ResourceCache::GetModuleMesh(const DS_FileRecord& record, uint32_t vertexSize) {
  std::list<DS_MeshRecord>& cached = moduleMeshes_[record.resourceId];
  if (cached.size() == 1) return cached.front();

  DS_MeshRecord work;
  HMODULE module = nullptr;
  if (GetModule(record.module, module)) {
    if (IsResourceId(record.resourceId)) LoadMeshFromResource(module, WORD(record.resourceId), vertexSize, work);
    // Only a mesh that loaded is kept, so a failed one is tried again.
    if (work.vertexCount != 0) cached.push_back(work);
  } else if (!record.HasBytes()) {
    LoadMeshFromFile(record.name.c_str(), vertexSize, work);
  } else {
    LoadMeshFromMemory(record.data, uint32_t(record.size), vertexSize, work);
  }
  DS_MeshRecord result = work;
  work.Release();
  return result;
}
