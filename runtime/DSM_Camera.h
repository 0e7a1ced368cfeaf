#pragma once
// The pan-and-zoom camera of a picture light. When enabled it magnifies the picture by
// its zoom and glides the visible part, with a cosine ease, from one random point to the
// next, holding still now and then. Its own clock runs at its speed and never jumps more
// than 0.2 s per frame, so a stalled frame does not make the picture leap.
#include <cstdint>
#include <memory>

#include "document/DS_IOF.h"
#include "document/DS_IOF_Item.h"
#include "document/MediaParam.h"
#include "document/MediaScaled.h"

class DSM_Camera : public DS_IOF_Item {
 public:
  DSM_Camera();
  ~DSM_Camera() override = default;
  DSM_Camera(const DSM_Camera&) = delete;
  DSM_Camera& operator=(const DSM_Camera&) = delete;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }

  // Advances the clock and the drift at application time t and sets the view's pan/zoom;
  // a disabled or still camera sets the identity.
  void Update(float t);
  // Starts a new drift segment at camera clock c.
  void Retarget(float c);
  // Copies every setting, the clock and the drift state.
  void CopyFrom(const DSM_Camera& other);

  static constexpr RecordId kRecord{L"DSM_Camera", 1};
  // Reads a whole "DSM_Camera" record (name and version are not checked).
  static std::unique_ptr<DSM_Camera> ReadNewRecord(DS_IOF_Holder stream);
  // Enabled, zoom, speed; one layout, so the version is not used.
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void WriteRecord(DS_IOF_Holder stream) const;
  void WriteFields(DS_IOF_Holder stream) const;

  MediaParamT<int> enabled;   // non-zero drifts
  UINTSclaleTo<float> zoom;   // 120 x 0.01 = 1.2
  MediaSpeedParam speed;      // 50 x 0.02 = 1.0
  MediaParamTB<int> motionType;  // 1 drifting; not stored
  float driftStartX = 0.0f;
  float driftTargetX = 0.0f;
  float driftStartY = 0.0f;
  float driftTargetY = 0.0f;
  float driftStartTime = 0.0f;
  float driftEndTime = 0.0f;

  // The pan and zoom of the last Update (what it gave the view).
  float lastZoom = 1.0f;
  float lastPanX = 0.0f;
  float lastPanY = 0.0f;
};
