// The matrix-code light: the grid rebuilds of its creation and the random numbers they
// draw, the layout taken from its parameters and glyph sheet, the glyphs' colours, its
// record, and frames on a real device under Xvfb.
#include <gtest/gtest.h>

#include "lights/DS_MatrixCodeLight.h"
#include "tests/lights/LightTestSupport.h"
#include "tests/lights/RandomDraws.h"
#include "tests/support/PixelCounter.h"
#include "tests/support/RecordBytes.h"

namespace {

using namespace code_rain;

uint32_t MakeCell(uint32_t glyph, int32_t fade, uint32_t bits = 0) { return WithFade(WithGlyph(0, glyph), fade) | bits; }

class MatrixCodeLightTest : public LightTest {
 protected:
  // A light over a 64 x 48 grey picture with the module's glyph sheet, as a slide makes it.
  void Make(DS_MatrixCodeLight& light, int w = 64, int h = 48) {
    light.PictureLink().SetKey(Picture(w, h, [](int, int) { return 0x808080u; }));
  }
  // A glyph sheet of w x h white pixels (opaque: a BMP has no alpha), carried by the document.
  DS_LinkKey SolidSheet(int w, int h) { return Picture(w, h, [](int, int) { return 0xFFFFFFu; }); }

  static std::vector<DX_V::SCT> QuadVertices(DS_MatrixCodeLight& light, uint32_t quad) {
    DS_QuadBatch& chunk = light.GlyphBatch().Chunks()[quad / DS_QuadBatch::kMaxQuads];
    std::vector<DX_V::SCT> v;
    if (DX_V::SCT* p = chunk.Lock()) {
      const uint32_t j = quad % DS_QuadBatch::kMaxQuads;
      v.assign(p + 4 * j, p + 4 * j + 4);
      chunk.Unlock();
    }
    return v;
  }
};

TEST_F(MatrixCodeLightTest, CreationDrawsTheRandomNumbersOfSixGridRebuilds) {
  // Every rebuild marks (mutating count - 1) cells with two draws each: the first three
  // rebuilds use the layout's own count of 10, the last three the parameter's.
  const std::pair<unsigned, int> cases[] = {{50, 3 * 18 + 3 * 98}, {0, 3 * 18}, {1, 3 * 18}, {3, 3 * 18 + 3 * 4}};
  for (auto [mutating, expected] : cases) {
    SCOPED_TRACE(mutating);
    DS_MatrixCodeLight light;
    Make(light);
    light.mutatingCount.Assign(mutating);
    RandomDraws draws;
    EXPECT_EQ(draws.Of([&] { light.CreateDeviceResources(); }), expected);
  }
}

TEST_F(MatrixCodeLightTest, LayoutTakesItsParametersWithinTheirRangesAndTheSheetsGlyphCount) {
  struct Case {
    const char* name;
    unsigned cellSize, density;
    int sheet;  // 0 the module's, 1 a 32 x 320 sheet, 2 a sheet the document lacks, 3 a module id without a picture
    int32_t cell, clampedDensity, glyphCount;
    bool glyphs;
  };
  const Case cases[] = {
      {"defaults", 16, 20, 0, 16, 20, 1024 / 32 + 2, true},
      {"cell 0 is used as 1", 0, 20, 0, 1, 20, 34, true},
      {"density 0 is used as 1", 16, 0, 0, 16, 1, 34, true},
      {"density above 100 as 100", 16, 150, 0, 16, 100, 34, true},
      {"a 32 x 320 sheet has 12 strips", 16, 20, 1, 16, 20, 12, true},
      {"an empty texture set", 16, 20, 2, 16, 20, 2, false},
      {"a set whose texture failed", 16, 20, 3, 16, 20, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DS_MatrixCodeLight light;
    Make(light);
    light.cellSize.Assign(c.cellSize);
    light.density.Assign(c.density);
    if (c.sheet == 1) light.glyphSheet.SetKey(SolidSheet(32, 320));
    if (c.sheet == 2) light.glyphSheet.SetKey({L"C:\\nowhere\\glyphs.png", 3});
    if (c.sheet == 3) light.glyphSheet.SetKey({L"common_res.dll", 4999});
    light.CreateDeviceResources();
    EXPECT_EQ(light.Layout().cellSize, c.cell);
    EXPECT_EQ(light.Layout().density, c.clampedDensity);
    EXPECT_EQ(light.Layout().mutatingCount, 50);
    EXPECT_EQ(light.Layout().startMode, 2);
    EXPECT_EQ(light.Layout().glyphCount, c.glyphCount);
    EXPECT_EQ(light.HasGlyphs(), c.glyphs);
    // One quad per cell of the 64 x 48 picture.
    const DS_CodeRainGrid& grid = *light.Cursor()->grid;
    EXPECT_EQ(grid.columns, 64 / c.cell + 1);
    EXPECT_EQ(grid.rows, 48 / c.cell + 1);
    EXPECT_EQ(light.GlyphBatch().QuadCount(), uint32_t(grid.columns * grid.rows));
    // A sheet without glyphs still lets the rain run; frames draw the picture alone. With
    // glyphs the rain covers part of the picture, which shows between them. The rain starts
    // empty: frames until its grid holds glyphs (the last frame drew them).
    light.Resize(kWidth, kHeight);
    light.AcquireDeviceResources();
    auto rain = [&] {
      int n = 0;
      for (uint32_t cell : light.Cursor()->grid->cells) n += Glyph(cell) != 0;
      return n;
    };
    std::vector<uint32_t> px;
    for (int frame = 0; frame < 1000 && (px.empty() || rain() == 0); ++frame) px = Frame(light);
    ASSERT_GT(rain(), 0);
    int picture = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) picture += Near(At(px, x, y), {128, 128, 128, 0}, 8);
    if (c.glyphs) {
      EXPECT_LT(picture, kWidth * kHeight) << "no glyph drawn";
      EXPECT_GT(picture, kWidth * kHeight / 4) << "the picture hidden";
    } else {
      EXPECT_EQ(picture, kWidth * kHeight);
    }
  }
}

TEST_F(MatrixCodeLightTest, AGlyphsColourComesFromItsClassAndTheBrightness) {
  struct Case {
    unsigned brightness;
    int32_t fade;  // 2: a head (class 2); 0: steady (class 1); -1: fading (class 0)
    D3DCOLOR expected;
  };
  // Trail colour 0x0040FF20 and head colour 0x00102030 hold red in their lowest byte.
  const Case cases[] = {
      {0, 0, 0xFF20FF40u},     // full opacity
      {0, 2, 0xFF302010u},     // a head in the head colour
      {0, -1, 0x7F20FF40u},    // a fading glyph at half: trunc(127.5)
      {50, 0, 0x7F20FF40u},    // brightness 0.5
      {100, 0, 0x0020FF40u},   // brightness 0
      {150, 0, 0x8120FF40u},   // brightness -0.5: the low byte of -127
      {150, -1, 0xC120FF40u},  // -0.25: the low byte of -63
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.brightness << " " << c.fade);
    DS_MatrixCodeLight light;
    Make(light);
    light.mutatingCount.Assign(1);
    light.density.Assign(1);
    light.startMode.Assign(0);
    light.trailColour.Assign(0x0040FF20ul);
    light.headColour.Assign(0x00102030ul);
    light.brightness.SetValue(c.brightness);
    Start(light);
    // A glyph at column 1, row 2 (the first step only blanks row 0).
    light.Cursor()->grid->Cell(1, 2) = MakeCell(3, c.fade, c.fade != 0 ? kPending : 0);
    light.StepAndBuildGlyphs(0.0f);
    std::vector<DX_V::SCT> v = QuadVertices(light, 0);
    ASSERT_EQ(v.size(), 4u);
    for (const DX_V::SCT& vertex : v) EXPECT_EQ(vertex.color, c.expected);
    // The picture (64 x 48) fills the 160 x 120 target: 2.5 pixels per picture pixel, so the
    // cell spans x 40..80 and y 80..120.
    EXPECT_FLOAT_EQ(v[0].x, 40.0f);
    EXPECT_FLOAT_EQ(v[0].y, 120.0f);
    EXPECT_FLOAT_EQ(v[3].x, 80.0f);
    EXPECT_FLOAT_EQ(v[3].y, 80.0f);
    // Glyph 3 of the sheet's 34 strips.
    EXPECT_FLOAT_EQ(v[1].v, (1.0f / 34.0f) * 2.0f);
    EXPECT_FLOAT_EQ(v[0].v, (1.0f / 34.0f) * 3.0f);
    // The quads after the last glyph are transparent.
    EXPECT_EQ(QuadVertices(light, 1)[0].color >> 24, 0u);
  }
}

TEST_F(MatrixCodeLightTest, ChangingThePicturePositionRestartsTheRainFromAnEmptyGrid) {
  DS_MatrixCodeLight light;
  Make(light);
  light.density.Assign(100);
  Start(light);
  for (int i = 0; i < 30; ++i) light.StepAndBuildGlyphs(0.0f);
  auto glyphs = [&] {
    int n = 0;
    for (uint32_t cell : light.Cursor()->grid->cells) n += Glyph(cell) != 0;
    return n;
  };
  ASSERT_GT(glyphs(), 0);
  for (int mode : {1, 2}) {
    RandomDraws draws;
    EXPECT_EQ(draws.Of([&] { light.SetPicturePosition(mode); }), 2 * 49) << "one rebuild with its mutating marks";
    EXPECT_EQ(glyphs(), 0);
    EXPECT_EQ(light.GlyphBatch().QuadCount(), uint32_t(5 * 4));
  }
}

TEST_F(MatrixCodeLightTest, BackgroundModesDrawThePictureBlackOrNothing) {
  // No glyphs (a sheet the document lacks), so the background alone shows.
  struct Case {
    int mode;
    Rgba expected;
  };
  for (const Case& c : {Case{0, {255, 0, 0, 0}}, Case{1, {0, 0, 0, 0}}, Case{2, {0, 0, 255, 0}}, Case{-1, {0, 0, 255, 0}}}) {
    SCOPED_TRACE(c.mode);
    DS_MatrixCodeLight light;
    light.PictureLink().SetKey(Picture(64, 48, [](int, int) { return 0xFF0000u; }));
    light.glyphSheet.SetKey({L"C:\\nowhere\\glyphs.png", 3});
    light.backgroundMode.Assign(c.mode);
    Start(light);
    device.Clear(0xFF0000FFu);
    std::vector<uint32_t> px = Frame(light);
    EXPECT_TRUE(Near(At(px, 80, 60), c.expected, 4));
    EXPECT_EQ(light.LuminanceMap() != nullptr, c.mode == 1);
  }
}

TEST_F(MatrixCodeLightTest, GlyphsFillTheirCellsExactly) {
  // An opaque sheet fills each glyph's cell: every 16 x 16 block of the frame is one colour.
  DS_MatrixCodeLight light;
  light.PictureLink().SetKey(Picture(kWidth, kHeight, [](int, int) { return 0x404040u; }));
  light.glyphSheet.SetKey(SolidSheet(32, 320));
  light.density.Assign(100);
  light.sparkles.Assign(1);
  light.mutatingCount.Assign(20);
  light.backgroundMode.Assign(2);
  light.trailColour.Assign(0x00FFFFul);
  light.headColour.Assign(0xFFFFFFul);
  Start(light);
  std::vector<uint32_t> px;
  for (int frame = 0; frame < 40; ++frame) {
    device.Clear(0xFF000000u);
    px = Frame(light);
  }
  Save("matrix-cells");
  int lit = 0, levels = 0;
  for (int by = 0; by < kHeight; by += 16)
    for (int bx = 0; bx < kWidth; bx += 16) {
      const Rgba first = At(px, bx, by);
      for (int y = by; y < std::min(by + 16, int(kHeight)); ++y)
        for (int x = bx; x < std::min(bx + 16, int(kWidth)); ++x)
          ASSERT_TRUE(Near(At(px, x, y), first, 2)) << "cell " << bx / 16 << "," << by / 16 << " at " << x << "," << y;
      lit += Brightness(first) > 10;
      levels += first.b > 10;  // heads are white, trails yellow
    }
  EXPECT_GT(lit, 10);
  EXPECT_GT(levels, 0);
}

// The batch's quads after the glyphs found in a frame have alpha 0: they are not drawn, and
// the frame is exactly the one that draws them.
TEST_F(MatrixCodeLightTest, QuadsAfterTheVisibleGlyphsAreNotDrawn) {
  DS_MatrixCodeLight light;
  light.PictureLink().SetKey(Picture(kWidth, kHeight, [](int x, int y) { return uint32_t(x) << 16 | uint32_t(y); }));
  light.glyphSheet.SetKey(SolidSheet(32, 320));
  light.trailColour.Assign(0x00FF00ul);
  light.density.Assign(50);
  Start(light);
  IDirect3DDevice9* d = device.Device();
  PixelCounter counter(d);
  ASSERT_TRUE(counter.Ok());
  for (int frame = 0; frame < 12; ++frame) Frame(light);
  auto counted = [&](const std::function<void()>& draw) {
    d->BeginScene();
    counter.Begin();
    draw();
    const int64_t pixels = counter.End();
    d->EndScene();
    return pixels;
  };
  // The light's own frame: a rain step, the picture, the glyphs found.
  const int64_t drawn = counted([&] { light.RenderBackground(); });
  const std::vector<uint32_t> skipped = device.ReadBack();
  const uint32_t found = uint32_t(light.Cursor()->currentCount), quads = light.GlyphBatch().QuadCount();
  ASSERT_GT(found, 0u);
  ASSERT_LT(found, quads);
  // The same frame with every quad of the batch, as the glyphs' states draw them.
  const int64_t all = counted([&] {
    light.DS_2D_Light::RenderBackground();
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    light.GlyphBatch().Draw();
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  });
  EXPECT_TRUE(device.ReadBack() == skipped) << "the frames differ";
  // The quads left out lie stacked on the first cell, each covering the same pixels.
  const int64_t perQuad = (all - drawn) / int64_t(quads - found);
  EXPECT_GT(perQuad, 0);
  EXPECT_EQ(perQuad * int64_t(quads - found), all - drawn);
}

TEST_F(MatrixCodeLightTest, BlackModeHidesEveryGlyphOverTheBlackHalf) {
  // The picture's left half black, its right half white. Start mode 0, no mutating cells
  // and no sparkles give no bright glyphs, and only bright glyphs ignore the picture.
  DS_MatrixCodeLight light;
  light.PictureLink().SetKey(Picture(kWidth, kHeight, [](int x, int) { return x < kWidth / 2 ? 0u : 0xFFFFFFu; }));
  light.glyphSheet.SetKey(SolidSheet(32, 320));
  light.backgroundMode.Assign(1);
  light.startMode.Assign(0);
  light.mutatingCount.Assign(1);
  light.density.Assign(100);
  light.trailColour.Assign(0x00FF00ul);
  Start(light);
  const std::vector<float>& map = *light.LuminanceMap();
  ASSERT_EQ(map.size(), 256u * 256u);
  EXPECT_NEAR(map[100 * 256 + 10], 0.0f, 0.01f);
  EXPECT_NEAR(map[100 * 256 + 250], 1.0f, 0.01f);
  std::vector<uint32_t> px;
  for (int frame = 0; frame < 40; ++frame) px = Frame(light);
  Save("matrix-black-half");
  int litRight = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const Rgba c = At(px, x, y);
      if (x < kWidth / 2)
        ASSERT_LE(Brightness(c), 2) << "a glyph over the black half at " << x << "," << y;
      else
        litRight += c.g > 100;
    }
  EXPECT_GT(litRight, 16 * 16 * 4);
}

TEST_F(MatrixCodeLightTest, RecordOfVersionTwoRoundTripsWithItsLayout) {
  DS_MatrixCodeLight light;
  light.cellSize.Assign(12);
  light.density.Assign(70);
  light.mutatingCount.Assign(33);
  light.sparkles.Assign(1);
  light.backgroundMode.Assign(1);
  light.startMode.Assign(0);
  light.trailColour.Assign(0x0000FF00ul);
  light.headColour.Assign(0x00C0FFC0ul);
  light.brightness.SetValue(25);
  light.glyphSheet.SetKey({L"glyphs.png", 77});
  light.PictureLink().SetKey({L"bay.jpg", 5});

  DS_2D_Light base;
  base.PictureLink().SetKey({L"bay.jpg", 5});
  const RecordBytes expected = WriteBytes([](DS_IOF_Holder s) {
                                 s->WriteString(L"DS_MatrixCodeLight");
                                 s->WriteInt(2);
                                 for (uint32_t v : {12u, 70u, 33u}) s->WriteUInt(v);
                                 for (unsigned long v : {1ul, 1ul, 0ul}) s->WriteULong(v);
                                 s->WriteInt(0x0000FF00);
                                 s->WriteInt(0x00C0FFC0);
                                 s->WriteUInt(25);
                                 s->WriteString(L"glyphs.png");
                                 s->WriteInt64(77);
                               }) +
                               WriteBytes([&](DS_IOF_Holder s) { base.WriteRecord(s); });
  const RecordBytes bytes = WriteBytes([&](DS_IOF_Holder s) { light.Write(s); });
  EXPECT_EQ(bytes, expected);
  // The sheet is registered for saving like the picture.
  EXPECT_EQ(manager.Tables().images.count(DS_LinkKey{L"glyphs.png", 77}), 1u);

  DS_MatrixCodeLight read;
  ReadBytes(bytes, [&](DS_IOF_Holder s) {
    const DS_RecordHeader head = ReadRecordHeader(s);
    EXPECT_EQ(head.className, L"DS_MatrixCodeLight");
    read.Read(s, head.version);
  });
  EXPECT_EQ(read.cellSize.Value(), 12u);
  EXPECT_EQ(read.density.Value(), 70u);
  EXPECT_EQ(read.mutatingCount.Value(), 33u);
  EXPECT_EQ(read.sparkles.Value(), 1);
  EXPECT_EQ(read.backgroundMode.Value(), 1);
  EXPECT_EQ(read.startMode.Value(), 0);
  EXPECT_EQ(read.trailColour.Value(), 0x0000FF00ul);
  EXPECT_EQ(read.headColour.Value(), 0x00C0FFC0ul);
  EXPECT_FLOAT_EQ(read.brightness.scaledValue, 0.75f) << "the brightness is set with notification";
  EXPECT_EQ(read.glyphSheet.Key(), (DS_LinkKey{L"glyphs.png", 77}));
  EXPECT_EQ(read.PictureLink().Key(), (DS_LinkKey{L"bay.jpg", 5}));
}

TEST_F(MatrixCodeLightTest, RecordOfVersionOneKeepsTheModulesSheet) {
  DS_2D_Light base;
  const RecordBytes bytes = WriteBytes([](DS_IOF_Holder s) {
                              for (uint32_t v : {8u, 40u, 2u}) s->WriteUInt(v);
                              for (unsigned long v : {0ul, 2ul, 1ul}) s->WriteULong(v);
                              s->WriteInt(0x00FF00);
                              s->WriteInt(0xFFFFFF);
                              s->WriteUInt(0);
                            }) +
                            WriteBytes([&](DS_IOF_Holder s) { base.WriteRecord(s); });
  DS_MatrixCodeLight read;
  ReadBytes(bytes, [&](DS_IOF_Holder s) { read.Read(s, 1); });
  EXPECT_EQ(read.cellSize.Value(), 8u);
  EXPECT_EQ(read.backgroundMode.Value(), 2);
  EXPECT_EQ(read.startMode.Value(), 1);
  EXPECT_EQ(read.glyphSheet.Key(), (DS_LinkKey{L"common_res.dll", 40}));
  EXPECT_FLOAT_EQ(read.brightness.scaledValue, 1.0f);
}

}  // namespace
