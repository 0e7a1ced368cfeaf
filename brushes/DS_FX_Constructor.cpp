#include "brushes/DS_FX_Constructor.h"

#include <objbase.h>

#include "device/TextureHelpers.h"
#include "document/DS_DocResManager.h"
#include "document/ParamStream.h"

namespace {
constexpr UINT kMaskSize = 512;
constexpr float kPi = 3.1415927f;
}  // namespace

D3DXVECTOR4 TurnedUnitX(int32_t degrees) {
  D3DXMATRIX m;
  D3DXMatrixRotationZ(&m, float(degrees) * kPi / 180.0f);
  const D3DXVECTOR4 along(1, 0, 0, 0);
  D3DXVECTOR4 turned;
  D3DXVec4Transform(&turned, &along, &m);
  return turned;
}

ComRef<IDirect3DTexture9> FirstImageTexture(const DS_FileLink3& link) {
  if (!g_docResManager) return nullptr;
  const DS_TextureSet& set = g_docResManager->GetImageTextures(link);
  return set.textures.empty() ? nullptr : set.textures.front();
}

DS_FX_Constructor::DS_FX_Constructor() {
  sceneEffect.Assign(0);
  InitScaled(effectScale, 50, 0.02f, 0.0f);
  NewIdentity();
}

DS_FX_Constructor::DS_FX_Constructor(const DS_FX_Constructor& other)
    : DS_ABObj_Constructor(other),
      speed(other.speed),
      sceneEffect(other.sceneEffect),
      effectLink(other.effectLink),
      effectScale(other.effectScale),
      guid(other.guid),
      maskName(other.maskName),
      maskFlag(other.maskFlag),
      mask_(other.mask_),
      effect_(other.effect_) {}

void DS_FX_Constructor::AssignBase(const DS_FX_Constructor& other) {
  if (this == &other) return;
  SetObjectName(other.ObjectName());
  CopyScaled(speed, other.speed);
  speed.frameStep = other.speed.frameStep;
  speed.clock = other.speed.clock;
  speed.lastTime = other.speed.lastTime;
  sceneEffect.Assign(other.sceneEffect.Value());
  effectLink.SetKey(other.effectLink.Key());
  CopyScaled(effectScale, other.effectScale);
  guid = other.guid;
  maskName = other.maskName;
  maskFlag = other.maskFlag;
  mask_ = other.mask_;
  effect_ = other.effect_;
}

DS_FX_Constructor::~DS_FX_Constructor() {
  effect_.Reset();
  mask_.Reset();
}

void DS_FX_Constructor::NewIdentity() {
  CoCreateGuid(&guid);
  maskName.clear();
  maskFlag = 1;
}

DS_ABObj* DS_FX_Constructor::CreateObject() { return new DS_BrushObj(Clone()); }

void DS_FX_Constructor::Reset() {
  mask_.Reset();
  NewIdentity();
}

void DS_FX_Constructor::BindResources(ComRef<IDirect3DTexture9>* mask) {
  if (g_docResManager) {
    ComRef<ID3DXEffect> effect = g_docResManager->GetEffect(effectLink);
    if (effect.Get() != effect_.Get()) effect_ = effect;
  }
  SetMask(mask);
}

void DS_FX_Constructor::SetMask(ComRef<IDirect3DTexture9>* mask) {
  if (mask == &mask_) return;
  mask_ = mask ? *mask : nullptr;
}

void DS_FX_Constructor::DrawBrush(DS_ABRender& host) {
  ID3DXEffect* effect = effect_.Get();
  if (!effect) return;  // no compiled effect for this link: nothing to draw
  const float w = float(host.GetImageWidth());
  const float h = float(host.GetImageHeight());
  effect->SetTechnique(sceneEffect.Value() != 0 ? "MainFX" : "Main");
  const float s = effectScale.scaledValue;
  const float scale[2] = {float(w / h) / s, 1.0f / s};
  effect->SetFloatArray("Scale", scale, 2);
  effect->SetTexture("Mask", mask_.Get());
  ComRef<IDirect3DTexture9>* scene = host.GetSceneTexture();
  effect->SetTexture("Background", scene ? scene->Get() : nullptr);
  host.DrawMeshWithEffect(host.GetScreenMesh(), effect);
}

void DS_FX_Constructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_FX_Constructor::WriteFields(DS_IOF_Holder stream) {
  if (g_docResManager) {
    // The mask goes back into the manager under the brush's identity, at the stored size.
    ComRef<IDirect3DTexture9> stored;
    ResampleTexture(mask_.Get(), kMaskSize, kMaskSize, D3DFMT_A8, stored);
    g_docResManager->Tables().guidTextures[guid] = stored;
  }
  stream->WriteUInt(speed.Value());
  WriteSwitch(stream, sceneEffect);
  if (g_docResManager) g_docResManager->RefreshMaskImage(guid);
  WriteGuidString(stream, guid);
  stream->WriteString(maskName);
  stream->WriteBool(maskFlag);
  effectLink.Write(stream);
  effectScale.Write(stream);
  DS_ABObj_Constructor::WriteRecord(stream);
}

void DS_FX_Constructor::ReadRecord(DS_IOF_Holder stream) {
  const DS_RecordHeader header = ReadRecordHeader(stream);
  ReadFields(stream, header.version);
}

void DS_FX_Constructor::ReadFields(DS_IOF_Holder stream, int32_t version) {
  ReadScaled(stream, speed);
  ReadSwitch(stream, sceneEffect);
  ReadGuidString(stream, guid);
  stream->ReadString(maskName);
  stream->ReadBool(maskFlag);
  effectLink.Read(stream);
  if (version > 1) ReadScaled(stream, effectScale);
  DS_ABObj_Constructor::ReadRecord(stream);
}

DS_BrushObj::DS_BrushObj(DS_FX_Constructor* clone) : DS_ABObj(clone), brush_(clone) {
  ComRef<IDirect3DTexture9>* mask = g_docResManager ? &g_docResManager->Tables().guidTextures[clone->guid] : nullptr;
  brush_->BindResources(mask);
}
