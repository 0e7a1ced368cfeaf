#include "tests/support/EffectsKeepingTextures.h"

#include "tests/support/PatchedTable.h"

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

struct EffectsKeepingTextures::Patched : PatchedTable<kEffectSlots> {
  using PatchedTable::PatchedTable;
};

EffectsKeepingTextures::EffectsKeepingTextures(const std::vector<ID3DXEffect*>& effects) {
  g_lostCalls = 0;
  for (ID3DXEffect* effect : effects) {
    if (!effect) continue;
    patched_.push_back(
        std::make_unique<Patched>(effect, std::initializer_list<Patched::Hook>{
                                              {kSlotOnLostDevice, reinterpret_cast<void*>(&KeepEverything)}}));
  }
}

EffectsKeepingTextures::~EffectsKeepingTextures() = default;

int EffectsKeepingTextures::LostCalls() const { return g_lostCalls; }
