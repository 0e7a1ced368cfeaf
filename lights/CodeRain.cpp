#include "lights/CodeRain.h"

#include "runtime/DS_View2D.h"
#include "runtime/Random.h"

using namespace code_rain;

std::unique_ptr<DS_CodeRainGrid> CreateCodeRainGrid(const DS_CodeRainLayout& layout) {
  auto grid = std::make_unique<DS_CodeRainGrid>();
  const int32_t cell = layout.cellSize > 0 ? layout.cellSize : 1;
  grid->width = int32_t(g_virtualScreen->pictureWidth);
  grid->height = int32_t(g_virtualScreen->pictureHeight);
  grid->startMode = layout.startMode;
  grid->density = layout.density;
  grid->mutatingCount = layout.mutatingCount;
  grid->sparklesOn = layout.sparkles != 0 ? 1 : 0;
  grid->columns = grid->width / cell + 1;
  grid->rows = grid->height / cell + 1;
  grid->cells.assign(size_t(grid->columns) * size_t(grid->rows), 0u);
  grid->columnStates.assign(size_t(grid->columns), DS_CodeRainColumn{});
  grid->eitherFlag = layout.startMode == 1 ? 0 : 1;
  grid->randomRowFlag = layout.startMode == 0 ? 0 : 1;
  grid->spawnDensity = layout.density;
  grid->glyphCount = layout.glyphCount;
  ShuffleMutatingCells(*grid);
  return grid;
}

void ShuffleMutatingCells(DS_CodeRainGrid& grid) {
  for (uint32_t& cell : grid.cells) cell &= ~kMutating;
  for (int32_t i = 0; i < grid.mutatingCount - 1; ++i) {
    const int32_t x = rand() % grid.columns;
    const int32_t y = rand() % grid.rows;
    grid.Cell(x, y) |= kMutating;
  }
}

void WriteColumnHead(DS_CodeRainGrid& grid, int32_t headRow, uint32_t glyph, int32_t column) {
  if (headRow >= grid.rows) return;
  if (headRow < 0) {
    for (int32_t r = grid.rows - 1; r >= 1; --r) {
      uint32_t& dst = grid.Cell(column, r);
      const uint32_t src = grid.Cell(column, r - 1);
      if (Glyph(dst) != 0 && Glyph(src) == 0)
        dst = WithFade(dst, -1);  // the glyph stays and fades out
      else
        dst = (dst & ~0xFFFFu) | (src & 0xFFFFu);
      dst |= kPending;
    }
  }
  uint32_t& target = grid.Cell(column, headRow < 0 ? 0 : headRow);
  target = WithGlyph(target, glyph) | kPending;
  if (glyph != 0) target = WithFade(target, headRow >= 0 ? rand() % 2 + 1 : 0);
}

void AdvanceColumns(DS_CodeRainGrid& grid, bool full) {
  for (int32_t i = 0; i < grid.columns; ++i) {
    DS_CodeRainColumn& column = grid.columnStates[size_t(i)];
    if (column.delay != 0) {
      --column.delay;
    } else {
      if (column.length > 0) {
        const uint32_t glyph = full ? 0u : uint32_t(rand() % grid.glyphCount + 1);
        WriteColumnHead(grid, column.headRow, glyph, i);
        --column.length;
      } else {
        WriteColumnHead(grid, column.headRow, 0, i);
      }
      if (column.headRow >= 0) ++column.headRow;
    }
    if (rand() % 10 == 0) column.delay = rand() % 5 + rand() % 5;
  }
}

int32_t SpawnDivisorForDensity(const DS_CodeRainGrid& grid) {
  struct Band {
    int32_t below;
    int32_t divisor;
  };
  static constexpr Band kBands[] = {{10, 85}, {15, 60}, {20, 45}, {25, 25}, {30, 20}, {35, 15},
                                    {45, 10}, {50, 8},  {55, 7},  {65, 5},  {80, 3},  {90, 2}};
  for (const Band& band : kBands)
    if (grid.spawnDensity < band.below) return band.divisor;
  return 1;
}

void SpawnColumns(DS_CodeRainGrid& grid) {
  // A grid of one column has no room for sparkles (their count would divide by zero).
  if (grid.sparklesOn && grid.columns / 2 > 0) {
    const int32_t n = (rand() % ((grid.columns / 2) * 10)) / 10 - 1;
    for (int32_t i = 0; i < n; ++i) {
      const int32_t x = rand() % grid.columns;
      const int32_t y = rand() % grid.rows;
      uint32_t& cell = grid.Cell(x, y);
      if (Glyph(cell) != 0 && Fade(cell) == 0) cell = WithFade(cell, rand() % 20) | kPending;
    }
  }
  for (int32_t i = 0; i < grid.columns; ++i) {
    DS_CodeRainColumn& column = grid.columnStates[size_t(i)];
    if (column.length > 0) continue;
    const int32_t k = SpawnDivisorForDensity(grid);
    if (rand() % k != 0) continue;
    column.length = rand() % grid.rows + 3;
    column.delay = rand() % 5 + rand() % 5;
    if (rand() % 4 != 0) column.length = 0;  // three runs in four are blank runs that erase
    const int32_t choice = grid.eitherFlag && grid.randomRowFlag ? (rand() & 1) : grid.randomRowFlag;
    // A grid of one row has no upper half to start in: such runs start at the top.
    column.headRow = choice != 0 && grid.rows / 2 > 0 ? rand() % (grid.rows / 2) : -1;
  }
  if (rand() % 500 == 0) ShuffleMutatingCells(grid);
}

bool NextVisibleGlyph(DS_CodeRainCursor& cursor, DS_CodeRainGlyph& glyph) {
  DS_CodeRainGrid& grid = *cursor.grid;
  glyph.column = 0;
  glyph.row = 0;
  const DS_QuadCorners& quad = g_virtualScreen->pictureQuad;
  const float inverseN = 1.0f / float(grid.glyphCount);
  for (; cursor.row < grid.rows; ++cursor.row, cursor.column = 0) {
    for (; cursor.column < grid.columns; ++cursor.column) {
      const int32_t c = cursor.column, r = cursor.row;
      uint32_t& cell = grid.Cell(c, r);
      const uint32_t g = Glyph(cell);
      const bool found = g != 0;
      if (found) {
        ++cursor.currentCount;
        glyph.x = quad.corner[1].x + glyph.halfWidth * float(2 * c + 1);
        glyph.y = quad.corner[1].y + glyph.halfHeight * float(2 * r + 1);
        glyph.z = 0.0f;
        glyph.column = c;
        glyph.row = r;
        const int8_t fade = Fade(cell);
        glyph.brightnessClass = fade > 0 || (cell & kMutating) ? 2 : fade == 0 ? 1 : 0;
        glyph.leftU = 0.0f;
        glyph.rightU = 1.0f;
        glyph.colourMask = 0xFFFFFFFFu;
        glyph.topV = inverseN * float(int32_t(g) - 1);
        glyph.bottomV = inverseN * float(g);
        cursor.column = c + 1;
      }
      if (cell & kPending) {
        cell &= ~kPending;
        const int8_t fade = Fade(cell);
        if (fade > 0) {
          cell = WithFade(cell, fade - 1) | kPending;
        } else if (fade < 0) {
          cell = WithFade(cell, fade + 1) | kPending;
          if (fade + 1 == 0) cell = WithGlyph(cell, 0);
        }
      }
      if ((cell & kMutating) && Glyph(cell) != 0) cell = WithGlyph(cell, uint32_t(rand() % grid.glyphCount)) | kPending;
      if (found) return true;
    }
  }
  glyph.colourMask &= 0x00FFFFFFu;
  return false;
}
