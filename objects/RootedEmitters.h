#pragma once
// Emitters whose sprites stay where they are put: grass blades planted along the bottom
// edge of the area and swaying about their roots; the placed sprite at a stored centre and
// rotation, with its rectangle kept as the rotated sprite's bounding box; the flower, a
// placed sprite swaying about its base; and the discharge, a placed sprite that shows the
// frames of its strip in random order.
#include <d3dx9math.h>

#include "document/MediaCompound.h"
#include "objects/DS_BaseSpriteProp.h"

class DS_GrassConstructor : public DS_BaseSpriteProp {
 public:
  static constexpr RecordId kRecord{L"DS_GrassConstructor", 1};

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_BaseSpriteProp* Clone() const override { return new DS_GrassConstructor(*this); }
  void InitSprite(DS_Sprite& sprite) override;
  void UpdateSprite(DS_Sprite& sprite) override;

  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);

  float swayAmplitude = 3.0f;  // largest lean of a blade, degrees
};

class DS_StatObjConstructor : public DS_BaseSpriteProp {
 public:
  static constexpr RecordId kRecord{L"DS_StatObjConstructor", 2};

  // The centre starts in the middle of the picture of the moment.
  DS_StatObjConstructor();
  DS_StatObjConstructor(const DS_StatObjConstructor& other);
  ~DS_StatObjConstructor() override = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_BaseSpriteProp* Clone() const override { return new DS_StatObjConstructor(*this); }
  // A sprite array that draws its frame with its own bounds.
  DS_ABObj* CreateObject() override;
  DS_QuadCorners GetScreenQuad() const override;
  bool HitTest(float x, float y) const override;
  void InitSprite(DS_Sprite& sprite) override { PlaceSprite(sprite); }

  // At the stored centre, turned by the rotation, the rectangle fitted around it.
  void PlaceSprite(DS_Sprite& sprite);
  // The placement's edges := the axis-aligned bounding box of the placed sprite.
  void FitRectangle(const DS_Sprite& sprite);

  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  bool ReadRecord(DS_IOF_Holder stream);
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);

  MediaRectangle placement;  // x, y: the centre; edges: the bounding box
  MediaParamT<unsigned int> rotation;  // degrees, counter-clockwise on the screen
  D3DXMATRIX rotationMatrix;
};

class DS_FlowerConstructor : public DS_StatObjConstructor {
 public:
  static constexpr RecordId kRecord{L"DS_FlowerConstructor", 1};

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_BaseSpriteProp* Clone() const override { return new DS_FlowerConstructor(*this); }
  void UpdateSprite(DS_Sprite& sprite) override;

  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);

  float swayAmplitude = 1.5f;  // degrees
};

class DS_DischargeConstructor : public DS_StatObjConstructor {
 public:
  static constexpr RecordId kRecord{L"DS_DischargeConstructor", 1};

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_BaseSpriteProp* Clone() const override { return new DS_DischargeConstructor(*this); }
  // A random strip frame other than index.
  uint32_t NextFrame(uint32_t index) override;

  void Read(DS_IOF_Holder stream, int32_t /*version*/) { DS_StatObjConstructor::ReadRecord(stream); }
  void WriteRecord(DS_IOF_Holder stream);
};
