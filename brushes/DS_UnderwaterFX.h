#pragma once
// The underwater effect: the whole picture wobbling as if seen through moving water. Not a
// scene item of its own: only the underwater light holds one, reads it inside its record,
// binds it without a mask and draws it over the captured slide, as its own draw host.
#include <memory>

#include "brushes/DS_FX_Constructor.h"

class DS_UnderwaterFX : public DS_FX_Constructor {
 public:
  static constexpr RecordId kRecord{L"DS_UnderwaterFX", 1};

  DS_UnderwaterFX();
  DS_UnderwaterFX(const DS_UnderwaterFX& other);
  // The brush base's values (clock included; mask and effect shared), then its own.
  DS_UnderwaterFX& operator=(const DS_UnderwaterFX& other);

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  void Render(DS_ABRender& host) override;
  DS_FX_Constructor* Clone() const override { return new DS_UnderwaterFX(*this); }

  // "frequency" for a picture of w x h pixels.
  D3DXVECTOR2 Frequency(float w, float h) const;

  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  void ReadFields(DS_IOF_Holder stream);
  // Class name and version (both ignored), then a new effect reads its fields.
  static std::unique_ptr<DS_UnderwaterFX> ReadNewRecord(DS_IOF_Holder stream);

  UINTSclaleTo<float> amplitude;   // picture-uv units
  UINTSclaleTo<float> wavelength;  // picture-uv units
};
