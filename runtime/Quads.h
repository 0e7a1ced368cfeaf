#pragma once
// Screen quads: the corner record every quad is filled from, the texture reference with
// its picture size, textured quads, the picture quad, and the fill, colour and alpha
// operations per vertex layout. (The glyph batch is in DS_QuadBatch.h.)
#include <d3d9.h>

#include <cstdint>

#include "device/ComRef.h"
#include "device/DS_TextureInfo.h"
#include "device/Meshes.h"

// Four corners in strip order: 0 bottom left, 1 top left, 2 bottom right, 3 top right.
// For screen layouts z is written as the vertex's reciprocal w.
struct DS_QuadCorners {
  struct Corner {
    float x, y, z, u, v;
  };
  Corner corner[4]{};
};

// A four-vertex strip with a held texture: DX_V::SCT on the screen, DX_V::PT for the picture.
template <class V>
class DS_TexturedQuad : public DS_SimpleMesh<V> {
 public:
  ComRef<IDirect3DTexture9> texture;
};

// The picture's full-screen mesh with the picture's texture and size.
class DS_ImageQuad : public DS_TexturedQuad<DX_V::PT> {
 public:
  DS_TextureInfo info;
};

// Screen-colour quads.
void FillQuadSC(DS_SimpleMesh<DX_V::SC>& quad, D3DCOLOR colour, const DS_QuadCorners& corners);
void WriteQuadSC(const DS_QuadCorners& corners, DS_SimpleMesh<DX_V::SC>& lockedQuad);
// Alphas of bottom left, bottom right, top left, top right (0..1).
void SetQuadAlphaSC(DS_SimpleMesh<DX_V::SC>& quad, float a, float b, float c, float d);

// Coloured world quads.
void FillQuadPC(DS_SimpleMesh<DX_V::PC>& quad, D3DCOLOR colour, const DS_QuadCorners& corners);
void WriteQuadPC(const DS_QuadCorners& corners, DS_SimpleMesh<DX_V::PC>& lockedQuad);
void SetQuadColorPC(DS_SimpleMesh<DX_V::PC>& quad, D3DCOLOR colour);  // keeps alpha
void SetQuadAlphaPC(DS_SimpleMesh<DX_V::PC>& quad, float a, float b, float c, float d);

// Textured screen quads.
void SetQuadTextureSCT(DS_TexturedQuad<DX_V::SCT>& quad, IDirect3DTexture9* texture, const DS_QuadCorners& corners);
void LoadQuadTextureSCT(DS_TexturedQuad<DX_V::SCT>& quad, const DS_QuadCorners& corners);
void UpdateQuadSCT(DS_TexturedQuad<DX_V::SCT>& quad, const DS_QuadCorners& corners);
void WriteQuadSCT(const DS_QuadCorners& corners, DS_SimpleMesh<DX_V::SCT>& lockedQuad);
void SetQuadAlphaSCT(uint8_t alpha, DS_TexturedQuad<DX_V::SCT>& quad, float factor);
void CreateCentredQuadSCT(DS_TexturedQuad<DX_V::SCT>& quad, float width, float height);

// Picture and grid quads.
// The power of a square copy of (128 << power) for a stored power: a negative one gives 0,
// and one past the largest side the device makes (its D3DCAPS9 MaxTextureWidth and
// MaxTextureHeight, the smaller) stops at that side, however large it is. A side under
// 128 still gives 0.
int32_t SquareCopyPower(int32_t stored, uint32_t maxTextureSide);
// The picture quad's texture becomes the source resampled to (128 << power) squared, the
// power taken through SquareCopyPower with the current device's largest side; the info
// keeps the picture's size.
void ResampleSquareTexture(int power, DS_ImageQuad& pictureQuad, IDirect3DTexture9* source);
// Bilinear fill of a grid of (rows + 1) x (columns + 1) vertices, column after column,
// each column from the bottom edge (corner 0 side) to the top edge.
void FillGridMeshPT(DS_IndexedMesh<DX_V::PT>& grid, uint32_t rows, uint32_t columns, const DS_QuadCorners& corners);

// Binding of textured quads before a draw call (texture on stage 0).
void BindTexturedPT(const DS_TexturedQuad<DX_V::PT>& quad);
void BindTexturedSCT(const DS_TexturedQuad<DX_V::SCT>& quad);

// The alpha byte of a 0..1 value: low 8 bits of trunc(value x 255).
inline uint32_t AlphaByte(float value) { return uint32_t(int32_t(double(value) * 255.0)) & 0xFFu; }
inline D3DCOLOR WithAlpha(D3DCOLOR colour, float value) { return (colour & 0x00FFFFFFu) | (AlphaByte(value) << 24); }
