// The stream and leaf animators from a restarted generator, with the scene time injected
// through g_streamAnimTime: direction, speed, wrapping with its margin, clamped steps, the
// wander and its rhythm, the tumbling and sway, and the size of a leaf.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "device/DS_Frame.h"
#include "objects/StreamAnimators.h"
#include "tests/objects3d/Objects3DFixture.h"

namespace {

class StreamAnimator : public Objects3DFixture {
 protected:
  void SetUp() override {
    Objects3DFixture::SetUp();
    g_streamAnimTime = 0.0f;
  }
  // Steps the animator to time t.
  static void StepTo(DS_SreamAnim& a, float t) {
    g_streamAnimTime = t;
    a.Step();
  }
  static float X(const DS_SreamAnim& a) { return a.position._41; }
  static float Y(const DS_SreamAnim& a) { return a.position._42; }
};

TEST_F(StreamAnimator, DirectionAndPerpendicularTurnCounterClockwiseOnTheScreen) {
  const struct {
    uint32_t angle;
    float dx, dy, px, py;
  } cases[] = {{0, 1, 0, 0, -1}, {90, 0, -1, -1, 0}, {180, -1, 0, 0, 1}, {270, 0, 1, 1, 0}, {45, 0.7071f, -0.7071f, -0.7071f, -0.7071f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.angle);
    DS_StreamParams p;
    p.SetDirection(c.angle);
    EXPECT_EQ(p.angle, c.angle);
    EXPECT_NEAR(p.direction.x, c.dx, 1e-5f);
    EXPECT_NEAR(p.direction.y, c.dy, 1e-5f);
    EXPECT_NEAR(p.perpendicular.x, c.px, 1e-5f);
    EXPECT_NEAR(p.perpendicular.y, c.py, 1e-5f);
  }
  DS_StreamParams defaults;
  EXPECT_EQ(defaults.size.Value(), 0u);
  EXPECT_EQ(defaults.speed.Value(), 50u);
  EXPECT_EQ(defaults.drift.Value(), 0u);
  EXPECT_EQ(defaults.driftChange.Value(), 0u);
  EXPECT_EQ(defaults.spin.Value(), 100u);
  EXPECT_EQ(defaults.direction.x, 1.0f);
}

TEST_F(StreamAnimator, ALeafDrawsSixteenNumbersInItsOrder) {
  DS_StreamParams p;
  const DS_LeafFallAnim leaf(&p);
  const int next = rand();

  srand(1);
  EXPECT_FLOAT_EQ(leaf.position._41, RandomFloat(0, 800));
  EXPECT_FLOAT_EQ(leaf.position._42, RandomFloat(0, 600));
  EXPECT_FLOAT_EQ(leaf.lateral, RandomFloat(-1, 1));
  EXPECT_FLOAT_EQ(leaf.speedFactor, RandomFloat(0.07f, 0.13f));
  for (const DS_LeafTurn* spin : {&leaf.spin1, &leaf.spin2, &leaf.spin3}) {
    const float sign = (rand() & 1) ? -1.0f : 1.0f;
    EXPECT_FLOAT_EQ(spin->rate, sign * (RandomFloat(0, 3) + 7));
    EXPECT_EQ(spin->angle, spin->rate);
    EXPECT_GE(std::fabs(spin->rate), 7.0f);
    EXPECT_LE(std::fabs(spin->rate), 10.0f);
  }
  for (const DS_LeafTurn* sway : {&leaf.sway1, &leaf.sway2}) {
    const float k = float(rand() % 2);
    const float sign = (rand() & 1) ? -1.0f : 1.0f;
    EXPECT_FLOAT_EQ(sway->rate, k * sign * (RandomFloat(0, 4) + 3));
    EXPECT_EQ(sway->angle, sway->rate);
  }
  EXPECT_EQ(rand(), next) << "the leaf drew more or fewer than 16 numbers";
}

TEST_F(StreamAnimator, LeavesStreamAlongTheDirectionAtSpeedTimesTheirFactor) {
  // At speed 50 every leaf moves 50 x factor x 50 = 175 to 325 pixels per second.
  for (uint32_t angle : {0u, 90u, 180u, 270u}) {
    SCOPED_TRACE(angle);
    DS_StreamParams p;
    p.SetDirection(angle);
    for (int i = 0; i < 20; ++i) {
      g_streamAnimTime = 0.0f;
      DS_SreamAnim a(&p);
      a.position._41 = 400, a.position._42 = 300;
      StepTo(a, 0.1f);
      const float dx = X(a) - 400.0f, dy = Y(a) - 300.0f;
      const float distance = std::sqrt(dx * dx + dy * dy);
      EXPECT_NEAR(distance, 0.1f * 50.0f * a.speedFactor * 50.0f, 1e-3f);
      EXPECT_GE(distance, 17.49f);
      EXPECT_LE(distance, 32.51f);
      EXPECT_NEAR(dx, distance * p.direction.x, 1e-3f);
      EXPECT_NEAR(dy, distance * p.direction.y, 1e-3f);
    }
  }
}

TEST_F(StreamAnimator, ALeafHalfItsSizeOutsideReentersAtTheOppositeEdgeWithoutMoving) {
  // Size 40: the margin is 20. Just past it a leaf wraps (the other coordinate drawn anew);
  // on it, it still moves.
  struct Case {
    uint32_t angle;
    float x, y;
    bool wraps;
    float newX, newY;  // NAN: drawn
  };
  const Case cases[] = {
      {0, 821, 300, true, -20, NAN},   {0, 820, 300, false, 0, 0},
      {180, -21, 300, true, 820, NAN}, {180, -20, 300, false, 0, 0},
      {90, 400, -21, true, NAN, 620},  {90, 400, -20, false, 0, 0},
      {270, 400, 621, true, NAN, -20}, {270, 400, 620, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.angle << " at " << c.x << "," << c.y);
    DS_StreamParams p;
    p.size.Assign(40);
    p.SetDirection(c.angle);
    g_streamAnimTime = 0.0f;
    DS_SreamAnim a(&p);
    a.position._41 = c.x, a.position._42 = c.y;
    srand(1);
    StepTo(a, 0.1f);
    if (!c.wraps) {
      EXPECT_GT(std::fabs(X(a) - c.x) + std::fabs(Y(a) - c.y), 17.0f) << "did not move";
      continue;
    }
    srand(1);
    const float drawn = RandomFloat(0.0f, std::isnan(c.newX) ? 800.0f : 600.0f);
    EXPECT_FLOAT_EQ(X(a), std::isnan(c.newX) ? drawn : c.newX);
    EXPECT_FLOAT_EQ(Y(a), std::isnan(c.newY) ? drawn : c.newY);
  }
}

TEST_F(StreamAnimator, StepsAreTheTimeSinceTheLastOneAtMostAFifthOfASecond) {
  DS_StreamParams p;
  DS_SreamAnim a(&p);
  a.position._41 = 100;
  const struct {
    float t, step;
  } steps[] = {{10.0f, 0.2f}, {10.05f, 0.05f}, {9.9f, 0.15f}, {9.9f, 0.0f}, {30.0f, 0.2f}};
  for (const auto& s : steps) {
    const float x = X(a);
    StepTo(a, s.t);
    EXPECT_NEAR(a.step, s.step, 1e-5f) << s.t;
    EXPECT_NEAR(X(a) - x, s.step * 50.0f * a.speedFactor * 50.0f, 1e-2f) << s.t;
  }
}

TEST_F(StreamAnimator, TheWanderFollowsDriftAndItsChangeRate) {
  // Drift 0: the lateral factor has no effect. Drift 50, lateral +1: the stream bends by
  // 50 x 0.02 = 1 along the perpendicular (up for direction 0).
  for (uint32_t drift : {0u, 50u}) {
    DS_StreamParams p;
    p.drift.Assign(drift);
    DS_SreamAnim a(&p);
    a.lateral = 1.0f;
    a.position._41 = 400, a.position._42 = 300;
    StepTo(a, 0.1f);
    const float along = 0.1f * 50.0f * a.speedFactor * 50.0f;
    EXPECT_NEAR(X(a), 400.0f + along, 1e-3f);
    EXPECT_NEAR(Y(a), 300.0f - (drift ? along : 0.0f), 1e-3f);
  }

  // Drift change 0: never a new lateral factor, and nothing drawn for it (the leaf is put
  // back in the middle before each step, so it never wraps).
  {
    srand(1);
    DS_StreamParams p;
    p.drift.Assign(50);
    DS_SreamAnim a(&p);
    const float lateral = a.lateral;
    for (int i = 1; i <= 2000; ++i) {
      a.position._41 = 400, a.position._42 = 300;
      StepTo(a, 0.05f * float(i));
    }
    EXPECT_EQ(a.lateral, lateral);
    EXPECT_EQ(a.lastLateralChange, 0.0f);
    const int next = rand();
    srand(1);
    for (int i = 0; i < 4; ++i) rand();
    EXPECT_EQ(rand(), next);
  }

  // Drift change 3 at speed 10: a change is due once (t - last) x 10 x 0.1 passes
  // 100 / 3 = 33.33 s (an integer division would make it 33).
  // When it is due, one draw says whether to change: an odd one draws the new factor, an
  // even one keeps it. The generator's first draws are 41, 18467, 6334.
  for (const auto& [skip, changes] : {std::pair{0, true}, std::pair{2, false}}) {
    SCOPED_TRACE(skip);
    DS_StreamParams p;
    p.speed.Assign(10);
    p.driftChange.Assign(3);
    DS_SreamAnim a(&p);
    a.position._41 = 0, a.position._42 = 300;
    StepTo(a, 33.2f);
    EXPECT_EQ(a.lastLateralChange, 0.0f);
    const float lateral = a.lateral;
    srand(1);
    for (int i = 0; i < skip; ++i) rand();
    StepTo(a, 33.4f);
    const int next = rand();
    EXPECT_EQ(a.lastLateralChange, 33.4f);

    srand(1);
    for (int i = 0; i < skip; ++i) rand();
    ASSERT_EQ(rand() % 2 == 1, changes);
    EXPECT_EQ(a.lateral, changes ? RandomFloat(-1, 1) : lateral);
    EXPECT_EQ(next, rand());
  }
}

TEST_F(StreamAnimator, SpinTumblesAndDriftSways) {
  struct Case {
    uint32_t spin, drift;
    bool tumbles, sways;
  };
  for (const Case& c : {Case{100, 0, true, false}, Case{0, 40, false, true}, Case{0, 0, false, false}}) {
    SCOPED_TRACE(testing::Message() << c.spin << " " << c.drift);
    // A leaf whose sways both turn: k = 1 for both.
    DS_LeafFallAnim* leaf = nullptr;
    DS_StreamParams p;
    p.spin.Assign(c.spin);
    p.drift.Assign(c.drift);
    std::unique_ptr<DS_LeafFallAnim> made;
    for (int attempt = 0; attempt < 50; ++attempt) {
      made = std::make_unique<DS_LeafFallAnim>(&p);
      if (made->sway1.rate != 0.0f && made->sway2.rate != 0.0f) break;
    }
    leaf = made.get();
    ASSERT_NE(leaf->sway1.rate, 0.0f);
    const DS_LeafTurn spin = leaf->spin2, sway = leaf->sway1;
    DS_Frame frame;
    frame.boundingRadius = 1.0f;
    g_streamAnimTime = 1.0f;
    leaf->Apply(frame);
    EXPECT_EQ(leaf->spin2.angle != spin.angle, c.tumbles);
    EXPECT_EQ(leaf->sway1.angle != sway.angle, c.sways);
    if (c.tumbles) {
      EXPECT_NEAR(leaf->spin2.angle - spin.angle, 0.4f * spin.rate * 0.2f * 100.0f, 1e-3f);
    }
    if (c.sways) {
      EXPECT_NEAR(leaf->sway1.angle - sway.angle, 0.4f * sway.rate * 0.2f * 40.0f, 1e-3f);
    }
  }
}

TEST_F(StreamAnimator, ALeafIsScaledToItsSizeAndALeafWithoutRadiusToNothing) {
  DS_StreamParams p;
  p.size.Assign(40);
  for (float radius : {2.0f, 0.5f, 0.0f}) {
    SCOPED_TRACE(radius);
    DS_LeafFallAnim leaf(&p);
    DS_Frame frame;
    frame.boundingRadius = radius;
    g_streamAnimTime = 0.5f;
    leaf.Apply(frame);
    D3DXMATRIX turn = frame.world;
    turn._41 = turn._42 = turn._43 = 0.0f;
    const D3DXVECTOR3 unit = Place(turn, {1, 0, 0});
    const float expected = radius > 0.0f ? 20.0f / radius : 0.0f;
    EXPECT_NEAR(D3DXVec3Length(&unit), expected, 1e-3f);
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) ASSERT_TRUE(std::isfinite(frame.world.m[r][c]));
    // The place is the position's, off by the swing about the pivot 50 pixels away.
    const D3DXVECTOR3 centre = Place(frame.world, {0, 0, 0});
    EXPECT_NEAR(std::hypot(centre.x - leaf.position._41, centre.y - leaf.position._42), 0.0f, 50.0f);
  }
}

}  // namespace
