#pragma once
// The resource manager of one loaded document: the embedded files of the document's last
// record, and the textures, meshes and effects made from them. Pictures and masks become
// textures while the record is read; effects and meshes are made at their first request,
// from the document's bytes when it carries them and from the resource module otherwise.
// Each screen loads its own document and so has its own manager and cache.
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <vector>

#include "device/ComRef.h"
#include "device/DS_MeshRecord.h"
#include "device/DS_TextureSet.h"
#include "document/DS_FileLink3.h"
#include "document/DS_IOF.h"
#include "document/DS_IOF_Item.h"
#include "document/DS_ResourceCache.h"

// GUIDs ordered by their 16 bytes as they lie in memory, as unsigned bytes.
struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const;
};

// The stored mask of one brush or light: a DDS file of the mask in its image.
struct DS_MaskImageEntry {
  DS_MaskImageEntry();  // a fresh GUID, empty name, flag 1, no image
  GUID guid{};
  ds_string name;
  uint8_t flag = 1;
  DS_DataBlob image;
};

using DS_LinkKeyMap = std::map<DS_LinkKey, std::vector<DS_FileRecord>, LinkKeyLess>;

// The first four tables are stored in the document, the others are built while the
// program runs. A key looked up for use gets a default value when it is absent.
struct DS_DocResTables {
  DS_LinkKeyMap files;                                        // embedded files other than pictures
  DS_LinkKeyMap images;                                       // pictures, one record per frame
  std::map<DS_LinkKey, std::vector<float>, LinkKeyLess> frameTimes;
  std::map<GUID, DS_MaskImageEntry, GuidLess> maskImages;
  std::map<DS_LinkKey, DS_TextureSet, LinkKeyLess> textureSets;
  std::map<DS_LinkKey, DS_MeshRecord, LinkKeyLess> meshes;
  std::map<DS_LinkKey, ComRef<ID3DXEffect>, LinkKeyLess> effects;
  DS_LinkKeyMap loadedFiles;                                  // bytes taken from the document or a module
  std::map<GUID, ComRef<IDirect3DTexture9>, GuidLess> guidTextures;  // mask textures by GUID
};

class DS_DocResManager : public DS_IOF_Item {
 public:
  // Makes its own cache and the empty tables. Selecting a manager selects its cache with it
  // (SelectScreen, runtime/ScreenSelection.h).
  DS_DocResManager();
  ~DS_DocResManager() override;
  DS_DocResManager(const DS_DocResManager&) = delete;
  DS_DocResManager& operator=(const DS_DocResManager&) = delete;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }

  static constexpr RecordId kRecord{L"DS_DocResManager", 3};
  // Reads the tables of a record of the given version (1 to 3) and makes the textures of
  // the pictures and masks. Every table goes through the bounded stream.
  bool ReadFields(DS_IOF_Holder stream, int32_t version);

  // The texture set of the link's key. A module link the document does not carry is
  // loaded from the module; any other key the document does not carry gives an empty set.
  DS_TextureSet& GetImageTextures(const DS_FileLink3& link);
  // The texture set of a picture package kept in a resource module (frame times, then
  // file records); empty when the module has no such package or it does not parse.
  DS_TextureSet& LoadModuleImagePackage(const DS_FileLink3& link);
  // The link's effect with a reference for the caller, made once; null when it cannot be
  // made. A module is searched once per key.
  ComRef<ID3DXEffect> GetEffect(const DS_FileLink3& link);
  // The link's mesh; vertex count 0 when it cannot be made (tried again next time).
  DS_MeshRecord& GetMesh(const DS_FileLink3& link, uint32_t vertexSize);

  // Links for pictures stored inline in older records, with their textures made.
  std::unique_ptr<DS_ImageFileLink> CreateImageLinkFromRecord(const DS_FileRecord& record);
  std::unique_ptr<DS_ImageFileLink> CreateImageLinkFromRecords(const std::vector<float>& frameTimes,
                                                               const std::list<DS_FileRecord>& records);
  // A link for a file on disk (stamp = its modification time).
  std::unique_ptr<DS_ImageFileLink> LoadImageFile(const ds_string& path);

  // Around a device reset: the effects lose and regain their device state. Textures and
  // buffers are in the managed pool and are not touched.
  void ReleaseDeviceResources();
  void AcquireDeviceResources();

  // The writing side (the authoring direction).
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  void RegisterImageForSave(const DS_FileLink3& link);
  void RefreshMaskImage(const GUID& guid);
  // What a written file link carries: its loaded files go into the file table. Inline, so
  // that the links need nothing of the manager's loading side.
  void RegisterFileForSave(const DS_LinkKey& key) {
    if (!key.path.empty()) tables_->files[key] = tables_->loadedFiles[key];
  }

  DS_DocResTables& Tables() { return *tables_; }
  DS_ResourceCache& Cache() { return *cache_; }

 private:
  std::unique_ptr<DS_ResourceCache> cache_;
  std::unique_ptr<DS_DocResTables> tables_;
};

// The manager of the screen being drawn; set with the other per-screen pointers by
// SelectScreen (runtime/ScreenSelection.h).
extern DS_DocResManager* g_docResManager;
