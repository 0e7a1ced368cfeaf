#pragma once
// An analogue clock over the slide's picture: a face with an hour hand and a minute hand
// showing the computer's local time. Face and hands share one flat square mesh and differ
// by their pictures; both parts are translucent. One instance is a root frame placed by an
// AC_Static (the clock's centre and size) and two hand frames turned by AC_ClockArrow.
// Unlike the butterfly, the clock has a placement of its own: x and y are its centre, and
// its edges the square of side size around that centre.
//
// Model space: the square lies in the x-z plane, 100 units wide, +z up the face; the root
// turns it to face the viewer and scales it to size pixels.
#include <d3dx9math.h>

#include <cstdint>
#include <functional>

#include "device/DS_AnimationBase.h"
#include "document/MediaCompound.h"
#include "objects/DS_3D_Obj_Ctrl.h"
#include "runtime/DS_View2D.h"

struct DS_ClockTime {
  int hours = 0;  // 0 to 23
  int minutes = 0;
  int seconds = 0;
};
// Where a clock reads the time; false when it cannot be read.
using DS_LocalTimeSource = std::function<bool(DS_ClockTime&)>;
// The computer's local time.
bool ReadLocalTime(DS_ClockTime& out);

class DS_ClockConstructor : public DS_3D_Obj_Ctrl {
 public:
  static constexpr RecordId kRecord{L"DS_ClockConstructor", 1};

  // Centred on the picture as the current virtual screen has it.
  DS_ClockConstructor();
  // The placement's six values, the hand picture and the size; parts not remembered.
  DS_ClockConstructor(const DS_ClockConstructor& other);
  ~DS_ClockConstructor() override = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  DS_QuadCorners GetScreenQuad() const override;
  bool HitTest(float x, float y) const override { return ContainsPoint(placement, x, y); }
  // Part 0 the face, part 1 the hands; both translucent. The vector is remembered for a
  // later change of the face picture.
  void BuildParts(std::vector<DS_MeshPart>& parts) override;
  void AttachParts(const std::list<DS_FrameTree>& instances, std::vector<DS_MeshPart>& parts) override {
    AttachRootsAndChildren(instances, parts);
  }
  DS_FrameTree BuildFrames() override;
  bool HasOwnBounds() const override { return true; }
  DS_3D_Obj_Ctrl* Clone() const override { return new DS_ClockConstructor(*this); }

  // The face picture changed: part 0 takes it, once the parts exist.
  void OnFaceImageChanged();

  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);

  MediaRectangle placement;  // x, y: the centre; edges: set from the size
  DS_ImageFileLink arrowImage;
  // The clock the hands read: the local time, unless a test sets another. Copied with the
  // item, not stored.
  DS_LocalTimeSource localTime = ReadLocalTime;

 private:
  std::vector<DS_MeshPart>* parts_ = nullptr;
  DS_ControlList controls_;  // the face-image binding
};

// Places one clock: its frame's world is its local matrix, scaled by the size and moved to
// the centre. Keeps the clock's edges on the square around the centre.
class AC_Static : public DS_AnimationBase {
 public:
  explicit AC_Static(DS_ClockConstructor* clock);
  ~AC_Static() override = default;

  void Apply(DS_Frame& frame) override;
  void OnSizeChanged(unsigned int size);
  void OnPlacementChanged();

  DS_ClockConstructor* clock;
  D3DXMATRIX sizeScale;
  D3DXMATRIX centreTranslation;

 private:
  void SetEdges(unsigned int size);

  DS_ControlList controls_;  // size and placement bindings
};

// One hand, turned by the local time: the hour hand by the minute, the minute hand by the
// second.
class AC_ClockArrow : public DS_AnimationBase {
 public:
  AC_ClockArrow(const DS_ClockConstructor* clock, bool hourHand);

  // A time that cannot be read leaves the hand at its last angle.
  void Apply(DS_Frame& frame) override;
  // Degrees clockwise from 12.
  static float HandAngle(bool hourHand, const DS_ClockTime& time);

  const DS_ClockConstructor* clock;
  uint8_t hourHand;
  float angle = 0.0f;  // the last one computed
};
