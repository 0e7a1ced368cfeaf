#pragma once
// A transform node: the bounding sphere of its mesh, world and local matrices, an owned
// animator, the winding flag of mesh instances and the child frames (not owned).
#include <d3dx9.h>

#include <cstdint>
#include <list>
#include <memory>

#include "device/DS_AnimationBase.h"

class DS_Frame {
 public:
  DS_Frame();
  ~DS_Frame();
  // Copies share the children. An animator has one owner only: copying a frame that owns
  // one is a programming error and throws std::logic_error. Moving hands it over.
  DS_Frame(const DS_Frame& other);
  DS_Frame& operator=(const DS_Frame& other);
  DS_Frame(DS_Frame&& other) noexcept;
  DS_Frame& operator=(DS_Frame&& other) noexcept;

  // world := animator's result (or local), times the parent's world when given; then the
  // children, in order, with this frame's new world.
  void UpdateWorld(const D3DXMATRIX* parentWorld);

  float boundingRadius = 0.0f;
  D3DXVECTOR3 boundingCentre{0.0f, 0.0f, 0.0f};
  D3DXMATRIX world;
  D3DXMATRIX local;
  std::unique_ptr<DS_AnimationBase> animator;
  uint8_t winding = 1;  // set: D3DCULL_CCW first; clear: D3DCULL_CW first
  std::list<DS_Frame*> children;

 private:
  void CopyFieldsFrom(const DS_Frame& other);
};
