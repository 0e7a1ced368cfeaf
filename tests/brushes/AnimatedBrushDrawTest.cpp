// The water, move and pattern brushes on a real device with the built module's effects and
// pictures: each changes pixels only inside its mask, over the picture and over the
// captured scene; a 32 x 32 checkerboard at zoom 1 repeats every 32 picture pixels; the
// module's two-frame pattern package loads and animates.
#include <gtest/gtest.h>

#include "brushes/DS_MoveFX.h"
#include "brushes/DS_PatternBrush.h"
#include "brushes/DS_WaterFX.h"
#include "tests/brushes/BrushDevice.h"

namespace {

bool LeftHalf(float u, float) { return u < 0.5f; }
// The mask's edge is sampled linearly, and the water refracts a few pixels across it.
bool LeftHalfWithEdge(float u, float) { return u < 0.56f; }

const DS_LinkKey kPatternPackage{L"common_res.dll", 210};

struct BrushCase {
  const char* name;
  std::function<std::unique_ptr<DS_FX_Constructor>()> make;
};

std::vector<BrushCase> Brushes() {
  return {
      {"water", [] { return std::make_unique<DS_WaterFX>(); }},
      {"move",
       [] {
         auto b = std::make_unique<DS_MoveFX>();
         b->amplitude.SetValue(300);  // 0.06: several pixels on this small picture
         return b;
       }},
      {"pattern",
       [] {
         auto b = std::make_unique<DS_PatternBrush>();
         b->pattern.SetKey(kPatternPackage);
         return b;
       }},
  };
}

class AnimatedBrushDrawTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fixture.device.Ok()); }

  // Frames as the slide draws them, one every 0.1 s from t0 up to t (so that clocks whose
  // step is clamped to 0.2 s keep up); the last is returned.
  std::vector<uint32_t> RunTo(const std::vector<DS_SharedPtr<DS_ABObj>>& objects, float& t0, float t) {
    for (; t0 + 0.1f < t; t0 += 0.1f)
      for (auto& o : objects) o->Update(t0);
    t0 = t;
    return fixture.Frame(objects, t);
  }

  BrushDevice fixture;
};

TEST_F(AnimatedBrushDrawTest, EachBrushChangesPixelsOnlyInsideItsMask) {
  for (const BrushCase& c : Brushes()) {
    for (int sceneFlag : {0, 1}) {
      SCOPED_TRACE(testing::Message() << c.name << " scene flag " << sceneFlag);
      // The same brush with an empty mask: over the captured scene, the capture's own pass
      // is part of both frames.
      auto frame = [&](const std::function<bool(float, float)>& mask) {
        auto brush = c.make();
        brush->sceneEffect.Value() = sceneFlag;
        fixture.StoreMask(brush->guid, mask);
        auto object = fixture.Object(*brush);
        EXPECT_TRUE(static_cast<DS_BrushObj*>(object.Get())->Brush()->CanDraw()) << "effect or picture missing";
        EXPECT_EQ(object->IsSceneEffect(), sceneFlag != 0);
        float t = 0.0f;
        return RunTo({object}, t, 1.5f);
      };
      const std::vector<uint32_t> without = frame([](float, float) { return false; });
      const std::vector<uint32_t> with = frame(LeftHalf);
      fixture.SaveIfAsked((std::string("animated-") + c.name + (sceneFlag ? "-scene" : "")).c_str());
      const auto changes = fixture.Compare(without, with, LeftHalfWithEdge);
      EXPECT_EQ(changes.outside, 0);
      EXPECT_GT(changes.inside, BrushDevice::kW * BrushDevice::kH / 10);
    }
  }
}

TEST_F(AnimatedBrushDrawTest, EachBrushMovesOverTime) {
  for (const BrushCase& c : Brushes()) {
    SCOPED_TRACE(c.name);
    auto brush = c.make();
    fixture.StoreMask(brush->guid, LeftHalf);
    auto object = fixture.Object(*brush);
    float t = 0.0f;
    const std::vector<uint32_t> first = RunTo({object}, t, 0.3f);
    const std::vector<uint32_t> second = RunTo({object}, t, 1.2f);
    const auto changes = fixture.Compare(first, second, LeftHalfWithEdge);
    EXPECT_EQ(changes.outside, 0);
    EXPECT_GT(changes.inside, 100);
  }
}

TEST_F(AnimatedBrushDrawTest, ACheckerboardAtZoomOneRepeatsEveryThirtyTwoPixels) {
  // 8 x 8 cells of white and dark red, opaque.
  auto link = fixture.manager.CreateImageLinkFromRecord(RecordWithBytes(
      MakeBmp(32, 32, [](int x, int y) -> uint32_t { return (x / 8 + y / 8) % 2 ? 0xFFFFFF : 0x800000; }),
      L"checkers.bmp"));
  DS_PatternBrush brush;
  brush.pattern.SetKey(link->Key());
  brush.scrollX.SetValue(7);  // any scroll keeps the period
  fixture.StoreMask(brush.guid, LeftHalf);
  const std::vector<uint32_t> picture = fixture.Frame({}, 0.0f);
  const std::vector<uint32_t> px = fixture.Frame({fixture.Object(brush)}, 1.0f);
  const Rgba white{255, 255, 255, 0}, red{128, 0, 0, 0};
  int whites = 0, reds = 0;
  for (int y = 2; y < BrushDevice::kH - 34; ++y)
    for (int x = 2; x < 26; ++x) {
      const Rgba p = fixture.At(px, x, y);
      ASSERT_TRUE(Near(p, fixture.At(px, x + 32, y), 3)) << x << "," << y;
      ASSERT_TRUE(Near(p, fixture.At(px, x, y + 32), 3)) << x << "," << y;
      whites += Near(p, white, 3);
      reds += Near(p, red, 3);
    }
  // Cells, not a blur: most pixels are one of the two colours (cell edges blend), both
  // about as often.
  const int n = 24 * (BrushDevice::kH - 36);
  EXPECT_GT(whites + reds, n / 2);
  EXPECT_GT(whites, n / 4);
  EXPECT_GT(reds, n / 4);
  EXPECT_EQ(fixture.Compare(picture, px, LeftHalfWithEdge).outside, 0);
}

TEST_F(AnimatedBrushDrawTest, TheModulesPatternPackageLoadsAndAnimates) {
  DS_PatternBrush brush;
  brush.pattern.SetKey(kPatternPackage);
  fixture.StoreMask(brush.guid, LeftHalf);
  auto object = fixture.Object(brush);
  auto* drawn = static_cast<DS_PatternBrush*>(static_cast<DS_BrushObj*>(object.Get())->Brush());
  ASSERT_EQ(drawn->patternTextures.textures.size(), 2u);
  EXPECT_TRUE(drawn->patternTextures.textures[0] && drawn->patternTextures.textures[1]);
  EXPECT_EQ(drawn->patternTextures.frameTimes, (std::vector<float>{0.6f, 0.6f}));
  EXPECT_EQ(drawn->patternTextures.width, 128u);
  EXPECT_EQ(drawn->patternTextures.height, 128u);

  float t = 0.0f;
  const std::vector<uint32_t> first = RunTo({object}, t, 0.3f);
  EXPECT_EQ(drawn->frameIndex, 0u);
  const std::vector<uint32_t> second = RunTo({object}, t, 1.0f);
  EXPECT_EQ(drawn->frameIndex, 1u);
  const auto changes = fixture.Compare(first, second, LeftHalfWithEdge);
  EXPECT_EQ(changes.outside, 0);
  EXPECT_GT(changes.inside, 100);
  // Back to the first frame after another 0.6 s.
  const std::vector<uint32_t> third = RunTo({object}, t, 1.8f);
  EXPECT_EQ(drawn->frameIndex, 0u);
  EXPECT_EQ(fixture.Compare(first, third, [](float, float) { return true; }).inside, 0);
}

}  // namespace
