#include "tests/support/TestDevice.h"

#include <d3dx9.h>
#include <cstdlib>

#include "device/StrictCalls.h"


namespace {
LRESULT CALLBACK TestWndProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

const wchar_t* RegisterTestClass() {
  static const wchar_t* name = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = TestWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TevranaTestDevice";
    RegisterClassW(&wc);
    return L"TevranaTestDevice";
  }();
  return name;
}
}  // namespace

TestDevice::TestDevice(int width, int height) : width_(width), height_(height) {
  hwnd_ = CreateWindowExW(0, RegisterTestClass(), L"test", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                          nullptr, GetModuleHandleW(nullptr), nullptr);
  d3d_ = ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
  if (!hwnd_ || !d3d_) return;
  params_.Windowed = TRUE;
  params_.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params_.BackBufferWidth = width;
  params_.BackBufferHeight = height;
  params_.BackBufferFormat = D3DFMT_X8R8G8B8;
  params_.BackBufferCount = 1;
  params_.EnableAutoDepthStencil = TRUE;
  params_.AutoDepthStencilFormat = D3DFMT_D16;
  params_.hDeviceWindow = hwnd_;
  params_.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  if (FAILED(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, hwnd_, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                &params_, device_.Put())))
    device_.Reset();
  selected_.emplace(ScreenSelection::Current().WithDevice(device_.Get()));
}

TestDevice::~TestDevice() {
  selected_.reset();
  device_.Reset();
  d3d_.Reset();
  if (hwnd_) DestroyWindow(hwnd_);
}

void TestDevice::Clear(D3DCOLOR colour) { device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colour, 1.0f, 0); }

std::vector<uint32_t> TestDevice::ReadBack() {
  std::vector<uint32_t> out;
  ComRef<IDirect3DSurface9> back, sys;
  if (FAILED(device_->GetRenderTarget(0, back.Put()))) return out;
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  if (FAILED(device_->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, sys.Put(),
                                                  nullptr)))
    return out;
  if (FAILED(CopyRenderTargetData(device_.Get(), back.Get(), sys.Get()))) return out;
  D3DLOCKED_RECT lr;
  if (FAILED(sys->LockRect(&lr, nullptr, D3DLOCK_READONLY))) return out;
  out.resize(size_t(desc.Width) * desc.Height);
  for (UINT y = 0; y < desc.Height; ++y) {
    auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(lr.pBits) + size_t(y) * lr.Pitch);
    for (UINT x = 0; x < desc.Width; ++x) out[size_t(y) * desc.Width + x] = row[x];
  }
  sys->UnlockRect();
  return out;
}

Rgba TestDevice::At(const std::vector<uint32_t>& pixels, int width, int x, int y) {
  uint32_t v = pixels.at(size_t(y) * width + x);
  return Rgba{int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF), int(v >> 24)};
}

Rgba TestDevice::Pixel(int x, int y) { return At(ReadBack(), width_, x, y); }

void TestDevice::SavePng(const wchar_t* path) {
  ComRef<IDirect3DSurface9> back;
  if (SUCCEEDED(device_->GetRenderTarget(0, back.Put())))
    D3DXSaveSurfaceToFileW(path, D3DXIFF_PNG, back.Get(), nullptr, nullptr);
}

bool Near(const Rgba& a, const Rgba& b, int tol) {
  return std::abs(a.r - b.r) <= tol && std::abs(a.g - b.g) <= tol && std::abs(a.b - b.b) <= tol;
}
