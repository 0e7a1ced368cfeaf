#pragma once
// The underwater light: the slide's picture and objects drawn as by the plain light into the
// scene capture, then the whole captured slide drawn once more through the underwater
// effect, which makes it wobble as if seen from below a calm surface.
#include <cstdint>

#include "brushes/DS_UnderwaterFX.h"
#include "runtime/DS_2D_Light.h"

class FakeUndervater : public DS_2D_Light {
 public:
  static constexpr RecordId kRecord{L"FakeUndervater", 2};

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  // The base's resources, then the effect, bound without a mask.
  void CreateDeviceResources() override;
  // Ends the capture, draws the captured slide through the effect, then the bars.
  void RenderOverlay() override;
  // The camera, then the effect's clock.
  void Update(float t) override;
  // Without its effect the light draws as the plain one and captures nothing: ending a
  // capture it cannot draw would leave nothing of the slide on the screen.
  bool NeedsSceneCapture() override { return effect.Effect() != nullptr; }

  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  // Version 1: one speed value, halved; later versions: the effect's whole record.
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }

  DS_UnderwaterFX effect;
};
