#pragma once
// The lower part of the slide's picture becomes a lake: the band just above a horizon line
// is mirrored into the area below it, rippled by a slowly turning bump map (bump
// environment mapping), and tinted with a colour that fades towards the horizon. The bump
// map is a V8U8 normal map the document stores under the light's identity in its mask
// table; it is made again from the program's wave picture only when asked to.
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <vector>

#include "device/ComRef.h"
#include "device/Meshes.h"
#include "document/DS_IOF.h"
#include "document/DS_IOF_Item.h"
#include "document/MediaCompound.h"
#include "document/MediaParam.h"
#include "document/MediaScaled.h"
#include "runtime/DS_2D_Light.h"
#include "runtime/Quads.h"

// The rectangle's bottom fraction f, showing upside down the band of the same height just
// above it: the bottom corners keep their y, the top corners move to B - f (B - T); v runs
// from v_top + (v_bottom - v_top)(1 - f) at the top to v_top + (v_bottom - v_top)(1 - 2f) at
// the bottom. x, z and u are kept.
void SplitQuadRect(DS_QuadCorners& corners, float fraction);

class FakeLake2D : public DS_2D_Light {
 public:
  static constexpr RecordId kRecord{L"FakeLake2D", 2};
  static constexpr WORD kWavePictureId = 2;  // the program's own height picture, height in red

  FakeLake2D();
  ~FakeLake2D() override;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }

  void CreateDeviceResources() override;
  void AcquireDeviceResources() override;
  void RenderBackground() override;
  void Update(float t) override;
  void OnImageChanged() override;

  // Works only when the regenerate flag is 0: the wave picture, flattened towards its top,
  // as a V8U8 normal map into the bump texture.
  void BuildBumpMap();
  // What BuildBumpMap makes, from heights in memory (0..255, row by row) instead of the
  // wave picture, as a V8U8 DDS file: the bump map a scene stores under the light's identity.
  std::vector<uint8_t> StoredBumpMap(const std::vector<uint8_t>& heights, uint32_t width, uint32_t height) const;
  void SetBumpStages();
  void LayoutReflection();
  void FillBackdropFromQuad(const DS_QuadCorners& corners);
  void FillReflectionStrip(const DS_QuadCorners& corners);
  void SetReflectionFade();
  void BuildBackdropMesh();
  void SetBackdropTexCoords(float t);

  // The record.
  void Read(DS_IOF_Holder stream, int32_t version) { ReadNew(stream, version); }
  void ReadNew(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  void ReadFields(DS_IOF_Holder stream, int32_t version);  // own fields, then the base record
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);

  MediaSpeedParam waveSpeed;          // 50 x 0.02: 1.0 per second
  UINTSclaleTo<float> waveTiling;     // 100 x 0.01: bump coordinates up to 1.0
  UINTSclaleTo<float> horizon;        // 0.5 - 0.005 x 25: the lake is 0.375 of the height
  UINTSclaleTo<float> farFlattening;  // 100 x 0.01
  UINTSclaleTo<float> tintOpacity;    // 31 x 0.008: tint alpha at the bottom edge
  UINTSclaleTo<float> horizonFade;    // 58 x 0.01: the horizon's alpha is opacity x (1 - fade)
  MediaParamT<unsigned int> normalMapAmplitude;
  MediaParamT<unsigned int> reflectionOffset;  // picture pixels of soft tint above the horizon
  MediaParamT<int> resamplePower;              // the mirrored copy is (128 << power) square
  MediaColor tintColour;                       // red in the lowest byte

  // The key of the bump map in the document's mask and texture tables.
  GUID bumpIdentity{};
  ds_string bumpName;
  uint8_t bumpFlag = 1;

  ComRef<IDirect3DTexture9>& BumpTexture() { return bumpTexture_; }
  IDirect3DTexture9* ReflectionCopy() const { return reflectionCopy_.info.texture.Get(); }
  DS_SimpleMesh<DX_V::PC>& TintQuad(int i) { return tintQuads_[i]; }
  DS_SimpleMesh<DX_V::PTT>& ReflectionMesh() { return reflectionMesh_; }
  const D3DXMATRIX& BumpMatrix() const { return bumpMatrix_; }
  uint8_t& RegenerateFlag() { return regenerate_; }

 private:
  D3DCOLOR TintD3DColour() const;  // alpha 0

  DS_ImageQuad reflectionCopy_;  // only its info's texture: the square copy of the picture
  DS_SimpleMesh<DX_V::PC> tintQuads_[2];  // the lake; the soft strip above the horizon
  D3DXMATRIX bumpMatrix_;
  DS_SimpleMesh<DX_V::PTT> reflectionMesh_;  // six vertices, two triangles
  ComRef<IDirect3DTexture9> bumpTexture_;
  uint8_t regenerate_ = 1;  // BuildBumpMap works only while it is 0
};
