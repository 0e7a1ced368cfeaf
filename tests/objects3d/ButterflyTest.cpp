// The butterfly's flight from a restarted generator and an injected application time: its
// start draws, the eased values, the turns at the edges of its rectangle, bank, pitch, the
// wings' beat and mirror, the rhythm of its random decisions, and its record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "objects/DS_ButterflyConstructor.h"
#include "objects/DegreeMatrices.h"
#include "tests/objects3d/Objects3DFixture.h"
#include "tests/support/RecordBytes.h"

namespace {

AC_Butterfly& Flight(const DS_FrameTree& root) { return *static_cast<AC_Butterfly*>(root->animator.get()); }

class Butterfly : public Objects3DFixture {
 protected:
  // One butterfly in the middle area, not moving: the frame step is 0 and so is the clock.
  struct Still {
    Still() {
      PlaceInMiddle(owner);
      root = owner.BuildFrames();
    }
    AC_Butterfly& flight() { return Flight(root); }
    void Apply() { root->UpdateWorld(nullptr); }
    DS_ButterflyConstructor owner;
    DS_FrameTree root;
  };
};

TEST_F(Butterfly, EachInstanceDrawsItsPointAndThenItsHeading) {
  DS_ButterflyConstructor item;
  PlaceInMiddle(item);
  item.count.Assign(3);
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(item.CreateObject()));

  ds_rand_restart();
  for (const DS_FrameTree& root : object->Instances()) {
    const float x = RandomFloat(200.0f, 600.0f);
    const float y = RandomFloat(150.0f, 450.0f);
    const float heading = RandomFloat(0.0f, 360.0f);
    const AC_Butterfly& b = Flight(root);
    EXPECT_FLOAT_EQ(b.position.x, x);
    EXPECT_FLOAT_EQ(b.position.y, y);
    EXPECT_EQ(b.position.z, 0.0f);
    EXPECT_FLOAT_EQ(b.heading.value, heading);
    EXPECT_FLOAT_EQ(b.heading.target, heading);
  }
}

TEST_F(Butterfly, EasedValuesStopAtTheirTargetAndKeepTheirRateForRateZero) {
  struct Case {
    DS_EasedValue start;
    float target, rate, dt;
    float value, storedRate;
  };
  const Case cases[] = {
      {{0, 0, 1}, 10, 100, 1.0f, 10, 100},     // would pass the target: stops on it
      {{0, 0, 1}, -10, 100, 1.0f, -10, -100},  // below: the rate turns negative
      {{0, 0, 1}, 10, 4, 1.0f, 4, 4},          // on its way
      {{0, 0, 50}, -5, 0, 0.05f, -2.5f, -50},  // rate 0 keeps the magnitude, pointed down
      {{5, 0, 50}, 5, 0, 1.0f, 5, -50},        // at the target already: no step
  };
  for (const Case& c : cases) {
    DS_EasedValue v = c.start;
    v.SetTarget(c.target, c.rate);
    EXPECT_EQ(v.rate, c.storedRate);
    v.Step(c.dt);
    EXPECT_FLOAT_EQ(v.value, c.value) << c.target << " " << c.rate;
  }
  DS_EasedValue still{3, 3, 0};
  still.Step(1.0f);
  EXPECT_EQ(still.value, 3.0f);
}

TEST_F(Butterfly, LeavingTheRectangleTurnsItBack) {
  // The rectangle is 200..600 x 150..450.
  struct Case {
    float x, y;
    int wantedMode;
    float verticalTarget, headingTarget, headingRate, forwardTarget;
  };
  const Case cases[] = {
      {400, 100, AC_Butterfly::kGliding, 100, 90, 350, 50},     // above: down, wings held up
      {400, 500, AC_Butterfly::kFullBeat, -190, 90, 350, 50},   // below: up
      {150, 300, AC_Butterfly::kFullBeat, 50, 0, -350, 300},    // left: round to 0, fast
      {650, 300, AC_Butterfly::kFullBeat, 50, -180, -350, 300}, // right: round to -180
      {150, 100, AC_Butterfly::kGliding, 100, 0, -350, 300},    // both at once
      {400, 300, AC_Butterfly::kFullBeat, 50, 90, 350, 50},     // inside: nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    Still s;
    AC_Butterfly& b = s.flight();
    b.heading = {90, 90, 350};
    b.position = {c.x, c.y, 0};
    b.KeepInsideRect();
    EXPECT_EQ(b.wantedMode, c.wantedMode);
    EXPECT_EQ(b.verticalSpeed.target, c.verticalTarget);
    EXPECT_EQ(b.heading.target, c.headingTarget);
    EXPECT_EQ(b.heading.rate, c.headingRate);
    EXPECT_EQ(b.forwardSpeed.target, c.forwardTarget);
  }
}

TEST_F(Butterfly, ATurnWithMoreThanFiveDegreesToGoBanksTowardsItAndTheBankReturns) {
  struct Case {
    float heading, target, bankValue, bankTarget;
    float expectedBankTarget;
  };
  const Case cases[] = {
      {0, 90, 0, 0, 25},      // turning up the scale: bank 25
      {90, 0, 0, 0, -25},     // turning down: -25
      {0, 4, 10, 10, 0},      // little to go; a bank on its target returns to 0
      {0, 4, 10, 25, 25},     // little to go; a bank on its way keeps its target
  };
  for (const Case& c : cases) {
    Still s;
    AC_Butterfly& b = s.flight();
    b.heading = {c.heading, c.target, 350};
    b.bank = {c.bankValue, c.bankTarget, 50};
    s.Apply();
    EXPECT_EQ(b.bank.target, c.expectedBankTarget) << c.heading << " -> " << c.target;
  }
}

TEST_F(Butterfly, BelowSpeed100TheBodyPitchesUpTo15Degrees) {
  // Heading 0, no bank: the pitch turns the wings' axis (model x) about the flight axis.
  auto wingAxis = [](float forward) {
    Still s;
    AC_Butterfly& b = s.flight();
    b.heading = {0, 0, 350};
    b.forwardSpeed = {forward, forward, 350};
    s.Apply();
    D3DXMATRIX turn = s.root->world;
    turn._41 = turn._42 = turn._43 = 0.0f;
    return Place(turn, {1, 0, 0});
  };
  const D3DXVECTOR3 level = wingAxis(100);
  const struct {
    float forward, pitch;
  } cases[] = {{0, 15}, {50, 7.5f}, {-25, 18.75f}, {100, 0}, {300, 0}};
  for (const auto& c : cases) EXPECT_NEAR(AngleBetween(wingAxis(c.forward), level), c.pitch, 0.05f) << c.forward;
}

TEST_F(Butterfly, Wing2MirrorsWing1AndTheirFlagsAreNeverBothSet) {
  DS_ButterflyConstructor item;
  PlaceInMiddle(item);
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(item.CreateObject()));
  const DS_FrameTree& root = object->Instances().front();
  DS_Frame* wing1 = root->children.front();
  DS_Frame* wing2 = root->children.back();
  const D3DXMATRIX mirror = ScalingMatrix(-1, 1, 1);
  for (int i = 1; i <= 400; ++i) {
    object->Update(0.03f * float(i));
    const AC_Butterfly& b = Flight(root);
    ASSERT_TRUE(SameMatrix(static_cast<AC_ButterflyWing*>(wing2->animator.get())->wing,
                           static_cast<AC_ButterflyWing*>(wing1->animator.get())->wing * mirror));
    ASSERT_FALSE(wing1->winding && wing2->winding) << "frame " << i;
    EXPECT_EQ(wing1->winding, b.wingAngle > 0 ? 1 : 0);
    // The wing's world is its local matrix and beat within the body's world.
    ASSERT_TRUE(SameMatrix(wing1->world, wing1->local * static_cast<AC_ButterflyWing*>(wing1->animator.get())->wing *
                                             root->world, 1e-3f));
  }
}

TEST_F(Butterfly, WingsBeatBetweenTheirBoundsAndFoldUpWhileGliding) {
  // 30 frames a second for a minute: in the full beat the angle swings between about -55
  // and +55 (one step past a bound at most) and keeps changing direction; gliding holds the
  // wings above the body. (Redrawing the beat's rate in every frame would spin them round.)
  DS_ButterflyConstructor item;
  PlaceInMiddle(item);
  item.count.Assign(3);
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(item.CreateObject()));
  const float step = 1.0f / 30.0f, overshoot = step * 7.0f * 160.0f;
  std::vector<int> turns(3, 0), glides(3, 0);
  std::vector<float> last(3, 0.0f), direction(3, 0.0f);
  for (int i = 1; i <= 1800; ++i) {
    object->Update(step * float(i));
    int k = 0;
    for (const DS_FrameTree& root : object->Instances()) {
      const AC_Butterfly& b = Flight(root);
      ASSERT_LE(b.wingAngle, 55.0f + overshoot);
      ASSERT_GE(b.wingAngle, -55.0f - overshoot);
      if (b.flightMode == AC_Butterfly::kGliding) {
        ++glides[k];
        ASSERT_LE(b.wingAngle, 0.0f);
      }
      const float d = b.wingAngle - last[k];
      if (d * direction[k] < 0.0f) ++turns[k];
      if (d != 0.0f) direction[k] = d;
      last[k] = b.wingAngle;
      ++k;
    }
  }
  for (int k = 0; k < 3; ++k) {
    EXPECT_GT(turns[k], 100) << "butterfly " << k << " does not beat";
    EXPECT_GT(glides[k], 0) << "butterfly " << k << " never glides";
  }
}

TEST_F(Butterfly, DecisionsComeAtMostEveryQuarterSecondOfItsClockAndNoneAtSpeedZero) {
  for (unsigned speed : {50u, 100u, 0u}) {
    SCOPED_TRACE(speed);
    ds_rand_restart();
    DS_ButterflyConstructor item;
    PlaceInMiddle(item);
    item.speed.Assign(speed);
    std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(item.CreateObject()));
    const AC_Butterfly& b = Flight(object->Instances().front());
    std::vector<float> decisions;
    for (int i = 1; i <= 600; ++i) {
      object->Update(0.02f * float(i));
      if (b.lastRetargetTime != (decisions.empty() ? 0.0f : decisions.back())) decisions.push_back(b.lastRetargetTime);
    }
    for (size_t i = 1; i < decisions.size(); ++i) EXPECT_GT(decisions[i] - decisions[i - 1], 0.25f);
    if (speed == 0) {
      EXPECT_TRUE(decisions.empty());
      // Nothing drawn after the start: the generator is where three start draws left it.
      const int next = ds_rand();
      ds_rand_restart();
      for (int i = 0; i < 3; ++i) ds_rand();
      EXPECT_EQ(next, ds_rand());
    } else {
      EXPECT_GT(decisions.size(), size_t(12 * speed / 50 / 2)) << "too few decisions in 12 s";
    }
  }
}

// The generator restarted and moved on to just before its next draw that leaves k modulo 5.
void RestartBeforeDecision(int k) {
  ds_rand_restart();
  int skip = 0;
  while (ds_rand() % 5 != k) ++skip;
  ds_rand_restart();
  for (int i = 0; i < skip; ++i) ds_rand();
}

TEST_F(Butterfly, ADecisionDrawsItsChoiceAndThenItsValuesInOrder) {
  // Each decision from the same start (level flight at 50, heading 90), with the draws the
  // choice k makes after it, replayed from the same point of the generator.
  struct Case {
    int k;
    bool headingOnTarget;
  };
  const Case cases[] = {{0, true}, {1, true}, {2, true}, {3, true}, {4, true}, {3, false}, {4, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "k " << c.k << (c.headingOnTarget ? "" : ", still turning"));
    Still s;
    AC_Butterfly& b = s.flight();
    b.heading = {90, c.headingOnTarget ? 90.0f : 120.0f, 350};
    RestartBeforeDecision(c.k);
    b.ChooseFlightMode(0.3f);
    const int next = ds_rand();

    RestartBeforeDecision(c.k);
    ASSERT_EQ(ds_rand() % 5, c.k);
    EXPECT_EQ(b.lastRetargetTime, 0.3f);
    switch (c.k) {
      case 0:  // climb
        EXPECT_EQ(b.wantedMode, AC_Butterfly::kFullBeat);
        EXPECT_EQ(b.verticalSpeed.target, RandomFloat(-190, 0));
        EXPECT_EQ(b.verticalSpeed.rate, -250.0f);
        break;
      case 1:  // sink
        EXPECT_EQ(b.wantedMode, AC_Butterfly::kGliding);
        EXPECT_EQ(b.verticalSpeed.target, RandomFloat(100, 150));
        EXPECT_EQ(b.verticalSpeed.rate, 250.0f);
        break;
      case 2:
        EXPECT_EQ(b.wantedMode, AC_Butterfly::kFullBeat);
        EXPECT_EQ(b.forwardSpeed.target, RandomFloat(-25, 300));
        break;
      default:
        if (c.headingOnTarget) {
          const bool round = ds_rand() % 2 == 0;
          const float rate = RandomFloat(50, 350);
          const float target = round ? RandomFloat(155, 205) : RandomFloat(-25, 25);
          EXPECT_EQ(b.heading.target, target);
          EXPECT_EQ(b.heading.rate, target > 90.0f ? rate : -rate);
        } else {
          EXPECT_EQ(b.heading.target, 120.0f) << "a turn in progress is not replaced";
        }
        EXPECT_EQ(b.verticalSpeed.target, 50.0f);
        EXPECT_EQ(b.forwardSpeed.target, 50.0f);
        break;
    }
    EXPECT_EQ(next, ds_rand()) << "more or fewer draws than the decision makes";
  }

  // A quarter of a second exactly is not yet more than a quarter: nothing is drawn.
  Still s;
  s.flight().lastRetargetTime = 1.0f;
  ds_rand_restart();
  s.flight().ChooseFlightMode(1.25f);
  EXPECT_EQ(s.flight().lastRetargetTime, 1.0f);
  EXPECT_EQ(ds_rand(), 41);
}

TEST_F(Butterfly, APendingChangeOfFlightModeWaitsForTheWingsAndBlocksDecisions) {
  // Clock 10, long after the last decision: none is taken while the wanted mode differs.
  struct Case {
    int flightMode, wantedMode;
    float wingAngle, forward;
    int newMode;
    float upperBound;
    bool drawsRate;   // the new rate is Random(-160, forward / 3 - 50)
    float wingRate;   // otherwise
  };
  const Case cases[] = {
      {0, 1, -20, 50, 0, 0, false, 100},  // folding: the beat turns down at 0
      {0, 1, -30, 50, 1, 0, false, -1},   // folded past -27.5: gliding, rate -|100| / 100
      {1, 0, -40, 50, 0, 55, true, 0},    // back to the full beat at speed 50
      {1, 0, -40, 10, 0, 55, false, 160}, // ... at speed 20 or less
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.flightMode << " -> " << c.wantedMode << " at " << c.wingAngle);
    Still s;
    AC_Butterfly& b = s.flight();
    b.flightMode = c.flightMode;
    b.wantedMode = c.wantedMode;
    b.wingAngle = c.wingAngle;
    b.wingRate = 100;
    b.forwardSpeed = {c.forward, c.forward, 350};
    ds_rand_restart();
    b.ChooseFlightMode(10.0f);
    const int next = ds_rand();

    ds_rand_restart();
    EXPECT_EQ(b.lastRetargetTime, 0.0f) << "a decision was taken";
    EXPECT_EQ(b.flightMode, c.newMode);
    EXPECT_EQ(b.wingUpperBound, c.upperBound);
    EXPECT_EQ(b.wingRate, c.drawsRate ? RandomFloat(-160, c.forward / 3 - 50) : c.wingRate);
    EXPECT_EQ(next, ds_rand());
  }
}

TEST_F(Butterfly, ButterfliesStayNearTheirRectangle) {
  // Turned back at the edges, a butterfly overshoots by its turn. Over 40 starts of the
  // generator the worst was 102 pixels at 30 frames a second and 240 at the longest step
  // (0.2 s), where a random sink may follow the turn upwards before the next frame.
  const struct {
    float step, margin;
  } cases[] = {{1.0f / 30.0f, 120.0f}, {0.2f, 260.0f}};
  for (const auto& [step, margin] : cases) {
    SCOPED_TRACE(step);
    ds_rand_restart();
    DS_ButterflyConstructor item;
    PlaceInMiddle(item);
    item.count.Assign(6);
    std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(item.CreateObject()));
    float worst = 0.0f;
    for (int i = 1; i <= int(120.0f / step); ++i) {
      object->Update(step * float(i));
      for (const DS_FrameTree& root : object->Instances()) {
        const D3DXVECTOR3 p = Place(root->world, {0, 0, 0});
        worst = std::max({worst, 200.0f - p.x, p.x - 600.0f, 150.0f - p.y, p.y - 450.0f});
      }
    }
    EXPECT_LT(worst, margin);
    EXPECT_GT(worst, 0.0f) << "never reached an edge";
  }
}

TEST_F(Butterfly, SizeScalesTheModelAndItsPlace) {
  Still s;
  s.Apply();
  const D3DXMATRIX at100 = s.root->world;
  s.owner.size.SetValue(50);
  s.Apply();
  EXPECT_TRUE(SameMatrix(s.root->world, at100 * ScalingMatrix(0.5f, 0.5f, 0.5f), 1e-3f));
}

// ---- Record --------------------------------------------------------------------------------------

RecordBytes ButterflyRecord(int32_t version) {
  return WriteBytes([&](DS_IOF_Holder s) {
           WriteRecordHeader(s, RecordId{L"DS_ButterflyConstructor", version});
           s->WriteString(L"body.png");
           s->WriteInt64(11);
           s->WriteString(L"body.x");
           s->WriteInt64(12);
           s->WriteUInt(30);
           s->WriteUInt(70);
           if (version > 1) s->WriteFloat(1.5f);
         }) +
         ObjectRecordTail(4, 80, {L"wing.png", 13}, {L"wing.x", 14}, L"flutter");
}

TEST_F(Butterfly, RecordsOfBothVersionsAreReadAndTheNewestWritten) {
  for (int32_t version : {1, 2}) {
    SCOPED_TRACE(version);
    DS_ButterflyConstructor b;
    ReadBytes(ButterflyRecord(version), [&](DS_IOF_Holder s) {
      const DS_RecordHeader head = ReadRecordHeader(s);
      b.Read(s, head.version);
    });
    EXPECT_EQ(b.bodyImage.Key(), (DS_LinkKey{L"body.png", 11}));
    EXPECT_EQ(b.bodyMesh.Key(), (DS_LinkKey{L"body.x", 12}));
    EXPECT_EQ(b.reserved1.Value(), 30u);
    EXPECT_EQ(b.reserved2.scaledValue, 70.0f);
    EXPECT_EQ(b.wingScale, version > 1 ? 1.5f : 1.0f) << "a record without wing scale keeps 1";
    EXPECT_EQ(b.count.Value(), 4u);
    EXPECT_EQ(b.size.Value(), 80u);
    EXPECT_EQ(b.imageLink.Key(), (DS_LinkKey{L"wing.png", 13}));
    EXPECT_EQ(b.meshLink.Key(), (DS_LinkKey{L"wing.x", 14}));
    EXPECT_EQ(b.rightFraction, 0.9f);
    EXPECT_EQ(b.speed.Value(), 75u);
    EXPECT_EQ(b.ObjectName(), L"flutter");
  }
  DS_ButterflyConstructor b;
  ReadBytes(ButterflyRecord(2), [&](DS_IOF_Holder s) { b.Read(s, ReadRecordHeader(s).version); });
  EXPECT_EQ(WriteBytes([&](DS_IOF_Holder s) { b.Write(s); }), ButterflyRecord(2));
}

TEST_F(Butterfly, DefaultsNameTheModuleAndLeaveTheWingPictureToTheDocument) {
  DS_ButterflyConstructor b;
  EXPECT_EQ(b.bodyImage.Key(), (DS_LinkKey{L"common_res.dll", 6}));
  EXPECT_EQ(b.bodyMesh.Key(), (DS_LinkKey{L"common_res.dll", 68}));
  EXPECT_EQ(b.meshLink.Key(), (DS_LinkKey{L"common_res.dll", 69}));
  EXPECT_TRUE(b.imageLink.Path().empty());
  EXPECT_EQ(b.size.Value(), 100u);
  EXPECT_EQ(b.count.Value(), 1u);
  EXPECT_EQ(b.speed.Value(), 50u);
  EXPECT_EQ(b.flag, 1);
  EXPECT_EQ(b.reserved1.scaledValue, 50.0f);
  EXPECT_EQ(b.wingScale, 1.0f);
  // Without a wing picture the wings are not drawn.
  std::vector<DS_MeshPart> parts;
  b.BuildParts(parts);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_FALSE(parts[1].Drawable());
  EXPECT_EQ(parts[1].translucent, 1);
  EXPECT_EQ(parts[0].translucent, 0);
}

}  // namespace
