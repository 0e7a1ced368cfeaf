// Each emitter's first frames from a restarted generator: the order of the draws with
// hand-worked values for the first sprite, then the rules that hold over a few hundred
// steps. The sprites are made and moved by the sprite array itself (without a device it
// keeps no buffers, but counts and moves as usual).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "objects/FlashingEmitters.h"
#include "objects/RootedEmitters.h"
#include "objects/StreamingEmitters.h"
#include "objects/WanderingEmitters.h"
#include "tests/objects/EmitterFixture.h"

namespace {

// r() of the k-th draw of a restarted generator (41, 18467, 6334, 26500, 19169, 15724, ...).
float R(int k) {
  static const int kDraws[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  return float(kDraws[k] / 32767.0);
}

class EmitterMotion : public EmitterFixture {
 protected:
  // A sprite array around a clone of the item, sprites made from a restarted generator.
  // Draw 0 is the size factor and draw 1 (odd) the sign of the alpha speed, so the
  // emitter's InitSprite starts at draw 2.
  DS_SpriteArrayObj& Make(DS_BaseSpriteProp& item) {
    PlaceInLowerMiddle(item);
    srand(1);
    array_ = std::make_unique<DS_SpriteArrayObj>(item.Clone());
    return *array_;
  }
  DS_Sprite& First() { return *array_->Sprites().front(); }
  // Steps of dt application seconds (speed 50: dt clock units), calling check after each.
  void Run(int steps, float dt, const std::function<void(const DS_Sprite&)>& check) {
    for (int i = 0; i < steps; ++i) {
      t_ += dt;
      array_->Update(t_);
      for (const auto& s : array_->Sprites()) check(*s);
      if (HasFatalFailure() || HasFailure()) return;
    }
  }

  std::unique_ptr<DS_SpriteArrayObj> array_;
  float t_ = 0.0f;
};

TEST_F(EmitterMotion, FirstDrawsOfEveryEmitter) {
  struct Case {
    const char* name;
    std::function<DS_BaseSpriteProp*()> make;
    std::function<void(const DS_Sprite&)> check;
  };
  const Case cases[] = {
      {"fish", [] { return new DS_FishConstructor; },
       [](const DS_Sprite& s) {
         EXPECT_NEAR(s.velocity.x, -80 + R(2) * 160, 1e-3);  // -49.07: moving left...
         EXPECT_NEAR(s.velocity.y, -50 + R(3) * 100, 1e-3);
         EXPECT_NEAR(s.position.x, 200 + R(4) * 400, 1e-3);
         EXPECT_NEAR(s.position.y, 300 + R(5) * 300, 1e-3);
         EXPECT_EQ(s.halfWidth, -16.0f);  // ...so drawn mirrored
         EXPECT_EQ(s.alphaSpeed, -0.0f);
         EXPECT_EQ(s.colour, 0xFFFFFFFFu);
       }},
      {"ghost", [] { return new DS_GhostConstructor; },
       [](const DS_Sprite& s) {
         EXPECT_NEAR(s.position.y, 300 + R(5) * 300, 1e-3);
         EXPECT_NEAR(s.alphaPhase, R(6), 1e-6);
         EXPECT_NEAR(s.alphaSpeed, -0.66f, 1e-6);  // draw 1 is odd
       }},
      {"fog", [] { return new DS_FogConstructor; },
       [](const DS_Sprite& s) {
         EXPECT_NEAR(s.position.x, 200 + R(2) * 400, 1e-3);
         EXPECT_NEAR(s.position.y, 300 + R(3) * 300, 1e-3);
         EXPECT_NEAR(s.velocity.x, -40 + R(4) * 80, 1e-3);
         EXPECT_NEAR(s.velocity.y, -40 + R(5) * 80, 1e-3);
         EXPECT_NEAR(s.alphaPhase, R(6), 1e-6);
         EXPECT_NEAR(std::atan2(s.spin._12, s.spin._11), R(7) * 0.008 - 0.004, 1e-6);
       }},
      {"flow", [] { return new DS_FlowConstructor; },
       [](const DS_Sprite& s) {
         EXPECT_NEAR(s.velocity.z, R(2) * 2 - 1, 1e-6);
         EXPECT_NEAR(s.position.x, 200 + R(3) * 400, 1e-3);
         EXPECT_NEAR(s.position.y, 300 + R(4) * 300, 1e-3);
       }},
      {"rain", [] { return new DS_RainConstructor; },
       [](const DS_Sprite& s) {
         EXPECT_NEAR(s.sizeFactor, 0.5f + R(0) * 0.5f, 1e-6);
         EXPECT_NEAR(s.alphaPhase, R(5), 1e-6);
         // Turned along the fall and back a quarter: upright.
         EXPECT_NEAR(s.xAxis.x, 1.0f, 1e-5);
         EXPECT_NEAR(s.xAxis.y, 0.0f, 1e-5);
         EXPECT_NEAR(s.yAxis.y, 1.0f, 1e-5);
       }},
      {"grass", [] { return new DS_GrassConstructor; },
       [](const DS_Sprite& s) {
         EXPECT_NEAR(s.position.x, 200 + R(2) * 400, 1e-3);
         EXPECT_EQ(s.velocity.z, s.position.x);
         EXPECT_EQ(s.position.y, 600.0f - 16.0f);
         EXPECT_NEAR(s.velocity.y, R(3) * 1.5707964f, 1e-6);
         EXPECT_EQ(s.xAxis.x, -1.0f);  // draw 4 is odd
       }},
      {"sparkle", [] { return new DS_SparkleConstructor; },
       [](const DS_Sprite& s) {
         EXPECT_NEAR(s.velocity.x, R(2) * 50 - 25, 1e-4);
         EXPECT_NEAR(s.velocity.y, R(3) * 50 - 25, 1e-4);
         EXPECT_NEAR(s.position.x, 200 + R(4) * 400, 1e-3);
         EXPECT_NEAR(s.alphaPhase, R(6), 1e-6);
       }},
      {"god ray", [] { return new DS_GodRayConstructor; },
       [](const DS_Sprite& s) {
         EXPECT_NEAR(s.position.x, 200 + R(2) * 400, 1e-3);
         EXPECT_EQ(s.position.y, 150.0f);  // (B - T) / 2 from the picture's top
         EXPECT_NEAR(s.velocity.x, R(3) * 20 - 10, 1e-4);
         EXPECT_NEAR(s.alphaPhase, R(4), 1e-6);
         EXPECT_EQ(s.halfWidth, 16.0f);
         EXPECT_EQ(s.halfHeight, 300.0f);
       }},
      {"lightning", [] { return new DS_LightingConstructor; },
       [](const DS_Sprite& s) {
         EXPECT_NEAR(s.position.x, 216 + R(2) * 368, 1e-3);
         EXPECT_NEAR(s.position.y, 316 + R(3) * 268, 1e-3);
         const float tilt = R(4) * 0.78539819f - 0.39269909f;
         EXPECT_NEAR(s.xAxis.x, std::cos(tilt), 1e-5);  // draw 5 is even: not mirrored
         EXPECT_NEAR(s.xAxis.y, std::sin(tilt), 1e-5);
         EXPECT_EQ(s.alphaPhase, 0.0f);  // starts dark
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<DS_BaseSpriteProp> item(c.make());
    Make(*item);
    ASSERT_EQ(array_->Sprites().size(), 1u);
    c.check(First());
  }
}

TEST_F(EmitterMotion, FishLeaveTheAreaBeforeTheyTurnAndFaceTheirWay) {
  DS_FishConstructor item;
  item.count.Assign(20);
  item.speed.Assign(500);
  Make(item);
  const DS_BaseSpriteProp& e = array_->Emitter();
  Run(400, 0.05f, [&](const DS_Sprite& s) {
    if (s.velocity.x != 0.0f) ASSERT_EQ(s.halfWidth < 0, s.velocity.x < 0);
    const float reach = 2 * std::fabs(s.halfWidth) + 80 * e.frameStep;
    ASSERT_GT(s.position.x, e.LeftPixels() - reach);
    ASSERT_LT(s.position.x, e.RightPixels() + reach);
    // A course change right after a bounce may carry a fish one more step out.
    const float vReach = 2 * 50 * e.frameStep + 1;
    ASSERT_GT(s.position.y - s.halfHeight, e.TopPixels() - vReach);
    ASSERT_LT(s.position.y + s.halfHeight, e.BottomPixels() + vReach);
  });
  // Speed 0: nothing moves, but course changes still come every second of application time.
  array_->Emitter().speed.Assign(0);
  const D3DXVECTOR3 at = First().position;
  const D3DXVECTOR3 velocity = First().velocity;
  bool changed = false;
  Run(100, 0.1f, [&](const DS_Sprite&) {});
  for (const auto& s : array_->Sprites()) changed |= s->velocity != D3DXVECTOR3(velocity);
  EXPECT_EQ(First().position, at);
  EXPECT_TRUE(changed);
}

TEST_F(EmitterMotion, BirdsKeepTheirSpeedUp) {
  DS_BirdConstructor item;
  item.count.Assign(10);
  Make(item);
  auto& bird = static_cast<DS_BirdConstructor&>(array_->Emitter());
  // Hand-worked: vy -10 with maximum 50 turns to 35 - 4.2857; vx 20 of 80 to 56..80.
  DS_Sprite s = First();
  s.position = D3DXVECTOR3(400, 450, 0);
  s.velocity = D3DXVECTOR3(20, -10, 0);
  s.lastChange = 1e9f;
  bird.UpdateSprite(s);
  EXPECT_NEAR(s.velocity.y, 30.714f, 1e-3);
  EXPECT_GE(s.velocity.x, 56.0f);
  EXPECT_LE(s.velocity.x, 80.0f);
  s.velocity = D3DXVECTOR3(-20, 0, 0);
  bird.UpdateSprite(s);
  EXPECT_LE(s.velocity.x, -56.0f);
  EXPECT_GE(s.velocity.x, -80.0f);

  Run(300, 0.05f, [&](const DS_Sprite& b) {
    ASSERT_GE(std::fabs(b.velocity.x), 56.0f - 1e-3f);
    ASSERT_GE(std::fabs(b.velocity.y), 20.0f - 1e-3f);
    ASSERT_LE(std::fabs(b.velocity.y), 50.0f);
  });
}

// Breathing alpha stays inside its bounds; the emitters that respawn place the sprite anew
// when it fades below the lower bound.
TEST_F(EmitterMotion, AlphaStaysInsideItsRangeAndRespawns) {
  struct Case {
    const char* name;
    std::function<DS_BaseSpriteProp*()> make;
  };
  const Case cases[] = {
      {"ghost", [] { return new DS_GhostConstructor; }},
      {"fog", [] { auto* e = new DS_FogConstructor; e->alphaSpeed = 0.5f; return e; }},
      {"rain", [] { auto* e = new DS_RainConstructor; e->alphaSpeed = 0.8f; return e; }},
      {"sparkle", [] { auto* e = new DS_SparkleConstructor; e->alphaSpeed = 0.9f; return e; }},
      {"god ray", [] { auto* e = new DS_GodRayConstructor; e->alphaSpeed = 0.7f; e->phaseMin = 0.1f; return e; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<DS_BaseSpriteProp> item(c.make());
    item->count.Assign(8);
    Make(*item);
    const DS_BaseSpriteProp& e = array_->Emitter();
    int turnsAtMin = 0;
    Run(400, 0.05f, [&](const DS_Sprite& s) {
      ASSERT_GE(s.alphaPhase, e.phaseMin);
      ASSERT_LE(s.alphaPhase, e.phaseMax);
      ASSERT_EQ(s.colour >> 24, uint32_t(int64_t(float(e.MaxAlpha()) * s.alphaPhase)) & 0xFF);
      turnsAtMin += s.alphaPhase == e.phaseMin;
    });
    EXPECT_GT(turnsAtMin, 0);
  }
}

TEST_F(EmitterMotion, GhostsReappearElsewhereWhenTheyFadeOut) {
  DS_GhostConstructor item;
  Make(item);
  DS_Sprite& s = First();
  s.alphaPhase = 0.01f;
  s.alphaSpeed = -0.66f;
  const D3DXVECTOR3 before = s.position;
  array_->Update(0.1f);
  EXPECT_EQ(s.alphaPhase, 0.0f);
  EXPECT_NEAR(s.alphaSpeed, 0.66f, 1e-6);  // rises again
  EXPECT_NE(s.position, before);
}

TEST_F(EmitterMotion, FogCentresStayInTheAreaWhileThePuffsSpin) {
  DS_FogConstructor item;
  item.count.Assign(12);
  item.speed.Assign(400);
  Make(item);
  const DS_BaseSpriteProp& e = array_->Emitter();
  Run(400, 0.05f, [&](const DS_Sprite& s) {
    const float reach = 40 * e.frameStep;
    ASSERT_GE(s.position.x, e.LeftPixels() - reach);
    ASSERT_LE(s.position.x, e.RightPixels() + reach);
    ASSERT_GE(s.position.y, e.TopPixels() - reach);
    ASSERT_LE(s.position.y, e.BottomPixels() + reach);
    ASSERT_NEAR(D3DXVec3Length(&s.xAxis), 1.0f, 1e-3f);
  });
  // A puff without spin never turns.
  DS_Sprite& s = First();
  D3DXMatrixIdentity(&s.spin);
  const D3DXVECTOR3 axis = s.xAxis;
  array_->Update(t_ + 0.05f);
  EXPECT_EQ(s.xAxis, axis);
}

TEST_F(EmitterMotion, FlowsMoveAlongTheirDirection) {
  struct Case {
    unsigned direction;
    float vx, vy;
  };
  const Case cases[] = {{0, 100, 0}, {90, 0, -100}, {180, -100, 0}, {270, 0, 100}};
  for (const Case& c : cases) {
    DS_FlowConstructor item;
    item.direction.Assign(c.direction);
    item.flowSpeed = 100.0f;
    item.leftFraction = 0.0f, item.rightFraction = 1.0f, item.topFraction = 0.0f, item.bottomFraction = 1.0f;
    srand(1);
    DS_SpriteArrayObj array(item.Clone());
    DS_Sprite& s = *array.Sprites().front();
    s.position = D3DXVECTOR3(400, 300, 0);
    array.Update(0.1f);  // 0.1 clock units
    EXPECT_NEAR(s.position.x, 400 + c.vx * 0.1f, 1e-3) << c.direction;
    EXPECT_NEAR(s.position.y, 300 + c.vy * 0.1f, 1e-3) << c.direction;
  }
}

TEST_F(EmitterMotion, FlowsReEnterAWholePictureAndBounceInsideASmallerArea) {
  // The whole picture: a sprite wholly past the right edge comes back from the left.
  DS_FlowConstructor item;
  item.flowSpeed = 300.0f;
  item.lateralSpeed.SetValue(10);
  item.changeRate.SetValue(8);
  item.count.Assign(10);
  item.speed.Assign(200);
  item.rightFraction = 1.0f, item.leftFraction = 0.0f, item.topFraction = 0.0f, item.bottomFraction = 1.0f;
  srand(1);
  array_ = std::make_unique<DS_SpriteArrayObj>(item.Clone());
  DS_Sprite& s = First();
  s.position = D3DXVECTOR3(800 + 17, 100, 0);
  s.velocity.z = 0.0f;
  array_->Update(0.01f);
  EXPECT_LT(s.position.x, 0.0f);  // moved left by 800 + 2 x 16
  EXPECT_GE(s.position.y, 0.0f);
  const DS_BaseSpriteProp& e = array_->Emitter();
  Run(400, 0.05f, [&](const DS_Sprite& p) {
    const float reach = 2 * 16 + 330 * e.frameStep;
    ASSERT_GT(p.position.x, -reach);
    ASSERT_LT(p.position.x, 800 + reach);
    ASSERT_GT(p.position.y, -reach);
    ASSERT_LT(p.position.y, 600 + reach);
  });

  // The lower half: a sprite reaching the bottom is put back inside and moves up at the same
  // speed; a bounce at the top then cancels the impulse.
  DS_FlowConstructor down;
  down.direction.Assign(270);
  down.flowSpeed = 100.0f;
  down.topFraction = 0.5f;
  srand(1);
  DS_SpriteArrayObj lower(down.Clone());
  DS_Sprite& d = *lower.Sprites().front();
  d.position = D3DXVECTOR3(400, 580, 0);
  lower.Update(0.1f);
  EXPECT_NEAR(d.position.y, 600 - 16 - 1, 1e-3);
  EXPECT_NEAR(d.impulse.y, -200.0f, 1e-3);
  lower.Update(0.2f);
  EXPECT_NEAR(d.position.y, 583 - 10, 1e-3);
  d.position.y = 320;
  lower.Update(0.3f);
  EXPECT_NEAR(d.position.y, 300 + 16 + 1, 1e-3);
  EXPECT_NEAR(d.impulse.y, 0.0f, 1e-3);
  lower.Update(0.4f);
  EXPECT_NEAR(d.position.y, 317 + 10, 1e-3);
}

TEST_F(EmitterMotion, GrassSwaysAboutItsRoots) {
  DS_GrassConstructor item;
  item.count.Assign(15);
  item.speed.Assign(200);
  Make(item);
  std::vector<float> mirrors;
  for (const auto& s : array_->Sprites()) mirrors.push_back(s->xAxis.x);
  const float limit = std::tan(3.0f * 3.1415927f / 180.0f);
  Run(300, 0.05f, [&](const DS_Sprite& s) {
    const float q = s.yAxis.x;
    ASSERT_LE(std::fabs(q), limit + 1e-5f);
    ASSERT_NEAR(s.position.x + s.halfHeight * q, s.velocity.z, 1e-3);  // lower edge on its root
    ASSERT_EQ(s.position.y + s.halfHeight, 600.0f);
  });
  size_t i = 0;
  for (const auto& s : array_->Sprites()) EXPECT_EQ(s->xAxis.x, mirrors[i++]);
}

TEST_F(EmitterMotion, PlacedSpritesFitTheirRectangleAndFlowersSwayInStep) {
  struct Case {
    unsigned rotation;
    int left, right, top, bottom;
  };
  // Half extents 20 by 10 at (300, 200). Turned by 90 degrees the single-precision cosine
  // is not exactly 0, so the truncated left and top edges may come out a pixel low.
  const Case cases[] = {{0, 280, 320, 190, 210}, {90, 290, 310, 180, 220}};
  for (const Case& c : cases) {
    DS_StatObjConstructor e;
    e.size.Assign(40);
    e.placement.x.Value() = 300;
    e.placement.y.Value() = 200;
    e.rotation.Assign(c.rotation);
    DS_Sprite s;
    s.aspect = 0.5f;
    e.PlaceSprite(s);
    EXPECT_NEAR(e.placement.left.Value(), c.left, 1) << c.rotation;
    EXPECT_EQ(e.placement.right.Value(), c.right) << c.rotation;
    EXPECT_NEAR(e.placement.top.Value(), c.top, 1) << c.rotation;
    EXPECT_EQ(e.placement.bottom.Value(), c.bottom) << c.rotation;
    if (c.rotation == 90) {
      EXPECT_NEAR(s.xAxis.y, -1.0f, 1e-6);  // x axis up on the screen
      EXPECT_NEAR(s.yAxis.x, 1.0f, 1e-6);   // y axis to the right
    }
  }

  DS_FlowerConstructor flower;
  flower.count.Assign(4);
  Make(flower);
  Run(200, 0.05f, [&](const DS_Sprite& s) {
    ASSERT_EQ(s.yAxis.x, First().yAxis.x);
    ASSERT_LE(std::fabs(s.yAxis.x), std::tan(1.5f * 3.1415927f / 180.0f) + 1e-5f);
  });
}

TEST_F(EmitterMotion, GodRaysAreShearedByTheirAngle) {
  const std::pair<unsigned, float> cases[] = {{80, -0.1763f}, {90, 0.0f}, {100, 0.1763f}, {260, -0.1763f}};
  for (auto [angle, q] : cases) {
    DS_GodRayConstructor e;
    e.angle.Assign(angle);
    DS_Sprite s;
    e.ShapeRay(s);
    EXPECT_NEAR(s.yAxis.x, q, 1e-4) << angle;
    EXPECT_EQ(s.yAxis.y, 1.0f);
    EXPECT_EQ(s.xAxis, D3DXVECTOR3(1, 0, 0));
  }
  // Drift changes come at most every 0.25 clock units (steps of 0.05), not counting the new
  // drift of a ray that fades out and starts again elsewhere.
  DS_GodRayConstructor item;
  item.count.Assign(5);
  item.alphaSpeed = 0.2f;
  Make(item);
  const DS_BaseSpriteProp& e = array_->Emitter();
  std::vector<float> drift, lastChange;
  for (const auto& s : array_->Sprites()) drift.push_back(s->velocity.x), lastChange.push_back(e.clock);
  int changes = 0;
  for (int step = 0; step < 200; ++step) {
    t_ += 0.05f;
    array_->Update(t_);
    size_t i = 0;
    for (const auto& s : array_->Sprites()) {
      ASSERT_LE(std::fabs(s->velocity.x), 10.0f);
      ASSERT_EQ(s->position.y, 150.0f);
      const bool respawned = s->alphaPhase == e.phaseMin;
      if (s->velocity.x != drift[i] && !respawned) {
        ASSERT_GT(e.clock - lastChange[i], 0.25f - 1e-4f) << "ray " << i << " at clock " << e.clock;
        lastChange[i] = e.clock;
        ++changes;
      }
      drift[i++] = s->velocity.x;
    }
  }
  EXPECT_GT(changes, 20) << "the drift changes now and then";
}

TEST_F(EmitterMotion, LightningStrikesFadesAndWaits) {
  DS_LightingConstructor item;
  item.count.Assign(3);
  Make(item);
  const DS_BaseSpriteProp& e = array_->Emitter();
  std::vector<float> before;
  int strikes = 0, fades = 0;
  for (int i = 0; i < 400; ++i) {
    before.clear();
    for (const auto& s : array_->Sprites()) before.push_back(s->alphaPhase);
    t_ += 0.05f;  // a clock step of 0.05
    array_->Update(t_);
    size_t k = 0;
    for (const auto& s : array_->Sprites()) {
      const float was = before[k++], now = s->alphaPhase;
      if (was == 0.0f) {
        ASSERT_TRUE(now == 0.0f || now == 1.0f);
        strikes += now == 1.0f;
      } else if (now != 1.0f) {
        ASSERT_NEAR(now, std::max(0.0f, was - 0.3f), 1e-5);  // 1.0, 0.7, 0.4, 0.1, 0
        fades += now == 0.0f;
      }
      ASSERT_EQ(s->colour >> 24, uint32_t(int64_t(255.0f * now)) & 0xFF);
      if (now == 1.0f && was == 0.0f) {
        ASSERT_GE(s->position.x - 16, e.LeftPixels() - 1e-3f);
        ASSERT_LE(s->position.x + 16, e.RightPixels() + 1e-3f);
      }
    }
  }
  EXPECT_GT(strikes, 3);
  EXPECT_GT(fades, 3);
}

}  // namespace
