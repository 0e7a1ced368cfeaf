#include "brushes/DS_MoveFX.h"

#include <cmath>
#include <memory>

#include "document/ParamStream.h"
#include "runtime/Noise.h"

// ---- DS_DirectionBased

DS_DirectionBased::DS_DirectionBased() {
  angle.Assign(0);
  BindDirectionParam();
  UpdateDirection();
}

DS_DirectionBased::DS_DirectionBased(const DS_DirectionBased& other)
    : DS_FX_Constructor(other), amplitude(other.amplitude), angle(other.angle) {
  BindDirectionParam();
  UpdateDirection();
}

// The control goes before the angle it observes.
DS_DirectionBased::~DS_DirectionBased() = default;

void DS_DirectionBased::BindDirectionParam() {
  controls_.SetOwner<DS_DirectionBased>(this);
  controls_.SetUnderConstruction(false);
  DS_FunLightCtrl2<DS_DirectionBased>::Bind(controls_, angle,
                                             [](DS_DirectionBased* brush) { brush->UpdateDirection(); });
}

void DS_DirectionBased::UpdateDirection() { direction = TurnedUnitX(360 - int32_t(angle.Value())); }

void DS_DirectionBased::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_DirectionBased::WriteFields(DS_IOF_Holder stream) {
  amplitude.Write(stream);
  stream->WriteUInt(angle.Value());
  DS_FX_Constructor::WriteRecord(stream);
}

void DS_DirectionBased::ReadRecord(DS_IOF_Holder stream) {
  const DS_RecordHeader header = ReadRecordHeader(stream);
  ReadFields(stream, header.version);
}

// The angle is stored without notification: the item keeps the direction of angle 0 until
// it is copied (its clone recomputes it).
void DS_DirectionBased::ReadFields(DS_IOF_Holder stream, int32_t) {
  ReadScaled(stream, amplitude);
  stream->ReadUInt(angle.Value());
  DS_FX_Constructor::ReadRecord(stream);
}

// ---- DS_MoveFX

DS_MoveFX::DS_MoveFX() {
  SetModuleEffect(91);
  SetSpeed(50, 0.02f);
  InitScaled(amplitude, 50, 0.0002f, 0.0f);
  motionMode.Assign(0);
}

DS_MoveFX::DS_MoveFX(const DS_MoveFX& other)
    : DS_DirectionBased(other), motionMode(other.motionMode), offset(other.offset) {}

void DS_MoveFX::Update(float time) {
  DS_FX_Constructor::Update(time);
  const float t = Time();
  const float a = motionMode.Value() == 1 ? float(FractalNoise1D(50.0 * double(t), 75.0, 0.5, 1)) : std::sin(t);
  const float b = a * amplitude.scaledValue;
  offset = D3DXVECTOR2(direction.x * b, direction.y * b);
}

void DS_MoveFX::Render(DS_ABRender& host) {
  if (ID3DXEffect* effect = Effect()) effect->SetFloatArray("Direction", &offset.x, 2);
  DrawBrush(host);
}

void DS_MoveFX::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_MoveFX::WriteFields(DS_IOF_Holder stream) {
  WriteSwitch(stream, motionMode);
  DS_DirectionBased::WriteRecord(stream);
}

void DS_MoveFX::ReadFields(DS_IOF_Holder stream, int32_t) {
  ReadSwitch(stream, motionMode);
  DS_DirectionBased::ReadRecord(stream);
}
