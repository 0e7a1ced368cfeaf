#include "lights/DS_MatrixCodeLight.h"

#include <algorithm>
#include <cmath>

#include "device/CurrentDevice.h"
#include "device/TextureHelpers.h"
#include "document/DS_DocResManager.h"
#include "document/ParamStream.h"
#include "runtime/DS_View2D.h"

namespace {

// The luminance of one pixel whose bytes lie blue, green, red in memory.
float Luminance(const uint8_t* bgr) {
  return 0.299f * float(bgr[2]) / 255.0f + 0.587f * float(bgr[1]) / 255.0f + 0.114f * float(bgr[0]) / 255.0f;
}

// Bytes per pixel of the formats a resample to R8G8B8 gives: the device may hand back
// X8R8G8B8 (Wine does; R8G8B8 textures do not exist there). 0 for anything else.
int BytesPerPixel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_R8G8B8:
      return 3;
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8R8G8B8:
      return 4;
    default:
      return 0;
  }
}

}  // namespace

DS_MatrixCodeLight::DS_MatrixCodeLight()
    : glyphSheet(DS_FileLink3(40, L"common_res.dll")), layout_(std::make_unique<DS_CodeRainLayout>()) {
  SetScaledDefault(brightness, 0, -0.01f, 1.0f);
}

DS_MatrixCodeLight::~DS_MatrixCodeLight() = default;

void DS_MatrixCodeLight::CreateDeviceResources() {
  DS_2D_Light::CreateDeviceResources();
  Resize(1, 1);

  DS_TextureInfo sheet;
  if (g_docResManager) GetTextureInfoFromSet(g_docResManager->GetImageTextures(glyphSheet), sheet);
  // A sheet without width has no glyph rows: the smallest glyph count, and nothing to draw.
  hasGlyphs_ = sheet.texture && sheet.width > 0;
  layout_->glyphCount = int32_t(sheet.width > 0 ? sheet.height / sheet.width : 0) + 2;
  glyphBatch_.SetTexture(sheet.texture.Get());

  // Each rebuild draws random numbers, so their number and order fix what the first frames show.
  RebuildGrid();
  layout_->cellSize = int32_t(std::max(cellSize.Value(), 1u));
  RebuildGrid();
  ResizeGlyphBatch();
  layout_->density = int32_t(std::clamp(density.Value(), 1u, 100u));
  RebuildGrid();
  layout_->mutatingCount = int32_t(mutatingCount.Value());
  RebuildGrid();
  layout_->sparkles = sparkles.Value();
  RebuildGrid();
  layout_->startMode = startMode.Value();
  RebuildGrid();
  ResizeGlyphBatch();
  BuildLuminanceMap();
}

void DS_MatrixCodeLight::AcquireDeviceResources() {
  DS_2D_Light::AcquireDeviceResources();
  if (!g_currentDevice) return;
  g_currentDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  g_currentDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}

void DS_MatrixCodeLight::RenderBackground() {
  StepAndBuildGlyphs(time_);
  IDirect3DDevice9* d = g_currentDevice;
  if (!d) return;
  if (backgroundMode.Value() == kPictureBehind)
    DS_2D_Light::RenderBackground();
  else if (backgroundMode.Value() == kBlackLitByPicture)
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
  if (!hasGlyphs_) return;
  // The glyphs' alpha is the sheet's times their vertex alpha (their fade): the leaves leave
  // the alpha operation at the texture's alone.
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  // The quads after the glyphs found this frame have alpha 0 and cannot change a pixel;
  // drawn, they would all cover the first cell once more each.
  if (cursor_)
    glyphBatch_.Draw(uint32_t(cursor_->currentCount));
  else
    glyphBatch_.Draw();
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void DS_MatrixCodeLight::SetPicturePosition(int32_t mode) {
  DS_2D_Light::SetPicturePosition(mode);
  RebuildGrid();
  ResizeGlyphBatch();
}

void DS_MatrixCodeLight::OnImageChanged() {
  LoadImageTexture(pictureLink_, pictureMesh_);
  Resize(width_, height_);
  BuildLuminanceMap();
  RebuildGrid();
  ResizeGlyphBatch();
}

void DS_MatrixCodeLight::RebuildGrid() {
  cursor_ = std::make_unique<DS_CodeRainCursor>();
  cursor_->grid = CreateCodeRainGrid(*layout_);
}

void DS_MatrixCodeLight::ResizeGlyphBatch() {
  const uint32_t cell = uint32_t(std::max(layout_->cellSize, 1));
  glyphBatch_.Resize((g_virtualScreen->pictureHeight / cell + 1) * (g_virtualScreen->pictureWidth / cell + 1));
}

void DS_MatrixCodeLight::BuildLuminanceMap() {
  if (backgroundMode.Value() == kPictureBehind) {
    luminance_.reset();
    return;
  }
  if (backgroundMode.Value() != kBlackLitByPicture) return;
  luminance_ = std::make_unique<std::vector<float>>(size_t(kLuminanceSize) * kLuminanceSize, 0.0f);
  ComRef<IDirect3DTexture9> small;
  ResampleTexture(pictureMesh_.info.texture.Get(), kLuminanceSize, kLuminanceSize, D3DFMT_R8G8B8, small);
  if (!small) return;
  D3DSURFACE_DESC desc{};
  small->GetLevelDesc(0, &desc);
  const int step = BytesPerPixel(desc.Format);
  D3DLOCKED_RECT locked{};
  if (step == 0 || desc.Width < UINT(kLuminanceSize) || desc.Height < UINT(kLuminanceSize) ||
      FAILED(small->LockRect(0, &locked, nullptr, 0)))
    return;
  std::vector<float>& map = *luminance_;
  for (int r = 0; r < kLuminanceSize; ++r) {
    const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + size_t(r) * size_t(locked.Pitch);
    for (int c = 0; c < kLuminanceSize; ++c) map[size_t(r) * kLuminanceSize + c] = Luminance(row + c * step);
  }
  small->UnlockRect(0);
}

void DS_MatrixCodeLight::StepAndBuildGlyphs(float time) {
  camera_.Update(time);
  if (!cursor_ || !cursor_->grid) return;
  DS_CodeRainCursor& cursor = *cursor_;
  DS_CodeRainGrid& grid = *cursor.grid;

  const DS_QuadCorners& quad = g_virtualScreen->pictureQuad;
  const float left = quad.corner[1].x, top = quad.corner[1].y;
  // A picture without size has no pixel size on the screen: its glyphs collapse to points.
  const uint32_t pictureWidth = g_virtualScreen->pictureWidth, pictureHeight = g_virtualScreen->pictureHeight;
  const float kx = pictureWidth ? (quad.corner[2].x - left) / float(pictureWidth) : 0.0f;
  const float ky = pictureHeight ? (quad.corner[2].y - top) / float(pictureHeight) : 0.0f;
  const float cell = float(layout_->cellSize);
  DS_CodeRainGlyph glyph;
  glyph.halfWidth = kx * cell / 2.0f;
  glyph.halfHeight = ky * cell / 2.0f;

  const uint32_t quadCount = glyphBatch_.QuadCount();
  const bool full = cursor.previousCount >= int32_t(quadCount);
  cursor.column = 0;
  cursor.row = 0;
  cursor.previousCount = cursor.currentCount;
  cursor.currentCount = 0;

  AdvanceColumns(grid, full);
  SpawnColumns(grid);
  glyphBatch_.Lock();

  // The view's scale and origin of picture pixels (while capturing, those of the stretch).
  float sx, sy, ox, oy;
  if (g_view2D->mode == 3) {
    sx = 1.0f / g_view2D->inverseModeScaleX;
    sy = 1.0f / g_view2D->inverseModeScaleY;
    ox = g_view2D->modeOffsetX;
    oy = g_view2D->modeOffsetY;
  } else {
    const D3DXMATRIX m = g_view2D->panZoom * g_view2D->modeOffset * g_view2D->modeScale;
    sx = m._11;
    sy = m._22;
    ox = g_view2D->GetOriginOffsetX();
    oy = g_view2D->GetOriginOffsetY();
  }
  const D3DXVECTOR3 xHalf(glyph.halfWidth * sx, 0.0f, 0.0f), yHalf(0.0f, glyph.halfHeight * sy, 0.0f);

  const float b = brightness.scaledValue;
  const bool litByPicture = backgroundMode.Value() == kBlackLitByPicture && luminance_;
  std::vector<DS_QuadBatch>& chunks = glyphBatch_.Chunks();
  for (uint32_t i = 0; i < quadCount; ++i) {
    NextVisibleGlyph(cursor, glyph);
    const int32_t c = glyph.column, r = glyph.row;
    const D3DXVECTOR3 centre(left + kx * sx * (cell * (float(c) + 0.5f) + ox),
                             top + ky * sy * (cell * (float(r) + 0.5f) + oy), 0.0f);
    glyphBatch_.SetQuadPosition(i, centre, xHalf, yHalf);

    float f = glyph.brightnessClass == 0 ? b / 2.0f : b;
    if (litByPicture && glyph.brightnessClass != 2) {
      const size_t mr = size_t(kLuminanceSize * r / grid.rows), mc = size_t(kLuminanceSize * c / grid.columns);
      f = b * (*luminance_)[mr * kLuminanceSize + mc];
    }
    const unsigned long colour = glyph.brightnessClass == 2 ? headColour.Value() : trailColour.Value();
    const uint32_t alpha = uint32_t(int32_t(255.0f * f)) & 0xFFu;
    const D3DCOLOR vertexColour =
        (alpha << 24) | ((colour & 0xFFu) << 16) | (((colour >> 8) & 0xFFu) << 8) | ((colour >> 16) & 0xFFu);
    glyphBatch_.SetQuadColor(i, vertexColour & glyph.colourMask);

    const size_t chunk = i / DS_QuadBatch::kMaxQuads;
    if (chunk < chunks.size())
      chunks[chunk].SetQuadTexCoords(i % DS_QuadBatch::kMaxQuads, glyph.leftU, glyph.rightU, glyph.topV,
                                     glyph.bottomV);
  }
  glyphBatch_.Unlock();
}

void DS_MatrixCodeLight::ReadFields(DS_IOF_Holder stream, int32_t version) {
  stream->ReadUInt(cellSize.Value());
  stream->ReadUInt(density.Value());
  stream->ReadUInt(mutatingCount.Value());
  ReadSwitch(stream, sparkles);
  ReadSwitch(stream, backgroundMode);
  ReadSwitch(stream, startMode);
  ReadColour(stream, trailColour);
  ReadColour(stream, headColour);
  ReadScaled(stream, brightness);
  if (version > 1) glyphSheet.Read(stream);
  DS_2D_Light::ReadRecord(stream);
}

void DS_MatrixCodeLight::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
  DS_2D_Light::WriteRecord(stream);
}

void DS_MatrixCodeLight::WriteFields(DS_IOF_Holder stream) {
  stream->WriteUInt(cellSize.Value());
  stream->WriteUInt(density.Value());
  stream->WriteUInt(mutatingCount.Value());
  WriteSwitch(stream, sparkles);
  WriteSwitch(stream, backgroundMode);
  WriteSwitch(stream, startMode);
  WriteColour(stream, trailColour);
  WriteColour(stream, headColour);
  stream->WriteUInt(brightness.Value());
  if (g_docResManager) g_docResManager->RegisterImageForSave(glyphSheet);
  glyphSheet.Write(stream);
}
