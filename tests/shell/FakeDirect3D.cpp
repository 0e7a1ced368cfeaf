#include "tests/shell/FakeDirect3D.h"

#include <algorithm>

namespace {
LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }
}  // namespace

FakeDirect3D::FakeDirect3D() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"FakeDirect3DWindow";
  RegisterClassW(&wc);
  window_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, wc.hInstance, nullptr);
  real_ = ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
}

FakeDirect3D::~FakeDirect3D() {
  real_.Reset();
  if (window_) DestroyWindow(window_);
}

HRESULT FakeDirect3D::QueryInterface(REFIID riid, void** out) {
  if (riid == IID_IUnknown || riid == IID_IDirect3D9) {
    *out = this;
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}
ULONG FakeDirect3D::AddRef() { return ++refs_; }
// The test owns the object; the shell's last release does not free it.
ULONG FakeDirect3D::Release() { return refs_ > 0 ? --refs_ : 0; }

HRESULT FakeDirect3D::RegisterSoftwareDevice(void*) { return S_OK; }
UINT FakeDirect3D::GetAdapterCount() { return UINT(adapters.size()); }

HRESULT FakeDirect3D::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* id) {
  if (adapter >= adapters.size()) return D3DERR_INVALIDCALL;
  *id = D3DADAPTER_IDENTIFIER9{};
  strcpy(id->Description, "Fake adapter");
  id->DeviceIdentifier = adapters[adapter].deviceId;
  return S_OK;
}

UINT FakeDirect3D::GetAdapterModeCount(UINT adapter, D3DFORMAT) {
  return adapter < adapters.size() ? UINT(adapters[adapter].modes.size()) : 0;
}

HRESULT FakeDirect3D::EnumAdapterModes(UINT adapter, D3DFORMAT, UINT mode, D3DDISPLAYMODE* out) {
  if (adapter >= adapters.size() || mode >= adapters[adapter].modes.size()) return D3DERR_INVALIDCALL;
  *out = adapters[adapter].modes[mode];
  return S_OK;
}

HRESULT FakeDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
  if (adapter >= adapters.size()) return D3DERR_INVALIDCALL;
  *mode = adapters[adapter].desktop;
  return S_OK;
}

bool FakeDirect3D::TypeOk(UINT adapter, D3DDEVTYPE type) const {
  if (adapter >= adapters.size()) return false;
  return type == D3DDEVTYPE_HAL ? adapters[adapter].hal : type == D3DDEVTYPE_SW ? adapters[adapter].software : false;
}

HRESULT FakeDirect3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT display, D3DFORMAT, BOOL) {
  if (!TypeOk(adapter, type) || display == D3DFMT_UNKNOWN) return D3DERR_NOTAVAILABLE;
  return S_OK;
}

HRESULT FakeDirect3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT, DWORD usage, D3DRESOURCETYPE,
                                        D3DFORMAT check) {
  if (!TypeOk(adapter, type)) return D3DERR_NOTAVAILABLE;
  const FakeAdapter& a = adapters[adapter];
  if (usage & D3DUSAGE_DEPTHSTENCIL)
    return std::count(a.depthFormats.begin(), a.depthFormats.end(), check) ? S_OK : D3DERR_NOTAVAILABLE;
  if (check == D3DFMT_V8U8) return a.v8u8 ? S_OK : D3DERR_NOTAVAILABLE;
  return S_OK;
}

HRESULT FakeDirect3D::CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE, DWORD*) {
  return D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT, D3DFORMAT) {
  return TypeOk(adapter, type) ? S_OK : D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3D::CheckDeviceFormatConversion(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) { return S_OK; }

HRESULT FakeDirect3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
  *caps = D3DCAPS9{};
  if (adapter >= adapters.size()) return D3DERR_INVALIDCALL;
  caps->AdapterOrdinal = adapter;
  caps->DeviceType = type;
  caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
  if (adapters[adapter].bumpMapping) caps->TextureOpCaps = D3DTEXOPCAPS_BUMPENVMAP;
  return S_OK;
}

HMONITOR FakeDirect3D::GetAdapterMonitor(UINT adapter) {
  return adapter < adapters.size() ? adapters[adapter].monitor : nullptr;
}

HRESULT FakeDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND, DWORD behaviour,
                                   D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) {
  *device = nullptr;
  CreateDeviceCall call{adapter, type, behaviour, *params};
  createCalls.push_back(call);
  if (createSucceeds && !createSucceeds(call)) return D3DERR_NOTAVAILABLE;
  if (!real_) return D3DERR_NOTAVAILABLE;
  D3DPRESENT_PARAMETERS pp{};
  pp.Windowed = TRUE;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.BackBufferWidth = 64;
  pp.BackBufferHeight = 64;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.hDeviceWindow = window_;
  return real_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                             device);
}
