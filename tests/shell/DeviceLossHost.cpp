// A full-screen run of the shell on the real device that lives through the loss of the
// foreground, for the device-loss end-to-end script. Under Wine only a full-screen device
// goes lost (when another program takes the foreground), and a real full-screen run ends on
// that deactivation; this host ignores input and deactivation and keeps stepping frames.
//
//   device_loss_host /s
//
// Start-up, the device choice and the idle loop are the shell's own. Its resources are one
// render target in the default pool, so a reset succeeds only after they were released.
// Every frame clears to a colour of its own and reads a pixel back. It prints "drawing"
// once frames are drawn and, at the end, one line:
//   summary lost_steps=N releases=N acquires=N draws_after_reset=N pixels_ok=0|1 error=0|1
// and exits 0 when a lost device was reset, its resources released and acquired again, and
// drawing went on; it gives up after 60 seconds.
#include <cstdio>

#include "tests/shell/IgnoredInput.h"
#include "tests/shell/RenderTargetPixel.h"
#include "tests/shell/TestSaver.h"

namespace {
constexpr DWORD kGiveUpMs = 60000;
constexpr int kDrawsAfterReset = 20;

class LossHost : public TestSaver {
 public:
  LossHost() {
    onAcquire = [this] {
      return currentDevice->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                          target.Put(), nullptr);
    };
    onRelease = [this] { target.Reset(); };
    onDraw = [this] { Draw(); };
  }

  LRESULT HandleWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override {
    if (IsEndingInput(message)) return DefWindowProcW(window, message, wparam, lparam);
    return TestSaver::HandleWindowMessage(window, message, wparam, lparam);
  }

  // The start of every frame step: a step that drew nothing on an open device was lost.
  HRESULT AdvanceFrame() override {
    if (steps++ > 0 && screenDeviceCount > 0 && draws == drawsBefore) ++lostSteps;
    drawsBefore = draws;
    if (drawsAfterReset >= kDrawsAfterReset || GetTickCount() - started > kGiveUpMs) PostQuitMessage(0);
    return S_OK;
  }

  int Report() {
    const bool ok = lostSteps > 0 && releases >= 1 && acquires >= 2 && drawsAfterReset >= kDrawsAfterReset &&
                    pixelsOk && !errorFlag;
    std::printf("summary lost_steps=%d releases=%d acquires=%d draws_after_reset=%d pixels_ok=%d error=%d\n",
                lostSteps, releases, acquires, drawsAfterReset, pixelsOk ? 1 : 0, errorFlag ? 1 : 0);
    return ok ? 0 : 1;
  }

 private:
  void Draw() {
    if (!target) Fault("draw %d without its resources\n", draws, 0);
    const D3DCOLOR colour = D3DCOLOR_XRGB(draws & 0xFF, 0x40, 0x80);
    currentDevice->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0);
    const uint32_t pixel = RenderTargetPixel(currentDevice, 5, 5);
    if (pixel != (colour & 0xFFFFFF)) Fault("draw %d: pixel %06x\n", draws, pixel);
    if (draws == 1) std::printf("drawing\n");
    if (acquires >= 2) ++drawsAfterReset;
  }

  // Notes a wrong frame; the first few are told.
  void Fault(const char* format, int draw, uint32_t value) {
    pixelsOk = false;
    if (faults++ < 3) std::printf(format, draw, unsigned(value));
  }

  ComRef<IDirect3DTexture9> target;
  const DWORD started = GetTickCount();
  int steps = 0, drawsBefore = 0, lostSteps = 0, drawsAfterReset = 0;
  bool pixelsOk = true;
  int faults = 0;
};
}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  LossHost host;
  host.StartUp(GetModuleHandleW(nullptr));
  if (host.launchMode != LaunchMode::FullScreen || host.errorFlag) {
    std::printf("start-up failed: mode %d error %08lx\n", int(host.launchMode), static_cast<unsigned long>(host.errorCode));
    return 2;
  }
  host.RunIdleLoop();
  const int rc = host.Report();
  host.CloseScreenDevices();
  return rc;
}
