#include "tests/support/DeviceBindings.h"

#include "device/ComRef.h"
#include "device/DefaultPool.h"

std::vector<std::string> DeviceBindings(IDirect3DDevice9* device) {
  std::vector<std::string> bound;
  D3DCAPS9 caps{};
  if (!device || FAILED(device->GetDeviceCaps(&caps))) return {"no device"};
  for (DWORD s : TextureSamplers(caps)) {
    ComRef<IDirect3DBaseTexture9> texture;
    if (SUCCEEDED(device->GetTexture(s, texture.Put())) && texture)
      bound.push_back("texture on sampler " + std::to_string(s));
  }
  for (DWORD s = 0; s < caps.MaxStreams; ++s) {
    ComRef<IDirect3DVertexBuffer9> buffer;
    UINT offset = 0, stride = 0;
    if (SUCCEEDED(device->GetStreamSource(s, buffer.Put(), &offset, &stride)) && buffer)
      bound.push_back("vertex buffer on stream " + std::to_string(s));
  }
  ComRef<IDirect3DIndexBuffer9> indices;
  if (SUCCEEDED(device->GetIndices(indices.Put())) && indices) bound.push_back("indices");
  ComRef<IDirect3DSurface9> backBuffer, target;
  device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Put());
  if (FAILED(device->GetRenderTarget(0, target.Put())) || target.Get() != backBuffer.Get())
    bound.push_back("render target 0 is not the back buffer");
  for (DWORD i = 1; i < caps.NumSimultaneousRTs; ++i) {
    ComRef<IDirect3DSurface9> other;
    if (SUCCEEDED(device->GetRenderTarget(i, other.Put())) && other)
      bound.push_back("render target " + std::to_string(i));
  }
  return bound;
}
