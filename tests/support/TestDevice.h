#pragma once
// A real windowed Direct3D 9 device for drawing tests. It also selects its device while it
// lives (g_currentDevice, since every scene class draws through that), and selects what was
// selected before when it goes.
#include <windows.h>
#include <d3d9.h>
#include <cstdint>
#include <optional>
#include <vector>

#include "device/ComRef.h"
#include "runtime/ScreenSelection.h"

struct Rgba {
  int r, g, b, a;
};

class TestDevice {
 public:
  TestDevice(int width = 256, int height = 256);
  ~TestDevice();
  TestDevice(const TestDevice&) = delete;
  TestDevice& operator=(const TestDevice&) = delete;

  bool Ok() const { return bool(device_); }
  IDirect3DDevice9* Device() const { return device_.Get(); }
  IDirect3D9* D3D() const { return d3d_.Get(); }
  HWND Window() const { return hwnd_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  D3DPRESENT_PARAMETERS& Params() { return params_; }

  // Clears the back buffer to one colour (A8R8G8B8 as 0xAARRGGBB).
  void Clear(D3DCOLOR colour);
  // Copies the current back buffer into memory: one 0xAARRGGBB value per pixel.
  std::vector<uint32_t> ReadBack();
  static Rgba At(const std::vector<uint32_t>& pixels, int width, int x, int y);
  Rgba Pixel(int x, int y);  // reads back and picks one pixel
  // Saves the back buffer as PNG (for looking at a failing case).
  void SavePng(const wchar_t* path);

 private:
  int width_, height_;
  HWND hwnd_ = nullptr;
  ComRef<IDirect3D9> d3d_;
  ComRef<IDirect3DDevice9> device_;
  D3DPRESENT_PARAMETERS params_{};
  std::optional<ScopedScreen> selected_;
};

// True when two colours differ by at most tol in every channel but alpha.
bool Near(const Rgba& a, const Rgba& b, int tol);
