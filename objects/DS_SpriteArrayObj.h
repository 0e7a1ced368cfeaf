#pragma once
// The render object of a sprite emitter: a list of sprites, one textured quad per sprite in
// one indexed vertex buffer, and the image frames of the sprite image. Each frame it
// advances the emitter's clock, lets the emitter move every sprite, steps the image and
// strip animations and rewrites the quads; the picture light draws it in one call (two
// with an overlay).
#include <d3d9.h>
#include <d3dx9math.h>

#include <cstdint>
#include <list>
#include <memory>

#include "device/ComRef.h"
#include "device/DS_TextureSet.h"
#include "device/Meshes.h"
#include "document/MediaParam.h"
#include "objects/DS_BaseSpriteProp.h"
#include "runtime/DS_ABObj.h"

// One sprite: a quad of its centre, half extents and axes, in picture pixels.
struct DS_Sprite {
  D3DXVECTOR3 impulse{0.0f, 0.0f, 0.0f};   // extra velocity of a bounce (flows)
  D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};  // some emitters keep other values in y or z
  D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
  float sizeFactor = 1.0f;
  D3DXMATRIX spin;          // per-frame turn of the axes (fog)
  float halfWidth = 0.0f;   // negative: mirrored left to right
  float halfHeight = 0.0f;
  float aspect = 1.0f;      // image height / width, times the strip frames in strip mode
  D3DXVECTOR3 xAxis{1.0f, 0.0f, 0.0f};
  D3DXVECTOR3 yAxis{0.0f, 1.0f, 0.0f};  // shearing emitters slant its x component
  float alphaPhase = 0.0f;
  float lastChange = 0.0f;  // clock value of the sprite's last random decision
  D3DCOLOR colour = 0;
  float alphaSpeed = 0.0f;

  DS_Sprite();

  void Clear();
  // Aspect of the emitter's image, unit axes, a random size factor, then the sizing rule.
  void Init(const DS_BaseSpriteProp& emitter);
  // The longer side of the image gets emitter size x size factor.
  void ApplySize(const DS_BaseSpriteProp& emitter);
  // Alpha from the emitter's maximum alpha and the phase, colour from the emitter's.
  void UpdateColor(const DS_BaseSpriteProp& emitter);
  D3DXVECTOR3 CornerOrigin() const;

  // Against the emitter's area; strict comparisons, y downwards (below = past the bottom).
  bool IsWhollyLeft(const DS_BaseSpriteProp& e) const;
  bool IsWhollyRight(const DS_BaseSpriteProp& e) const;
  bool IsWhollyBelow(const DS_BaseSpriteProp& e) const;
  bool IsWhollyAbove(const DS_BaseSpriteProp& e) const;
  bool CrossesTop(const DS_BaseSpriteProp& e) const;
  bool CrossesBottom(const DS_BaseSpriteProp& e) const;
  bool CrossesRight(const DS_BaseSpriteProp& e) const;
};

// The colour of a sprite: alpha = low 8 bits of trunc(max alpha x phase); red, green and
// blue from the colour value 0x00BBGGRR.
D3DCOLOR SpriteColour(uint8_t maxAlpha, float phase, unsigned long colourValue);

// An indexed mesh of quads: quad q uses vertices 4q..4q+3 and indices 6q..6q+5.
template <class V>
class DS_SpriteArrayT : public DS_IndexedMesh<V> {
 public:
  // Four vertices for each quad must fit 16-bit indices.
  static constexpr uint32_t kMaxQuads = 16383;

  // New vertex and index buffers for n quads, the indices written once.
  void BuildQuadIndices(uint32_t n);
};

// The image frames of the sprite image and the frame shown.
template <class Mesh>
class AnimatedTexture : public Mesh {
 public:
  // Steps to the next frame once the current one's time has passed; whether it stepped.
  bool AdvanceFrame(float clock);
  // The frame's texture; null when the image has no texture for it (a package may list
  // more frame times than pictures).
  IDirect3DTexture9* CurrentTexture() const {
    return currentImageFrame < images.textures.size() ? images.textures[currentImageFrame].Get() : nullptr;
  }

  DS_TextureSet images;
  uint32_t currentImageFrame = 0;
  float lastImageChange = 0.0f;
};

class DS_SpriteArrayObj : public DS_ABObj, public AnimatedTexture<DS_SpriteArrayT<DX_V::PCT>> {
 public:
  // Takes the emitter clone.
  explicit DS_SpriteArrayObj(DS_BaseSpriteProp* emitter);
  ~DS_SpriteArrayObj() override;

  void Render(DS_ABRender& host) override;
  void DrawFrame(DS_ABRender& host) override;
  void Update(float t) override;
  void SyncParams() override { emitter_->SyncEdgeParams(); }
  bool TestPoint(float x, float y) override { return emitter_->HitTest(x, y); }

  // Builds buffers for n quads (at most kMaxQuads) and creates the missing sprites; a
  // count below 1 changes nothing.
  void OnCountChanged(unsigned int n);
  // The overlay texture with a reference for the caller, or null.
  ComRef<IDirect3DTexture9> GetOverlayTexture() const { return overlay_; }
  // Texture coordinates of quad k of the locked vertices.
  void SetQuadTexCoords(float ua, float ub, float va, float vb, uint32_t k);
  // The quads the buffers hold for the emitter's count.
  uint32_t DrawnCount() const;

  DS_BaseSpriteProp& Emitter() const { return *emitter_; }
  const std::list<std::unique_ptr<DS_Sprite>>& Sprites() const { return sprites_; }

  uint32_t stripFrame = 0;
  float stripLastChange = 0.0f;
  int ownBounds = 0;  // the placed sprites draw their frame with their own bounds

 private:
  void WriteQuads();

  DS_BaseSpriteProp* emitter_;  // the clone that DS_ABObj owns
  DS_ControlList controls_;     // the count control
  std::list<std::unique_ptr<DS_Sprite>> sprites_;  // grows, never shrinks
  ComRef<IDirect3DTexture9> overlay_;
};
