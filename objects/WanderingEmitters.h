#pragma once
// Emitters whose sprites wander about their area with random velocities: fish (swim out of
// the area, turn back, face their horizontal motion), birds (fish that keep their speed
// up), ghosts (fish that fade in and out and reappear elsewhere) and fog (slowly spinning
// puffs that bounce inside the area and breathe their alpha).
#include "objects/DS_BaseSpriteProp.h"

class DS_FishConstructor : public DS_BaseSpriteProp {
 public:
  static constexpr RecordId kRecord{L"DS_FishConstructor", 1};

  DS_FishConstructor() = default;
  DS_FishConstructor(const DS_FishConstructor&) = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_BaseSpriteProp* Clone() const override { return new DS_FishConstructor(*this); }
  void InitSprite(DS_Sprite& sprite) override;
  void UpdateSprite(DS_Sprite& sprite) override;

  // Sizing, colour, and a mirror while the sprite moves left.
  void FaceVelocity(DS_Sprite& sprite) const;

  // The reader: the registry has read the head already.
  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  bool ReadRecord(DS_IOF_Holder stream);
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);

  float maxHorizontalSpeed = 80.0f;  // pixels per clock unit
  float maxVerticalSpeed = 50.0f;
};

class DS_BirdConstructor : public DS_FishConstructor {
 public:
  static constexpr RecordId kRecord{L"DS_BirdConstructor", 1};

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_BaseSpriteProp* Clone() const override { return new DS_BirdConstructor(*this); }
  void UpdateSprite(DS_Sprite& sprite) override;

  void Read(DS_IOF_Holder stream, int32_t /*version*/) { DS_FishConstructor::ReadRecord(stream); }
  void WriteRecord(DS_IOF_Holder stream);
};

class DS_GhostConstructor : public DS_FishConstructor {
 public:
  static constexpr RecordId kRecord{L"DS_GhostConstructor", 1};

  DS_GhostConstructor();
  DS_GhostConstructor(const DS_GhostConstructor&) = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_BaseSpriteProp* Clone() const override { return new DS_GhostConstructor(*this); }
  void InitSprite(DS_Sprite& sprite) override;
  void UpdateSprite(DS_Sprite& sprite) override;

  void Read(DS_IOF_Holder stream, int32_t /*version*/) { DS_FishConstructor::ReadRecord(stream); }
  void WriteRecord(DS_IOF_Holder stream);
};

class DS_FogConstructor : public DS_BaseSpriteProp {
 public:
  static constexpr RecordId kRecord{L"DS_FogConstructor", 1};

  DS_FogConstructor();
  DS_FogConstructor(const DS_FogConstructor&) = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_BaseSpriteProp* Clone() const override { return new DS_FogConstructor(*this); }
  void InitSprite(DS_Sprite& sprite) override;
  void UpdateSprite(DS_Sprite& sprite) override;

  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);

  float maxHorizontalSpeed = 40.0f;
  float maxVerticalSpeed = 40.0f;
};
