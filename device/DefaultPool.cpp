#include "device/DefaultPool.h"

#include <iterator>
#include <utility>

#include "device/CurrentDevice.h"

namespace {
DefaultPoolWatch* g_watch = nullptr;

template <class T>
HRESULT Recorded(HRESULT hr, const char* name, ComRef<T>& out) {
  if (FAILED(hr)) {
    out.Reset();
    return hr;
  }
  DefaultPoolWatch::Watch(out.Get(), name);
  return hr;
}

bool IsTexture(D3DXPARAMETER_TYPE type) {
  return type == D3DXPT_TEXTURE || type == D3DXPT_TEXTURE1D || type == D3DXPT_TEXTURE2D ||
         type == D3DXPT_TEXTURE3D || type == D3DXPT_TEXTURECUBE;
}

// Pixel samplers of shader model 2 and 3, and the vertex samplers of model 3.
constexpr DWORD kPixelSamplers = 16;
constexpr DWORD kVertexSamplers[] = {D3DVERTEXTEXTURESAMPLER0, D3DVERTEXTEXTURESAMPLER1, D3DVERTEXTEXTURESAMPLER2,
                                     D3DVERTEXTEXTURESAMPLER3};
}  // namespace

HRESULT CreateRenderTargetTexture(UINT width, UINT height, D3DFORMAT format, const char* name,
                                  ComRef<IDirect3DTexture9>& out) {
  if (!g_currentDevice) {
    out.Reset();
    return E_FAIL;
  }
  return Recorded(g_currentDevice->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT,
                                                out.Put(), nullptr),
                 name, out);
}

HRESULT CreateDefaultPoolIndexBuffer(UINT bytes, DWORD usage, const char* name, ComRef<IDirect3DIndexBuffer9>& out) {
  if (!g_currentDevice) {
    out.Reset();
    return E_FAIL;
  }
  return Recorded(g_currentDevice->CreateIndexBuffer(bytes, usage, D3DFMT_INDEX16, D3DPOOL_DEFAULT, out.Put(), nullptr),
                 name, out);
}

HRESULT CreateDefaultPoolVertexBuffer(UINT bytes, DWORD usage, DWORD fvf, const char* name,
                                      ComRef<IDirect3DVertexBuffer9>& out) {
  if (!g_currentDevice) {
    out.Reset();
    return E_FAIL;
  }
  return Recorded(g_currentDevice->CreateVertexBuffer(bytes, usage, fvf, D3DPOOL_DEFAULT, out.Put(), nullptr), name,
                 out);
}

void ClearEffectTextures(ID3DXEffect* effect) {
  D3DXEFFECT_DESC desc{};
  if (!effect || FAILED(effect->GetDesc(&desc))) return;
  for (UINT i = 0; i < desc.Parameters; ++i) {
    D3DXHANDLE parameter = effect->GetParameter(nullptr, i);
    D3DXPARAMETER_DESC about{};
    if (!parameter || FAILED(effect->GetParameterDesc(parameter, &about)) || !IsTexture(about.Type)) continue;
    if (about.Elements == 0) {
      effect->SetTexture(parameter, nullptr);
      continue;
    }
    for (UINT e = 0; e < about.Elements; ++e)
      if (D3DXHANDLE element = effect->GetParameterElement(parameter, e)) effect->SetTexture(element, nullptr);
  }
}

std::vector<DWORD> TextureSamplers(const D3DCAPS9& caps) {
  std::vector<DWORD> samplers;
  for (DWORD sampler = 0; sampler < kPixelSamplers; ++sampler) samplers.push_back(sampler);
  if (caps.VertexShaderVersion >= D3DVS_VERSION(3, 0))
    samplers.insert(samplers.end(), std::begin(kVertexSamplers), std::end(kVertexSamplers));
  return samplers;
}

void ReleaseDeviceBindings(IDirect3DDevice9* device) {
  if (!device) return;
  D3DCAPS9 caps{};
  if (FAILED(device->GetDeviceCaps(&caps))) return;
  for (DWORD sampler : TextureSamplers(caps)) device->SetTexture(sampler, nullptr);
  for (DWORD stream = 0; stream < caps.MaxStreams; ++stream) device->SetStreamSource(stream, nullptr, 0, 0);
  device->SetIndices(nullptr);
  ComRef<IDirect3DSurface9> backBuffer;
  if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Put())))
    device->SetRenderTarget(0, backBuffer.Get());
  for (DWORD target = 1; target < caps.NumSimultaneousRTs; ++target) device->SetRenderTarget(target, nullptr);
}

DefaultPoolWatch::DefaultPoolWatch() { g_watch = this; }

DefaultPoolWatch::~DefaultPoolWatch() {
  if (g_watch == this) g_watch = nullptr;
}

void DefaultPoolWatch::Watch(IUnknown* resource, const char* name) {
  if (!g_watch || !resource) return;
  g_watch->watched_.push_back(Watched{ComRef<IUnknown>::Share(resource), name ? name : ""});
  ++g_watch->made_;
}

std::vector<std::string> DefaultPoolWatch::Survivors() {
  std::vector<std::string> names;
  std::vector<Watched> kept;
  for (Watched& w : watched_) {
    if (w.resource.RefCount() > 1) {
      names.push_back(w.name);
      kept.push_back(std::move(w));
    }
  }
  watched_ = std::move(kept);
  return names;
}
