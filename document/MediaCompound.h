#pragma once
// The compound parameters of several owners: a colour, a rectangle in picture pixels with
// a further point, and four corner points. RoundToInt rounds for the water height field.
#include <d3dx9math.h>

#include <cmath>
#include <cstdint>

#include "document/DS_IOF.h"
#include "document/MediaParam.h"

// Red in the lowest byte, green in the second, blue in the third.
class MediaColor : public MediaParamT<unsigned long> {
 public:
  MediaColor() = default;
  explicit MediaColor(unsigned long colour) : MediaParamT<unsigned long>(colour) {}
};

// Edges in picture pixels (x to the right, y downwards), inclusive, and a further point.
class MediaRectangle : public MediaParam {
 public:
  MediaRectangle();

  // Six 32-bit values, left, right, top, bottom, x, y, stored directly: nobody is told
  // and no history is refreshed.
  void Read(DS_IOF_Holder stream);
  void Write(DS_IOF_Holder stream) const;
  // Assigns the edges (histories refreshed, nobody told) and copies the point.
  void AssignValues(const MediaRectangle& other);

  // Whether a point falls inside is measured through the current view: ContainsPoint
  // (runtime/DS_View2D.h).

  MediaParamT<int> left, right, top, bottom;
  MediaParamTB<int> x, y;
};

class MediaQuad : public MediaParam {
 public:
  // Twelve floats: x, y, z of corner 1 to 4, stored directly.
  void Read(DS_IOF_Holder stream);
  void Write(DS_IOF_Holder stream) const;

  MediaParamTB<D3DXVECTOR3> corners[4];
};

// The nearest int under the current rounding mode (ties to even by default).
inline int RoundToInt(float v) { return int(std::nearbyint(v)); }
