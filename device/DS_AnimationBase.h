#pragma once
// An animator computes a frame's world matrix each frame instead of copying its local one.
// The frame owns it and deletes it through the virtual destructor.
class DS_Frame;

class DS_AnimationBase {
 public:
  virtual ~DS_AnimationBase() = default;
  // Writes the frame's world matrix; the frame applies its parent's world afterwards.
  virtual void Apply(DS_Frame& frame) = 0;
  virtual void SetValue(float v) { value = v; }

  float value = 0.0f;
};
