#pragma once
// The base of every object a slide places on its picture (sprite emitters, 3D objects): an
// area kept as fractions of the picture and mirrored in picture pixels, a speed, and an
// animation clock of its own advanced once per frame.
//
// The fractions are the master form of the area. The rectangle's edges are the fractions at
// the current picture size in whole pixels; a changed edge is turned back into its fraction.
#include <d3dx9math.h>

#include <cstdint>

#include "document/DS_ABObj_Constructor.h"
#include "document/DS_IOF.h"
#include "document/DS_IOF_Item.h"
#include "document/MediaCompound.h"
#include "document/MediaParam.h"
#include "runtime/Quads.h"

class DS_ViewObjCtrl : public DS_ABObj_Constructor {
 public:
  static constexpr RecordId kRecord{L"DS_ViewObjCtrl", 2};

  DS_ViewObjCtrl();
  // Copies name, speed, fractions and flag; the rectangle is derived again at the current
  // picture size; the clock starts at 0.
  DS_ViewObjCtrl(const DS_ViewObjCtrl& other);
  ~DS_ViewObjCtrl() override = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }

  // The area as a screen quad in picture pixels (corners in strip order).
  virtual DS_QuadCorners GetScreenQuad() const;
  // Editor operation; playback never calls it.
  virtual bool HitTest(float /*x*/, float /*y*/) const { return false; }

  // Each edge := fraction x picture size, truncated; edges that change tell their controls.
  void SyncEdgeParams();
  // One frame of the clock at application time t (seconds): the step is the time since the
  // last call, at most 0.2 s, times speed x 0.02.
  void AdvanceClock(float t);
  // A uniformly random point of the area (x drawn before y).
  D3DXVECTOR3 RandomPointInRect() const;
  // A random centre that keeps a body of the given half extents inside the area; a body
  // larger than the area still gets a centre between the two inset edges.
  D3DXVECTOR3 RandomPointInsideRect(float halfWidth, float halfHeight) const;

  // The edges in picture pixels, not truncated.
  float LeftPixels() const;
  float RightPixels() const;
  float TopPixels() const;
  float BottomPixels() const;

  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  // Stores everything as read: neither the rectangle nor the fractions are brought into step.
  bool ReadRecord(DS_IOF_Holder stream);
  void ReadFields(DS_IOF_Holder stream, int32_t version);

  MediaRectangle rectangle;  // only its edges are used
  MediaParamT<unsigned int> speed;
  uint8_t flag = 0;  // carried by the record; playback never reads it
  float leftFraction = 0.0f;
  float rightFraction = 1.0f;
  float topFraction = 0.0f;
  float bottomFraction = 1.0f;
  float frameStep = 0.0f;
  float clock = 0.0f;
  float lastTime = 0.0f;  // application time of the last clock advance

 private:
  void BindEdgeParams();
  void OnLeftEdgeChanged(int pixels);
  void OnRightEdgeChanged(int pixels);
  void OnTopEdgeChanged(int pixels);
  void OnBottomEdgeChanged(int pixels);

  // Last, so that the edge controls go before the rectangle they observe.
  DS_ControlList controls_;
};
