#pragma once
// A COM object's table of operations swapped for a copy in which some operations are the
// test's own: the only way to see every call made in the process, also those D3DX makes.
// The copy lives here, so this must outlive the patch; it puts the original back when it
// goes, unless the object is gone by then.
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <utility>

template <size_t kSlots>
class PatchedTable {
 public:
  using Hook = std::pair<size_t, void*>;  // a place in the table and the operation put there

  PatchedTable(void* object, std::initializer_list<Hook> hooks)
      : object_(object), original_(*static_cast<void***>(object)) {
    std::memcpy(table_, original_, sizeof(table_));
    for (const auto& [slot, hook] : hooks) table_[slot] = hook;
    *static_cast<void***>(object_) = table_;
  }
  ~PatchedTable() {
    if (object_) *static_cast<void***>(object_) = original_;
  }
  PatchedTable(const PatchedTable&) = delete;
  PatchedTable& operator=(const PatchedTable&) = delete;

  // The object's own operation at a place, as the hooks call it.
  template <class Fn>
  Fn Original(size_t slot) const {
    return reinterpret_cast<Fn>(original_[slot]);
  }
  // The object is gone: nothing may be written into it any more.
  void Forget() { object_ = nullptr; }

 private:
  void* object_;
  void** original_;
  void* table_[kSlots];
};

// Places in IDirect3DDevice9's table (the order of its declaration in d3d9.h).
enum DeviceSlot : size_t {
  kDeviceRelease = 2,
  kDeviceCreateAdditionalSwapChain = 13,
  kDeviceGetSwapChain = 14,
  kDeviceReset = 16,
  kDevicePresent = 17,
  kDeviceGetBackBuffer = 18,
  kDeviceCreateTexture = 23,
  kDeviceCreateVolumeTexture = 24,
  kDeviceCreateCubeTexture = 25,
  kDeviceCreateVertexBuffer = 26,
  kDeviceCreateIndexBuffer = 27,
  kDeviceCreateRenderTarget = 28,
  kDeviceCreateDepthStencilSurface = 29,
  kDeviceGetRenderTargetData = 32,
  kDeviceStretchRect = 34,
  kDeviceCreateOffscreenPlainSurface = 36,
  kDeviceSetRenderTarget = 37,
  kDeviceGetRenderTarget = 38,
  kDeviceGetDepthStencilSurface = 40,
  kDeviceBeginScene = 41,
  kDeviceEndScene = 42,
  kDeviceClear = 43,
  kDeviceCreateStateBlock = 59,
  kDeviceEndStateBlock = 61,
  kDeviceSetTexture = 65,
  kDeviceDrawPrimitive = 81,
  kDeviceDrawIndexedPrimitive = 82,
  kDeviceDrawPrimitiveUP = 83,
  kDeviceDrawIndexedPrimitiveUP = 84,
  kDeviceCreateVertexDeclaration = 86,
  kDeviceCreateVertexShader = 91,
  kDeviceCreatePixelShader = 106,
  kDeviceCreateQuery = 118,
};
constexpr size_t kDeviceSlots = 119;
using PatchedDeviceTable = PatchedTable<kDeviceSlots>;
