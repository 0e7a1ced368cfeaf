#include "tests/support/DeviceHolders.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <type_traits>
#include <utility>

namespace {
std::vector<DeviceHolders*> g_watches;

// The newest watch of the device: a device made later at the address of one that is gone
// has a watch of its own.
DeviceHolders& HoldersOf(IDirect3DDevice9* device) {
  for (auto watch = g_watches.rbegin(); watch != g_watches.rend(); ++watch)
    if ((*watch)->Device() == device) return **watch;
  std::abort();  // only patched devices reach the hooks
}

std::string Printed(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printed(const char* format, ...) {
  char text[200];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

const char* PoolName(D3DPOOL pool) {
  switch (pool) {
    case D3DPOOL_DEFAULT: return "default pool";
    case D3DPOOL_MANAGED: return "managed";
    case D3DPOOL_SYSTEMMEM: return "system memory";
    case D3DPOOL_SCRATCH: return "scratch";
    default: return "pool ?";
  }
}

std::string Described(const D3DSURFACE_DESC& d) {
  return Printed("%u x %u, format %d, usage 0x%lx, %s", d.Width, d.Height, int(d.Format), d.Usage, PoolName(d.Pool));
}

std::string Describe(IDirect3DTexture9* texture) {
  D3DSURFACE_DESC d{};
  texture->GetLevelDesc(0, &d);
  return Described(d) + Printed(", %lu levels", texture->GetLevelCount());
}
std::string Describe(IDirect3DCubeTexture9* texture) {
  D3DSURFACE_DESC d{};
  texture->GetLevelDesc(0, &d);
  return Printed("%u per side, format %d, %s", d.Width, int(d.Format), PoolName(d.Pool));
}
std::string Describe(IDirect3DVolumeTexture9* texture) {
  D3DVOLUME_DESC d{};
  texture->GetLevelDesc(0, &d);
  return Printed("%u x %u x %u, format %d, %s", d.Width, d.Height, d.Depth, int(d.Format), PoolName(d.Pool));
}
std::string Describe(IDirect3DVertexBuffer9* buffer) {
  D3DVERTEXBUFFER_DESC d{};
  buffer->GetDesc(&d);
  return Printed("%u bytes, FVF 0x%lx, usage 0x%lx, %s", d.Size, d.FVF, d.Usage, PoolName(d.Pool));
}
std::string Describe(IDirect3DIndexBuffer9* buffer) {
  D3DINDEXBUFFER_DESC d{};
  buffer->GetDesc(&d);
  return Printed("%u bytes, usage 0x%lx, %s", d.Size, d.Usage, PoolName(d.Pool));
}
std::string Describe(IDirect3DSurface9* surface) {
  D3DSURFACE_DESC d{};
  surface->GetDesc(&d);
  return Described(d);
}
std::string Describe(IUnknown*) { return {}; }  // the operation says what it is

// What an argument of a hooked operation gives the watch: the object behind an out-parameter
// of a COM type; nothing for the other arguments (a shared-handle slot among them).
template <class T>
void KeepOut(DeviceHolders& watch, const char* operation, T argument) {
  if constexpr (std::is_pointer_v<T> && std::is_pointer_v<std::remove_pointer_t<T>>) {
    using Object = std::remove_pointer_t<std::remove_pointer_t<T>>;
    if constexpr (std::is_base_of_v<IUnknown, Object>) {
      if (argument && *argument) {
        const std::string about = Describe(*argument);
        watch.Keep(*argument, about.empty() ? operation : std::string(operation) + ": " + about);
      }
    }
  }
}

template <DeviceSlot slot, class Operation>
struct Hook;

// Makes the call, then keeps what it handed out.
template <DeviceSlot slot, class... Args>
struct Hook<slot, HRESULT (IDirect3DDevice9::*)(Args...)> {
  static inline const char* name;
  static HRESULT STDMETHODCALLTYPE Call(IDirect3DDevice9* self, Args... args) {
    DeviceHolders& watch = HoldersOf(self);
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, Args...);
    const HRESULT hr = watch.patch.Original<Fn>(slot)(self, args...);
    if (SUCCEEDED(hr)) (KeepOut(watch, name, args), ...);
    return hr;
  }
};

ULONG STDMETHODCALLTYPE HookRelease(IDirect3DDevice9* self) {
  DeviceHolders& watch = HoldersOf(self);
  using Fn = ULONG(STDMETHODCALLTYPE*)(IDirect3DDevice9*);
  const ULONG left = watch.patch.Original<Fn>(kDeviceRelease)(self);
  if (left == 0) watch.NoteGone();
  return left;
}

template <DeviceSlot slot, class Operation>
PatchedDeviceTable::Hook HookFor(Operation, const char* name) {
  Hook<slot, Operation>::name = name;
  return {slot, reinterpret_cast<void*>(&Hook<slot, Operation>::Call)};
}
#define TEVRANA_HOOK(operation) HookFor<kDevice##operation>(&IDirect3DDevice9::operation, #operation)
}  // namespace

DeviceHolders::DeviceHolders(IDirect3DDevice9* device)
    : patch(device, {
                        {kDeviceRelease, reinterpret_cast<void*>(&HookRelease)},
                        TEVRANA_HOOK(CreateAdditionalSwapChain),
                        TEVRANA_HOOK(GetSwapChain),
                        TEVRANA_HOOK(GetBackBuffer),
                        TEVRANA_HOOK(CreateTexture),
                        TEVRANA_HOOK(CreateVolumeTexture),
                        TEVRANA_HOOK(CreateCubeTexture),
                        TEVRANA_HOOK(CreateVertexBuffer),
                        TEVRANA_HOOK(CreateIndexBuffer),
                        TEVRANA_HOOK(CreateRenderTarget),
                        TEVRANA_HOOK(CreateDepthStencilSurface),
                        TEVRANA_HOOK(CreateOffscreenPlainSurface),
                        TEVRANA_HOOK(GetRenderTarget),
                        TEVRANA_HOOK(GetDepthStencilSurface),
                        TEVRANA_HOOK(CreateStateBlock),
                        TEVRANA_HOOK(EndStateBlock),
                        TEVRANA_HOOK(CreateVertexDeclaration),
                        TEVRANA_HOOK(CreateVertexShader),
                        TEVRANA_HOOK(CreatePixelShader),
                        TEVRANA_HOOK(CreateQuery),
                    }),
      device_(device) {
  g_watches.push_back(this);
}
#undef TEVRANA_HOOK

DeviceHolders::~DeviceHolders() {
  for (Kept& kept : kept_) kept.resource->Release();
  std::erase(g_watches, this);
}

void DeviceHolders::Keep(IUnknown* resource, std::string description) {
  for (const Kept& kept : kept_)
    if (kept.resource == resource) return;  // a surface handed out again
  resource->AddRef();
  kept_.push_back(Kept{resource, std::move(description)});
}

void DeviceHolders::NoteGone() {
  gone_ = true;
  patch.Forget();
}

std::vector<std::string> DeviceHolders::LetGo(ULONG ownerReferences) {
  std::map<std::string, int> held;
  ULONG resourcesHeld = 0;
  for (const Kept& kept : kept_) {
    kept.resource->AddRef();
    if (kept.resource->Release() > 1) {
      ++held[kept.description];
      ++resourcesHeld;  // each living resource holds the device once
    }
  }
  for (Kept& kept : kept_) kept.resource->Release();
  kept_.clear();
  std::vector<std::string> lines;
  for (const auto& [description, count] : held) lines.push_back(std::to_string(count) + " x " + description);
  if (gone_) return lines;
  device_->AddRef();
  const ULONG references = device_->Release();
  if (references > ownerReferences + resourcesHeld)
    lines.push_back(std::to_string(references - ownerReferences - resourcesHeld) +
                    " references on the device itself (no resource of it: a D3DX effect, mesh or font)");
  return lines;
}
