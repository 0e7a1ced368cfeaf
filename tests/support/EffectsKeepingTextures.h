#pragma once
// Wine's effects let go of their textures when they are told the device is lost, which hides
// an effect-held capture target from the checks of a reset. While one of these lives, the
// given effects do nothing on OnLostDevice and keep every texture, as an effect may elsewhere;
// the release step then has to take the textures back itself. The effects' tables are swapped
// for copies, as the frame-step tests do with a device's.
#include <d3dx9.h>

#include <memory>
#include <vector>

class EffectsKeepingTextures {
 public:
  explicit EffectsKeepingTextures(const std::vector<ID3DXEffect*>& effects);
  ~EffectsKeepingTextures();
  EffectsKeepingTextures(const EffectsKeepingTextures&) = delete;
  EffectsKeepingTextures& operator=(const EffectsKeepingTextures&) = delete;

  // How often a kept effect was told the device was lost.
  int LostCalls() const;

 private:
  struct Patched;
  std::vector<std::unique_ptr<Patched>> patched_;
};
