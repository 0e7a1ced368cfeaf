// The water height field: its sizes, the spiral strip that draws it, drops, the refraction
// table, propagation that keeps the water's volume, and the vertices it writes.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <set>

#include "lights/DS_WaterGrid.h"
#include "tests/lights/RandomDraws.h"
#include "tests/support/TestDevice.h"

namespace {

TEST(WaterGrid, SizesFollowDensityAspectAndTheCellLimit) {
  struct Case {
    const char* name;
    float sizeX, sizeZ, rowFactor, density;
    uint32_t columns, rows;
  };
  const Case cases[] = {
      {"defaults of an 800 x 600 picture", 40, 30, 1.0f, 1.0f, 128, 96},
      {"an odd count loses its lowest bit", 30, 30, 1.0f, 129.0f / 128.0f, 128, 128},
      {"rows come from the raw column count", 40, 30, 1.0f, 129.0f / 128.0f, 128, 96},
      {"the row factor", 40, 30, 1.5f, 1.0f, 128, 144},
      // 300 x 300 would exceed 65536 cells: the columns narrow to 65536 / 300 = 218.
      {"300 x 300", 30, 30, 1.0f, 300.0f / 128.0f, 218, 300},
      {"a very wide picture", 1000, 30, 1.0f, 1.0f, 128, 2},
      {"no rows at all", 1000, 3, 1.0f, 1.0f, 128, 0},
  };
  TestDevice device(64, 64);
  ASSERT_TRUE(device.Ok());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DS_WaterGrid grid;
    grid.Resize(c.sizeX, c.sizeZ, c.rowFactor, c.density);
    EXPECT_EQ(grid.Columns(), c.columns);
    EXPECT_EQ(grid.Rows(), c.rows);
    EXPECT_EQ(grid.CellCount(), c.columns * c.rows);
    EXPECT_LE(grid.CellCount(), 65536u);
    EXPECT_EQ(grid.VertexCount(), grid.CellCount());
    EXPECT_EQ(grid.IndexCount(), 2 * grid.CellCount());
    EXPECT_EQ(grid.Cells().size(), size_t(grid.CellCount()));
    EXPECT_FLOAT_EQ(grid.SizeX(), c.sizeX);
    // The buffers exist exactly for a grid with cells.
    EXPECT_EQ(grid.IndexBuffer() != nullptr, grid.CellCount() > 0);
    EXPECT_EQ(grid.VertexBuffer() != nullptr, grid.CellCount() > 0);
  }
}

TEST(WaterGrid, ANoCellGridDrawsNothingAndStepsNothing) {
  TestDevice device(64, 64);
  ASSERT_TRUE(device.Ok());
  DS_WaterGrid grid;
  BuildWaterRefractionTable(grid);
  grid.Resize(1000, 3, 1.0f, 1.0f);
  ASSERT_EQ(grid.CellCount(), 0u);
  RandomDraws draws;
  EXPECT_EQ(draws.Of([&] { grid.AddRandomDrop(); }), 0);
  EXPECT_HRESULT_SUCCEEDED(grid.Step(D3DXVECTOR3(0, 120, 0)));
  device.Device()->BeginScene();
  EXPECT_HRESULT_SUCCEEDED(grid.Draw());
  device.Device()->EndScene();
}

TEST(WaterGrid, The4x4SpiralStripWalksTheRingsInwards) {
  const std::vector<uint16_t> expected = {0, 4, 1, 5, 2, 6, 3, 7,  7,  6, 11, 10, 15, 14, 14, 10,
                                          13, 9, 12, 8, 8, 9, 4, 5, 5, 9, 6, 10, 10, 9, 9, 5};
  EXPECT_EQ(DS_WaterGrid::SpiralStrip(4, 4), expected);
}

TEST(WaterGrid, EverySpiralUsesEveryVertexWithIndicesInRange) {
  const std::pair<uint32_t, uint32_t> sizes[] = {{4, 2}, {2, 4}, {6, 4}, {4, 6}, {2, 2}, {128, 96}, {218, 300}};
  for (auto [columns, rows] : sizes) {
    SCOPED_TRACE(testing::Message() << columns << " x " << rows);
    const std::vector<uint16_t> strip = DS_WaterGrid::SpiralStrip(columns, rows);
    ASSERT_EQ(strip.size(), size_t(2 * columns * rows));
    std::set<uint16_t> used(strip.begin(), strip.end());
    EXPECT_EQ(used.size(), size_t(columns * rows));
    EXPECT_LT(*used.rbegin(), columns * rows);
    // Neighbouring entries of the strip are neighbouring vertices or the same one.
    for (size_t i = 1; i < strip.size(); ++i) {
      const int ac = strip[i - 1] % columns, ar = strip[i - 1] / columns;
      const int bc = strip[i] % columns, br = strip[i] / columns;
      ASSERT_LE(std::abs(ac - bc) + std::abs(ar - br), 2) << "at " << i;
    }
  }
}

TEST(WaterGrid, ADropOnA4x4GridLandsOnAnInteriorCell) {
  TestDevice device(64, 64);
  ASSERT_TRUE(device.Ok());
  DS_WaterGrid grid;
  grid.Resize(30, 30, 1.0f, 4.0f / 128.0f);
  ASSERT_EQ(grid.Columns(), 4u);
  ASSERT_EQ(grid.Rows(), 4u);
  grid.dropStrength = 0.8f;
  RandomDraws draws;
  std::set<std::pair<uint32_t, uint32_t>> centres;
  for (int i = 0; i < 40; ++i) {
    for (DS_WaterCell& cell : grid.Cells()) cell = {0.0f, 0.0f};
    EXPECT_EQ(draws.Of([&] { grid.AddRandomDrop(); }), 2) << "a column, then a row";
    float total = 0.0f;
    for (uint32_t r = 0; r < 4; ++r)
      for (uint32_t c = 0; c < 4; ++c) {
        const DS_WaterCell& cell = grid.Cell(c, r);
        EXPECT_EQ(cell.height, 0.0f);
        total += cell.velocity;
        if (cell.velocity == -0.8f * 0.25f) centres.insert({c, r});
      }
    // The cell a quarter, its edge neighbours an eighth, its corners a sixteenth.
    EXPECT_FLOAT_EQ(total, -0.8f);
  }
  EXPECT_EQ(centres, (std::set<std::pair<uint32_t, uint32_t>>{{1, 1}, {2, 1}, {1, 2}, {2, 2}}));
}

TEST(WaterGrid, ADropDrawsItsColumnBeforeItsRow) {
  // 10 x 4 cells: from the start of the sequence (41, 18467) the column is 41 % 8 + 1 = 2 and
  // the row 18467 % 2 + 1 = 2; the other order would give column 4.
  TestDevice device(64, 64);
  ASSERT_TRUE(device.Ok());
  DS_WaterGrid grid;
  grid.Resize(30, 12, 1.0f, 10.0f / 128.0f);
  ASSERT_EQ(grid.Columns(), 10u);
  ASSERT_EQ(grid.Rows(), 4u);
  RandomDraws draws;  // restarts the sequence
  grid.AddRandomDrop();
  EXPECT_EQ(draws.Position(), 2);
  EXPECT_FLOAT_EQ(grid.Cell(2, 2).velocity, -grid.dropStrength * 0.25f);
  EXPECT_FLOAT_EQ(grid.Cell(3, 1).velocity, -grid.dropStrength * 0.0625f);
  EXPECT_EQ(grid.Cell(4, 2).velocity, 0.0f);
}

TEST(WaterGrid, AGridWithoutInteriorCellsTakesNoDropAndDrawsNothing) {
  TestDevice device(64, 64);
  ASSERT_TRUE(device.Ok());
  for (float sizeZ : {30.0f * 2 / 128, 30.0f * 3 / 128}) {  // two rows
    DS_WaterGrid grid;
    grid.Resize(30, sizeZ, 1.0f, 1.0f);
    ASSERT_LE(grid.Rows(), 2u);
    RandomDraws draws;
    EXPECT_EQ(draws.Of([&] { grid.AddRandomDrop(); }), 0);
    for (const DS_WaterCell& cell : grid.Cells()) EXPECT_EQ(cell.velocity, 0.0f);
  }
}

TEST(WaterGrid, RefractionTableFollowsTheViewingAngle) {
  struct Row {
    int i;
    float k;
    int alpha;
  };
  const Row rows[] = {{0, 0.881413f, 253}, {64, 0.666182f, 106}, {128, 0.513355f, 31}, {192, 0.407320f, 3}, {255, 0.333978f, 0}};
  DS_WaterGrid grid;
  EXPECT_EQ(grid.RefractionTable(), nullptr);
  BuildWaterRefractionTable(grid);
  const DS_WaterRefractionTable& table = *grid.RefractionTable();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.i);
    EXPECT_NEAR(table[size_t(row.i)].k, row.k, 2e-6);
    EXPECT_NEAR(table[size_t(row.i)].slope, -0.750188f, 2e-6);
    EXPECT_EQ(table[size_t(row.i)].colour, uint32_t(row.alpha) << 24) << "black, alpha from (255 - i)^3";
  }
  // One table for the program.
  DS_WaterGrid other;
  BuildWaterRefractionTable(other);
  EXPECT_EQ(other.RefractionTable(), grid.RefractionTable());
}

TEST(WaterGrid, PropagationKeepsTheVolumeAndTheBorderStill) {
  TestDevice device(64, 64);
  ASSERT_TRUE(device.Ok());
  DS_WaterGrid grid;
  grid.Resize(40, 30, 1.0f, 48.0f / 128.0f);
  ASSERT_EQ(grid.Columns(), 48u);
  srand(1);
  for (int i = 0; i < 5; ++i) grid.AddRandomDrop();
  double largest = 0.0;
  for (int pass = 0; pass < 200; ++pass) {
    if (pass % 40 == 0) grid.AddRandomDrop();
    grid.Propagate();
    double sum = 0.0;
    for (const DS_WaterCell& cell : grid.Cells()) {
      sum += cell.height;
      largest = std::max(largest, double(std::fabs(cell.height)));
    }
    ASSERT_NEAR(sum, 0.0, 1e-4) << "after pass " << pass;
    for (uint32_t c = 0; c < grid.Columns(); ++c)
      ASSERT_EQ(grid.Cell(c, 0).velocity, 0.0f);
  }
  EXPECT_GT(largest, 0.01) << "the rings moved the water";
}

TEST(WaterGrid, StepWritesCalmWaterAsAnAlmostUndisplacedPicture) {
  TestDevice device(64, 64);
  ASSERT_TRUE(device.Ok());
  DS_WaterGrid grid;
  BuildWaterRefractionTable(grid);
  grid.Resize(40, 30, 1.0f, 1.0f);
  ASSERT_HRESULT_SUCCEEDED(grid.Step(D3DXVECTOR3(0, 120, 0)));
  void* p = nullptr;
  ASSERT_HRESULT_SUCCEEDED(grid.VertexBuffer()->Lock(0, 0, &p, D3DLOCK_READONLY));
  const auto* v = static_cast<const DS_WaterVertex*>(p);
  auto at = [&](uint32_t c, uint32_t r) { return v[size_t(r) * grid.Columns() + c]; };
  const DS_WaterVertex first = at(0, 0), last = at(127, 95), middle = at(64, 48);
  EXPECT_FLOAT_EQ(first.x, -20.0f);
  EXPECT_FLOAT_EQ(first.z, -15.0f);
  EXPECT_NEAR(last.x, 20.0f, 1e-3);
  EXPECT_NEAR(last.z, 15.0f, 1e-3);
  // Flat: the normal points up, seen from above the alpha is near 0.
  EXPECT_FLOAT_EQ(middle.ny, 1.0f);
  EXPECT_LE(middle.color >> 24, 1u);
  EXPECT_EQ(middle.color & 0xFFFFFFu, 0u);
  // The texture follows the position within 2 % of the picture.
  for (const DS_WaterVertex& vertex : {first, last, middle}) {
    EXPECT_NEAR(vertex.u, vertex.x / 40.0f + 0.5f, 0.02f);
    EXPECT_NEAR(vertex.v, vertex.z / 30.0f + 0.5f, 0.02f);
  }
  grid.VertexBuffer()->Unlock();
}

TEST(WaterGrid, RefractionOnRippledWaterFollowsSnellsLaw) {
  // Water sloping at a vertex seen from straight above: the normal leans away from the
  // rising side, and the ray into the water bends towards the normal, so the picture under
  // the vertex moves towards the rising side. Expected: Snell's law at 1.333 from the
  // normal (Lc - Rc, 1, Ur - Dr) down to the bowl under the water (the sphere of radius 35
  // whose centre lies 20 above it), the offset scaled by the refraction depth; the table's
  // quantised cosine stays within 5e-4 of u and v, a turned sign moves them by 0.01 or more.
  TestDevice device(64, 64);
  ASSERT_TRUE(device.Ok());
  DS_WaterGrid grid;
  BuildWaterRefractionTable(grid);
  grid.Resize(40, 30, 1.0f, 1.0f);
  const uint32_t c0 = 64, r0 = 48;
  auto vertexAt = [&](const D3DXVECTOR3& eye) {
    EXPECT_HRESULT_SUCCEEDED(grid.Step(eye));
    void* p = nullptr;
    DS_WaterVertex v{};
    if (SUCCEEDED(grid.VertexBuffer()->Lock(0, 0, &p, D3DLOCK_READONLY))) {
      v = static_cast<const DS_WaterVertex*>(p)[size_t(r0) * grid.Columns() + c0];
      grid.VertexBuffer()->Unlock();
    }
    return v;
  };
  const DS_WaterVertex middle = vertexAt(D3DXVECTOR3(0, 120, 0));
  const D3DXVECTOR3 eye(middle.x, 120, middle.z);  // straight above the vertex
  const DS_WaterVertex calm = vertexAt(eye);
  struct Case {
    const char* name;
    float slopeX, slopeZ;  // height per cell along the columns and the rows
    int du, dv;            // the sign of the move from the calm vertex
  };
  const Case cases[] = {
      {"calm", 0, 0, 0, 0},
      {"rising towards +x", 0.125f, 0, 1, 0},
      {"rising towards -x", -0.125f, 0, -1, 0},
      {"rising towards +z", 0, 0.125f, 0, 1},
      {"rising towards -z", 0, -0.125f, 0, -1},
      {"both", 0.1f, -0.1f, 1, -1},
  };
  const float g = grid.refractionDepth, shrink = 1.0f - 0.05f * g, eta = 1.0f / 1.333f;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (uint32_t r = 0; r < grid.Rows(); ++r)
      for (uint32_t k = 0; k < grid.Columns(); ++k)
        grid.Cell(k, r) = {c.slopeX * (float(k) - float(c0)) + c.slopeZ * (float(r) - float(r0)), 0.0f};
    const DS_WaterVertex v = vertexAt(eye);
    ASSERT_EQ(v.x, eye.x);
    ASSERT_EQ(v.z, eye.z);

    D3DXVECTOR3 n(-6 * c.slopeX, 1, -6 * c.slopeZ);
    D3DXVec3Normalize(&n, &n);
    const float cosine = n.y;  // the eye straight above: e = (0, 1, 0)
    const float cosRefracted = std::sqrt(1 - eta * eta * (1 - cosine * cosine));
    const D3DXVECTOR3 ray = D3DXVECTOR3(0, -eta, 0) + (eta * cosine - cosRefracted) * n;
    const D3DXVECTOR3 from(v.x, v.y - 20, v.z);
    const float b = 2 * D3DXVec3Dot(&ray, &from);
    const float t = (std::sqrt(b * b - 4 * (D3DXVec3Dot(&from, &from) - 35 * 35)) - b) * 0.5f * g;
    EXPECT_NEAR(v.u, (v.x + t * ray.x) / 40 * shrink + 0.5f, 5e-4f);
    EXPECT_NEAR(v.v, (v.z + t * ray.z) / 30 * shrink + 0.5f, 5e-4f);
    // Towards the rising side, by half a percent of the picture or more.
    if (c.du != 0) EXPECT_GT((v.u - calm.u) * c.du, 5e-3f);
    if (c.dv != 0) EXPECT_GT((v.v - calm.v) * c.dv, 5e-3f);
  }
}

TEST(WaterGrid, ARayThatMissesTheBottomIsNotDisplaced) {
  // A grid far wider than the bottom sphere (radius 35): its far corners see no sphere.
  TestDevice device(64, 64);
  ASSERT_TRUE(device.Ok());
  DS_WaterGrid grid;
  BuildWaterRefractionTable(grid);
  grid.Resize(200, 30, 1.0f, 32.0f / 128.0f);
  ASSERT_HRESULT_SUCCEEDED(grid.Step(D3DXVECTOR3(0, 120, 0)));
  void* p = nullptr;
  ASSERT_HRESULT_SUCCEEDED(grid.VertexBuffer()->Lock(0, 0, &p, D3DLOCK_READONLY));
  const auto* v = static_cast<const DS_WaterVertex*>(p);
  for (uint32_t i = 0; i < grid.VertexCount(); ++i) {
    ASSERT_TRUE(std::isfinite(v[i].u) && std::isfinite(v[i].v)) << i;
  }
  const DS_WaterVertex corner = v[0];
  EXPECT_NEAR(corner.u, (corner.x / 200.0f) * (1.0f - 0.05f * 0.2f) + 0.5f, 1e-5);
  grid.VertexBuffer()->Unlock();
}

}  // namespace
