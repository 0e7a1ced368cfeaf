// The code rain on its own: the grid a layout makes, spawning by density, the column heads,
// the walk that reports visible glyphs, and the exact number and order of random draws,
// which decide what every run shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>

#include "lights/CodeRain.h"
#include "runtime/DS_View2D.h"
#include "tests/lights/RandomDraws.h"

namespace {

using namespace code_rain;

DS_CodeRainLayout Layout(int32_t density, int32_t mutating, int32_t sparkles, int32_t startMode, int32_t glyphs) {
  DS_CodeRainLayout l;
  l.density = density;
  l.mutatingCount = mutating;
  l.sparkles = sparkles;
  l.startMode = startMode;
  l.glyphCount = glyphs;
  return l;
}

// A grid of columns x rows cells of 10 picture pixels.
std::unique_ptr<DS_CodeRainGrid> MakeGrid(int32_t columns, int32_t rows, DS_CodeRainLayout layout = Layout(20, 0, 0, 0, 5)) {
  layout.cellSize = 10;
  g_virtualScreen->pictureWidth = uint32_t((columns - 1) * 10);
  g_virtualScreen->pictureHeight = uint32_t((rows - 1) * 10);
  return CreateCodeRainGrid(layout);
}

uint32_t MakeCell(uint32_t glyph, int32_t fade, uint32_t bits = 0) { return WithFade(WithGlyph(0, glyph), fade) | bits; }

TEST(CodeRainGrid, CoversThePictureWithFlagsOfItsStartMode) {
  struct Case {
    int32_t startMode;
    uint8_t either, randomRow;
  };
  for (const Case& c : {Case{0, 1, 0}, Case{1, 0, 1}, Case{2, 1, 1}, Case{-3, 1, 1}}) {
    SCOPED_TRACE(c.startMode);
    DS_CodeRainLayout layout = Layout(35, 0, 7, c.startMode, 12);
    layout.cellSize = 16;
    g_virtualScreen->pictureWidth = 800;
    g_virtualScreen->pictureHeight = 600;
    auto grid = CreateCodeRainGrid(layout);
    EXPECT_EQ(grid->columns, 800 / 16 + 1);
    EXPECT_EQ(grid->rows, 600 / 16 + 1);
    EXPECT_EQ(grid->cells.size(), size_t(51 * 38));
    EXPECT_EQ(grid->columnStates.size(), 51u);
    EXPECT_EQ(grid->eitherFlag, c.either);
    EXPECT_EQ(grid->randomRowFlag, c.randomRow);
    EXPECT_EQ(grid->sparklesOn, 1);
    EXPECT_EQ(grid->spawnDensity, 35);
    EXPECT_EQ(grid->glyphCount, 12);
    for (uint32_t cell : grid->cells) EXPECT_EQ(cell, 0u);
  }
}

TEST(CodeRainSpawn, DivisorFallsAcrossEveryBandEdge) {
  const std::pair<int32_t, int32_t> cases[] = {
      {-5, 85}, {0, 85}, {9, 85},  {10, 60}, {14, 60}, {15, 45}, {19, 45}, {20, 25}, {24, 25}, {25, 20},
      {29, 20}, {30, 15}, {34, 15}, {35, 10}, {44, 10}, {45, 8}, {49, 8},  {50, 7},  {54, 7},  {55, 5},
      {64, 5},  {65, 3},  {79, 3},  {80, 2},  {89, 2},  {90, 1}, {100, 1}, {1000, 1}};
  DS_CodeRainGrid grid;
  for (auto [density, divisor] : cases) {
    grid.spawnDensity = density;
    EXPECT_EQ(SpawnDivisorForDensity(grid), divisor) << "density " << density;
  }
}

TEST(CodeRainSpawn, HighDensityStartsEveryIdleColumnAndNoRunStartsInABusyOne) {
  // Start mode 0: a run that starts takes head row -1 (a fresh column has head row 0).
  for (int32_t density : {20, 90, 100}) {
    SCOPED_TRACE(density);
    srand(1);
    auto grid = MakeGrid(60, 10, Layout(density, 0, 0, 0, 5));
    grid->columnStates[7] = {4, 0, 3};  // busy
    SpawnColumns(*grid);
    int started = 0;
    for (int32_t i = 0; i < grid->columns; ++i) started += grid->columnStates[size_t(i)].headRow == -1;
    if (density >= 90)
      EXPECT_EQ(started, grid->columns - 1);
    else
      EXPECT_LT(started, grid->columns / 4) << "one in 25 on average";
    EXPECT_EQ(grid->columnStates[7].length, 4);
    EXPECT_EQ(grid->columnStates[7].headRow, 3);
  }
}

TEST(CodeRainSpawn, EachIdleColumnDrawsInTheOrderOfItsRun) {
  // Density 100 starts a run in every idle column. Per column: the start check, the length,
  // the delay's two terms, the blank check; then the start-row choice when a run may start
  // at either (start mode 2), and the row when it starts below the top. Then the reshuffle
  // check. A grid of one row has no upper half: no row is drawn.
  struct Case {
    int32_t startMode, rows;
    int perColumnAtLeast, perColumnAtMost;
  };
  const Case cases[] = {{0, 8, 5, 5}, {1, 8, 6, 6}, {2, 8, 6, 7}, {1, 1, 5, 5}, {2, 1, 6, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "start mode " << c.startMode << ", rows " << c.rows);
    RandomDraws draws;
    auto grid = MakeGrid(20, c.rows, Layout(100, 0, 0, c.startMode, 5));
    const int n = draws.Of([&] { SpawnColumns(*grid); });
    EXPECT_GE(n, 20 * c.perColumnAtLeast + 1);
    EXPECT_LE(n, 20 * c.perColumnAtMost + 1);
    for (const DS_CodeRainColumn& column : grid->columnStates) {
      EXPECT_GE(column.length == 0 ? 3 : column.length, 3);
      EXPECT_LE(column.length, c.rows + 2);
      EXPECT_GE(column.delay, 0);
      EXPECT_LE(column.delay, 8);
      if (c.startMode == 0 || c.rows == 1) {
        EXPECT_EQ(column.headRow, -1);
      }
      if (c.startMode == 1 && c.rows > 1) {
        EXPECT_GE(column.headRow, 0);
      }
      EXPECT_LT(column.headRow, std::max(c.rows / 2, 1));
    }
  }
}

TEST(CodeRainSpawn, RunsTakeTheirDrawsInTheOrderOfTheRun) {
  // From the start of the sequence (41, 18467, 6334, 26500, 19169, 15724, ...), density 100
  // (every idle column starts): per column the start check, the length, the two delay terms,
  // the blank check, the start-row choice (start mode 2 only) and the row (when below the
  // top); then the reshuffle check. Six columns of eight rows; (length, delay, head row).
  struct Case {
    int32_t startMode;
    std::array<DS_CodeRainColumn, 6> columns;
    int draws;
  };
  const Case cases[] = {
      {0, {{{0, 4, -1}, {9, 5, -1}, {0, 3, -1}, {6, 4, -1}, {7, 5, -1}, {0, 4, -1}}}, 31},
      {1, {{{0, 4, 0}, {0, 6, 1}, {0, 2, 2}, {0, 5, 1}, {0, 2, 3}, {0, 4, 0}}}, 37},
      {2, {{{0, 4, -1}, {0, 6, 1}, {0, 1, 0}, {7, 5, -1}, {0, 3, -1}, {0, 6, 3}}}, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.startMode);
    auto grid = MakeGrid(6, 8, Layout(100, 0, 0, c.startMode, 5));
    RandomDraws draws;  // restarts the sequence
    SpawnColumns(*grid);
    EXPECT_EQ(draws.Position(), c.draws);
    for (size_t i = 0; i < 6; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(grid->columnStates[i].length, c.columns[i].length);
      EXPECT_EQ(grid->columnStates[i].delay, c.columns[i].delay);
      EXPECT_EQ(grid->columnStates[i].headRow, c.columns[i].headRow);
    }
  }
}

TEST(CodeRainAdvance, EachColumnDrawsItsGlyphItsCounterThenItsDelay) {
  // One value drawn first, so the sequence goes on 18467, 6334, 26500, 19169, 15724, 11478,
  // 29358, 26962, 24464. Column 0 writes at row 3: glyph 18467 % 12 + 1 = 12, counter
  // 6334 % 2 + 1 = 1, and 26500 % 10 == 0 gives it a delay of 19169 % 5 + 15724 % 5 = 8.
  // Column 1 scrolls: glyph 11478 % 12 + 1 = 7, no counter. Column 2 writes a blank. Column 3
  // waits. Each then checks for a delay once.
  auto grid = MakeGrid(4, 8, Layout(20, 0, 0, 0, 12));
  grid->columnStates = {{2, 0, 3}, {3, 0, -1}, {0, 0, 4}, {2, 2, 1}};
  grid->Cell(2, 4) = MakeCell(5, 0);
  RandomDraws draws;  // restarts the sequence
  rand();
  AdvanceColumns(*grid, false);
  EXPECT_EQ(draws.Position(), 1 + 9);
  EXPECT_EQ(grid->Cell(0, 3), MakeCell(12, 1, kPending));
  EXPECT_EQ(grid->Cell(1, 0), MakeCell(7, 0, kPending));
  EXPECT_EQ(Glyph(grid->Cell(2, 4)), 0u);
  const DS_CodeRainColumn expected[] = {{1, 8, 4}, {2, 0, -1}, {0, 0, 5}, {2, 1, 1}};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(grid->columnStates[i].length, expected[i].length);
    EXPECT_EQ(grid->columnStates[i].delay, expected[i].delay);
    EXPECT_EQ(grid->columnStates[i].headRow, expected[i].headRow);
  }
}

TEST(CodeRainSpawn, SparklesNeedTwoColumns) {
  // With sparkles on, a grid of one column draws exactly what it draws with them off.
  auto count = [](int32_t columns, int32_t sparkles) {
    RandomDraws draws;
    auto grid = MakeGrid(columns, 6, Layout(1, 0, sparkles, 0, 5));
    for (DS_CodeRainColumn& c : grid->columnStates) c.length = 1;  // no spawning
    return draws.Of([&] { SpawnColumns(*grid); });
  };
  EXPECT_EQ(count(1, 1), count(1, 0));
  EXPECT_EQ(count(1, 0), 1) << "only the reshuffle check";
  EXPECT_GE(count(40, 1), 2) << "the sparkle count, then its cells";
}

TEST(CodeRainSpawn, ASparkleBrightensOnlySteadyGlyphs) {
  srand(1);
  auto grid = MakeGrid(2, 1, Layout(1, 0, 1, 0, 5));
  for (DS_CodeRainColumn& c : grid->columnStates) c.length = 1;
  // Many steps: the sparkle count is (rand % 10) / 10 - 1 with one column pair, so never
  // positive here: nothing changes.
  grid->Cell(0, 0) = MakeCell(3, 0);
  grid->Cell(1, 0) = MakeCell(4, -1);
  for (int i = 0; i < 50; ++i) SpawnColumns(*grid);
  EXPECT_EQ(grid->Cell(0, 0), MakeCell(3, 0));

  // Many columns and one row: the steady glyph gets a counter of 0..19 and the pending bit;
  // a fading one is left alone.
  grid = MakeGrid(200, 1, Layout(1, 0, 1, 0, 5));
  for (DS_CodeRainColumn& c : grid->columnStates) c.length = 1;
  for (int32_t x = 0; x < 200; ++x) grid->Cell(x, 0) = x % 2 ? MakeCell(3, 0) : MakeCell(4, -1);
  for (int i = 0; i < 20; ++i) SpawnColumns(*grid);
  int lit = 0;
  for (int32_t x = 0; x < 200; ++x) {
    const uint32_t cell = grid->Cell(x, 0);
    if (x % 2 == 0) {
      EXPECT_EQ(cell, MakeCell(4, -1));
      continue;
    }
    EXPECT_EQ(Glyph(cell), 3u);
    EXPECT_GE(Fade(cell), 0);
    EXPECT_LT(Fade(cell), 20);
    if (Fade(cell) > 0) {
      EXPECT_TRUE(cell & kPending);
      ++lit;
    }
  }
  EXPECT_GT(lit, 0);
}

TEST(CodeRainMutating, CountsOfZeroAndOneMarkNothingAndDrawNothing) {
  for (int32_t count : {0, 1, -4}) {
    SCOPED_TRACE(count);
    RandomDraws draws;
    auto grid = MakeGrid(8, 8);
    grid->mutatingCount = count;
    grid->Cell(2, 2) |= kMutating;
    EXPECT_EQ(draws.Of([&] { ShuffleMutatingCells(*grid); }), 0);
    for (uint32_t cell : grid->cells) EXPECT_EQ(cell & kMutating, 0u) << "old marks are cleared";
  }
  // Count n: n - 1 cells drawn, a column then a row each (a cell may come twice).
  RandomDraws draws;
  auto grid = MakeGrid(8, 8);
  grid->mutatingCount = 4;
  EXPECT_EQ(draws.Of([&] { ShuffleMutatingCells(*grid); }), 6);
  int marked = 0;
  for (uint32_t cell : grid->cells) marked += (cell & kMutating) != 0;
  EXPECT_GE(marked, 1);
  EXPECT_LE(marked, 3);
}

TEST(CodeRainColumnHead, HeadMinusOneScrollsTheColumnAndWritesAtTheTop) {
  auto grid = MakeGrid(3, 5);
  const int32_t c = 1;
  grid->Cell(c, 0) = MakeCell(3, 0);
  grid->Cell(c, 1) = 0;
  grid->Cell(c, 2) = MakeCell(5, 0);
  grid->Cell(c, 3) = MakeCell(7, 0, kMutating);
  grid->Cell(c, 4) = 0;
  RandomDraws draws;
  EXPECT_EQ(draws.Of([&] { WriteColumnHead(*grid, -1, 9, c); }), 0) << "no counter is drawn at the top";
  EXPECT_EQ(grid->Cell(c, 4), MakeCell(7, 0, kPending));
  EXPECT_EQ(grid->Cell(c, 3), MakeCell(5, 0, kPending | kMutating)) << "the mutating mark stays with the cell";
  EXPECT_EQ(grid->Cell(c, 2), MakeCell(5, -1, kPending)) << "a glyph with a gap above fades out";
  EXPECT_EQ(grid->Cell(c, 1), MakeCell(3, 0, kPending));
  EXPECT_EQ(grid->Cell(c, 0), MakeCell(9, 0, kPending));
  for (int32_t r = 0; r < 5; ++r) EXPECT_EQ(grid->Cell(0, r), 0u) << "other columns stay";
}

TEST(CodeRainColumnHead, AStartRowIsWrittenInPlaceWithABrightCounter) {
  auto grid = MakeGrid(3, 5);
  RandomDraws draws;
  // At the last row: one draw for the counter, 1 or 2.
  EXPECT_EQ(draws.Of([&] { WriteColumnHead(*grid, 4, 6, 2); }), 1);
  const uint32_t cell = grid->Cell(2, 4);
  EXPECT_EQ(Glyph(cell), 6u);
  EXPECT_TRUE(Fade(cell) == 1 || Fade(cell) == 2);
  EXPECT_TRUE(cell & kPending);
  // Below the grid: nothing, and nothing drawn.
  const std::vector<uint32_t> before = grid->cells;
  EXPECT_EQ(draws.Of([&] { WriteColumnHead(*grid, 5, 6, 2); }), 0);
  EXPECT_EQ(grid->cells, before);
  // A blank erases the glyph and keeps the counter, without a draw.
  grid->Cell(0, 2) = MakeCell(4, 2);
  EXPECT_EQ(draws.Of([&] { WriteColumnHead(*grid, 2, 0, 0); }), 0);
  EXPECT_EQ(grid->Cell(0, 2), MakeCell(0, 2, kPending));
}

TEST(CodeRainAdvance, AFullBatchMakesEveryHeadWriteBlanks) {
  for (bool full : {false, true}) {
    SCOPED_TRACE(full);
    auto grid = MakeGrid(3, 6, Layout(20, 0, 0, 0, 7));
    grid->columnStates[0] = {5, 0, 2};  // writing at row 2
    grid->columnStates[1] = {0, 0, 4};  // idle: blanks at its head
    grid->columnStates[2] = {5, 3, 1};  // waiting
    grid->Cell(0, 2) = MakeCell(4, 0);
    grid->Cell(1, 4) = MakeCell(4, 0);
    AdvanceColumns(*grid, full);
    const uint32_t written = Glyph(grid->Cell(0, 2));
    if (full)
      EXPECT_EQ(written, 0u);
    else
      EXPECT_TRUE(written >= 1 && written <= 7);
    EXPECT_EQ(grid->columnStates[0].length, 4);
    EXPECT_EQ(grid->columnStates[0].headRow, 3);
    EXPECT_EQ(Glyph(grid->Cell(1, 4)), 0u);
    EXPECT_EQ(grid->columnStates[1].length, 0);
    EXPECT_EQ(grid->columnStates[1].headRow, 5);
    // The waiting column only counts down (a new delay may be drawn for it afterwards).
    EXPECT_EQ(grid->columnStates[2].length, 5);
    EXPECT_EQ(grid->columnStates[2].headRow, 1);
    for (int32_t r = 0; r < 6; ++r) EXPECT_EQ(Glyph(grid->Cell(2, r)), 0u);
  }
}

TEST(CodeRainWalk, FadingHeadAndMutatingCellsShowTheirClasses) {
  auto grid = MakeGrid(4, 3, Layout(20, 0, 0, 0, 8));
  grid->Cell(0, 0) = MakeCell(2, 2, kPending);     // a head, bright for two visits
  grid->Cell(1, 0) = MakeCell(3, -1, kPending);    // fading: shown once more
  grid->Cell(3, 0) = MakeCell(4, 0, kMutating);    // bright while it mutates
  grid->Cell(2, 1) = MakeCell(5, 0);               // steady
  DS_CodeRainCursor cursor;
  cursor.grid = std::move(grid);
  g_virtualScreen->pictureQuad = RectangleQuad(100, 50, 500, 350);

  struct Seen {
    int32_t column, row, brightness;
  };
  auto walk = [&] {
    cursor.column = cursor.row = 0;
    cursor.previousCount = cursor.currentCount;
    cursor.currentCount = 0;
    std::vector<Seen> seen;
    DS_CodeRainGlyph glyph;
    glyph.halfWidth = 5;
    glyph.halfHeight = 4;
    while (NextVisibleGlyph(cursor, glyph)) {
      seen.push_back({glyph.column, glyph.row, glyph.brightnessClass});
      EXPECT_FLOAT_EQ(glyph.x, 100 + 5.0f * float(2 * glyph.column + 1));
      EXPECT_FLOAT_EQ(glyph.y, 50 + 4.0f * float(2 * glyph.row + 1));
      EXPECT_EQ(glyph.colourMask, 0xFFFFFFFFu);
      EXPECT_FLOAT_EQ(glyph.leftU, 0.0f);
      EXPECT_FLOAT_EQ(glyph.rightU, 1.0f);
      EXPECT_NEAR(glyph.bottomV - glyph.topV, 1.0f / 8.0f, 1e-6);
    }
    EXPECT_EQ(glyph.colourMask, 0x00FFFFFFu) << "past the last glyph the alpha is masked away";
    EXPECT_EQ(glyph.column, 0);
    EXPECT_EQ(glyph.row, 0);
    EXPECT_EQ(cursor.currentCount, int32_t(seen.size()));
    return seen;
  };
  auto same = [](const std::vector<Seen>& a, const std::vector<Seen>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (a[i].column != b[i].column || a[i].row != b[i].row || a[i].brightness != b[i].brightness) return false;
    return true;
  };
  std::vector<Seen> first = walk();
  ASSERT_TRUE(same(first, {{0, 0, 2}, {1, 0, 0}, {3, 0, 2}, {2, 1, 1}}));
  // The fading glyph is gone; the head has one bright visit left. The mutating cell took a
  // new glyph (and is empty when that was 0).
  const bool mutated = Glyph(cursor.grid->Cell(3, 0)) != 0;
  std::vector<Seen> second = walk();
  EXPECT_TRUE(mutated ? same(second, {{0, 0, 2}, {3, 0, 2}, {2, 1, 1}}) : same(second, {{0, 0, 2}, {2, 1, 1}}));
  std::vector<Seen> third = walk();
  EXPECT_EQ(third.front().brightness, 1) << "after its counter the head is steady";
}

TEST(CodeRainWalk, AMutatingGlyphThatDrawsZeroEmptiesTheCell) {
  // With one glyph in the sheet every replacement draws 0.
  auto grid = MakeGrid(2, 2, Layout(20, 0, 0, 0, 1));
  grid->Cell(1, 1) = MakeCell(1, 0, kMutating);
  DS_CodeRainCursor cursor;
  cursor.grid = std::move(grid);
  DS_CodeRainGlyph glyph;
  RandomDraws draws;
  EXPECT_EQ(draws.Of([&] { EXPECT_TRUE(NextVisibleGlyph(cursor, glyph)); }), 1);
  EXPECT_EQ(Glyph(cursor.grid->Cell(1, 1)), 0u);
  cursor.column = cursor.row = 0;
  EXPECT_EQ(draws.Of([&] { EXPECT_FALSE(NextVisibleGlyph(cursor, glyph)); }), 0) << "an empty cell stops mutating";
}

TEST(CodeRainRun, KeepsItsInvariantsOverManySteps) {
  constexpr int32_t kGlyphs = 12;
  srand(1);
  DS_CodeRainCursor cursor;
  cursor.grid = MakeGrid(30, 20, Layout(50, 20, 1, 2, kGlyphs));
  DS_CodeRainGrid& grid = *cursor.grid;
  const int32_t quads = grid.columns * grid.rows;
  int glyphsSeen = 0, brightSeen = 0, fadingSeen = 0;
  std::set<uint32_t> glyphsUsed;
  for (int step = 0; step < 400; ++step) {
    const bool full = cursor.previousCount >= quads;
    cursor.column = cursor.row = 0;
    cursor.previousCount = cursor.currentCount;
    cursor.currentCount = 0;
    AdvanceColumns(grid, full);
    const std::vector<DS_CodeRainColumn> before = grid.columnStates;
    SpawnColumns(grid);
    for (size_t i = 0; i < before.size(); ++i) {
      const DS_CodeRainColumn &a = before[i], &b = grid.columnStates[i];
      if (a.length != b.length || a.delay != b.delay || a.headRow != b.headRow) {
        ASSERT_LE(a.length, 0) << "a run started in busy column " << i << " at step " << step;
      }
      ASSERT_GE(b.delay, 0);
      ASSERT_LE(b.delay, 8);
      ASSERT_GE(b.headRow, -1);
    }
    DS_CodeRainGlyph glyph;
    int found = 0;
    for (int32_t i = 0; i < quads; ++i) {
      if (!NextVisibleGlyph(cursor, glyph)) continue;
      ++found;
      ASSERT_GE(glyph.topV, 0.0f);
      ASSERT_LE(glyph.bottomV, 1.0f + 1e-6f);
      glyphsUsed.insert(uint32_t(std::lround(glyph.bottomV * kGlyphs)));
      brightSeen += glyph.brightnessClass == 2;
      fadingSeen += glyph.brightnessClass == 0;
    }
    ASSERT_EQ(cursor.currentCount, found);
    ASSERT_LE(found, quads);
    glyphsSeen += found;
    for (uint32_t cell : grid.cells) {
      ASSERT_LE(Glyph(cell), uint32_t(kGlyphs));
      ASSERT_GE(Fade(cell), -1);
      ASSERT_LT(Fade(cell), 20);
      ASSERT_EQ(cell & ~(0xFFFFu | kPending | kMutating), 0u);
    }
  }
  EXPECT_GT(glyphsSeen, 400 * 10) << "the rain runs";
  EXPECT_GT(brightSeen, 0);
  EXPECT_GT(fadingSeen, 0);
  EXPECT_EQ(glyphsUsed.size(), size_t(kGlyphs)) << "every glyph of the sheet shows";
}

}  // namespace
