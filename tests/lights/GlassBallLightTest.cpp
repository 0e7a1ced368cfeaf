// The glass-ball light: its texel generators into memory, lens parameters, scroll clock,
// picture-position modes and record; and on a real device under Xvfb over a picture of a
// fine grid: the hidden ball equals the plain light, the ball magnifies the grid at its
// centre over the gradient backdrop, an all-zero bump map gives an undistorted copy, the
// stand lies below the centre, and draws whose pictures are missing are skipped.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

#include "device/TextureHelpers.h"
#include "document/DS_DocResManager.h"
#include "document/ReaderRegistry.h"
#include "lights/DS_GlassBallLight.h"
#include "runtime/DS_View2D.h"
#include "runtime/ScreenSelection.h"
#include "scene/DocumentReaders.h"
#include "tests/lights/LightShots.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/TestDevice.h"

namespace {

using Light = DS_GlassBallLight;

// ---- Texel generators ----

struct Texel {
  int x, y;
  int16_t u, v;
};

TEST(GlassBallTexels, TheSphereBumpMapHoldsTheHemispheresSlopes) {
  constexpr int32_t kPitch = 256 * 4 + 16;  // rows are placed by the pitch, not the width
  std::vector<uint8_t> bits(size_t(kPitch) * 256, 0xCD);
  Light::FillSphereBumpTexels(bits.data(), kPitch);
  auto at = [&](int x, int y) {
    int16_t uv[2];
    std::memcpy(uv, bits.data() + size_t(y) * kPitch + size_t(x) * 4, 4);
    return std::pair<int16_t, int16_t>(uv[0], uv[1]);
  };
  const std::vector<Texel> cases = {
      {128, 128, 63, 63},  // the summit: the height falls by 0.0039 to the next texel
      {0, 0, 0, 0},        // outside, both neighbours outside
      {255, 0, 0, 0},      // the last column is taken against itself
      {255, 128, 0, 0},
      {255, 255, 0, 0},
  };
  for (const Texel& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    EXPECT_EQ(at(c.x, c.y).first, c.u);
    EXPECT_EQ(at(c.x, c.y).second, c.v);
  }
  // Just outside the left and the top of the circle, whose neighbour lies inside: a steep
  // rise, close to -25600.
  EXPECT_LT(at(0, 128).first, -24000);
  EXPECT_EQ(at(0, 128).second, 0);
  EXPECT_LT(at(128, 0).second, -24000);
  EXPECT_EQ(at(128, 0).first, 0);
  // Every slope stays within +-pi/2, coded as +-25600.
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      ASSERT_LE(std::abs(at(x, y).first), 25600);
      ASSERT_LE(std::abs(at(x, y).second), 25600);
    }
  EXPECT_EQ(bits[1024], 0xCD) << "the padding after a row is left alone";
}

TEST(GlassBallTexels, TheCircleMaskIsOpaqueOutsideTheRadius508) {
  constexpr int32_t kPitch = 1024 + 8;
  std::vector<uint8_t> bits(size_t(kPitch) * 1024, 0xCD);
  Light::FillCircleMaskTexels(bits.data(), kPitch);
  auto at = [&](int i, int j) { return bits[size_t(i + 512) * kPitch + size_t(j + 512)]; };
  struct Case {
    int i, j;
    uint8_t alpha;
  };
  for (const Case& c : std::vector<Case>{{0, 0, 0x00},
                                         {508, 0, 0x00},  // on the circle
                                         {509, 0, 0xFF},
                                         {0, -508, 0x00},
                                         {0, -509, 0xFF},
                                         {-512, -512, 0xFF},
                                         {359, 359, 0x00},  // 258, 562 inside
                                         {360, 360, 0xFF}}) {
    SCOPED_TRACE(testing::Message() << c.i << "," << c.j);
    EXPECT_EQ(at(c.i, c.j), c.alpha);
  }
  EXPECT_EQ(bits[1024], 0xCD);
}

// Where a device lacks A8 textures the mask is made black in A8R8G8B8, with the same alpha.
TEST(GlassBallTexels, TheBlackStandInMaskHasTheA8MasksAlpha) {
  constexpr int32_t kSide = 1024, kPitch = kSide * 4 + 16;
  std::vector<uint8_t> alpha(size_t(kSide) * kSide);
  Light::FillCircleMaskTexels(alpha.data(), kSide);
  std::vector<uint8_t> bits(size_t(kPitch) * kSide, 0xCD);
  Light::FillBlackCircleMaskTexels(bits.data(), kPitch);
  int wrong = 0;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      uint32_t texel;
      std::memcpy(&texel, &bits[size_t(y) * kPitch + size_t(x) * 4], 4);
      if (texel != uint32_t(alpha[size_t(y) * kSide + x]) << 24) ++wrong;
    }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(bits[kSide * 4], 0xCD) << "the padding after a row is left alone";
}

TEST(GlassBallTexels, TheGradientRunsFromColourOneAtTheTopToColourTwoAtTheBottom) {
  constexpr int32_t kPitch = 256 * 4;
  struct Case {
    unsigned long colour1, colour2;
    uint32_t row0, row128, row255;  // 0xAARRGGBB
  };
  // Colours hold red in their lowest byte; the texels have alpha 0.
  const std::vector<Case> cases = {
      {0x000000, 0x0000FF, 0x00000000, 0x00800000, 0x00FF0000},
      {0x00FF00, 0xFF0000, 0x0000FF00, 0x00007F80, 0x000000FF},
      {0x102030, 0x102030, 0x00302010, 0x00302010, 0x00302010},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.colour1 << " " << c.colour2);
    std::vector<uint32_t> bits(256 * 256, 0xDEADBEEF);
    Light::FillGradientTexels(reinterpret_cast<uint8_t*>(bits.data()), kPitch, c.colour1, c.colour2);
    for (int x : {0, 100, 255}) {
      EXPECT_EQ(bits[x], c.row0);
      EXPECT_EQ(bits[128 * 256 + x], c.row128);
      EXPECT_EQ(bits[255 * 256 + x], c.row255);
    }
  }
}

// ---- Lens, scroll clock, modes ----

TEST(GlassBallLens, SizeAndStrengthSetTheCameraTheLensAndTheSwing) {
  struct Case {
    unsigned size, strength;
    float distance, lens, swing;
  };
  const std::vector<Case> cases = {
      {100, 0, -600.0f, 1.5645f, 0.125f},
      {50, 100, -960.0f, 1.4765625f, 0.1875f},
      {0, 0, -2400.0f, 0.40425f, 0.125f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " " << c.strength);
    Light light;  // no zoom, backdrop scale 1, height fraction 1
    light.size.Value() = c.size;
    light.strength.Value() = c.strength;
    light.ComputeLensParameters();
    EXPECT_NEAR(light.Layout().cameraDistance, c.distance, 1e-3);
    EXPECT_NEAR(light.Layout().lensFactor, c.lens, 1e-5);
    EXPECT_NEAR(light.Layout().swingFactor, c.swing, 1e-6);
  }
}

TEST(GlassBallScroll, ShiftsAndSwingAtTheClocksValues) {
  EXPECT_FLOAT_EQ(Light::ScrollShift(Light::kScrollOneWay, 0.5f), 0.75f);
  EXPECT_FLOAT_EQ(Light::ScrollShift(Light::kScrollOtherWay, 0.5f), 0.25f);
  EXPECT_FLOAT_EQ(Light::ScrollShift(Light::kScrollOneWay, 2.0f), 0.0f);  // wraps every 2 units
  EXPECT_FLOAT_EQ(Light::ScrollShift(Light::kScrollOtherWay, 2.5f), 0.25f);
  const std::vector<std::pair<float, float>> swing = {{0.0f, 1.0f}, {0.5f, 0.0f}, {1.0f, -1.0f},
                                                      {1.5f, 0.0f}, {2.0f, 1.0f}, {3.0f, -1.0f}};
  for (auto [p, offset] : swing) EXPECT_FLOAT_EQ(Light::SwingOffset(p), offset) << p;
}

TEST(GlassBallModes, CaptureAndPicturePositionFollowTheBackdropAndHideSettings) {
  Light light;
  EXPECT_TRUE(light.NeedsSceneCapture());
  light.hideBall.Value() = 1;
  EXPECT_FALSE(light.NeedsSceneCapture());
  light.hideBall.Value() = 0;
  // The backdrop picture keeps the user's placement; the gradient always fills.
  struct Case {
    int backdrop, requested, placement;
  };
  for (const Case& c : std::vector<Case>{{1, 0, 0}, {1, 1, 1}, {1, 2, 2}, {0, 0, 2}, {0, 1, 2}, {5, 1, 2}}) {
    SCOPED_TRACE(testing::Message() << c.backdrop << " " << c.requested);
    light.backdropMode.Value() = c.backdrop;
    light.SetPicturePosition(c.requested);
    EXPECT_EQ(light.Layout().placementMode, c.placement);
  }
  // A centred overlay measures the light's own size and places the backdrop by its mode;
  // taking it away gives the placement back.
  for (int backdrop : {1, 0}) {
    SCOPED_TRACE(backdrop);
    light.backdropMode.Value() = backdrop;
    light.SetPicturePosition(0);
    light.CreateCentredOverlay(300, 200, 1);
    EXPECT_TRUE(light.Layout().exactSize);
    EXPECT_EQ(light.Layout().placementMode, backdrop == 1 ? 1 : 2);
    EXPECT_EQ(light.Width(), 300);
    light.DestroyCentredOverlay();
    EXPECT_FALSE(light.Layout().exactSize);
    EXPECT_EQ(light.Layout().placementMode, backdrop == 1 ? 0 : 2);
  }
}

// ---- Record ----

// The record's own fields in their stored order, then the base light's record.
RecordBytes GlassBallFields() {
  return WriteBytes([](DS_IOF_Holder s) {
    for (int id : {158, 159, 160, 105}) {
      s->WriteString(L"common_res.dll");
      s->WriteInt64(id);
    }
    s->WriteUInt(25);  // scroll speed raw
    s->WritePoint(POINT{-40, 70});
    s->WriteUInt(60);
    s->WriteUInt(80);
    for (unsigned long flag : {0ul, 1ul, 1ul, 1ul, 2ul}) s->WriteULong(flag);
    s->WriteInt(0x112233);
    s->WriteInt(0x445566);
    DS_2D_Light base;
    base.PictureLink().SetKey(DS_LinkKey{L"sky.jpg", 77});
    base.WriteRecord(s);
  });
}

TEST(GlassBallRecord, TheFieldsReadInTheirOrderAndTheScaledSpeedFollows) {
  Light light;
  ReadBytes(GlassBallFields(), [&](DS_IOF_Holder s) { light.Read(s, 1); });
  EXPECT_EQ(light.overlay1Link.Key(), (DS_LinkKey{L"common_res.dll", 158}));
  EXPECT_EQ(light.overlay2Link.Key(), (DS_LinkKey{L"common_res.dll", 159}));
  EXPECT_EQ(light.standLink.Key(), (DS_LinkKey{L"common_res.dll", 160}));
  EXPECT_EQ(light.backdropLink.Key(), (DS_LinkKey{L"common_res.dll", 105}));
  EXPECT_EQ(light.scrollSpeed.Value(), 25u);
  EXPECT_FLOAT_EQ(light.scrollSpeed.scaledValue, 1.5f);
  EXPECT_EQ(light.ballPosition.Value().x, -40);
  EXPECT_EQ(light.ballPosition.Value().y, 70);
  EXPECT_EQ(light.size.Value(), 60u);
  EXPECT_EQ(light.strength.Value(), 80u);
  EXPECT_EQ(light.overlay1On.Value(), 0);
  EXPECT_EQ(light.overlay2On.Value(), 1);
  EXPECT_EQ(light.standOn.Value(), 1);
  EXPECT_EQ(light.backdropMode.Value(), 1);
  EXPECT_EQ(light.scrollMode.Value(), 2);
  EXPECT_EQ(light.gradientColour1.Value(), 0x112233ul);
  EXPECT_EQ(light.gradientColour2.Value(), 0x445566ul);
  EXPECT_EQ(light.PictureLink().Key(), (DS_LinkKey{L"sky.jpg", 77}));
  EXPECT_EQ(light.hideBall.Value(), 0);
}

TEST(GlassBallRecord, AWrittenLightReadsBackThroughTheRegistryWithoutItsHideValue) {
  RegisterDocumentReaders();
  auto configure = [](Light& light) {
    light.standLink.SetKey(DS_LinkKey{L"stand.png", 3});
    light.scrollSpeed.SetValue(10);
    light.ballPosition.Value() = POINT{12, -5};
    light.size.Value() = 70;
    light.standOn.Value() = 1;
    light.backdropMode.Value() = 1;
    light.scrollMode.Value() = 0;
    light.gradientColour2.Value() = 0xFFEEDD;
  };
  Light light, same;
  configure(light);
  configure(same);
  light.hideBall.Value() = 1;  // not stored
  const RecordBytes bytes = WriteBytes([&](DS_IOF_Holder s) { light.Write(s); });
  EXPECT_EQ(bytes, WriteBytes([](DS_IOF_Holder s) { WriteRecordHeader(s, RecordId{L"DS_GlassBallLight", 1}); }) +
                       WriteBytes([&](DS_IOF_Holder s) { same.WriteFields(s); }));
  std::unique_ptr<DS_2D_Light> read;
  ReadBytes(bytes, [&](DS_IOF_Holder s) { read.reset(ReadLightByClassName(s)); });
  auto* ball = dynamic_cast<Light*>(read.get());
  ASSERT_NE(ball, nullptr);
  EXPECT_EQ(ball->standLink.Key(), (DS_LinkKey{L"stand.png", 3}));
  EXPECT_FLOAT_EQ(ball->scrollSpeed.scaledValue, 1.2f);
  EXPECT_EQ(ball->ballPosition.Value().y, -5);
  EXPECT_EQ(ball->size.Value(), 70u);
  EXPECT_EQ(ball->scrollMode.Value(), 0);
  EXPECT_EQ(ball->gradientColour2.Value(), 0xFFEEDDul);
  EXPECT_EQ(ball->hideBall.Value(), 0);
  // The defaults of a new light.
  Light fresh;
  EXPECT_EQ(fresh.overlay1Link.Key(), (DS_LinkKey{L"common_res.dll", 58}));
  EXPECT_EQ(fresh.overlay2Link.Key(), (DS_LinkKey{L"common_res.dll", 59}));
  EXPECT_EQ(fresh.standLink.Key(), (DS_LinkKey{L"common_res.dll", 60}));
  EXPECT_EQ(fresh.backdropLink.Key(), (DS_LinkKey{L"common_res.dll", 5}));
  EXPECT_FLOAT_EQ(fresh.scrollSpeed.scaledValue, 1.0f);
  EXPECT_EQ(fresh.size.Value(), 100u);
  EXPECT_EQ(fresh.scrollMode.Value(), 3);
  EXPECT_EQ(fresh.overlay1On.Value(), 1);
  EXPECT_EQ(fresh.standOn.Value(), 0);
}

// ---- On a real device ----

constexpr int kSize = 256;
const DS_LinkKey kMissing{L"C:\\nowhere\\missing.png", 1};

// White with black lines two pixels wide every eight pixels, both ways.
std::vector<uint8_t> GridPicture() {
  return MakeBmp(kSize, kSize, [](int x, int y) -> uint32_t { return x % 8 < 2 || y % 8 < 2 ? 0x000000 : 0xFFFFFF; });
}

int Luma(const Rgba& c) { return (c.r + c.g + c.b) / 3; }

// Centres of the dark runs of a row between x0 and x1 that lie wholly inside it.
std::vector<float> DarkLines(const std::vector<uint32_t>& px, int y, int x0, int x1) {
  std::vector<float> centres;
  int start = -1;
  for (int x = x0; x < x1; ++x) {
    const bool dark = Luma(TestDevice::At(px, kSize, x, y)) < 110;
    if (dark && start < 0) start = x;
    if (!dark && start >= 0) {
      if (start > x0) centres.push_back(0.5f * float(start + x - 1));
      start = -1;
    }
  }
  return centres;
}

float MeanSpacing(const std::vector<float>& lines) {
  if (lines.size() < 2) return 0.0f;
  return (lines.back() - lines.front()) / float(lines.size() - 1);
}

class GlassBallDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Ok());
    link = manager.CreateImageLinkFromRecord(RecordWithBytes(GridPicture(), L"grid.bmp"));
    Light::SharedScrollClock() = {};
  }
  // As a slide does after loading, then when it becomes current.
  void Prepare(DS_2D_Light& light) {
    light.PictureLink().SetKey(link->Key());
    light.CreateDeviceResources();
    light.Resize(1, 1);
    light.SetPicturePosition(1);
    light.Resize(kSize, kSize);
    light.ResetCameraDrift();
    light.AcquireDeviceResources();
  }
  std::vector<uint32_t> Frame(DS_2D_Light& light, float t = 1.0f) {
    light.Update(t);
    IDirect3DDevice9* d = device.Device();
    device.Clear(0xFF102030);
    d->BeginScene();
    const int n = light.NeedsSceneCapture() ? 1 : 0;
    if (n > 0) light.BeginSceneCapture();
    light.RenderBackground();
    light.RenderObjects({}, n);
    light.RenderOverlay();
    d->EndScene();
    SaveShotIfAsked(device, "TEVRANA_GLASS_BALL_SHOTS", shots);
    return device.ReadBack();
  }
  // A ball that shows only the refracted scene: no overlays, a red-to-blue gradient.
  void PlainBall(Light& ball, unsigned size = 100) {
    ball.overlay1On.Value() = 0;
    ball.overlay2On.Value() = 0;
    ball.scrollMode.Value() = Light::kStill;
    ball.size.Value() = size;
    ball.gradientColour1.Value() = 0x0000E0;  // red at the top
    ball.gradientColour2.Value() = 0xE00000;  // blue at the bottom
  }

  TestDevice device{kSize, kSize};
  DS_DocResManager manager;
  ScopedScreen selected{ScreenSelection::Current().WithResources(&manager)};
  std::unique_ptr<DS_ImageFileLink> link;
  int shots = 0;
};

TEST_F(GlassBallDrawTest, AHiddenBallDrawsLikeThePlainLight) {
  DS_2D_Light plain;
  Prepare(plain);
  const std::vector<uint32_t> expected = Frame(plain);
  Light ball;
  ball.hideBall.Value() = 1;
  Prepare(ball);
  const std::vector<uint32_t> got = Frame(ball);
  ASSERT_EQ(got.size(), expected.size());
  int differing = 0;
  for (size_t i = 0; i < got.size(); ++i) differing += (got[i] & 0xFFFFFF) != (expected[i] & 0xFFFFFF);
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(DarkLines(got, 101, 0, kSize).size(), 31u) << "the grid, one line every 8 pixels";
}

TEST_F(GlassBallDrawTest, TheBallMagnifiesTheGridAtItsCentreOverTheGradient) {
  Light ball;
  PlainBall(ball);
  Prepare(ball);
  const std::vector<uint32_t> px = Frame(ball);
  // Outside the disc (the corners) the gradient: red at the top, blue at the bottom.
  const Rgba top = TestDevice::At(px, kSize, 2, 2), bottom = TestDevice::At(px, kSize, 2, kSize - 3);
  EXPECT_GT(top.r, 180);
  EXPECT_LT(top.b, 40);
  EXPECT_GT(bottom.b, 180);
  EXPECT_LT(bottom.r, 40);
  EXPECT_EQ(top.g, 0);
  // At the centre the grid, its lines further apart than the picture's 8 pixels.
  const std::vector<float> lines = DarkLines(px, kSize / 2, kSize / 2 - 40, kSize / 2 + 40);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_GT(MeanSpacing(lines), 8.8f);
  EXPECT_LT(MeanSpacing(lines), 11.0f);
}

TEST_F(GlassBallDrawTest, AnAllZeroBumpMapGivesAnUndistortedMagnifiedCopy) {
  Light ball;
  PlainBall(ball);
  Prepare(ball);
  // With the hemisphere the lines near the rim crowd together: the refraction distorts.
  std::vector<uint32_t> px = Frame(ball);
  const float bentCentre = MeanSpacing(DarkLines(px, kSize / 2, kSize / 2 - 24, kSize / 2 + 24));
  const float bentSide = MeanSpacing(DarkLines(px, kSize / 2, 4, 36));
  EXPECT_LT(bentSide, bentCentre - 1.0f) << bentCentre << " " << bentSide;

  ComRef<IDirect3DTexture9>& bump = ball.BumpMap();
  ASSERT_TRUE(bump);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(bump->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (int y = 0; y < 256; ++y) std::memset(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, 0, 256 * 4);
  bump->UnlockRect(0);
  px = Frame(ball);
  const float centre = MeanSpacing(DarkLines(px, kSize / 2, kSize / 2 - 24, kSize / 2 + 24));
  const float side = MeanSpacing(DarkLines(px, kSize / 2, 4, 60));
  EXPECT_GT(centre, bentCentre + 1.5f) << "magnified more than with the hemisphere";
  EXPECT_NEAR(centre, side, 1.0f) << "the same everywhere: undistorted";
  const float vertical = [&] {
    std::vector<float> lines;
    int start = -1;
    for (int y = kSize / 2 - 24; y < kSize / 2 + 24; ++y) {
      const bool dark = Luma(TestDevice::At(px, kSize, kSize / 2 + 3, y)) < 110;
      if (dark && start < 0) start = y;
      if (!dark && start >= 0) {
        if (start > kSize / 2 - 24) lines.push_back(0.5f * float(start + y - 1));
        start = -1;
      }
    }
    return MeanSpacing(lines);
  }();
  EXPECT_NEAR(vertical, centre, 1.5f) << "a square grid stays square";
}

TEST_F(GlassBallDrawTest, TheStandLiesBelowTheBallsCentre) {
  std::vector<uint32_t> frames[3];
  for (int variant : {0, 1, 2}) {
    Light ball;
    PlainBall(ball, 25);
    ball.standOn.Value() = variant == 0 ? 0 : 1;
    if (variant == 2) ball.standLink.SetKey(kMissing);
    Prepare(ball);
    EXPECT_EQ(bool(ball.StandTexture()), variant != 2) << "picture 60 of the resource module";
    frames[variant] = Frame(ball);
  }
  EXPECT_EQ(frames[2], frames[0]) << "a stand whose link yields nothing is not drawn";
  int above = 0, below = 0;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x)
      if ((frames[0][size_t(y) * kSize + x] & 0xFFFFFF) != (frames[1][size_t(y) * kSize + x] & 0xFFFFFF))
        (y > kSize / 2 + 20 ? below : above)++;
  EXPECT_GT(below, 500) << "the stand shows under the ball";
  EXPECT_EQ(above, 0) << "nothing of it at or above the centre";
}

TEST_F(GlassBallDrawTest, TheOverlaysLightTheBallAndMissingPicturesAreSkipped) {
  std::vector<uint32_t> frames[3];
  for (int variant : {0, 1, 2}) {
    Light ball;
    PlainBall(ball);
    ball.overlay1On.Value() = variant == 0 ? 0 : 1;  // the highlights
    if (variant == 2) ball.overlay1Link.SetKey(kMissing);
    Prepare(ball);
    EXPECT_EQ(bool(ball.OverlayTexture(0)), variant != 2);
    frames[variant] = Frame(ball);
  }
  // The highlight lies up and to the left of the centre.
  int brighter = 0;
  for (int y = 40; y < 128; ++y)
    for (int x = 40; x < 128; ++x)
      brighter += Luma(TestDevice::At(frames[1], kSize, x, y)) > Luma(TestDevice::At(frames[0], kSize, x, y)) + 20;
  EXPECT_GT(brighter, 200);
  EXPECT_EQ(frames[2], frames[0]) << "an overlay whose link yields nothing is not drawn";
}

TEST_F(GlassBallDrawTest, AMissingBackdropPictureLeavesScaleOneAndABlackBackdrop) {
  // Before any picture is loaded the backdrop has no size.
  Light unloaded;
  unloaded.Resize(kSize, kSize);
  EXPECT_EQ(unloaded.Layout().backdropScaleX, 1.0f);
  EXPECT_EQ(unloaded.Layout().backdropScaleY, 1.0f);
  EXPECT_EQ(unloaded.Layout().backdropOffsetX, 0.0f);
  EXPECT_EQ(unloaded.Layout().backdropOffsetY, 0.0f);
  EXPECT_TRUE(std::isfinite(unloaded.Layout().cameraDistance));

  Light ball;
  PlainBall(ball);
  ball.backdropMode.Value() = Light::kPicture;
  ball.backdropLink.SetKey(kMissing);
  Prepare(ball);
  EXPECT_FALSE(ball.BackdropPicture().texture);
  EXPECT_EQ(ball.Layout().backdropScaleX, 1.0f);
  EXPECT_EQ(ball.Layout().backdropOffsetX, 0.0f);
  EXPECT_TRUE(std::isfinite(ball.Layout().lensFactor));
  const std::vector<uint32_t> px = Frame(ball);
  EXPECT_TRUE(Near(TestDevice::At(px, kSize, 2, 2), Rgba{0, 0, 0, 0}, 0)) << "cleared, not the clear colour of the test";
  EXPECT_GT(DarkLines(px, kSize / 2, kSize / 2 - 40, kSize / 2 + 40).size(), 2u) << "the ball still shows";
}

TEST_F(GlassBallDrawTest, ThePictureBackdropShowsAroundTheBallAndInItsMaskedCorners) {
  // The grid as the backdrop as well.
  Light ball;
  PlainBall(ball, 30);
  ball.backdropMode.Value() = Light::kPicture;
  ball.backdropLink.SetKey(link->Key());
  Prepare(ball);
  ball.SetPicturePosition(1);
  ASSERT_TRUE(ball.BackdropPicture().texture);
  EXPECT_EQ(ball.BackdropQuad().texture.Get(), ball.BackdropPicture().texture.Get());
  EXPECT_EQ(ball.Layout().placementMode, 1);
  const std::vector<uint32_t> px = Frame(ball);
  // The backdrop quad, outside the ball's square: the grid as it is.
  const std::vector<float> outside = DarkLines(px, 3, 0, 40);
  ASSERT_EQ(outside.size(), 4u);
  EXPECT_NEAR(outside[0], 8.5f, 0.6f);
  // Inside the square but outside the circle the mask pass paints the same backdrop back,
  // lined up with the quad's.
  const std::vector<float> masked = DarkLines(px, 70, 66, 101);
  ASSERT_EQ(masked.size(), 4u);
  for (size_t i = 0; i < masked.size(); ++i) EXPECT_NEAR(masked[i], 72.5f + 8.0f * float(i), 1.5f);
}

TEST_F(GlassBallDrawTest, TexturesAreMadeOnceWithOneLevelAndTheScrollCopiesTileTheTarget) {
  EXPECT_TRUE(SupportsTextureFormat(device.Device(), D3DFMT_V16U16));
  EXPECT_FALSE(SupportsTextureFormat(device.Device(), D3DFMT_CxV8U8)) << "Wine makes no CxV8U8 textures";
  Light ball;
  Prepare(ball);
  D3DSURFACE_DESC desc;
  ASSERT_TRUE(ball.BumpMap());
  ball.BumpMap()->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_V16U16);
  EXPECT_EQ(desc.Width, 256u);
  ASSERT_TRUE(ball.CircleMask());
  ball.CircleMask()->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_A8);
  EXPECT_EQ(desc.Width, 1024u);
  ASSERT_TRUE(ball.GradientTexture());
  EXPECT_EQ(ball.GradientTexture()->GetLevelCount(), 1u) << "no unfilled mip levels";
  EXPECT_EQ(ball.BackdropQuad().texture.Get(), ball.GradientTexture().Get());

  // Scroll mode 1 at clock 0.5: the first copy starts at 3/4 of the width, the second a
  // width to its left. Mode 0 leaves the clock alone; mode 3 swings with it.
  ball.scrollMode.Value() = Light::kScrollOneWay;
  Light::SharedScrollClock() = {0.5f, 10.0f, true};
  ball.Update(10.0f);
  auto left = [&](int i) {
    DS_TexturedQuad<DX_V::SCT>& quad = ball.ScrollQuad(i);
    const DX_V::SCT* v = quad.Lock();
    const float x = v ? v[1].x : -1.0f;
    quad.Unlock();
    return x;
  };
  EXPECT_FLOAT_EQ(left(0), 0.75f * kSize);
  EXPECT_FLOAT_EQ(left(1), -0.25f * kSize);
  EXPECT_EQ(ball.SwingOffsetNow(), 0.0f);
  ball.scrollMode.Value() = Light::kStill;
  ball.Update(30.0f);
  EXPECT_FLOAT_EQ(Light::SharedScrollClock().position, 0.5f);
  EXPECT_FLOAT_EQ(Light::SharedScrollClock().lastTime, 10.0f);
  ball.scrollMode.Value() = Light::kSwing;
  ball.Update(18.0f);  // 8 s at speed 1: half a unit
  EXPECT_FLOAT_EQ(Light::SharedScrollClock().position, 1.0f);
  EXPECT_FLOAT_EQ(ball.SwingOffsetNow(), -1.0f);
}

TEST_F(GlassBallDrawTest, TheScrollingCopiesMoveTheSceneInsideTheBall) {
  Light ball;
  PlainBall(ball);
  ball.scrollMode.Value() = Light::kScrollOneWay;
  Prepare(ball);
  Light::SharedScrollClock() = {0.0f, 0.0f, true};
  const std::vector<uint32_t> first = Frame(ball, 0.0f);
  Light::SharedScrollClock() = {0.0625f, 0.0f, true};  // 1/32 of the width: 8 pixels
  const std::vector<uint32_t> shifted = Frame(ball, 0.0f);
  Light::SharedScrollClock() = {2.0f, 0.0f, true};  // a whole turn
  const std::vector<uint32_t> around = Frame(ball, 0.0f);
  int changed = 0;
  for (size_t i = 0; i < first.size(); ++i) changed += (first[i] & 0xFFFFFF) != (shifted[i] & 0xFFFFFF);
  EXPECT_GT(changed, 1000);
  int back = 0;
  for (size_t i = 0; i < first.size(); ++i) back += (first[i] & 0xFFFFFF) != (around[i] & 0xFFFFFF);
  EXPECT_LT(back, 50);
}

}  // namespace
