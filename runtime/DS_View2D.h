#pragma once
// Where a slide's picture lands on the screen: placement for the picture-position mode
// (0 stretch, 1 fit with letterbox bars, 2 fill with cropping, 3 the stretch used while
// the scene is captured), projection and view, the camera's pan/zoom, the bars, and the
// matrix products drawing classes ask for. Plus the virtual screen that 2D objects
// measure against, and the layout operations of screen quads.
//
// There is one view and one virtual screen per screen; g_view2D and g_virtualScreen point
// at the current screen's pair (SelectScreen, runtime/ScreenSelection.h). Until a screen
// selects its own they point at a process-wide default pair, so they are never null.
#include <d3dx9.h>

#include <cstdint>
#include <optional>

#include "device/Meshes.h"
#include "runtime/Quads.h"

class MediaRectangle;

// The picture-position mode, stored as its number (the view's mode; the registry's "PicPos"
// holds one of the first three).
enum PicturePosition : int32_t {
  kPictureStretch = 0,         // the whole picture over the whole target, its aspect lost
  kPictureFit = 1,             // the whole picture in its aspect, letterbox bars around it
  kPictureFill = 2,            // the whole target in the picture's aspect, the picture cropped
  kPictureCaptureStretch = 3,  // the stretch used while the scene is captured
};

class DS_View2D {
 public:
  enum Bar { kLeft, kRight, kTop, kBottom };

  DS_View2D();

  // Gives every bar a buffer: opaque black over the back buffer.
  void CreateBars();
  // Lets go of the bars' buffers, which hold the device, when the screen's scene goes with
  // it; the next CreateBars makes them again.
  void ReleaseBars();
  // Lays out bars, view, projection, placement and mode matrices for a target of
  // width x height (back-buffer pixels unless exact) and installs world, view and
  // projection on the device. A picture without size is placed as if it had the target's.
  void Setup(int32_t width, int32_t height, const DS_TextureInfo& picture, int32_t newMode, bool exact);
  void DrawBars();  // in fit mode only
  // World, view and projection onto the current device, as Setup leaves them.
  void InstallTransforms() const;

  // object x PZ x Tm x Sm x P (no PZ while capturing).
  void ComposeWorld(const D3DXMATRIX& object, D3DXMATRIX& out) const;
  void SetWorldTransform(const D3DXMATRIX& object);
  void GetWorldViewProjection(const D3DXMATRIX& object, D3DXMATRIX& out) const;
  void GetViewProjection(D3DXMATRIX& out) const;
  // Zoom z about the point (pan + 1) / 2 of the way across the picture; pan in [-1, 1].
  void SetCameraTransform(float zoom, float panX, float panY);
  float GetOriginOffsetX() const;
  float GetOriginOffsetY() const;

  D3DXMATRIX placement;   // P: picture pixels onto the fitted rectangle
  D3DXMATRIX world;       // identity after every Setup
  D3DXMATRIX view;
  D3DXMATRIX projection;
  D3DXMATRIX modeScale;   // Sm
  D3DXMATRIX modeOffset;  // Tm: makes Sm scale about the picture's centre
  float inverseModeScaleX = 1.0f, inverseModeScaleY = 1.0f;
  float modeOffsetX = 0.0f, modeOffsetY = 0.0f;
  D3DXMATRIX panZoom;  // PZ
  DS_SimpleMesh<DX_V::SC> bars[4];
  int32_t mode = kPictureFit;
  uint32_t pictureWidth = 0, pictureHeight = 0;
  float fitRatioX = 1.0f, fitRatioY = 1.0f;

 private:
  // The picture's fitted rectangle on the target: left, top, right, bottom.
  struct FittedPicture {
    float x0, y0, x1, y1;
  };
  FittedPicture FitPicture(int32_t width, int32_t height, bool toBackBuffer) const;
  // The four bars beside or above and below the fitted picture.
  void LayOutBars(const FittedPicture& fitted);
  // Writes a bar's rectangle into its buffer unless the buffer holds it already: Setup runs
  // twice a frame while the scene is captured, and every lock of a managed buffer waits for
  // the device (Wine's command thread, measured at 3-4 % of the shipped scene's step).
  void WriteBar(Bar bar, float left, float top, float right, float bottom);

  struct BarRectangle {
    float left, top, right, bottom;
    bool operator==(const BarRectangle&) const = default;
  };
  std::optional<BarRectangle> written_[4];  // none while the bars have new buffers or none
  // World identity, the view from -z, an orthographic projection of the target's pixels.
  void SetUpProjection(int32_t width, int32_t height);
  // Picture pixels onto the fitted rectangle, and the target's ratio to it.
  void PlacePicture(const FittedPicture& fitted, int32_t width, int32_t height, float targetWidth,
                    float targetHeight);
  // Stretch and fill scale the fitted picture about its centre until it covers the target.
  void ScaleForMode(const FittedPicture& fitted);
};

struct DS_VirtualScreen {
  float backBufferScaleX = 0.0f;  // back-buffer width / target width
  float backBufferScaleY = 0.0f;
  DS_QuadCorners pictureQuad;     // the picture's fitted rectangle in back-buffer pixels
  uint32_t pictureWidth = 0;
  uint32_t pictureHeight = 0;
};

extern DS_View2D* g_view2D;
extern DS_VirtualScreen* g_virtualScreen;

void BindQuadSC(const DS_SimpleMesh<DX_V::SC>& quad);
// Fills *g_virtualScreen.
void SetVirtualScreen(const DS_QuadCorners& pictureQuad, int32_t width, int32_t height, uint32_t pictureWidth,
                      uint32_t pictureHeight);

void InitScreenQuad(DS_QuadCorners& corners);
// An axis-aligned rectangle in strip order, z 1, the texture coordinates of InitScreenQuad.
DS_QuadCorners RectangleQuad(float left, float top, float right, float bottom);
void FitQuadToBackBuffer(DS_QuadCorners& corners);
// The largest rectangle of the picture's aspect centred in width x height.
void FitQuadToImage(DS_QuadCorners& corners, const DS_TextureInfo& picture, int32_t width, int32_t height);
void ScaleQuadToBackBuffer(DS_QuadCorners& corners, int32_t width, int32_t height);

// A point in back-buffer pixels as picture pixels, through the current virtual screen's
// picture quad and the current view's mode; (0, 0) while the quad has no area.
D3DXVECTOR3 MapPointToCanvas(const D3DXVECTOR3& point);
// Whether a point in pixels of the light's render target falls inside the rectangle, measured
// through the current virtual screen and view; false while the picture quad has no area. The
// rectangle's own operation in the authoring direction, kept here beside the view it needs so
// that the document library does not depend on the runtime.
bool ContainsPoint(const MediaRectangle& rectangle, float x, float y);
