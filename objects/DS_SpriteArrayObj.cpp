#include "objects/DS_SpriteArrayObj.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "document/DS_DocResManager.h"
#include "runtime/DS_View2D.h"
#include "runtime/Random.h"

// ---- Sprite ---------------------------------------------------------------------------------

DS_Sprite::DS_Sprite() { D3DXMatrixIdentity(&spin); }

void DS_Sprite::Clear() {
  impulse = velocity = position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

void DS_Sprite::Init(const DS_BaseSpriteProp& emitter) {
  Clear();
  // The image's aspect whatever the load mode: a package loaded first shares the link's key.
  aspect = g_docResManager ? g_docResManager->GetImageTextures(emitter.spriteImage).aspect : 1.0f;
  if (emitter.stripMode) aspect *= float(emitter.stripFrames);
  xAxis = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
  yAxis = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
  position = D3DXVECTOR3(100.0f, 100.0f, 0.0f);
  sizeFactor = emitter.sizeFactorMin + RandomUnit() * (emitter.sizeFactorMax - emitter.sizeFactorMin);
  ApplySize(emitter);
}

void DS_Sprite::ApplySize(const DS_BaseSpriteProp& emitter) {
  const float s = float(emitter.size.Value()) * sizeFactor;
  if (aspect < 1.0f) {
    halfWidth = s * 0.5f;
    halfHeight = s * 0.5f * aspect;
  } else {
    halfHeight = s * 0.5f;
    halfWidth = s * 0.5f / aspect;
  }
}

D3DCOLOR SpriteColour(uint8_t maxAlpha, float phase, unsigned long colourValue) {
  // Through 64 bits, so that no phase makes the conversion undefined; a negative product
  // wraps through the low 8 bits.
  const uint32_t a = uint32_t(int64_t(float(maxAlpha) * phase)) & 0xFFu;
  const uint32_t r = colourValue & 0xFFu, g = (colourValue >> 8) & 0xFFu, b = (colourValue >> 16) & 0xFFu;
  return D3DCOLOR(a << 24 | r << 16 | g << 8 | b);
}

void DS_Sprite::UpdateColor(const DS_BaseSpriteProp& emitter) {
  colour = SpriteColour(emitter.MaxAlpha(), alphaPhase, emitter.colour.Value());
}

D3DXVECTOR3 DS_Sprite::CornerOrigin() const { return position - halfWidth * xAxis - halfHeight * yAxis; }

bool DS_Sprite::IsWhollyLeft(const DS_BaseSpriteProp& e) const {
  return e.LeftPixels() > position.x + std::fabs(halfWidth);
}
bool DS_Sprite::IsWhollyRight(const DS_BaseSpriteProp& e) const {
  return e.RightPixels() < position.x - std::fabs(halfWidth);
}
bool DS_Sprite::IsWhollyBelow(const DS_BaseSpriteProp& e) const {
  return e.BottomPixels() < position.y - std::fabs(halfHeight);
}
bool DS_Sprite::IsWhollyAbove(const DS_BaseSpriteProp& e) const {
  return e.TopPixels() > position.y + std::fabs(halfHeight);
}
bool DS_Sprite::CrossesTop(const DS_BaseSpriteProp& e) const { return e.TopPixels() > position.y - halfHeight; }
bool DS_Sprite::CrossesBottom(const DS_BaseSpriteProp& e) const {
  return e.BottomPixels() < position.y + halfHeight;
}
bool DS_Sprite::CrossesRight(const DS_BaseSpriteProp& e) const { return e.RightPixels() < position.x + halfWidth; }

// ---- Quad array and image frames --------------------------------------------------------------

template <class V>
void DS_SpriteArrayT<V>::BuildQuadIndices(uint32_t n) {
  CreateMeshVertexBuffer(4 * n, *this);
  this->primitiveType = D3DPT_TRIANGLELIST;
  this->primitiveCount = 0;
  this->indexedPrimitiveCount = 2 * n;
  this->indexBuffer.Reset();
  this->lockedIndices = nullptr;
  if (!g_currentDevice) return;
  g_currentDevice->CreateIndexBuffer(UINT(6 * n * sizeof(uint16_t)), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                     D3DPOOL_MANAGED, this->indexBuffer.Put(), nullptr);
  if (uint16_t* i = this->LockIndices()) {
    for (uint32_t q = 0; q < n; ++q) {
      const uint16_t b = uint16_t(4 * q);
      const uint16_t quad[6] = {b, uint16_t(b + 1), uint16_t(b + 2), uint16_t(b + 2), uint16_t(b + 1),
                                uint16_t(b + 3)};
      std::copy(quad, quad + 6, i + 6 * q);
    }
    this->UnlockIndices();
  }
}

template <class Mesh>
bool AnimatedTexture<Mesh>::AdvanceFrame(float clock) {
  const std::vector<float>& times = images.frameTimes;
  if (times.empty()) return false;
  if (currentImageFrame >= times.size()) currentImageFrame = 0;
  if (!(times[currentImageFrame] < clock - lastImageChange)) return false;
  lastImageChange = clock;
  currentImageFrame = uint32_t((currentImageFrame + 1) % times.size());
  return true;
}

template class DS_SpriteArrayT<DX_V::PCT>;
template class AnimatedTexture<DS_SpriteArrayT<DX_V::PCT>>;

// ---- Sprite array ---------------------------------------------------------------------------

DS_SpriteArrayObj::DS_SpriteArrayObj(DS_BaseSpriteProp* emitter) : DS_ABObj(emitter), emitter_(emitter) {
  if (g_docResManager) {
    images = emitter_->loadMode == 1 ? g_docResManager->LoadModuleImagePackage(emitter_->spriteImage)
                                     : g_docResManager->GetImageTextures(emitter_->spriteImage);
    if (!emitter_->overlayImage.Path().empty()) {
      const DS_TextureSet& overlay = g_docResManager->GetImageTextures(emitter_->overlayImage);
      if (!overlay.textures.empty()) overlay_ = overlay.textures.front();
    }
  }
  controls_.SetOwner<DS_SpriteArrayObj>(this);
  controls_.SetUnderConstruction(false);
  DS_FunLightCtrl<unsigned int, DS_SpriteArrayObj>::Bind(
      controls_, emitter_->count, [](DS_SpriteArrayObj* o, unsigned int n) { o->OnCountChanged(n); });
}

DS_SpriteArrayObj::~DS_SpriteArrayObj() = default;

uint32_t DS_SpriteArrayObj::DrawnCount() const { return std::min<uint32_t>(emitter_->count.Value(), kMaxQuads); }

void DS_SpriteArrayObj::OnCountChanged(unsigned int n) {
  if (n < 1) return;
  // Past 16-bit indices the stored count stays, and the first kMaxQuads sprites are drawn.
  const uint32_t quads = std::min<uint32_t>(n, kMaxQuads);
  vertexBuffer.Reset();
  lockedVertices = nullptr;
  BuildQuadIndices(quads);
  while (sprites_.size() < quads) {
    auto sprite = std::make_unique<DS_Sprite>();
    sprite->Init(*emitter_);
    sprite->lastChange = 0.0f;
    sprite->alphaPhase = 1.0f;
    sprite->alphaSpeed = emitter_->alphaSpeed * ((rand() & 1) ? -1.0f : 1.0f);
    sprite->UpdateColor(*emitter_);
    DS_Sprite& added = *sprite;
    sprites_.push_back(std::move(sprite));
    emitter_->InitSprite(added);
  }
}

void DS_SpriteArrayObj::Update(float t) {
  if (vertexCount / 4 != DrawnCount()) return;
  emitter_->AdvanceClock(t);
  for (auto& sprite : sprites_) emitter_->UpdateSprite(*sprite);
  const bool changed = AdvanceFrame(emitter_->clock);
  if (emitter_->refreshOnImageChange.Value() != 0 && !changed) return;
  WriteQuads();
}

void DS_SpriteArrayObj::WriteQuads() {
  DX_V::PCT* v = Lock();
  if (!v) return;
  const DS_BaseSpriteProp& e = *emitter_;
  const float clock = e.clock;
  const uint32_t n = DrawnCount();
  auto sprite = sprites_.begin();
  for (uint32_t k = 0; k < n && sprite != sprites_.end(); ++k, ++sprite) {
    const DS_Sprite& s = **sprite;
    const D3DXVECTOR3 c = s.CornerOrigin();
    const D3DXVECTOR3 ax = 2.0f * s.halfWidth * s.xAxis;
    const D3DXVECTOR3 ay = 2.0f * s.halfHeight * s.yAxis;
    const D3DXVECTOR3 corners[4] = {c + ay, c, c + ax + ay, c + ax};
    for (int i = 0; i < 4; ++i) {
      DX_V::PCT& p = v[4 * k + i];
      p.x = corners[i].x, p.y = corners[i].y, p.z = corners[i].z;
      p.color = s.colour;
    }
    float ua = 0.0f, ub = 1.0f, va = 0.0f, vb = 1.0f;
    if (e.horizontalFlip.Value() != 0) std::swap(ua, ub);
    if (e.verticalFlip.Value() != 0) std::swap(va, vb);
    if (e.stripMode) {
      // Tested for every sprite, so the strip steps at most once a frame and all sprites
      // show the same strip frame.
      if (1.0f / e.stripRate < clock - stripLastChange) {
        stripFrame = emitter_->NextFrame(stripFrame);
        stripLastChange = clock;
      } else if (stripLastChange > clock) {
        stripLastChange = 0.0f;
      }
      const float columns = float(e.StripColumns());
      ua = float(stripFrame) / columns;
      ub = float(stripFrame + 1) / columns;
      if (e.horizontalFlip.Value() != 0) std::swap(ua, ub);
    }
    SetQuadTexCoords(ua, ub, va, vb, k);
  }
  Unlock();
}

void DS_SpriteArrayObj::SetQuadTexCoords(float ua, float ub, float va, float vb, uint32_t k) {
  DX_V::PCT* v = lockedVertices;
  if (!v) return;
  v[4 * k + 0].u = ua, v[4 * k + 0].v = vb;
  v[4 * k + 1].u = ua, v[4 * k + 1].v = va;
  v[4 * k + 2].u = ub, v[4 * k + 2].v = vb;
  v[4 * k + 3].u = ub, v[4 * k + 3].v = va;
}

void DS_SpriteArrayObj::Render(DS_ABRender& host) {
  // Without a texture for the frame the fixed pipeline would draw bare vertex colours:
  // an image that did not load draws nothing instead.
  IDirect3DTexture9* texture = CurrentTexture();
  if (!texture || !vertexBuffer || !indexBuffer) return;
  host.DrawSpriteArray(*this, texture, overlay_.Get(), uint32_t(emitter_->blendMode.Value()));
}

void DS_SpriteArrayObj::DrawFrame(DS_ABRender& host) {
  DS_SimpleMesh<DX_V::PC> quad;
  CreateQuadPC(quad);
  FillQuadPC(quad, 0x88000000, emitter_->GetScreenQuad());
  host.DrawObjectFrame(quad, ownBounds, false);
}
