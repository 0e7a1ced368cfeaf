#include "document/MediaCompound.h"

#include <array>
#include <type_traits>

#include "document/ParamStream.h"

namespace {
// The six values in their stream order, so that reading and writing cannot disagree on it.
template <class Rectangle>  // MediaRectangle or const MediaRectangle
auto InStreamOrder(Rectangle& r) {
  using Value = std::conditional_t<std::is_const_v<Rectangle>, const MediaParamTB<int>, MediaParamTB<int>>;
  return std::array<Value*, 6>{&r.left, &r.right, &r.top, &r.bottom, &r.x, &r.y};
}
}  // namespace

MediaRectangle::MediaRectangle() {
  left.Assign(0);
  right.Assign(0);
  top.Assign(0);
  bottom.Assign(0);
}

void MediaRectangle::Read(DS_IOF_Holder stream) {
  for (MediaParamTB<int>* value : InStreamOrder(*this)) ReadSwitch(stream, *value);
}

void MediaRectangle::Write(DS_IOF_Holder stream) const {
  for (const MediaParamTB<int>* value : InStreamOrder(*this)) WriteSwitch(stream, *value);
}

void MediaRectangle::AssignValues(const MediaRectangle& other) {
  left.Assign(other.left.Value());
  right.Assign(other.right.Value());
  top.Assign(other.top.Value());
  bottom.Assign(other.bottom.Value());
  x.Value() = other.x.Value();
  y.Value() = other.y.Value();
}

void MediaQuad::Read(DS_IOF_Holder stream) {
  for (auto& c : corners) {
    stream->ReadFloat(c.Value().x);
    stream->ReadFloat(c.Value().y);
    stream->ReadFloat(c.Value().z);
  }
}

void MediaQuad::Write(DS_IOF_Holder stream) const {
  for (const auto& c : corners) {
    stream->WriteFloat(c.Value().x);
    stream->WriteFloat(c.Value().y);
    stream->WriteFloat(c.Value().z);
  }
}
