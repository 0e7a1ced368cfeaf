#pragma once
// Makes textures and meshes from the three places a scene's pictures and meshes come from
// (the program's own "DDS" resources, a resource module loaded by name, the bytes of a
// document's file record) and keeps what it made, so that each is made once.
//
// Every document resource manager owns one cache; g_resourceCache names the cache of the
// screen being drawn. Textures are made on g_currentDevice, so a cache belongs to one
// screen's device: selecting a screen selects its cache together with its manager.
#include <d3d9.h>

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <utility>

#include "device/ComRef.h"
#include "device/DS_MeshRecord.h"
#include "device/DS_TextureInfo.h"
#include "document/DS_IOF.h"

// Map key of pictures whose module cannot be loaded: module names by unsigned code units,
// equal names by the ids as signed integers.
struct ModuleResourceKey {
  ds_string module;
  int32_t id = 0;
};
struct ModuleResourceKeyLess {
  bool operator()(const ModuleResourceKey& a, const ModuleResourceKey& b) const;
};

class DS_ResourceCache {
 public:
  // Puts a new cache with empty maps into the holder.
  static void Create(std::unique_ptr<DS_ResourceCache>& holder);

  // The texture of the program's own "DDS" resource id (full mip chain), with a reference
  // for the caller; null when it cannot be made (tried again at the next request).
  ComRef<IDirect3DTexture9> GetBuiltinTexture(int32_t id);

  // The record's picture: from its bytes or the file it names (a named record), else from
  // its module, else (module absent) from its bytes, cached by (module, id). The info
  // holds a reference for the caller; no texture when none can be made.
  DS_TextureInfo LoadTexture(const DS_FileRecord& record);
  // A named record without bytes: the file its name points at, cached by the name.
  DS_TextureInfo LoadTextureFromFile(const DS_FileRecord& record);
  // Picture file data in memory, never cached.
  static DS_TextureInfo LoadTextureFromMemory(const void* bytes, size_t size);

  // The handle of a module, loaded on first use. False, and nothing remembered, while it
  // cannot be loaded, so the next request tries again. Modules are never freed.
  bool GetModule(const ds_string& name, HMODULE& handle);
  // The entry of a picture of a module that cannot be loaded.
  DS_TextureInfo& GetFallbackTexture(const ds_string& module, int32_t id);

  // A copy of the mesh of the record's module resource (buffers shared with the caller).
  // Meshes made without the module (from the record's bytes or the file it names) are not
  // cached; the cache is keyed by id alone.
  DS_MeshRecord GetModuleMesh(const DS_FileRecord& record, uint32_t vertexSize);

  // Test access to what the cache holds.
  size_t BuiltinCount() const { return builtinTextures_.size(); }
  size_t FileTextureCount() const { return fileTextures_.size(); }
  size_t ModuleTextureCount() const { return moduleTextures_.size(); }
  size_t FallbackCount() const { return fallbackTextures_.size(); }
  size_t ModuleMeshCount() const { return moduleMeshes_.size(); }
  size_t ModuleCount() const { return modules_.size(); }

 private:
  std::map<int32_t, ComRef<IDirect3DTexture9>> builtinTextures_;
  std::map<ds_string, DS_TextureInfo> fileTextures_;
  std::map<std::pair<HMODULE, int32_t>, DS_TextureInfo> moduleTextures_;
  std::map<ModuleResourceKey, DS_TextureInfo, ModuleResourceKeyLess> fallbackTextures_;
  std::map<int32_t, std::list<DS_MeshRecord>> moduleMeshes_;
  std::map<ds_string, HMODULE> modules_;
};

// The cache of the screen being drawn (owned by that screen's resource manager), selected
// with its manager (SelectScreen, runtime/ScreenSelection.h).
extern DS_ResourceCache* g_resourceCache;
