#pragma once
// The ripple simulation behind the water-ring light: a grid of water cells, each with a
// height and a velocity, in which drops start rings that spread, reflect at the fixed
// border and die away. Every frame the grid advances and rewrites a vertex buffer whose
// vertices carry the lit normal, an opacity that depends on the viewing angle and texture
// coordinates that follow light refracted through the surface onto a curved bottom, so the
// picture drawn on the bottom wobbles under the ripples. Drawn as one indexed strip that
// spirals in from the border. Both buffers are in the default pool: the owner releases
// them before a device reset, and the next Resize makes them again.
#include <d3d9.h>
#include <d3dx9.h>

#include <array>
#include <cstdint>
#include <vector>

#include "device/ComRef.h"

struct DS_WaterVertex {
  float x, y, z;
  float nx, ny, nz;
  D3DCOLOR color;
  float u, v;
  static constexpr DWORD FVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
};
static_assert(sizeof(DS_WaterVertex) == 36 && DS_WaterVertex::FVF == 0x152);

struct DS_WaterCell {
  float height;
  float velocity;
};

// Refraction by the cosine of the viewing angle, quantised to 256 steps: the offset k and
// slope of the refracted ray, and black with an alpha that grows at grazing angles.
struct DS_WaterRefraction {
  float k;
  float slope;
  uint32_t colour;
};
using DS_WaterRefractionTable = std::array<DS_WaterRefraction, 256>;

class DS_WaterGrid;
// Fills the program's one table the first time and points the grid at it.
void BuildWaterRefractionTable(DS_WaterGrid& grid);

class DS_WaterGrid {
 public:
  DS_WaterGrid() = default;
  DS_WaterGrid(const DS_WaterGrid&) = delete;
  DS_WaterGrid& operator=(const DS_WaterGrid&) = delete;

  // Sizes the grid for a world extent of sizeX x sizeZ (128 columns per unit of density,
  // rows after the aspect times the row factor, both even, at most 65536 cells), calms the
  // water and makes the buffers again.
  void Resize(float sizeX, float sizeZ, float rowFactor, float density);
  // Index and vertex buffers for the current size, each only when absent. A grid of no
  // cells has none.
  HRESULT CreateBuffers();
  void ReleaseBuffers();
  // A drop at a random interior cell. A grid without interior cells takes none and draws no
  // random number.
  void AddRandomDrop();
  // A drop at interior cell (x, y): the velocity of the cell and its eight neighbours falls.
  void AddDropAt(uint32_t x, uint32_t y);
  // Four propagation passes, then the vertices seen from the eye; the lock's failure, or
  // success.
  HRESULT Step(const D3DXVECTOR3& eye);
  // One propagation pass (a quarter of Step's simulation).
  void Propagate();
  HRESULT Draw();

  // The spiral strip over columns x rows vertices: rings two cells wide from the border
  // inwards, 2 x columns x rows indices for even counts.
  static std::vector<uint16_t> SpiralStrip(uint32_t columns, uint32_t rows);

  DS_WaterCell& Cell(uint32_t c, uint32_t r) { return cells_[size_t(r) * columns_ + c]; }
  std::vector<DS_WaterCell>& Cells() { return cells_; }
  uint32_t Columns() const { return columns_; }
  uint32_t Rows() const { return rows_; }
  uint32_t CellCount() const { return cellCount_; }
  uint32_t IndexCount() const { return indexCount_; }
  uint32_t VertexCount() const { return vertexCount_; }
  float SizeX() const { return sizeX_; }
  float SizeZ() const { return sizeZ_; }
  const DS_WaterRefractionTable* RefractionTable() const { return refraction_; }
  IDirect3DIndexBuffer9* IndexBuffer() const { return indexBuffer_.Get(); }
  IDirect3DVertexBuffer9* VertexBuffer() const { return vertexBuffer_.Get(); }

  float heightScale = 1.0f;    // height += heightScale x velocity each pass
  float dropStrength = 0.5f;   // depth of a new drop
  float damping = 0.99f;       // velocity factor per pass
  float refractionDepth = 0.2f;  // scales the refraction offset and shrinks the texture

 private:
  friend void BuildWaterRefractionTable(DS_WaterGrid& grid);
  void FillVertices(DS_WaterVertex* out, const D3DXVECTOR3& eye) const;

  float sizeX_ = 0.0f, sizeZ_ = 0.0f;
  float inverseSizeX_ = 1.0f, inverseSizeZ_ = 1.0f;
  float mean_ = 0.0f;
  uint32_t indexCount_ = 0;
  uint32_t vertexCount_ = 0;
  std::vector<DS_WaterCell> cells_;
  const DS_WaterRefractionTable* refraction_ = nullptr;
  uint32_t columns_ = 4, rows_ = 4;
  uint32_t cellCount_ = 16;
  ComRef<IDirect3DIndexBuffer9> indexBuffer_;
  ComRef<IDirect3DVertexBuffer9> vertexBuffer_;
};
