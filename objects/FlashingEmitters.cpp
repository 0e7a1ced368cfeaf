#include "objects/FlashingEmitters.h"

#include <cmath>

#include "objects/DS_SpriteArrayObj.h"
#include "runtime/DS_View2D.h"

namespace {
constexpr double kPi = double(3.1415927f);
}  // namespace

// ---- Sparkle --------------------------------------------------------------------------------

void DS_SparkleConstructor::InitSprite(DS_Sprite& s) {
  const float vx = RandomUnit() * 50.0f - 25.0f;
  const float vy = RandomUnit() * 50.0f - 25.0f;
  s.impulse = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  s.velocity = D3DXVECTOR3(vx, vy, 0.0f);
  s.position = RandomPointInRect();
  s.alphaPhase = RandomUnit();
}

void DS_SparkleConstructor::UpdateSprite(DS_Sprite& s) {
  s.position.x += s.velocity.x * frameStep;
  s.position.y += s.velocity.y * frameStep;
  BreatheAlpha(s, true);
  // Square whatever the image: half size at phase 0, full size at phase 1.
  const float h = float(size.Value()) * s.sizeFactor * 0.5f;
  s.halfWidth = s.halfHeight = h * (0.5f + 0.5f * s.alphaPhase);
}

void DS_SparkleConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  DS_BaseSpriteProp::WriteRecord(stream);
}

// ---- God ray --------------------------------------------------------------------------------

void DS_GodRayConstructor::ShapeRay(DS_Sprite& s) const {
  s.halfWidth = float(size.Value()) * 0.5f;
  s.halfHeight = float(g_virtualScreen->pictureHeight) * 0.5f;
  const unsigned int a = angle.Value();
  const double k = (a < 180 ? 180.0 - double(a) : 360.0 - double(a)) * kPi / 180.0;
  // The lower end sits picture height x (1 / tan k) to the right of the upper end.
  s.yAxis = D3DXVECTOR3(float(1.0 / std::tan(k)), 1.0f, 0.0f);
}

void DS_GodRayConstructor::InitSprite(DS_Sprite& s) {
  const float l = LeftPixels(), r = RightPixels();
  const float x = l + RandomUnit() * (r - l);
  // Half the area's height measured from the picture's top: with the picture-high half
  // height the ray spans the picture from there.
  const float y = (BottomPixels() - TopPixels()) * 0.5f;
  s.impulse = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  s.velocity = D3DXVECTOR3(RandomUnit() * 20.0f - 10.0f, 0.0f, 0.0f);
  s.position = D3DXVECTOR3(x, y, 0.0f);
  ShapeRay(s);
  s.alphaPhase = RandomUnit();
}

void DS_GodRayConstructor::UpdateSprite(DS_Sprite& s) {
  if (clock - s.lastChange > 0.25f) {
    s.lastChange = clock;
    if (rand() & 1) s.velocity = D3DXVECTOR3(RandomUnit() * 20.0f - 10.0f, 0.0f, 0.0f);
  }
  s.position.x += s.velocity.x * frameStep;
  s.position.y += s.velocity.y * frameStep;
  BreatheAlpha(s, true);
}

void DS_GodRayConstructor::ReadFields(DS_IOF_Holder stream, int32_t) {
  stream->ReadUInt(angle.Value());
  DS_BaseSpriteProp::ReadRecord(stream);
}

void DS_GodRayConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  stream->WriteUInt(angle.Value());
  DS_BaseSpriteProp::WriteRecord(stream);
}

// ---- Lightning ------------------------------------------------------------------------------

void DS_LightingConstructor::InitSprite(DS_Sprite& s) {
  s.ApplySize(*this);
  s.position = RandomPointInsideRect(s.halfWidth, s.halfHeight);  // the whole bolt inside
  D3DXMATRIX tilt;  // up to 22.5 degrees either way
  D3DXMatrixRotationZ(&tilt, float(RandomUnit() * double(0.78539819f) - double(0.39269909f)));
  const float mirror = (rand() & 1) ? -1.0f : 1.0f;
  s.xAxis = TransformCoord(D3DXVECTOR3(mirror, 0.0f, 0.0f), tilt);
  s.yAxis = TransformCoord(D3DXVECTOR3(0.0f, 1.0f, 0.0f), tilt);
  s.alphaPhase = 0.0f;
}

void DS_LightingConstructor::UpdateSprite(DS_Sprite& s) {
  if (s.alphaPhase == 0.0f) {
    // Dark: a strike on an odd draw, at most once a clock unit.
    if (clock - s.lastChange > 1.0f) {
      s.lastChange = clock;
      if (rand() & 1) {
        InitSprite(s);
        s.alphaPhase = 1.0f;
      }
    }
  } else {
    // Lit: fades in 1/6 of a clock unit unless it flickers back to full.
    s.alphaPhase -= frameStep * 6.0f;
    if (clock - s.lastChange > 0.15f) {
      s.lastChange = clock;
      if (rand() & 1) s.alphaPhase = 1.0f;
    }
  }
  if (s.alphaPhase < 0.0f) {
    s.alphaPhase = 0.0f;
    s.lastChange = clock;
  }
  s.UpdateColor(*this);
}

void DS_LightingConstructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  DS_BaseSpriteProp::WriteRecord(stream);
}
