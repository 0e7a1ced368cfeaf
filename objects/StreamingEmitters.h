#pragma once
// Emitters that stream their sprites across the area in one direction: the flow, whose
// sprites wander sideways by a lateral factor redrawn now and then, re-enter at the opposite
// edge of an area spanning the picture and bounce inside a smaller one; and the rain, a
// flow preset of fast falling drops turned upright along their fall.
#include <d3dx9math.h>

#include "document/MediaScaled.h"
#include "objects/DS_BaseSpriteProp.h"

class DS_FlowConstructor : public DS_BaseSpriteProp {
 public:
  static constexpr RecordId kRecord{L"DS_FlowConstructor", 3};

  enum Orientation { kUpright = 0, kAlongStream = 1, kMirrorHorizontally = 2, kMirrorVertically = 3 };

  DS_FlowConstructor();
  // Recomputes the vectors from the copied direction and flow speed.
  DS_FlowConstructor(const DS_FlowConstructor& other);
  ~DS_FlowConstructor() override = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_BaseSpriteProp* Clone() const override { return new DS_FlowConstructor(*this); }
  void InitSprite(DS_Sprite& sprite) override;
  void UpdateSprite(DS_Sprite& sprite) override;

  // Sizing, colour, and the axes of the orientation mode.
  void OrientSprite(DS_Sprite& sprite) const;
  // Direction matrix and the flow and lateral vectors of direction a (degrees).
  void OnDirectionChanged(unsigned int a);

  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  // Own fields of that version (stored without telling anyone), then the base record.
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  bool ReadRecord(DS_IOF_Holder stream);
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);

  MediaParamT<unsigned int> direction;  // degrees counter-clockwise from +x: 90 up, 270 down
  MediaFloat<unsigned int> lateralSpeed;  // scale 3: pixels per clock unit at lateral factor 1
  MediaFloat<unsigned int> changeRate;    // scale 0.25: lateral redraws per clock unit
  float flowSpeed = 0.0f;
  MediaParamT<int> orientationMode;
  D3DXVECTOR4 flowVector{0.0f, 0.0f, 0.0f, 0.0f};
  D3DXVECTOR4 lateralVector{0.0f, 1.0f, 0.0f, 0.0f};
  D3DXMATRIX directionMatrix;

 private:
  void Bind();

  DS_ControlList controls_;  // the direction control
};

class DS_RainConstructor : public DS_FlowConstructor {
 public:
  static constexpr RecordId kRecord{L"DS_RainConstructor", 1};

  DS_RainConstructor();
  DS_RainConstructor(const DS_RainConstructor&) = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_BaseSpriteProp* Clone() const override { return new DS_RainConstructor(*this); }
  void InitSprite(DS_Sprite& sprite) override;
  void UpdateSprite(DS_Sprite& sprite) override;

  void Read(DS_IOF_Holder stream, int32_t /*version*/) { DS_FlowConstructor::ReadRecord(stream); }
  void WriteRecord(DS_IOF_Holder stream);

  D3DXMATRIX turnMatrix;  // a further quarter turn back, so the image's height lies along the fall
};
