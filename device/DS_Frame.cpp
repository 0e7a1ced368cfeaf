#include "device/DS_Frame.h"

#include <stdexcept>

DS_Frame::DS_Frame() {
  D3DXMatrixIdentity(&world);
  D3DXMatrixIdentity(&local);
}

DS_Frame::~DS_Frame() = default;

void DS_Frame::CopyFieldsFrom(const DS_Frame& other) {
  if (other.animator) throw std::logic_error("a frame that owns an animator cannot be copied");
  boundingRadius = other.boundingRadius;
  boundingCentre = other.boundingCentre;
  world = other.world;
  local = other.local;
  winding = other.winding;
  children = other.children;
}

DS_Frame::DS_Frame(const DS_Frame& other) { CopyFieldsFrom(other); }

DS_Frame& DS_Frame::operator=(const DS_Frame& other) {
  if (this != &other) {
    CopyFieldsFrom(other);
    animator.reset();
  }
  return *this;
}

DS_Frame::DS_Frame(DS_Frame&& other) noexcept
    : boundingRadius(other.boundingRadius),
      boundingCentre(other.boundingCentre),
      world(other.world),
      local(other.local),
      animator(std::move(other.animator)),
      winding(other.winding),
      children(std::move(other.children)) {}

DS_Frame& DS_Frame::operator=(DS_Frame&& other) noexcept {
  if (this != &other) {
    boundingRadius = other.boundingRadius;
    boundingCentre = other.boundingCentre;
    world = other.world;
    local = other.local;
    animator = std::move(other.animator);
    winding = other.winding;
    children = std::move(other.children);
  }
  return *this;
}

void DS_Frame::UpdateWorld(const D3DXMATRIX* parentWorld) {
  if (animator)
    animator->Apply(*this);
  else
    world = local;
  if (parentWorld) D3DXMatrixMultiply(&world, &world, parentWorld);
  for (DS_Frame* child : children)
    if (child) child->UpdateWorld(&world);
}
