#include "document/MediaScaled.h"

void MediaSpeedParam::UpdateClock(float t) {
  if (lastTime > t) lastTime = t;  // a clock that went back steps by zero
  float step = t - lastTime;
  if (step > 0.2f) step = 0.2f;
  step = scaledValue * step;
  frameStep = step;
  clock = clock + step;
  lastTime = t;
}
