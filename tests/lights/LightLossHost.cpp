// The program, full screen, through the loss of its device during each light's slide: the
// application's own start-up, idle loop, scene, release, reset and acquisition, with a
// clock of its own so that frames can be compared. Its document holds one slide for each
// picture light, in the order of the class table.
//
//   light_loss_host /s      (environment: LOSS_PROBE = the Windows path of saver_probe.exe;
//                            LOSS_SHOTS = a Windows folder for the kept frames, optional)
//
// The first round of slides is drawn undisturbed: each slide, held still shortly before its
// show time ends, gives a reference frame. In the second round each slide in turn, held
// still at that time, loses the device: the probe takes the foreground, the frame step resets
// the device, and the slide is drawn again at the same time. The slide after it is then held
// as in the first round (its frame before its own loss; after the last loss, the plain
// light's slide of a third round). One start-up and one first round serve all seven lights.
// A frame is reduced to the mean colours of 16 x 12 blocks; a frame is right when it is much
// nearer its reference than the reference is to black or to the plain light's frame. Each
// loss's acquisition must have restored the resource manager's effects: an effect that
// counts the calls stands among them.
//
// Prints a line for each light and "summary ...", and exits 0 when everything held; gives
// up after 240 seconds.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <d3dx9.h>

#include "device/ComRef.h"
#include "device/StrictCalls.h"
#include "document/DS_DocResManager.h"
#include "runtime/DS_SlideShow_Light.h"
#include "runtime/DS_View2D.h"
#include "shell/CMoireScreensaver.h"
#include "tests/lights/CountingEffect.h"
#include "tests/shell/IgnoredInput.h"

namespace {
constexpr int kLights = 7;
constexpr float kStep = 0.5f;      // seconds of the host's clock per frame while moving on
constexpr float kHoldBeforeEnd = 0.5f;  // held this long before a slide's show time ends
constexpr int kHeldDraws = 4;      // frames drawn at the held time before one is kept
constexpr DWORD kGiveUpMs = 240000;
constexpr int kCols = 16, kRows = 12;

using Blocks = std::vector<double>;  // mean red, green, blue of each block

// What one light's loss left: the frames held on its slide before and after the reset and
// on the slide after it, and what the loss went through.
struct Loss {
  Blocks before, after, next;
  bool stolen = false, effectsRestored = false;
  int lostSteps = 0, releases = 0;
};

double Distance(const Blocks& a, const Blocks& b) {
  if (a.size() != b.size() || a.empty()) return 1e9;
  double sum = 0.0;
  for (size_t i = 0; i < a.size(); ++i) sum += std::fabs(a[i] - b[i]);
  return sum / double(a.size());
}

// The current render target's block means; empty when it cannot be read.
Blocks ReadBlocks(IDirect3DDevice9* device) {
  ComRef<IDirect3DSurface9> target, copy;
  if (FAILED(device->GetRenderTarget(0, target.Put()))) return {};
  D3DSURFACE_DESC desc;
  target->GetDesc(&desc);
  if (FAILED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, copy.Put(),
                                                 nullptr)) ||
      FAILED(CopyRenderTargetData(device, target.Get(), copy.Get())))
    return {};
  D3DLOCKED_RECT lr;
  if (FAILED(copy->LockRect(&lr, nullptr, D3DLOCK_READONLY))) return {};
  Blocks blocks(kCols * kRows * 3, 0.0);
  std::vector<int> counts(kCols * kRows, 0);
  for (UINT y = 0; y < desc.Height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(lr.pBits) + y * lr.Pitch);
    const UINT by = y * kRows / desc.Height;
    for (UINT x = 0; x < desc.Width; ++x) {
      const UINT b = by * kCols + x * kCols / desc.Width;
      blocks[3 * b] += (row[x] >> 16) & 0xFF;
      blocks[3 * b + 1] += (row[x] >> 8) & 0xFF;
      blocks[3 * b + 2] += row[x] & 0xFF;
      ++counts[b];
    }
  }
  copy->UnlockRect();
  for (size_t b = 0; b < counts.size(); ++b)
    for (int c = 0; c < 3; ++c) blocks[3 * b + c] /= counts[b] ? counts[b] : 1;
  return blocks;
}

class LossHost : public CMoireScreensaver {
 public:
  LRESULT HandleWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override {
    if (IsEndingInput(message)) return DefWindowProcW(window, message, wparam, lparam);
    return CMoireScreensaver::HandleWindowMessage(window, message, wparam, lparam);
  }

  HRESULT AcquireDeviceResources() override {
    const HRESULT hr = CMoireScreensaver::AcquireDeviceResources();
    ++acquires_;
    DS_DocResManager* manager = scenes[0].resourceManager.get();
    if (manager && !counting_) {
      counting_ = new CountingEffect;
      manager->Tables().effects[DS_LinkKey{L"counting.fxo", 1}] = ComRef<ID3DXEffect>::Adopt(counting_);
    }
    if (counting_ && losing_ >= 0 && losses_[losing_].releases > 0 && counting_->reset > resetsAtRelease_)
      losses_[losing_].effectsRestored = true;
    if (counting_)
      std::printf("acquired: effects lost %d times, restored %d times\n", counting_->lost, counting_->reset);
    return hr;
  }

  HRESULT ReleaseDeviceResources() override {
    if (losing_ >= 0) ++losses_[losing_].releases;
    if (counting_) resetsAtRelease_ = counting_->reset;
    return CMoireScreensaver::ReleaseDeviceResources();
  }

  // The host's clock: on by a step a frame, held where a frame is to be kept.
  HRESULT AdvanceFrame() override {
    if (steps_++ > 0 && screenDeviceCount > 0 && draws_ == drawsBefore_ && losing_ >= 0) ++losses_[losing_].lostSteps;
    drawsBefore_ = draws_;
    if (!holding_) clock_ += kStep;
    appTime = clock_;
    if (done_ || GetTickCount() - started_ > kGiveUpMs) PostQuitMessage(0);
    return S_OK;
  }

  HRESULT DrawFrame() override {
    const HRESULT hr = CMoireScreensaver::DrawFrame();
    ++draws_;
    DS_SlideShow_Light* root = scenes[0].root.get();
    if (!root || !root->Current()) return hr;
    if (root->Current() != shown_) {
      shown_ = root->Current();
      ++activation_;
      slideStart_ = root->slideStart;  // the first slide starts its fade-in before the clock
    }
    if (!holding_) {
      const float holdAt = float(shown_->fadeIn.Value() + shown_->showTime.Value()) - kHoldBeforeEnd;
      if (Wanted(activation_) && activation_ != keptActivation_ && clock_ - slideStart_ >= holdAt) {
        holding_ = true;
        keptActivation_ = activation_;
        heldDraws_ = 0;
      }
      return hr;
    }
    ++heldDraws_;
    if (heldDraws_ < kHeldDraws) return hr;
    if (activation_ < kLights) {
      references_[activation_] = Keep("reference-" + std::to_string(activation_));
      holding_ = false;
    } else if (activation_ < 2 * kLights) {
      OnLossSlide(activation_ - kLights);
    } else {
      losses_[kLights - 1].next = Keep("next");
      holding_ = false;
      done_ = true;
    }
    return hr;
  }

  int Report() const {
    for (int k = 0; k < kLights; ++k)
      std::printf("reference %d: to plain %.2f, to black %.2f\n", k, Distance(references_[k], references_[0]),
                  Distance(references_[k], Blocks(references_[k].size(), 0.0)));
    int lightsOk = 0;
    for (int slide = 0; slide < kLights; ++slide) {
      const Loss& loss = losses_[slide];
      const int nextSlide = (slide + 1) % kLights;
      const double beforeToAfter = Distance(loss.before, loss.after);
      const double nextToReference = Distance(loss.next, references_[nextSlide]);
      const double allowedSame = Allowed(slide);
      const double allowedNext = Allowed(nextSlide);
      const bool framesOk = beforeToAfter <= allowedSame && nextToReference <= allowedNext;
      const bool ok = loss.lostSteps > 0 && loss.releases >= 1 && loss.effectsRestored && framesOk;
      std::printf("slide %d: lost_steps=%d releases=%d effects_restored=%d before_after=%.2f (allowed %.2f) next=%d "
                  "next_reference=%.2f (allowed %.2f) %s\n",
                  slide, loss.lostSteps, loss.releases, loss.effectsRestored ? 1 : 0, beforeToAfter, allowedSame,
                  nextSlide, nextToReference, allowedNext, ok ? "held" : "FAILED");
      lightsOk += ok ? 1 : 0;
    }
    // One acquisition at the start, one after each loss.
    const bool ok = lightsOk == kLights && acquires_ >= 1 + kLights && !errorFlag && done_;
    std::printf("summary lights_held=%d of %d acquires=%d error=%d done=%d\n", lightsOk, kLights, acquires_,
                errorFlag ? 1 : 0, done_ ? 1 : 0);
    return ok ? 0 : 1;
  }

 private:
  // Reads the frame's blocks; with LOSS_SHOTS set, saves it there as <name>.png too.
  Blocks Keep(const std::string& name) const {
    Blocks blocks = ReadBlocks(currentDevice);
    double mean = 0.0;
    for (double v : blocks) mean += v;
    std::printf("kept %s: activation %d at %.1f s, mean %.1f, view mode %d\n", name.c_str(), activation_, double(clock_),
                blocks.empty() ? -1.0 : mean / double(blocks.size()), g_view2D ? int(g_view2D->mode) : -1);
    if (const char* dir = std::getenv("LOSS_SHOTS")) {
      ComRef<IDirect3DSurface9> target;
      if (SUCCEEDED(currentDevice->GetRenderTarget(0, target.Put())))
        D3DXSaveSurfaceToFileA((std::string(dir) + "\\" + name + ".png").c_str(), D3DXIFF_PNG, target.Get(), nullptr,
                               nullptr);
    }
    return blocks;
  }

  // The frames kept: every slide of the first and the second round, the plain light's of the third.
  static bool Wanted(int activation) { return activation <= 2 * kLights; }

  // Before the loss, the probe takes the foreground; after the reset, the same frame again.
  void OnLossSlide(int slide) {
    Loss& loss = losses_[slide];
    if (!loss.stolen) {
      loss.before = Keep("before-" + std::to_string(slide));
      if (slide > 0) losses_[slide - 1].next = loss.before;
      acquiresAtSteal_ = acquires_;
      losing_ = slide;
      loss.stolen = true;
      if (!Steal()) done_ = true;
      return;
    }
    if (acquires_ <= acquiresAtSteal_ || loss.lostSteps == 0) return;  // not yet reset
    if (++drawsAfterReset_ < kHeldDraws) return;
    loss.after = Keep("after-" + std::to_string(slide));
    drawsAfterReset_ = 0;
    losing_ = -1;
    holding_ = false;
  }

  static bool Steal() {
    const char* probe = std::getenv("LOSS_PROBE");
    if (!probe) return false;
    std::string command = std::string("\"") + probe + "\" steal 1000";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  }

  // How far a frame may be from its reference: half the way to black or to the plain
  // light's look, whichever is nearer, and a little for what moves between the two.
  double Allowed(int slide) const {
    const Blocks& reference = references_[slide];
    double away = Distance(reference, Blocks(reference.size(), 0.0));
    if (slide != 0) away = std::min(away, Distance(reference, references_[0]));
    return 0.5 * away + 3.0;
  }

  const DWORD started_ = GetTickCount();
  float clock_ = 0.0f;
  bool holding_ = false, done_ = false;
  int steps_ = 0, draws_ = 0, drawsBefore_ = 0, heldDraws_ = 0, drawsAfterReset_ = 0;
  int acquires_ = 0, acquiresAtSteal_ = 0, resetsAtRelease_ = 0, activation_ = -1, keptActivation_ = -1;
  int losing_ = -1;  // the slide whose loss is under way
  float slideStart_ = 0.0f;
  const DS_SlideContainer* shown_ = nullptr;
  CountingEffect* counting_ = nullptr;  // held by the manager's table
  Blocks references_[kLights];
  Loss losses_[kLights];
};
}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  g_hInstance = GetModuleHandleW(nullptr);
  int rc = 2;
  {
    LossHost host;
    host.StartUp(g_hInstance);
    if (host.launchMode != LaunchMode::FullScreen || host.errorFlag) {
      std::printf("start-up failed: mode %d error %08lx\n", int(host.launchMode),
                  static_cast<unsigned long>(host.errorCode));
    } else {
      host.RunIdleLoop();
      rc = host.Report();
    }
  }
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), UINT(rc));  // as the program ends (see WinMain)
  return rc;
}
