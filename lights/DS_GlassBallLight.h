#pragma once
// The slide seen through a glass ball. The slide and its objects are captured; on a
// backdrop (a vertical gradient, or a picture of its own) the light draws a square in
// perspective whose texture is the captured scene, displaced per pixel by a hemisphere bump
// map (bump environment mapping) so that the scene looks refracted by a sphere. Two overlay
// pictures (highlights, a rim) lie on the ball, a circle mask paints the backdrop back over
// the square's corners, and a stand may be drawn below. The scene inside the ball stands
// still, scrolls sideways without end, or swings from side to side.
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>

#include "device/ComRef.h"
#include "device/Meshes.h"
#include "document/DS_FileLink3.h"
#include "document/DS_IOF.h"
#include "document/DS_IOF_Item.h"
#include "document/MediaCompound.h"
#include "document/MediaParam.h"
#include "document/MediaScaled.h"
#include "runtime/DS_2D_Light.h"
#include "runtime/Quads.h"

class DS_GlassBallLight : public DS_2D_Light {
 public:
  static constexpr RecordId kRecord{L"DS_GlassBallLight", 1};

  // What the backdrop shows (the stored number) and how the scene inside the ball moves.
  enum BackdropMode { kGradient = 0, kPicture = 1 };
  enum ScrollMode { kStill = 0, kScrollOneWay = 1, kScrollOtherWay = 2, kSwing = 3 };

  // The scroll position of every glass-ball light of the process: every screen's Update of
  // one frame gets the same time, so only the first advances it.
  struct ScrollClock {
    float position = 0.0f;
    float lastTime = 0.0f;
    bool started = false;  // the last time is set at the first use
  };
  static ScrollClock& SharedScrollClock();

  // What Resize and ComputeLensParameters derive, each frame.
  struct BallLayout {
    float cameraDistance = -600.0f;  // z of the ball camera's eye
    float lensFactor = 1.0f;         // depth factor of the refraction pass
    float swingFactor = 0.0f;        // how far the swing moves the refraction
    float heightFraction = 1.0f, widthFraction = 1.0f;
    int32_t placementMode = 1;       // picture-position mode of the backdrop
    int32_t savedPlacementMode = 1;  // while a centred overlay is shown
    float backdropOffsetX = 0.0f, backdropOffsetY = 0.0f;  // target pixels
    float backdropScaleX = 1.0f, backdropScaleY = 1.0f;
    bool exactSize = false;  // a centred overlay: the light's own size, not the back buffer's
  };

  static constexpr uint32_t kBumpSize = 256;     // V16U16 hemisphere
  static constexpr uint32_t kMaskSize = 1024;    // A8 circle
  static constexpr uint32_t kGradientSize = 256;  // A8R8G8B8 rows

  DS_GlassBallLight();
  ~DS_GlassBallLight() override;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }

  void CreateDeviceResources() override;
  void AcquireDeviceResources() override;
  void ReleaseDeviceResources() override;
  void RenderOverlay() override;
  void Update(float t) override;
  void Resize(int32_t width, int32_t height) override;
  void SetPicturePosition(int32_t mode) override;
  bool NeedsSceneCapture() override { return hideBall.Value() == 0; }
  void CreateCentredOverlay(int32_t width, int32_t height, int32_t mode) override;
  void DestroyCentredOverlay() override;

  void UseGradientBackground();
  void SelectBackground();
  void LoadBackgroundPicture();
  void ComputeLensParameters();
  HRESULT BuildSphereBumpMap();
  HRESULT BuildCircleMask();
  void BuildGradientTexture();
  // refraction: the ball pass; otherwise the overlays, mask and stand.
  void SetBallTransforms(bool refraction);

  // The texel generators, into memory rows of the given pitch: the hemisphere's slopes
  // (256 x 256, U then V as int16), the circle's alpha (1024 x 1024), the gradient's rows
  // (256 x 256 A8R8G8B8, alpha 0) from colour 1 at the top to colour 2 at the bottom.
  static void FillSphereBumpTexels(uint8_t* bits, int32_t pitch);
  static void FillCircleMaskTexels(uint8_t* bits, int32_t pitch);
  // The same mask as A8R8G8B8 texels: black, with the A8 mask's alpha.
  static void FillBlackCircleMaskTexels(uint8_t* bits, int32_t pitch);
  static void FillGradientTexels(uint8_t* bits, int32_t pitch, unsigned long colour1, unsigned long colour2);
  // Where the first scroll copy starts, as a fraction of the target width (modes 1, 2).
  static float ScrollShift(int32_t mode, float position);
  // The swing: 1 at position 0, -1 at 1, 1 again at 2.
  static float SwingOffset(float position);

  // The record.
  void Read(DS_IOF_Holder stream, int32_t version) { ReadNew(stream, version); }
  void ReadNew(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  void ReadFields(DS_IOF_Holder stream, int32_t version);  // own fields, then the base record
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);

  DS_ImageFileLink overlay1Link;
  DS_ImageFileLink overlay2Link;
  DS_ImageFileLink standLink;
  DS_ImageFileLink backdropLink;
  UINTSclaleTo<float> scrollSpeed;   // 0 x 0.02 + 1.0
  MediaParamTB<POINT> ballPosition;  // about 500 units span the screen
  MediaParamT<unsigned int> size;    // larger brings the camera closer
  MediaParamT<unsigned int> strength;
  MediaParamT<int> hideBall;  // nonzero: drawn like the plain light; not stored
  MediaParamT<int> overlay1On;
  MediaParamT<int> overlay2On;
  MediaParamT<int> standOn;
  MediaParamT<int> backdropMode;  // 1 picture, else gradient
  MediaParamT<int> scrollMode;
  MediaColor gradientColour1;  // top row
  MediaColor gradientColour2;  // bottom row

  const BallLayout& Layout() const { return layout_; }
  float SwingOffsetNow() const { return swingOffset_; }
  ComRef<IDirect3DTexture9>& BumpMap() { return bumpMap_; }
  ComRef<IDirect3DTexture9>& CircleMask() { return circleMask_; }
  ComRef<IDirect3DTexture9>& GradientTexture() { return gradientTexture_; }
  const DS_TextureInfo& BackdropPicture() const { return backdropPicture_; }
  IDirect3DTexture9* OverlayTexture(int i) const { return overlayTextures_[i].Get(); }
  IDirect3DTexture9* StandTexture() const { return standTexture_.Get(); }
  DS_TexturedQuad<DX_V::SCT>& BackdropQuad() { return backdropQuad_; }
  DS_TexturedQuad<DX_V::SCT>& ScrollQuad(int i) { return scrollQuads_[i]; }
  DS_SimpleMesh<DX_V::SC>& Bar(int i) { return bars_[i]; }
  const D3DXMATRIX& TextureMatrix() const { return textureMatrix_; }

 private:
  // The target the layout measures: the light's own size with a centred overlay, else the
  // back buffer's.
  void TargetSize(float& width, float& height) const;
  void LayOutBars(const DS_QuadCorners& fitted);

  ComRef<IDirect3DTexture9> bumpMap_;
  ComRef<IDirect3DTexture9> circleMask_;
  ComRef<IDirect3DTexture9> gradientTexture_;
  DS_TextureInfo backdropPicture_;
  ComRef<IDirect3DTexture9> overlayTextures_[2];
  ComRef<IDirect3DTexture9> standTexture_;
  DS_SimpleMesh<DX_V::PTT> ballSquare_;
  DS_SimpleMesh<DX_V::PTT> standRectangle_;
  float swingOffset_ = 0.0f;
  DS_SimpleMesh<DX_V::SC> bars_[4];
  DS_TexturedQuad<DX_V::SCT> backdropQuad_;
  DS_TexturedQuad<DX_V::SCT> scrollQuads_[2];
  BallLayout layout_;
  D3DXMATRIX textureMatrix_;
};
