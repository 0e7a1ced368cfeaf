#pragma once
// The brush base: a scene item that paints a compiled effect over the slide's picture,
// limited to its painted mask, and the render object a slide makes from it. A brush lives
// twice: the document item, and the clone its DS_BrushObj owns; only the clone is bound to
// the device's resources, updated and drawn.
#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>

#include "device/ComRef.h"
#include "document/DS_ABObj_Constructor.h"
#include "document/DS_FileLink3.h"
#include "document/DS_IOF.h"
#include "document/DS_IOF_Item.h"
#include "document/MediaParam.h"
#include "document/MediaScaled.h"
#include "runtime/DS_ABObj.h"
#include "runtime/DS_ABRender.h"

// Drawing takes a colour's bytes, red first, as 0..1.
inline D3DXVECTOR3 ColourVector(unsigned long colour) {
  return D3DXVECTOR3(float(colour & 0xFF) / 255.0f, float((colour >> 8) & 0xFF) / 255.0f,
                     float((colour >> 16) & 0xFF) / 255.0f);
}

// (1, 0, 0, 0) turned about z by the given degrees (D3DXMatrixRotationZ, a row vector times
// the matrix): (cos a, sin a, 0, 0).
D3DXVECTOR4 TurnedUnitX(int32_t degrees);

// The first texture of a picture's set in the current resource manager, when it holds one.
ComRef<IDirect3DTexture9> FirstImageTexture(const DS_FileLink3& link);

class DS_FX_Constructor : public DS_ABObj_Constructor {
 public:
  static constexpr RecordId kRecord{L"DS_FX_Constructor", 2};
  static constexpr wchar_t kModule[] = L"common_res.dll";

  // A fresh identity; the concrete brush sets its speed and effect link.
  DS_FX_Constructor();
  // Same identity; shares the mask and the effect.
  DS_FX_Constructor(const DS_FX_Constructor& other);
  DS_FX_Constructor& operator=(const DS_FX_Constructor&) = delete;
  ~DS_FX_Constructor() override;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  // A new DS_BrushObj around a clone.
  DS_ABObj* CreateObject() override;
  // No mask, a new identity.
  void Reset() override;

  // The effect of the link from the current resource manager, then the mask.
  virtual void BindResources(ComRef<IDirect3DTexture9>* mask);
  virtual void DrawFrame(DS_ABRender& /*host*/) {}
  virtual ComRef<IDirect3DTexture9>* GetMask() { return &mask_; }
  // Advances the brush's clock.
  virtual void Update(float time) { speed.UpdateClock(time); }
  // Sets the brush's own effect values and draws.
  virtual void Render(DS_ABRender& host) = 0;
  // Holds the texture the slot holds (null stays null).
  virtual void SetMask(ComRef<IDirect3DTexture9>* mask);
  virtual DS_FX_Constructor* Clone() const = 0;
  // Whether Render would put anything on the screen: a brush whose effect (or, for the
  // fire, whose pictures) the resource manager could not make draws nothing, and must not
  // be taken for one that samples the scene.
  virtual bool CanDraw() const { return bool(effect_); }
  // Whether the slide must capture the scene for this brush: its flag is set and it draws.
  virtual bool SamplesScene() const { return sceneEffect.Value() != 0 && CanDraw(); }

  // The common end of drawing: technique, "Scale", "Mask", "Background", every pass over
  // the picture's mesh. Nothing without an effect.
  void DrawBrush(DS_ABRender& host);

  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  // Class name and version (neither compared), then the fields of that version.
  void ReadRecord(DS_IOF_Holder stream);
  void ReadFields(DS_IOF_Holder stream, int32_t version);

  ID3DXEffect* Effect() const { return effect_.Get(); }
  // The clock time t of every brush formula.
  float Time() const { return speed.clock; }

  MediaSpeedParam speed;
  MediaParamT<int> sceneEffect;  // nonzero: samples the scene drawn before it
  DS_HLSLEffectFile effectLink;
  UINTSclaleTo<float> effectScale;
  GUID guid{};
  ds_string maskName;
  uint8_t maskFlag = 1;

 protected:
  // Points the effect link at an effect of the resource module.
  void SetModuleEffect(int id) { effectLink.SetKey(DS_LinkKey{kModule, id}); }
  void SetSpeed(unsigned int value, float scale) { InitScaled(speed, value, scale, 0.0f); }
  // Every field of the base from another brush, sharing its mask and effect (the fire's
  // assignment).
  void AssignBase(const DS_FX_Constructor& other);

  ComRef<IDirect3DTexture9> mask_;
  ComRef<ID3DXEffect> effect_;

 private:
  void NewIdentity();
};

// The render object of a brush: owns the clone and drives it.
class DS_BrushObj : public DS_ABObj {
 public:
  // Takes the clone and binds it: its effect, and the mask stored under its identity in the
  // current resource manager (an identity without an entry gets an empty one).
  explicit DS_BrushObj(DS_FX_Constructor* clone);

  void Render(DS_ABRender& host) override { brush_->Render(host); }
  void DrawFrame(DS_ABRender& host) override { brush_->DrawFrame(host); }
  void Update(float time) override { brush_->Update(time); }
  void SyncParams() override {}
  bool IsSceneEffect() override { return brush_->SamplesScene(); }
  bool TestPoint(float, float) override { return false; }

  DS_FX_Constructor* Brush() const { return brush_; }

 private:
  DS_FX_Constructor* brush_;  // the clone, owned as the object's item
};
