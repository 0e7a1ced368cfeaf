// Every class a scene document can hold, at every version of its record: the scene tool
// makes the object and sets each field it knows, the class's own writer writes it, and the
// player's registries read it back to its last byte. Older versions, which the writers no
// longer write, are put together here from their layouts. The table is the document's class
// table; a class that registers without its row here, or a version without its case, fails.
#include <gtest/gtest.h>

#include <functional>
#include <typeinfo>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "brushes/DS_FireFX.h"
#include "brushes/DS_MoveFX.h"
#include "brushes/DS_PatternBrush.h"
#include "brushes/DS_WaterFX.h"
#include "brushes/SimpleBrushes.h"
#include "document/DS_DocResManager.h"
#include "document/ReaderRegistry.h"
#include "lights/DS_FlameLight.h"
#include "lights/DS_GlassBallLight.h"
#include "lights/DS_MatrixCodeLight.h"
#include "lights/DS_WaterRingLight.h"
#include "lights/FakeLake2D.h"
#include "lights/FakeUndervater.h"
#include "objects/DS_3D_in_2D_array.h"
#include "objects/DS_ButterflyConstructor.h"
#include "objects/DS_ClockConstructor.h"
#include "objects/FlashingEmitters.h"
#include "objects/RootedEmitters.h"
#include "objects/StreamingEmitters.h"
#include "objects/WanderingEmitters.h"
#include "runtime/DS_2D_Light.h"
#include "runtime/DS_SlideContainer.h"
#include "runtime/ScreenSelection.h"
#include "scene/DocumentReaders.h"
#include "tests/support/RecordBytes.h"
#include "tools/scenetool/SceneFields.h"

namespace {

enum class Family { Light, Slide, Item };

// The document's class table, in its order, with the newest version each writer writes.
struct ClassRow {
  const char* name;
  Family family;
  int32_t newest;
};

const std::vector<ClassRow> kClassTable = {
    {"DS_2D_Light", Family::Light, DS_2D_Light::kRecord.version},
    {"DS_FlameLight", Family::Light, DS_FlameLight::kRecord.version},
    {"DS_GlassBallLight", Family::Light, DS_GlassBallLight::kRecord.version},
    {"DS_MatrixCodeLight", Family::Light, DS_MatrixCodeLight::kRecord.version},
    {"DS_SlideContainer", Family::Slide, DS_SlideContainer::kRecord.version},
    {"FakeUndervater", Family::Light, FakeUndervater::kRecord.version},
    {"FakeLake2D", Family::Light, FakeLake2D::kRecord.version},
    {"DS_WaterRingLight", Family::Light, DS_WaterRingLight::kRecord.version},
    {"DS_GodRayConstructor", Family::Item, DS_GodRayConstructor::kRecord.version},
    {"DS_SparkleConstructor", Family::Item, DS_SparkleConstructor::kRecord.version},
    {"DS_FlowConstructor", Family::Item, DS_FlowConstructor::kRecord.version},
    {"DS_FishConstructor", Family::Item, DS_FishConstructor::kRecord.version},
    {"DS_GhostConstructor", Family::Item, DS_GhostConstructor::kRecord.version},
    {"DS_FogConstructor", Family::Item, DS_FogConstructor::kRecord.version},
    {"DS_LightingConstructor", Family::Item, DS_LightingConstructor::kRecord.version},
    {"DS_GrassConstructor", Family::Item, DS_GrassConstructor::kRecord.version},
    {"DS_RainConstructor", Family::Item, DS_RainConstructor::kRecord.version},
    {"DS_StatObjConstructor", Family::Item, DS_StatObjConstructor::kRecord.version},
    {"DS_FlowerConstructor", Family::Item, DS_FlowerConstructor::kRecord.version},
    {"DS_BirdConstructor", Family::Item, DS_BirdConstructor::kRecord.version},
    {"DS_DischargeConstructor", Family::Item, DS_DischargeConstructor::kRecord.version},
    {"DS_ButterflyConstructor", Family::Item, DS_ButterflyConstructor::kRecord.version},
    {"DS_ClockConstructor", Family::Item, DS_ClockConstructor::kRecord.version},
    {"DS_BackgroundCopy", Family::Item, DS_BackgroundCopy::kRecord.version},
    {"DS_WavesFX", Family::Item, DS_WavesFX::kRecord.version},
    {"DS_LightFX", Family::Item, DS_LightFX::kRecord.version},
    {"DS_PatternBrush", Family::Item, DS_PatternBrush::kRecord.version},
    {"DS_PatternBrushC", Family::Item, DS_PatternBrushC::kRecord.version},
    {"DS_WaterFX", Family::Item, DS_WaterFX::kRecord.version},
    {"DS_MoveFX", Family::Item, DS_MoveFX::kRecord.version},
    {"DS_FireFX", Family::Item, DS_FireFX::kRecord.version},
    {"DS_3D_in_2D_array_Constructor", Family::Item, DS_3D_in_2D_array_Constructor::kRecord.version},
};

// A value for every field the scene tool can set, none of them a default: by field name
// (after a prefix such as "fire."), or by "<class>.<field>" where a name means another kind
// of value in that class.
const std::map<std::string, std::string> kFieldValues = {
    // lights
    {"overlay1", "over1.png 11"}, {"overlay2", "over2.png 12"}, {"stand", "stand.png 13"},
    {"backdrop", "backdrop.png 14"}, {"scroll-speed", "37"}, {"ball-position", "123 -45"}, {"size", "41"},
    {"strength", "43"}, {"overlay1-on", "0"}, {"overlay2-on", "0"}, {"stand-on", "1"}, {"backdrop-mode", "2"},
    {"scroll-mode", "1"}, {"gradient-colour1", "1193046"}, {"gradient-colour2", "6636321"},
    {"wave-speed", "17"}, {"wave-tiling", "19"}, {"horizon", "23"}, {"far-flattening", "29"},
    {"tint-opacity", "32"}, {"horizon-fade", "33"}, {"normal-map-amplitude", "7"}, {"reflection-offset", "9"},
    {"resample-power", "3"}, {"tint-colour", "3355443"}, {"identity", "{6B2D1C3A-54E8-4F0B-9A61-3C7E2F18D045}"},
    {"identity-name", "Lake bumps"}, {"identity-flag", "0"},
    {"fireVisible", "0"}, {"distortionFlag", "0"}, {"fireOffset", "71"}, {"bump", "bump.png 15"},
    {"bumpScale", "61"},
    {"cellSize", "13"}, {"density", "47"}, {"mutatingCount", "53"}, {"sparkles", "1"}, {"backgroundMode", "1"},
    {"startMode", "1"}, {"trailColour", "3198976"}, {"headColour", "14221272"}, {"brightness", "59"},
    {"glyphSheet", "glyphs.png 16"},
    {"wholeScene", "1"}, {"waveHeight", "67"}, {"rowDensity", "21"}, {"gridDensity", "27"}, {"dropForce", "73"},
    {"persistence", "79"}, {"refractionLevel", "83"}, {"dropRate", "89"}, {"specularLevel", "97"},
    {"specularPower", "101"},
    // brushes
    {"speed", "39"}, {"sceneEffect", "1"}, {"effect", "effects.fxo 33"}, {"effectScale", "57"},
    {"identityName", "Brush mask"}, {"identityFlag", "0"}, {"corners", "1 2 3 4 5 6 7 8 9 10 11 12"},
    {"colour1", "1122867"}, {"colour2", "4473924"}, {"storedInt1", "5"}, {"pattern", "pattern.png 17"},
    {"noise", "noise.png 18"}, {"storedInt2", "6"}, {"tiling", "3"}, {"rectangle", "10 200 20 150 5 6"},
    {"verticalShift", "1"}, {"horizontalShift", "1"}, {"amplitude", "11"}, {"wavelength", "44"},
    {"angle", "123"}, {"directionMode", "1"}, {"intensity", "66"}, {"flickerMode", "2"},
    {"verticalMirror", "1"}, {"horizontalMirror", "1"}, {"rotation", "45"}, {"zoom", "150"}, {"scrollX", "12"},
    {"scrollY", "14"}, {"pValue", "16"}, {"bumpRotationScale", "18"}, {"waveAmplitude", "22"},
    {"shadows", "1"}, {"halfVectorHeight", "24"}, {"colour", "7829367"}, {"motionMode", "2"},
    // objects
    {"flag", "5"}, {"area", "0.1 0.9 0.2 0.8"}, {"count", "7"}, {"transparency", "35"}, {"blend", "2"},
    {"alpha-speed", "0.25"}, {"phase-min", "0.125"}, {"phase-max", "0.75"}, {"size-factor-min", "0.625"},
    {"size-factor-max", "1.75"}, {"image", "sprite.png 19"}, {"overlay", "overlay.png 20"},
    {"reserved-int", "3"}, {"reserved-float", "2.5"}, {"strip-frames", "4"}, {"strip-rate", "0.5"},
    {"strip-mode", "1"}, {"load-mode", "1"}, {"vertical-flip", "1"}, {"horizontal-flip", "1"}, {"refresh", "1"},
    {"max-horizontal-speed", "3.5"}, {"max-vertical-speed", "4.5"}, {"direction", "77"},
    {"lateral-speed", "33"}, {"change-rate", "44"}, {"flow-speed", "5.5"}, {"orientation", "2"},
    {"sway", "2.25"}, {"placement", "30 90 40 80 60 60"}, {"mesh", "butterfly.x 21"},
    {"body-image", "body.png 22"}, {"body-mesh", "body.x 23"}, {"reserved-1", "3"}, {"reserved-2", "4"},
    {"wing-scale", "1.5"}, {"arrow-image", "arrow.png 24"}, {"drift", "25"}, {"drift-change", "26"},
    {"spin", "27"},
    {"DS_3D_in_2D_array_Constructor.mesh", "module common_res.dll 42"},
    {"DS_3D_in_2D_array_Constructor.texture", "module common_res.dll 43"},
    {"DS_3D_in_2D_array_Constructor.size", "28"},
};

std::string ValueFor(const std::string& className, const std::string& field) {
  if (auto found = kFieldValues.find(className + "." + field); found != kFieldValues.end()) return found->second;
  const std::string bare = field.substr(field.find('.') + 1);
  if (auto found = kFieldValues.find(bare); found != kFieldValues.end()) return found->second;
  return {};
}

// Writes an object's whole record.
RecordBytes RecordOf(DS_IOF_Item& item) {
  return WriteBytes([&](DS_IOF_Holder s) { item.Write(s); });
}

// Reads one polymorphic record of the family; fails the test when bytes are left over.
std::unique_ptr<DS_IOF_Item> ReadBack(Family family, const RecordBytes& bytes) {
  std::unique_ptr<DS_IOF_Item> read;
  ReadBytes(bytes, [&](DS_IOF_Holder s) {
    switch (family) {
      case Family::Light: read.reset(ReadLightByClassName(s)); break;
      case Family::Slide: read.reset(ReadSlideContainerByClassName(s)); break;
      case Family::Item: read.reset(ReadConstructorByClassName(s)); break;
    }
  });
  return read;
}

class ClassTable : public testing::Test {
 protected:
  void SetUp() override {
    RegisterDocumentReaders();
    RegisterSceneClasses(classes_);
  }

  // A new object of the class as the scene tool makes it, its field setters in fields;
  // the slide, which descriptions make line by line, holds a light and one item.
  std::unique_ptr<DS_IOF_Item> Make(const ClassRow& row, SceneFields& fields) const {
    switch (row.family) {
      case Family::Light: {
        const SceneClasses::LightMaker* make = classes_.Light(row.name);
        return make ? std::unique_ptr<DS_IOF_Item>((*make)(fields)) : nullptr;
      }
      case Family::Item: {
        const SceneClasses::ItemMaker* make = classes_.Item(row.name);
        return make ? std::unique_ptr<DS_IOF_Item>((*make)(fields)) : nullptr;
      }
      case Family::Slide: {
        auto slide = std::make_unique<DS_SlideContainer>();
        fields.Add("name", slide->name);
        fields.Add("fade-in", slide->fadeIn);
        fields.Add("show", slide->showTime);
        fields.Add("fade-out", slide->fadeOut);
        fields.Add("option", slide->option);
        SceneFields unused;
        slide->light = DS_SharedPtr<DS_2D_Light>((*classes_.Light("DS_WaterRingLight"))(unused));
        slide->pendingItems.emplace_back((*classes_.Item("DS_FishConstructor"))(unused));
        return slide;
      }
    }
    return nullptr;
  }

  // The object with every field set to its table value.
  std::unique_ptr<DS_IOF_Item> MakeWithEveryField(const ClassRow& row) const {
    SceneFields fields;
    std::unique_ptr<DS_IOF_Item> item = Make(row, fields);
    for (const std::string& field : fields.Names()) {
      std::string value = ValueFor(row.name, field);
      if (value.empty() && row.family == Family::Slide) value = field == "name" ? "A slide" : "3";
      std::istringstream words(value);
      fields.Set(field, words);
    }
    return item;
  }

  DS_DocResManager manager_;  // the writers register their links here
  ScopedScreen selected_{ScreenSelection::Current().WithResources(&manager_)};
  SceneClasses classes_;
};

template <class Registry>
std::set<std::string> Names(const Registry& registry) {
  std::set<std::string> names;
  for (const auto& [name, reader] : registry) names.insert(std::string(name.begin(), name.end()));
  return names;
}

TEST_F(ClassTable, IsWhatTheRegistriesHoldAndTheSceneToolMakesEachClass) {
  std::set<std::string> lights, slides, items;
  for (const ClassRow& row : kClassTable) {
    (row.family == Family::Light ? lights : row.family == Family::Slide ? slides : items).insert(row.name);
    SceneFields fields;
    EXPECT_NE(Make(row, fields), nullptr) << row.name << " cannot be named in a scene description";
  }
  EXPECT_EQ(Names(LightReaderRegistry()), lights);
  EXPECT_EQ(Names(SlideContainerReaderRegistry()), slides);
  EXPECT_EQ(Names(ConstructorReaderRegistry()), items);
  EXPECT_EQ(kClassTable.size(), 32u);
}

bool IsIdentity(const std::string& field) { return field.substr(field.find('.') + 1) == "identity"; }

// New objects take new identities; fixed, two objects of the same fields write the same.
void FixIdentities(SceneFields& fields) {
  for (const std::string& field : fields.Names())
    if (IsIdentity(field)) {
      std::istringstream words("{0D5E3F2A-1B4C-4D6E-8F70-A1B2C3D4E5F6}");
      fields.Set(field, words);
    }
}

// A field the tool sets but the record does not carry would be lost between the
// description and the player.
TEST_F(ClassTable, EveryFieldTheSceneToolSetsReachesTheRecord) {
  for (const ClassRow& row : kClassTable) {
    SceneFields defaults, again;
    const std::unique_ptr<DS_IOF_Item> plain = Make(row, defaults), plainAgain = Make(row, again);
    FixIdentities(defaults);
    FixIdentities(again);
    const RecordBytes untouched = RecordOf(*plain);
    ASSERT_EQ(RecordOf(*plainAgain), untouched) << row.name << " writes differently each time";
    for (const std::string& field : defaults.Names()) {
      SCOPED_TRACE(std::string(row.name) + " " + field);
      std::string value = IsIdentity(field) ? "{6B2D1C3A-54E8-4F0B-9A61-3C7E2F18D045}" : ValueFor(row.name, field);
      if (row.family == Family::Slide) value = field == "name" ? "A slide" : "3";
      ASSERT_FALSE(value.empty()) << "no value for this field in the table of field values";
      SceneFields fields;
      std::unique_ptr<DS_IOF_Item> item = Make(row, fields);
      FixIdentities(fields);
      std::istringstream words(value);
      fields.Set(field, words);
      EXPECT_NE(RecordOf(*item), untouched) << "setting the field leaves the record as it was";
    }
  }
}

// Read to its last byte, the object writes the very bytes it was read from: every field
// came back with its value.
TEST_F(ClassTable, NewestRecordsReadBackToTheirEndWithEveryValue) {
  for (const ClassRow& row : kClassTable) {
    SCOPED_TRACE(row.name);
    std::unique_ptr<DS_IOF_Item> made = MakeWithEveryField(row);
    const RecordBytes written = RecordOf(*made);
    std::unique_ptr<DS_IOF_Item> read = ReadBack(row.family, written);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(typeid(*read), typeid(*made));
    EXPECT_EQ(RecordOf(*read), written);
  }
}

// The older layouts, put together from the fields of an object made with every field set.
class Rec {
 public:
  Rec(const wchar_t* name, int32_t version) {
    s_->WriteString(name);
    s_->WriteInt(version);
  }
  Rec& U(uint32_t v) { return Do([&] { s_->WriteUInt(v); }); }
  Rec& L(unsigned long v) { return Do([&] { s_->WriteULong(v); }); }
  Rec& I(int32_t v) { return Do([&] { s_->WriteInt(v); }); }
  Rec& F(float v) { return Do([&] { s_->WriteFloat(v); }); }
  Rec& Link(const DS_FileLink3& link) { return Do([&] { link.Write(s_); }); }
  Rec& Then(const std::function<void(DS_IOF_Holder)>& write) { return Do([&] { write(s_); }); }
  operator RecordBytes() const { return writer_.Bytes(); }

 private:
  Rec& Do(const std::function<void()>& write) {
    write();
    return *this;
  }
  DS_IOF_W writer_;
  DS_IOF_Virtual* s_ = &writer_;
};

struct OlderCase {
  const char* name;
  int32_t version;
  // The older record of the object made; the object read from it, checked against it.
  std::function<RecordBytes(DS_IOF_Item& made)> bytes;
  std::function<void(DS_IOF_Item& read, DS_IOF_Item& made)> check;
};

template <class X>
OlderCase Older(const char* name, int32_t version, std::function<RecordBytes(X&)> bytes,
                std::function<void(X& read, X& made)> check) {
  return {name, version, [bytes](DS_IOF_Item& made) { return bytes(dynamic_cast<X&>(made)); },
          [check](DS_IOF_Item& read, DS_IOF_Item& made) {
            X* x = dynamic_cast<X*>(&read);
            ASSERT_NE(x, nullptr);
            check(*x, dynamic_cast<X&>(made));
          }};
}

// The base light's record as every light ends with it.
std::function<void(DS_IOF_Holder)> BaseLight(DS_2D_Light& light) {
  return [&light](DS_IOF_Holder s) { light.DS_2D_Light::WriteRecord(s); };
}

// The sprite base record of an older version (2 to 5; version 1 ends after its frame times).
std::function<void(DS_IOF_Holder)> SpriteBase(DS_BaseSpriteProp& e, int32_t version) {
  return [&e, version](DS_IOF_Holder s) {
    s->WriteString(L"DS_BaseSpriteProp");
    s->WriteInt(version);
    e.DS_ViewObjCtrl::WriteRecord(s);
    s->WriteUInt(e.count.Value());
    if (version < 3) s->WriteUInt(e.speed.Value() + 1);  // the older place of the speed
    s->WriteUInt(e.size.Value());
    s->WriteUInt(e.transparency.Value());
    s->WriteULong(static_cast<unsigned long>(e.blendMode.Value()));
    s->WriteInt(int32_t(e.colour.Value()));
    s->WriteFloat(e.alphaSpeed);
    s->WriteFloat(e.phaseMin);
    s->WriteFloat(e.phaseMax);
    s->WriteFloat(e.sizeFactorMin);
    s->WriteFloat(e.sizeFactorMax);
    if (version == 1) {
      s->WriteInt(0);                      // no legacy images
      s->WriteFileRecord(DS_FileRecord());  // no legacy overlay
    } else {
      e.spriteImage.Write(s);
      e.overlayImage.Write(s);
    }
    s->WriteUInt(e.reservedInt);
    s->WriteFloat(e.reservedFloat);
    s->WriteUInt(e.stripFrames);
    s->WriteFloat(e.stripRate);
    s->WriteChar(char(e.stripMode));
    if (version == 1) {
      s->WriteInt(2);
      s->WriteFloat(0.5f);
      s->WriteFloat(0.25f);
      return;
    }
    if (version >= 4) s->WriteInt(e.loadMode);
    if (version >= 5) {
      s->WriteInt(e.verticalFlip.Value());
      s->WriteInt(e.horizontalFlip.Value());
    }
  };
}

// The brush base record of version 1: no effect scale.
std::function<void(DS_IOF_Holder)> BrushBaseVersion1(DS_FX_Constructor& b) {
  return [&b](DS_IOF_Holder s) {
    s->WriteString(L"DS_FX_Constructor");
    s->WriteInt(1);
    s->WriteUInt(b.speed.Value());
    s->WriteULong(static_cast<unsigned long>(b.sceneEffect.Value()));
    WriteGuidString(s, b.guid);
    s->WriteString(b.maskName);
    s->WriteBool(b.maskFlag);
    b.effectLink.Write(s);
    b.DS_ABObj_Constructor::WriteRecord(s);
  };
}

// The flow's record of version 1 (no mode) or 2 (a flag, here 7).
RecordBytes FlowRecord(DS_FlowConstructor& e, int32_t version) {
  Rec record(L"DS_FlowConstructor", version);
  record.U(e.direction.Value()).U(e.lateralSpeed.Value()).U(e.changeRate.Value()).F(e.flowSpeed);
  if (version == 2) record.I(7);
  return record.Then([&e](DS_IOF_Holder s) { e.DS_BaseSpriteProp::WriteRecord(s); });
}

std::vector<OlderCase> OlderCases() {
  return {
      Older<DS_2D_Light>(
          "DS_2D_Light", 1, [](DS_2D_Light&) { return RecordBytes(Rec(L"DS_2D_Light", 1)); },
          [](DS_2D_Light& read, DS_2D_Light&) {
            EXPECT_EQ(read.PictureLink().Key(), DS_2D_Light().PictureLink().Key());
          }),
      Older<DS_2D_Light>(
          "DS_2D_Light", 2,
          [](DS_2D_Light&) -> RecordBytes { return Rec(L"DS_2D_Light", 2).Link(DS_FileLink3(L"bay.jpg", 99)); },
          [](DS_2D_Light& read, DS_2D_Light&) {
            EXPECT_EQ(read.PictureLink().Key(), (DS_LinkKey{L"bay.jpg", 99}));
            EXPECT_EQ(read.Camera().enabled.Value(), DS_2D_Light().Camera().enabled.Value());
          }),
      Older<DS_FlameLight>(
          "DS_FlameLight", 1,
          [](DS_FlameLight& l) -> RecordBytes {
            return Rec(L"DS_FlameLight", 1)
                .L(static_cast<unsigned long>(l.fireVisible.Value()))
                .L(static_cast<unsigned long>(l.distortionFlag.Value()))
                .U(l.fireOffset.Value())
                .U(81)  // the fire's speed
                .Link(l.distortion.bumpLink)
                .Link(l.distortion.effectLink)
                .U(l.distortion.speed.Value())
                .U(l.distortion.strength.Value())
                .U(l.distortion.bumpScale.Value())
                .Link(DS_FileLink3(L"dropped1.png", 1))
                .Link(DS_FileLink3(L"dropped2.png", 2))
                .Then(BaseLight(l));
          },
          [](DS_FlameLight& read, DS_FlameLight& made) {
            EXPECT_EQ(read.fireOffset.Value(), made.fireOffset.Value());
            EXPECT_EQ(read.distortion.bumpScale.Value(), made.distortion.bumpScale.Value());
            EXPECT_EQ(read.fire.speed.Value(), 81u);
            EXPECT_EQ(read.fire.patternLink.Key(), DS_FlameLight().fire.patternLink.Key());
            EXPECT_EQ(read.PictureLink().Key(), made.PictureLink().Key());
          }),
      Older<DS_MatrixCodeLight>(
          "DS_MatrixCodeLight", 1,
          [](DS_MatrixCodeLight& l) -> RecordBytes {
            return Rec(L"DS_MatrixCodeLight", 1)
                .U(l.cellSize.Value())
                .U(l.density.Value())
                .U(l.mutatingCount.Value())
                .L(static_cast<unsigned long>(l.sparkles.Value()))
                .L(static_cast<unsigned long>(l.backgroundMode.Value()))
                .L(static_cast<unsigned long>(l.startMode.Value()))
                .I(int32_t(l.trailColour.Value()))
                .I(int32_t(l.headColour.Value()))
                .U(l.brightness.Value())
                .Then(BaseLight(l));
          },
          [](DS_MatrixCodeLight& read, DS_MatrixCodeLight& made) {
            EXPECT_EQ(read.cellSize.Value(), made.cellSize.Value());
            EXPECT_EQ(read.headColour.Value(), made.headColour.Value());
            EXPECT_EQ(read.brightness.Value(), made.brightness.Value());
            EXPECT_EQ(read.glyphSheet.Key(), DS_MatrixCodeLight().glyphSheet.Key());
          }),
      Older<FakeUndervater>(
          "FakeUndervater", 1,
          [](FakeUndervater& l) -> RecordBytes { return Rec(L"FakeUndervater", 1).U(51).Then(BaseLight(l)); },
          [](FakeUndervater& read, FakeUndervater& made) {
            EXPECT_EQ(read.effect.speed.Value(), 25u);  // halved
            EXPECT_EQ(read.PictureLink().Key(), made.PictureLink().Key());
          }),
      Older<FakeLake2D>(
          "FakeLake2D", 1,
          [](FakeLake2D& l) -> RecordBytes {
            return Rec(L"FakeLake2D", 1)
                .Then([&l](DS_IOF_Holder s) {
                  WriteGuidString(s, l.bumpIdentity);
                  s->WriteString(l.bumpName);
                  s->WriteBool(l.bumpFlag);
                })
                .Then(BaseLight(l));
          },
          [](FakeLake2D& read, FakeLake2D& made) {
            EXPECT_EQ(read.bumpIdentity, made.bumpIdentity);
            EXPECT_EQ(read.bumpName, made.bumpName);
            EXPECT_EQ(read.horizon.Value(), FakeLake2D().horizon.Value());
          }),
      Older<DS_WaterRingLight>(
          "DS_WaterRingLight", 1,
          [](DS_WaterRingLight& l) -> RecordBytes { return Rec(L"DS_WaterRingLight", 1).L(1).Then(BaseLight(l)); },
          [](DS_WaterRingLight& read, DS_WaterRingLight&) {
            EXPECT_EQ(read.wholeScene.Value(), 1);
            EXPECT_EQ(read.waveHeight.Value(), DS_WaterRingLight().waveHeight.Value());
          }),
      Older<DS_FlowConstructor>(
          "DS_FlowConstructor", 1, [](DS_FlowConstructor& e) { return FlowRecord(e, 1); },
          [](DS_FlowConstructor& read, DS_FlowConstructor& made) {
            EXPECT_EQ(read.direction.Value(), made.direction.Value());
            EXPECT_EQ(read.orientationMode.Value(), 0);
          }),
      Older<DS_FlowConstructor>(
          "DS_FlowConstructor", 2, [](DS_FlowConstructor& e) { return FlowRecord(e, 2); },
          [](DS_FlowConstructor& read, DS_FlowConstructor& made) {
            EXPECT_FLOAT_EQ(read.flowSpeed, made.flowSpeed);
            EXPECT_EQ(read.orientationMode.Value(), 1);  // the flag 7 of version 2
          }),
      Older<DS_StatObjConstructor>(
          "DS_StatObjConstructor", 1,
          [](DS_StatObjConstructor& e) -> RecordBytes {
            return Rec(L"DS_StatObjConstructor", 1)
                .Then([&e](DS_IOF_Holder s) { e.placement.Write(s); })
                .U(e.rotation.Value())
                .I(0)
                .I(1)
                .Then(SpriteBase(e, 4));  // flips of its own from version 5 only
          },
          [](DS_StatObjConstructor& read, DS_StatObjConstructor& made) {
            EXPECT_EQ(read.rotation.Value(), made.rotation.Value());
            EXPECT_EQ(read.verticalFlip.Value(), 0);
            EXPECT_EQ(read.horizontalFlip.Value(), 1);
          }),
      Older<DS_ButterflyConstructor>(
          "DS_ButterflyConstructor", 1,
          [](DS_ButterflyConstructor& e) -> RecordBytes {
            return Rec(L"DS_ButterflyConstructor", 1)
                .Link(e.bodyImage)
                .Link(e.bodyMesh)
                .U(e.reserved1.Value())
                .U(e.reserved2.Value())
                .Then([&e](DS_IOF_Holder s) { e.DS_3D_Obj_Ctrl::WriteRecord(s); });
          },
          [](DS_ButterflyConstructor& read, DS_ButterflyConstructor& made) {
            EXPECT_EQ(read.bodyMesh.Key(), made.bodyMesh.Key());
            EXPECT_EQ(read.reserved2.Value(), made.reserved2.Value());
            EXPECT_FLOAT_EQ(read.wingScale, DS_ButterflyConstructor().wingScale);
          }),
      Older<DS_FireFX>(
          "DS_FireFX", 1,
          [](DS_FireFX& f) -> RecordBytes {
            return Rec(L"DS_FireFX", 1).Then([&f](DS_IOF_Holder s) { f.DS_FX_Constructor::WriteRecord(s); });
          },
          [](DS_FireFX& read, DS_FireFX& made) {
            EXPECT_EQ(read.speed.Value(), made.speed.Value());
            EXPECT_EQ(read.density.Value(), DS_FireFX().density.Value());
            EXPECT_EQ(read.patternLink.Key(), DS_FireFX().patternLink.Key());
          }),
  };
}

// The base records' older versions, carried by one class each.
std::vector<OlderCase> OlderBaseCases() {
  std::vector<OlderCase> cases;
  cases.push_back(Older<DS_WavesFX>(
      "DS_FX_Constructor", 1,
      [](DS_WavesFX& b) -> RecordBytes {
        return Rec(L"DS_WavesFX", 1)
            .U(b.amplitude.Value())
            .U(b.wavelength.Value())
            .U(b.angle.Value())
            .L(static_cast<unsigned long>(b.directionMode.Value()))
            .Then(BrushBaseVersion1(b));
      },
      [](DS_WavesFX& read, DS_WavesFX& made) {
        EXPECT_EQ(read.guid, made.guid);
        EXPECT_EQ(read.effectLink.Key(), made.effectLink.Key());
        EXPECT_EQ(read.effectScale.Value(), DS_WavesFX().effectScale.Value());
        EXPECT_EQ(read.ObjectName(), made.ObjectName());
      }));
  cases.push_back(Older<DS_ClockConstructor>(
      "DS_ViewObjCtrl", 1,
      [](DS_ClockConstructor& e) -> RecordBytes {
        return Rec(L"DS_ClockConstructor", 1)
            .Then([&e](DS_IOF_Holder s) {
              e.placement.Write(s);
              e.arrowImage.Write(s);
              s->WriteString(L"DS_3D_Obj_Ctrl");
              s->WriteInt(1);
              s->WriteUInt(e.count.Value());
              s->WriteUInt(e.size.Value());
              e.imageLink.Write(s);
              e.meshLink.Write(s);
              s->WriteString(L"DS_ViewObjCtrl");
              s->WriteInt(1);
              e.rectangle.Write(s);
              for (float f : {e.leftFraction, e.rightFraction, e.topFraction, e.bottomFraction}) s->WriteFloat(f);
              s->WriteChar(char(e.flag));
              e.DS_ABObj_Constructor::WriteRecord(s);
            });
      },
      [](DS_ClockConstructor& read, DS_ClockConstructor& made) {
        EXPECT_EQ(read.count.Value(), made.count.Value());
        EXPECT_FLOAT_EQ(read.bottomFraction, made.bottomFraction);
        EXPECT_EQ(read.speed.Value(), DS_ClockConstructor().speed.Value());
      }));
  for (int32_t version = 1; version < DS_BaseSpriteProp::kRecord.version; ++version)
    cases.push_back(Older<DS_FishConstructor>(
        "DS_BaseSpriteProp", version,
        [version](DS_FishConstructor& e) -> RecordBytes {
          return Rec(L"DS_FishConstructor", 1)
              .F(e.maxHorizontalSpeed)
              .F(e.maxVerticalSpeed)
              .Then(SpriteBase(e, version));
        },
        [version](DS_FishConstructor& read, DS_FishConstructor& made) {
          const DS_FishConstructor fresh;
          EXPECT_EQ(read.count.Value(), made.count.Value());
          EXPECT_FLOAT_EQ(read.stripRate, made.stripRate);
          EXPECT_EQ(read.speed.Value(), made.speed.Value() + (version < 3 ? 1 : 0));
          EXPECT_EQ(read.spriteImage.Key(), version >= 2 ? made.spriteImage.Key() : fresh.spriteImage.Key());
          EXPECT_EQ(read.loadMode, version >= 4 ? made.loadMode : fresh.loadMode);
          EXPECT_EQ(read.verticalFlip.Value(), version >= 5 ? made.verticalFlip.Value() : fresh.verticalFlip.Value());
          EXPECT_EQ(read.refreshOnImageChange.Value(), fresh.refreshOnImageChange.Value());
        }));
  return cases;
}

TEST_F(ClassTable, OlderVersionsReadToTheirEndWithTheirValues) {
  std::map<std::string, const ClassRow*> rows;
  for (const ClassRow& row : kClassTable) rows[row.name] = &row;
  const ClassRow fishRow{"DS_FishConstructor", Family::Item, 1};
  auto run = [&](const OlderCase& c, const ClassRow& row) {
    SCOPED_TRACE(std::string(c.name) + " version " + std::to_string(c.version));
    std::unique_ptr<DS_IOF_Item> made = MakeWithEveryField(row);
    std::unique_ptr<DS_IOF_Item> read = ReadBack(row.family, c.bytes(*made));
    ASSERT_NE(read, nullptr);
    c.check(*read, *made);
  };
  // Every version below the newest of every class has its case.
  std::set<std::pair<std::string, int32_t>> covered;
  for (const OlderCase& c : OlderCases()) {
    ASSERT_TRUE(rows.count(c.name)) << c.name;
    run(c, *rows[c.name]);
    covered.insert({c.name, c.version});
  }
  for (const ClassRow& row : kClassTable)
    for (int32_t version = 1; version < row.newest; ++version)
      EXPECT_TRUE(covered.count({row.name, version})) << row.name << " version " << version << " has no case";
  // The base records' older versions, each inside a class of the table.
  const std::map<std::string, ClassRow> carriers = {
      {"DS_FX_Constructor", *rows["DS_WavesFX"]},
      {"DS_ViewObjCtrl", *rows["DS_ClockConstructor"]},
      {"DS_BaseSpriteProp", fishRow}};
  std::set<std::pair<std::string, int32_t>> baseCovered;
  for (const OlderCase& c : OlderBaseCases()) {
    run(c, carriers.at(c.name));
    baseCovered.insert({c.name, c.version});
  }
  for (auto [base, newest] : {std::pair{"DS_FX_Constructor", DS_FX_Constructor::kRecord.version},
                              std::pair{"DS_ViewObjCtrl", DS_ViewObjCtrl::kRecord.version},
                              std::pair{"DS_BaseSpriteProp", DS_BaseSpriteProp::kRecord.version}})
    for (int32_t version = 1; version < newest; ++version)
      EXPECT_TRUE(baseCovered.count({base, version})) << base << " version " << version << " has no case";
}

}  // namespace
