// The records of the placed-object base, the sprite properties and every emitter, of every
// version their readers know; the clock, the area's fractions and the strip frame order.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "document/DS_DocResManager.h"
#include "document/ReaderRegistry.h"
#include "objects/FlashingEmitters.h"
#include "objects/RootedEmitters.h"
#include "objects/StreamingEmitters.h"
#include "objects/WanderingEmitters.h"
#include "runtime/ScreenSelection.h"
#include "scene/DocumentReaders.h"
#include "tests/objects/EmitterFixture.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/RecordBytes.h"

namespace {

RecordBytes Head(const wchar_t* name, int32_t version) {
  return WriteBytes([&](DS_IOF_Holder s) { WriteRecordHeader(s, RecordId{name, version}); });
}

// A "DS_ViewObjCtrl" record: rectangle 1 2 3 4 5 6, fractions 0.1 0.9 0.2 0.8, flag 1, the
// speed from version 2 on, object name "obj".
RecordBytes ViewObjRecord(int32_t version, uint32_t speed) {
  return Head(L"DS_ViewObjCtrl", version) + WriteBytes([&](DS_IOF_Holder s) {
           for (int32_t v : {1, 2, 3, 4, 5, 6}) s->WriteInt(v);
           for (float f : {0.1f, 0.9f, 0.2f, 0.8f}) s->WriteFloat(f);
           s->WriteBool(1);
           if (version > 1) s->WriteUInt(speed);
           WriteRecordHeader(s, DS_ABObj_Constructor::kRecord);
           s->WriteString(L"obj");
         });
}

struct SpriteRecord {
  int32_t version;
  int32_t viewVersion = 2;
  uint32_t viewSpeed = 70;
  uint32_t ownSpeed = 90;  // versions 1 and 2 only
  uint32_t transparency = 50;
  uint32_t loadMode = 1;
  int32_t flips[2] = {1, 1};
  int32_t refresh = 1;
};

// A "DS_BaseSpriteProp" record with the fields its version holds.
RecordBytes SpritePropRecord(const SpriteRecord& r) {
  return Head(L"DS_BaseSpriteProp", r.version) + ViewObjRecord(r.viewVersion, r.viewSpeed) +
         WriteBytes([&](DS_IOF_Holder s) {
           s->WriteUInt(7);  // count
           if (r.version < 3) s->WriteUInt(r.ownSpeed);
           s->WriteUInt(48);  // size
           s->WriteUInt(r.transparency);
           s->WriteULong(1);          // blend mode
           s->WriteInt(0x336699);     // colour
           for (float f : {0.5f, 0.1f, 0.9f, 0.75f, 1.25f}) s->WriteFloat(f);
           if (r.version == 1) {
             s->WriteInt(2);
             DS_FileRecord a = RecordWithBytes(SolidBmp(4, 4, 0xFFFFFF), L"a.bmp");
             DS_FileRecord b = RecordWithBytes(SolidBmp(4, 4, 0x000000), L"b.bmp");
             s->WriteFileRecord(a);
             s->WriteFileRecord(b);
             DS_FileRecord overlay(9, L"common_res.dll");
             s->WriteFileRecord(overlay);
           } else {
             DS_FileLink3(L"fish.png", 11).Write(s);
             DS_FileLink3(L"", 0).Write(s);
           }
           s->WriteUInt(5);      // reserved integer
           s->WriteFloat(2.5f);  // reserved float
           s->WriteUInt(4);      // strip frames
           s->WriteFloat(8.0f);  // strip rate
           s->WriteBool(1);      // strip mode
           if (r.version == 1) {
             s->WriteInt(2);
             s->WriteFloat(0.5f);
             s->WriteFloat(0.25f);
             return;
           }
           if (r.version >= 4) s->WriteULong(r.loadMode);
           if (r.version >= 5) {
             s->WriteULong(unsigned(r.flips[0]));
             s->WriteULong(unsigned(r.flips[1]));
           }
           if (r.version >= 6) s->WriteULong(unsigned(r.refresh));
         });
}

class EmitterRecord : public EmitterFixture {};

TEST_F(EmitterRecord, SpritePropertiesOfEveryVersion) {
  struct Case {
    SpriteRecord record;
    uint32_t speed;
    uint32_t loadMode;
    int verticalFlip, horizontalFlip, refresh;
  };
  const Case cases[] = {
      // The speed of a version 1 base stays the constructor's unless the sprite record has one.
      {{.version = 6, .viewVersion = 1}, 50, 1, 1, 1, 1},
      {{.version = 6}, 70, 1, 1, 1, 1},
      {{.version = 2}, 90, 0, 0, 0, 0},
      {{.version = 2, .viewVersion = 1}, 90, 0, 0, 0, 0},
      {{.version = 3}, 70, 0, 0, 0, 0},
      {{.version = 4}, 70, 1, 0, 0, 0},
      {{.version = 5, .flips = {1, 0}}, 70, 1, 1, 0, 0},
      {{.version = 6, .flips = {0, 1}, .refresh = 3}, 70, 1, 0, 1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.record.version << ", base " << c.record.viewVersion);
    DS_SparkleConstructor e;
    ReadBytes(SpritePropRecord(c.record), [&](DS_IOF_Holder s) { e.Read(s, 1); });
    EXPECT_EQ(e.speed.Value(), c.speed);
    EXPECT_EQ(e.loadMode, c.loadMode);
    EXPECT_EQ(e.verticalFlip.Value(), c.verticalFlip);
    EXPECT_EQ(e.horizontalFlip.Value(), c.horizontalFlip);
    EXPECT_EQ(e.refreshOnImageChange.Value(), c.refresh);
    // Stored as read: the area's pixels and fractions are not brought into step.
    EXPECT_EQ(e.rectangle.left.Value(), 1);
    EXPECT_EQ(e.rectangle.y.Value(), 6);
    EXPECT_FLOAT_EQ(e.rightFraction, 0.9f);
    EXPECT_EQ(e.flag, 1);
    EXPECT_EQ(e.ObjectName(), L"obj");
    EXPECT_EQ(e.count.Value(), 7u);
    EXPECT_EQ(e.size.Value(), 48u);
    EXPECT_EQ(e.MaxAlpha(), 127);
    EXPECT_EQ(e.blendMode.Value(), 1);
    EXPECT_EQ(e.colour.Value(), 0x336699ul);
    EXPECT_FLOAT_EQ(e.sizeFactorMax, 1.25f);
    EXPECT_EQ(e.stripFrames, 4u);
    EXPECT_EQ(e.stripMode, 1);
    EXPECT_EQ(e.reservedInt, 5u);
    EXPECT_EQ(e.spriteImage.Path(), L"fish.png");
  }
}

TEST_F(EmitterRecord, VersionOneCarriesItsImagesInlineAndLoadImagesMakesThemLinks) {
  DS_SparkleConstructor e;
  ReadBytes(SpritePropRecord({.version = 1}), [&](DS_IOF_Holder s) { e.Read(s, 1); });
  EXPECT_TRUE(e.spriteImage.Path().empty());
  ASSERT_EQ(e.legacyImages.size(), 2u);
  EXPECT_EQ(e.legacyImages.front().name, L"a.bmp");
  EXPECT_EQ(e.legacyFrameTimes, (std::vector<float>{0.5f, 0.25f}));
  EXPECT_EQ(e.legacyOverlay.resourceId, 9);
  EXPECT_EQ(e.loadMode, 0u);
  EXPECT_EQ(e.refreshOnImageChange.Value(), 0);

  DS_DocResManager manager;
  ScopedScreen selected(ScreenSelection::Current().WithResources(&manager));
  e.LoadImages();
  EXPECT_EQ(e.spriteImage.Path(), L"a.bmp");
  EXPECT_EQ(manager.GetImageTextures(e.spriteImage).frameTimes, (std::vector<float>{0.5f, 0.25f}));
  EXPECT_EQ(e.overlayImage.Key(), (DS_LinkKey{L"common_res.dll", 9}));
  EXPECT_TRUE(e.legacyImages.empty());
  EXPECT_TRUE(e.legacyFrameTimes.empty());
  // A link already there is kept.
  e.legacyImages.push_back(RecordWithBytes(SolidBmp(4, 4, 0), L"other.bmp"));
  e.LoadImages();
  EXPECT_EQ(e.spriteImage.Path(), L"a.bmp");
}

TEST_F(EmitterRecord, TransparencyGivesTheMaximumAlpha) {
  const std::pair<uint32_t, uint8_t> cases[] = {{0, 255}, {50, 127}, {100, 0}};
  for (auto [transparency, alpha] : cases) {
    DS_SparkleConstructor e;
    SpriteRecord r{.version = 6};
    r.transparency = transparency;
    ReadBytes(SpritePropRecord(r), [&](DS_IOF_Holder s) { e.Read(s, 1); });
    EXPECT_EQ(e.MaxAlpha(), alpha) << transparency;
    std::unique_ptr<DS_BaseSpriteProp> clone(e.Clone());
    EXPECT_EQ(clone->MaxAlpha(), alpha) << transparency;
  }
  EXPECT_EQ(DS_SparkleConstructor().MaxAlpha(), 255);
  EXPECT_EQ(DS_GhostConstructor().MaxAlpha(), 127);
  EXPECT_EQ(DS_FogConstructor().MaxAlpha(), 127);
}

TEST_F(EmitterRecord, DefaultsOfTheEmitters) {
  EXPECT_EQ(DS_SparkleConstructor().size.Value(), 32u);  // not left unset
  EXPECT_EQ(DS_SparkleConstructor().count.Value(), 1u);
  EXPECT_EQ(DS_SparkleConstructor().flag, 1);
  DS_LightingConstructor lightning;
  EXPECT_EQ(lightning.blendMode.Value(), 1);
  EXPECT_EQ(lightning.flag, 1);
  EXPECT_EQ(DS_GodRayConstructor().angle.Value(), 80u);
  DS_RainConstructor rain;
  EXPECT_EQ(rain.direction.Value(), 270u);
  EXPECT_FLOAT_EQ(rain.flowSpeed, 2000.0f);
  EXPECT_EQ(rain.orientationMode.Value(), 1);
  EXPECT_FLOAT_EQ(rain.sizeFactorMin, 0.5f);
  // The item keeps the vectors of direction 0 and flow speed 0; its clone those of 270.
  EXPECT_FLOAT_EQ(rain.flowVector.y, 0.0f);
  std::unique_ptr<DS_BaseSpriteProp> clone(rain.Clone());
  const auto& flow = static_cast<DS_RainConstructor&>(*clone);
  EXPECT_NEAR(flow.flowVector.x, 0.0f, 1e-3f);
  EXPECT_NEAR(flow.flowVector.y, 2000.0f, 1e-3f);  // downwards on the picture
  EXPECT_NEAR(flow.lateralVector.x, -1.0f, 1e-6f);
  EXPECT_NEAR(DS_GhostConstructor().alphaSpeed, 0.66f, 1e-7f);
  EXPECT_FLOAT_EQ(DS_FogConstructor().phaseMin, 0.2f);
  DS_StatObjConstructor placed;
  EXPECT_EQ(placed.placement.x.Value(), 400);
  EXPECT_EQ(placed.placement.y.Value(), 300);
  EXPECT_FLOAT_EQ(DS_FlowerConstructor().swayAmplitude, 1.5f);
  EXPECT_FLOAT_EQ(DS_GrassConstructor().swayAmplitude, 3.0f);
}

// Every emitter with fields away from their defaults: written, read back through its
// registered reader, and written again to the same bytes.
TEST_F(EmitterRecord, EveryEmitterReadsWhatItWrites) {
  RegisterDocumentReaders();
  auto base = [](DS_BaseSpriteProp& e) {
    e.SetObjectName(L"emitter");
    e.leftFraction = 0.125f;
    e.speed.Assign(75);
    e.count.Assign(9);
    e.size.Assign(40);
    e.transparency.SetValue(30);
    e.colour.Assign(0x123456);
    e.alphaSpeed = 0.4f;
    e.spriteImage.SetKey({L"common_res.dll", 300});
    e.overlayImage.SetKey({L"common_res.dll", 308});
    e.stripFrames = 3;
    e.stripMode = 1;
    e.loadMode = 1;
    e.verticalFlip.Assign(1);
    e.refreshOnImageChange.Assign(1);
  };
  using Make = std::function<DS_BaseSpriteProp*()>;
  const std::pair<const wchar_t*, Make> cases[] = {
      {L"DS_FishConstructor", [] { auto* e = new DS_FishConstructor; e->maxHorizontalSpeed = 12; return e; }},
      {L"DS_BirdConstructor", [] { auto* e = new DS_BirdConstructor; e->maxVerticalSpeed = 13; return e; }},
      {L"DS_GhostConstructor", [] { return new DS_GhostConstructor; }},
      {L"DS_FogConstructor", [] { auto* e = new DS_FogConstructor; e->maxVerticalSpeed = 14; return e; }},
      {L"DS_FlowConstructor",
       [] {
         auto* e = new DS_FlowConstructor;
         e->direction.Assign(135), e->lateralSpeed.Assign(6), e->changeRate.Assign(4);
         e->flowSpeed = 55, e->orientationMode.Assign(3);
         return e;
       }},
      {L"DS_RainConstructor", [] { return new DS_RainConstructor; }},
      {L"DS_GrassConstructor", [] { auto* e = new DS_GrassConstructor; e->swayAmplitude = 7; return e; }},
      {L"DS_StatObjConstructor",
       [] {
         auto* e = new DS_StatObjConstructor;
         e->placement.x.Value() = 17, e->rotation.Assign(30);
         return e;
       }},
      {L"DS_FlowerConstructor", [] { auto* e = new DS_FlowerConstructor; e->swayAmplitude = 2; return e; }},
      {L"DS_DischargeConstructor", [] { return new DS_DischargeConstructor; }},
      {L"DS_SparkleConstructor", [] { return new DS_SparkleConstructor; }},
      {L"DS_GodRayConstructor", [] { auto* e = new DS_GodRayConstructor; e->angle.Assign(100); return e; }},
      {L"DS_LightingConstructor", [] { return new DS_LightingConstructor; }},
  };
  for (const auto& [name, make] : cases) {
    SCOPED_TRACE(std::string(name, name + wcslen(name)));
    std::unique_ptr<DS_BaseSpriteProp> item(make());
    base(*item);
    const RecordBytes bytes = WriteBytes([&](DS_IOF_Holder s) { item->Write(s); });
    std::unique_ptr<DS_ABObj_Constructor> read;
    ReadBytes(bytes, [&](DS_IOF_Holder s) { read.reset(ReadConstructorByClassName(s)); });
    ASSERT_TRUE(read);
    EXPECT_EQ(typeid(*read), typeid(*item));
    EXPECT_EQ(WriteBytes([&](DS_IOF_Holder s) { read->Write(s); }), bytes);
    // The head is the class's own name and version, and the sprite properties are version 6.
    // The head is the class's own name and its newest version.
    const int32_t newest = ds_string(name) == L"DS_FlowConstructor" ? 3 : ds_string(name) == L"DS_StatObjConstructor" ? 2 : 1;
    const RecordBytes head = Head(name, newest);
    EXPECT_EQ(RecordBytes(bytes.begin(), bytes.begin() + head.size()), head);
  }
}

// The emitters whose own fields a round trip alone would not pin: each record laid out by
// its table with values of their own, read through the registry, written back the same.
TEST_F(EmitterRecord, OwnFieldsSitWhereTheirTablesPutThem) {
  RegisterDocumentReaders();
  const RecordBytes base = SpritePropRecord({.version = 6});
  const RecordBytes placed = Head(L"DS_StatObjConstructor", 2) + WriteBytes([](DS_IOF_Holder s) {
                               for (int32_t v : {10, 20, 30, 40, 300, 200}) s->WriteInt(v);
                               s->WriteUInt(45);
                             });
  struct Case {
    const char* name;
    RecordBytes bytes;
    std::function<void(const DS_ABObj_Constructor&)> check;
  };
  const Case cases[] = {
      // Maximum horizontal speed, then maximum vertical speed.
      {"fog", Head(L"DS_FogConstructor", 1) + WriteBytes([](DS_IOF_Holder s) {
                s->WriteFloat(12.5f);
                s->WriteFloat(7.25f);
              }) + base,
       [](const DS_ABObj_Constructor& item) {
         const auto& fog = dynamic_cast<const DS_FogConstructor&>(item);
         EXPECT_EQ(fog.maxHorizontalSpeed, 12.5f);
         EXPECT_EQ(fog.maxVerticalSpeed, 7.25f);
       }},
      {"grass", Head(L"DS_GrassConstructor", 1) + WriteBytes([](DS_IOF_Holder s) { s->WriteFloat(4.5f); }) + base,
       [](const DS_ABObj_Constructor& item) {
         EXPECT_EQ(dynamic_cast<const DS_GrassConstructor&>(item).swayAmplitude, 4.5f);
       }},
      // The sway amplitude, then the placed sprite's record.
      {"flower", Head(L"DS_FlowerConstructor", 1) + WriteBytes([](DS_IOF_Holder s) { s->WriteFloat(2.5f); }) + placed + base,
       [](const DS_ABObj_Constructor& item) {
         const auto& flower = dynamic_cast<const DS_FlowerConstructor&>(item);
         EXPECT_EQ(flower.swayAmplitude, 2.5f);
         EXPECT_EQ(flower.placement.left.Value(), 10);
         EXPECT_EQ(flower.placement.y.Value(), 200);
         EXPECT_EQ(flower.rotation.Value(), 45u);
       }},
      {"god ray", Head(L"DS_GodRayConstructor", 1) + WriteBytes([](DS_IOF_Holder s) { s->WriteUInt(100); }) + base,
       [](const DS_ABObj_Constructor& item) {
         EXPECT_EQ(dynamic_cast<const DS_GodRayConstructor&>(item).angle.Value(), 100u);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<DS_ABObj_Constructor> read;
    ReadBytes(c.bytes, [&](DS_IOF_Holder s) { read.reset(ReadConstructorByClassName(s)); });
    ASSERT_TRUE(read);
    c.check(*read);
    // The base record after the own fields, as the table has it.
    EXPECT_EQ(dynamic_cast<const DS_BaseSpriteProp&>(*read).count.Value(), 7u);
    EXPECT_EQ(read->ObjectName(), L"obj");
    EXPECT_EQ(WriteBytes([&](DS_IOF_Holder s) { read->Write(s); }), c.bytes);
  }
}

// The flow's older records: no mode (version 1) or a turn flag (version 2).
TEST_F(EmitterRecord, FlowModeOfEveryVersion) {
  struct Case {
    bool rain;
    int32_t version;
    int32_t stored;  // ignored for version 1
    int expected;
  };
  const Case cases[] = {{false, 1, 0, 0}, {true, 1, 0, 1}, {false, 2, 7, 1}, {true, 2, 0, 0}, {false, 3, 3, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rain << " " << c.version);
    const RecordBytes flowFields = WriteBytes([&](DS_IOF_Holder s) {
      s->WriteUInt(90);
      s->WriteUInt(2);
      s->WriteUInt(4);
      s->WriteFloat(30.0f);
      if (c.version >= 2) s->WriteInt(c.stored);
    });
    const RecordBytes base = SpritePropRecord({.version = 6});
    std::unique_ptr<DS_FlowConstructor> flow(c.rain ? new DS_RainConstructor : new DS_FlowConstructor);
    if (c.rain) {
      ReadBytes(Head(L"DS_RainConstructor", 1) + Head(L"DS_FlowConstructor", c.version) + flowFields + base,
                [&](DS_IOF_Holder s) {
                  ReadRecordHeader(s);
                  static_cast<DS_RainConstructor&>(*flow).Read(s, 1);
                });
    } else {
      ReadBytes(flowFields + base, [&](DS_IOF_Holder s) { flow->Read(s, c.version); });
    }
    EXPECT_EQ(flow->orientationMode.Value(), c.expected);
    EXPECT_EQ(flow->direction.Value(), 90u);
    EXPECT_EQ(flow->lateralSpeed.Value(), 2u);
    EXPECT_FLOAT_EQ(flow->flowSpeed, 30.0f);
    EXPECT_EQ(flow->count.Value(), 7u);
  }
}

// A version 1 placed sprite carries flips, which a base record of version 5 or more replaces.
TEST_F(EmitterRecord, PlacedSpriteFlipsOfVersionOne) {
  const std::pair<int32_t, int> cases[] = {{4, 1}, {5, 0}};
  for (auto [baseVersion, expectedFlip] : cases) {
    const RecordBytes own = WriteBytes([&](DS_IOF_Holder s) {
      for (int32_t v : {10, 20, 30, 40, 300, 200}) s->WriteInt(v);
      s->WriteUInt(45);
      s->WriteInt(1);
      s->WriteInt(1);
    });
    SpriteRecord r{.version = baseVersion};
    r.flips[0] = r.flips[1] = 0;
    DS_StatObjConstructor e;
    ReadBytes(own + SpritePropRecord(r), [&](DS_IOF_Holder s) { e.Read(s, 1); });
    EXPECT_EQ(e.verticalFlip.Value(), expectedFlip) << baseVersion;
    EXPECT_EQ(e.horizontalFlip.Value(), expectedFlip) << baseVersion;
    EXPECT_EQ(e.rotation.Value(), 45u);
    EXPECT_EQ(e.placement.x.Value(), 300);
  }
}

TEST_F(EmitterRecord, ClockStepsByTheTimeSinceTheLastCallClampedAndScaledBySpeed) {
  struct Case {
    unsigned speed;
    float t1, t2;
    float clock1, clock2;
  };
  const Case cases[] = {
      {50, 10.0f, 9.9f, 0.2f, 0.3f},    // clamped first step, then the absolute difference
      {100, 0.1f, 0.15f, 0.2f, 0.3f},  // twice as fast
      {0, 0.1f, 0.15f, 0.0f, 0.0f},    // frozen
  };
  for (const Case& c : cases) {
    DS_SparkleConstructor e;
    e.speed.Assign(c.speed);
    e.AdvanceClock(c.t1);
    EXPECT_NEAR(e.clock, c.clock1, 1e-6f) << c.speed;
    e.AdvanceClock(c.t2);
    EXPECT_NEAR(e.clock, c.clock2, 1e-6f) << c.speed;
    EXPECT_NEAR(e.frameStep, c.clock2 - c.clock1, 1e-6f) << c.speed;
    EXPECT_EQ(e.lastTime, c.t2);
  }
}

TEST_F(EmitterRecord, AreaFractionsFollowTheirPixelEdges) {
  g_virtualScreen->pictureWidth = 1000;
  DS_SparkleConstructor e;
  e.leftFraction = 0.3337f;
  std::unique_ptr<DS_BaseSpriteProp> clone(e.Clone());
  EXPECT_EQ(clone->rectangle.left.Value(), 333);
  EXPECT_FLOAT_EQ(clone->leftFraction, 0.333f);
  clone->rectangle.right.SetValue(500);
  EXPECT_FLOAT_EQ(clone->rightFraction, 0.5f);
  EXPECT_FLOAT_EQ(clone->RightPixels(), 500.0f);

  // Before any picture is sized the edges cannot be divided: the fractions stay.
  g_virtualScreen->pictureWidth = 0;
  g_virtualScreen->pictureHeight = 0;
  DS_SparkleConstructor early;
  EXPECT_EQ(early.leftFraction, 0.0f);
  EXPECT_EQ(early.rightFraction, 1.0f);
  EXPECT_EQ(early.bottomFraction, 1.0f);
  early.rectangle.bottom.SetValue(40);
  EXPECT_EQ(early.bottomFraction, 1.0f);
}

TEST_F(EmitterRecord, RandomPointsDrawXBeforeYAndKeepBodiesInside) {
  DS_SparkleConstructor e;
  PlaceInLowerMiddle(e);
  const D3DXVECTOR3 p = e.RandomPointInRect();
  EXPECT_NEAR(p.x, 200.0f + 41.0f / 32767 * 400, 1e-3f);
  EXPECT_NEAR(p.y, 300.0f + 18467.0f / 32767 * 300, 1e-3f);
  const D3DXVECTOR3 q = e.RandomPointInsideRect(50.0f, 10.0f);
  EXPECT_NEAR(q.x, 250.0f + 6334.0f / 32767 * 300, 1e-3f);
  EXPECT_NEAR(q.y, 310.0f + 26500.0f / 32767 * 280, 1e-3f);
  // Wider than the area: between the inset edges all the same (reversed range).
  const D3DXVECTOR3 w = e.RandomPointInsideRect(300.0f, 0.0f);
  EXPECT_GE(w.x, 300.0f);
  EXPECT_LE(w.x, 500.0f);
}

TEST_F(EmitterRecord, StripFramesStepInOrderAndTheDischargeNeverRepeats) {
  DS_SparkleConstructor e;
  e.stripFrames = 4;
  uint32_t f = 0;
  for (uint32_t expected : {1u, 2u, 3u, 0u}) EXPECT_EQ(f = e.NextFrame(f), expected);
  e.stripFrames = 0;
  EXPECT_EQ(e.NextFrame(3), 0u);  // nothing to divide by: the first frame

  DS_DischargeConstructor d;
  d.stripFrames = 2;
  f = 0;
  for (uint32_t expected : {1u, 0u, 1u, 0u}) EXPECT_EQ(f = d.NextFrame(f), expected);
  d.stripFrames = 3;
  for (int i = 0; i < 300; ++i) {
    const uint32_t next = d.NextFrame(f);
    ASSERT_NE(next, f);
    ASSERT_LT(next, 3u);
    f = next;
  }
  for (uint32_t frames : {0u, 1u}) {
    d.stripFrames = frames;
    EXPECT_EQ(d.NextFrame(0), 0u) << frames;  // no other frame: the current one stays
  }
}

}  // namespace
