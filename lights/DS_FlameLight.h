#pragma once
// The flame light: the slide's picture with flames rising over its lower part, and a heat
// haze over the whole finished slide. While the haze is on, the slide is captured into the
// light's render-target pair and drawn once more through a bump-map distortion.
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>

#include "brushes/DS_FireFX.h"
#include "device/ComRef.h"
#include "device/Meshes.h"
#include "document/DS_FileLink3.h"
#include "document/MediaParam.h"
#include "document/MediaScaled.h"
#include "runtime/DS_2D_Light.h"

// The haze: a quad over the picture drawn through effect 63, which displaces the captured
// slide by two samples of a tileable bump picture drifting against each other.
class DS_BumpDistortion {
 public:
  DS_BumpDistortion();
  DS_BumpDistortion(const DS_BumpDistortion&) = delete;
  DS_BumpDistortion& operator=(const DS_BumpDistortion&) = delete;

  // The quad, the bump picture's first texture and the effect; whether the effect exists.
  bool CreateDeviceResources();
  // The quad over a picture of width x height pixels.
  void Resize(float width, float height);
  // Advances the clock and sets "stenght", "Offset" and "bump_scale".
  void Update(float time);
  // The scene texture drawn through the distortion.
  void Render(IDirect3DTexture9* scene);

  ID3DXEffect* Effect() const { return effect_.Get(); }
  IDirect3DTexture9* BumpTexture() const { return bumpTexture_.Get(); }

  DS_SimpleMesh<DX_V::PT> quad;
  DS_ImageFileLink bumpLink;
  DS_HLSLEffectFile effectLink;
  MediaSpeedParam speed;
  UINTSclaleTo<float> strength;
  UINTSclaleTo<float> bumpScale;
  float aspect = 1.0f;  // picture height / width

 private:
  ComRef<ID3DXEffect> effect_;
  ComRef<IDirect3DTexture9> bumpTexture_;
};

class DS_FlameLight : public DS_2D_Light {
 public:
  static constexpr RecordId kRecord{L"DS_FlameLight", 2};

  DS_FlameLight();
  ~DS_FlameLight() override;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  void CreateDeviceResources() override;
  // Sets every device state the light needs (the base operation is not called), and
  // restores the resource manager's effects after a device reset.
  void AcquireDeviceResources() override;
  void RenderOverlay() override;
  void RenderBackground() override;
  void Update(float t) override;
  bool NeedsSceneCapture() override { return distortionFlag.Value() == 1; }
  void OnImageChanged() override;

  // The fire quad's top and bottom edges for a picture h pixels high.
  static float FireTop(float h, unsigned int offset) { return FireBottom(h, offset) - 0.65f * h; }
  static float FireBottom(float h, unsigned int offset) { return h * (1.0f + 0.005f * float(offset)); }

  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  void ReadFields(DS_IOF_Holder stream, int32_t version);
  void Read(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }
  void ReadNew(DS_IOF_Holder stream, int32_t version) { ReadFields(stream, version); }

  DS_SimpleMesh<DX_V::PT>& FireQuad() { return fireQuad_; }

  MediaParamT<int> fireVisible;     // nonzero: the fire is drawn
  MediaParamT<int> distortionFlag;  // exactly 1: the haze is drawn
  MediaParamT<unsigned int> fireOffset;
  DS_FireFX fire;
  DS_BumpDistortion distortion;

 private:
  DS_SimpleMesh<DX_V::PT> fireQuad_;
};
