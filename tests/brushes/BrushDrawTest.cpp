// Brushes on a real device: each changes pixels only inside its mask and changes them over
// time; with the scene-effect flag a brush samples what was drawn before it; a brush
// without a mask paints the whole picture (the unbound mask sampler reads alpha 1, on
// Wine as on Windows); a scene-sampling brush without its effect leaves the scene intact;
// the fire, which reads no scene, burns with the flag as without.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "brushes/DS_FireFX.h"
#include "brushes/SimpleBrushes.h"
#include "device/TextureHelpers.h"
#include "runtime/DS_SlideContainer.h"
#include "tests/brushes/BrushDevice.h"

namespace {

bool LeftHalf(float u, float) { return u < 0.5f; }
// The mask's edge is sampled linearly: pixels next to it may blend a little.
bool LeftHalfWithEdge(float u, float) { return u < 0.53f; }

struct BrushCase {
  const char* name;
  std::function<std::unique_ptr<DS_FX_Constructor>()> make;
};

std::vector<BrushCase> Brushes() {
  return {
      {"waves",
       [] {
         auto b = std::make_unique<DS_WavesFX>();
         b->amplitude.SetValue(40);  // 0.01: about a pixel on this small picture
         return b;
       }},
      {"light",
       [] {
         auto b = std::make_unique<DS_LightFX>();
         b->intensity.SetValue(100);
         return b;
       }},
      {"background copy",
       [] {
         auto b = std::make_unique<DS_BackgroundCopy>();
         b->rectangle.x.Value() = 7;
         b->rectangle.y.Value() = 3;
         return b;
       }},
  };
}

class BrushDrawTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fixture.device.Ok()); }
  BrushDevice fixture;
};

TEST_F(BrushDrawTest, EachBrushPaintsOnlyInsideItsMask) {
  const std::vector<uint32_t> picture = fixture.Frame({}, 0.0f);
  for (const BrushCase& c : Brushes()) {
    SCOPED_TRACE(c.name);
    auto brush = c.make();
    fixture.StoreMask(brush->guid, LeftHalf);
    auto object = fixture.Object(*brush);
    ASSERT_TRUE(static_cast<DS_BrushObj*>(object.Get())->Brush()->Effect()) << "effect missing from the module";
    const std::vector<uint32_t> frame = fixture.Frame({object}, 3.0f);
    const auto changes = fixture.Compare(picture, frame, LeftHalfWithEdge);
    EXPECT_EQ(changes.outside, 0);
    EXPECT_GT(changes.inside, BrushDevice::kW * BrushDevice::kH / 8);
  }
}

TEST_F(BrushDrawTest, MovingBrushesChangeOverTime) {
  for (const BrushCase& c : Brushes()) {
    if (std::string(c.name) == "background copy") continue;  // its clock does not run
    SCOPED_TRACE(c.name);
    auto brush = c.make();
    fixture.StoreMask(brush->guid, LeftHalf);
    auto object = fixture.Object(*brush);
    const std::vector<uint32_t> first = fixture.Frame({object}, 0.2f);
    fixture.SaveIfAsked((std::string("brush-") + c.name + "-1").c_str());
    const std::vector<uint32_t> second = fixture.Frame({object}, 2.0f);
    const auto changes = fixture.Compare(first, second, LeftHalfWithEdge);
    EXPECT_EQ(changes.outside, 0);
    EXPECT_GT(changes.inside, 50);
  }
}

TEST_F(BrushDrawTest, ABrushWithoutAMaskPaintsTheWholePicture) {
  // Wine reads an unbound sampler as (0, 0, 0, 1), as Windows drivers do; the effects take
  // the mask's alpha, so no mask means everywhere.
  const std::vector<uint32_t> picture = fixture.Frame({}, 0.0f);
  DS_LightFX light;
  light.intensity.SetValue(100);
  auto object = fixture.Object(light);
  EXPECT_FALSE(*static_cast<DS_BrushObj*>(object.Get())->Brush()->GetMask());
  const std::vector<uint32_t> frame = fixture.Frame({object}, 3.0f);
  const auto changes = fixture.Compare(picture, frame, [](float u, float) { return u < 0.5f; });
  EXPECT_GT(changes.inside, BrushDevice::kW * BrushDevice::kH / 3);
  EXPECT_GT(changes.outside, BrushDevice::kW * BrushDevice::kH / 3);
}

TEST_F(BrushDrawTest, WithTheSceneFlagABrushSamplesWhatWasDrawnBeforeIt) {
  // A background copy shifted by half the picture, over a light brush that brightens the
  // right half: the copy shows the brightened right half in the left half only when it
  // samples the scene.
  auto run = [&](int sceneFlag) {
    DS_LightFX bright;
    bright.intensity.SetValue(300);
    fixture.StoreMask(bright.guid, [](float u, float) { return u >= 0.5f; });
    DS_BackgroundCopy copy;
    copy.rectangle.x.Value() = BrushDevice::kW / 2;
    copy.sceneEffect.Value() = sceneFlag;
    fixture.StoreMask(copy.guid, LeftHalf);
    // Drawn from last to first: the light brush first, then the copy.
    return fixture.Frame({fixture.Object(copy), fixture.Object(bright)}, 3.0f);
  };
  const std::vector<uint32_t> plain = run(0);
  const std::vector<uint32_t> sampled = run(1);
  long plainSum = 0, sampledSum = 0;
  for (int y = 0; y < BrushDevice::kH; ++y)
    for (int x = 0; x < BrushDevice::kW / 2 - 4; ++x) {
      const Rgba a = fixture.At(plain, x, y), b = fixture.At(sampled, x, y);
      plainSum += a.r + a.g + a.b;
      sampledSum += b.r + b.g + b.b;
    }
  EXPECT_GT(sampledSum, plainSum + plainSum / 10);
  // The right half is the brightened picture in both.
  EXPECT_TRUE(Near(fixture.At(plain, 100, 40), fixture.At(sampled, 100, 40), 4));
}

TEST_F(BrushDrawTest, ASceneSamplingBrushWithoutItsEffectLeavesTheSceneIntact) {
  DS_LightFX bright;
  bright.intensity.SetValue(300);
  const std::vector<uint32_t> alone = fixture.Frame({fixture.Object(bright)}, 3.0f);
  DS_WavesFX broken;
  broken.effectLink.SetKey(DS_LinkKey{L"common_res.dll", 4000});
  broken.sceneEffect.Value() = 1;
  auto object = fixture.Object(broken);
  EXPECT_FALSE(object->IsSceneEffect());
  const std::vector<uint32_t> both = fixture.Frame({object, fixture.Object(bright)}, 3.0f);
  const auto changes = fixture.Compare(alone, both, [](float, float) { return true; });
  EXPECT_EQ(changes.inside, 0);
}

// A bright fire on a grid whose corners are in picture pixels: tips (v = 0) along y 30, base
// (v = 1) along y 90, x 20 to 100.
void GridFire(DS_FireFX& fire) {
  fire.corners.corners[0].Value() = D3DXVECTOR3(20, 30, 0);
  fire.corners.corners[1].Value() = D3DXVECTOR3(20, 90, 0);
  fire.corners.corners[2].Value() = D3DXVECTOR3(100, 30, 0);
  fire.corners.corners[3].Value() = D3DXVECTOR3(100, 90, 0);
  fire.brightness.SetValue(40);
}
// The grid of GridFire, at the texture coordinates of the picture.
bool InGrid(float u, float v) {
  const float x = u * BrushDevice::kW, y = v * BrushDevice::kH;
  return x > 19 && x < 101 && y > 29 && y < 91;
}

TEST_F(BrushDrawTest, TheFireBurnsOnlyInsideItsGridAndFlickers) {
  DS_FireFX fire;
  GridFire(fire);
  auto object = fixture.Object(fire);
  auto* bound = static_cast<DS_FireFX*>(static_cast<DS_BrushObj*>(object.Get())->Brush());
  ASSERT_TRUE(bound->CanDraw()) << "effect 92 or pictures 93 and 8 missing from the module";

  // The 8 x 8 grid: 81 vertices from the corners, 128 triangles over the grid's indices.
  DS_IndexedMesh<DX_V::PT>& grid = bound->Grid();
  EXPECT_EQ(grid.vertexCount, 81u);
  EXPECT_EQ(grid.indexedPrimitiveCount, 128u);
  EXPECT_EQ(grid.primitiveType, D3DPT_TRIANGLELIST);
  uint16_t expected[DS_GridIndexBuffer::kIndexCount];
  WriteGridIndices(expected);
  const uint16_t* indices = grid.LockIndices();
  ASSERT_NE(indices, nullptr);
  EXPECT_TRUE(std::equal(expected, expected + DS_GridIndexBuffer::kIndexCount, indices));
  grid.UnlockIndices();
  const DX_V::PT* v = grid.Lock();
  ASSERT_NE(v, nullptr);
  float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
  for (int i = 0; i < 81; ++i) {
    minX = std::min(minX, v[i].x), maxX = std::max(maxX, v[i].x);
    minY = std::min(minY, v[i].y), maxY = std::max(maxY, v[i].y);
  }
  grid.Unlock();
  EXPECT_FLOAT_EQ(minX, 20.0f);
  EXPECT_FLOAT_EQ(maxX, 100.0f);
  EXPECT_FLOAT_EQ(minY, 30.0f);
  EXPECT_FLOAT_EQ(maxY, 90.0f);

  const std::vector<uint32_t> picture = fixture.Frame({}, 0.0f);
  const std::vector<uint32_t> first = fixture.Frame({object}, 1.0f);
  fixture.SaveIfAsked("brush-fire-1");
  const std::vector<uint32_t> second = fixture.Frame({object}, 1.6f);
  fixture.SaveIfAsked("brush-fire-2");
  const auto burning = fixture.Compare(picture, first, InGrid);
  EXPECT_EQ(burning.outside, 0);
  EXPECT_GT(burning.inside, 80 * 60 / 5);
  const auto flicker = fixture.Compare(first, second, InGrid);
  EXPECT_EQ(flicker.outside, 0);
  EXPECT_GT(flicker.inside, 100);
}

// A fire brush burns where its grid and its mask meet.
TEST_F(BrushDrawTest, TheFireBurnsOnlyInsideItsMask) {
  DS_FireFX fire;
  GridFire(fire);
  fixture.StoreMask(fire.guid, [](float u, float) { return u < 0.4f; });
  auto object = fixture.Object(fire);
  const std::vector<uint32_t> picture = fixture.Frame({}, 0.0f);
  const std::vector<uint32_t> burning = fixture.Frame({object}, 1.0f);
  fixture.SaveIfAsked("brush-fire-mask");
  // The mask's edge at x 51 of 128; the grid from x 20 to 100.
  const auto changes = fixture.Compare(picture, burning, [](float u, float) { return u < 0.43f; });
  EXPECT_EQ(changes.outside, 0);
  EXPECT_GT(changes.inside, 30 * 60 / 5);
}

// The fire with its scene flag set still burns over the picture: its technique reads no
// scene, so the slide captures nothing for it. A back buffer left magenta before each frame
// shows what a capture ended before the fire would leave: the fire over a stale buffer.
TEST_F(BrushDrawTest, WithTheSceneFlagTheFireBurnsOverThePictureAsWithout) {
  const std::function<bool(float, float)> everywhere = [](float, float) { return true; };
  const std::function<bool(float, float)> leftOfMask = [](float u, float) { return u < 0.4f; };
  struct Case {
    const char* name;
    const std::function<bool(float, float)>* mask;
    std::function<bool(float, float)> burns;  // the grid, within the mask's edge
  } cases[] = {
      {"grid", &everywhere, InGrid},
      {"grid and mask", &leftOfMask, [](float u, float v) { return InGrid(u, v) && u < 0.43f; }},
  };
  const std::vector<uint32_t> picture = fixture.Frame({}, 0.0f);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto burning = [&](int sceneFlag) {
      DS_FireFX fire;
      GridFire(fire);
      fire.sceneEffect.Value() = sceneFlag;
      fixture.StoreMask(fire.guid, *c.mask);
      auto object = fixture.Object(fire);
      EXPECT_FALSE(object->IsSceneEffect());
      fixture.device.Clear(0xFFFF00FF);
      return fixture.Frame({object}, 1.0f);
    };
    const std::vector<uint32_t> plain = burning(0);
    const std::vector<uint32_t> flagged = burning(1);
    fixture.SaveIfAsked("brush-fire-scene-flag");
    const auto overPicture = fixture.Compare(picture, flagged, c.burns);
    EXPECT_EQ(overPicture.outside, 0);
    EXPECT_GT(overPicture.inside, 30 * 60 / 5);
    const auto asWithout = fixture.Compare(plain, flagged, everywhere, 0);
    EXPECT_EQ(asWithout.inside, 0);
  }
}

// Between two brushes that sample the scene, the fire with its flag set leaves them the
// scene: the light brush brightens the right half of what was drawn, the fire burns over
// that, and the copy shows the right half in the left half, brightened and burning.
TEST_F(BrushDrawTest, TheFireWithTheSceneFlagBetweenSceneBrushesLeavesThemTheScene) {
  auto frame = [&](std::optional<int> fireFlag) {
    DS_LightFX bright;
    bright.intensity.SetValue(300);
    bright.sceneEffect.Value() = 1;
    fixture.StoreMask(bright.guid, [](float u, float) { return u >= 0.5f; });
    DS_BackgroundCopy copy;
    copy.rectangle.x.Value() = BrushDevice::kW / 2;
    copy.sceneEffect.Value() = 1;
    fixture.StoreMask(copy.guid, LeftHalf);
    // Drawn from last to first: the light brush, the fire, the copy.
    std::vector<DS_SharedPtr<DS_ABObj>> objects{fixture.Object(copy)};
    DS_FireFX fire;
    GridFire(fire);
    if (fireFlag) {
      fire.sceneEffect.Value() = *fireFlag;
      objects.push_back(fixture.Object(fire));
    }
    objects.push_back(fixture.Object(bright));
    // The slide counts the two brushes that sample the scene, never the fire.
    DS_SlideContainer slide;
    slide.objects = objects;
    EXPECT_EQ(slide.CaptureCount(), 2);
    fixture.device.Clear(0xFFFF00FF);
    return fixture.Frame(objects, 1.0f);
  };
  const std::vector<uint32_t> picture = fixture.Frame({}, 0.0f);
  const std::vector<uint32_t> noFire = frame(std::nullopt);
  const std::vector<uint32_t> plainFire = frame(0);
  const std::vector<uint32_t> flaggedFire = frame(1);
  fixture.SaveIfAsked("brush-fire-between-scene-brushes");
  // The flag changes nothing.
  const auto asWithout = fixture.Compare(plainFire, flaggedFire, [](float, float) { return true; }, 0);
  EXPECT_EQ(asWithout.inside, 0);
  // The fire shows where it burns and where the copy shows it (half a picture to the left),
  // and nowhere else.
  const auto fireShows = fixture.Compare(noFire, flaggedFire, [](float u, float v) {
    return InGrid(u, v) || (u < 0.53f && InGrid(u + 0.5f, v));
  });
  EXPECT_EQ(fireShows.outside, 0);
  EXPECT_GT(fireShows.inside, 30 * 60 / 5);
  // Both halves are brighter than the picture: the copy saw the light brush's result.
  auto sum = [&](const std::vector<uint32_t>& px, int x0, int x1) {
    long total = 0;
    for (int y = 0; y < 20; ++y)  // above the fire's grid
      for (int x = x0; x < x1; ++x) {
        const Rgba p = fixture.At(px, x, y);
        total += p.r + p.g + p.b;
      }
    return total;
  };
  const int half = BrushDevice::kW / 2;
  EXPECT_GT(sum(flaggedFire, 0, half - 4), sum(picture, 0, half - 4) * 11 / 10);
  EXPECT_GT(sum(flaggedFire, half + 4, BrushDevice::kW), sum(picture, half + 4, BrushDevice::kW) * 11 / 10);
}

}  // namespace
