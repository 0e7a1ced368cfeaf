#include "runtime/DS_View2D.h"

#include "device/CurrentDevice.h"
#include "device/TextureHelpers.h"

namespace {
D3DXMATRIX Zero() {
  D3DXMATRIX m;
  for (auto& row : m.m)
    for (float& e : row) e = 0.0f;
  return m;
}
D3DXMATRIX Identity() {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  return m;
}

// A target has at least one pixel, so no scale divides by zero.
int32_t AtLeastOne(int32_t size) { return size < 1 ? 1 : size; }

}  // namespace

DS_View2D::DS_View2D()
    : placement(Identity()),
      world(Zero()),
      view(Zero()),
      projection(Zero()),
      modeScale(Identity()),
      modeOffset(Identity()),
      panZoom(Identity()) {}

void DS_View2D::CreateBars() {
  DS_QuadCorners screen;
  FitQuadToBackBuffer(screen);
  for (auto& bar : bars) FillQuadSC(bar, 0xFF000000u, screen);
  for (auto& written : written_) written.reset();
}

void DS_View2D::ReleaseBars() {
  for (auto& bar : bars) {
    bar.vertexBuffer.Reset();
    bar.vertexCount = 0;
    bar.primitiveCount = 0;
  }
  for (auto& written : written_) written.reset();
}

// A bar of no width or no height covers no pixel: it keeps no primitive to draw (two of the
// four bars in fit mode, all four when the picture has the target's aspect).
void DS_View2D::WriteBar(Bar which, float left, float top, float right, float bottom) {
  DS_SimpleMesh<DX_V::SC>& bar = bars[which];
  const BarRectangle rectangle{left, top, right, bottom};
  if (written_[which] == rectangle) return;
  if (!bar.Lock()) return;  // keeps its old vertices
  WriteQuadSC(RectangleQuad(left, top, right, bottom), bar);
  bar.Unlock();
  bar.primitiveCount = left != right && top != bottom ? 2 : 0;
  written_[which] = rectangle;
}

void DS_View2D::Setup(int32_t a, int32_t b, const DS_TextureInfo& picture, int32_t newMode, bool exact) {
  // A picture without size is placed as if it had the target's.
  a = AtLeastOne(a);
  b = AtLeastOne(b);
  uint32_t picW = picture.width, picH = picture.height;
  if (picW == 0 || picH == 0) {
    picW = uint32_t(a);
    picH = uint32_t(b);
  }
  mode = newMode;
  pictureWidth = picW;
  pictureHeight = picH;

  D3DSURFACE_DESC back;
  GetBackBufferDesc(back);
  // Without a back buffer the target's own size stands in for it.
  const bool toBackBuffer = !exact && back.Width && back.Height;
  const float targetWidth = toBackBuffer ? float(back.Width) : float(a);
  const float targetHeight = toBackBuffer ? float(back.Height) : float(b);

  const FittedPicture fitted = FitPicture(a, b, toBackBuffer);
  LayOutBars(fitted);
  SetUpProjection(a, b);
  PlacePicture(fitted, a, b, targetWidth, targetHeight);
  InstallTransforms();
  ScaleForMode(fitted);
}

void DS_View2D::InstallTransforms() const {
  if (!g_currentDevice) return;
  g_currentDevice->SetTransform(D3DTS_WORLD, &world);
  g_currentDevice->SetTransform(D3DTS_VIEW, &view);
  g_currentDevice->SetTransform(D3DTS_PROJECTION, &projection);
}

DS_View2D::FittedPicture DS_View2D::FitPicture(int32_t width, int32_t height, bool toBackBuffer) const {
  DS_TextureInfo sized;
  sized.width = pictureWidth;
  sized.height = pictureHeight;
  DS_QuadCorners r;
  FitQuadToImage(r, sized, width, height);
  if (toBackBuffer) ScaleQuadToBackBuffer(r, width, height);
  return FittedPicture{r.corner[1].x, r.corner[1].y, r.corner[2].x, r.corner[2].y};
}

void DS_View2D::LayOutBars(const FittedPicture& r) {
  const float pw = r.x1 - r.x0, ph = r.y1 - r.y0;
  int32_t X = int32_t(r.x0), Y = int32_t(r.y0);
  if (X > 0) ++X;
  if (Y > 0) ++Y;
  float PW = float(int32_t(pw)), PH = float(int32_t(ph));
  WriteBar(kLeft, 0.0f, 0.0f, float(X), PH);
  WriteBar(kRight, r.x1, 0.0f, r.x1 + float(X), PH);
  WriteBar(kTop, 0.0f, 0.0f, PW, float(Y));
  WriteBar(kBottom, 0.0f, r.y1, PW, r.y1 + float(Y));
}

void DS_View2D::SetUpProjection(int32_t width, int32_t height) {
  D3DXMatrixIdentity(&world);
  D3DXVECTOR3 eye(0.0f, 0.0f, -1.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixOrthoOffCenterLH(&projection, 0.0f, float(width), float(height), 0.0f, -5000.0f, 5000.0f);
}

void DS_View2D::PlacePicture(const FittedPicture& r, int32_t width, int32_t height, float targetWidth,
                             float targetHeight) {
  const float pw = r.x1 - r.x0, ph = r.y1 - r.y0;
  const float Wt = targetWidth, Ht = targetHeight;
  fitRatioX = Wt / pw;
  fitRatioY = Ht / ph;

  float s = r.y0 == 0.0f ? (Ht / float(pictureHeight)) * (float(height) / Ht)
                         : (Wt / float(pictureWidth)) * (float(width) / Wt);
  float tx = r.x0 / (Wt / float(width));
  float ty = r.y0 / (Ht / float(height));
  D3DXMATRIX scaling, translation;
  D3DXMatrixScaling(&scaling, s, s, 1.0f);
  D3DXMatrixTranslation(&translation, tx, ty, 0.0f);
  D3DXMatrixMultiply(&placement, &scaling, &translation);
}

void DS_View2D::ScaleForMode(const FittedPicture& r) {
  const float pw = r.x1 - r.x0, ph = r.y1 - r.y0;
  float sx = 1.0f, sy = 1.0f;
  if (mode == kPictureStretch || mode == kPictureCaptureStretch) {
    sx = (2.0f * r.x0 + pw) / pw;
    sy = (2.0f * r.y0 + ph) / ph;
  } else if (mode == kPictureFill) {
    sx = sy = r.x0 == 0.0f ? (2.0f * r.y0 + ph) / ph : (2.0f * r.x0 + pw) / pw;
  }
  float ox = (1.0f - sx) * 0.5f * float(pictureWidth) / sx;
  float oy = (1.0f - sy) * 0.5f * float(pictureHeight) / sy;
  D3DXMatrixScaling(&modeScale, sx, sy, 1.0f);
  inverseModeScaleX = 1.0f / sx;
  inverseModeScaleY = 1.0f / sy;
  modeOffsetX = ox;
  modeOffsetY = oy;
  D3DXMatrixTranslation(&modeOffset, ox, oy, 0.0f);
}

void DS_View2D::DrawBars() {
  if (mode != kPictureFit || !g_currentDevice) return;
  g_currentDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  g_currentDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  for (const auto& bar : bars) {
    BindQuadSC(bar);
    if (bar.vertexBuffer && bar.primitiveCount != 0)
      g_currentDevice->DrawPrimitive(bar.primitiveType, 0, bar.primitiveCount);
  }
  g_currentDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  g_currentDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
}

void DS_View2D::ComposeWorld(const D3DXMATRIX& object, D3DXMATRIX& out) const {
  out = object;
  if (mode != kPictureCaptureStretch) out *= panZoom;
  out *= modeOffset;
  out *= modeScale;
  out *= placement;
}

void DS_View2D::SetWorldTransform(const D3DXMATRIX& object) {
  D3DXMATRIX m;
  ComposeWorld(object, m);
  if (g_currentDevice) g_currentDevice->SetTransform(D3DTS_WORLD, &m);
}

void DS_View2D::GetWorldViewProjection(const D3DXMATRIX& object, D3DXMATRIX& out) const {
  ComposeWorld(object, out);
  out *= view;
  out *= projection;
}

void DS_View2D::GetViewProjection(D3DXMATRIX& out) const {
  if (mode == kPictureCaptureStretch)
    out = modeOffset * modeScale * placement;
  else
    out = placement;
  out *= view;
  out *= projection;
}

void DS_View2D::SetCameraTransform(float zoom, float panX, float panY) {
  // A stored zoom of 0 would divide by zero and lose the picture: it shows unzoomed.
  if (!(zoom > 0.0f)) {
    D3DXMatrixIdentity(&panZoom);
    return;
  }
  float ax = float(pictureWidth) * (1.0f - zoom) * 0.5f / zoom;
  float ay = float(pictureHeight) * (1.0f - zoom) * 0.5f / zoom;
  D3DXMATRIX t, s;
  D3DXMatrixTranslation(&t, (panX + 1.0f) * ax, (panY + 1.0f) * ay, 0.0f);
  D3DXMatrixScaling(&s, zoom, zoom, 1.0f);
  D3DXMatrixMultiply(&panZoom, &t, &s);
}

float DS_View2D::GetOriginOffsetX() const {
  D3DXMATRIX m = panZoom * modeOffset * modeScale;
  return m._41 / m._11;
}

float DS_View2D::GetOriginOffsetY() const {
  D3DXMATRIX m = panZoom * modeOffset * modeScale;
  return m._42 / m._22;
}

void BindQuadSC(const DS_SimpleMesh<DX_V::SC>& quad) { BindVertices(quad); }

void SetVirtualScreen(const DS_QuadCorners& pictureQuad, int32_t width, int32_t height, uint32_t pictureWidth,
                      uint32_t pictureHeight) {
  D3DSURFACE_DESC back;
  GetBackBufferDesc(back);
  DS_VirtualScreen& vs = *g_virtualScreen;
  vs.backBufferScaleX = float(back.Width) / float(AtLeastOne(width));
  vs.backBufferScaleY = float(back.Height) / float(AtLeastOne(height));
  vs.pictureQuad = pictureQuad;
  vs.pictureWidth = pictureWidth;
  vs.pictureHeight = pictureHeight;
}

void InitScreenQuad(DS_QuadCorners& corners) {
  static const float uv[4][2] = {{0.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}};
  for (int i = 0; i < 4; ++i) corners.corner[i] = {0.0f, 0.0f, 1.0f, uv[i][0], uv[i][1]};
}

DS_QuadCorners RectangleQuad(float left, float top, float right, float bottom) {
  DS_QuadCorners q;
  InitScreenQuad(q);
  q.corner[0].x = left, q.corner[0].y = bottom;
  q.corner[1].x = left, q.corner[1].y = top;
  q.corner[2].x = right, q.corner[2].y = bottom;
  q.corner[3].x = right, q.corner[3].y = top;
  return q;
}

void FitQuadToBackBuffer(DS_QuadCorners& corners) {
  D3DSURFACE_DESC back;
  GetBackBufferDesc(back);
  float w = float(back.Width), h = float(back.Height);
  corners = RectangleQuad(0.0f, 0.0f, w, h);
}

void FitQuadToImage(DS_QuadCorners& corners, const DS_TextureInfo& picture, int32_t width, int32_t height) {
  InitScreenQuad(corners);
  float W = float(width), H = float(height);
  // A picture without size fills the target rather than making the corners NaN.
  float a = picture.width && picture.height ? float(picture.height) / float(picture.width) : H / W;
  float r = H / W;
  float fw, fh, x0, y0;
  if (r < a) {
    fw = H / a;
    fh = H;
    x0 = (W - fw) * 0.5f;
    y0 = 0.0f;
  } else {
    fw = W;
    fh = W * a;
    x0 = 0.0f;
    y0 = (H - fh) * 0.5f;
  }
  corners = RectangleQuad(x0, y0, x0 + fw, y0 + fh);
}

void ScaleQuadToBackBuffer(DS_QuadCorners& corners, int32_t width, int32_t height) {
  D3DSURFACE_DESC back;
  GetBackBufferDesc(back);
  float kx = float(back.Width) / float(AtLeastOne(width)), ky = float(back.Height) / float(AtLeastOne(height));
  for (auto& c : corners.corner) {
    c.x *= kx;
    c.y *= ky;
  }
}
