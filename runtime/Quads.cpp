#include "runtime/Quads.h"

#include <algorithm>

#include "device/CurrentDevice.h"
#include "device/TextureHelpers.h"

namespace {
constexpr uint32_t kSquareCopyBase = 128;  // the side of a square copy of power 0

// Alphas a, b, c, d belong to vertices 0, 2, 1, 3 (bottom left, bottom right, top left,
// top right).
// Writes each vertex's colour as recolour(the colour last written there), never reading the
// write-only buffer; nothing when it cannot be locked.
template <class V, class Recolour>
void RecolourQuad(DS_SimpleMesh<V>& quad, Recolour recolour) {
  V* v = quad.Lock();
  if (!v) return;
  for (int i = 0; i < 4; ++i) v[i].color = quad.quadColours[i] = recolour(i, quad.quadColours[i]);
  quad.Unlock();
}

template <class V>
void SetQuadAlpha(DS_SimpleMesh<V>& quad, float a, float b, float c, float d) {
  const float alpha[4] = {a, c, b, d};
  RecolourQuad(quad, [&](int i, D3DCOLOR colour) { return WithAlpha(colour, alpha[i]); });
}

// A fresh buffer holding the corners in one colour.
template <class V, class Write>
void FillQuad(DS_SimpleMesh<V>& quad, D3DCOLOR colour, const DS_QuadCorners& corners, Write write) {
  CreateQuad(quad);
  if (!quad.Lock()) return;
  write(corners, quad);
  for (int i = 0; i < 4; ++i) quad.lockedVertices[i].color = quad.quadColours[i] = colour;
  quad.Unlock();
}

// The screen layouts (SC, SCT) lie at depth 0 and take the corner's z as the reciprocal w.
template <class V>
void WriteScreenPosition(const DS_QuadCorners::Corner& c, V& v) {
  v.x = c.x;
  v.y = c.y;
  v.z = 0.0f;
  v.rhw = c.z;
}
}  // namespace

void WriteQuadSC(const DS_QuadCorners& corners, DS_SimpleMesh<DX_V::SC>& quad) {
  for (int i = 0; i < 4; ++i) WriteScreenPosition(corners.corner[i], quad.lockedVertices[i]);
}

void FillQuadSC(DS_SimpleMesh<DX_V::SC>& quad, D3DCOLOR colour, const DS_QuadCorners& corners) {
  FillQuad(quad, colour, corners, WriteQuadSC);
}

void SetQuadAlphaSC(DS_SimpleMesh<DX_V::SC>& quad, float a, float b, float c, float d) {
  SetQuadAlpha(quad, a, b, c, d);
}

void WriteQuadPC(const DS_QuadCorners& corners, DS_SimpleMesh<DX_V::PC>& quad) {
  for (int i = 0; i < 4; ++i) {
    auto& v = quad.lockedVertices[i];
    v.x = corners.corner[i].x;
    v.y = corners.corner[i].y;
    v.z = 0.0f;
  }
}

void FillQuadPC(DS_SimpleMesh<DX_V::PC>& quad, D3DCOLOR colour, const DS_QuadCorners& corners) {
  FillQuad(quad, colour, corners, WriteQuadPC);
}

void SetQuadColorPC(DS_SimpleMesh<DX_V::PC>& quad, D3DCOLOR colour) {
  RecolourQuad(quad, [&](int, D3DCOLOR old) { return (old & 0xFF000000u) | (colour & 0x00FFFFFFu); });
}

void SetQuadAlphaPC(DS_SimpleMesh<DX_V::PC>& quad, float a, float b, float c, float d) {
  SetQuadAlpha(quad, a, b, c, d);
}

void WriteQuadSCT(const DS_QuadCorners& corners, DS_SimpleMesh<DX_V::SCT>& quad) {
  for (int i = 0; i < 4; ++i) {
    const auto& c = corners.corner[i];
    auto& v = quad.lockedVertices[i];
    WriteScreenPosition(c, v);
    v.u = c.u;
    v.v = c.v;
  }
}

void SetQuadTextureSCT(DS_TexturedQuad<DX_V::SCT>& quad, IDirect3DTexture9* texture, const DS_QuadCorners& corners) {
  if (quad.texture.Get() != texture) quad.texture = ComRef<IDirect3DTexture9>::Share(texture);
  FillQuad(quad, 0xFFFFFFFFu, corners, WriteQuadSCT);
}

void LoadQuadTextureSCT(DS_TexturedQuad<DX_V::SCT>& quad, const DS_QuadCorners& corners) {
  quad.texture.Reset();
  LoadTextureFromResource(quad.texture, 0, false);
  FillQuad(quad, 0xFFFFFFFFu, corners, WriteQuadSCT);
}

void UpdateQuadSCT(DS_TexturedQuad<DX_V::SCT>& quad, const DS_QuadCorners& corners) {
  if (!quad.Lock()) return;
  WriteQuadSCT(corners, quad);
  quad.Unlock();
}

void SetQuadAlphaSCT(uint8_t alpha, DS_TexturedQuad<DX_V::SCT>& quad, float factor) {
  const uint32_t a = uint32_t(int32_t(factor * alpha)) & 0xFFu;
  RecolourQuad(quad, [&](int, D3DCOLOR old) { return (old & 0x00FFFFFFu) | (a << 24); });
}

void CreateCentredQuadSCT(DS_TexturedQuad<DX_V::SCT>& quad, float width, float height) {
  quad.texture.Reset();
  LoadTextureFromResource(quad.texture, 73, false);
  CreateQuad(quad);
  DX_V::SCT* v = quad.Lock();
  if (!v) return;
  float s = height / 3.0f, side = 2.0f * height / 3.0f;
  float x0 = (width - side) * 0.5f, y0 = (height - s) * 0.5f;
  const DX_V::SCT corners[4] = {
      {x0, s + y0, 0.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 1.0f},
      {x0, y0, 0.0f, 1.0f, 0xFFFFFFFFu, 0.0f, 0.0f},
      {x0 + side, s + y0, 0.0f, 1.0f, 0xFFFFFFFFu, 1.0f, 1.0f},
      {x0 + side, y0, 0.0f, 1.0f, 0xFFFFFFFFu, 1.0f, 0.0f},
  };
  for (int i = 0; i < 4; ++i) {
    v[i] = corners[i];
    quad.quadColours[i] = corners[i].color;
  }
  quad.Unlock();
}

int32_t SquareCopyPower(int32_t stored, uint32_t maxTextureSide) {
  int32_t power = 0;
  while (power < stored && (uint64_t(kSquareCopyBase) << (power + 1)) <= maxTextureSide) ++power;
  return power;
}

void ResampleSquareTexture(int power, DS_ImageQuad& pictureQuad, IDirect3DTexture9* source) {
  D3DCAPS9 caps{};
  const uint32_t maxSide = g_currentDevice && SUCCEEDED(g_currentDevice->GetDeviceCaps(&caps))
                               ? std::min(caps.MaxTextureWidth, caps.MaxTextureHeight)
                               : 0;
  const UINT size = kSquareCopyBase << SquareCopyPower(power, maxSide);
  ComRef<IDirect3DTexture9> resampled;
  ResampleTexture(source, size, size, D3DFMT_UNKNOWN, resampled);
  pictureQuad.info.texture = std::move(resampled);
}

void FillGridMeshPT(DS_IndexedMesh<DX_V::PT>& grid, uint32_t rows, uint32_t columns, const DS_QuadCorners& corners) {
  if (rows == 0 || columns == 0) return;
  // Enough vertices for the lattice, or the writes would run past the buffer.
  if (grid.vertexCount < (rows + 1) * (columns + 1)) return;
  DX_V::PT* v = grid.Lock();
  if (!v) return;
  struct Vec {
    float c[5];
  };
  auto at = [&](int i) { return Vec{{corners.corner[i].x, corners.corner[i].y, corners.corner[i].z,
                                     corners.corner[i].u, corners.corner[i].v}}; };
  auto lerpStep = [](const Vec& from, const Vec& to, float k) {
    Vec r;
    for (int i = 0; i < 5; ++i) r.c[i] = (to.c[i] - from.c[i]) * k;
    return r;
  };
  auto addScaled = [](const Vec& base, const Vec& step, float k) {
    Vec r;
    for (int i = 0; i < 5; ++i) r.c[i] = base.c[i] + step.c[i] * k;
    return r;
  };
  float dr = 1.0f / float(rows);
  Vec c0 = at(0), c1 = at(1), c2 = at(2), c3 = at(3);
  Vec bottomStep = lerpStep(c0, c2, 1.0f / float(columns));
  Vec topStep = lerpStep(c1, c3, 1.0f / float(columns));
  for (uint32_t j = 0; j <= columns; ++j) {
    Vec bottom = addScaled(c0, bottomStep, float(j));
    Vec top = addScaled(c1, topStep, float(j));
    Vec step = lerpStep(bottom, top, dr);
    for (uint32_t i = 0; i <= rows; ++i) {
      Vec p = addScaled(bottom, step, float(i));
      v[i + (rows + 1) * j] = DX_V::PT{p.c[0], p.c[1], p.c[2], p.c[3], p.c[4]};
    }
  }
  grid.Unlock();
}

void BindTexturedPT(const DS_TexturedQuad<DX_V::PT>& quad) {
  if (!g_currentDevice) return;
  g_currentDevice->SetTexture(0, quad.texture.Get());
  BindVertices(quad);
}

void BindTexturedSCT(const DS_TexturedQuad<DX_V::SCT>& quad) {
  if (!g_currentDevice) return;
  g_currentDevice->SetTexture(0, quad.texture.Get());
  BindVertices(quad);
}
