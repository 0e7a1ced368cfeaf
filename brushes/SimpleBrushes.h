#pragma once
// Three brushes whose effects take only a few values per frame: a copy of the picture
// shifted by a fixed offset, travelling waves, and a light that pulses, blinks or
// flickers. Each ends its drawing in DS_FX_Constructor::DrawBrush.
#include <d3dx9math.h>

#include "brushes/DS_FX_Constructor.h"
#include "document/MediaCompound.h"

// Effect 75: the picture shifted by the rectangle's further point inside the mask.
class DS_BackgroundCopy : public DS_FX_Constructor {
 public:
  static constexpr RecordId kRecord{L"DS_BackgroundCopy", 1};

  DS_BackgroundCopy();
  DS_BackgroundCopy(const DS_BackgroundCopy& other);

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  void Render(DS_ABRender& host) override;
  DS_FX_Constructor* Clone() const override { return new DS_BackgroundCopy(*this); }

  // "offset" for a picture of w x h pixels.
  D3DXVECTOR2 Offset(float w, float h) const;

  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  // The version is not consulted: there is one layout.
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }

  MediaRectangle rectangle;  // only the further point (x, y) is drawn with
  MediaParamT<int> verticalShift;
  MediaParamT<int> horizontalShift;
};

// Effect 77: waves travelling along an angle.
class DS_WavesFX : public DS_FX_Constructor {
 public:
  static constexpr RecordId kRecord{L"DS_WavesFX", 1};

  DS_WavesFX();
  DS_WavesFX(const DS_WavesFX& other);
  ~DS_WavesFX() override;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  void Render(DS_ABRender& host) override;
  DS_FX_Constructor* Clone() const override { return new DS_WavesFX(*this); }

  // Travel and crest directions from the angle and the direction mode.
  void UpdateDirections();

  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }

  UINTSclaleTo<float> amplitude;   // picture-uv units
  UINTSclaleTo<float> wavelength;  // picture-uv units
  MediaParamT<unsigned int> angle;  // degrees
  MediaParamT<int> directionMode;   // 0: crests across the travel; else against it
  D3DXVECTOR4 direction{1, 0, 0, 0};
  D3DXVECTOR4 crestDirection{0, 1, 0, 0};

 private:
  void BindDirectionParams();

  DS_ControlList controls_;
};

// Effect 76: the masked area brightening and dimming.
class DS_LightFX : public DS_FX_Constructor {
 public:
  static constexpr RecordId kRecord{L"DS_LightFX", 1};

  DS_LightFX();
  DS_LightFX(const DS_LightFX& other);

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  void Render(DS_ABRender& host) override;
  DS_FX_Constructor* Clone() const override { return new DS_LightFX(*this); }

  // "multiplier" at the brush's clock time t.
  float Multiplier(float t) const;

  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }

  UINTSclaleTo<float> intensity;
  MediaParamT<int> flickerMode;  // 0 smooth pulse, 1 on/off, 2 or more noise
};
