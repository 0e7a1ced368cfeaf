#include "runtime/DSM_Camera.h"

#include <cmath>

#include "runtime/DS_View2D.h"
#include "runtime/Random.h"

namespace {
constexpr float kPi = 3.1415927f;

// The unscaled value as a scaled parameter stores it, with its scaled value made current.
template <class P>
void SetScaled(P& param, uint32_t value, float scale, float offset) {
  param.scale = scale;
  param.offset = offset;
  param.SetValue(value);
  param.OnParamChanged(nullptr);
}
}  // namespace

DSM_Camera::DSM_Camera() {
  enabled.Assign(0);
  SetScaled(zoom, 120, 0.01f, 0.0f);
  SetScaled(speed, 50, 0.02f, 0.0f);
  speed.frameStep = 0.0f;
  speed.clock = 0.0f;
  speed.lastTime = 0.0f;
}

void DSM_Camera::Update(float t) {
  speed.UpdateClock(t);
  const float c = speed.clock;
  float z = 1.0f, panX = 0.0f, panY = 0.0f;
  if (enabled.Value() != 0 && motionType.Value() == 1) {
    if (!(driftEndTime > c)) Retarget(c);
    z = zoom.scaledValue;
    float f = float(double(c - driftStartTime) * double(kPi) / double(driftEndTime - driftStartTime));
    f = float(std::cos(double(f)));
    f = float((1.0 - double(f)) * 0.5);
    panX = driftStartX + (driftTargetX - driftStartX) * f;
    panY = driftStartY + (driftTargetY - driftStartY) * f;
  }
  lastZoom = z;
  lastPanX = panX;
  lastPanY = panY;
  if (g_view2D) g_view2D->SetCameraTransform(z, panX, panY);
}

void DSM_Camera::Retarget(float c) {
  driftStartTime = c;
  driftStartX = driftTargetX;
  driftStartY = driftTargetY;
  if (rand() % 2 == 0) {
    // Start and target are equal: the picture holds still for half a second.
    driftEndTime = float(double(c) + 0.5);
    return;
  }
  driftTargetX = float(double(float(rand() / 32767.0 * 2.0)) - 1.0);
  driftTargetY = float(double(float(rand() / 32767.0 * 2.0)) - 1.0);
  driftEndTime = float(double(float(double(float(rand() / 32767.0 * 2.0)) + 5.0)) + double(c));
}

void DSM_Camera::CopyFrom(const DSM_Camera& other) {
  enabled.Assign(other.enabled.Value());
  zoom.Assign(other.zoom.Value());
  zoom.scale = other.zoom.scale;
  zoom.offset = other.zoom.offset;
  zoom.NotifyControls(nullptr);
  speed.Assign(other.speed.Value());
  speed.scale = other.speed.scale;
  speed.offset = other.speed.offset;
  speed.NotifyControls(nullptr);
  speed.frameStep = other.speed.frameStep;
  speed.clock = other.speed.clock;
  speed.lastTime = other.speed.lastTime;
  motionType.Value() = other.motionType.Value();
  driftStartX = other.driftStartX;
  driftTargetX = other.driftTargetX;
  driftStartY = other.driftStartY;
  driftTargetY = other.driftTargetY;
  driftStartTime = other.driftStartTime;
  driftEndTime = other.driftEndTime;
}

std::unique_ptr<DSM_Camera> DSM_Camera::ReadNewRecord(DS_IOF_Holder stream) {
  const DS_RecordHeader header = ReadRecordHeader(stream);
  auto camera = std::make_unique<DSM_Camera>();
  camera->ReadFields(stream, header.version);
  return camera;
}

void DSM_Camera::ReadFields(DS_IOF_Holder stream, int32_t) {
  unsigned long on = 0;
  stream->ReadULong(on);
  enabled.Value() = int(on);
  uint32_t value = 0;
  stream->ReadUInt(value);
  zoom.SetValue(value);
  value = 0;
  stream->ReadUInt(value);
  speed.SetValue(value);
}

void DSM_Camera::WriteRecord(DS_IOF_Holder stream) const {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DSM_Camera::WriteFields(DS_IOF_Holder stream) const {
  stream->WriteULong((unsigned long)(uint32_t)enabled.Value());
  stream->WriteUInt(zoom.Value());
  stream->WriteUInt(speed.Value());
}
