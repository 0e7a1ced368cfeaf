// Picture-pixel hit tests of rectangle parameters, which go through the current view.
#include <cmath>

#include "document/MediaCompound.h"
#include "runtime/DS_View2D.h"

namespace {
// A quad without area (before the first resize, or a picture without size) would make
// the mapping divide by zero.
bool PictureQuadHasArea(float width, float height) {
  return width != 0.0f && height != 0.0f && std::isfinite(width) && std::isfinite(height);
}
float QuadWidth(const DS_QuadCorners& q) { return q.corner[3].x - q.corner[0].x; }
float QuadHeight(const DS_QuadCorners& q) { return q.corner[2].y - q.corner[1].y; }
}  // namespace

D3DXVECTOR3 MapPointToCanvas(const D3DXVECTOR3& p) {
  const DS_QuadCorners& q = g_virtualScreen->pictureQuad;
  float width = QuadWidth(q), height = QuadHeight(q);
  if (!PictureQuadHasArea(width, height)) return D3DXVECTOR3(0.0f, 0.0f, p.z);
  float dx = p.x - q.corner[0].x;
  float X = float(g_virtualScreen->pictureWidth) * dx;
  X = X / width;
  X = X * g_view2D->inverseModeScaleX;
  X = X - g_view2D->modeOffsetX;
  float dy = p.y - q.corner[1].y;
  float Y = float(g_virtualScreen->pictureHeight) * dy;
  Y = Y / height;
  Y = Y * g_view2D->inverseModeScaleY;
  Y = Y - g_view2D->modeOffsetY;
  return D3DXVECTOR3(X, Y, p.z);
}

bool ContainsPoint(const MediaRectangle& rectangle, float px, float py) {
  const DS_QuadCorners& q = g_virtualScreen->pictureQuad;
  if (!PictureQuadHasArea(QuadWidth(q), QuadHeight(q))) return false;
  D3DXVECTOR3 p(g_virtualScreen->backBufferScaleX * px, g_virtualScreen->backBufferScaleY * py, 0.0f);
  D3DXVECTOR3 c = MapPointToCanvas(p);
  // Edges compared exactly: every int is a double, not every int a float.
  const double x = c.x, y = c.y;
  if (double(rectangle.left.Value()) > x || double(rectangle.right.Value()) < x) return false;
  if (double(rectangle.top.Value()) > y || double(rectangle.bottom.Value()) < y) return false;
  return true;
}
