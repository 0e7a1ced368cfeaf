// A frame draws nothing a person cannot see: the slide show's fader, fully transparent for
// the whole show time, is not drawn then, and the frames stay exactly the same. Two runs of
// the same show on fresh devices, one as the player draws it and one with the transparent
// fader drawn anyway, compared frame by frame.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "document/DS_DocResManager.h"
#include "runtime/DS_SlideShow_Light.h"
#include "runtime/Random.h"
#include "runtime/ScreenSelection.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/PixelCounter.h"
#include "tests/support/TestDevice.h"

namespace {

constexpr int kWidth = 160, kHeight = 120;

struct Frame {
  float fade;
  std::vector<uint32_t> pixels;
  int64_t drawn;  // pixels the frame's draws wrote
  DWORD alphaBlend;  // the state the next frame starts from
};

// Two slides (fade-in 1, show 10, fade-out 1) of a wide gradient picture fitted with bars,
// through the plain light, drawn at the given times.
std::vector<Frame> RunShow(const std::vector<float>& times, bool drawTransparentFader) {
  TestDevice device(kWidth, kHeight);
  EXPECT_TRUE(device.Ok());
  DS_DocResManager manager;
  ScopedScreen selected(ScreenSelection::Current().WithResources(&manager).WithView(nullptr, nullptr));
  srand(1);  // the same camera drift in both runs
  std::unique_ptr<DS_ImageFileLink> link = manager.CreateImageLinkFromRecord(RecordWithBytes(
      MakeBmp(200, 100, [](int x, int y) { return uint32_t(x) << 16 | uint32_t(2 * y) << 8 | 0x40; }), L"wide.bmp"));
  DS_SlideShow_Light show;
  for (int i = 0; i < 2; ++i) {
    auto* slide = new DS_SlideContainer;
    slide->light = DS_SharedPtr<DS_2D_Light>(new DS_2D_Light);
    slide->light->PictureLink().SetKey(link->Key());
    show.slides.emplace_back(slide);
    slide->CreateObjects();
  }
  show.SetPicturePosition(kPictureFit);
  IDirect3DDevice9* d = device.Device();
  PixelCounter counter(d);
  EXPECT_TRUE(counter.Ok());
  std::vector<Frame> frames;
  for (float t : times) {
    show.Update(t);
    if (drawTransparentFader) show.SetFaderVisible(true);
    d->BeginScene();
    counter.Begin();
    show.Render();
    const int64_t drawn = counter.End();
    d->EndScene();
    DWORD blend = 0;
    d->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    frames.push_back(Frame{show.Fade(), device.ReadBack(), drawn, blend});
  }
  return frames;
}

TEST(FrameDraw, TransparentFaderIsNotDrawnAndChangesNoPixel) {
  // Shown, shown, fading out, black at the switch, fading in, shown again.
  const std::vector<float> times = {100.0f, 100.5f, 105.0f, 110.5f, 111.2f, 111.6f, 112.5f, 113.0f};
  const std::vector<Frame> skipped = RunShow(times, false);
  const std::vector<Frame> drawn = RunShow(times, true);
  ASSERT_EQ(skipped.size(), times.size());
  ASSERT_EQ(drawn.size(), times.size());
  const int64_t screen = int64_t(kWidth) * kHeight;
  int transparentFrames = 0, fadingFrames = 0;
  for (size_t i = 0; i < times.size(); ++i) {
    SCOPED_TRACE(times[i]);
    const Frame& a = skipped[i];
    const Frame& b = drawn[i];
    EXPECT_EQ(a.fade, b.fade);
    EXPECT_TRUE(a.pixels == b.pixels) << "the frames differ";
    EXPECT_EQ(a.alphaBlend, b.alphaBlend);
    ASSERT_GE(a.drawn, 0) << "no occlusion count";
    if (AlphaByte(a.fade) == 0) {
      ++transparentFrames;
      // The fader covers the screen once; the frame without it about one screen (the
      // picture and its two bars, which overlap it by a row).
      EXPECT_NEAR(double(b.drawn - a.drawn), double(screen), double(kWidth + kHeight));
      EXPECT_LT(a.drawn, screen + 4 * kWidth);
    } else {
      ++fadingFrames;
      EXPECT_EQ(a.drawn, b.drawn);
    }
  }
  EXPECT_GE(transparentFrames, 4);
  EXPECT_GE(fadingFrames, 3);
}

}  // namespace
