#pragma once
// The root of the scene document: the slides and the music items. Once per frame it picks
// the current slide from the application time and fades through black between slides
// with a full-screen quad, the fader.
#include <cstdint>
#include <memory>
#include <vector>

#include "device/Meshes.h"
#include "document/DS_IOF.h"
#include "document/DS_IOF_Item.h"
#include "runtime/DS_AudioFile.h"
#include "runtime/DS_SharedPtr.h"
#include "runtime/DS_SlideContainer.h"

class DS_SlideShow_Light : public DS_IOF_Item {
 public:
  DS_SlideShow_Light() = default;
  ~DS_SlideShow_Light() override;
  DS_SlideShow_Light(const DS_SlideShow_Light&) = delete;
  DS_SlideShow_Light& operator=(const DS_SlideShow_Light&) = delete;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  // The current slide, its overlay, then the fader over everything.
  virtual int Render();
  // Every slide's light gives up its device resources (before a device reset).
  virtual void ReleaseDeviceResources();
  // The current slide's light makes them again (after a reset).
  virtual void AcquireDeviceResources();
  // Slide change and fade at application time t, then the current slide's update.
  virtual int Update(float t);

  void SetPicturePosition(int32_t mode);

  // The root record: the head, the slides, the music; any version reads the same fields.
  static constexpr RecordId kRecord{L"DS_SlideShow_Light", 1};
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void ReadSlides(DS_IOF_Holder stream);
  void ReadAudioFiles(DS_IOF_Holder stream);
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  void WriteSlides(DS_IOF_Holder stream);
  void WriteAudioFiles(DS_IOF_Holder stream);

  DS_SlideContainer* Current() const { return current.Get(); }
  // The fade of the last update: 0 clear, 1 black.
  float Fade() const { return fade_; }
  DS_SimpleMesh<DX_V::SC>* Fader() const { return fader_.get(); }
  // Whether the fader draws its quad; hidden, it still sets its states. Update decides it
  // from the fade of every frame.
  void SetFaderVisible(bool visible);

  DS_SharedPtr<DS_SlideContainer> current;
  std::vector<DS_SharedPtr<DS_SlideContainer>> slides;
  std::vector<DS_SharedPtr<DS_AudioFile>> audioFiles;
  float slideStart = 0.0f;
  int32_t nextIndex = 1;

 private:
  // Fits the new current slide to back buffer 0, restarts its camera drift and makes its
  // light's device resources.
  void ActivateSlide();

  std::unique_ptr<DS_SimpleMesh<DX_V::SC>> fader_;
  float fade_ = 0.0f;
  uint32_t faderAlpha_ = 0;  // the alpha byte the fader's vertices hold
};
