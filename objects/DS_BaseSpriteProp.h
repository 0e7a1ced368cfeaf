#pragma once
// The base of the sprite emitters: what every sprite array needs (count, size,
// transparency, blending, colour, alpha breathing, size range, the sprite and overlay
// images, strip animation, flips), its record, and the sprite array render object made
// around a clone. Emitters place and move sprites in InitSprite and UpdateSprite.
#include <d3dx9math.h>

#include <cstdint>
#include <list>
#include <vector>

#include "document/DS_FileLink3.h"
#include "document/DS_IOF.h"
#include "document/MediaCompound.h"
#include "document/MediaParam.h"
#include "document/MediaScaled.h"
#include "objects/DS_ViewObjCtrl.h"
#include "runtime/Random.h"

struct DS_Sprite;

// r(): one draw of the animation generator scaled to [0, 1].
inline float RandomUnit() { return float(rand() / 32767.0); }
// A point or direction through a transform (w divided out).
inline D3DXVECTOR3 TransformCoord(const D3DXVECTOR3& v, const D3DXMATRIX& m) {
  D3DXVECTOR3 out;
  D3DXVec3TransformCoord(&out, &v, &m);
  return out;
}

class DS_BaseSpriteProp : public DS_ViewObjCtrl {
 public:
  static constexpr RecordId kRecord{L"DS_BaseSpriteProp", 6};

  DS_BaseSpriteProp();
  DS_BaseSpriteProp(const DS_BaseSpriteProp& other);
  ~DS_BaseSpriteProp() override = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  // LoadImages, then a sprite array around a clone.
  DS_ABObj* CreateObject() override;

  // Places and randomises a new or respawned sprite.
  virtual void InitSprite(DS_Sprite& /*sprite*/) {}
  // One frame of a sprite's motion.
  virtual void UpdateSprite(DS_Sprite& /*sprite*/) {}
  // The strip frame after index; 0 while there are no strip frames.
  virtual uint32_t NextFrame(uint32_t index);
  // A heap copy of the emitter, owned by the caller.
  virtual DS_BaseSpriteProp* Clone() const = 0;

  // Turns the images of an old record into image links (nothing when there is a link).
  void LoadImages();

  // One step of the alpha phase between the phase bounds, reversing at each; a sprite of
  // an emitter that respawns is placed anew when it falls below the lower bound.
  void BreatheAlpha(DS_Sprite& sprite, bool respawn);
  // The sprites' maximum alpha: 255 at transparency 0, 0 at 100.
  uint8_t MaxAlpha() const { return transparency.scaledValue; }
  // Strip frames as the texture is divided: at least one.
  uint32_t StripColumns() const { return stripFrames ? stripFrames : 1u; }

  // The record carries the base record first, then these fields.
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  bool ReadRecord(DS_IOF_Holder stream);
  void ReadFields(DS_IOF_Holder stream, int32_t version);

  MediaParamT<unsigned int> count;
  // Stored documents always carry a size; 32 keeps an emitter made in code visible.
  MediaParamT<unsigned int> size{32u};
  UINTSclaleTo<unsigned char> transparency;
  MediaParamT<int> blendMode;  // 0 alpha blending, any other value additive
  MediaColor colour;           // 0x00BBGGRR
  float alphaSpeed = 0.0f;
  float phaseMin = 0.0f;
  float phaseMax = 1.0f;
  float sizeFactorMin = 1.0f;
  float sizeFactorMax = 1.0f;
  DS_ImageFileLink spriteImage;
  DS_ImageFileLink overlayImage;
  uint32_t reservedInt = 1;     // carried by the record; playback never reads it
  float reservedFloat = 0.0f;   // likewise
  uint32_t stripFrames = 1;
  float stripRate = 0.0f;       // strip frames per clock unit
  uint8_t stripMode = 0;
  uint32_t loadMode = 0;        // 1: the sprite image names a picture package of a module
  MediaParamT<int> verticalFlip;
  MediaParamT<int> horizontalFlip;
  MediaParamT<int> refreshOnImageChange;
  std::vector<float> legacyFrameTimes;
  std::list<DS_FileRecord> legacyImages;
  DS_FileRecord legacyOverlay;
};
