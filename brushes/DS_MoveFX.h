#pragma once
// Brushes that act along one direction given as an angle, with an amplitude; the move brush
// shifts its masked area back and forth along it, smoothly (a sine of the clock) or
// irregularly (value noise), like a branch or hanging cloth in the wind.
#include <d3dx9math.h>

#include "brushes/DS_FX_Constructor.h"

class DS_DirectionBased : public DS_FX_Constructor {
 public:
  static constexpr RecordId kRecord{L"DS_DirectionBased", 1};

  DS_DirectionBased();
  DS_DirectionBased(const DS_DirectionBased& other);
  ~DS_DirectionBased() override;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }

  // The direction from the angle, turned by 360 - angle as the wave brush's.
  void UpdateDirection();

  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  // Class name and version (neither consulted), then the fields and the brush base's record.
  void ReadRecord(DS_IOF_Holder stream);
  void ReadFields(DS_IOF_Holder stream, int32_t version);

  UINTSclaleTo<float> amplitude;  // picture-uv units
  MediaParamT<unsigned int> angle;  // degrees
  D3DXVECTOR4 direction{1, 0, 0, 0};

 private:
  void BindDirectionParam();

  DS_ControlList controls_;
};

// Effect 91: the masked content moved by "Direction".
class DS_MoveFX : public DS_DirectionBased {
 public:
  static constexpr RecordId kRecord{L"DS_MoveFX", 1};

  DS_MoveFX();
  DS_MoveFX(const DS_MoveFX& other);

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  // The clock, then the offset along the direction.
  void Update(float time) override;
  void Render(DS_ABRender& host) override;
  DS_FX_Constructor* Clone() const override { return new DS_MoveFX(*this); }

  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  // The motion mode, then the direction-based record; one layout.
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }

  MediaParamT<int> motionMode;  // 1: noise; any other value: sine
  D3DXVECTOR2 offset{0, 0};     // "Direction", set by Update
};
