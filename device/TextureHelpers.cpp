#include "device/TextureHelpers.h"

#include <cstring>
#include <vector>

#include "device/BumpMaps.h"
#include "device/CurrentDevice.h"
#include "device/DdsWriter.h"
#include "device/ModuleResource.h"

void MakeTextureInfo(uint32_t width, uint32_t height, DS_TextureInfo& info, IDirect3DTexture9* texture) {
  if (info.texture.Get() != texture) info.texture = ComRef<IDirect3DTexture9>::Share(texture);
  info.width = width;
  info.height = height;
  // A picture has a size; the guard keeps a zero width from making the aspect infinite.
  info.aspect = width ? float(height) / float(width) : 1.0f;
}

void FillTextureSetFromInfo(const DS_TextureInfo& info, DS_TextureSet& set) {
  set.textures.clear();
  set.textures.push_back(info.texture);
  set.aspect = info.aspect;
  set.height = info.height;
  set.width = info.width;
}

void GetTextureInfoFromSet(const DS_TextureSet& set, DS_TextureInfo& info) {
  info.texture.Reset();
  info.width = 0;
  info.height = 0;
  info.aspect = 1.0f;
  if (set.textures.empty()) return;
  info.texture = set.textures.front();
  info.height = set.height;
  info.width = set.width;
  info.aspect = set.aspect;
}

void GetBackBufferDesc(D3DSURFACE_DESC& desc) {
  desc = D3DSURFACE_DESC{};
  if (!g_currentDevice) return;
  ComRef<IDirect3DSurface9> back;
  if (SUCCEEDED(g_currentDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.Put())) && back)
    back->GetDesc(&desc);
}

bool SupportsTextureFormat(IDirect3DDevice9* device, D3DFORMAT format) {
  if (!device) return false;
  ComRef<IDirect3D9> d3d;
  D3DDEVICE_CREATION_PARAMETERS created{};
  D3DDISPLAYMODE mode{};
  if (FAILED(device->GetDirect3D(d3d.Put())) || FAILED(device->GetCreationParameters(&created)) ||
      FAILED(device->GetDisplayMode(0, &mode)))
    return false;
  return SUCCEEDED(
      d3d->CheckDeviceFormat(created.AdapterOrdinal, created.DeviceType, mode.Format, 0, D3DRTYPE_TEXTURE, format));
}

void WriteGridIndices(uint16_t* out) {
  for (uint16_t r = 0; r < 8; ++r)
    for (uint16_t c = 0; c < 8; ++c) {
      uint16_t a = uint16_t(9 * r + c), b = uint16_t(9 * (r + 1) + c);
      *out++ = a;
      *out++ = uint16_t(a + 1);
      *out++ = b;
      *out++ = b;
      *out++ = uint16_t(a + 1);
      *out++ = uint16_t(b + 1);
    }
}

void CreateGridIndexBuffer(DS_GridIndexBuffer& grid) {
  grid.indexBuffer.Reset();
  grid.lockedIndices = nullptr;
  grid.triangleCount = 128;
  if (!g_currentDevice) return;
  // Room for 1024 indices; the grid uses the first 384.
  if (FAILED(g_currentDevice->CreateIndexBuffer(2048, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                                grid.indexBuffer.Put(), nullptr)))
    return;
  void* p = nullptr;
  if (FAILED(grid.indexBuffer->Lock(0, 0, &p, 0)) || !p) return;
  grid.lockedIndices = static_cast<uint16_t*>(p);
  WriteGridIndices(grid.lockedIndices);
  grid.indexBuffer->Unlock();
  grid.lockedIndices = nullptr;
}

void ResampleTexture(IDirect3DTexture9* source, UINT width, UINT height, D3DFORMAT format,
                     ComRef<IDirect3DTexture9>& out) {
  out.Reset();
  if (!source || !g_currentDevice) return;
  if (FAILED(D3DXCreateTexture(g_currentDevice, width, height, 0, 0, format, D3DPOOL_MANAGED, out.Put()))) {
    out.Reset();
    return;
  }
  ComRef<IDirect3DSurface9> from, to;
  if (SUCCEEDED(source->GetSurfaceLevel(0, from.Put())) && SUCCEEDED(out->GetSurfaceLevel(0, to.Put())))
    D3DXLoadSurfaceFromSurface(to.Get(), nullptr, nullptr, from.Get(), nullptr, nullptr, D3DX_FILTER_TRIANGLE, 0);
}

HRESULT SaveTextureToDds(IDirect3DTexture9* texture, ComRef<ID3DXBuffer>& out) {
  out.Reset();
  if (!texture) return E_POINTER;
  // Our own writer for the plain formats (D3DX under Wine writes no DDS); D3DX for the rest.
  std::vector<uint8_t> bytes;
  HRESULT hr = WriteTextureAsDds(texture, bytes);
  if (hr == E_NOTIMPL) {
    hr = D3DXSaveTextureToFileInMemory(out.Put(), D3DXIFF_DDS, texture, nullptr);
  } else if (SUCCEEDED(hr)) {
    hr = D3DXCreateBuffer(DWORD(bytes.size()), out.Put());
    if (SUCCEEDED(hr)) std::memcpy(out->GetBufferPointer(), bytes.data(), bytes.size());
  }
  if (FAILED(hr)) out.Reset();
  return hr;
}

bool FindDdsResource(HMODULE module, WORD id, const void*& data, DWORD& size) {
  if (!LockModuleResourceBytes(module, id, L"DDS", data, size) || size == 0) {
    data = nullptr;
    size = 0;
    return false;
  }
  return true;
}

namespace {
// Picture bytes to texture; out changes only on success.
HRESULT CreateTextureFromBytes(const void* data, UINT size, UINT mipLevels, DWORD filter, DWORD mipFilter,
                               D3DXIMAGE_INFO* info, ComRef<IDirect3DTexture9>& out) {
  if (!g_currentDevice || !data || !size) return E_FAIL;
  // D3DX loads no V8U8 DDS under Wine: our own reader does, here and on Windows alike.
  if (IsV8U8Dds(data, size)) return LoadV8U8DdsTexture(data, size, info, out);
  ComRef<IDirect3DTexture9> made;
  HRESULT hr = D3DXCreateTextureFromFileInMemoryEx(g_currentDevice, data, size, D3DX_DEFAULT, D3DX_DEFAULT, mipLevels,
                                                   0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, filter, mipFilter, 0, info,
                                                   nullptr, made.Put());
  if (FAILED(hr)) return hr;
  if (!made) return E_FAIL;
  out = std::move(made);
  return S_OK;
}
}  // namespace

HRESULT LoadTextureFromResource(ComRef<IDirect3DTexture9>& out, WORD id, bool fullMipChain) {
  const void* data;
  DWORD size;
  if (!FindDdsResource(nullptr, id, data, size)) return E_FAIL;
  return CreateTextureFromBytes(data, size, fullMipChain ? D3DX_DEFAULT : 1, D3DX_FILTER_NONE,
                                fullMipChain ? D3DX_DEFAULT : D3DX_FILTER_NONE, nullptr, out);
}

HRESULT LoadTextureFromModule(HMODULE module, WORD id, ComRef<IDirect3DTexture9>& out, D3DXIMAGE_INFO* info) {
  const void* data;
  DWORD size;
  if (!FindDdsResource(module, id, data, size)) return E_FAIL;
  return CreateTextureFromBytes(data, size, 1, D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, info, out);
}

HRESULT LoadTextureFromMemory(const void* data, UINT size, D3DXIMAGE_INFO* info, ComRef<IDirect3DTexture9>& out) {
  return CreateTextureFromBytes(data, size, 1, D3DX_FILTER_TRIANGLE, D3DX_FILTER_NONE, info, out);
}
