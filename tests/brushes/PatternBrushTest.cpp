// The pattern brushes with a recording stand-in for their effect: frame stepping, the
// tiling values for a 256 x 128 pattern on a 1024 x 768 picture, a pattern without a
// picture or a frame without its texture drawing nothing, and "DS_PatternBrushC" read under
// its own name drawing as a "DS_PatternBrush".
#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>

#include "brushes/DS_PatternBrush.h"
#include "document/ReaderRegistry.h"
#include "scene/DocumentReaders.h"
#include "tests/brushes/BrushTestDoubles.h"
#include "tests/support/RecordBytes.h"

namespace {

// A pattern of the given size with one fake texture per frame time.
void GivePattern(DS_PatternBrush& brush, uint32_t w, uint32_t h, std::vector<float> frameTimes, size_t textures) {
  DS_TextureSet& set = brush.patternTextures;
  set.textures.clear();
  for (size_t i = 0; i < textures; ++i) set.textures.push_back(FakeTexture::Create());
  set.frameTimes = std::move(frameTimes);
  set.width = w;
  set.height = h;
  brush.frameIndex = 0;
}

TEST(PatternBrush, AFrameChangesWhenItsTimeIsStrictlyExceeded) {
  DS_PatternBrush brush;
  GivePattern(brush, 4, 4, {0.5f, 0.5f}, 2);
  // Steps of 0.125 s (exact in binary; the clock runs at the application's pace).
  struct Step {
    float time;
    uint32_t frame;
    float start;
  } steps[] = {
      {0.125f, 0, 0.0f}, {0.25f, 0, 0.0f}, {0.375f, 0, 0.0f},
      {0.5f, 0, 0.0f},      // 0.5 elapsed: not more than the frame time
      {0.625f, 1, 0.625f},  // 0.625 > 0.5
      {1.125f, 1, 0.625f},  // 0.5 again
      {1.25f, 0, 1.25f},    // and back to the first frame
  };
  float t = 0.0f;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.time);
    while (t < s.time) brush.Update(t += 0.125f);
    EXPECT_EQ(brush.frameIndex, s.frame);
    EXPECT_FLOAT_EQ(brush.frameStart, s.start);
  }
}

TEST(PatternBrush, OneFrameStaysButItsStartMoves) {
  DS_PatternBrush brush;
  GivePattern(brush, 4, 4, {0.25f}, 1);
  float t = 0.0f;
  while (t < 0.375f) brush.Update(t += 0.125f);
  EXPECT_EQ(brush.frameIndex, 0u);
  EXPECT_FLOAT_EQ(brush.frameStart, 0.375f);
}

TEST(PatternBrush, AClockEarlierThanTheFrameStartRestartsTheFrame) {
  DS_PatternBrush brush;
  GivePattern(brush, 4, 4, {0.5f, 0.5f}, 2);
  brush.frameStart = 7.0f;
  brush.Update(0.125f);
  EXPECT_FLOAT_EQ(brush.frameStart, 0.125f);
  EXPECT_EQ(brush.frameIndex, 0u);
  // Without frame times only the start follows.
  DS_PatternBrush still;
  still.frameStart = 3.0f;
  still.Update(0.1f);
  EXPECT_FLOAT_EQ(still.frameStart, 0.1f);
  EXPECT_EQ(still.frameIndex, 0u);
}

TEST(PatternBrush, TilingValuesForAWidePatternOnAPicture) {
  struct Case {
    const char* name;
    int horizontalMirror, verticalMirror;
    unsigned rotation;
    std::initializer_list<float> transform;
  } cases[] = {
      {"plain", 0, 0, 0, {4, 0, 0, 6}},
      {"horizontal mirror", 1, 0, 0, {-4, 0, 0, 6}},
      {"vertical mirror", 0, 1, 0, {4, 0, 0, -6}},
      {"both mirrors", 1, 1, 0, {-4, 0, 0, -6}},
      // {sx cos a, sx sin a, -sy sin a, sy cos a}
      {"90 degrees", 0, 0, 90, {0, 4, -6, 0}},
      {"180 degrees", 0, 0, 180, {-4, 0, 0, -6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedBrush<DS_PatternBrush> p;
    GivePattern(p.brush, 256, 128, {}, 1);
    p.brush.horizontalMirror.Value() = c.horizontalMirror;
    p.brush.verticalMirror.Value() = c.verticalMirror;
    p.brush.rotation.Value() = c.rotation;
    p.brush.DS_FX_Constructor::BindResources(nullptr);
    p.Draw();
    ExpectFloats(p.effect->Floats("coord_transf"), c.transform, 1e-5f);
    ExpectFloats(p.effect->Floats("scale"), {2, 1});
    ExpectFloats(p.effect->Floats("offset"), {0, 0});
    ExpectFloats(p.effect->Floats("Scale"), {1024.0f / 768.0f, 1.0f});
    EXPECT_EQ(p.effect->textures.at("Pattern"), p.brush.patternTextures.textures[0].Get());
    EXPECT_EQ(p.effect->technique, "Main");
    EXPECT_EQ(p.host.draws, 1);
  }
}

TEST(PatternBrush, ZoomRotationAndScroll) {
  RecordedBrush<DS_PatternBrush> p;
  GivePattern(p.brush, 1024, 768, {}, 1);
  p.brush.DS_FX_Constructor::BindResources(nullptr);
  p.brush.rotation.Value() = 90;
  p.Draw();
  ExpectFloats(p.effect->Floats("coord_transf"), {0, 1, -1, 0}, 1e-6f);
  p.brush.rotation.Value() = 0;
  p.brush.zoom.SetValue(200);  // twice as large: half as many tiles
  p.brush.scrollX.SetValue(10);
  p.brush.scrollY.SetValue(10);
  p.Draw();
  ExpectFloats(p.effect->Floats("coord_transf"), {0.5f, 0, 0, 0.5f});
  ExpectFloats(p.effect->Floats("offset"), {-0.1f, 0.1f});
}

TEST(PatternBrush, WhatDrawsNothing) {
  struct Case {
    const char* name;
    uint32_t height;
    size_t textures;
    uint32_t frame;
    bool draws;
  } cases[] = {
      {"a picture", 32, 2, 1, true},
      {"no picture: height 0", 0, 0, 0, false},
      {"height 0 with a texture", 0, 1, 0, false},
      // Frame times and pictures are counted apart: a frame past the pictures has none.
      {"a frame past the textures", 32, 1, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedBrush<DS_PatternBrush> p;
    GivePattern(p.brush, 32, c.height, {1.0f, 1.0f}, c.textures);
    p.brush.frameIndex = c.frame;
    p.brush.sceneEffect.Value() = 1;
    p.brush.DS_FX_Constructor::BindResources(nullptr);
    p.Draw();
    EXPECT_EQ(p.host.draws, c.draws ? 1 : 0);
    EXPECT_EQ(p.effect->calls.empty(), !c.draws);
    // A scene-sampling brush that draws nothing leaves the scene drawn before it.
    DS_BrushObj object(p.brush.Clone());
    static_cast<DS_PatternBrush*>(object.Brush())->patternTextures = p.brush.patternTextures;
    static_cast<DS_PatternBrush*>(object.Brush())->frameIndex = c.frame;
    EXPECT_EQ(object.IsSceneEffect(), c.draws);
  }
}

// The same values under either class name: "DS_PatternBrushC" holds one whole
// "DS_PatternBrush" record.
std::vector<uint8_t> PatternFields() {
  DS_IOF_W writer;
  DS_IOF_Virtual* s = &writer;
  DS_FileLink3(L"lace.png", 42).Write(s);
  s->WriteULong(1);
  s->WriteULong(0);
  s->WriteUInt(30);
  s->WriteUInt(150);
  s->WriteUInt(5);
  s->WriteUInt(20);
  return writer.Bytes() + BrushBaseRecord(2, 50, 0, {L"common_res.dll", 78}, 50, L"Lace");
}

std::vector<uint8_t> Head(const wchar_t* name) {
  DS_IOF_W writer;
  DS_IOF_Virtual* s = &writer;
  s->WriteString(name);
  s->WriteInt(1);
  return writer.Bytes();
}

TEST(PatternBrush, BothClassNamesDrawTheSame) {
  RegisterDocumentReaders();
  const std::vector<uint8_t> plain = Head(L"DS_PatternBrush") + PatternFields();
  const std::vector<uint8_t> named = Head(L"DS_PatternBrushC") + plain;
  std::vector<std::vector<RecordingEffect::Call>> drawn;
  for (const auto* bytes : {&plain, &named}) {
    std::unique_ptr<DS_ABObj_Constructor> item;
    ReadBytes(*bytes, [&](DS_IOF_Holder s) { item.reset(ReadByClassName(ConstructorReaderRegistry(), s)); });
    auto* read = dynamic_cast<DS_PatternBrush*>(item.get());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(bytes == &named, dynamic_cast<DS_PatternBrushC*>(read) != nullptr);
    EXPECT_EQ(read->ObjectName(), L"Lace");
    EXPECT_EQ(read->pattern.Key(), (DS_LinkKey{L"lace.png", 42}));

    // The document carries the pattern; the render object drives a DS_PatternBrush.
    RecordedBrush<DS_PatternBrush> p;
    DS_TextureSet& set = p.manager.Tables().textureSets[read->pattern.Key()];
    set.textures = {FakeTexture::Create()};
    set.width = 64;
    set.height = 32;
    p.effect->Install(p.manager, read->effectLink);
    std::unique_ptr<DS_ABObj> object(read->CreateObject());
    auto* brush = static_cast<DS_BrushObj*>(object.get())->Brush();
    EXPECT_EQ(typeid(*brush), typeid(DS_PatternBrush));
    object->Update(0.5f);
    object->Render(p.host);
    drawn.push_back(p.effect->calls);
    ExpectFloats(p.effect->Floats("coord_transf"),
                 // Rotation 30, zoom 1.5, the vertical mirror: sy negative.
                 {1024.0f / (64 * 1.5f) * 0.8660254f, 1024.0f / (64 * 1.5f) * 0.5f, 768.0f / (32 * 1.5f) * 0.5f,
                  -768.0f / (32 * 1.5f) * 0.8660254f},
                 1e-4f);
    ExpectFloats(p.effect->Floats("offset"), {-0.05f, 0.2f});
    EXPECT_EQ(p.effect->textures.at("Pattern"), set.textures[0].Get());
    item.reset();
  }
  ASSERT_EQ(drawn.size(), 2u);
  ASSERT_EQ(drawn[0].size(), drawn[1].size());
  for (size_t i = 0; i < drawn[0].size(); ++i) {
    EXPECT_EQ(drawn[0][i].name, drawn[1][i].name);
    EXPECT_EQ(drawn[0][i].values, drawn[1][i].values);
  }
  // A written "DS_PatternBrushC" record has the same bytes.
  std::unique_ptr<DS_ABObj_Constructor> item;
  ReadBytes(named, [&](DS_IOF_Holder s) { item.reset(ReadByClassName(ConstructorReaderRegistry(), s)); });
  EXPECT_EQ(WriteBytes([&](DS_IOF_Holder s) { item->Write(s); }), named);
}

}  // namespace
