#include "objects/RootedEmitters.h"

#include <cmath>

#include "objects/DS_SpriteArrayObj.h"
#include "runtime/DS_View2D.h"

namespace {

constexpr double kPi = double(3.1415927f);

// The horizontal shift per pixel of height of a stem leaning by amplitude x sin(a)
// degrees: 1 / tan(180 - lean), lean = sin(a) x amplitude + 90.
float LeanSlope(float a, float amplitude) {
  const float lean = std::sin(a) * amplitude + 90.0f;
  return 1.0f / std::tan(float((180.0f - lean) * kPi / 180.0));
}

}  // namespace

// ---- Grass ----------------------------------------------------------------------------------

void DS_GrassConstructor::InitSprite(DS_Sprite& s) {
  const float l = LeftPixels(), r = RightPixels();
  s.position.x = l + RandomUnit() * (r - l);
  s.position.y = BottomPixels() - s.halfHeight;  // standing on the area's bottom edge
  s.velocity.z = s.position.x;                   // the root
  s.velocity.y = RandomUnit() * float(kPi / 2.0);  // the blade's own phase
  s.xAxis = (rand() & 1) ? D3DXVECTOR3(-1.0f, 0.0f, 0.0f) : D3DXVECTOR3(1.0f, 0.0f, 0.0f);
}

void DS_GrassConstructor::UpdateSprite(DS_Sprite& s) {
  // Neighbouring blades sway out of step by their place; a picture without width (before
  // the first light is sized) gives no place term rather than a NaN.
  const float width = float(g_virtualScreen->pictureWidth);
  const float place = width > 0.0f ? float(2.0 * kPi) * s.position.x / width : 0.0f;
  const float q = LeanSlope(clock + s.velocity.y + place, swayAmplitude);
  s.yAxis = D3DXVECTOR3(q, 1.0f, 0.0f);
  s.position.x = s.velocity.z - s.halfHeight * q;  // the lower edge's middle stays at the root
}

void DS_GrassConstructor::ReadFields(DS_IOF_Holder stream, int32_t) {
  stream->ReadFloat(swayAmplitude);
  DS_BaseSpriteProp::ReadRecord(stream);
}

void DS_GrassConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_GrassConstructor::WriteFields(DS_IOF_Holder stream) {
  stream->WriteFloat(swayAmplitude);
  DS_BaseSpriteProp::WriteRecord(stream);
}

// ---- Placed sprite --------------------------------------------------------------------------

DS_StatObjConstructor::DS_StatObjConstructor() {
  placement.x.Value() = int(g_virtualScreen->pictureWidth / 2);
  placement.y.Value() = int(g_virtualScreen->pictureHeight / 2);
  rotation.Assign(0);
  D3DXMatrixIdentity(&rotationMatrix);
}

DS_StatObjConstructor::DS_StatObjConstructor(const DS_StatObjConstructor& other)
    : DS_BaseSpriteProp(other), placement(other.placement), rotationMatrix(other.rotationMatrix) {
  rotation.Assign(other.rotation.Value());
}

DS_ABObj* DS_StatObjConstructor::CreateObject() {
  LoadImages();
  auto* array = new DS_SpriteArrayObj(Clone());
  array->ownBounds = 1;
  return array;
}

DS_QuadCorners DS_StatObjConstructor::GetScreenQuad() const {
  DS_QuadCorners q;
  InitScreenQuad(q);
  const float l = float(placement.left.Value()), r = float(placement.right.Value());
  const float t = float(placement.top.Value()), b = float(placement.bottom.Value());
  q.corner[0].x = l, q.corner[0].y = b;
  q.corner[1].x = l, q.corner[1].y = t;
  q.corner[2].x = r, q.corner[2].y = b;
  q.corner[3].x = r, q.corner[3].y = t;
  return q;
}

bool DS_StatObjConstructor::HitTest(float x, float y) const { return ContainsPoint(placement, x, y); }

void DS_StatObjConstructor::PlaceSprite(DS_Sprite& s) {
  s.position = D3DXVECTOR3(float(placement.x.Value()), float(placement.y.Value()), 0.0f);
  s.ApplySize(*this);
  s.UpdateColor(*this);
  // About z by minus the rotation: y runs downwards, so this turns counter-clockwise on
  // the screen.
  D3DXMatrixRotationZ(&rotationMatrix, float(double(rotation.Value()) * -kPi / 180.0));
  s.xAxis = TransformCoord(D3DXVECTOR3(1.0f, 0.0f, 0.0f), rotationMatrix);
  s.yAxis = TransformCoord(D3DXVECTOR3(0.0f, 1.0f, 0.0f), rotationMatrix);
  FitRectangle(s);
}

void DS_StatObjConstructor::FitRectangle(const DS_Sprite& s) {
  const float a = std::fabs(s.xAxis.x * s.halfWidth), b = std::fabs(s.yAxis.x * s.halfHeight);
  const float c = std::fabs(s.halfHeight * s.yAxis.y), d = std::fabs(s.xAxis.y * s.halfWidth);
  const float x = s.position.x, y = s.position.y;
  placement.left.Assign(int(x - a - b));
  placement.right.Assign(int(a + x + b));
  placement.top.Assign(int(y - c - d));
  placement.bottom.Assign(int(c + y + d));
}

void DS_StatObjConstructor::ReadFields(DS_IOF_Holder stream, int32_t version) {
  placement.Read(stream);
  stream->ReadUInt(rotation.Value());
  if (version < 2) {
    // Older records kept the flips here; a base record of version 5 or more replaces them.
    stream->ReadInt(verticalFlip.Value());
    stream->ReadInt(horizontalFlip.Value());
  }
  DS_BaseSpriteProp::ReadRecord(stream);
}

bool DS_StatObjConstructor::ReadRecord(DS_IOF_Holder stream) {
  const DS_RecordHeader header = ReadRecordHeader(stream);
  ReadFields(stream, header.version);
  return true;
}

void DS_StatObjConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_StatObjConstructor::WriteFields(DS_IOF_Holder stream) {
  placement.Write(stream);
  stream->WriteUInt(rotation.Value());
  DS_BaseSpriteProp::WriteRecord(stream);
}

// ---- Flower ---------------------------------------------------------------------------------

void DS_FlowerConstructor::UpdateSprite(DS_Sprite& s) {
  // velocity y stays 0 for flowers, so all flowers of an emitter sway in step.
  const float q = LeanSlope(clock + s.velocity.y, swayAmplitude);
  s.yAxis = TransformCoord(D3DXVECTOR3(q, 1.0f, 0.0f), rotationMatrix);
  s.position.x = float(placement.x.Value()) - q * s.xAxis.x * s.halfHeight;
  s.position.y = float(placement.y.Value()) - q * s.xAxis.y * s.halfHeight;
}

void DS_FlowerConstructor::ReadFields(DS_IOF_Holder stream, int32_t) {
  stream->ReadFloat(swayAmplitude);
  DS_StatObjConstructor::ReadRecord(stream);
}

void DS_FlowerConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_FlowerConstructor::WriteFields(DS_IOF_Holder stream) {
  stream->WriteFloat(swayAmplitude);
  DS_StatObjConstructor::WriteRecord(stream);
}

// ---- Discharge ------------------------------------------------------------------------------

uint32_t DS_DischargeConstructor::NextFrame(uint32_t index) {
  // Fewer than two frames leave no other frame to pick: the current one stays.
  if (stripFrames < 2) return index;
  int32_t f = 0;
  do {
    f = rand() % int32_t(stripFrames);
  } while (uint32_t(f) == index);
  return uint32_t(f);
}

void DS_DischargeConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  DS_StatObjConstructor::WriteRecord(stream);
}
