#include "tests/support/DeviceRules.h"

#include <cstdlib>
#include <vector>

#include "device/ComRef.h"
#include "device/StrictCalls.h"
#include "tests/support/DeviceBindings.h"

namespace {
std::vector<DeviceRules*> g_watched;

DeviceRules& RulesOf(IDirect3DDevice9* device) {
  for (DeviceRules* rules : g_watched)
    if (rules->device == device) return *rules;
  std::abort();  // only patched devices reach the hooks
}

template <class Fn>
Fn Original(IDirect3DDevice9* device, DeviceSlot slot) {
  return RulesOf(device).patch.Original<Fn>(slot);
}

HRESULT STDMETHODCALLTYPE HookReset(IDirect3DDevice9* self, D3DPRESENT_PARAMETERS* params) {
  DeviceRules& rules = RulesOf(self);
  if (rules.inScene) rules.Break("Reset inside a scene");
  // A binding keeps what it binds alive, and a default-pool resource alive fails the reset.
  for (const std::string& binding : DeviceBindings(self)) rules.Break("Reset with " + binding);
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, D3DPRESENT_PARAMETERS*);
  return Original<Fn>(self, kDeviceReset)(self, params);
}

HRESULT STDMETHODCALLTYPE HookPresent(IDirect3DDevice9* self, const RECT* a, const RECT* b, HWND w, const RGNDATA* r) {
  DeviceRules& rules = RulesOf(self);
  if (rules.inScene) rules.Break("Present inside a scene");
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, const RECT*, const RECT*, HWND, const RGNDATA*);
  return Original<Fn>(self, kDevicePresent)(self, a, b, w, r);
}

HRESULT STDMETHODCALLTYPE HookGetRenderTargetData(IDirect3DDevice9* self, IDirect3DSurface9* target,
                                                  IDirect3DSurface9* copy) {
  D3DSURFACE_DESC from{}, to{};
  if (!target || !copy || FAILED(target->GetDesc(&from)) || FAILED(copy->GetDesc(&to)) ||
      FAILED(CheckRenderTargetCopy(from, to)))
    RulesOf(self).Break("GetRenderTargetData not from a render target into a system-memory surface of its size "
                        "and format");
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, IDirect3DSurface9*, IDirect3DSurface9*);
  return Original<Fn>(self, kDeviceGetRenderTargetData)(self, target, copy);
}

HRESULT STDMETHODCALLTYPE HookStretchRect(IDirect3DDevice9* self, IDirect3DSurface9* from, const RECT* a,
                                          IDirect3DSurface9* to, const RECT* b, D3DTEXTUREFILTERTYPE filter) {
  D3DSURFACE_DESC f{}, t{};
  if (!from || !to || FAILED(from->GetDesc(&f)) || FAILED(to->GetDesc(&t)) || f.Pool != D3DPOOL_DEFAULT ||
      t.Pool != D3DPOOL_DEFAULT)
    RulesOf(self).Break("StretchRect outside the default pool");
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, IDirect3DSurface9*, const RECT*, IDirect3DSurface9*,
                                         const RECT*, D3DTEXTUREFILTERTYPE);
  return Original<Fn>(self, kDeviceStretchRect)(self, from, a, to, b, filter);
}

HRESULT STDMETHODCALLTYPE HookSetRenderTarget(IDirect3DDevice9* self, DWORD index, IDirect3DSurface9* surface) {
  if (index == 0 && !surface) RulesOf(self).Break("SetRenderTarget(0, null)");
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, DWORD, IDirect3DSurface9*);
  return Original<Fn>(self, kDeviceSetRenderTarget)(self, index, surface);
}

HRESULT STDMETHODCALLTYPE HookBeginScene(IDirect3DDevice9* self) {
  DeviceRules& rules = RulesOf(self);
  if (rules.inScene) rules.Break("BeginScene inside a scene");
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*);
  const HRESULT hr = Original<Fn>(self, kDeviceBeginScene)(self);
  if (SUCCEEDED(hr)) rules.inScene = true;
  return hr;
}

HRESULT STDMETHODCALLTYPE HookEndScene(IDirect3DDevice9* self) {
  DeviceRules& rules = RulesOf(self);
  if (!rules.inScene) rules.Break("EndScene without a BeginScene");
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*);
  const HRESULT hr = Original<Fn>(self, kDeviceEndScene)(self);
  if (SUCCEEDED(hr)) rules.inScene = false;
  return hr;
}

HRESULT STDMETHODCALLTYPE HookClear(IDirect3DDevice9* self, DWORD count, const D3DRECT* rects, DWORD flags,
                                    D3DCOLOR colour, float z, DWORD stencil) {
  DeviceRules& rules = RulesOf(self);
  const DWORD allowed = ClearableFlags(self, flags);
  if ((flags & D3DCLEAR_ZBUFFER) && !(allowed & D3DCLEAR_ZBUFFER)) rules.Break("Clear of depth without a depth surface");
  if ((flags & D3DCLEAR_STENCIL) && !(allowed & D3DCLEAR_STENCIL)) rules.Break("Clear of stencil without a stencil");
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD);
  return Original<Fn>(self, kDeviceClear)(self, count, rects, flags, colour, z, stencil);
}

HRESULT STDMETHODCALLTYPE HookSetTexture(IDirect3DDevice9* self, DWORD stage, IDirect3DBaseTexture9* texture) {
  if (texture) {
    ComRef<IDirect3DDevice9> owner;
    if (FAILED(texture->GetDevice(owner.Put())) || owner.Get() != self)
      RulesOf(self).Break("SetTexture with a texture of another device");
  }
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, DWORD, IDirect3DBaseTexture9*);
  return Original<Fn>(self, kDeviceSetTexture)(self, stage, texture);
}

HRESULT STDMETHODCALLTYPE HookDrawPrimitive(IDirect3DDevice9* self, D3DPRIMITIVETYPE type, UINT start, UINT count) {
  RulesOf(self).CheckDraw("DrawPrimitive", count, false);
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, D3DPRIMITIVETYPE, UINT, UINT);
  return Original<Fn>(self, kDeviceDrawPrimitive)(self, type, start, count);
}

HRESULT STDMETHODCALLTYPE HookDrawIndexedPrimitive(IDirect3DDevice9* self, D3DPRIMITIVETYPE type, INT base,
                                                   UINT minIndex, UINT vertices, UINT start, UINT count) {
  RulesOf(self).CheckDraw("DrawIndexedPrimitive", count, true);
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, D3DPRIMITIVETYPE, INT, UINT, UINT, UINT, UINT);
  return Original<Fn>(self, kDeviceDrawIndexedPrimitive)(self, type, base, minIndex, vertices, start, count);
}

HRESULT STDMETHODCALLTYPE HookDrawPrimitiveUP(IDirect3DDevice9* self, D3DPRIMITIVETYPE type, UINT count,
                                              const void* data, UINT stride) {
  RulesOf(self).CheckSceneDraw("DrawPrimitiveUP", count);
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, D3DPRIMITIVETYPE, UINT, const void*, UINT);
  return Original<Fn>(self, kDeviceDrawPrimitiveUP)(self, type, count, data, stride);
}

HRESULT STDMETHODCALLTYPE HookDrawIndexedPrimitiveUP(IDirect3DDevice9* self, D3DPRIMITIVETYPE type, UINT minIndex,
                                                     UINT vertices, UINT count, const void* indices,
                                                     D3DFORMAT format, const void* data, UINT stride) {
  RulesOf(self).CheckSceneDraw("DrawIndexedPrimitiveUP", count);
  using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice9*, D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*,
                                         D3DFORMAT, const void*, UINT);
  return Original<Fn>(self, kDeviceDrawIndexedPrimitiveUP)(self, type, minIndex, vertices, count, indices, format,
                                                            data, stride);
}
}  // namespace

DeviceRules::DeviceRules(IDirect3DDevice9* d)
    : device(d),
      patch(d, {
                {kDeviceReset, reinterpret_cast<void*>(&HookReset)},
                {kDevicePresent, reinterpret_cast<void*>(&HookPresent)},
                {kDeviceGetRenderTargetData, reinterpret_cast<void*>(&HookGetRenderTargetData)},
                {kDeviceStretchRect, reinterpret_cast<void*>(&HookStretchRect)},
                {kDeviceSetRenderTarget, reinterpret_cast<void*>(&HookSetRenderTarget)},
                {kDeviceBeginScene, reinterpret_cast<void*>(&HookBeginScene)},
                {kDeviceEndScene, reinterpret_cast<void*>(&HookEndScene)},
                {kDeviceClear, reinterpret_cast<void*>(&HookClear)},
                {kDeviceSetTexture, reinterpret_cast<void*>(&HookSetTexture)},
                {kDeviceDrawPrimitive, reinterpret_cast<void*>(&HookDrawPrimitive)},
                {kDeviceDrawIndexedPrimitive, reinterpret_cast<void*>(&HookDrawIndexedPrimitive)},
                {kDeviceDrawPrimitiveUP, reinterpret_cast<void*>(&HookDrawPrimitiveUP)},
                {kDeviceDrawIndexedPrimitiveUP, reinterpret_cast<void*>(&HookDrawIndexedPrimitiveUP)},
            }) {
  g_watched.push_back(this);
}

DeviceRules::~DeviceRules() { std::erase(g_watched, this); }

std::string DeviceRules::Report() const {
  std::string out;
  for (const auto& [rule, count] : breaks_) out += rule + " (" + std::to_string(count) + " times)\n";
  return out;
}

void DeviceRules::CheckSceneDraw(const std::string& name, UINT primitives) {
  if (!inScene) Break(name + " outside a scene");
  if (primitives == 0) Break(name + " of no primitives");
}

void DeviceRules::CheckDraw(const char* call, UINT primitives, bool indexed) {
  ++draws_;
  const std::string name = call;
  CheckSceneDraw(name, primitives);
  ComRef<IDirect3DVertexBuffer9> stream;
  UINT offset = 0, stride = 0;
  if (FAILED(device->GetStreamSource(0, stream.Put(), &offset, &stride)) || !stream)
    Break(name + " without a vertex buffer on stream 0");
  if (indexed) {
    ComRef<IDirect3DIndexBuffer9> indices;
    if (FAILED(device->GetIndices(indices.Put())) || !indices) Break(name + " without indices");
  }
  // The depth surface must be at least as large as render target 0.
  ComRef<IDirect3DSurface9> target, depth;
  D3DSURFACE_DESC t{}, z{};
  if (SUCCEEDED(device->GetRenderTarget(0, target.Put())) && target && SUCCEEDED(target->GetDesc(&t)) &&
      SUCCEEDED(device->GetDepthStencilSurface(depth.Put())) && depth && SUCCEEDED(depth->GetDesc(&z)) &&
      (z.Width < t.Width || z.Height < t.Height))
    Break(name + " with a depth surface smaller than the render target");
  // Fixed-function stages, up to the first whose colour operation is off: "alpha operations
  // cannot be disabled when color operations are enabled".
  ComRef<IDirect3DPixelShader9> shader;
  if (SUCCEEDED(device->GetPixelShader(shader.Put())) && shader) return;
  for (DWORD stage = 0; stage < 8; ++stage) {
    DWORD colour = D3DTOP_DISABLE, alpha = D3DTOP_DISABLE;
    device->GetTextureStageState(stage, D3DTSS_COLOROP, &colour);
    if (colour == D3DTOP_DISABLE) break;
    device->GetTextureStageState(stage, D3DTSS_ALPHAOP, &alpha);
    if (alpha == D3DTOP_DISABLE)
      Break(name + " with stage " + std::to_string(stage) + "'s alpha operation off while its colour operation is on");
    // A texture read while it is drawn into gives what the hardware likes.
    ComRef<IDirect3DBaseTexture9> bound;
    ComRef<IDirect3DSurface9> level;
    if (target && SUCCEEDED(device->GetTexture(stage, bound.Put())) && bound &&
        bound->GetType() == D3DRTYPE_TEXTURE &&
        SUCCEEDED(static_cast<IDirect3DTexture9*>(bound.Get())->GetSurfaceLevel(0, level.Put())) &&
        level.Get() == target.Get())
      Break(name + " with stage " + std::to_string(stage) + "'s texture as the render target");
  }
}
