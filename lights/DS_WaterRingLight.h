#pragma once
// The water-ring light: the slide's picture lying under a sheet of water, seen from straight
// above. Random drops fall into the water, rings spread and reflect at the edges, the
// picture wobbles under them through refraction, and a directional light puts specular
// highlights on the waves. The water is the ripple grid (DS_WaterGrid.h), drawn as a lit
// mesh through an orthographic camera of the light's own and textured with the picture;
// with the whole-scene flag at 1 the light captures the finished slide (picture and render
// objects) and draws that through the water instead.
#include <d3dx9.h>

#include <cstdint>
#include <memory>

#include "document/DS_IOF_Item.h"
#include "document/MediaParam.h"
#include "document/MediaScaled.h"
#include "lights/DS_WaterGrid.h"
#include "runtime/DS_2D_Light.h"

// The grid's damping for a persistence of 0..100: the lower half covers 0.9 to 0.99, the
// upper half 0.99 to 0.999.
float MapWaterDamping(unsigned int persistence);

class DS_WaterRingLight : public DS_2D_Light {
 public:
  static constexpr RecordId kRecord{L"DS_WaterRingLight", 2};

  DS_WaterRingLight();
  ~DS_WaterRingLight() override;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }

  // The fixed-function draws of render objects are not lit: lighting is off around them.
  void DrawObjectFrame(DS_SimpleMesh<DX_V::PC>& quad, int m, bool steady) override;
  void DrawMeshInstances(const DS_IndexedMesh<DX_V::PNT>& part, IDirect3DTexture9* texture, bool translucent,
                         const std::list<DS_Frame*>& frames) override;
  void DrawSpriteArray(const DS_IndexedMesh<DX_V::PCT>& array, IDirect3DTexture9* texture,
                       IDirect3DTexture9* overlay, uint32_t blendSetting) override;
  void DrawFrameList(const DS_IndexedMesh<DX_V::PNT>& mesh, IDirect3DTexture9* texture,
                     const std::list<DS_Frame*>& children) override;

  void CreateDeviceResources() override;
  // Sets every device state the water needs (the base's are not used) and restarts the
  // water calm with one drop.
  void AcquireDeviceResources() override;
  void ReleaseDeviceResources() override;
  void RenderOverlay() override;
  void RenderBackground() override;
  void Update(float t) override;
  void Resize(int32_t width, int32_t height) override;
  void SetPicturePosition(int32_t mode) override;
  void DrawScreenQuad(DS_SimpleMesh<DX_V::SC>& quad) override;
  void BeginSceneCapture() override;
  DS_RenderTargetPair& EndSceneCapture(bool clear) override;
  bool NeedsSceneCapture() override { return DrawsWholeScene(); }

  // Sizes the grid to the picture's aspect and the densities, with one drop.
  void ResizeGrid();
  // The material: black diffuse, specular grey at the specular level, with its power.
  void ApplyMaterial();
  // The water textured with the given texture, placed like the picture in the 2D view.
  void DrawWater(IDirect3DTexture9* texture);

  // The record.
  void Read(DS_IOF_Holder stream, int32_t version) { ReadNew(stream, version); }
  void ReadNew(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  void ReadFields(DS_IOF_Holder stream, int32_t version);  // own fields, then the base record
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);  // own fields only

  bool DrawsWholeScene() const { return wholeScene.Value() == 1; }
  DS_WaterGrid& Grid() { return *grid_; }
  const D3DXMATRIX& Projection() const { return projection_; }
  const D3DXMATRIX& CameraMatrix() const { return cameraMatrix_; }
  const D3DXMATRIX& View() const { return view_; }
  float LastDropTime() const { return lastDropTime_; }

  MediaParamT<int> wholeScene{0};
  MediaParamT<unsigned int> waveHeight{0};
  MediaParamT<unsigned int> rowDensity{0};
  MediaParamT<unsigned int> gridDensity{0};
  MediaParamT<unsigned int> dropForce{50};
  MediaParamT<unsigned int> persistence{50};
  MediaParamT<unsigned int> refractionLevel{20};
  UINTSclaleTo<float> dropRate;        // drops per second: raw / 60
  UINTSclaleTo<float> specularLevel;   // raw x 0.01
  UINTSclaleTo<float> specularPower;   // raw x 0.8

 private:
  std::unique_ptr<DS_WaterGrid> grid_;
  D3DXVECTOR3 lightDirection_{0.5f, -1.0f, 1.0f};
  D3DCOLORVALUE lightColour_{1.0f, 1.0f, 1.0f, 1.0f};
  D3DXMATRIX world_;
  D3DXMATRIX view_;
  D3DXMATRIX cameraMatrix_;  // its translation row is the eye
  D3DXMATRIX projection_;
  float lastDropTime_ = 0.0f;
  int32_t storedWidth_ = 0;
  int32_t storedHeight_ = 0;
};
