#include "document/MediaCompound.h"

namespace {
void ReadInt32(DS_IOF_Holder stream, int& out) {
  unsigned long v = 0;
  stream->ReadULong(v);
  out = int(uint32_t(v));
}
void WriteInt32(DS_IOF_Holder stream, int v) {
  unsigned long u = uint32_t(v);
  stream->WriteULong(u);
}
}  // namespace

MediaRectangle::MediaRectangle() {
  left.Assign(0);
  right.Assign(0);
  top.Assign(0);
  bottom.Assign(0);
}

void MediaRectangle::Read(DS_IOF_Holder stream) {
  ReadInt32(stream, left.Value());
  ReadInt32(stream, right.Value());
  ReadInt32(stream, top.Value());
  ReadInt32(stream, bottom.Value());
  ReadInt32(stream, x.Value());
  ReadInt32(stream, y.Value());
}

void MediaRectangle::Write(DS_IOF_Holder stream) const {
  for (int v : {left.Value(), right.Value(), top.Value(), bottom.Value(), x.Value(), y.Value()})
    WriteInt32(stream, v);
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
