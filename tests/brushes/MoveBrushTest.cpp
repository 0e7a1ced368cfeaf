// The move brush with a recording stand-in for its effect: its direction turning with
// 360 - angle, its offset in the sine and noise modes, "Direction" before the first
// update, and the record that nests "DS_DirectionBased" between its own and the base's.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "brushes/DS_MoveFX.h"
#include "document/ReaderRegistry.h"
#include "runtime/Noise.h"
#include "scene/DocumentReaders.h"
#include "tests/brushes/BrushTestDoubles.h"
#include "tests/support/RecordBytes.h"

namespace {

constexpr float kPi = 3.1415927f;

TEST(MoveBrush, TheDirectionTurnsByThreeSixtyLessTheAngle) {
  struct Case {
    unsigned angle;
    float x, y;
  } cases[] = {{0, 1, 0}, {90, 0, -1}, {180, -1, 0}, {270, 0, 1}};
  DS_MoveFX move;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.angle);
    move.angle.SetValue(c.angle);
    EXPECT_NEAR(move.direction.x, c.x, 1e-6f);
    EXPECT_NEAR(move.direction.y, c.y, 1e-6f);
  }
}

TEST(MoveBrush, DirectionIsZeroUntilTheFirstUpdate) {
  RecordedBrush<DS_MoveFX> move;
  move.Bind();
  move.Draw();
  ExpectFloats(move.effect->Floats("Direction"), {0.0f, 0.0f});
  EXPECT_EQ(move.effect->technique, "Main");
  EXPECT_EQ(move.host.draws, 1);
  ExpectFloats(move.effect->Floats("Scale"), {1024.0f / 768.0f, 1.0f});
}

TEST(MoveBrush, TheOffsetFollowsTheSineOrTheNoise) {
  // Amplitude 50 x 0.0002 = 0.01.
  struct Case {
    int mode;
    unsigned angle;
    float t;
    float x, y;
  } cases[] = {
      {0, 0, 0.0f, 0.0f, 0.0f},
      {0, 0, kPi / 2, 0.01f, 0.0f},
      {0, 90, kPi / 2, 0.0f, -0.01f},
      {0, 180, 3 * kPi / 2, 0.01f, 0.0f},
      // Any mode but 1 is the sine.
      {2, 0, kPi / 2, 0.01f, 0.0f},
      {-1, 0, kPi / 6, 0.005f, 0.0f},
      // Mode 1: one octave of value noise at 50 t, also where the sine would peak.
      {1, 0, 0.37f, float(FractalNoise1D(50.0 * double(0.37f), 75.0, 0.5, 1)) * 0.01f, 0.0f},
      {1, 0, kPi / 2, float(FractalNoise1D(50.0 * double(kPi / 2), 75.0, 0.5, 1)) * 0.01f, 0.0f},
      {1, 90, 2.9f, 0.0f, -float(FractalNoise1D(50.0 * double(2.9f), 75.0, 0.5, 1)) * 0.01f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " angle " << c.angle << " t " << c.t);
    RecordedBrush<DS_MoveFX> move;
    move.brush.motionMode.Value() = c.mode;
    move.brush.angle.SetValue(c.angle);
    move.Bind();
    move.SetClock(c.t);
    move.Draw();
    ExpectFloats(move.effect->Floats("Direction"), {c.x, c.y}, 1e-6f);
  }
}

TEST(MoveBrush, TheClockRunsAtTheApplicationsPaceAndACopyKeepsTheOffset) {
  DS_MoveFX move;
  for (float t = 0.1f; t < 1.05f; t += 0.1f) move.Update(t);
  EXPECT_NEAR(move.Time(), 1.0f, 1e-5f);
  EXPECT_NEAR(move.offset.x, 0.01f * std::sin(move.Time()), 1e-7f);
  DS_MoveFX copy(move);
  EXPECT_EQ(copy.offset, move.offset);
  EXPECT_FLOAT_EQ(copy.amplitude.scaledValue, 0.01f);
}

TEST(MoveBrush, WithoutItsEffectItDrawsNothingAndSamplesNoScene) {
  RecordedBrush<DS_MoveFX> move;
  move.manager.Tables().effects.erase(move.brush.effectLink.Key());
  move.brush.sceneEffect.Value() = 1;
  std::unique_ptr<DS_ABObj> object(move.brush.CreateObject());
  EXPECT_FALSE(object->IsSceneEffect());
  object->Update(1.0f);
  object->Render(move.host);
  EXPECT_EQ(move.host.draws, 0);
}

// "DS_MoveFX" 1, mode; "DS_DirectionBased" 1, amplitude, angle; then the base's record.
std::vector<uint8_t> MoveRecord() {
  DS_IOF_W writer;
  DS_IOF_Virtual* s = &writer;
  s->WriteString(L"DS_MoveFX");
  s->WriteInt(1);
  s->WriteULong(1);
  s->WriteString(L"DS_DirectionBased");
  s->WriteInt(1);
  s->WriteUInt(100);
  s->WriteUInt(90);
  return writer.Bytes() + BrushBaseRecord(2, 50, 1, {L"common_res.dll", 91}, 50, L"Branch");
}

TEST(MoveBrush, TheRecordNestsTheDirectionBasedRecord) {
  RegisterDocumentReaders();
  std::unique_ptr<DS_ABObj_Constructor> item;
  ReadBytes(MoveRecord(), [&](DS_IOF_Holder s) { item.reset(ReadByClassName(ConstructorReaderRegistry(), s)); });
  auto* read = dynamic_cast<DS_MoveFX*>(item.get());
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->ObjectName(), L"Branch");
  EXPECT_EQ(read->motionMode.Value(), 1);
  EXPECT_FLOAT_EQ(read->amplitude.scaledValue, 0.02f);
  EXPECT_EQ(read->angle.Value(), 90u);
  EXPECT_EQ(read->sceneEffect.Value(), 1);
  // The angle was stored without notification: the item keeps angle 0's direction; the
  // clone made for the render object turns.
  EXPECT_NEAR(read->direction.x, 1.0f, 1e-6f);
  std::unique_ptr<DS_FX_Constructor> clone(read->Clone());
  EXPECT_NEAR(static_cast<DS_MoveFX*>(clone.get())->direction.y, -1.0f, 1e-6f);

  // Written back: the same bytes.
  const RecordBytes written = WriteBytes([&](DS_IOF_Holder s) { read->Write(s); });
  EXPECT_EQ(written, MoveRecord());
}

}  // namespace
