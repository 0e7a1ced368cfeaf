#pragma once
// One slide: its timing in whole seconds, a name, the picture light that draws its picture
// and the render objects made from its scene items.
#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "document/DS_ABObj_Constructor.h"
#include "document/DS_IOF.h"
#include "document/DS_IOF_Item.h"
#include "document/MediaParam.h"
#include "runtime/DS_2D_Light.h"
#include "runtime/DS_ABObj.h"
#include "runtime/DS_SharedPtr.h"

class DS_SlideContainer : public DS_IOF_Item {
 public:
  DS_SlideContainer();
  ~DS_SlideContainer() override;
  DS_SlideContainer(const DS_SlideContainer&) = delete;
  DS_SlideContainer& operator=(const DS_SlideContainer&) = delete;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  virtual void ReleaseDeviceResources();

  // Once after the first load: the light's device resources, then a render object for
  // every pending item (the items themselves are deleted).
  void CreateObjects();
  void Update(float t);
  // Begins the scene capture when something samples the scene, then the picture and the
  // objects.
  void RenderScene();
  void RenderOverlay();
  void Resize(int32_t width, int32_t height);
  void SetPicturePosition(int32_t mode);
  void AcquireDeviceResources();
  // The objects that sample the scene, plus the light when it samples it.
  int CaptureCount() const;
  // A new shared reference to the light.
  DS_SharedPtr<DS_2D_Light> GetLight() const { return light; }

  void SetDefaults();

  static constexpr RecordId kRecord{L"DS_SlideContainer", 1};
  // The fields after the class name and version, the light and the items included; they
  // have no version gates. A light or item whose class is not registered stops the load
  // with DS_LoadError: records carry no length, so nothing after it could be read.
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void WriteFields(DS_IOF_Holder stream);
  void ReadConstructors(DS_IOF_Holder stream);
  void WriteConstructors(DS_IOF_Holder stream);
  void WriteRecord(DS_IOF_Holder stream);
  // The reader registered as "DS_SlideContainer" (the registry has read the head).
  void Read(DS_IOF_Holder stream, int32_t version) { ReadNew(stream, version); }
  void ReadNew(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }

  MediaParamT<unsigned int> fadeIn;
  MediaParamT<unsigned int> fadeOut;
  MediaParamT<unsigned int> showTime;
  MediaParamT<int> option;  // carried by the record, not used by playback
  MediaParamTB<ds_string> name;
  DS_SharedPtr<DS_2D_Light> light;
  std::vector<DS_SharedPtr<DS_ABObj>> objects;
  std::list<std::unique_ptr<DS_ABObj_Constructor>> pendingItems;
};
