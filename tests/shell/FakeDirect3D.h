#pragma once
// A stand-in for IDirect3D9 that reports adapters, modes and device types the platform
// cannot produce here (hundreds of modes, tiny modes, no software device, a CreateDevice
// that fails for large modes). Devices it "creates" are real windowed devices on a hidden
// window, so the shell can hold and release them as usual.
#include <windows.h>
#include <d3d9.h>

#include <functional>
#include <vector>

#include "device/ComRef.h"

struct FakeAdapter {
  D3DDISPLAYMODE desktop{1024, 768, 60, D3DFMT_X8R8G8B8};
  std::vector<D3DDISPLAYMODE> modes;  // what EnumAdapterModes reports, in this order
  HMONITOR monitor = nullptr;
  GUID deviceId{0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 8}};
  bool hal = true;       // CheckDeviceType succeeds for the HAL type
  bool software = true;  // ... and for the software type
  bool bumpMapping = true;
  bool v8u8 = true;
  std::vector<D3DFORMAT> depthFormats{D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8};
};

struct CreateDeviceCall {
  UINT adapter;
  D3DDEVTYPE type;
  DWORD behaviour;
  D3DPRESENT_PARAMETERS params;
};

class FakeDirect3D : public IDirect3D9 {
 public:
  FakeDirect3D();
  ~FakeDirect3D();

  std::vector<FakeAdapter> adapters;
  // Decides whether CreateDevice succeeds; by default it always does.
  std::function<bool(const CreateDeviceCall&)> createSucceeds;
  std::vector<CreateDeviceCall> createCalls;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDirect3D9
  HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void*) override;
  UINT STDMETHODCALLTYPE GetAdapterCount() override;
  HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* id) override;
  UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
  HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* out) override;
  HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
  HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT display, D3DFORMAT back,
                                            BOOL windowed) override;
  HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                              D3DRESOURCETYPE rtype, D3DFORMAT check) override;
  HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE,
                                                       DWORD*) override;
  HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                                   D3DFORMAT renderTarget, D3DFORMAT depth) override;
  HRESULT STDMETHODCALLTYPE CheckDeviceFormatConversion(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) override;
  HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
  HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) override;
  HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behaviour,
                                         D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) override;

 private:
  bool TypeOk(UINT adapter, D3DDEVTYPE type) const;
  ULONG refs_ = 1;
  ComRef<IDirect3D9> real_;
  HWND window_ = nullptr;
};

// Display modes for tables of cases.
inline D3DDISPLAYMODE Mode(UINT w, UINT h, D3DFORMAT f = D3DFMT_X8R8G8B8, UINT refresh = 60) {
  return D3DDISPLAYMODE{w, h, refresh, f};
}
