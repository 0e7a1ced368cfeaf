#include "objects/StreamingEmitters.h"

#include <cmath>

#include "objects/DS_SpriteArrayObj.h"

namespace {
constexpr double kPi = double(3.1415927f);
}  // namespace

// ---- Flow -----------------------------------------------------------------------------------

DS_FlowConstructor::DS_FlowConstructor() {
  D3DXMatrixIdentity(&directionMatrix);
  direction.Assign(0);
  lateralSpeed.scale = 3.0f;
  lateralSpeed.OnParamChanged(nullptr);
  changeRate.scale = 0.25f;
  changeRate.OnParamChanged(nullptr);
  orientationMode.Assign(kUpright);
  Bind();
}

DS_FlowConstructor::DS_FlowConstructor(const DS_FlowConstructor& other)
    : DS_BaseSpriteProp(other),
      lateralSpeed(other.lateralSpeed),
      changeRate(other.changeRate),
      flowSpeed(other.flowSpeed),
      flowVector(other.flowVector),
      lateralVector(other.lateralVector),
      directionMatrix(other.directionMatrix) {
  direction.Assign(other.direction.Value());
  orientationMode.Assign(other.orientationMode.Value());
  Bind();
}

void DS_FlowConstructor::Bind() {
  controls_.SetOwner<DS_FlowConstructor>(this);
  controls_.SetUnderConstruction(false);
  DS_FunLightCtrl<unsigned int, DS_FlowConstructor>::Bind(
      controls_, direction, [](DS_FlowConstructor* o, unsigned int a) { o->OnDirectionChanged(a); });
}

void DS_FlowConstructor::OnDirectionChanged(unsigned int a) {
  D3DXMatrixRotationZ(&directionMatrix, float((360.0 - double(a)) * kPi / 180.0));
  const D3DXVECTOR4 along(flowSpeed, 0.0f, 0.0f, 0.0f), across(0.0f, 1.0f, 0.0f, 0.0f);
  D3DXVec4Transform(&flowVector, &along, &directionMatrix);
  D3DXVec4Transform(&lateralVector, &across, &directionMatrix);
}

void DS_FlowConstructor::OrientSprite(DS_Sprite& s) const {
  s.ApplySize(*this);
  s.UpdateColor(*this);
  if (orientationMode.Value() == kAlongStream) {
    s.xAxis = TransformCoord(D3DXVECTOR3(1.0f, 0.0f, 0.0f), directionMatrix);
    s.yAxis = TransformCoord(D3DXVECTOR3(0.0f, 1.0f, 0.0f), directionMatrix);
  } else if (orientationMode.Value() == kUpright) {
    s.xAxis = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    s.yAxis = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
  }
}

void DS_FlowConstructor::InitSprite(DS_Sprite& s) {
  const float lateral = RandomUnit() * 2.0f - 1.0f;
  s.impulse = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  s.velocity = D3DXVECTOR3(0.0f, 0.0f, lateral);  // the lateral factor lives in z
  s.position = RandomPointInRect();
  OrientSprite(s);
}

namespace {

// A bounce reflects through the impulse: it holds minus twice the velocity the sprite had
// and stays valid while it equals twice the current velocity; once the sprite's own course
// changes it no longer matches and is dropped.
// The vertical test looks at the bottom edge first, the horizontal one at the left edge.
void Bounce(float& impulse, float& position, float velocity, float halfExtent, float low, float high,
            bool lowFirst) {
  if (impulse != 2.0f * velocity && impulse != 0.0f) impulse = 0.0f;
  const bool pastLow = low > position - halfExtent;
  const bool pastHigh = high < position + halfExtent;
  if (pastLow && (lowFirst || !pastHigh)) {
    impulse -= 2.0f * velocity;
    position = low + halfExtent + 1.0f;
  } else if (pastHigh) {
    impulse -= 2.0f * velocity;
    position = high - halfExtent - 1.0f;
  }
}

}  // namespace

void DS_FlowConstructor::UpdateSprite(DS_Sprite& s) {
  const float lateral = s.velocity.z;
  const float factor = s.sizeFactor;
  const float along = lateralSpeed.scaledValue;
  const float vx = (lateralVector.x * lateral * along + flowVector.x) * factor + s.impulse.x;
  const float vy = (lateralVector.y * lateral * along + flowVector.y) * factor + s.impulse.y;
  s.position.x += vx * frameStep;
  s.position.y += vy * frameStep;
  const float l = LeftPixels(), r = RightPixels(), t = TopPixels(), b = BottomPixels();

  // An area spanning the picture lets sprites re-enter at the opposite edge at a random place.
  if (topFraction <= 0.0f && bottomFraction >= 1.0f) {
    if (s.IsWhollyBelow(*this)) {
      s.position.y -= (b - t) + 2.0f * s.halfHeight;
      s.position.x = RandomFloat(l, r);
    } else if (s.IsWhollyAbove(*this)) {
      s.position.y += (b - t) + 2.0f * s.halfHeight;
      s.position.x = RandomFloat(l, r);
    }
  } else {
    Bounce(s.impulse.y, s.position.y, vy, s.halfHeight, t, b, false);
  }
  if (leftFraction <= 0.0f && rightFraction >= 1.0f) {
    if (s.IsWhollyLeft(*this)) {
      s.position.x += (r - l) + 2.0f * s.halfWidth;
      s.position.y = RandomFloat(t, b);
    } else if (s.IsWhollyRight(*this)) {
      s.position.x -= (r - l) + 2.0f * s.halfWidth;
      s.position.y = RandomFloat(t, b);
    }
  } else {
    Bounce(s.impulse.x, s.position.x, vx, s.halfWidth, l, r, true);
  }

  if (orientationMode.Value() == kMirrorHorizontally) {
    s.xAxis = D3DXVECTOR3(std::copysign(1.0f, vx), 0.0f, 0.0f);
    s.yAxis = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
  } else if (orientationMode.Value() == kMirrorVertically) {
    s.xAxis = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    s.yAxis = D3DXVECTOR3(0.0f, std::copysign(1.0f, vy), 0.0f);
  }

  // A change rate of 0 gives an infinite interval: the factor never changes.
  if (1.0f / changeRate.scaledValue < clock - s.lastChange) {
    s.lastChange = clock;
    if (rand() & 1) s.velocity.z = RandomUnit() * 2.0f - 1.0f;
  }
}

void DS_FlowConstructor::ReadFields(DS_IOF_Holder stream, int32_t version) {
  stream->ReadUInt(direction.Value());
  stream->ReadUInt(lateralSpeed.Value());
  stream->ReadUInt(changeRate.Value());
  stream->ReadFloat(flowSpeed);
  if (version >= 3) {
    int32_t mode = 0;
    stream->ReadInt(mode);
    orientationMode.Value() = mode;
  } else if (version == 2) {
    int32_t turned = 0;
    stream->ReadInt(turned);
    orientationMode.Assign(turned != 0 ? kAlongStream : kUpright);
  }
  DS_BaseSpriteProp::ReadRecord(stream);
}

bool DS_FlowConstructor::ReadRecord(DS_IOF_Holder stream) {
  const DS_RecordHeader header = ReadRecordHeader(stream);
  ReadFields(stream, header.version);
  return true;
}

void DS_FlowConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_FlowConstructor::WriteFields(DS_IOF_Holder stream) {
  stream->WriteUInt(direction.Value());
  lateralSpeed.Write(stream);
  changeRate.Write(stream);
  stream->WriteFloat(flowSpeed);
  stream->WriteULong((unsigned long)(uint32_t)orientationMode.Value());
  DS_BaseSpriteProp::WriteRecord(stream);
}

// ---- Rain -----------------------------------------------------------------------------------

DS_RainConstructor::DS_RainConstructor() {
  // Assign tells no control: this item keeps the vectors of direction 0 until a copy binds.
  direction.Assign(270);
  lateralSpeed.SetValue(0);
  flowSpeed = 2000.0f;
  sizeFactorMin = 0.5f;
  sizeFactorMax = 1.0f;
  orientationMode.Assign(kAlongStream);
  D3DXMatrixRotationZ(&turnMatrix, 4.712389f);
}

void DS_RainConstructor::InitSprite(DS_Sprite& s) {
  DS_FlowConstructor::InitSprite(s);
  s.alphaPhase = RandomUnit();
  OrientSprite(s);
  if (orientationMode.Value() == kAlongStream) {
    s.xAxis = TransformCoord(s.xAxis, turnMatrix);
    s.yAxis = TransformCoord(s.yAxis, turnMatrix);
  }
}

void DS_RainConstructor::UpdateSprite(DS_Sprite& s) {
  DS_FlowConstructor::UpdateSprite(s);
  BreatheAlpha(s, true);
}

void DS_RainConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  DS_FlowConstructor::WriteRecord(stream);
}
