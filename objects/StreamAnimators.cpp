#include "objects/StreamAnimators.h"

#include <cmath>

#include "device/DS_Frame.h"
#include "objects/DegreeMatrices.h"
#include "runtime/DS_View2D.h"
#include "runtime/Random.h"

float g_streamAnimTime = 0.0f;

namespace {

float PictureWidth() { return float(g_virtualScreen->pictureWidth); }
float PictureHeight() { return float(g_virtualScreen->pictureHeight); }

// +1 for an even draw, -1 for an odd one.
float RandomSign() { return (rand() & 1) ? -1.0f : 1.0f; }

D3DXVECTOR4 TurnedUnitX(float degrees) {
  const D3DXVECTOR4 unit(1.0f, 0.0f, 0.0f, 0.0f);
  const D3DXMATRIX turn = RotationZDegrees(degrees);
  D3DXVECTOR4 out;
  D3DXVec4Transform(&out, &unit, &turn);
  out.y = -out.y;
  return out;
}

}  // namespace

// ---- Stream parameters --------------------------------------------------------------------------

DS_StreamParams::DS_StreamParams() {
  size.Assign(0);
  speed.Assign(50);
  drift.Assign(0);
  driftChange.Assign(0);
  spin.Assign(100);
  SetDirection(0);
}

DS_StreamParams::DS_StreamParams(const DS_StreamParams& other)
    : size(other.size),
      angle(other.angle),
      direction(other.direction),
      perpendicular(other.perpendicular),
      speed(other.speed),
      drift(other.drift),
      driftChange(other.driftChange),
      spin(other.spin) {}

void DS_StreamParams::SetDirection(uint32_t a) {
  angle = a;
  direction = TurnedUnitX(float(a));
  perpendicular = TurnedUnitX(float(a) + 90.0f);
}

// ---- Stream animator ----------------------------------------------------------------------------

DS_SreamAnim::DS_SreamAnim(const DS_StreamParams* p) : params(p) {
  const float x = RandomFloat(0.0f, PictureWidth());
  const float y = RandomFloat(0.0f, PictureHeight());
  D3DXMatrixTranslation(&position, x, y, 0.0f);
  lateral = RandomFloat(-1.0f, 1.0f);
  speedFactor = RandomFloat(0.07f, 0.13f);
}

void DS_SreamAnim::Apply(DS_Frame&) { Step(); }

void DS_SreamAnim::Step() {
  const float t = g_streamAnimTime;
  step = std::fabs(t - lastTime);
  lastTime = t;
  if (step > 0.2f) step = 0.2f;

  const float speedValue = float(params->speed.Value());
  const float G = float(params->size.Value()) * 0.5f;
  const float L = float(params->drift.Value()) * 0.02f * lateral;
  const float ux = params->direction.x + L * params->perpendicular.x;
  const float uy = params->direction.y + L * params->perpendicular.y;
  const float k = speedValue * speedFactor * step * 50.0f;
  const float vx = ux * k, vy = uy * k;

  const float W = PictureWidth(), H = PictureHeight();
  float& x = position._41;
  float& y = position._42;
  // A leaf that has left the picture by half its size re-enters at the opposite edge and
  // does not move in that frame.
  if (vy > 0.0f && y > H + G) {
    x = RandomFloat(0.0f, W);
    y = -G;
  } else if (vy < 0.0f && y < -G) {
    x = RandomFloat(0.0f, W);
    y = H + G;
  } else if (vx > 0.0f && x > W + G) {
    x = -G;
    y = RandomFloat(0.0f, H);
  } else if (vx < 0.0f && x < -G) {
    x = W + G;
    y = RandomFloat(0.0f, H);
  } else {
    x += vx;
    y += vy;
  }

  // In floating point: a drift change of 0 makes the bound infinite, so the wander never
  // changes (an integer division would fault, and would round other bounds down).
  const float bound = 100.0f / float(params->driftChange.Value());
  if ((t - lastLateralChange) * speedValue * 0.1f > bound) {
    lastLateralChange = t;
    if (rand() & 1) lateral = RandomFloat(-1.0f, 1.0f);
  }
}

// ---- Leaf animator ------------------------------------------------------------------------------

namespace {

DS_LeafTurn SpinTurn() {
  const float sign = RandomSign();
  DS_LeafTurn turn;
  turn.rate = sign * (RandomFloat(0.0f, 3.0f) + 7.0f);
  turn.angle = turn.rate;
  return turn;
}

DS_LeafTurn SwayTurn() {
  const float k = float(rand() % 2);
  const float sign = RandomSign();
  DS_LeafTurn turn;
  turn.rate = k * sign * (RandomFloat(0.0f, 4.0f) + 3.0f);
  turn.angle = turn.rate;
  return turn;
}

}  // namespace

DS_LeafFallAnim::DS_LeafFallAnim(const DS_StreamParams* p) : DS_SreamAnim(p) {
  spin1 = SpinTurn();
  spin2 = SpinTurn();
  spin3 = SpinTurn();
  sway1 = SwayTurn();
  sway2 = SwayTurn();
}

void DS_LeafFallAnim::Apply(DS_Frame& frame) {
  Step();
  // A leaf whose mesh did not load has no radius: it gets no size rather than an
  // infinite one.
  const float s = frame.boundingRadius > 0.0f ? float(params->size.Value()) * 0.5f / frame.boundingRadius : 0.0f;

  const float spinRate = 0.4f * step * float(params->spin.Value());
  const float swayRate = 0.4f * step * float(params->drift.Value());
  for (DS_LeafTurn* turn : {&spin1, &spin2, &spin3}) turn->angle += turn->rate * spinRate;
  for (DS_LeafTurn* turn : {&sway1, &sway2}) turn->angle += turn->rate * swayRate;

  const D3DXMATRIX A = ScalingMatrix(s) * RotationXDegrees(spin1.angle) * RotationZDegrees(spin3.angle) *
                       RotationYDegrees(spin2.angle) * TranslationMatrix(0.0f, 0.0f, 50.0f) *
                       RotationYDegrees(sway1.angle) * RotationXDegrees(sway2.angle) * position;
  frame.world = frame.local * A;
}
