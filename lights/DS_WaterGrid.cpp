#include "lights/DS_WaterGrid.h"

#include <algorithm>
#include <cmath>

#include "device/CurrentDevice.h"
#include "device/DefaultPool.h"
#include "runtime/Random.h"

namespace {

constexpr uint32_t kMaxCells = 65536;  // what 16-bit indices address
constexpr float kBottomRadius = 35.0f;
constexpr float kBottomDepth = 20.0f;

DS_WaterRefractionTable g_refraction{};
bool g_refractionBuilt = false;

// A count from a float, held to a range where the conversion is defined (absurd densities
// give an empty grid rather than an undefined one).
int64_t Truncate(float value) {
  if (!(value > 0.0f)) return 0;
  return int64_t(std::min(value, 1.0e9f));
}

uint32_t EvenAtOrBelow(int64_t n) { return uint32_t(n) & ~1u; }

D3DXVECTOR3 Normalized(float x, float y, float z) {
  const float length = std::sqrt(x * x + y * y + z * z);
  return length > 0.0f ? D3DXVECTOR3(x / length, y / length, z / length) : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

void BuildWaterRefractionTable(DS_WaterGrid& grid) {
  if (!g_refractionBuilt) {
    for (int i = 0; i < 256; ++i) {
      // Snell's law at the water's index 1.333, a step per float as the table was measured.
      const float a = float(i) / 256.0f;
      const float b = std::sin(std::acos(a));
      const float c = b / 1.333f;
      const float d = std::cos(std::asin(c));
      const float k = (b / c) * d - a;
      const float slope = -c / b;
      const uint32_t w = uint32_t(255 - i);
      g_refraction[size_t(i)] = {k, slope, ((w * w * w) & 0xFFFF0000u) << 8};
    }
    g_refractionBuilt = true;
  }
  grid.refraction_ = &g_refraction;
}

std::vector<uint16_t> DS_WaterGrid::SpiralStrip(uint32_t columns, uint32_t rows) {
  const size_t total = 2 * size_t(columns) * rows;
  const int64_t vertices = int64_t(columns) * rows;
  std::vector<uint16_t> strip;
  strip.reserve(total);
  // Indices outside the grid (odd sizes) are written as vertex 0.
  auto put = [&](int64_t a, int64_t b) {
    for (int64_t index : {a, b})
      if (strip.size() < total) strip.push_back(index >= 0 && index < vertices ? uint16_t(index) : uint16_t(0));
  };
  const int64_t w = columns;
  int64_t c = 0, r = 0, n = columns, m = rows;
  while (strip.size() < total) {
    const size_t before = strip.size();
    for (int64_t i = 0; i < n; ++i, ++c) put(r * w + c, (r + 1) * w + c);  // along the top
    --c, ++r;
    if (m > 1) {
      for (int64_t i = 0; i < m - 1; ++i, ++r) put(r * w + c, r * w + c - 1);  // down the right side
      --r, --c;
    }
    if (n > 1) {
      for (int64_t i = 0; i < n - 1; ++i, --c) put(r * w + c, (r - 1) * w + c);  // back along the bottom
      ++c, --r;
    }
    if (m > 2)
      for (int64_t i = 0; i < m - 2; ++i, --r) put(r * w + c, r * w + c + 1);  // up the left side
    m -= 2, n -= 2, ++r, ++c;
    if (strip.size() == before) break;  // an odd size whose spiral has closed
  }
  strip.resize(total, 0);
  return strip;
}

void DS_WaterGrid::Resize(float sizeX, float sizeZ, float rowFactor, float density) {
  const int64_t rawColumns = Truncate(density * 128.0f);
  const int64_t rawRows = Truncate(float(rawColumns) * (sizeZ / sizeX) * rowFactor);
  columns_ = EvenAtOrBelow(std::min<int64_t>(rawColumns, 1 << 30));
  rows_ = EvenAtOrBelow(std::min<int64_t>(rawRows, 1 << 30));
  uint64_t cells = uint64_t(columns_) * rows_;
  if (cells > kMaxCells) {
    columns_ = EvenAtOrBelow(kMaxCells / rows_);  // narrower columns keep 16-bit indices enough
    cells = uint64_t(columns_) * rows_;
  }
  cellCount_ = uint32_t(cells);
  sizeX_ = sizeX;
  sizeZ_ = sizeZ;
  inverseSizeX_ = 1.0f / sizeX;
  inverseSizeZ_ = 1.0f / sizeZ;
  vertexCount_ = cellCount_;
  indexCount_ = 2 * cellCount_;
  cells_.assign(cellCount_, DS_WaterCell{0.0f, 0.0f});
  ReleaseBuffers();
  CreateBuffers();
}

void DS_WaterGrid::ReleaseBuffers() {
  indexBuffer_.Reset();
  vertexBuffer_.Reset();
}

HRESULT DS_WaterGrid::CreateBuffers() {
  if (cellCount_ == 0) return S_OK;
  if (!g_currentDevice) return E_FAIL;
  if (!indexBuffer_) {
    HRESULT hr = CreateDefaultPoolIndexBuffer(UINT(indexCount_ * sizeof(uint16_t)), 0, "water grid index buffer",
                                              indexBuffer_);
    if (FAILED(hr)) return hr;
    void* p = nullptr;
    hr = indexBuffer_->Lock(0, 0, &p, 0);
    if (FAILED(hr) || !p) {
      indexBuffer_.Reset();  // unfilled: made again at the next try
      return FAILED(hr) ? hr : E_FAIL;
    }
    const std::vector<uint16_t> strip = SpiralStrip(columns_, rows_);
    std::copy(strip.begin(), strip.end(), static_cast<uint16_t*>(p));
    indexBuffer_->Unlock();
  }
  if (!vertexBuffer_) {
    HRESULT hr = CreateDefaultPoolVertexBuffer(UINT(vertexCount_ * sizeof(DS_WaterVertex)), D3DUSAGE_DYNAMIC,
                                               DS_WaterVertex::FVF, "water grid vertex buffer", vertexBuffer_);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

void DS_WaterGrid::AddRandomDrop() {
  // No interior cell, no drop: the remainder would be taken by 0, or land outside the grid.
  if (columns_ <= 2 || rows_ <= 2) return;
  const uint32_t x = uint32_t(rand()) % (columns_ - 2) + 1;
  const uint32_t y = uint32_t(rand()) % (rows_ - 2) + 1;
  AddDropAt(x, y);
}

void DS_WaterGrid::AddDropAt(uint32_t x, uint32_t y) {
  if (x < 1 || y < 1 || x + 1 >= columns_ || y + 1 >= rows_) return;
  const float s = dropStrength;
  Cell(x, y).velocity -= s * 0.25f;
  for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) Cell(x + dx, y + dy).velocity -= s * 0.125f;
  for (auto [dx, dy] : {std::pair{-1, -1}, {1, -1}, {-1, 1}, {1, 1}}) Cell(x + dx, y + dy).velocity -= s * 0.0625f;
}

void DS_WaterGrid::Propagate() {
  if (cellCount_ == 0) return;
  const uint32_t w = columns_, h = rows_;
  mean_ = 0.0f;
  for (uint32_t r = 0; r < h; ++r) {
    const uint32_t up = (r + h - 1) % h, down = (r + 1) % h;
    for (uint32_t c = 0; c < w; ++c) {
      DS_WaterCell& cell = cells_[size_t(r) * w + c];
      if (c == 0 || r == 0 || c == w - 1 || r == h - 1) {
        cell.height = 0.0f;
        cell.velocity = 0.0f;
      } else {
        const uint32_t left = (c + w - 1) % w, right = (c + 1) % w;
        auto height = [&](uint32_t cc, uint32_t rr) { return cells_[size_t(rr) * w + cc].height; };
        const float diagonal = height(left, up) + height(right, up) + height(left, down) + height(right, down);
        const float edge = height(c, up) + height(left, r) + height(right, r) + height(c, down);
        const float average = diagonal * (1.0f / 12.0f) + edge * (1.0f / 6.0f);
        cell.velocity = (average - cell.height) * 0.25f + cell.velocity * damping;
      }
      mean_ = mean_ + cell.height + cell.velocity;
    }
  }
  mean_ = mean_ / float(cellCount_);
  for (DS_WaterCell& cell : cells_) cell.height = cell.height + cell.velocity * heightScale - mean_;
}

HRESULT DS_WaterGrid::Step(const D3DXVECTOR3& eye) {
  if (cellCount_ == 0) return S_OK;
  for (int pass = 0; pass < 4; ++pass) Propagate();
  if (!vertexBuffer_) return D3DERR_INVALIDCALL;
  void* p = nullptr;
  HRESULT hr = vertexBuffer_->Lock(0, 0, &p, 0);
  if (FAILED(hr)) return hr;
  if (p && refraction_) FillVertices(static_cast<DS_WaterVertex*>(p), eye);
  vertexBuffer_->Unlock();
  return S_OK;
}

void DS_WaterGrid::FillVertices(DS_WaterVertex* out, const D3DXVECTOR3& eye) const {
  const uint32_t w = columns_, h = rows_;
  const float dx = sizeX_ / float(w - 1), dz = sizeZ_ / float(h - 1);
  const float g = refractionDepth;
  const float shrink = 1.0f - 0.05f * g;
  const DS_WaterRefractionTable& table = *refraction_;
  auto height = [&](uint32_t c, uint32_t r) { return cells_[size_t(r) * w + c].height; };
  float z = -sizeZ_ / 2.0f;
  for (uint32_t r = 0; r < h; ++r, z += dz) {
    const uint32_t up = (r + h - 1) % h, down = (r + 1) % h;
    float x = -sizeX_ / 2.0f;
    for (uint32_t c = 0; c < w; ++c, x += dx) {
      const uint32_t left = (c + w - 1) % w, right = (c + 1) % w;
      const float hc = height(c, r);
      const float leftColumn = height(left, up) + height(left, r) + height(left, down);
      const float rightColumn = height(right, up) + height(right, r) + height(right, down);
      const float rowAbove = height(left, up) + height(c, up) + height(right, up);
      const float rowBelow = height(left, down) + height(c, down) + height(right, down);
      const D3DXVECTOR3 n = Normalized(leftColumn - rightColumn, 1.0f, rowAbove - rowBelow);
      const D3DXVECTOR3 e = Normalized(eye.x - x, eye.y - hc, eye.z - z);

      // The viewing angle's cosine picks the refraction; a normal turned away reads entry 0.
      // lrint rounds ties to even like nearbyint, at a fiftieth of its cost under MinGW.
      const int index = std::clamp(int(std::lrint(255.0f * Dot(n, e))), 0, 255);
      const DS_WaterRefraction& entry = table[size_t(index)];
      const D3DXVECTOR3 ray = entry.slope * (entry.k * n + e);

      // Where the ray from the surface meets the sphere of radius 35 around the origin.
      const D3DXVECTOR3 p(x, hc - kBottomDepth, z);
      const float b = 2.0f * Dot(ray, p);
      const float cq = Dot(p, p) - kBottomRadius * kBottomRadius;
      const float discriminant = b * b - 4.0f * cq;
      // A ray that misses the sphere (far corners of very wide grids) is not displaced, which
      // keeps the texture coordinates continuous.
      const float t = discriminant >= 0.0f ? (std::sqrt(discriminant) - b) * 0.5f * g : 0.0f;

      DS_WaterVertex& v = *out++;
      v.x = x, v.y = hc, v.z = z;
      v.nx = n.x, v.ny = n.y, v.nz = n.z;
      v.color = entry.colour;
      v.u = (x + t * ray.x) * inverseSizeX_ * shrink + 0.5f;
      v.v = (z + t * ray.z) * inverseSizeZ_ * shrink + 0.5f;
    }
  }
}

HRESULT DS_WaterGrid::Draw() {
  IDirect3DDevice9* d = g_currentDevice;
  if (cellCount_ == 0 || !d || !vertexBuffer_ || !indexBuffer_) return S_OK;
  HRESULT hr = d->SetFVF(DS_WaterVertex::FVF);
  if (SUCCEEDED(hr)) hr = d->SetStreamSource(0, vertexBuffer_.Get(), 0, sizeof(DS_WaterVertex));
  if (SUCCEEDED(hr)) hr = d->SetIndices(indexBuffer_.Get());
  if (SUCCEEDED(hr)) hr = d->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, vertexCount_, 0, indexCount_ - 2);
  return hr;
}
