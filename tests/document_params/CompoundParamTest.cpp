// Colour, rectangle and quad parameters, hit tests through the view, rounding.
#include <gtest/gtest.h>

#include <cfenv>
#include <optional>

#include "device/TextureHelpers.h"
#include "document/MediaCompound.h"
#include "runtime/DS_View2D.h"
#include "runtime/ScreenSelection.h"
#include "tests/support/RecordBytes.h"

namespace {
std::vector<uint8_t> Int32s(std::initializer_list<int32_t> values) {
  std::vector<uint8_t> out;
  for (int32_t v : values)
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(v) >> (8 * i)));
  return out;
}

struct Counter {
  DS_ControlList controls;
  int calls = 0;
  void OnChange(const int&) { ++calls; }
};

// A 800 x 600 picture on a 1280 x 720 target: fitted at x 160..1120, scale 1.2.
class HitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    selected.emplace(ScreenSelection::Current().WithView(&view, &screen));
    DS_TextureInfo picture;
    MakeTextureInfo(800, 600, picture, nullptr);
    view.Setup(1280, 720, picture, mode, true);
    DS_QuadCorners q;
    FitQuadToImage(q, picture, 1280, 720);
    screen.pictureQuad = q;
    screen.pictureWidth = 800;
    screen.pictureHeight = 600;
    screen.backBufferScaleX = screen.backBufferScaleY = 1.0f;
    rect.left.Value() = 100;
    rect.right.Value() = 200;
    rect.top.Value() = 100;
    rect.bottom.Value() = 200;
  }
  void TearDown() override { selected.reset(); }
  void SetMode(int m) {
    mode = m;
    SetUp();
  }

  int mode = 1;
  DS_View2D view;
  DS_VirtualScreen screen;
  std::optional<ScopedScreen> selected;
  MediaRectangle rect;
};
}  // namespace

TEST(Colour, HoldsItsInitialValueWithHistory) {
  MediaColor c(0x00336699ul);
  EXPECT_EQ(c.Value(), 0x00336699ul);
  EXPECT_EQ(c.History().SavedValue(), 0x00336699ul);
  c.SetValue(0x00FFFFFFul);
  EXPECT_EQ(c.History().SavedValue(), 0x00FFFFFFul);
}

TEST(Rectangle, ReadStoresDirectlyAndWriteMirrorsIt) {
  MediaRectangle r;
  EXPECT_EQ(r.left.Value(), 0);
  EXPECT_EQ(r.y.Value(), 0);
  Counter counter;
  counter.controls.SetOwner(&counter);
  counter.controls.SetUnderConstruction(false);
  DS_FunLightCtrl<int, Counter>::Bind(counter.controls, r.left, &Counter::OnChange);
  ASSERT_EQ(counter.calls, 1);

  auto bytes = Int32s({-5, 640, 7, 480, -12, 33});
  ReadBytes(bytes, [&](DS_IOF_Holder s) { r.Read(s); });
  EXPECT_EQ(r.left.Value(), -5);
  EXPECT_EQ(r.right.Value(), 640);
  EXPECT_EQ(r.top.Value(), 7);
  EXPECT_EQ(r.bottom.Value(), 480);
  EXPECT_EQ(r.x.Value(), -12);
  EXPECT_EQ(r.y.Value(), 33);
  EXPECT_EQ(counter.calls, 1);                // nobody told
  EXPECT_EQ(r.left.History().SavedValue(), 0);  // no history refreshed
  EXPECT_EQ(WriteBytes([&](DS_IOF_Holder s) { r.Write(s); }), bytes);

  MediaRectangle copy;
  copy.AssignValues(r);
  EXPECT_EQ(copy.right.Value(), 640);
  EXPECT_EQ(copy.right.History().SavedValue(), 640);
  EXPECT_EQ(copy.x.Value(), -12);
}

TEST(Rectangle, ShortRecordThrowsTheLoadError) {
  MediaRectangle r;
  EXPECT_THROW(ReadBytesLeavingRest(Int32s({1, 2, 3}), [&](DS_IOF_Holder s) { r.Read(s); }), DS_LoadError);
}

TEST(Quad, ReadsTwelveFloats) {
  const RecordBytes floats = WriteBytes([](DS_IOF_Holder s) {
    for (int i = 0; i < 12; ++i) s->WriteFloat(float(i) + 0.5f);
  });
  MediaQuad q;
  EXPECT_EQ(q.corners[2].Value().y, 0.0f);
  ReadBytes(floats, [&](DS_IOF_Holder s) { q.Read(s); });
  EXPECT_EQ(q.corners[0].Value().x, 0.5f);
  EXPECT_EQ(q.corners[1].Value().z, 5.5f);
  EXPECT_EQ(q.corners[3].Value().z, 11.5f);
  EXPECT_EQ(WriteBytes([&](DS_IOF_Holder s) { q.Write(s); }), floats);
}

TEST_F(HitTest, MapsBackBufferPixelsToPicturePixels) {
  D3DXVECTOR3 p = MapPointToCanvas(D3DXVECTOR3(160.0f + 1.2f * 100, 1.2f * 100, 3.0f));
  EXPECT_FLOAT_EQ(p.x, 100.0f);
  EXPECT_FLOAT_EQ(p.y, 100.0f);
  EXPECT_EQ(p.z, 3.0f);
  p = MapPointToCanvas(D3DXVECTOR3(1120.0f, 720.0f, 0.0f));
  EXPECT_FLOAT_EQ(p.x, 800.0f);
  EXPECT_FLOAT_EQ(p.y, 600.0f);
}

TEST_F(HitTest, StretchModeMapsTheScreenEdgesToThePictureEdges) {
  SetMode(0);
  D3DXVECTOR3 p = MapPointToCanvas(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
  EXPECT_NEAR(p.x, 0.0f, 1e-3);
  EXPECT_NEAR(p.y, 0.0f, 1e-3);
  p = MapPointToCanvas(D3DXVECTOR3(1280.0f, 720.0f, 0.0f));
  EXPECT_NEAR(p.x, 800.0f, 1e-3);
  EXPECT_NEAR(p.y, 600.0f, 1e-3);
}

TEST_F(HitTest, EdgesAreInclusive) {
  EXPECT_TRUE(ContainsPoint(rect, 280.0f, 120.0f));   // exactly (100, 100)
  EXPECT_TRUE(ContainsPoint(rect, 400.0f, 240.0f));   // exactly (200, 200)
  EXPECT_TRUE(ContainsPoint(rect, 340.0f, 180.0f));   // inside
  EXPECT_FALSE(ContainsPoint(rect, 279.0f, 180.0f));  // left of it
  EXPECT_FALSE(ContainsPoint(rect, 340.0f, 241.0f));  // below it
}

TEST_F(HitTest, EdgesBeyondFloatPrecisionCompareExactly) {
  // 2^24 + 1 has no float of its own; as a float it would equal the point 2^24.
  screen.pictureWidth = 1u << 25;
  float x = 160.0f + 960.0f * 0.5f;  // picture x 2^24
  rect.left.Value() = (1 << 24) + 1;
  rect.right.Value() = 1 << 25;
  rect.top.Value() = 0;
  rect.bottom.Value() = 600;
  EXPECT_FALSE(ContainsPoint(rect, x, 300.0f));
  rect.left.Value() = 1 << 24;
  EXPECT_TRUE(ContainsPoint(rect, x, 300.0f));
}

TEST_F(HitTest, BackBufferScaleAppliesToThePoint) {
  screen.backBufferScaleX = screen.backBufferScaleY = 2.0f;
  EXPECT_TRUE(ContainsPoint(rect, 140.0f, 60.0f));  // (280, 120) on the back buffer
  EXPECT_FALSE(ContainsPoint(rect, 280.0f, 120.0f));
}

TEST_F(HitTest, ReversedRectangleContainsNothing) {
  rect.left.Value() = 200;
  rect.right.Value() = 100;
  for (float x = 200.0f; x < 500.0f; x += 7.0f) EXPECT_FALSE(ContainsPoint(rect, x, 180.0f));
}

TEST_F(HitTest, DegeneratePictureQuadMapsToTheOriginAndContainsNothing) {
  rect.left.Value() = -10;
  rect.top.Value() = -10;  // the origin lies inside
  screen.pictureQuad = DS_QuadCorners{};
  D3DXVECTOR3 p = MapPointToCanvas(D3DXVECTOR3(50.0f, 60.0f, 1.0f));
  EXPECT_EQ(p.x, 0.0f);
  EXPECT_EQ(p.y, 0.0f);
  EXPECT_FALSE(ContainsPoint(rect, 50.0f, 60.0f));
  EXPECT_FALSE(ContainsPoint(rect, 0.0f, 0.0f));
}

TEST(Rounding, NearestWithTiesToEven) {
  ASSERT_EQ(std::fegetround(), FE_TONEAREST);
  struct Case {
    float v;
    int expected;
  } cases[] = {{2.5f, 2}, {3.5f, 4}, {-2.5f, -2}, {1.4f, 1}, {-1.6f, -2}, {0.0f, 0}, {1e6f + 0.5f, 1000000}};
  for (const auto& c : cases) EXPECT_EQ(RoundToInt(c.v), c.expected) << c.v;
}
