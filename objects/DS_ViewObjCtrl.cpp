#include "objects/DS_ViewObjCtrl.h"

#include <cmath>

#include "runtime/DS_View2D.h"
#include "runtime/Random.h"

namespace {

float PictureWidth() { return float(g_virtualScreen->pictureWidth); }
float PictureHeight() { return float(g_virtualScreen->pictureHeight); }

// The fraction of a pixel edge; a picture without size (before the first light is sized)
// leaves the fraction as it is instead of storing 0/0.
void EdgeToFraction(int pixels, float size, float& fraction) {
  if (size > 0.0f) fraction = float(pixels) / size;
}

int FractionToEdge(float fraction, float size) { return int(fraction * size); }

}  // namespace

DS_ViewObjCtrl::DS_ViewObjCtrl() {
  speed.Assign(50);
  BindEdgeParams();
}

DS_ViewObjCtrl::DS_ViewObjCtrl(const DS_ViewObjCtrl& other)
    : DS_ABObj_Constructor(other),
      flag(other.flag),
      leftFraction(other.leftFraction),
      rightFraction(other.rightFraction),
      topFraction(other.topFraction),
      bottomFraction(other.bottomFraction) {
  speed.Assign(other.speed.Value());
  BindEdgeParams();
}

void DS_ViewObjCtrl::BindEdgeParams() {
  SyncEdgeParams();
  controls_.SetOwner<DS_ViewObjCtrl>(this);
  controls_.SetUnderConstruction(false);
  using EdgeCtrl = DS_FunLightCtrl<int, DS_ViewObjCtrl>;
  EdgeCtrl::Bind(controls_, rectangle.left, [](DS_ViewObjCtrl* o, int p) { o->OnLeftEdgeChanged(p); });
  EdgeCtrl::Bind(controls_, rectangle.right, [](DS_ViewObjCtrl* o, int p) { o->OnRightEdgeChanged(p); });
  EdgeCtrl::Bind(controls_, rectangle.top, [](DS_ViewObjCtrl* o, int p) { o->OnTopEdgeChanged(p); });
  EdgeCtrl::Bind(controls_, rectangle.bottom, [](DS_ViewObjCtrl* o, int p) { o->OnBottomEdgeChanged(p); });
}

void DS_ViewObjCtrl::SyncEdgeParams() {
  rectangle.left.SetValue(FractionToEdge(leftFraction, PictureWidth()));
  rectangle.right.SetValue(FractionToEdge(rightFraction, PictureWidth()));
  rectangle.top.SetValue(FractionToEdge(topFraction, PictureHeight()));
  rectangle.bottom.SetValue(FractionToEdge(bottomFraction, PictureHeight()));
}

void DS_ViewObjCtrl::OnLeftEdgeChanged(int pixels) { EdgeToFraction(pixels, PictureWidth(), leftFraction); }
void DS_ViewObjCtrl::OnRightEdgeChanged(int pixels) { EdgeToFraction(pixels, PictureWidth(), rightFraction); }
void DS_ViewObjCtrl::OnTopEdgeChanged(int pixels) { EdgeToFraction(pixels, PictureHeight(), topFraction); }
void DS_ViewObjCtrl::OnBottomEdgeChanged(int pixels) { EdgeToFraction(pixels, PictureHeight(), bottomFraction); }

float DS_ViewObjCtrl::LeftPixels() const { return leftFraction * PictureWidth(); }
float DS_ViewObjCtrl::RightPixels() const { return rightFraction * PictureWidth(); }
float DS_ViewObjCtrl::TopPixels() const { return topFraction * PictureHeight(); }
float DS_ViewObjCtrl::BottomPixels() const { return bottomFraction * PictureHeight(); }

DS_QuadCorners DS_ViewObjCtrl::GetScreenQuad() const {
  DS_QuadCorners q;
  InitScreenQuad(q);
  const float l = LeftPixels(), r = RightPixels(), t = TopPixels(), b = BottomPixels();
  q.corner[0].x = l, q.corner[0].y = b;
  q.corner[1].x = l, q.corner[1].y = t;
  q.corner[2].x = r, q.corner[2].y = b;
  q.corner[3].x = r, q.corner[3].y = t;
  return q;
}

void DS_ViewObjCtrl::AdvanceClock(float t) {
  float step = std::fabs(t - lastTime);
  if (step > 0.2f) step = 0.2f;
  step = float(double(step) * (double(speed.Value()) * 0.02));
  frameStep = step;
  clock += step;
  lastTime = t;
}

D3DXVECTOR3 DS_ViewObjCtrl::RandomPointInRect() const {
  const float x = RandomFloat(LeftPixels(), RightPixels());
  const float y = RandomFloat(TopPixels(), BottomPixels());
  return {x, y, 0.0f};
}

D3DXVECTOR3 DS_ViewObjCtrl::RandomPointInsideRect(float halfWidth, float halfHeight) const {
  const float x = RandomFloat(LeftPixels() + halfWidth, RightPixels() - halfWidth);
  const float y = RandomFloat(TopPixels() + halfHeight, BottomPixels() - halfHeight);
  return {x, y, 0.0f};
}

void DS_ViewObjCtrl::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_ViewObjCtrl::WriteFields(DS_IOF_Holder stream) {
  rectangle.Write(stream);
  stream->WriteFloat(leftFraction);
  stream->WriteFloat(rightFraction);
  stream->WriteFloat(topFraction);
  stream->WriteFloat(bottomFraction);
  stream->WriteBool(flag);
  stream->WriteUInt(speed.Value());
  DS_ABObj_Constructor::WriteRecord(stream);
}

bool DS_ViewObjCtrl::ReadRecord(DS_IOF_Holder stream) {
  const DS_RecordHeader header = ReadRecordHeader(stream);
  ReadFields(stream, header.version);
  return true;
}

void DS_ViewObjCtrl::ReadFields(DS_IOF_Holder stream, int32_t version) {
  rectangle.Read(stream);
  stream->ReadFloat(leftFraction);
  stream->ReadFloat(rightFraction);
  stream->ReadFloat(topFraction);
  stream->ReadFloat(bottomFraction);
  stream->ReadBool(flag);
  if (version > 1) stream->ReadUInt(speed.Value());
  DS_ABObj_Constructor::ReadRecord(stream);
}
