#pragma once
// Emitters that light the picture up: sparkles (square glints that drift while they grow
// and shrink with their breathing alpha), god rays (slanted beams as tall as the picture
// that drift sideways and fade in and out) and lightning (bolts that strike at a random
// place and tilt, fade within a fraction of a clock unit, sometimes flicker back, and wait
// in the dark for the next strike). The lightning class keeps its stored name's spelling.
#include "objects/DS_BaseSpriteProp.h"

class DS_SparkleConstructor : public DS_BaseSpriteProp {
 public:
  static constexpr RecordId kRecord{L"DS_SparkleConstructor", 1};

  DS_SparkleConstructor() { flag = 1; }
  DS_SparkleConstructor(const DS_SparkleConstructor&) = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_BaseSpriteProp* Clone() const override { return new DS_SparkleConstructor(*this); }
  void InitSprite(DS_Sprite& sprite) override;
  void UpdateSprite(DS_Sprite& sprite) override;

  void Read(DS_IOF_Holder stream, int32_t /*version*/) { DS_BaseSpriteProp::ReadRecord(stream); }
  void WriteRecord(DS_IOF_Holder stream);
};

class DS_GodRayConstructor : public DS_BaseSpriteProp {
 public:
  static constexpr RecordId kRecord{L"DS_GodRayConstructor", 1};

  DS_GodRayConstructor() { angle.Assign(80); }
  DS_GodRayConstructor(const DS_GodRayConstructor&) = default;
  ~DS_GodRayConstructor() override = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_BaseSpriteProp* Clone() const override { return new DS_GodRayConstructor(*this); }
  void InitSprite(DS_Sprite& sprite) override;
  void UpdateSprite(DS_Sprite& sprite) override;

  // Half the emitter's size wide, half the picture high, sheared by the angle.
  void ShapeRay(DS_Sprite& sprite) const;

  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void WriteRecord(DS_IOF_Holder stream);

  MediaParamT<unsigned int> angle;  // slant in degrees; 90 and 270 are vertical
};

class DS_LightingConstructor : public DS_BaseSpriteProp {
 public:
  static constexpr RecordId kRecord{L"DS_LightingConstructor", 1};

  DS_LightingConstructor() {
    blendMode.Assign(1);
    flag = 1;
  }
  DS_LightingConstructor(const DS_LightingConstructor&) = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_BaseSpriteProp* Clone() const override { return new DS_LightingConstructor(*this); }
  void InitSprite(DS_Sprite& sprite) override;
  void UpdateSprite(DS_Sprite& sprite) override;

  void Read(DS_IOF_Holder stream, int32_t /*version*/) { DS_BaseSpriteProp::ReadRecord(stream); }
  void WriteRecord(DS_IOF_Holder stream);
};
