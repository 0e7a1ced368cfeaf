#include "tests/support/EffectsKeepingTextures.h"

#include <cstring>

namespace {
// ID3DXEffect's table: 3 slots of IUnknown, 54 of ID3DXBaseEffect, then GetPool to GetDevice
// (12), OnLostDevice, and 9 more.
constexpr int kSlotOnLostDevice = 69;
constexpr int kEffectSlots = 79;

int g_lostCalls = 0;

HRESULT STDMETHODCALLTYPE KeepEverything(ID3DXEffect*) {
  ++g_lostCalls;
  return D3D_OK;
}
}  // namespace

struct EffectsKeepingTextures::Patched {
  ID3DXEffect* effect = nullptr;
  void** original = nullptr;
  void* table[kEffectSlots];
};

EffectsKeepingTextures::EffectsKeepingTextures(const std::vector<ID3DXEffect*>& effects) {
  g_lostCalls = 0;
  for (ID3DXEffect* effect : effects) {
    if (!effect) continue;
    auto p = std::make_unique<Patched>();
    p->effect = effect;
    p->original = *reinterpret_cast<void***>(effect);
    std::memcpy(p->table, p->original, sizeof(p->table));
    p->table[kSlotOnLostDevice] = reinterpret_cast<void*>(&KeepEverything);
    *reinterpret_cast<void***>(effect) = p->table;
    patched_.push_back(std::move(p));
  }
}

EffectsKeepingTextures::~EffectsKeepingTextures() {
  for (auto& p : patched_) *reinterpret_cast<void***>(p->effect) = p->original;
}

int EffectsKeepingTextures::LostCalls() const { return g_lostCalls; }
