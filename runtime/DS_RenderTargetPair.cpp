#include "runtime/DS_RenderTargetPair.h"

#include <d3dx9.h>

#include "device/CurrentDevice.h"
#include "device/DefaultPool.h"

void DS_RenderTargetPair::ReleaseTargets() {
  current.Reset();
  targets[0].Reset();
  targets[1].Reset();
}

void DS_RenderTargetPair::Create(uint32_t w, uint32_t h) {
  width = w;
  height = h;
  ReleaseTargets();
  if (!g_currentDevice) return;
  for (auto& target : targets)
    CreateRenderTargetTexture(w, h, D3DFMT_A8R8G8B8, "scene capture target", target);
  if (!Ready()) {
    ReleaseTargets();
    return;
  }
  // The index survives, so a pair made again after a reset resumes on the same target.
  current = targets[index];
}

void DS_RenderTargetPair::CreateFromTexture(IDirect3DTexture9* source, uint32_t w, uint32_t h) {
  Create(w, h);
  if (!source || !current) return;
  ComRef<IDirect3DSurface9> from, to;
  if (SUCCEEDED(source->GetSurfaceLevel(0, from.Put())) && SUCCEEDED(current->GetSurfaceLevel(0, to.Put())))
    D3DXLoadSurfaceFromSurface(to.Get(), nullptr, nullptr, from.Get(), nullptr, nullptr, D3DX_FILTER_TRIANGLE, 0);
}

void DS_RenderTargetPair::Begin(IDirect3DTexture9* texture) {
  if (!g_currentDevice || !Ready() || !texture || capturing_) return;
  ComRef<IDirect3DSurface9> surface;
  if (FAILED(texture->GetSurfaceLevel(0, surface.Put()))) return;
  if (FAILED(g_currentDevice->GetRenderTarget(0, savedRenderTarget.Put()))) return;
  // No depth surface is a valid state to restore.
  if (FAILED(g_currentDevice->GetDepthStencilSurface(savedDepthSurface.Put()))) savedDepthSurface.Reset();
  g_currentDevice->SetRenderTarget(0, surface.Get());
  g_currentDevice->SetDepthStencilSurface(nullptr);
  capturing_ = true;
}

IDirect3DTexture9* DS_RenderTargetPair::Swap() {
  if (!g_currentDevice || !Ready() || !capturing_) return nullptr;
  index = (index + 1) % 2;
  current = targets[index];
  ComRef<IDirect3DSurface9> surface;
  if (SUCCEEDED(current->GetSurfaceLevel(0, surface.Put()))) {
    g_currentDevice->SetRenderTarget(0, surface.Get());
    g_currentDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  }
  return targets[1 - index].Get();
}

void DS_RenderTargetPair::End() {
  if (!capturing_) return;
  capturing_ = false;
  if (g_currentDevice) {
    g_currentDevice->SetRenderTarget(0, savedRenderTarget.Get());
    g_currentDevice->SetDepthStencilSurface(savedDepthSurface.Get());
  }
  savedRenderTarget.Reset();
  savedDepthSurface.Reset();
}
