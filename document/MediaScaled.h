#pragma once
// Unsigned parameters that keep offset + scale x value as the float (or byte) the renderer
// uses. Each observes itself: its control side is attached right after its own undo
// history, so the scaled value is current before any function control bound later runs.
// Owners change scale and offset directly and then call OnParamChanged(nullptr).
#include <cstdint>

#include "document/DS_IOF.h"
#include "document/MediaParam.h"

namespace media_scaled {
// offset + scale x value in double precision, as T (a byte keeps the low 8 bits of the
// integer part).
template <class T>
T Scale(uint32_t value, float scale, float offset) {
  double v = double(value) * double(scale) + double(offset);
  if constexpr (std::is_same_v<T, unsigned char>) {
    // Through 64 bits, so that no value makes the conversion undefined.
    return static_cast<unsigned char>(uint64_t(int64_t(v)) & 0xFFu);
  } else {
    return static_cast<T>(v);
  }
}
}  // namespace media_scaled

// The shared body of UINTSclaleTo<T> and MediaFloat<unsigned int>.
template <class T>
class MediaScaledValue : public MediaParamT<unsigned int>, public MediaControlT<MediaParamT<unsigned int>> {
 public:
  void OnParamChanged(MediaControl*) override {
    scaledValue = media_scaled::Scale<T>(Value(), scale, offset);
  }
  bool Reserved2() override { return false; }

  // The stored form: the unsigned value alone.
  void Read(DS_IOF_Holder stream) { stream->ReadUInt(Value()); }
  void Write(DS_IOF_Holder stream) const { stream->WriteUInt(Value()); }

  T scaledValue{};
  float scale = 1.0f;
  float offset = 0.0f;

 protected:
  explicit MediaScaledValue(unsigned int value) : MediaParamT<unsigned int>(value) { ObserveSelf(); }
  MediaScaledValue(const MediaScaledValue& other)
      : MediaParamT<unsigned int>(0u),
        MediaControlT<MediaParamT<unsigned int>>(),
        scale(other.scale),
        offset(other.offset) {
    ObserveSelf();
    SetValue(other.Value());
  }
  MediaScaledValue& operator=(const MediaScaledValue&) = delete;

 private:
  void ObserveSelf() {
    Attach(this);
    OnParamChanged(nullptr);
  }
};

// An owner's default: scale and offset first, then the unsigned value (its history
// refreshed, no other control told), so that the scaled value is computed.
template <class Scaled>
void InitScaled(Scaled& param, unsigned int value, float scale, float offset) {
  param.scale = scale;
  param.offset = offset;
  param.Assign(value);
  param.OnParamChanged(nullptr);
}

// Value, scale and offset copied, then every control told (the scaled value follows).
template <class Scaled>
void CopyScaled(Scaled& to, const Scaled& from) {
  to.scale = from.scale;
  to.offset = from.offset;
  to.Value() = from.Value();
  to.NotifyControls(nullptr);
}

template <class T>
class UINTSclaleTo : public MediaScaledValue<T> {
 public:
  UINTSclaleTo() : MediaScaledValue<T>(0u) {}
  UINTSclaleTo(const UINTSclaleTo& other) : MediaScaledValue<T>(other) {}
};

template <class T>
class MediaFloat;

// Like UINTSclaleTo<float>, as a class of its own; its value starts as a default
// MediaParamT<unsigned int> does (zero) until the owner sets it.
template <>
class MediaFloat<unsigned int> : public MediaScaledValue<float> {
 public:
  MediaFloat() : MediaScaledValue<float>(ZeroParamValue<unsigned int>()) {}
  MediaFloat(const MediaFloat& other) : MediaScaledValue<float>(other) {}
};

// A scaled speed driving a clock that advances once per frame, the frame step clamped to
// 0.2 seconds before it is multiplied by the speed.
class MediaSpeedParam : public UINTSclaleTo<float> {
 public:
  void UpdateClock(float t);

  float frameStep = 0.0f;  // speed x seconds of the last update
  float clock = 0.0f;
  float lastTime = 0.0f;
};

// An owner's default for a scaled parameter: scale, offset and raw value (controls told of
// a new value), with the scaled value current either way.
template <class T>
void SetScaledDefault(MediaScaledValue<T>& param, unsigned int value, float scale, float offset) {
  param.scale = scale;
  param.offset = offset;
  param.SetValue(value);
  param.OnParamChanged(nullptr);
}
