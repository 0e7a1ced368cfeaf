#include "brushes/DS_WaterFX.h"

#include <cmath>
#include <memory>

#include "document/DS_DocResManager.h"
#include "document/ParamStream.h"

DS_WaterFX::DS_WaterFX() : colour(0xFFFFFF), bumpLink(DS_FileLink3(89, kModule)) {
  SetModuleEffect(90);
  SetSpeed(50, 0.02f);
  InitScaled(effectScale, 30, 0.02f, 0.0f);
  InitScaled(pValue, 20, 0.0001f, 0.0f);
  InitScaled(bumpRotationScale, 20, 0.001f, 0.0f);
  InitScaled(waveAmplitude, 20, 0.00025f, 0.0f);
  InitScaled(wavelength, 20, 0.0005f, 0.001f);
  angle.Assign(40);
  InitScaled(shadows, 0, 0.01f, 0.0f);
  InitScaled(halfVectorHeight, 0, 0.1f, 0.0f);
  BindDirectionParam();
  UpdateDirection();
}

DS_WaterFX::DS_WaterFX(const DS_WaterFX& other)
    : DS_FX_Constructor(other),
      pValue(other.pValue),
      bumpRotationScale(other.bumpRotationScale),
      waveAmplitude(other.waveAmplitude),
      wavelength(other.wavelength),
      angle(other.angle),
      shadows(other.shadows),
      halfVectorHeight(other.halfVectorHeight),
      colour(other.colour),
      bumpLink(other.bumpLink) {
  BindDirectionParam();
  UpdateDirection();
}

// The controls go before the parameters they observe, the bump texture with them.
DS_WaterFX::~DS_WaterFX() = default;

void DS_WaterFX::BindDirectionParam() {
  controls_.SetOwner<DS_WaterFX>(this);
  controls_.SetUnderConstruction(false);
  DS_FunLightCtrl2<DS_WaterFX>::Bind(controls_, angle, [](DS_WaterFX* water) { water->UpdateDirection(); });
}

void DS_WaterFX::UpdateDirection() { direction = TurnedUnitX(int32_t(angle.Value())); }

void DS_WaterFX::BindResources(ComRef<IDirect3DTexture9>* mask) {
  bump_ = FirstImageTexture(bumpLink);
  DS_FX_Constructor::BindResources(mask);
}

void DS_WaterFX::Update(float time) {
  DS_FX_Constructor::Update(time);
  const float a = float(float(Time() * 0.5f) * 9.0f);
  const float r = bumpRotationScale.scaledValue;
  const float c = std::cos(a), s = std::sin(a);
  bumpTransform[0] = r * c;
  bumpTransform[1] = -r * s;
  bumpTransform[2] = r * s;
  bumpTransform[3] = r * c;
}

void DS_WaterFX::Render(DS_ABRender& host) {
  if (!CanDraw()) return;  // no effect or no bump picture: nothing to draw
  ID3DXEffect* effect = Effect();
  const float E = pValue.scaledValue;
  const float A = wavelength.scaledValue;
  const float B = waveAmplitude.scaledValue;
  const float f = 2.0f / E - 1.0f;
  effect->SetTexture("BumpMap", bump_.Get());
  effect->SetFloatArray("BampTrans", bumpTransform, 4);
  const float p1[3] = {E - 1.0f, -1.0f, E - 1.0f};
  effect->SetFloatArray("P1", p1, 3);
  const float p2[3] = {1.0f, (std::sqrt(f) + f) / (f - 1.0f), 1.0f};
  effect->SetFloatArray("P2", p2, 3);
  effect->SetFloat("Time", 2.0f * Time());
  const float direction1[2] = {-direction.x * (0.5f / A), -direction.y * (0.5f / A)};
  effect->SetFloatArray("Direction1", direction1, 2);
  const float direction2[2] = {-direction.x * (0.5f * B), -direction.y * (0.5f * B)};
  effect->SetFloatArray("Direction2", direction2, 2);
  effect->SetFloat("Shadows", shadows.scaledValue);
  D3DXVECTOR3 half(1.0f, 2.0f, halfVectorHeight.scaledValue);
  D3DXVec3Normalize(&half, &half);
  effect->SetFloatArray("Vhalf", &half.x, 3);
  const D3DXVECTOR3 tint = ColourVector(colour.Value());
  effect->SetFloatArray("Color", &tint.x, 3);
  DrawBrush(host);
}

void DS_WaterFX::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_WaterFX::WriteFields(DS_IOF_Holder stream) {
  pValue.Write(stream);
  bumpRotationScale.Write(stream);
  waveAmplitude.Write(stream);
  wavelength.Write(stream);
  stream->WriteUInt(angle.Value());
  shadows.Write(stream);
  halfVectorHeight.Write(stream);
  WriteColour(stream, colour);
  if (g_docResManager) g_docResManager->RegisterImageForSave(bumpLink);
  bumpLink.Write(stream);
  DS_FX_Constructor::WriteRecord(stream);
}

// The angle is stored without notification: the item keeps the direction of angle 40 until
// it is copied (its clone recomputes it).
void DS_WaterFX::ReadFields(DS_IOF_Holder stream, int32_t) {
  ReadScaled(stream, pValue);
  ReadScaled(stream, bumpRotationScale);
  ReadScaled(stream, waveAmplitude);
  ReadScaled(stream, wavelength);
  stream->ReadUInt(angle.Value());
  ReadScaled(stream, shadows);
  ReadScaled(stream, halfVectorHeight);
  ReadColour(stream, colour);
  bumpLink.Read(stream);
  DS_FX_Constructor::ReadRecord(stream);
}
