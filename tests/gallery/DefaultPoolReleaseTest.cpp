// Nothing but the program's own references may hold a default-pool resource when a device is
// reset: Windows refuses the Reset otherwise, Wine does not. Every slide of the gallery (the
// program's scene here; one per light, with its brushes and objects) is drawn for a few
// frames, then the release step runs, and every default-pool resource made since the document
// loaded must be gone, and the device must hold nothing bound. Once more for the plain light's
// slide with its brushes sampling the scene.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "brushes/DS_FX_Constructor.h"
#include "device/DefaultPool.h"
#include "document/DS_DocResManager.h"
#include "runtime/DS_SlideShow_Light.h"
#include "runtime/LoadDocument.h"
#include "runtime/ScreenSelection.h"
#include "scene/DocumentReaders.h"
#include "tests/support/DeviceBindings.h"
#include "tests/support/EffectsKeepingTextures.h"
#include "tests/support/TestDevice.h"

namespace {

std::string Joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

struct SlideCase {
  const char* name;
  size_t slide;              // its place in the gallery
  bool brushesSampleScene;  // every brush of the slide with its scene-effect flag set
};

void PrintTo(const SlideCase& c, std::ostream* out) { *out << c.name; }

class GalleryRelease : public ::testing::TestWithParam<SlideCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Ok());
    RegisterDocumentReaders();
  }
  TestDevice device{320, 200};
};

// Advances the show to the start of its next slide.
float PastCurrentSlide(DS_SlideShow_Light& show, float t) {
  const DS_SlideContainer* slide = show.Current();
  return t + float(slide->fadeIn.Value() + slide->showTime.Value() + slide->fadeOut.Value()) + 0.5f;
}

void DrawFrame(DS_SlideShow_Light& show, IDirect3DDevice9* d, float t) {
  show.Update(t);
  if (SUCCEEDED(d->BeginScene())) {
    show.Render();
    d->EndScene();
  }
  d->Present(nullptr, nullptr, nullptr, nullptr);
}

TEST_P(GalleryRelease, NothingOutlivesTheReleaseStep) {
  const SlideCase c = GetParam();
  IDirect3DDevice9* d = device.Device();
  srand(1);
  DefaultPoolWatch watch;
  ScopedScreen restore(ScreenSelection::Current());
  std::unique_ptr<DS_SlideShow_Light> show(LoadDocument());
  std::unique_ptr<DS_DocResManager> manager(g_docResManager);
  ASSERT_GT(show->slides.size(), c.slide);
  if (c.brushesSampleScene) {
    for (auto& item : show->slides[c.slide]->pendingItems)
      if (auto* brush = dynamic_cast<DS_FX_Constructor*>(item.get())) brush->sceneEffect.Assign(1);
  }
  for (auto& slide : show->slides) slide->CreateObjects();
  show->SetPicturePosition(1);

  float t = 0.0f;
  show->Update(t);
  for (size_t i = 0; i < c.slide; ++i) {
    t = PastCurrentSlide(*show, t);
    show->Update(t);
  }
  ASSERT_EQ(show->Current(), show->slides[c.slide].Get());
  const float shown = t + float(show->Current()->fadeIn.Value()) + 0.5f;
  for (float dt : {0.0f, 0.4f, 0.8f}) DrawFrame(*show, d, shown + dt);
  if (c.brushesSampleScene) {
    EXPECT_GT(show->Current()->CaptureCount(), 0) << "the slide captures the scene";
  }
  EXPECT_GT(watch.MadeCount(), 0u);

  // The shell's release step, then what it does before Reset, with effects that keep their
  // textures through OnLostDevice (Wine's let go of them there).
  std::vector<ID3DXEffect*> effects;
  for (auto& [key, effect] : manager->Tables().effects) effects.push_back(effect.Get());
  {
    EffectsKeepingTextures keeping(effects);
    show->ReleaseDeviceResources();
    ReleaseDeviceBindings(d);
    EXPECT_GT(keeping.LostCalls(), 0);
    EXPECT_EQ(Joined(watch.Survivors()), "") << "still held after the release on the slide " << c.name;
    EXPECT_EQ(Joined(DeviceBindings(d)), "") << "still bound after the release on the slide " << c.name;
  }

  ASSERT_EQ(d->Reset(&device.Params()), D3D_OK);
  show->AcquireDeviceResources();
  DrawFrame(*show, d, shown + 1.2f);
  EXPECT_EQ(d->TestCooperativeLevel(), D3D_OK);
  show.reset();  // the slides' textures before the manager's tables
}

INSTANTIATE_TEST_SUITE_P(EverySlide, GalleryRelease,
                         ::testing::Values(SlideCase{"plain", 0, false}, SlideCase{"flame", 1, false},
                                           SlideCase{"glass_ball", 2, false}, SlideCase{"matrix_code", 3, false},
                                           SlideCase{"underwater", 4, false}, SlideCase{"lake", 5, false},
                                           SlideCase{"water_rings", 6, false},
                                           SlideCase{"plain_with_scene_effect_brushes", 0, true}),
                         [](const ::testing::TestParamInfo<SlideCase>& info) { return std::string(info.param.name); });

}  // namespace
