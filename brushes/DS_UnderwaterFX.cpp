#include "brushes/DS_UnderwaterFX.h"

#include "document/ParamStream.h"

DS_UnderwaterFX::DS_UnderwaterFX() {
  SetModuleEffect(88);
  SetSpeed(25, 1.0f);
  InitScaled(amplitude, 50, 0.000125f, 0.0f);
  InitScaled(wavelength, 50, 0.002f, 0.001f);
}

DS_UnderwaterFX::DS_UnderwaterFX(const DS_UnderwaterFX& other)
    : DS_FX_Constructor(other), amplitude(other.amplitude), wavelength(other.wavelength) {}

DS_UnderwaterFX& DS_UnderwaterFX::operator=(const DS_UnderwaterFX& other) {
  if (this == &other) return *this;
  AssignBase(other);
  CopyScaled(amplitude, other.amplitude);
  CopyScaled(wavelength, other.wavelength);
  return *this;
}

D3DXVECTOR2 DS_UnderwaterFX::Frequency(float w, float h) const {
  const float p = wavelength.scaledValue;
  return D3DXVECTOR2(float(w / h) * (1.0f / p), 1.0f / p);
}

void DS_UnderwaterFX::Render(DS_ABRender& host) {
  if (ID3DXEffect* effect = Effect()) {
    const D3DXVECTOR2 frequency = Frequency(float(host.GetImageWidth()), float(host.GetImageHeight()));
    effect->SetFloatArray("frequency", &frequency.x, 2);
    effect->SetFloat("amplitude", amplitude.scaledValue);
    effect->SetFloat("time", 0.08f * Time());
  }
  DrawBrush(host);
}

void DS_UnderwaterFX::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_UnderwaterFX::WriteFields(DS_IOF_Holder stream) {
  amplitude.Write(stream);
  wavelength.Write(stream);
  DS_FX_Constructor::WriteRecord(stream);
}

void DS_UnderwaterFX::ReadFields(DS_IOF_Holder stream) {
  ReadScaled(stream, amplitude);
  ReadScaled(stream, wavelength);
  DS_FX_Constructor::ReadRecord(stream);
}

std::unique_ptr<DS_UnderwaterFX> DS_UnderwaterFX::ReadNewRecord(DS_IOF_Holder stream) {
  ReadRecordHeader(stream);
  auto effect = std::make_unique<DS_UnderwaterFX>();
  effect->ReadFields(stream);
  return effect;
}
