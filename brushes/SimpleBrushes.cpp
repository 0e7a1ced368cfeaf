#include "brushes/SimpleBrushes.h"

#include <cmath>
#include <memory>

#include "document/ParamStream.h"
#include "runtime/Noise.h"

namespace {
constexpr float kPi = 3.1415927f;

}  // namespace

// ---- DS_BackgroundCopy

DS_BackgroundCopy::DS_BackgroundCopy() {
  SetModuleEffect(75);
  verticalShift.Assign(0);
  horizontalShift.Assign(0);
}

DS_BackgroundCopy::DS_BackgroundCopy(const DS_BackgroundCopy& other)
    : DS_FX_Constructor(other), verticalShift(other.verticalShift), horizontalShift(other.horizontalShift) {
  rectangle.AssignValues(other.rectangle);
}

D3DXVECTOR2 DS_BackgroundCopy::Offset(float w, float h) const {
  D3DXVECTOR2 offset(float(rectangle.x.Value()) / w, float(rectangle.y.Value()) / h);
  if (horizontalShift.Value() != 0) offset.x += 1.0f;
  if (verticalShift.Value() != 0) offset.y += 1.0f;
  return offset;
}

void DS_BackgroundCopy::Render(DS_ABRender& host) {
  if (ID3DXEffect* effect = Effect()) {
    const D3DXVECTOR2 offset = Offset(float(host.GetImageWidth()), float(host.GetImageHeight()));
    effect->SetFloatArray("offset", &offset.x, 2);
  }
  DrawBrush(host);
}

void DS_BackgroundCopy::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_BackgroundCopy::WriteFields(DS_IOF_Holder stream) {
  rectangle.Write(stream);
  WriteSwitch(stream, verticalShift);
  WriteSwitch(stream, horizontalShift);
  DS_FX_Constructor::WriteRecord(stream);
}

void DS_BackgroundCopy::ReadFields(DS_IOF_Holder stream, int32_t) {
  rectangle.Read(stream);
  ReadSwitch(stream, verticalShift);
  ReadSwitch(stream, horizontalShift);
  DS_FX_Constructor::ReadRecord(stream);
}

// ---- DS_WavesFX

DS_WavesFX::DS_WavesFX() {
  SetModuleEffect(77);
  SetSpeed(25, 1.0f);
  InitScaled(amplitude, 50, 0.00025f, 0.0f);
  InitScaled(wavelength, 50, 0.0005f, 0.001f);
  angle.Assign(0);
  directionMode.Assign(0);
  BindDirectionParams();
  UpdateDirections();
}

DS_WavesFX::DS_WavesFX(const DS_WavesFX& other)
    : DS_FX_Constructor(other),
      amplitude(other.amplitude),
      wavelength(other.wavelength),
      angle(other.angle),
      directionMode(other.directionMode) {
  BindDirectionParams();
  UpdateDirections();
}

// The controls go before the parameters they observe.
DS_WavesFX::~DS_WavesFX() = default;

void DS_WavesFX::BindDirectionParams() {
  controls_.SetOwner<DS_WavesFX>(this);
  controls_.SetUnderConstruction(false);
  auto update = [](DS_WavesFX* waves) { waves->UpdateDirections(); };
  DS_FunLightCtrl2<DS_WavesFX>::Bind(controls_, angle, update);
  DS_FunLightCtrl2<DS_WavesFX>::Bind(controls_, directionMode, update);
}

void DS_WavesFX::UpdateDirections() {
  const int32_t degrees = 360 - int32_t(angle.Value());
  D3DXMATRIX m;
  D3DXMatrixRotationZ(&m, float(degrees) * kPi / 180.0f);
  const D3DXVECTOR4 along(1, 0, 0, 0);
  const D3DXVECTOR4 across = directionMode.Value() == 0 ? D3DXVECTOR4(0, 1, 0, 0) : D3DXVECTOR4(-1, 0, 0, 0);
  D3DXVec4Transform(&direction, &along, &m);
  D3DXVec4Transform(&crestDirection, &across, &m);
}

void DS_WavesFX::Render(DS_ABRender& host) {
  if (ID3DXEffect* effect = Effect()) {
    const float travel[2] = {-direction.x, -direction.y};
    const float crest[2] = {crestDirection.x, crestDirection.y};
    effect->SetFloatArray("direction", travel, 2);
    effect->SetFloatArray("direction_n", crest, 2);
    effect->SetFloat("frequency", 1.0f / wavelength.scaledValue);
    effect->SetFloat("amplitude", amplitude.scaledValue);
    effect->SetFloat("time", 0.08f * Time());
  }
  DrawBrush(host);
}

void DS_WavesFX::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_WavesFX::WriteFields(DS_IOF_Holder stream) {
  amplitude.Write(stream);
  wavelength.Write(stream);
  stream->WriteUInt(angle.Value());
  WriteSwitch(stream, directionMode);
  DS_FX_Constructor::WriteRecord(stream);
}

// The angle and the mode are stored without notification: a freshly read brush keeps the
// directions of angle 0 until it is copied (its clone recomputes them).
void DS_WavesFX::ReadFields(DS_IOF_Holder stream, int32_t) {
  ReadScaled(stream, amplitude);
  ReadScaled(stream, wavelength);
  stream->ReadUInt(angle.Value());
  ReadSwitch(stream, directionMode);
  DS_FX_Constructor::ReadRecord(stream);
}

// ---- DS_LightFX

DS_LightFX::DS_LightFX() {
  SetModuleEffect(76);
  SetSpeed(40, 1.0f);
  InitScaled(intensity, 40, 0.01f, 0.0f);
  flickerMode.Assign(0);
}

DS_LightFX::DS_LightFX(const DS_LightFX& other)
    : DS_FX_Constructor(other), intensity(other.intensity), flickerMode(other.flickerMode) {}

float DS_LightFX::Multiplier(float t) const {
  const int m = flickerMode.Value();
  float a;
  if (m < 2) {
    a = (std::sin(0.2f * t) + 1.0f) * 0.5f;
    if (m == 1) a = a > 0.5f ? 1.0f : 0.0f;
  } else {
    a = float((FractalNoise1D(10.0 * double(t), 75.0, 0.5, 2) + 1.0) * 0.5);
  }
  return intensity.scaledValue * a;
}

void DS_LightFX::Render(DS_ABRender& host) {
  if (ID3DXEffect* effect = Effect()) effect->SetFloat("multiplier", Multiplier(Time()));
  DrawBrush(host);
}

void DS_LightFX::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_LightFX::WriteFields(DS_IOF_Holder stream) {
  intensity.Write(stream);
  WriteSwitch(stream, flickerMode);
  DS_FX_Constructor::WriteRecord(stream);
}

void DS_LightFX::ReadFields(DS_IOF_Holder stream, int32_t) {
  ReadScaled(stream, intensity);
  ReadSwitch(stream, flickerMode);
  DS_FX_Constructor::ReadRecord(stream);
}
