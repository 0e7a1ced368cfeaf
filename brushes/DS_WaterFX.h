#pragma once
// The water brush: a lit water surface inside the mask. A tileable bump picture, turned
// slowly by a rotating bump transform, two waves along one angle, a light half vector, a
// shadow amount and a colour go to its effect on every frame.
#include <d3dx9math.h>

#include "brushes/DS_FX_Constructor.h"
#include "document/MediaCompound.h"

class DS_WaterFX : public DS_FX_Constructor {
 public:
  static constexpr RecordId kRecord{L"DS_WaterFX", 1};

  DS_WaterFX();
  // Every value; the effect is shared, the bump texture is bound afresh.
  DS_WaterFX(const DS_WaterFX& other);
  ~DS_WaterFX() override;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  // The bump picture's first texture, then the effect and the mask.
  void BindResources(ComRef<IDirect3DTexture9>* mask) override;
  // The clock, then the bump transform.
  void Update(float time) override;
  void Render(DS_ABRender& host) override;
  DS_FX_Constructor* Clone() const override { return new DS_WaterFX(*this); }
  // Without its bump picture the water has nothing to draw.
  bool CanDraw() const override { return Effect() && bump_; }

  // The wave direction from the angle, turned by +angle (unlike the wave and move brushes).
  void UpdateDirection();

  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  // The version is not consulted: there is one layout.
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }

  IDirect3DTexture9* BumpTexture() const { return bump_.Get(); }

  UINTSclaleTo<float> pValue;
  UINTSclaleTo<float> bumpRotationScale;
  UINTSclaleTo<float> waveAmplitude;  // picture-uv units
  UINTSclaleTo<float> wavelength;     // picture-uv units
  MediaParamT<unsigned int> angle;    // degrees
  UINTSclaleTo<float> shadows;
  UINTSclaleTo<float> halfVectorHeight;
  MediaColor colour;  // red in the lowest byte
  DS_ImageFileLink bumpLink;
  float bumpTransform[4] = {0, 0, 0, 0};  // a 2 x 2 matrix, row by row
  D3DXVECTOR4 direction{1, 0, 0, 0};

 private:
  void BindDirectionParam();

  ComRef<IDirect3DTexture9> bump_;
  DS_ControlList controls_;
};
