// Slide selection and the fade through black over simulated time, the slide's scene
// capture count and draw order, and the slide record.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/DS_DocResManager.h"
#include "lights/DS_GlassBallLight.h"
#include "runtime/DS_SlideShow_Light.h"
#include "runtime/ScreenSelection.h"
#include "scene/DocumentReaders.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/TestDevice.h"

namespace {

std::vector<std::string> g_log;

// A picture light that records what the slide asks of it instead of drawing.
class RecordingLight : public DS_2D_Light {
 public:
  explicit RecordingLight(std::string name, bool samples = false) : name_(std::move(name)), samples_(samples) {}
  void CreateDeviceResources() override { Log("create"); }
  void AcquireDeviceResources() override { Log("acquire"); }
  void ReleaseDeviceResources() override { Log("release"); }
  void RenderBackground() override { Log("background"); }
  void RenderOverlay() override { Log("overlay"); }
  void Resize(int32_t w, int32_t h) override { Log("resize " + std::to_string(w) + "x" + std::to_string(h)); }
  void SetPicturePosition(int32_t mode) override { Log("position " + std::to_string(mode)); }
  void DrawScreenQuad(DS_SimpleMesh<DX_V::SC>&) override { Log("fader"); }
  void BeginSceneCapture() override { Log("begin capture"); }
  DS_RenderTargetPair& EndSceneCapture(bool) override {
    Log("end capture");
    return CaptureTargets();
  }
  bool NeedsSceneCapture() override { return samples_; }

 private:
  void Log(const std::string& what) { g_log.push_back(name_ + " " + what); }
  std::string name_;
  bool samples_;
};

class RecordingObject : public DS_ABObj {
 public:
  RecordingObject(std::string name, bool sceneEffect) : name_(std::move(name)), sceneEffect_(sceneEffect) {}
  void Render(DS_ABRender&) override { g_log.push_back(name_ + " render"); }
  void DrawFrame(DS_ABRender&) override {}
  void Update(float) override { g_log.push_back(name_ + " update"); }
  void SyncParams() override {}
  bool IsSceneEffect() override { return sceneEffect_; }

 private:
  std::string name_;
  bool sceneEffect_;
};

// A scene item that makes a recording object (or none) and counts the items alive.
int g_itemsAlive = 0;
class RecordingItem : public DS_ABObj_Constructor {
 public:
  RecordingItem(std::string name, bool makesObject) : name_(std::move(name)), makesObject_(makesObject) { ++g_itemsAlive; }
  RecordingItem(const RecordingItem& other) : DS_ABObj_Constructor(other), name_(other.name_), makesObject_(other.makesObject_) {
    ++g_itemsAlive;
  }
  ~RecordingItem() override { --g_itemsAlive; }
  DS_ABObj* CreateObject() override {
    g_log.push_back(name_ + " create");
    if (!makesObject_) return nullptr;
    return new ItemObject(new RecordingItem(*this), name_);
  }

 private:
  class ItemObject : public RecordingObject {
   public:
    ItemObject(RecordingItem* clone, const std::string& name) : RecordingObject(name, false) { item_.reset(clone); }
  };
  std::string name_;
  bool makesObject_;
};

DS_SlideContainer* Slide(const std::string& name, unsigned fadeIn, unsigned show, unsigned fadeOut) {
  auto* slide = new DS_SlideContainer;
  slide->fadeIn.Assign(fadeIn);
  slide->showTime.Assign(show);
  slide->fadeOut.Assign(fadeOut);
  slide->light = DS_SharedPtr<DS_2D_Light>(new RecordingLight(name));
  return slide;
}

class SlideTiming : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device_.Ok());
    g_log.clear();
  }
  void Add(unsigned fadeIn, unsigned show, unsigned fadeOut) {
    show_.slides.emplace_back(Slide("slide" + std::to_string(show_.slides.size() + 1), fadeIn, show, fadeOut));
  }
  // The number (from 1) of the current slide after an update at t.
  int At(float t) {
    show_.Update(t);
    for (size_t i = 0; i < show_.slides.size(); ++i)
      if (show_.slides[i].Get() == show_.Current()) return int(i) + 1;
    return 0;
  }
  // The alpha byte of the fader's four corners (all equal).
  int FaderAlpha() {
    DS_SimpleMesh<DX_V::SC>* fader = show_.Fader();
    if (!fader) return -1;
    DX_V::SC* v = fader->Lock();
    if (!v) return -1;
    int alpha = int(v[0].color >> 24);
    for (int i = 1; i < 4; ++i)
      if (int(v[i].color >> 24) != alpha) alpha = -2;
    fader->Unlock();
    return alpha;
  }

  TestDevice device_{64, 48};
  DS_SlideShow_Light show_;
};

TEST_F(SlideTiming, TwoSlidesFadeOutSwitchAndFadeIn) {
  Add(1, 10, 1);
  Add(1, 10, 1);
  EXPECT_EQ(At(100.0f), 1);
  EXPECT_FLOAT_EQ(show_.Fade(), 0.0f);
  EXPECT_FLOAT_EQ(show_.slideStart, 99.0f);
  EXPECT_EQ(FaderAlpha(), 0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"slide1 resize 64x48", "slide1 acquire"}));

  EXPECT_EQ(At(105.0f), 1);
  EXPECT_FLOAT_EQ(show_.Fade(), 0.0f);
  EXPECT_EQ(At(110.5f), 1);
  EXPECT_FLOAT_EQ(show_.Fade(), 0.5f);
  EXPECT_EQ(FaderAlpha(), 127);
  EXPECT_EQ(At(111.0f), 1);  // not yet: the switch needs strictly more than 12 s
  EXPECT_FLOAT_EQ(show_.Fade(), 1.0f);

  g_log.clear();
  EXPECT_EQ(At(111.125f), 2);
  EXPECT_FLOAT_EQ(show_.Fade(), 1.0f);
  EXPECT_EQ(FaderAlpha(), 255);
  EXPECT_EQ(g_log, (std::vector<std::string>{"slide2 resize 64x48", "slide2 acquire"}));
  EXPECT_EQ(At(111.375f), 2);
  EXPECT_FLOAT_EQ(show_.Fade(), 0.75f);
  EXPECT_EQ(At(112.125f), 2);
  EXPECT_FLOAT_EQ(show_.Fade(), 0.0f);
  EXPECT_EQ(At(123.25f), 1);  // and back
}

// The fader's buffer is locked and written only when its alpha changes (each lock waits for
// the device): a mark left in it stays while the alpha does.
TEST_F(SlideTiming, TheFaderIsWrittenOnlyWhenItsAlphaChanges) {
  Add(1, 10, 1);
  Add(1, 10, 1);
  auto mark = [&] {
    DX_V::SC* v = show_.Fader()->Lock();
    for (int i = 0; i < 4; ++i) v[i].color = 0x33000000u;
    show_.Fader()->Unlock();
  };
  EXPECT_EQ(At(100.0f), 1);
  mark();
  At(105.0f);
  EXPECT_EQ(FaderAlpha(), 0x33) << "an unchanged alpha was written again";
  At(110.5f);
  EXPECT_EQ(FaderAlpha(), 127);
  mark();
  At(110.5f);
  EXPECT_EQ(FaderAlpha(), 0x33);
  At(111.125f);
  EXPECT_EQ(FaderAlpha(), 255);
}

TEST_F(SlideTiming, ThreeSlidesCycleInOrder) {
  Add(1, 2, 1);
  Add(1, 2, 1);
  Add(1, 2, 1);
  std::vector<int> seen{At(0.0f)};
  for (float t = 0.5f; t < 23.0f; t += 0.5f) {  // a turn of each takes 4.5 s
    int s = At(t);
    if (s != seen.back()) seen.push_back(s);
  }
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 1, 2, 3}));
}

TEST_F(SlideTiming, OneSlideNeverDarkensAndKeepsDrifting) {
  Add(1, 2, 1);
  EXPECT_EQ(At(5.0f), 1);
  auto* light = show_.slides[0]->light.Get();
  light->Camera().enabled.Assign(1);
  for (float t = 5.0f; t < 600.0f; t += 7.25f) {
    EXPECT_EQ(At(t), 1);
    EXPECT_EQ(FaderAlpha(), 0) << t;
  }
  EXPECT_EQ(light->Camera().motionType.Value(), 1);
  EXPECT_GT(light->Camera().driftEndTime, 0.0f);  // the drift went on
}

TEST_F(SlideTiming, ZeroFadesNeverDarken) {
  Add(0, 3, 0);
  Add(0, 3, 0);
  EXPECT_EQ(At(10.0f), 1);
  EXPECT_EQ(At(13.0f), 1);  // e = 3 is not more than the show time
  EXPECT_EQ(At(13.0625f), 2);
  for (float t = 13.0625f; t < 40.0f; t += 0.25f) {
    At(t);
    EXPECT_EQ(FaderAlpha(), 0) << t;
  }
}

TEST_F(SlideTiming, ZeroShowTimeSwitchesWheneverTimeAdvances) {
  Add(0, 0, 0);
  Add(0, 0, 0);
  Add(0, 0, 0);
  EXPECT_EQ(At(1.0f), 1);
  EXPECT_EQ(At(1.0f), 1);  // no time passed
  EXPECT_EQ(At(1.5f), 2);
  EXPECT_EQ(At(1.5f), 2);
  EXPECT_EQ(At(1.75f), 3);
  EXPECT_EQ(At(2.0f), 1);
  EXPECT_EQ(FaderAlpha(), 0);
}

// The show draws and keeps the resources of the current slide only, but gives up those of
// every slide and sets every slide's picture position.
TEST_F(SlideTiming, CurrentSlideDrawsEverySlideReleases) {
  Add(1, 2, 1);
  Add(1, 2, 1);
  At(0.0f);
  g_log.clear();
  EXPECT_EQ(show_.Render(), 0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"slide1 background", "slide1 overlay", "slide1 fader"}));
  g_log.clear();
  show_.ReleaseDeviceResources();
  show_.AcquireDeviceResources();
  show_.SetPicturePosition(1);
  EXPECT_EQ(g_log, (std::vector<std::string>{"slide1 release", "slide2 release", "slide1 acquire",
                                             "slide1 position 1", "slide2 position 1"}));
}

TEST_F(SlideTiming, EmptyShowDoesNothing) {
  EXPECT_EQ(At(3.0f), 0);
  EXPECT_EQ(show_.Render(), 0);
  show_.AcquireDeviceResources();
  EXPECT_TRUE(g_log.empty());
}

TEST(Slide, CaptureCountAndDrawOrder) {
  TestDevice device(64, 48);
  ASSERT_TRUE(device.Ok());
  g_log.clear();
  DS_SlideContainer slide;
  slide.light = DS_SharedPtr<DS_2D_Light>(new RecordingLight("light", true));
  slide.objects.emplace_back(new RecordingObject("a", true));
  slide.objects.emplace_back(new RecordingObject("b", false));
  slide.objects.emplace_back(new RecordingObject("c", true));
  EXPECT_EQ(slide.CaptureCount(), 3);
  slide.Update(1.0f);
  slide.RenderScene();
  EXPECT_EQ(g_log, (std::vector<std::string>{"a update", "b update", "c update", "light begin capture",
                                             "light background", "c render", "b render", "a render"}));
}

// The light's resources first, then one object per item in document order around a clone;
// the items themselves are gone afterwards, and an item that makes nothing leaves no holder.
TEST(Slide, CreateObjectsTurnsEveryPendingItemIntoAnObject) {
  TestDevice device(64, 48);
  g_log.clear();
  g_itemsAlive = 0;
  {
    DS_SlideContainer slide;
    slide.light = DS_SharedPtr<DS_2D_Light>(new RecordingLight("light"));
    slide.pendingItems.emplace_back(new RecordingItem("a", true));
    slide.pendingItems.emplace_back(new RecordingItem("none", false));
    slide.pendingItems.emplace_back(new RecordingItem("b", true));
    slide.CreateObjects();
    EXPECT_EQ(g_log, (std::vector<std::string>{"light create", "light resize 1x1", "a create", "none create", "b create"}));
    EXPECT_TRUE(slide.pendingItems.empty());
    ASSERT_EQ(slide.objects.size(), 2u);
    EXPECT_TRUE(slide.objects[0]->Item());
    EXPECT_EQ(g_itemsAlive, 2);  // the clones the objects own
    g_log.clear();
    slide.Update(1.0f);
    slide.RenderScene();
    EXPECT_EQ(g_log, (std::vector<std::string>{"a update", "b update", "light background",
                                               "b render", "a render"}));
  }
  EXPECT_EQ(g_itemsAlive, 0);
}

TEST(Slide, NoCaptureWithoutSamplers) {
  TestDevice device(64, 48);
  g_log.clear();
  DS_SlideContainer slide;
  slide.light = DS_SharedPtr<DS_2D_Light>(new RecordingLight("light"));
  slide.objects.emplace_back(new RecordingObject("a", false));
  EXPECT_EQ(slide.CaptureCount(), 0);
  slide.RenderScene();
  EXPECT_EQ(g_log, (std::vector<std::string>{"light background", "a render"}));
}

// The glass ball leaves the shared view in fit mode for its backdrop after every resize; the
// slides after it come up in the user's picture position all the same, stretch or fill.
TEST(SlideShow, SlidesAfterTheGlassBallKeepTheUsersPicturePosition) {
  TestDevice device(64, 48);
  ASSERT_TRUE(device.Ok());
  for (int32_t mode : {kPictureStretch, kPictureFill}) {
    SCOPED_TRACE(mode);
    DS_SlideShow_Light show;
    for (DS_2D_Light* light : {static_cast<DS_2D_Light*>(new DS_GlassBallLight), new DS_2D_Light}) {
      auto* slide = new DS_SlideContainer;
      slide->fadeIn.Assign(0);
      slide->showTime.Assign(1);
      slide->fadeOut.Assign(0);
      slide->light = DS_SharedPtr<DS_2D_Light>(light);
      slide->CreateObjects();
      show.slides.emplace_back(slide);
    }
    show.SetPicturePosition(mode);
    for (float t : {0.0f, 3.0f}) {  // two rounds: the glass ball, then the plain light
      show.Update(t);
      ASSERT_EQ(show.Current(), show.slides[0].Get());
      EXPECT_EQ(g_view2D->mode, kPictureFit);
      show.Update(t + 1.5f);
      ASSERT_EQ(show.Current(), show.slides[1].Get());
      EXPECT_EQ(g_view2D->mode, mode);
    }
  }
}

TEST(SharedPtr, LastHolderDeletesTheObject) {
  struct Counted {
    explicit Counted(int* n) : n_(n) { ++*n_; }
    virtual ~Counted() { --*n_; }
    int* n_;
  };
  int alive = 0;
  {
    DS_SharedPtr<Counted> a(new Counted(&alive));
    DS_SharedPtr<Counted> b;
    b.Assign(a);
    b.Assign(a);  // the same block: no second count
    EXPECT_EQ(a.UseCount(), 2);
    a.Release();
    EXPECT_FALSE(a);
    EXPECT_EQ(alive, 1);
  }
  EXPECT_EQ(alive, 0);
}

TEST(SlideRecord, WritesWhatItReads) {
  RegisterDocumentReaders();
  DS_SlideContainer slide;
  slide.fadeIn.Assign(2);
  slide.showTime.Assign(8);
  slide.fadeOut.Assign(3);
  slide.option.Assign(5);
  slide.name.Value() = L"Evening lake";
  slide.light = DS_SharedPtr<DS_2D_Light>(new DS_2D_Light);
  slide.light->PictureLink().SetKey(DS_LinkKey{L"lake.jpg", 42});
  DS_DocResManager manager;  // the light's writer registers its picture here
  ScopedScreen selected(ScreenSelection::Current().WithResources(&manager));

  DS_RecordHeader header;
  std::unique_ptr<DS_SlideContainer> read;
  ReadBytes(WriteBytes([&](DS_IOF_Holder s) { slide.WriteRecord(s); }), [&](DS_IOF_Holder s) {
    header = ReadRecordHeader(s);
    read = std::make_unique<DS_SlideContainer>();
    read->ReadNew(s, header.version);
  });
  EXPECT_EQ(header.className, L"DS_SlideContainer");
  EXPECT_EQ(header.version, 1);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->fadeIn.Value(), 2u);
  EXPECT_EQ(read->showTime.Value(), 8u);
  EXPECT_EQ(read->fadeOut.Value(), 3u);
  EXPECT_EQ(read->option.Value(), 5);
  EXPECT_EQ(read->name.Value(), L"Evening lake");
  ASSERT_TRUE(read->light);
  EXPECT_EQ(read->light->PictureLink().Key().path, L"lake.jpg");
  EXPECT_EQ(read->light->PictureLink().Key().stamp, 42);
  EXPECT_TRUE(read->pendingItems.empty());
}

}  // namespace
