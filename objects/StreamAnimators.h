#pragma once
// The animators of the falling-leaf frames: a stream animator drifts its leaf across the
// picture in the stream's direction with a lateral wander and re-enters it at the opposite
// edge once it has left by half its size; the leaf animator adds tumbling about three axes
// and a sway around a pivot 50 pixels away. Both read the parameter group of their item
// and take their time from g_streamAnimTime, which each falling-leaf object sets just
// before it updates its own leaves.
#include <d3dx9math.h>

#include <cstdint>

#include "device/DS_AnimationBase.h"
#include "document/MediaParam.h"

class DS_Frame;

// The stream parameters of a falling-leaf item.
class DS_StreamParams {
 public:
  DS_StreamParams();
  // The five values by value; the direction block unchanged.
  DS_StreamParams(const DS_StreamParams& other);
  DS_StreamParams& operator=(const DS_StreamParams&) = delete;

  // Stores the angle (degrees) and turns it into the direction and its perpendicular, y
  // negated for the picture's downward y: 0 streams to the right, 90 up.
  void SetDirection(uint32_t a);

  MediaParamT<unsigned int> size;  // leaf diameter in pixels; half of it is the margin of a wrap
  uint32_t angle = 0;
  D3DXVECTOR4 direction{1.0f, 0.0f, 0.0f, 0.0f};
  D3DXVECTOR4 perpendicular{0.0f, -1.0f, 0.0f, 0.0f};
  MediaParamT<unsigned int> speed;
  MediaParamT<unsigned int> drift;        // strength of the wander and rate of the sway
  MediaParamT<unsigned int> driftChange;  // how often the wander may change; 0 never
  MediaParamT<unsigned int> spin;         // rate of the tumbling
};

// The time of the falling-leaf object being updated (seconds).
extern float g_streamAnimTime;

// Moves its own position only; the leaf animator builds on it.
class DS_SreamAnim : public DS_AnimationBase {
 public:
  // Draws x, y (a random place of the picture), the lateral factor and the speed factor.
  explicit DS_SreamAnim(const DS_StreamParams* params);

  // One step of the stream: the time since the previous step (at most 0.2 s), then a wrap
  // or a move, then perhaps a new lateral factor.
  void Apply(DS_Frame& frame) override;
  void Step();

  D3DXMATRIX position;  // its translation row holds the leaf's place
  float lateral = 0.0f;
  float lastLateralChange = 0.0f;
  float speedFactor = 0.0f;
  float lastTime = 0.0f;
  float step = 0.0f;
  const DS_StreamParams* params;  // the item's group; not owned
};

// One rotation of a leaf: its rate and its current angle (degrees).
struct DS_LeafTurn {
  float rate = 0.0f;
  float angle = 0.0f;
};

class DS_LeafFallAnim : public DS_SreamAnim {
 public:
  // After the stream's four draws: sign and magnitude of each spin, then k, sign and
  // magnitude of each sway (16 draws per leaf).
  explicit DS_LeafFallAnim(const DS_StreamParams* params);

  // The stream step, the tumbling and sway angles, and the world of the leaf: scaled so
  // that its bounding sphere has half the size as radius (nothing shows while the frame
  // has no radius), tumbled, swung about the pivot and placed.
  void Apply(DS_Frame& frame) override;

  DS_LeafTurn spin1, spin2, spin3;  // about x, y, z
  DS_LeafTurn sway1, sway2;         // about y, x, after the pivot offset
};
