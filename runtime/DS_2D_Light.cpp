#include "runtime/DS_2D_Light.h"

#include <bit>
#include <chrono>
#include <cmath>

#include "device/CurrentDevice.h"
#include "device/StrictCalls.h"
#include "device/TextureHelpers.h"
#include "document/DS_DocResManager.h"
#include "document/DS_ResourceCache.h"
#include "runtime/DS_View2D.h"

namespace {

constexpr int32_t kMarkerIds[5] = {54, 55, 56, 57, 61};
constexpr int kFrameMarker = 4;

// Seconds of the wall clock modulo 1000, with milliseconds: the pulse of object frames.
float FrameClock() {
  using namespace std::chrono;
  auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  return float((ms / 1000) % 1000) + float(ms % 1000) / 1000.0f;
}

// A mesh of no primitives (a sprite array whose sprites are all gone) draws nothing.
template <class Mesh>
void DrawIndexed(IDirect3DDevice9* device, const Mesh& mesh) {
  if (mesh.indexedPrimitiveCount == 0) return;
  device->DrawIndexedPrimitive(mesh.primitiveType, 0, 0, mesh.vertexCount, 0, mesh.indexedPrimitiveCount);
}

template <class Draw>
void ForEachPass(ID3DXEffect* effect, Draw draw) {
  UINT passes = 0;
  effect->Begin(&passes, 0);
  for (UINT i = 0; i < passes; ++i) {
    effect->BeginPass(i);
    draw();
    effect->EndPass();
  }
  effect->End();
}

// An alpha-blended quad in its vertex colours; alpha blending stays on afterwards. A quad of
// no primitives (a transparent fader) leaves the same states and draws nothing.
template <class V>
void DrawDiffuseQuad(const DS_SimpleMesh<V>& quad) {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  BindVertices(quad);
  if (quad.primitiveCount != 0) d->DrawPrimitive(quad.primitiveType, 0, quad.primitiveCount);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
}

}  // namespace

void CreateScreenMesh(DS_ImageQuad& mesh) {
  CreateQuadPT(mesh);
  if (DX_V::PT* v = mesh.Lock()) {
    const float uv[4][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
    for (int i = 0; i < 4; ++i) {
      v[i] = DX_V::PT{0, 0, 0, uv[i][0], uv[i][1]};
    }
    mesh.Unlock();
  }
}

void SetQuadSizePT(DS_ImageQuad& mesh, float w, float h) {
  if (DX_V::PT* v = mesh.Lock()) {
    const float pos[4][2] = {{0, h}, {0, 0}, {w, h}, {w, 0}};
    for (int i = 0; i < 4; ++i) {
      v[i].x = pos[i][0];
      v[i].y = pos[i][1];
      v[i].z = 0;
    }
    mesh.Unlock();
  }
}

void SetQuadTexturePT(DS_ImageQuad& mesh, const DS_TextureInfo& info) {
  mesh.texture = info.texture;
  SetQuadSizePT(mesh, float(info.width), float(info.height));
}

DS_2D_Light::DS_2D_Light() : pictureLink_(DS_FileLink3(5, L"common_res.dll")) {
  controls_.SetOwner<DS_2D_Light>(this);
  controls_.SetUnderConstruction(false);
  DS_FunLightCtrl2<DS_2D_Light>::Bind(controls_, pictureLink_, [](DS_2D_Light* light) { light->OnImageChanged(); });
}

DS_2D_Light::~DS_2D_Light() = default;

void DS_2D_Light::LoadImageTexture(DS_ImageFileLink& link, DS_ImageQuad& mesh) {
  DS_TextureInfo info;
  if (g_docResManager) GetTextureInfoFromSet(g_docResManager->GetImageTextures(link), info);
  mesh.info = info;
  SetQuadTexturePT(mesh, info);
}

void DS_2D_Light::CreateDeviceResources() {
  CreateScreenMesh(pictureMesh_);
  LoadImageTexture(pictureLink_, pictureMesh_);
  g_view2D->CreateBars();
  for (int i = 0; i < 5; ++i) markers_[i] = g_resourceCache ? g_resourceCache->GetBuiltinTexture(kMarkerIds[i]) : nullptr;
}

void DS_2D_Light::AcquireDeviceResources() {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  d->SetRenderState(D3DRS_ZENABLE, FALSE);
  d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  d->SetRenderState(D3DRS_LIGHTING, FALSE);
  d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
  d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
  // Stage 0 ends up selecting the texture colour with diffuse as its second argument;
  // stage 1 is off.
  d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
  d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  if (g_docResManager) g_docResManager->AcquireDeviceResources();
  D3DSURFACE_DESC desc{};
  GetBackBufferDesc(desc);
  captureTargets_.Create(desc.Width, desc.Height);
}

void DS_2D_Light::ReleaseDeviceResources() {
  captureTargets_.ReleaseTargets();
  sceneTexture_.Reset();
  if (g_docResManager) g_docResManager->ReleaseDeviceResources();
}

void DS_2D_Light::RenderBackground() {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  d->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FFFF00, 1.0f, 0);
  g_view2D->InstallTransforms();
  g_view2D->SetWorldTransform(pictureMesh_.world);
  BindTexturedPT(pictureMesh_);
  d->DrawPrimitive(pictureMesh_.primitiveType, 0, pictureMesh_.primitiveCount);
}

void DS_2D_Light::RenderOverlay() { g_view2D->DrawBars(); }

void DS_2D_Light::Update(float t) { camera_.Update(t); }

void DS_2D_Light::Resize(int32_t width, int32_t height) {
  width_ = width;
  height_ = height;
  g_view2D->Setup(width, height, pictureMesh_.info, g_view2D->mode, false);
  DS_QuadCorners fitted;
  FitQuadToImage(fitted, pictureMesh_.info, width, height);
  ScaleQuadToBackBuffer(fitted, width, height);
  SetVirtualScreen(fitted, width, height, pictureMesh_.info.width, pictureMesh_.info.height);
}

void DS_2D_Light::SetPicturePosition(int32_t mode) {
  picturePositionMode_ = mode;
  g_view2D->Setup(width_, height_, pictureMesh_.info, mode, false);
  Resize(width_, height_);
}

bool DS_2D_Light::IsCameraDrifting() { return camera_.motionType.Value() == 1; }

bool DS_2D_Light::ResetCameraDrift() {
  bool wasDrifting = camera_.motionType.Value() == 1;
  camera_.motionType.Value() = 1;
  camera_.driftStartX = camera_.driftTargetX = 0.0f;
  camera_.driftStartY = camera_.driftTargetY = 0.0f;
  camera_.driftStartTime = camera_.driftEndTime = 0.0f;
  return wasDrifting;
}

void DS_2D_Light::DrawScreenQuad(DS_SimpleMesh<DX_V::SC>& quad) { DrawDiffuseQuad(quad); }

void DS_2D_Light::DrawQuadPC(DS_SimpleMesh<DX_V::PC>& quad) { DrawDiffuseQuad(quad); }

void DS_2D_Light::BeginSceneCapture() {
  picturePositionMode_ = g_view2D->mode;
  captureTargets_.Begin(captureTargets_.current.Get());
  g_view2D->Setup(width_, height_, pictureMesh_.info, kPictureCaptureStretch, false);
}

DS_RenderTargetPair& DS_2D_Light::EndSceneCapture(bool clear) {
  g_view2D->Setup(width_, height_, pictureMesh_.info, picturePositionMode_, false);
  captureTargets_.End();
  if (clear && g_currentDevice)
    ClearBoundSurfaces(g_currentDevice, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  return captureTargets_;
}

void DS_2D_Light::RenderObjects(const std::vector<DS_SharedPtr<DS_ABObj>>& objects, int n) {
  sceneTexture_ = pictureMesh_.info.texture;
  for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
    DS_ABObj* object = it->Get();
    if (!object) continue;
    if (object->IsSceneEffect()) {
      --n;
      IDirect3DTexture9* scene = n > 0 ? captureTargets_.Swap() : EndSceneCapture(false).current.Get();
      // Without capture targets the capture is off and the picture is the scene so far.
      sceneTexture_ = scene ? ComRef<IDirect3DTexture9>::Share(scene) : pictureMesh_.info.texture;
    }
    object->Render(*this);
    sceneTexture_ = pictureMesh_.info.texture;
  }
}

void DS_2D_Light::CreateCentredOverlay(int32_t width, int32_t height, int32_t mode) {
  overlayMode_ = g_view2D->mode;
  overlayQuad_ = std::make_unique<DS_TexturedQuad<DX_V::SCT>>();
  CreateCentredQuadSCT(*overlayQuad_, float(width), float(height));
  SetQuadAlphaSCT(128, *overlayQuad_, 0.25f);
  g_view2D->Setup(width, height, pictureMesh_.info, mode, true);
}

void DS_2D_Light::DestroyCentredOverlay() {
  g_view2D->Setup(width_, height_, pictureMesh_.info, overlayMode_, false);
  overlayQuad_.reset();
}

void DS_2D_Light::OnImageChanged() {
  LoadImageTexture(pictureLink_, pictureMesh_);
  Resize(width_, height_);
}

void DS_2D_Light::DrawObjectFrame(DS_SimpleMesh<DX_V::PC>& quad, int m, bool steady) {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  g_view2D->SetWorldTransform(quad.world);
  if (m == 0) DrawQuadPC(quad);
  BindVertices(quad);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetRenderState(D3DRS_ZENABLE, FALSE);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
  d->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
  d->SetRenderState(D3DRS_POINTSCALEENABLE, FALSE);
  const float pointSize = 60.0f;
  d->SetRenderState(D3DRS_POINTSIZE, std::bit_cast<DWORD>(pointSize));

  const float s = FrameClock();
  int alpha = 255;
  if (m != 0 && !steady) {
    float x = std::sin(float(2.5 * double(s)));
    alpha = int(207.0f * x * x + 48.0f);
  } else if (m == 0) {
    float x = std::sin(float(5.0 * double(s)));
    alpha = int(207.0f * x * x + 48.0f) / 3 + 80;
  }
  d->SetRenderState(D3DRS_TEXTUREFACTOR, (DWORD(alpha) << 24) | 0x00FFFFFFu);

  if (m == 0) {
    d->SetTexture(0, markers_[kFrameMarker].Get());
    d->DrawPrimitive(D3DPT_POINTLIST, 0, 4);
  } else {
    // Vertex order is bottom left, top left, bottom right, top right.
    const int vertexMarker[4][2] = {{1, 0}, {3, 1}, {2, 2}, {0, 3}};
    for (const auto& vm : vertexMarker) {
      d->SetTexture(0, markers_[vm[1]].Get());
      d->DrawPrimitive(D3DPT_POINTLIST, vm[0], 1);
    }
  }
  d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void DS_2D_Light::DrawIndexedMeshWithEffect(DS_IndexedMesh<DX_V::PT>& mesh, ID3DXEffect* effect) {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d || !effect) return;
  BindIndexedPT(mesh);
  ForEachPass(effect, [&] { DrawIndexed(d, mesh); });
}

void DS_2D_Light::DrawMeshWithEffect(DS_SimpleMesh<DX_V::PT>& mesh, ID3DXEffect* effect) {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d || !effect) return;
  g_view2D->SetWorldTransform(mesh.world);
  BindVertices(mesh);
  ForEachPass(effect, [&] { d->DrawPrimitive(mesh.primitiveType, 0, mesh.primitiveCount); });
}

void DS_2D_Light::DrawMeshInstances(const DS_IndexedMesh<DX_V::PNT>& part, IDirect3DTexture9* texture,
                                    bool translucent, const std::list<DS_Frame*>& frames) {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  g_view2D->InstallTransforms();
  if (translucent) d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetTexture(0, texture);
  BindIndexedPNT(part);
  auto walk = [&](bool opposite) {
    for (const DS_Frame* frame : frames) {
      g_view2D->SetWorldTransform(frame->world);
      bool ccw = (frame->winding != 0) != opposite;
      d->SetRenderState(D3DRS_CULLMODE, ccw ? D3DCULL_CCW : D3DCULL_CW);
      DrawIndexed(d, part);
    }
  };
  walk(false);
  if (translucent) walk(true);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void DS_2D_Light::DrawSpriteArray(const DS_IndexedMesh<DX_V::PCT>& array, IDirect3DTexture9* texture,
                                  IDirect3DTexture9* overlay, uint32_t blendSetting) {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  g_view2D->InstallTransforms();
  g_view2D->SetWorldTransform(array.world);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  d->SetRenderState(D3DRS_DESTBLEND, (overlay || blendSetting == 0) ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE);
  d->SetTexture(0, texture);
  BindIndexedPCT(array);
  DrawIndexed(d, array);
  if (overlay) {
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTexture(0, overlay);
    if (blendSetting == 1) d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    DrawIndexed(d, array);
  }
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
}

void DS_2D_Light::DrawFrameList(const DS_IndexedMesh<DX_V::PNT>& mesh, IDirect3DTexture9* texture,
                                const std::list<DS_Frame*>& children) {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  g_view2D->InstallTransforms();
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d->SetTexture(0, texture);
  BindIndexedPNT(mesh);
  for (const DS_Frame* frame : children) {
    g_view2D->SetWorldTransform(frame->world);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    DrawIndexed(d, mesh);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    DrawIndexed(d, mesh);
  }
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void DS_2D_Light::ReadNew(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }

void DS_2D_Light::ReadRecord(DS_IOF_Holder stream) { ReadFields(stream, ReadRecordHeader(stream).version); }

void DS_2D_Light::ReadFields(DS_IOF_Holder stream, int32_t version) {
  if (version > 1) pictureLink_.Read(stream);
  if (version > 2) {
    std::unique_ptr<DSM_Camera> camera = DSM_Camera::ReadNewRecord(stream);
    camera_.CopyFrom(*camera);
  }
}

void DS_2D_Light::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_2D_Light::WriteFields(DS_IOF_Holder stream) {
  // The written document carries the picture.
  if (g_docResManager) g_docResManager->RegisterImageForSave(pictureLink_);
  pictureLink_.Write(stream);
  camera_.WriteRecord(stream);
}
