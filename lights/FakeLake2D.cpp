#include "lights/FakeLake2D.h"

#include <objbase.h>

#include <bit>
#include <cmath>
#include <vector>

#include "device/BumpMaps.h"
#include "device/CurrentDevice.h"
#include "device/DdsWriter.h"
#include "device/DefaultPool.h"
#include "device/StrictCalls.h"
#include "device/TextureHelpers.h"
#include "document/DS_DocResManager.h"
#include "document/DS_ResourceCache.h"
#include "document/ParamStream.h"
#include "runtime/DS_View2D.h"

namespace {

DWORD FloatBits(float f) { return std::bit_cast<DWORD>(f); }

// The heights of a render target: the red channel of what was drawn into it. Read back
// through system memory, as render targets cannot be locked.
bool ReadRedChannel(IDirect3DSurface9* target, uint32_t width, uint32_t height, std::vector<uint8_t>& red) {
  ComRef<IDirect3DSurface9> copy;
  if (FAILED(g_currentDevice->CreateOffscreenPlainSurface(width, height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                          copy.Put(), nullptr)) ||
      FAILED(CopyRenderTargetData(g_currentDevice, target, copy.Get())))
    return false;
  D3DLOCKED_RECT locked;
  if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return false;
  red.resize(size_t(width) * height);
  for (uint32_t y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch);
    for (uint32_t x = 0; x < width; ++x) red[size_t(y) * width + x] = uint8_t(row[x] >> 16);
  }
  copy->UnlockRect();
  return true;
}

}  // namespace

void SplitQuadRect(DS_QuadCorners& q, float f) {
  const float top = q.corner[1].y, bottom = q.corner[0].y;
  const float vTop = q.corner[1].v, vBottom = q.corner[0].v;
  const float newTop = bottom - f * (bottom - top);
  const float newVTop = vTop + (vBottom - vTop) * (1.0f - f);
  const float newVBottom = vTop + (vBottom - vTop) * (1.0f - 2.0f * f);
  for (int i : {1, 3}) {
    q.corner[i].y = newTop;
    q.corner[i].v = newVTop;
  }
  for (int i : {0, 2}) q.corner[i].v = newVBottom;
}

FakeLake2D::FakeLake2D() {
  InitScaled(waveSpeed, 50, 0.02f, 0.0f);
  InitScaled(waveTiling, 100, 0.01f, 0.0f);
  InitScaled(horizon, 25, -0.005f, 0.5f);
  InitScaled(farFlattening, 100, 0.01f, 0.0f);
  InitScaled(tintOpacity, 31, 0.008f, 0.0f);
  InitScaled(horizonFade, 58, 0.01f, 0.0f);
  normalMapAmplitude.Assign(25);
  reflectionOffset.Assign(7);
  resamplePower.Assign(1);
  tintColour.Assign(0x408000);
  CoCreateGuid(&bumpIdentity);
  D3DXMatrixIdentity(&bumpMatrix_);
  reflectionMesh_.primitiveType = D3DPT_TRIANGLELIST;
}

FakeLake2D::~FakeLake2D() = default;

D3DCOLOR FakeLake2D::TintD3DColour() const {
  const unsigned long c = tintColour.Value();
  return D3DCOLOR(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
}

// ---- Layout ----

void FakeLake2D::BuildBackdropMesh() {
  CreateVertexBufferPTT(6, reflectionMesh_);
  reflectionMesh_.primitiveType = D3DPT_TRIANGLELIST;
  reflectionMesh_.primitiveCount = 2;
}

void FakeLake2D::FillBackdropFromQuad(const DS_QuadCorners& q) {
  DX_V::PTT* v = reflectionMesh_.Lock();
  if (!v) return;
  // Top-left, bottom-left, bottom-right; top-left, bottom-right, top-right.
  const int order[6] = {1, 0, 2, 1, 2, 3};
  for (int i = 0; i < 6; ++i) {
    const auto& c = q.corner[order[i]];
    v[i].x = c.x;
    v[i].y = c.y;
    v[i].z = 0.0f;
    v[i].u1 = c.u;
    v[i].v1 = c.v;
  }
  reflectionMesh_.Unlock();
}

void FakeLake2D::SetBackdropTexCoords(float t) {
  DX_V::PTT* v = reflectionMesh_.Lock();
  if (!v) return;
  // The bump map spans 0.01 to t across the lake, starting at the horizon.
  const float uv[6][2] = {{0.01f, 0.01f}, {0.01f, t}, {t, t}, {0.01f, 0.01f}, {t, t}, {t, 0.01f}};
  for (int i = 0; i < 6; ++i) {
    v[i].u0 = uv[i][0];
    v[i].v0 = uv[i][1];
  }
  reflectionMesh_.Unlock();
}

void FakeLake2D::FillReflectionStrip(const DS_QuadCorners& q) {
  if (tintQuads_[0].Lock()) {
    WriteQuadPC(q, tintQuads_[0]);
    tintQuads_[0].Unlock();
  }
  const float x0 = q.corner[1].x, y0 = q.corner[1].y;
  const float width = float(int32_t(q.corner[2].x - x0));
  const float lakeHeight = q.corner[0].y - y0;
  const float pictureHeight = float(pictureMesh_.info.height) * horizon.scaledValue;
  // A lake without height (horizon factor 0, or a picture without size) takes the offset
  // itself instead of 0 / 0; for the full picture the ratio is 1 anyway.
  const float offset = float(reflectionOffset.Value());
  const float d = lakeHeight != 0.0f && pictureHeight != 0.0f ? -float(int32_t(offset * lakeHeight / pictureHeight))
                                                              : -offset;
  DS_QuadCorners strip = RectangleQuad(x0, y0 + d, x0 + width, y0);
  // Corners 0 and 2 lie d above the horizon, corners 1 and 3 on it.
  for (int i : {0, 2}) strip.corner[i].y = y0 + d;
  for (int i : {1, 3}) strip.corner[i].y = y0;
  if (tintQuads_[1].Lock()) {
    WriteQuadPC(strip, tintQuads_[1]);
    tintQuads_[1].Unlock();
  }
}

void FakeLake2D::SetReflectionFade() {
  const float a = tintOpacity.scaledValue;
  const float b = a * (1.0f - horizonFade.scaledValue);
  SetQuadAlphaPC(tintQuads_[0], a, a, b, b);
  SetQuadAlphaPC(tintQuads_[1], 0.0f, 0.0f, b, b);
  // A tint of no opacity cannot change a pixel: its quads keep no primitive to draw.
  tintQuads_[0].primitiveCount = AlphaByte(a) != 0 || AlphaByte(b) != 0 ? 2 : 0;
  tintQuads_[1].primitiveCount = AlphaByte(b) != 0 ? 2 : 0;
}

void FakeLake2D::LayoutReflection() {
  const float w = float(pictureMesh_.info.width), h = float(pictureMesh_.info.height);
  DS_QuadCorners q = RectangleQuad(0.0f, 0.0f, w, h);
  SplitQuadRect(q, horizon.scaledValue);
  FillBackdropFromQuad(q);
  FillReflectionStrip(q);
}

// ---- Device resources ----

void FakeLake2D::BuildBumpMap() {
  IDirect3DDevice9* d = g_currentDevice;
  if (regenerate_ != 0 || !d || !g_resourceCache) return;
  ComRef<IDirect3DTexture9> wave = g_resourceCache->GetBuiltinTexture(kWavePictureId);
  D3DSURFACE_DESC desc;
  if (!wave || FAILED(wave->GetLevelDesc(0, &desc))) return;
  const UINT w = desc.Width, h = desc.Height;

  ComRef<IDirect3DSurface9> savedTarget, savedDepth, surface;
  ComRef<IDirect3DTexture9> target;
  // Without the target to go back to, nothing is drawn: render target 0 may not be null.
  if (FAILED(d->GetRenderTarget(0, savedTarget.Put()))) return;
  if (FAILED(d->GetDepthStencilSurface(savedDepth.Put()))) savedDepth.Reset();
  if (FAILED(CreateRenderTargetTexture(w, h, D3DFMT_A8R8G8B8, "lake wave render target", target)) ||
      FAILED(target->GetSurfaceLevel(0, surface.Put())))
    return;
  d->SetRenderTarget(0, surface.Get());
  d->SetDepthStencilSurface(nullptr);
  d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080u, 1.0f, 0);
  if (SUCCEEDED(d->BeginScene())) {
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    DS_TexturedQuad<DX_V::SCT> picture;
    const DS_QuadCorners full = RectangleQuad(0.0f, 0.0f, float(w), float(h));
    SetQuadTextureSCT(picture, wave.Get(), full);
    BindTexturedSCT(picture);
    d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    // Flat grey laid over the far (top) edge: calm water towards the horizon.
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->SetTexture(0, nullptr);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    DS_SimpleMesh<DX_V::SC> grey;
    FillQuadSC(grey, 0x00808080u, full);
    SetQuadAlphaSC(grey, 0.0f, 0.0f, farFlattening.scaledValue, farFlattening.scaledValue);
    BindQuadSC(grey);
    d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->EndScene();
  }
  d->SetRenderTarget(0, savedTarget.Get());
  d->SetDepthStencilSurface(savedDepth.Get());

  // D3DX under Wine neither computes normal maps nor converts into V8U8: our own routines
  // do both steps, here and on Windows alike.
  std::vector<uint8_t> heights;
  if (!ReadRedChannel(surface.Get(), w, h, heights)) return;
  const std::vector<uint8_t> texels =
      NormalMapToV8U8(ComputeNormalMap(heights, w, h, float(normalMapAmplitude.Value())));
  ComRef<IDirect3DTexture9> bump;
  if (SUCCEEDED(CreateV8U8Texture(w, h, {texels}, bump))) bumpTexture_ = std::move(bump);
}

std::vector<uint8_t> FakeLake2D::StoredBumpMap(const std::vector<uint8_t>& heights, uint32_t width,
                                               uint32_t height) const {
  std::vector<uint8_t> dds;
  if (width == 0 || height == 0 || heights.size() != size_t(width) * height) return dds;
  // The grey BuildBumpMap lays over the picture: its alpha falls from the far flattening at
  // the top edge to 0 at the bottom, taken at each row's centre.
  const float top = float(AlphaByte(farFlattening.scaledValue)) / 255.0f;
  std::vector<uint8_t> flattened(heights.size());
  for (uint32_t y = 0; y < height; ++y) {
    const float alpha = top * (1.0f - (float(y) + 0.5f) / float(height));
    for (uint32_t x = 0; x < width; ++x) {
      const size_t at = size_t(y) * width + x;
      flattened[at] = uint8_t(std::lround(float(heights[at]) * (1.0f - alpha) + 128.0f * alpha));
    }
  }
  const std::vector<uint8_t> texels =
      NormalMapToV8U8(ComputeNormalMap(flattened, width, height, float(normalMapAmplitude.Value())));
  WriteDdsFile(D3DFMT_V8U8, width, height, {texels}, dds);
  return dds;
}

void FakeLake2D::CreateDeviceResources() {
  DS_2D_Light::CreateDeviceResources();
  DS_QuadCorners screen;
  FitQuadToBackBuffer(screen);
  SplitQuadRect(screen, horizon.scaledValue);
  BuildBackdropMesh();
  const D3DCOLOR tint = TintD3DColour();
  for (auto& quad : tintQuads_) FillQuadPC(quad, tint, screen);
  SetReflectionFade();
  BuildBumpMap();  // nothing at the first call: the regenerate flag is still 1
  OnImageChanged();
  LayoutReflection();
  SetBackdropTexCoords(waveTiling.scaledValue);
  for (auto& quad : tintQuads_) SetQuadColorPC(quad, tint);
  ResampleSquareTexture(resamplePower.Value(), reflectionCopy_, pictureMesh_.info.texture.Get());
  // The document's bump map; none stored gives none, and the lake mirrors undisplaced.
  bumpTexture_ = g_docResManager ? g_docResManager->Tables().guidTextures[bumpIdentity] : nullptr;
  regenerate_ = 0;
}

void FakeLake2D::AcquireDeviceResources() {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  d->SetRenderState(D3DRS_ZENABLE, FALSE);
  d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  d->SetTransform(D3DTS_WORLD, &identity);
  d->SetRenderState(D3DRS_LIGHTING, FALSE);
  auto surfaceStates = [d] {
    d->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFFu);
    d->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  };
  surfaceStates();
  for (DWORD sampler : {0u, 1u}) {
    d->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    d->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  }
  for (DWORD sampler : {0u, 1u}) {
    d->SetSamplerState(sampler, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
    d->SetSamplerState(sampler, D3DSAMP_ADDRESSV, D3DTADDRESS_MIRROR);
  }
  d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
  d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  SetBumpStages();
  surfaceStates();
  d->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  // The resource manager's effects come back after a device reset, as with the base light.
  if (g_docResManager) g_docResManager->AcquireDeviceResources();
  D3DSURFACE_DESC back;
  GetBackBufferDesc(back);
  captureTargets_.Create(back.Width, back.Height);
}

void FakeLake2D::SetBumpStages() {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  d->SetTexture(0, bumpTexture_.Get());
  d->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  d->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  d->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(bumpMatrix_._11));
  d->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, FloatBits(bumpMatrix_._12));
  d->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, FloatBits(bumpMatrix_._21));
  d->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(bumpMatrix_._22));
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  d->SetTexture(1, reflectionCopy_.info.texture.Get());
  d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  // Stage 1's alpha passes stage 0's on, as Wine does with it off: Direct3D 9 leaves an
  // alpha operation that is off under a colour operation that is on undefined, and a reset
  // (or a document of the lake alone) leaves stage 1's alpha off.
  d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  d->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
}

void FakeLake2D::OnImageChanged() {
  LoadImageTexture(pictureLink_, pictureMesh_);
  Resize(width_, height_);
  ResampleSquareTexture(resamplePower.Value(), reflectionCopy_, pictureMesh_.info.texture.Get());
  DS_2D_Light::Resize(width_, height_);
  LayoutReflection();
}

// ---- Frame ----

void FakeLake2D::Update(float t) {
  camera_.Update(t);
  waveSpeed.UpdateClock(t);
  const float half = waveSpeed.clock * 0.5f;
  const float a = half * 9.0f;  // 4.5 radians per unit of the wave clock
  const float c = 0.04f * std::cos(a), s = 0.04f * std::sin(a);
  bumpMatrix_._11 = c;
  bumpMatrix_._12 = -s;
  bumpMatrix_._21 = s;
  bumpMatrix_._22 = c;
}

void FakeLake2D::RenderBackground() {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  // While the slide captures the scene no depth surface is bound, and the clear is left out.
  ClearBoundSurfaces(d, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  // The picture on stage 0 alone: after AcquireDeviceResources stage 1 still selects the
  // square copy, which would cover the whole picture in the first frame.
  d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  DS_2D_Light::RenderBackground();

  // The mirrored band: stage 1 reads the picture's square copy at coordinate set 1,
  // displaced by the bump map of set 0 through the turning bump matrix. Without a bump
  // map stage 0 passes through and the band is mirrored undisplaced.
  d->SetStreamSource(0, reflectionMesh_.vertexBuffer.Get(), 0, sizeof(DX_V::PTT));
  SetBumpStages();
  if (!bumpTexture_) {
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  }
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  d->SetSamplerState(1, D3DSAMP_MIPFILTER, D3DTEXF_NONE);  // only the copy's top level is filled
  d->SetVertexShader(nullptr);
  d->SetFVF(DX_V::PTT::FVF);
  d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
  if (reflectionMesh_.vertexBuffer)
    d->DrawPrimitive(reflectionMesh_.primitiveType, 0, reflectionMesh_.primitiveCount);
  d->SetTexture(1, nullptr);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);

  // The tint, fading towards the horizon, and its soft strip above it.
  for (auto& quad : tintQuads_)
    if (quad.vertexBuffer) DrawQuadPC(quad);
}

// ---- Record ----

void FakeLake2D::ReadFields(DS_IOF_Holder stream, int32_t version) {
  if (version > 1) {
    for (UINTSclaleTo<float>* param :
         std::initializer_list<UINTSclaleTo<float>*>{&waveTiling, &waveSpeed, &horizon, &farFlattening, &tintOpacity,
                                                     &horizonFade})
      ReadScaled(stream, *param);
    stream->ReadUInt(normalMapAmplitude.Value());
    stream->ReadUInt(reflectionOffset.Value());
    unsigned long power = 0;  // a 4-byte value, as switches travel
    stream->ReadULong(power);
    resamplePower.Value() = int(power);
    ReadColour(stream, tintColour);
  }
  ReadGuidString(stream, bumpIdentity);
  stream->ReadString(bumpName);
  stream->ReadBool(bumpFlag);
  DS_2D_Light::ReadRecord(stream);
}

void FakeLake2D::WriteRecord(DS_IOF_Holder stream) {
  if (g_docResManager) {
    // The bump map travels in the mask table, refreshed from the texture when there is one.
    g_docResManager->Tables().guidTextures[bumpIdentity] = bumpTexture_;
    g_docResManager->RefreshMaskImage(bumpIdentity);
  }
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void FakeLake2D::WriteFields(DS_IOF_Holder stream) {
  for (const UINTSclaleTo<float>* param : std::initializer_list<const UINTSclaleTo<float>*>{
           &waveTiling, &waveSpeed, &horizon, &farFlattening, &tintOpacity, &horizonFade})
    param->Write(stream);
  stream->WriteUInt(normalMapAmplitude.Value());
  stream->WriteUInt(reflectionOffset.Value());
  stream->WriteULong(static_cast<unsigned long>(resamplePower.Value()));
  WriteColour(stream, tintColour);
  WriteGuidString(stream, bumpIdentity);
  stream->WriteString(bumpName);
  stream->WriteBool(bumpFlag);
  DS_2D_Light::WriteRecord(stream);
}
