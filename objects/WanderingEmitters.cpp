#include "objects/WanderingEmitters.h"

#include <cmath>

#include "objects/DS_SpriteArrayObj.h"
#include "runtime/Random.h"

// ---- Fish -----------------------------------------------------------------------------------

void DS_FishConstructor::FaceVelocity(DS_Sprite& sprite) const {
  sprite.ApplySize(*this);
  sprite.UpdateColor(*this);
  if (sprite.velocity.x < 0.0f) sprite.halfWidth = -sprite.halfWidth;
}

void DS_FishConstructor::InitSprite(DS_Sprite& sprite) {
  const float vx = RandomFloat(-maxHorizontalSpeed, maxHorizontalSpeed);
  const float vy = RandomFloat(-maxVerticalSpeed, maxVerticalSpeed);
  sprite.impulse = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  sprite.velocity = D3DXVECTOR3(vx, vy, 0.0f);
  sprite.position = RandomPointInRect();
  FaceVelocity(sprite);
}

void DS_FishConstructor::UpdateSprite(DS_Sprite& s) {
  s.position.x += s.velocity.x * frameStep;
  s.position.y += s.velocity.y * frameStep;
  // A fish leaves the area completely before it turns, and faces its way.
  if (s.IsWhollyLeft(*this)) {
    s.velocity.x = std::fabs(s.velocity.x);
    s.halfWidth = std::fabs(s.halfWidth);
  } else if (s.IsWhollyRight(*this)) {
    s.velocity.x = -std::fabs(s.velocity.x);
    s.halfWidth = -std::fabs(s.halfWidth);
  }
  if (s.CrossesTop(*this)) {
    s.velocity.y = std::fabs(s.velocity.y);
  } else if (s.CrossesBottom(*this)) {
    s.velocity.y = -std::fabs(s.velocity.y);
  }
  // Course changes are timed in application seconds, not on the speed-scaled clock.
  if (lastTime - s.lastChange > 1.0f) {
    s.lastChange = lastTime;
    if (rand() & 1) {
      s.velocity.x = std::copysign(RandomFloat(-maxHorizontalSpeed, maxHorizontalSpeed), s.velocity.x);
      s.velocity.y = RandomFloat(-maxVerticalSpeed, maxVerticalSpeed);
      s.velocity.z = 0.0f;
    }
  }
}

void DS_FishConstructor::ReadFields(DS_IOF_Holder stream, int32_t) {
  stream->ReadFloat(maxHorizontalSpeed);
  stream->ReadFloat(maxVerticalSpeed);
  DS_BaseSpriteProp::ReadRecord(stream);
}

bool DS_FishConstructor::ReadRecord(DS_IOF_Holder stream) {
  const DS_RecordHeader header = ReadRecordHeader(stream);
  ReadFields(stream, header.version);
  return true;
}

void DS_FishConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_FishConstructor::WriteFields(DS_IOF_Holder stream) {
  stream->WriteFloat(maxHorizontalSpeed);
  stream->WriteFloat(maxVerticalSpeed);
  DS_BaseSpriteProp::WriteRecord(stream);
}

// ---- Bird -----------------------------------------------------------------------------------

void DS_BirdConstructor::UpdateSprite(DS_Sprite& s) {
  DS_FishConstructor::UpdateSprite(s);
  // Birds keep flying downwards at 0.4 to 1.0 of the vertical maximum...
  const double m = double(maxVerticalSpeed) * double(0.7f);
  if (std::fabs(s.velocity.y) < m) s.velocity.y = float(m + double(s.velocity.y) * 0.3 / 0.7);
  // ... and at least 70 percent of the horizontal one.
  const float floor = 0.7f * maxHorizontalSpeed;
  if (std::fabs(s.velocity.x) < floor)
    s.velocity.x = std::copysign(RandomFloat(floor, maxHorizontalSpeed), s.velocity.x);
}

void DS_BirdConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  DS_FishConstructor::WriteRecord(stream);
}

// ---- Ghost ----------------------------------------------------------------------------------

DS_GhostConstructor::DS_GhostConstructor() {
  maxHorizontalSpeed = 50.0f;
  maxVerticalSpeed = 50.0f;
  alphaSpeed = 0.66f;
  transparency.SetValue(50);
  sizeFactorMin = 1.0f;
  sizeFactorMax = 1.0f;
}

void DS_GhostConstructor::InitSprite(DS_Sprite& sprite) {
  DS_FishConstructor::InitSprite(sprite);
  sprite.alphaPhase = RandomUnit();
}

void DS_GhostConstructor::UpdateSprite(DS_Sprite& sprite) {
  DS_FishConstructor::UpdateSprite(sprite);
  BreatheAlpha(sprite, true);
}

void DS_GhostConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  DS_FishConstructor::WriteRecord(stream);
}

// ---- Fog ------------------------------------------------------------------------------------

DS_FogConstructor::DS_FogConstructor() {
  phaseMin = 0.2f;
  phaseMax = 1.0f;
  transparency.SetValue(50);
}

void DS_FogConstructor::InitSprite(DS_Sprite& s) {
  s.position = RandomPointInRect();
  s.velocity.x = -maxHorizontalSpeed + RandomUnit() * 2.0f * maxHorizontalSpeed;
  s.velocity.y = -maxVerticalSpeed + RandomUnit() * 2.0f * maxVerticalSpeed;
  s.alphaPhase = RandomUnit();
  D3DXMatrixRotationZ(&s.spin, RandomUnit() * 0.008f - 0.004f);
}

void DS_FogConstructor::UpdateSprite(DS_Sprite& s) {
  s.position.x += s.velocity.x * frameStep;
  s.position.y += s.velocity.y * frameStep;
  BreatheAlpha(s, false);
  // The puff's centre stays in the area; its body may overhang.
  if (BottomPixels() < s.position.y) s.velocity.y = -std::fabs(s.velocity.y);
  if (TopPixels() > s.position.y) s.velocity.y = std::fabs(s.velocity.y);
  if (LeftPixels() > s.position.x) s.velocity.x = std::fabs(s.velocity.x);
  if (RightPixels() < s.position.x) s.velocity.x = -std::fabs(s.velocity.x);
  // Once per update, whatever the step: the spin follows the frame rate.
  s.xAxis = TransformCoord(s.xAxis, s.spin);
  s.yAxis = TransformCoord(s.yAxis, s.spin);
  s.UpdateColor(*this);
}

void DS_FogConstructor::ReadFields(DS_IOF_Holder stream, int32_t) {
  stream->ReadFloat(maxHorizontalSpeed);
  stream->ReadFloat(maxVerticalSpeed);
  DS_BaseSpriteProp::ReadRecord(stream);
}

void DS_FogConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_FogConstructor::WriteFields(DS_IOF_Holder stream) {
  stream->WriteFloat(maxHorizontalSpeed);
  stream->WriteFloat(maxVerticalSpeed);
  DS_BaseSpriteProp::WriteRecord(stream);
}
