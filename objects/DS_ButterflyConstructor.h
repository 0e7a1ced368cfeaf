#pragma once
// Butterflies flying inside the object's rectangle: each flaps two translucent wings,
// turns left and right with a bank into the turn, climbs, glides down with its wings held
// up, changes speed now and then, and is turned back when it leaves the rectangle. One
// instance is a root frame moved by an AC_Butterfly and two wing frames moved by the
// AC_ButterflyWing animators it drives; everything runs on the object's clock.
//
// Model space: the nose along +z, the back towards -y (picture y points down), wing 1
// spreading along +x from the body's axis; the root turns the nose to +x (heading 0 flies
// to the right) and the wings beat about the body's axis.
#include <d3dx9math.h>

#include <cstdint>

#include "device/DS_AnimationBase.h"
#include "document/MediaScaled.h"
#include "objects/DS_3D_Obj_Ctrl.h"

// A value that moves towards its target at a signed rate per second.
struct DS_EasedValue {
  float value = 0.0f;
  float target = 0.0f;
  float rate = 0.0f;

  // Moves by dt x rate and stops at the target instead of passing it.
  void Step(float dt);
  // A nonzero rate replaces the stored one; the stored rate then points towards the target.
  void SetTarget(float newTarget, float newRate);
};

class DS_ButterflyConstructor : public DS_3D_Obj_Ctrl {
 public:
  static constexpr RecordId kRecord{L"DS_ButterflyConstructor", 2};

  DS_ButterflyConstructor();
  DS_ButterflyConstructor(const DS_ButterflyConstructor& other);
  ~DS_ButterflyConstructor() override = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  // Part 0 the body (opaque), part 1 the wings (translucent).
  void BuildParts(std::vector<DS_MeshPart>& parts) override;
  void AttachParts(const std::list<DS_FrameTree>& instances, std::vector<DS_MeshPart>& parts) override {
    AttachRootsAndChildren(instances, parts);
  }
  DS_FrameTree BuildFrames() override;
  DS_3D_Obj_Ctrl* Clone() const override { return new DS_ButterflyConstructor(*this); }

  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  // The wing scale only from version 2 on.
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);

  DS_ImageFileLink bodyImage;
  DS_MeshFile bodyMesh;
  UINTSclaleTo<float> reserved1;  // carried by the record; nothing depends on them
  UINTSclaleTo<float> reserved2;
  float wingScale = 1.0f;
};

// One wing: its frame's world is its local matrix times the wing matrix its butterfly
// writes each frame.
class AC_ButterflyWing : public DS_AnimationBase {
 public:
  AC_ButterflyWing() { D3DXMatrixIdentity(&wing); }
  void Apply(DS_Frame& frame) override;

  D3DXMATRIX wing;
  uint8_t mirror = 1;  // the frame's winding flag
};

// The flight of one butterfly.
class AC_Butterfly : public DS_AnimationBase {
 public:
  enum FlightMode { kFullBeat = 0, kGliding = 1 };

  // Draws the start point in the owner's rectangle (x, then y) and the heading. The wings
  // belong to the wing frames.
  AC_Butterfly(DS_ButterflyConstructor* owner, AC_ButterflyWing* wing1, AC_ButterflyWing* wing2);
  ~AC_Butterfly() override = default;

  void Apply(DS_Frame& frame) override;
  void OnSizeChanged(unsigned int size);
  void StepEasedValues(float dt);
  // Turns the butterfly back into the rectangle: down into it with the wings held up from
  // above, up from below, and towards it at speed 300 from either side.
  void KeepInsideRect();
  // A random decision at most every 0.25 s of the clock while no mode change is pending;
  // otherwise the pending change of the flight mode.
  void ChooseFlightMode(float clock);

  DS_ButterflyConstructor* owner;
  AC_ButterflyWing* wing1;
  AC_ButterflyWing* wing2;
  float wingAngle = 0.0f;  // degrees; positive beats down
  float wingRate = 100.0f;  // degrees per second / 7
  float wingUpperBound = 55.0f;
  float wingLowerBound = -55.0f;
  D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
  DS_EasedValue verticalSpeed{50.0f, 50.0f, 250.0f};  // pixels per second, downwards
  DS_EasedValue heading{0.0f, 0.0f, 350.0f};          // degrees; 0 flies to the right
  DS_EasedValue bank{0.0f, 0.0f, 50.0f};
  DS_EasedValue forwardSpeed{50.0f, 50.0f, 350.0f};
  D3DXMATRIX tilt;
  D3DXMATRIX mirror;  // wing 2 is the mirror image of wing 1
  D3DXMATRIX sizeScale;
  int flightMode = kFullBeat;
  int wantedMode = kFullBeat;
  float lastRetargetTime = 0.0f;

 private:
  DS_ControlList controls_;  // the size binding
};
