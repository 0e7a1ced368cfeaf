#pragma once
// The code rain behind the matrix-code light: a grid of glyph cells over the picture in
// which runs of random glyphs travel down the columns, some cells keep changing their
// glyph, bright heads fade to the trail colour and random glyphs flash. It advances one
// step per drawn frame and knows nothing of time. Every random number comes from rand,
// so the order of the draws below is part of the animation: every run shows the same rain.
#include <cstdint>
#include <memory>
#include <vector>

// What a grid is made from; the light fills it from its parameters and its glyph sheet.
struct DS_CodeRainLayout {
  int32_t cellSize = 16;
  int32_t density = 20;
  int32_t mutatingCount = 10;
  int32_t sparkles = 0;
  int32_t startMode = 0;
  int32_t glyphCount = 1;
};

// One column's run.
struct DS_CodeRainColumn {
  int32_t length = 0;   // glyphs still to write; 0 or less: the column writes blanks
  int32_t delay = 0;    // steps to wait before the next write
  int32_t headRow = 0;  // -1: new cells enter at the top and the column scrolls; else the row written next
};

// A cell is 32 bits: the glyph (0 empty, 1..N a glyph of the sheet), a signed fade counter
// (above 0: a bright head for that many more visits; below 0: fading, erased when it comes
// back to 0), the pending bit (processed at the next visit) and the mutating bit.
namespace code_rain {
constexpr uint32_t kPending = 1u << 16;
constexpr uint32_t kMutating = 1u << 17;
inline uint8_t Glyph(uint32_t cell) { return uint8_t(cell); }
inline int8_t Fade(uint32_t cell) { return int8_t(uint8_t(cell >> 8)); }
inline uint32_t WithGlyph(uint32_t cell, uint32_t glyph) { return (cell & ~0xFFu) | (glyph & 0xFFu); }
inline uint32_t WithFade(uint32_t cell, int32_t fade) { return (cell & ~0xFF00u) | ((uint32_t(fade) & 0xFFu) << 8); }
}  // namespace code_rain

struct DS_CodeRainGrid {
  uint32_t& Cell(int32_t c, int32_t r) { return cells[size_t(r) * size_t(columns) + size_t(c)]; }

  int32_t width = 0;   // the picture's size in pixels
  int32_t height = 0;
  int32_t startMode = 0;
  int32_t density = 0;
  int32_t mutatingCount = 0;
  int32_t sparklesOn = 0;
  int32_t columns = 0;
  int32_t rows = 0;
  std::vector<uint32_t> cells;  // row after row
  std::vector<DS_CodeRainColumn> columnStates;
  uint8_t eitherFlag = 0;     // with the random-row flag: each run picks its start at random
  uint8_t randomRowFlag = 0;  // runs start at a random row of the upper half
  int32_t spawnDensity = 0;
  int32_t glyphCount = 0;
};

// The grid and where the light's walk over it stands.
struct DS_CodeRainCursor {
  std::unique_ptr<DS_CodeRainGrid> grid;
  int32_t column = 0;
  int32_t row = 0;
  int32_t previousCount = 0;  // glyphs the previous frame showed
  int32_t currentCount = 0;   // glyphs this frame has shown so far
};

// What NextVisibleGlyph reports of the next cell that holds a glyph. The caller sets the
// half sizes (screen units).
struct DS_CodeRainGlyph {
  float halfWidth = 0.0f;
  float halfHeight = 0.0f;
  float x = 0.0f, y = 0.0f, z = 0.0f;
  float leftU = 0.0f, rightU = 0.0f, topV = 0.0f, bottomV = 0.0f;
  uint32_t colourMask = 0xFFFFFFFFu;
  int32_t brightnessClass = 0;  // 0 fading, 1 steady, 2 bright
  int32_t column = 0;
  int32_t row = 0;
};

// A new empty grid over the picture of g_virtualScreen, with its mutating cells marked.
std::unique_ptr<DS_CodeRainGrid> CreateCodeRainGrid(const DS_CodeRainLayout& layout);
// Clears every mutating mark, then marks (mutating count - 1) random cells.
void ShuffleMutatingCells(DS_CodeRainGrid& grid);
// Writes glyph g (0: a blank) at the column's head row; head row -1 scrolls the column down
// one cell first and writes at the top.
void WriteColumnHead(DS_CodeRainGrid& grid, int32_t headRow, uint32_t glyph, int32_t column);
// One step of every column; a full batch makes every head write blanks.
void AdvanceColumns(DS_CodeRainGrid& grid, bool full);
// One in k idle columns starts a run per step, k falling as the density rises.
int32_t SpawnDivisorForDensity(const DS_CodeRainGrid& grid);
// Sparkles, new runs in idle columns, and now and then new mutating cells.
void SpawnColumns(DS_CodeRainGrid& grid);
// Visits cells in row order from the cursor until one holds a glyph, and fills the record;
// false (and the record's alpha masked away) when the grid ends first.
bool NextVisibleGlyph(DS_CodeRainCursor& cursor, DS_CodeRainGlyph& glyph);
