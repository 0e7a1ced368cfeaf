#include "lights/DS_GlassBallLight.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "device/CurrentDevice.h"
#include "device/TextureHelpers.h"
#include "document/DS_DocResManager.h"
#include "document/ParamStream.h"
#include "runtime/DS_View2D.h"

namespace {

constexpr float kFieldOfView = 0.7853982f;
constexpr float kNear = 1.0f, kFar = 3000.0f;
// The hemisphere's slope atan(dh) in -pi/2..pi/2 as int16 codes of -25600..25600.
constexpr double kSlopeCode = 16297.4658;
constexpr int32_t kSphereRadiusSquared = 128 * 128;
constexpr int32_t kMaskRadiusSquared = 508 * 508;

DWORD FloatBits(float f) { return std::bit_cast<DWORD>(f); }

float Ratio(float a, float b) { return b != 0.0f ? a / b : 1.0f; }

// The first texture of a link's set; null when the set holds none (a link the document
// does not carry), so that its draw is skipped.
ComRef<IDirect3DTexture9> FirstTexture(const DS_ImageFileLink& link) {
  if (!g_docResManager) return nullptr;
  const DS_TextureSet& set = g_docResManager->GetImageTextures(link);
  return set.textures.empty() ? nullptr : set.textures.front();
}

// Level 0 of the texture through fill(bits, pitch); the texture is dropped when it cannot
// be locked.
template <class Fill>
HRESULT FillLevel0(ComRef<IDirect3DTexture9>& texture, Fill fill) {
  D3DLOCKED_RECT locked;
  if (!texture || FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
    texture.Reset();
    return E_FAIL;
  }
  fill(static_cast<uint8_t*>(locked.pBits), int32_t(locked.Pitch));
  texture->UnlockRect(0);
  return S_OK;
}

HRESULT CreateFilledTexture(ComRef<IDirect3DTexture9>& texture, uint32_t size, D3DFORMAT format,
                            const std::function<void(uint8_t*, int32_t)>& fill) {
  texture.Reset();
  if (!g_currentDevice ||
      FAILED(g_currentDevice->CreateTexture(size, size, 1, 0, format, D3DPOOL_MANAGED, texture.Put(), nullptr))) {
    texture.Reset();
    return E_FAIL;
  }
  return FillLevel0(texture, fill);
}

struct StageState {
  DWORD stage;
  D3DTEXTURESTAGESTATETYPE type;
  DWORD value;
};
template <size_t N>
void Apply(IDirect3DDevice9* d, const StageState (&states)[N]) {
  for (const StageState& s : states) d->SetTextureStageState(s.stage, s.type, s.value);
}

// The backdrop and the scroll copies: the texture's colour as it is, stage 1 off.
constexpr StageState kScreenQuadStates[] = {
    {0, D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1}, {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
    {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
};
// The ball: the bump map on stage 0 displaces stage 1's reading of the captured scene.
// Neither stage has its alpha operation off while its colour operation is on: Direct3D 9
// leaves that undefined (Wine passes the diffuse alpha on). Stage 0 passes the diffuse alpha
// and stage 1 takes it; the ball is drawn unblended, so its alpha shows nowhere.
constexpr StageState kBallStates[] = {
    {0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP},  {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {0, D3DTSS_COLORARG2, D3DTA_CURRENT},    {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2},
    {0, D3DTSS_ALPHAARG2, D3DTA_CURRENT},    {1, D3DTSS_COLOROP, D3DTOP_SELECTARG1},
    {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},    {1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
    {1, D3DTSS_ALPHAARG1, D3DTA_CURRENT},
};
// Without a bump map (the device lacks V16U16) stage 0 passes through: no refraction.
constexpr StageState kBallWithoutBumpStates[] = {
    {0, D3DTSS_COLOROP, D3DTOP_SELECTARG2}, {0, D3DTSS_COLORARG2, D3DTA_CURRENT},
    {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2}, {0, D3DTSS_ALPHAARG2, D3DTA_CURRENT},
    {1, D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1}, {1, D3DTSS_ALPHAARG1, D3DTA_CURRENT},
};
// Overlays and the stand: their own colour and alpha, blended; stage 1 off.
constexpr StageState kPictureOnBallStates[] = {
    {0, D3DTSS_COLOROP, D3DTOP_MODULATE},  {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {0, D3DTSS_COLORARG2, D3DTA_CURRENT},  {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
    {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},  {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
};
// The mask: the backdrop's colour on stage 1 where the mask's alpha (stage 0) is 255.
constexpr StageState kMaskStates[] = {
    {1, D3DTSS_COLOROP, D3DTOP_SELECTARG1}, {1, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1}, {1, D3DTSS_ALPHAARG1, D3DTA_CURRENT},
};
// What the other draws of the slide expect of stage 1 afterwards: off, its own coordinates.
constexpr StageState kStageOneRestored[] = {
    {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
    {1, D3DTSS_TEXCOORDINDEX, 1},
    {1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
};

void DrawQuad(IDirect3DDevice9* d, const DS_SimpleMesh<DX_V::PTT>& mesh) {
  if (!mesh.vertexBuffer) return;
  BindVertices(mesh);
  d->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

void DrawTexturedScreenQuad(IDirect3DDevice9* d, const DS_TexturedQuad<DX_V::SCT>& quad) {
  if (!quad.vertexBuffer || !quad.texture) return;
  BindTexturedSCT(quad);
  d->DrawPrimitive(quad.primitiveType, 0, quad.primitiveCount);
}

void WritePTT(DS_SimpleMesh<DX_V::PTT>& mesh, const float (&corners)[4][4]) {
  DX_V::PTT* v = mesh.Lock();
  if (!v) return;
  for (int i = 0; i < 4; ++i) v[i] = DX_V::PTT{corners[i][0], corners[i][1], 0.0f, corners[i][2], corners[i][3], 0, 0};
  mesh.Unlock();
}

}  // namespace

DS_GlassBallLight::ScrollClock& DS_GlassBallLight::SharedScrollClock() {
  static ScrollClock clock;
  return clock;
}

DS_GlassBallLight::DS_GlassBallLight()
    : overlay1Link(DS_FileLink3(58, L"common_res.dll")),
      overlay2Link(DS_FileLink3(59, L"common_res.dll")),
      standLink(DS_FileLink3(60, L"common_res.dll")),
      backdropLink(DS_FileLink3(5, L"common_res.dll")) {
  InitScaled(scrollSpeed, 0, 0.02f, 1.0f);
  size.Assign(100);
  strength.Assign(0);
  hideBall.Assign(0);
  overlay1On.Assign(1);
  overlay2On.Assign(1);
  standOn.Assign(0);
  backdropMode.Assign(kGradient);
  scrollMode.Assign(kSwing);
  gradientColour1.Assign(0);
  gradientColour2.Assign(0);
  D3DXMatrixIdentity(&textureMatrix_);
}

DS_GlassBallLight::~DS_GlassBallLight() = default;

// ---- Texel generators ----

void DS_GlassBallLight::FillSphereBumpTexels(uint8_t* bits, int32_t pitch) {
  auto h = [](int32_t x, int32_t y) {
    const int32_t r2 = (x - 128) * (x - 128) + (y - 128) * (y - 128);
    return r2 <= kSphereRadiusSquared ? std::sqrt(float(kSphereRadiusSquared - r2)) : 0.0f;
  };
  auto code = [](float dh) { return int16_t(std::trunc(std::atan(double(dh)) * kSlopeCode)); };
  for (int32_t y = 0; y < int32_t(kBumpSize); ++y) {
    auto* row = reinterpret_cast<int16_t*>(bits + ptrdiff_t(y) * pitch);
    for (int32_t x = 0; x < int32_t(kBumpSize); ++x) {
      // The last column has no right neighbour: both slopes are taken against itself.
      const bool last = x == int32_t(kBumpSize) - 1;
      const int32_t x1 = last ? x : x + 1, y1 = last ? y : y + 1;
      const float here = h(x, y);
      row[2 * x] = code(here - h(x1, y));
      row[2 * x + 1] = code(here - h(x, y1));
    }
  }
}

void DS_GlassBallLight::FillCircleMaskTexels(uint8_t* bits, int32_t pitch) {
  const int32_t half = int32_t(kMaskSize) / 2;
  for (int32_t i = -half; i < half; ++i) {
    uint8_t* row = bits + ptrdiff_t(i + half) * pitch;
    for (int32_t j = -half; j < half; ++j) row[j + half] = i * i + j * j > kMaskRadiusSquared ? 0xFF : 0x00;
  }
}

void DS_GlassBallLight::FillBlackCircleMaskTexels(uint8_t* bits, int32_t pitch) {
  std::vector<uint8_t> alpha(size_t(kMaskSize) * kMaskSize);
  FillCircleMaskTexels(alpha.data(), int32_t(kMaskSize));
  for (uint32_t y = 0; y < kMaskSize; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(bits + ptrdiff_t(y) * pitch);
    for (uint32_t x = 0; x < kMaskSize; ++x) row[x] = uint32_t(alpha[size_t(y) * kMaskSize + x]) << 24;
  }
}

void DS_GlassBallLight::FillGradientTexels(uint8_t* bits, int32_t pitch, unsigned long colour1,
                                           unsigned long colour2) {
  for (uint32_t i = 0; i < kGradientSize; ++i) {
    const float t = float(i) / 255.0f;
    uint32_t c[3];
    for (int k = 0; k < 3; ++k) {
      const float a = float((colour1 >> (8 * k)) & 0xFF), b = float((colour2 >> (8 * k)) & 0xFF);
      c[k] = uint32_t(int32_t(a + t * (b - a)));
    }
    const uint32_t texel = (c[0] << 16) | (c[1] << 8) | c[2];
    auto* row = reinterpret_cast<uint32_t*>(bits + ptrdiff_t(i) * pitch);
    for (uint32_t x = 0; x < kGradientSize; ++x) row[x] = texel;
  }
}

float DS_GlassBallLight::ScrollShift(int32_t mode, float position) {
  const float t = mode == kScrollOneWay ? -position * 0.5f : position * 0.5f;
  return t - std::floor(t);
}

float DS_GlassBallLight::SwingOffset(float position) {
  const float t = position * 0.5f;
  const float g = 2.0f * (t - std::floor(t)) - 1.0f;
  return 2.0f * std::fabs(g) - 1.0f;
}

// ---- Textures ----

HRESULT DS_GlassBallLight::BuildSphereBumpMap() {
  bumpMap_.Reset();
  // Nothing else asks for V16U16; without it the ball shows the scene unrefracted.
  if (!g_currentDevice || !SupportsTextureFormat(g_currentDevice, D3DFMT_V16U16)) return E_FAIL;
  return CreateFilledTexture(bumpMap_, kBumpSize, D3DFMT_V16U16, FillSphereBumpTexels);
}

HRESULT DS_GlassBallLight::BuildCircleMask() {
  // Not every Windows device makes A8 textures (Wine's does). Only the mask's alpha is read,
  // so a black A8R8G8B8 mask stands in where A8 is missing.
  if (!g_currentDevice || SupportsTextureFormat(g_currentDevice, D3DFMT_A8))
    return CreateFilledTexture(circleMask_, kMaskSize, D3DFMT_A8, FillCircleMaskTexels);
  return CreateFilledTexture(circleMask_, kMaskSize, D3DFMT_A8R8G8B8, FillBlackCircleMaskTexels);
}

void DS_GlassBallLight::BuildGradientTexture() {
  gradientTexture_.Reset();
  // One level: the backdrop's sampler filters between mip levels, and levels left unfilled
  // would show in a small preview.
  if (!g_currentDevice || FAILED(D3DXCreateTexture(g_currentDevice, kGradientSize, kGradientSize, 1, 0,
                                                   D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, gradientTexture_.Put()))) {
    gradientTexture_.Reset();
    return;
  }
  const unsigned long c1 = gradientColour1.Value(), c2 = gradientColour2.Value();
  FillLevel0(gradientTexture_, [&](uint8_t* bits, int32_t pitch) { FillGradientTexels(bits, pitch, c1, c2); });
}

void DS_GlassBallLight::UseGradientBackground() {
  BuildGradientTexture();
  backdropQuad_.texture = gradientTexture_;
}

void DS_GlassBallLight::SelectBackground() {
  if (backdropMode.Value() == kPicture) {
    backdropQuad_.texture = backdropPicture_.texture;
    layout_.placementMode = 1;
  } else {
    backdropQuad_.texture = gradientTexture_;
    layout_.placementMode = 2;
  }
  Resize(width_, height_);
  Resize(width_, height_);
}

void DS_GlassBallLight::LoadBackgroundPicture() {
  backdropPicture_ = DS_TextureInfo{};
  if (g_docResManager) GetTextureInfoFromSet(g_docResManager->GetImageTextures(backdropLink), backdropPicture_);
  if (backdropMode.Value() == kPicture) {
    backdropQuad_.texture = backdropPicture_.texture;
    Resize(width_, height_);
  }
}

// ---- Device resources ----

void DS_GlassBallLight::CreateDeviceResources() {
  DS_2D_Light::CreateDeviceResources();
  overlayTextures_[0] = FirstTexture(overlay1Link);
  overlayTextures_[1] = FirstTexture(overlay2Link);
  standTexture_ = FirstTexture(standLink);
  BuildSphereBumpMap();
  BuildGradientTexture();
  BuildCircleMask();

  DS_QuadCorners screen;
  FitQuadToBackBuffer(screen);
  SetQuadTextureSCT(backdropQuad_, gradientTexture_.Get(), screen);
  for (auto& quad : scrollQuads_) LoadQuadTextureSCT(quad, screen);

  // Without the ball's buffer nothing more is made: the ball then draws nothing.
  if (FAILED(CreateVertexBufferPTT(4, ballSquare_))) return;
  for (auto& bar : bars_) FillQuadSC(bar, 0xFF000000u, screen);
  // (x, y, u, v) in strip order; the second coordinate pair is made on the device.
  WritePTT(ballSquare_, {{-256, -256, 0, 1}, {-256, 256, 0, 0}, {256, -256, 1, 1}, {256, 256, 1, 0}});
  if (FAILED(CreateVertexBufferPTT(4, standRectangle_))) return;
  // 463.3 wide and about 186.6 tall, its top edge 185.6 below the ball's centre.
  WritePTT(standRectangle_, {{-230.4f, -372.19293f, 0, 1},
                             {-230.4f, -185.61412f, 0, 0},
                             {232.9f, -372.19293f, 1, 1},
                             {232.9f, -185.61412f, 1, 0}});
  for (auto* mesh : {&ballSquare_, &standRectangle_}) {
    mesh->primitiveType = D3DPT_TRIANGLESTRIP;
    mesh->primitiveCount = 2;
  }

  D3DXMATRIX world, view, projection;
  D3DXMatrixIdentity(&world);
  const D3DXVECTOR3 eye(0.0f, 0.0f, -2001.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, 1.0f, kNear, kFar);
  g_currentDevice->SetTransform(D3DTS_WORLD, &world);
  g_currentDevice->SetTransform(D3DTS_VIEW, &view);
  g_currentDevice->SetTransform(D3DTS_PROJECTION, &projection);

  UseGradientBackground();
  SelectBackground();
  LoadBackgroundPicture();
}

void DS_GlassBallLight::AcquireDeviceResources() {
  DS_2D_Light::AcquireDeviceResources();
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  d->SetSamplerState(1, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
  d->SetSamplerState(1, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
  d->SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  d->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  d->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  d->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  // A bump texel (U, V) in -1..1 moves stage 1's coordinates by (0.2 U, 0.25 V).
  d->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(0.2f));
  d->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, FloatBits(0.0f));
  d->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, FloatBits(0.0f));
  d->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(0.25f));
  d->SetTextureStageState(0, D3DTSS_BUMPENVLSCALE, FloatBits(1.0f));
  d->SetTextureStageState(0, D3DTSS_BUMPENVLOFFSET, FloatBits(0.0f));
  d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  d->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  // Off again until the ball pass: the slide's picture and objects are drawn first, and a
  // stage reading an unbound texture gives what the driver likes (Wine: the stage before).
  d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
}

void DS_GlassBallLight::ReleaseDeviceResources() {
  DS_2D_Light::ReleaseDeviceResources();
  // They held the capture targets, which go with the device.
  for (auto& quad : scrollQuads_) quad.texture.Reset();
}

// ---- Layout ----

void DS_GlassBallLight::TargetSize(float& width, float& height) const {
  if (layout_.exactSize) {
    width = float(width_);
    height = float(height_);
    return;
  }
  D3DSURFACE_DESC back;
  GetBackBufferDesc(back);
  width = float(back.Width);
  height = float(back.Height);
}

void DS_GlassBallLight::ComputeLensParameters() {
  const float s = float(size.Value()), k = float(strength.Value());
  const float sx = layout_.backdropScaleX, hf = layout_.heightFraction;
  layout_.cameraDistance = float(-600.0 / (0.75 * s / 100.0 + 0.25)) / (sx * hf);
  layout_.lensFactor = float(((s * hf * sx / 100.0) * 1.105 + 0.385) * 1.05) * (k * 0.5f / 100.0f + 1.0f);
  layout_.swingFactor = k * 0.5f * 0.125f / 100.0f + 0.125f;
}

void DS_GlassBallLight::Resize(int32_t w, int32_t h) {
  DS_2D_Light::Resize(w, h);
  g_view2D->Setup(w, h, backdropPicture_, layout_.placementMode, false);
  ComputeLensParameters();

  DS_QuadCorners fitted;
  FitQuadToImage(fitted, backdropPicture_, w, h);
  if (!layout_.exactSize) ScaleQuadToBackBuffer(fitted, w, h);
  const float x0 = fitted.corner[1].x, y0 = fitted.corner[1].y;
  const float pw = fitted.corner[2].x - x0, ph = fitted.corner[2].y - y0;

  // Without a backdrop picture (not loaded yet, or its link yields nothing) the backdrop
  // keeps scale 1 and no offset instead of dividing by its zero size.
  const float bw = float(backdropPicture_.width), bh = float(backdropPicture_.height);
  const bool sized = bw > 0.0f && bh > 0.0f;
  float sx = 1.0f, sy = 1.0f, ox = 0.0f, oy = 0.0f;
  if (sized) {
    const D3DXMATRIX m = g_view2D->panZoom * g_view2D->modeOffset * g_view2D->modeScale;
    sx = m._11;
    sy = m._22;
    ox = (m._41 / m._11) * sx * pw / bw;
    oy = (m._42 / m._22) * sy * ph / bh;
  }
  layout_.backdropScaleX = sx;
  layout_.backdropScaleY = sy;
  layout_.backdropOffsetX = ox;
  layout_.backdropOffsetY = oy;

  // The backdrop moves and zooms with the base light's camera.
  DS_QuadCorners moved = fitted;
  for (auto& c : moved.corner) {
    c.x = x0 + sx * (c.x - x0) + ox;
    c.y = y0 + sy * (c.y - y0) + oy;
  }
  if (backdropQuad_.vertexBuffer) UpdateQuadSCT(backdropQuad_, moved);

  const float wb = sx * pw, hb = sy * ph;
  layout_.widthFraction = wb / (2.0f * float(int32_t(sx * x0) + 1) + wb);
  layout_.heightFraction = hb / (2.0f * float(int32_t(sy * y0) + 1) + hb);

  LayOutBars(fitted);
  ComputeLensParameters();
  // A hidden ball draws the slide's picture as the plain light does, so the view is left
  // placing that picture rather than the backdrop's.
  g_view2D->Setup(w, h, hideBall.Value() != 0 ? pictureMesh_.info : backdropPicture_, 1, false);
}

void DS_GlassBallLight::LayOutBars(const DS_QuadCorners& fitted) {
  const float x0 = fitted.corner[1].x, y0 = fitted.corner[1].y;
  const float pw = fitted.corner[2].x - x0, ph = fitted.corner[2].y - y0;
  const float bw = float(backdropPicture_.width), bh = float(backdropPicture_.height);
  const float msx = g_view2D->modeScale._11, msy = g_view2D->modeScale._22;
  const float wb = layout_.backdropScaleX * pw, hb = layout_.backdropScaleY * ph;
  // In fit mode, the only one whose bars are drawn, this is the fitted rectangle itself.
  const float left = x0 + (bw > 0.0f ? wb * (g_view2D->modeOffsetX / msx) / bw : 0.0f);
  const float top = y0 + (bh > 0.0f ? hb * (g_view2D->modeOffsetY / msy) / bh : 0.0f);
  const float width = pw / msx, height = ph / msy;
  const float barX = float(int32_t(left) + 1), barY = float(int32_t(top) + 1);
  const float fullW = float(int32_t(width)), fullH = float(int32_t(height));
  const DS_QuadCorners rects[4] = {
      RectangleQuad(0.0f, 0.0f, barX, fullH),
      RectangleQuad(left + width, 0.0f, left + width + barX, fullH),
      RectangleQuad(0.0f, 0.0f, fullW, barY),
      RectangleQuad(0.0f, top + height, fullW, top + height + barY),
  };
  for (int i = 0; i < 4; ++i) {
    if (!bars_[i].Lock()) continue;
    WriteQuadSC(rects[i], bars_[i]);
    bars_[i].Unlock();
  }
}

void DS_GlassBallLight::SetPicturePosition(int32_t mode) {
  layout_.placementMode = backdropMode.Value() == kPicture ? mode : 2;
  Resize(width_, height_);
}

void DS_GlassBallLight::CreateCentredOverlay(int32_t width, int32_t height, int32_t mode) {
  layout_.savedPlacementMode = layout_.placementMode;
  layout_.exactSize = true;
  layout_.placementMode = backdropMode.Value() == kPicture ? mode : 2;
  Resize(width_, height_);
  Resize(width, height);
  DS_2D_Light::CreateCentredOverlay(width, height, mode);
}

void DS_GlassBallLight::DestroyCentredOverlay() {
  layout_.exactSize = false;
  layout_.placementMode = backdropMode.Value() == kPicture ? layout_.savedPlacementMode : 2;
  Resize(width_, height_);
  g_view2D->Setup(width_, height_, pictureMesh_.info, picturePositionMode_, false);
  overlayQuad_.reset();
}

// ---- Frame ----

void DS_GlassBallLight::Update(float t) {
  camera_.Update(t);
  Resize(width_, height_);
  const int32_t mode = scrollMode.Value();
  if (mode == kStill) {
    swingOffset_ = 0.0f;
    return;
  }
  ScrollClock& clock = SharedScrollClock();
  if (!clock.started) {
    clock.started = true;
    clock.lastTime = t;
  }
  clock.position += (t - clock.lastTime) * scrollSpeed.scaledValue * 0.0625f;
  swingOffset_ = 0.0f;
  if (mode == kScrollOneWay || mode == kScrollOtherWay) {
    float w, h;
    TargetSize(w, h);
    const float f = ScrollShift(mode, clock.position);
    // Two copies side by side that tile the target and wrap every 2 units of the clock.
    const DS_QuadCorners copies[2] = {RectangleQuad(w * f, 0.0f, w + w * f, h),
                                      RectangleQuad(w * f - w, 0.0f, w * f, h)};
    for (int i = 0; i < 2; ++i)
      if (scrollQuads_[i].vertexBuffer) UpdateQuadSCT(scrollQuads_[i], copies[i]);
  } else if (mode == kSwing) {
    swingOffset_ = SwingOffset(clock.position);
  }
  clock.lastTime = t;
}

void DS_GlassBallLight::SetBallTransforms(bool refraction) {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  float w, h;
  TargetSize(w, h);
  const BallLayout& l = layout_;
  const float dist = l.cameraDistance;
  const float x = (float(ballPosition.Value().x) + 250.0f) * l.backdropScaleX - 250.0f +
                  500.0f * Ratio(Ratio(l.backdropOffsetX, w), l.widthFraction);
  const float y = (float(ballPosition.Value().y) + 250.0f) * l.backdropScaleY - 250.0f +
                  500.0f * Ratio(Ratio(l.backdropOffsetY, h), l.heightFraction);
  float ballX = (-dist / 600.0f) * x, ballY = (dist / 600.0f) * y;
  const float lightAspect = Ratio(float(width_), float(height_));
  if (backdropMode.Value() == kPicture) {
    ballY = l.heightFraction * ballY;
    ballX = lightAspect * ballX * l.widthFraction;
  }
  const float pictureAspect = Ratio(float(pictureMesh_.info.width), float(pictureMesh_.info.height));

  float lens = l.heightFraction, u = 0.0f, v = 0.0f;
  if (refraction) {
    lens = l.lensFactor;
    const float q = 1.5f - float(strength.Value() >> 1) * 0.02f * 0.5f;
    u = l.swingFactor * swingOffset_ - Ratio(Ratio(q * ballX, w), pictureAspect);
    v = Ratio(q * ballY, h);
  }

  D3DXMATRIX world, view, projection;
  D3DXMatrixTranslation(&world, ballX, ballY, 0.0f);
  const D3DXVECTOR3 eye(0.0f, 0.0f, dist), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, lightAspect, kNear, kFar);
  d->SetTransform(D3DTS_WORLD, &world);
  d->SetTransform(D3DTS_VIEW, &view);
  d->SetTransform(D3DTS_PROJECTION, &projection);

  const float textureAspect =
      !refraction && backdropMode.Value() != kGradient
          ? Ratio(float(backdropPicture_.width), float(backdropPicture_.height))
          : pictureAspect;
  D3DXMATRIX p2;
  D3DXMatrixPerspectiveFovLH(&p2, kFieldOfView, textureAspect, kNear, kFar);
  // The vertex's camera-space position projected as if it lay at the fixed depth z0, mapped
  // to 0..1: the square shows the captured scene magnified.
  D3DXMATRIX& t = textureMatrix_;
  t = p2;
  t._12 = t._21 = t._31 = t._32 = 0.0f;
  t._41 = (u - std::floor(u)) + 0.5f;
  t._42 = v + 0.5f;
  const float length = std::sqrt(view._41 * view._41 + view._42 * view._42 + view._43 * view._43);
  const float z0 = length * lens;
  const float den = p2._33 * z0 + p2._34;
  t._11 = 0.5f * p2._11 / den;
  t._22 = -0.5f * p2._22 / den;
  d->SetTransform(D3DTS_TEXTURE1, &t);
  d->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  d->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION | 1);
}

void DS_GlassBallLight::RenderOverlay() {
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  if (hideBall.Value() != 0) {
    g_view2D->DrawBars();
    return;
  }
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  Apply(d, kScreenQuadStates);
  const int32_t mode = scrollMode.Value();
  if (mode == kScrollOneWay || mode == kScrollOtherWay) {
    // The scene so far becomes readable; its two shifted copies fill the other target.
    if (IDirect3DTexture9* scene = captureTargets_.Swap()) {
      for (auto& quad : scrollQuads_) {
        quad.texture = ComRef<IDirect3DTexture9>::Share(scene);
        DrawTexturedScreenQuad(d, quad);
      }
    }
  }
  // Without a backdrop texture the target is cleared instead, so that no stale pixels show
  // around the ball.
  IDirect3DTexture9* scene = EndSceneCapture(!backdropQuad_.texture).current.Get();
  DrawTexturedScreenQuad(d, backdropQuad_);

  SetBallTransforms(true);
  d->SetTexture(0, bumpMap_.Get());
  d->SetTexture(1, scene);
  d->SetSamplerState(1, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
  d->SetSamplerState(1, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
  if (bumpMap_)
    Apply(d, kBallStates);
  else
    Apply(d, kBallWithoutBumpStates);
  if (scene) DrawQuad(d, ballSquare_);

  SetBallTransforms(false);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  Apply(d, kPictureOnBallStates);
  d->SetTexture(1, nullptr);
  const MediaParamT<int>* on[2] = {&overlay1On, &overlay2On};
  for (int i = 0; i < 2; ++i) {
    if (on[i]->Value() == 0 || !overlayTextures_[i]) continue;
    d->SetTexture(0, overlayTextures_[i].Get());
    DrawQuad(d, ballSquare_);
  }

  // The mask: outside the circle its alpha is 255 and the backdrop, sampled where the
  // backdrop quad shows it, covers the square's corners.
  const BallLayout& l = layout_;
  float w, h;
  TargetSize(w, h);
  D3DXMATRIX& t = textureMatrix_;
  t._11 /= l.backdropScaleX;
  t._22 /= l.backdropScaleY;
  t._41 = (t._41 - Ratio(Ratio(l.backdropOffsetX, w), l.widthFraction)) / l.backdropScaleX;
  t._42 = (t._42 - Ratio(Ratio(l.backdropOffsetY, h), l.heightFraction)) / l.backdropScaleY;
  d->SetTransform(D3DTS_TEXTURE1, &t);
  d->SetTexture(0, circleMask_.Get());
  d->SetTexture(1, backdropQuad_.texture.Get());
  Apply(d, kMaskStates);
  DrawQuad(d, ballSquare_);
  d->SetTexture(1, nullptr);
  Apply(d, kStageOneRestored);

  if (standOn.Value() != 0 && standTexture_) {
    d->SetTexture(0, standTexture_.Get());
    DrawQuad(d, standRectangle_);
  }
  d->SetTexture(0, nullptr);

  if (backdropMode.Value() == kPicture && l.placementMode == 1)
    for (auto& bar : bars_) DrawScreenQuad(bar);
}

// ---- Record ----

void DS_GlassBallLight::ReadFields(DS_IOF_Holder stream, int32_t /*version: only 1 exists*/) {
  overlay1Link.Read(stream);
  overlay2Link.Read(stream);
  standLink.Read(stream);
  backdropLink.Read(stream);
  ReadScaled(stream, scrollSpeed);
  stream->ReadPoint(ballPosition.Value());
  stream->ReadUInt(size.Value());
  stream->ReadUInt(strength.Value());
  for (MediaParamT<int>* flag : {&overlay1On, &overlay2On, &standOn, &backdropMode, &scrollMode})
    ReadSwitch(stream, *flag);
  for (MediaColor* colour : {&gradientColour1, &gradientColour2}) ReadColour(stream, *colour);
  DS_2D_Light::ReadRecord(stream);
}

void DS_GlassBallLight::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_GlassBallLight::WriteFields(DS_IOF_Holder stream) {
  for (DS_ImageFileLink* link : {&overlay1Link, &overlay2Link, &standLink, &backdropLink}) {
    if (g_docResManager) g_docResManager->RegisterImageForSave(*link);
    link->Write(stream);
  }
  scrollSpeed.Write(stream);
  stream->WritePoint(ballPosition.Value());
  stream->WriteUInt(size.Value());
  stream->WriteUInt(strength.Value());
  for (const MediaParamT<int>* flag : {&overlay1On, &overlay2On, &standOn, &backdropMode, &scrollMode})
    WriteSwitch(stream, *flag);
  for (const MediaColor* colour : {&gradientColour1, &gradientColour2}) WriteColour(stream, *colour);
  DS_2D_Light::WriteRecord(stream);
}
