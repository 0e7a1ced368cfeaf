#include "brushes/DS_PatternBrush.h"

#include <memory>

#include "document/DS_DocResManager.h"
#include "document/ParamStream.h"

namespace {
constexpr float kPi = 3.1415927f;
}  // namespace

// ---- DS_PatternBrush

DS_PatternBrush::DS_PatternBrush() {
  SetModuleEffect(78);
  SetSpeed(50, 0.02f);
  verticalMirror.Assign(0);
  horizontalMirror.Assign(0);
  rotation.Assign(0);
  InitScaled(zoom, 100, 0.01f, 0.0f);
  InitScaled(scrollX, 0, -0.01f, 0.0f);
  InitScaled(scrollY, 0, 0.01f, 0.0f);
}

DS_PatternBrush::DS_PatternBrush(const DS_PatternBrush& other)
    : DS_FX_Constructor(other),
      pattern(other.pattern),
      verticalMirror(other.verticalMirror),
      horizontalMirror(other.horizontalMirror),
      rotation(other.rotation),
      zoom(other.zoom),
      scrollX(other.scrollX),
      scrollY(other.scrollY),
      patternTextures(other.patternTextures),
      frameIndex(other.frameIndex),
      frameStart(other.frameStart) {}

DS_PatternBrush::~DS_PatternBrush() = default;

void DS_PatternBrush::BindResources(ComRef<IDirect3DTexture9>* mask) {
  DS_FX_Constructor::BindResources(mask);
  LoadPattern();
}

void DS_PatternBrush::LoadPattern() {
  if (g_docResManager) {
    patternTextures = pattern.GetLowerExtension() == L".dll" ? g_docResManager->LoadModuleImagePackage(pattern)
                                                             : g_docResManager->GetImageTextures(pattern);
  }
  frameIndex = 0;
}

IDirect3DTexture9* DS_PatternBrush::CurrentTexture() const {
  // A package keeps its frame times and its pictures under two counts of their own.
  return frameIndex < patternTextures.textures.size() ? patternTextures.textures[frameIndex].Get() : nullptr;
}

void DS_PatternBrush::Update(float time) {
  DS_FX_Constructor::Update(time);
  const float t = Time();
  if (t - frameStart < 0.0f) frameStart = t;
  const std::vector<float>& times = patternTextures.frameTimes;
  if (times.empty()) return;
  if (frameIndex < times.size() && times[frameIndex] < t - frameStart) {
    frameStart = t;
    frameIndex = uint32_t((frameIndex + 1) % times.size());
  }
}

D3DXMATRIX DS_PatternBrush::CoordTransform(float w, float h) const {
  const float tw = float(patternTextures.width), th = float(patternTextures.height);
  const float z = zoom.scaledValue;
  float sx = w / (tw * z), sy = h / (th * z);
  if (horizontalMirror.Value() != 0) sx = -sx;
  if (verticalMirror.Value() != 0) sy = -sy;
  D3DXMATRIX s, r, m;
  D3DXMatrixScaling(&s, sx, sy, 1.0f);
  D3DXMatrixRotationZ(&r, float(int32_t(rotation.Value())) * kPi / 180.0f);
  D3DXMatrixMultiply(&m, &s, &r);
  return m;
}

void DS_PatternBrush::Render(DS_ABRender& host) {
  if (!CanDraw()) return;  // no picture (height 0), or none for this frame: nothing at all
  ID3DXEffect* effect = Effect();
  effect->SetTexture("Pattern", CurrentTexture());
  const float tileScale[2] = {float(patternTextures.width) / float(patternTextures.height), 1.0f};
  effect->SetFloatArray("scale", tileScale, 2);
  const float scroll[2] = {scrollX.scaledValue, scrollY.scaledValue};
  effect->SetFloatArray("offset", scroll, 2);
  const D3DXMATRIX m = CoordTransform(float(host.GetImageWidth()), float(host.GetImageHeight()));
  const float transform[4] = {m._11, m._12, m._21, m._22};
  effect->SetFloatArray("coord_transf", transform, 4);
  DrawBrush(host);
}

void DS_PatternBrush::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_PatternBrush::WriteFields(DS_IOF_Holder stream) {
  if (g_docResManager) g_docResManager->RegisterImageForSave(pattern);
  pattern.Write(stream);
  WriteSwitch(stream, verticalMirror);
  WriteSwitch(stream, horizontalMirror);
  stream->WriteUInt(rotation.Value());
  zoom.Write(stream);
  scrollX.Write(stream);
  scrollY.Write(stream);
  DS_FX_Constructor::WriteRecord(stream);
}

void DS_PatternBrush::ReadRecord(DS_IOF_Holder stream) {
  const DS_RecordHeader header = ReadRecordHeader(stream);
  ReadFields(stream, header.version);
}

void DS_PatternBrush::ReadFields(DS_IOF_Holder stream, int32_t) {
  pattern.Read(stream);
  ReadSwitch(stream, verticalMirror);
  ReadSwitch(stream, horizontalMirror);
  stream->ReadUInt(rotation.Value());
  ReadScaled(stream, zoom);
  ReadScaled(stream, scrollX);
  ReadScaled(stream, scrollY);
  DS_FX_Constructor::ReadRecord(stream);
}

// ---- DS_PatternBrushC

void DS_PatternBrushC::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  DS_PatternBrush::WriteRecord(stream);
}
