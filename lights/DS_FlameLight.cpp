#include "lights/DS_FlameLight.h"

#include <memory>

#include "device/CurrentDevice.h"
#include "device/TextureHelpers.h"
#include "document/DS_DocResManager.h"
#include "document/ParamStream.h"
#include "runtime/DS_View2D.h"

namespace {

constexpr wchar_t kModule[] = L"common_res.dll";

struct PositionUv {
  float x, y, u, v;
};

// A fresh four-vertex strip with its positions and texture coordinates.
void FillQuadPT(DS_SimpleMesh<DX_V::PT>& quad, const PositionUv (&corners)[4]) {
  CreateQuadPT(quad);
  if (DX_V::PT* v = quad.Lock()) {
    for (int i = 0; i < 4; ++i) v[i] = DX_V::PT{corners[i].x, corners[i].y, 0.0f, corners[i].u, corners[i].v};
    quad.Unlock();
  }
}

// New positions; the texture coordinates stay.
void UpdateQuadPositionsPT(DS_SimpleMesh<DX_V::PT>& quad, const D3DXVECTOR2 (&positions)[4]) {
  if (DX_V::PT* v = quad.Lock()) {
    for (int i = 0; i < 4; ++i) {
      v[i].x = positions[i].x;
      v[i].y = positions[i].y;
      v[i].z = 0.0f;
    }
    quad.Unlock();
  }
}

struct RenderState {
  D3DRENDERSTATETYPE state;
  DWORD value;
};
struct StageState {
  DWORD stage;
  D3DTEXTURESTAGESTATETYPE type;
  DWORD value;
};

// What the picture, the fire and the haze are drawn with: no culling or lighting, stage 0
// the texture alone, linear filtering on the four samplers the effects use, alpha blending,
// a clamped picture and no depth.
constexpr RenderState kFlameRenderStates[] = {
    {D3DRS_CULLMODE, D3DCULL_NONE},         {D3DRS_LIGHTING, FALSE},
    {D3DRS_ALPHABLENDENABLE, TRUE},         {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA}, {D3DRS_ZENABLE, FALSE},
};
constexpr StageState kFlameStageStates[] = {
    {1, D3DTSS_TEXCOORDINDEX, 1},          {0, D3DTSS_TEXCOORDINDEX, 0},
    {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},  {0, D3DTSS_COLORARG2, D3DTA_CURRENT},
    {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},  {0, D3DTSS_COLOROP, D3DTOP_SELECTARG1},
    {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
};

}  // namespace

// ---- DS_BumpDistortion

DS_BumpDistortion::DS_BumpDistortion()
    : bumpLink(DS_FileLink3(62, kModule)), effectLink(63, kModule) {
  InitScaled(speed, 50, 0.001f, 0.0f);
  InitScaled(strength, 25, 0.002f, 0.0f);
  InitScaled(bumpScale, 88, -0.009f, 1.0f);
}

bool DS_BumpDistortion::CreateDeviceResources() {
  FillQuadPT(quad, {{0, 600, 0, 1}, {0, 0, 0, 0}, {800, 600, 1, 1}, {800, 0, 1, 0}});
  effect_.Reset();
  bumpTexture_ = FirstImageTexture(bumpLink);
  if (g_docResManager) effect_ = g_docResManager->GetEffect(effectLink);
  return bool(effect_);
}

void DS_BumpDistortion::Resize(float width, float height) {
  UpdateQuadPositionsPT(quad, {{0, height}, {0, 0}, {width, height}, {width, 0}});
  aspect = height / width;
}

void DS_BumpDistortion::Update(float time) {
  ID3DXEffect* effect = effect_.Get();
  if (!effect) return;
  speed.UpdateClock(time);
  const float c = speed.clock;
  const float s = bumpScale.scaledValue;
  effect->SetFloat("stenght", strength.scaledValue * 0.05f);
  const float offset[2] = {c, -c};
  effect->SetFloatArray("Offset", offset, 2);
  const float scale[2] = {s, s * aspect};
  effect->SetFloatArray("bump_scale", scale, 2);
}

void DS_BumpDistortion::Render(IDirect3DTexture9* scene) {
  ID3DXEffect* effect = effect_.Get();
  IDirect3DDevice9* d = g_currentDevice;
  if (!effect || !d) return;
  effect->SetTexture("SceneTex", scene);
  effect->SetTexture("Bumpmap", bumpTexture_.Get());
  effect->SetTechnique("BumpmapDistortLow2");
  UINT passes = 0;
  effect->Begin(&passes, 0);
  for (UINT i = 0; i < passes; ++i) {
    effect->BeginPass(i);
    // No vertex shader: the fixed pipeline places the quad with the view's transforms.
    d->SetVertexShader(nullptr);
    d->SetFVF(DX_V::PT::FVF);
    d->SetStreamSource(0, quad.vertexBuffer.Get(), 0, sizeof(DX_V::PT));
    d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, quad.primitiveCount);
    effect->EndPass();
  }
  effect->End();
}

// ---- DS_FlameLight

DS_FlameLight::DS_FlameLight() {
  fireVisible.Assign(1);
  distortionFlag.Assign(1);
  fireOffset.Assign(0);
  fire.patternLink.SetKey(DS_LinkKey{kModule, 7});
  fire.noiseLink.SetKey(DS_LinkKey{kModule, 8});
}

DS_FlameLight::~DS_FlameLight() { fireQuad_.vertexBuffer.Reset(); }

void DS_FlameLight::CreateDeviceResources() {
  DS_2D_Light::CreateDeviceResources();
  // Laid out for an 800 x 600 picture until OnImageChanged knows the real one; v runs from
  // the flames' tips (0) to just above their base (0.95).
  FillQuadPT(fireQuad_, {{0, 0, 0, 0}, {800, 0, 1, 0}, {0, 600, 0, 0.95f}, {800, 600, 1, 0.95f}});
  if (!distortion.CreateDeviceResources()) distortionFlag.Assign(0);
  OnImageChanged();
  fire.BindResources(nullptr);
}

void DS_FlameLight::AcquireDeviceResources() {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  d->SetTransform(D3DTS_WORLD, &identity);
  for (const RenderState& s : kFlameRenderStates) d->SetRenderState(s.state, s.value);
  for (const StageState& s : kFlameStageStates) d->SetTextureStageState(s.stage, s.type, s.value);
  for (DWORD sampler = 0; sampler < 4; ++sampler) {
    d->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    d->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  }
  d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  Resize(width_, height_);
  D3DSURFACE_DESC desc{};
  GetBackBufferDesc(desc);
  captureTargets_.Create(desc.Width, desc.Height);
  // The effects lost their device state in the reset; nothing else would restore them
  // while this slide is current.
  if (g_docResManager) g_docResManager->AcquireDeviceResources();
}

void DS_FlameLight::RenderBackground() {
  DS_2D_Light::RenderBackground();
  // Without effect 92 or its pictures the fire is skipped.
  if (fireVisible.Value() == 0 || !fire.CanDraw()) return;
  fire.SetCommonParams(fireQuad_);
  fire.Effect()->SetTechnique("AsEffect");
  DrawMeshWithEffect(fireQuad_, fire.Effect());
}

void DS_FlameLight::RenderOverlay() {
  if (distortionFlag.Value() == 1) {
    // The capture ends here rather than in the slide, without a clear: the haze covers it.
    DS_RenderTargetPair& captured = EndSceneCapture(false);
    g_view2D->SetWorldTransform(distortion.quad.world);
    if (IDirect3DTexture9* scene = captured.current.Get()) distortion.Render(scene);
  }
  if (IDirect3DDevice9* d = g_currentDevice) d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  g_view2D->DrawBars();
  if (IDirect3DDevice9* d = g_currentDevice) d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
}

void DS_FlameLight::Update(float t) {
  fire.Update(t);
  camera_.Update(t);
  distortion.Update(t);
}

void DS_FlameLight::OnImageChanged() {
  LoadImageTexture(pictureLink_, pictureMesh_);
  Resize(width_, height_);
  const float w = float(pictureMesh_.info.width);
  const float h = float(pictureMesh_.info.height);
  distortion.Resize(w, h);
  const float top = FireTop(h, fireOffset.Value());
  const float bottom = FireBottom(h, fireOffset.Value());
  UpdateQuadPositionsPT(fireQuad_, {{0, top}, {w, top}, {0, bottom}, {w, bottom}});
}

void DS_FlameLight::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_FlameLight::WriteFields(DS_IOF_Holder stream) {
  WriteSwitch(stream, fireVisible);
  WriteSwitch(stream, distortionFlag);
  stream->WriteUInt(fireOffset.Value());
  if (g_docResManager) g_docResManager->RegisterImageForSave(distortion.bumpLink);
  distortion.bumpLink.Write(stream);
  distortion.effectLink.Write(stream);
  distortion.speed.Write(stream);
  distortion.strength.Write(stream);
  distortion.bumpScale.Write(stream);
  fire.WriteRecord(stream);
  DS_2D_Light::WriteRecord(stream);
}

void DS_FlameLight::ReadFields(DS_IOF_Holder stream, int32_t version) {
  ReadSwitch(stream, fireVisible);
  ReadSwitch(stream, distortionFlag);
  stream->ReadUInt(fireOffset.Value());
  if (version < 2) ReadScaled(stream, fire.speed);
  distortion.bumpLink.Read(stream);
  distortion.effectLink.Read(stream);
  ReadScaled(stream, distortion.speed);
  ReadScaled(stream, distortion.strength);
  ReadScaled(stream, distortion.bumpScale);
  if (version > 1) {
    std::unique_ptr<DS_FireFX> read = DS_FireFX::ReadNewRecord(stream);
    fire = *read;
  } else {
    // Two links of an older layout, read and dropped.
    DS_FileLink3 dropped;
    dropped.Read(stream);
    dropped.Read(stream);
  }
  DS_2D_Light::ReadRecord(stream);
}
