#include "lights/DS_WaterRingLight.h"

#include "device/CurrentDevice.h"
#include "device/TextureHelpers.h"
#include "document/DS_DocResManager.h"
#include "document/ParamStream.h"
#include "runtime/DS_View2D.h"

namespace {

constexpr float kWaterDepth = 30.0f;  // the water's extent along z; along x it follows the picture

D3DXMATRIX Identity() {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  return m;
}

// Runs a draw of the base host with lighting off: render objects bring no normals of ours.
template <class Draw>
void Unlit(Draw draw) {
  if (g_currentDevice) g_currentDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
  draw();
  if (g_currentDevice) g_currentDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
}

}  // namespace

float MapWaterDamping(unsigned int v) {
  if (v < 50) return float(double(v) * 0.09 * 0.02 + 0.9);
  return float(double(v - 50) * 0.009 * 0.02 + 0.99);
}

DS_WaterRingLight::DS_WaterRingLight()
    : grid_(std::make_unique<DS_WaterGrid>()),
      world_(Identity()),
      view_(Identity()),
      cameraMatrix_(Identity()),
      projection_(Identity()) {
  SetScaledDefault(dropRate, 30, 1.0f / 60.0f, 0.0f);
  SetScaledDefault(specularLevel, 90, 0.01f, 0.0f);
  SetScaledDefault(specularPower, 50, 0.8f, 0.0f);
}

DS_WaterRingLight::~DS_WaterRingLight() = default;

void DS_WaterRingLight::DrawObjectFrame(DS_SimpleMesh<DX_V::PC>& quad, int m, bool steady) {
  Unlit([&] { DS_2D_Light::DrawObjectFrame(quad, m, steady); });
}

void DS_WaterRingLight::DrawMeshInstances(const DS_IndexedMesh<DX_V::PNT>& part, IDirect3DTexture9* texture,
                                          bool translucent, const std::list<DS_Frame*>& frames) {
  Unlit([&] { DS_2D_Light::DrawMeshInstances(part, texture, translucent, frames); });
}

void DS_WaterRingLight::DrawSpriteArray(const DS_IndexedMesh<DX_V::PCT>& array, IDirect3DTexture9* texture,
                                        IDirect3DTexture9* overlay, uint32_t blendSetting) {
  Unlit([&] { DS_2D_Light::DrawSpriteArray(array, texture, overlay, blendSetting); });
}

void DS_WaterRingLight::DrawFrameList(const DS_IndexedMesh<DX_V::PNT>& mesh, IDirect3DTexture9* texture,
                                      const std::list<DS_Frame*>& children) {
  Unlit([&] { DS_2D_Light::DrawFrameList(mesh, texture, children); });
}

void DS_WaterRingLight::CreateDeviceResources() {
  DS_2D_Light::CreateDeviceResources();
  BuildWaterRefractionTable(*grid_);
  // 120 units above the water plane y = 0, looking straight down; the screen's top is -z.
  D3DXMatrixRotationX(&cameraMatrix_, -1.5707964f);
  cameraMatrix_._41 = 0.0f;
  cameraMatrix_._42 = 120.0f;
  cameraMatrix_._43 = 0.0f;
  D3DXMatrixInverse(&view_, nullptr, &cameraMatrix_);
  // These four reach the water here only.
  grid_->heightScale = float(double(waveHeight.Value()) * 0.02 + 1.0);
  grid_->dropStrength = float(double(dropForce.Value()) * 0.01 * 0.7 + 0.1);
  grid_->damping = MapWaterDamping(persistence.Value());
  grid_->refractionDepth = float(double(refractionLevel.Value()) * 0.01);
  ResizeGrid();
  ApplyMaterial();
}

void DS_WaterRingLight::AcquireDeviceResources() {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  // The base light restores the manager's effects here; this light does not call it, so it
  // restores them itself (else they stay lost after a reset until another light's slide).
  if (g_docResManager) g_docResManager->AcquireDeviceResources();

  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = lightColour_;
  light.Specular = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 0.0f};
  light.Direction = lightDirection_;
  d->SetLight(0, &light);
  d->LightEnable(0, TRUE);
  ApplyMaterial();
  d->SetFVF(D3DFVF_XYZ);
  d->SetTransform(D3DTS_VIEW, &view_);
  d->SetTransform(D3DTS_WORLD, &world_);
  d->SetRenderState(D3DRS_LIGHTING, FALSE);
  d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  for (DWORD stage = 0; stage < 2; ++stage) {
    d->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
    d->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
    d->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    d->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    d->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
  }
  d->SetRenderState(D3DRS_ZENABLE, FALSE);
  d->SetRenderState(D3DRS_LIGHTING, TRUE);
  d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
  d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
  ResizeGrid();  // remakes the default-pool buffers; the water restarts calm with one drop
  Resize(storedWidth_, storedHeight_);
  D3DSURFACE_DESC desc{};
  GetBackBufferDesc(desc);
  captureTargets_.Create(desc.Width, desc.Height);
}

void DS_WaterRingLight::ReleaseDeviceResources() {
  DS_2D_Light::ReleaseDeviceResources();
  grid_->ReleaseBuffers();
}

void DS_WaterRingLight::ResizeGrid() {
  const float aspect = pictureMesh_.info.aspect;
  grid_->Resize(kWaterDepth / aspect, kWaterDepth, float(double(rowDensity.Value()) * 0.01 + 1.0),
                float(double(gridDensity.Value()) * 0.01 + 1.0));
  grid_->AddRandomDrop();
}

void DS_WaterRingLight::ApplyMaterial() {
  if (!g_currentDevice) return;
  const float s = specularLevel.scaledValue;
  D3DMATERIAL9 material{};
  material.Diffuse = D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 1.0f};
  material.Specular = D3DCOLORVALUE{s, s, s, 0.0f};
  material.Power = specularPower.scaledValue;
  g_currentDevice->SetMaterial(&material);
}

void DS_WaterRingLight::Update(float t) {
  camera_.Update(t);
  if (t < lastDropTime_) lastDropTime_ = t;  // the clock went back
  // A rate of 0 makes the interval infinite: no drop falls after the first.
  if (1.0f / dropRate.scaledValue < t - lastDropTime_) {
    grid_->AddRandomDrop();
    lastDropTime_ = t;
  }
  grid_->Step(D3DXVECTOR3(cameraMatrix_._41, cameraMatrix_._42, cameraMatrix_._43));
}

void DS_WaterRingLight::Resize(int32_t width, int32_t height) {
  storedWidth_ = width;
  storedHeight_ = height;
  if (width == 0 || height == 0) return;
  DS_2D_Light::Resize(width, height);
  // The water (30 / a wide, 30 deep) fitted, centred and undistorted into the target.
  const float a = pictureMesh_.info.aspect;
  const float d = float(width) / float(height);
  float e, f;
  if (a * d > 1.0f) {
    e = kWaterDepth / 2.0f;
    f = d * e;
  } else {
    f = kWaterDepth / a * 0.5f;
    e = f / d;
  }
  D3DXMatrixOrthoOffCenterRH(&projection_, -f, f, -e, e, -1.0f, 2000.0f);
  if (g_currentDevice) g_currentDevice->SetTransform(D3DTS_PROJECTION, &projection_);
}

void DS_WaterRingLight::SetPicturePosition(int32_t mode) {
  picturePositionMode_ = mode;
  g_view2D->Setup(width_, height_, pictureMesh_.info, mode, false);
  DS_2D_Light::Resize(width_, height_);
  Resize(storedWidth_, storedHeight_);
}

void DS_WaterRingLight::RenderBackground() {
  if (DrawsWholeScene()) {
    DS_2D_Light::RenderBackground();  // into the capture the slide has begun
    return;
  }
  BindTexturedPT(pictureMesh_);
  DrawWater(pictureMesh_.info.texture.Get());
}

void DS_WaterRingLight::RenderOverlay() {
  if (DrawsWholeScene() && g_currentDevice) {
    EndSceneCapture(true);
    // Without capture targets the slide went straight to the back buffer: the water then
    // shows the picture rather than nothing.
    IDirect3DTexture9* scene = captureTargets_.Ready() ? captureTargets_.current.Get() : pictureMesh_.info.texture.Get();
    DrawWater(scene);
  }
  g_view2D->DrawBars();
}

void DS_WaterRingLight::DrawWater(IDirect3DTexture9* texture) {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
  d->SetTransform(D3DTS_WORLD, &world_);

  // The water follows the picture in the 2D view: shifted by the pan (in picture sizes),
  // seen by the camera, then scaled like the picture about its top left corner.
  D3DXMATRIX m = g_view2D->panZoom * g_view2D->modeOffset * g_view2D->modeScale;
  const uint32_t pictureWidth = GetImageWidth(), pictureHeight = GetImageHeight();
  const float ox = pictureWidth ? float(m._41 / m._11) / float(pictureWidth) : 0.0f;
  const float oy = pictureHeight ? float(m._42 / m._22) / float(pictureHeight) : 0.0f;
  const float sx = grid_->SizeX(), sz = grid_->SizeZ();
  D3DXMATRIX t1, t2;
  D3DXMatrixTranslation(&t1, (0.5f + ox) * sx, 0.0f, (0.5f + oy) * sz);
  D3DXMatrixTranslation(&t2, -0.5f * sx, 0.5f * sz, 0.0f);
  m._41 = 0.0f;
  m._42 = 0.0f;
  const D3DXMATRIX view = t1 * view_ * m * t2;
  d->SetTransform(D3DTS_VIEW, &view);
  d->SetTransform(D3DTS_PROJECTION, &projection_);
  d->SetTexture(0, texture);
  grid_->Draw();
  g_view2D->InstallTransforms();
}

void DS_WaterRingLight::DrawScreenQuad(DS_SimpleMesh<DX_V::SC>& quad) {
  DS_2D_Light::DrawScreenQuad(quad);
  if (g_currentDevice) g_currentDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void DS_WaterRingLight::BeginSceneCapture() {
  DS_2D_Light::BeginSceneCapture();
  if (!DrawsWholeScene()) SetPicturePosition(0);
}

DS_RenderTargetPair& DS_WaterRingLight::EndSceneCapture(bool clear) {
  if (!DrawsWholeScene()) SetPicturePosition(2);
  return DS_2D_Light::EndSceneCapture(clear);
}

void DS_WaterRingLight::ReadFields(DS_IOF_Holder stream, int32_t version) {
  if (version > 1) {
    stream->ReadUInt(waveHeight.Value());
    stream->ReadUInt(rowDensity.Value());
    stream->ReadUInt(gridDensity.Value());
    stream->ReadUInt(dropForce.Value());
    stream->ReadUInt(persistence.Value());
    stream->ReadUInt(refractionLevel.Value());
    for (UINTSclaleTo<float>* scaled : {&dropRate, &specularLevel, &specularPower}) ReadScaled(stream, *scaled);
  }
  ReadSwitch(stream, wholeScene);
  DS_2D_Light::ReadRecord(stream);
}

void DS_WaterRingLight::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
  DS_2D_Light::WriteRecord(stream);
}

void DS_WaterRingLight::WriteFields(DS_IOF_Holder stream) {
  for (const MediaParamT<unsigned int>* value :
       {&waveHeight, &rowDensity, &gridDensity, &dropForce, &persistence, &refractionLevel})
    stream->WriteUInt(value->Value());
  for (const UINTSclaleTo<float>* scaled : {&dropRate, &specularLevel, &specularPower})
    stream->WriteUInt(scaled->Value());
  WriteSwitch(stream, wholeScene);
}
