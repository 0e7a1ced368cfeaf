// Loading whole scene documents made by the build, and damaged copies of them: every
// copy either loads or fails with the load error, and a failed load leaves nothing behind.
// A copy that loads is acquired as a screen acquires its scene, and every slide draws once;
// no case asks for more memory than its document allows.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "brushes/SimpleBrushes.h"
#include "document/DS_DocResManager.h"
#include "lights/DS_FlameLight.h"
#include "runtime/DS_SlideContainer.h"
#include "runtime/DS_SlideShow_Light.h"
#include "runtime/LoadDocument.h"
#include "runtime/ScreenSelection.h"
#include "scene/DocumentReaders.h"
#include "tests/support/RecordBytes.h"
#include "tests/support/TestDevice.h"

// Every allocation of this program is counted, so that a case can bound what it asks for:
// a count that the reader or a render object trusts shows as one huge request, or as a
// stream of requests that the budget ends with bad_alloc instead of running for hours.
namespace allocations {
std::atomic<size_t> largest{0};
std::atomic<size_t> total{0};
std::atomic<size_t> budget{SIZE_MAX};
}  // namespace allocations

void* operator new(size_t size) {
  size_t seen = allocations::largest.load();
  while (size > seen && !allocations::largest.compare_exchange_weak(seen, size)) {
  }
  if (allocations::total.fetch_add(size) + size > allocations::budget.load()) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

using Bytes = std::vector<uint8_t>;

// What one damaged copy may ask for: a blob is at most the document's size, and the render
// objects keep their counts to what 16-bit indices draw (a few megabytes each).
struct AllocationBound {
  explicit AllocationBound(size_t documentSize)
      : largestAllowed(4 * documentSize + (size_t(16) << 20)), totalAllowed(64 * documentSize + (size_t(512) << 20)) {
    allocations::largest = 0;
    allocations::total = 0;
    allocations::budget = totalAllowed;
  }
  ~AllocationBound() { allocations::budget = SIZE_MAX; }
  bool Kept() const { return allocations::largest <= largestAllowed && allocations::total <= totalAllowed; }
  size_t largestAllowed, totalAllowed;
};

Bytes ReadFileBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// UTF-16LE units of an ASCII text, as a document stores them.
Bytes Units(const char* text) {
  Bytes out;
  for (; *text; ++text) {
    out.push_back(uint8_t(*text));
    out.push_back(0);
  }
  return out;
}

bool Replace(Bytes& bytes, const char* from, const char* to) {
  Bytes a = Units(from), b = Units(to);
  auto at = std::search(bytes.begin(), bytes.end(), a.begin(), a.end());
  if (at == bytes.end() || a.size() != b.size()) return false;
  std::copy(b.begin(), b.end(), at);
  return true;
}

// A scene item stored under a class name that no registry holds.
class UnregisteredItem : public DS_ABObj_Constructor {
 public:
  static constexpr RecordId kRecord{L"DS_FireFx", 2};
  DS_ABObj* CreateObject() override { return nullptr; }
  void Write(DS_IOF_Holder stream) override {
    WriteRecordHeader(stream, kRecord);
    stream->WriteFloat(1.5f);
    DS_ABObj_Constructor::WriteRecord(stream);
  }
};

// A one-slide document written by the document's own writers, with or without such an item.
Bytes DocumentWithItems(int unregisteredItems) {
  DS_DocResManager manager;  // the light's writer registers its picture here
  ScopedScreen selected(ScreenSelection::Current().WithResources(&manager));
  DS_SlideShow_Light root;
  auto* slide = new DS_SlideContainer;
  slide->light = DS_SharedPtr<DS_2D_Light>(new DS_2D_Light);
  for (int i = 0; i < unregisteredItems; ++i) slide->pendingItems.emplace_back(new UnregisteredItem);
  root.slides.emplace_back(slide);
  return WriteBytes([&](DS_IOF_Holder s) {
    s->WriteString(L"KVX v 4.0.0");
    root.WriteRecord(s);
    manager.WriteRecord(s);
  });
}

class LoadDocumentTest : public testing::Test {
 public:
  void SetUp() override {
    RegisterDocumentReaders();
    ASSERT_TRUE(device_.Ok());
    small_ = ReadFileBytes(TEVRANA_SMALL_DOCUMENT);
    scene_ = ReadFileBytes(TEVRANA_SCENE_DOCUMENT);
    everyClass_ = ReadFileBytes(TEVRANA_EVERY_CLASS_DOCUMENT);
    ASSERT_GT(small_.size(), 100u);
    ASSERT_GT(scene_.size(), 100000u);
    ASSERT_GT(everyClass_.size(), 1000u);
  }

  // Loads the bytes as a screen acquires its scene: the document, every slide's render
  // objects, then each slide in turn updated and drawn once. True when it loaded; a load
  // error gives false; anything else, or more memory than the document allows, fails.
  bool AcquiresOrFailsCleanly(const Bytes& bytes, const std::string& what) {
    const ScreenSelection before = ScreenSelection::Current();
    ScopedScreen restore(before);
    AllocationBound bound(bytes.size());
    bool loaded = false;
    try {
      std::unique_ptr<DS_SlideShow_Light> root(LoadDocumentFromMemory(bytes.data(), bytes.size()));
      std::unique_ptr<DS_DocResManager> manager(g_docResManager);
      loaded = true;
      for (auto& slide : root->slides)
        if (slide) slide->CreateObjects();
      float t = 0.0f;
      for (size_t i = 0; i < root->slides.size() + 1; ++i) {
        root->Update(t);
        if (SUCCEEDED(device_.Device()->BeginScene())) {
          root->Render();
          device_.Device()->EndScene();
        }
        const DS_SlideContainer* slide = root->Current();
        if (!slide) break;
        // On to the next slide: past this one's fades and show time.
        t += float(double(slide->fadeIn.Value()) + slide->showTime.Value() + slide->fadeOut.Value()) + 0.5f;
      }
      root.reset();  // the slides' textures go before the manager's tables
    } catch (const DS_LoadError&) {
      EXPECT_FALSE(loaded) << what << ": the load error after the document had loaded";
    } catch (const std::bad_alloc&) {
      ADD_FAILURE() << what << ": more memory than the document allows (" << allocations::total << " bytes asked for)";
    } catch (...) {
      ADD_FAILURE() << what << ": failed with something else than the load error";
    }
    EXPECT_TRUE(bound.Kept()) << what << ": largest request " << allocations::largest << ", all requests "
                              << allocations::total << " for a document of " << bytes.size() << " bytes";
    return loaded;
  }

  // Loads the bytes; true when they loaded (the document is freed again), false when the
  // load error stopped it. Any other outcome fails the test.
  bool LoadsOrFailsCleanly(const Bytes& bytes) {
    const ScreenSelection before = ScreenSelection::Current();
    ScopedScreen restore(before);  // a load that succeeds selects the manager it made
    try {
      std::unique_ptr<DS_SlideShow_Light> root(LoadDocumentFromMemory(bytes.data(), bytes.size()));
      EXPECT_NE(g_docResManager, before.docResManager);
      std::unique_ptr<DS_DocResManager> manager(g_docResManager);
      EXPECT_EQ(g_resourceCache, &manager->Cache());
      return true;
    } catch (const DS_LoadError&) {
      EXPECT_EQ(g_docResManager, before.docResManager);
      EXPECT_EQ(g_resourceCache, before.resourceCache);
      return false;
    } catch (...) {
      ADD_FAILURE() << "a load failed with something else than the load error";
      return false;
    }
  }

  TestDevice device_{64, 48};
  Bytes small_, scene_, everyClass_;
};

TEST_F(LoadDocumentTest, TheSceneLoadsWithItsFlameLightWaveBrushMusicAndCarriedFiles) {
  ScopedScreen restore(ScreenSelection::Current());
  std::unique_ptr<DS_SlideShow_Light> root(LoadDocumentFromMemory(scene_.data(), scene_.size()));
  std::unique_ptr<DS_DocResManager> manager(g_docResManager);
  ASSERT_EQ(root->slides.size(), 1u);
  DS_SlideContainer& slide = *root->slides[0];
  EXPECT_EQ(slide.name.Value(), L"Campfire by the lake");
  auto* flame = dynamic_cast<DS_FlameLight*>(slide.light.Get());
  ASSERT_NE(flame, nullptr);
  EXPECT_EQ(flame->fireVisible.Value(), 1);
  EXPECT_EQ(flame->distortionFlag.Value(), 1);
  EXPECT_EQ(flame->fireOffset.Value(), 75u);
  EXPECT_EQ(flame->distortion.speed.Value(), 25u);
  EXPECT_EQ(flame->distortion.strength.Value(), 30u);
  EXPECT_EQ(flame->distortion.bumpScale.Value(), 72u);
  EXPECT_EQ(flame->distortion.bumpLink.Key(), (DS_LinkKey{L"common_res.dll", 62}));
  EXPECT_EQ(flame->distortion.effectLink.Key(), (DS_LinkKey{L"common_res.dll", 63}));
  EXPECT_EQ(flame->fire.patternLink.Key(), (DS_LinkKey{L"common_res.dll", 7}));
  ASSERT_EQ(slide.pendingItems.size(), 1u);
  auto* waves = dynamic_cast<DS_WavesFX*>(slide.pendingItems.front().get());
  ASSERT_NE(waves, nullptr);
  EXPECT_EQ(waves->effectLink.Key(), (DS_LinkKey{L"common_res.dll", 77}));
  // The brush's painted mask, stored under its identity.
  const auto mask = manager->Tables().guidTextures.find(waves->guid);
  ASSERT_NE(mask, manager->Tables().guidTextures.end());
  ASSERT_TRUE(mask->second);
  D3DSURFACE_DESC desc{};
  mask->second->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_A8);
  EXPECT_EQ(desc.Width, 512u);
  // Effects 63, 76, 77 and 92 and pictures 7, 8 and 62 travel in the document.
  for (int id : {63, 76, 77, 92}) {
    const auto file = manager->Tables().files.find(DS_LinkKey{L"common_res.dll", id});
    ASSERT_NE(file, manager->Tables().files.end()) << id;
    ASSERT_FALSE(file->second.empty()) << id;
    EXPECT_GT(file->second.front().size, 100) << id;
  }
  for (int id : {7, 8, 62}) {
    const auto set = manager->Tables().textureSets.find(DS_LinkKey{L"common_res.dll", id});
    ASSERT_NE(set, manager->Tables().textureSets.end()) << id;
    EXPECT_EQ(set->second.textures.size(), 1u) << id;
  }
  ASSERT_EQ(root->audioFiles.size(), 1u);
  EXPECT_EQ(root->audioFiles[0]->sound.name, L"evening.mp3");
  EXPECT_GT(root->audioFiles[0]->sound.size, 10000);
  // A picture that a 1920 x 1080 screen shows without magnifying.
  DS_TextureSet& set = manager->GetImageTextures(slide.light->PictureLink());
  ASSERT_EQ(set.textures.size(), 1u);
  EXPECT_EQ(set.width, 1920u);
  EXPECT_EQ(set.height, 1080u);
}

TEST_F(LoadDocumentTest, AnyHeaderTextLoadsTheSame) {
  Bytes copy = small_;
  ASSERT_TRUE(Replace(copy, "KVX v 4.0.0", "XYZ w 9.9.9"));
  EXPECT_TRUE(LoadsOrFailsCleanly(copy));
}

TEST_F(LoadDocumentTest, UnregisteredClassStopsTheLoad) {
  for (auto [from, to] : {std::pair{"DS_2D_Light", "DS_2D_Lighx"}, std::pair{"DS_SlideContainer", "DS_SlideContainex"}}) {
    Bytes copy = small_;
    ASSERT_TRUE(Replace(copy, from, to)) << from;
    EXPECT_FALSE(LoadsOrFailsCleanly(copy)) << to;
  }
  // A scene item: the same document without it loads.
  EXPECT_TRUE(LoadsOrFailsCleanly(DocumentWithItems(0)));
  EXPECT_FALSE(LoadsOrFailsCleanly(DocumentWithItems(1)));
}

TEST_F(LoadDocumentTest, EmptyOrMissingDocumentFails) {
  EXPECT_FALSE(LoadsOrFailsCleanly(Bytes{}));
  // This test program carries no scene document of its own.
  EXPECT_THROW(LoadDocument(), DS_LoadError);
}

TEST_F(LoadDocumentTest, EveryTruncationOfASmallDocumentFails) {
  EXPECT_TRUE(LoadsOrFailsCleanly(small_));
  for (size_t cut = 0; cut < small_.size(); ++cut) {
    Bytes copy(small_.begin(), small_.begin() + cut);
    EXPECT_FALSE(LoadsOrFailsCleanly(copy)) << "cut at " << cut;
  }
}

// No damaged count made a huge allocation in this test program.
void ExpectModestPeakMemory() {
  PROCESS_MEMORY_COUNTERS counters{};
  ASSERT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters));
  EXPECT_LT(counters.PeakPagefileUsage, size_t(1) << 30) << "a damaged count made a huge allocation";
}

// One damaged copy of a document: a bit flipped, or four bytes overwritten with a large value.
struct Damage {
  size_t at;
  uint8_t flip;  // 0: the value is written
  uint32_t value;
  Bytes Applied(const Bytes& document) const {
    Bytes copy = document;
    if (flip)
      copy[at] ^= flip;
    else
      std::memcpy(&copy[at], &value, 4);
    return copy;
  }
};

// The scene's hundred seeded damages anywhere: sixty flipped bits, then forty large values.
std::vector<Damage> SceneDamages(size_t documentSize) {
  std::mt19937 random(20261210);
  std::uniform_int_distribution<size_t> anywhere(0, documentSize - 4);
  const uint32_t inflated[] = {0x7FFFFFFF, 0xFFFFFFFF, 0x40000000, 0x00FFFFFF, 0x80000000};
  std::vector<Damage> damages;
  for (int i = 0; i < 60; ++i) {
    const auto flip = uint8_t(1u << (random() % 8));
    damages.push_back({anywhere(random), flip, 0});
  }
  for (int i = 0; i < 40; ++i) {
    const uint32_t value = inflated[random() % 5];
    damages.push_back({anywhere(random), 0, value});
  }
  return damages;
}

// Each load of the scene decodes its 1920 x 1080 picture (some 0.2 s under Wine, several
// times that on a loaded machine): the hundred copies are taken in four parts, each a test
// program of its own, that CTest runs side by side.
constexpr int kSceneParts = 4;
class DamagedSceneTest : public LoadDocumentTest, public testing::WithParamInterface<int> {};

TEST_P(DamagedSceneTest, FlippedBytesAndInflatedCountsLoadOrFail) {
  const std::vector<Damage> damages = SceneDamages(scene_.size());
  for (size_t i = size_t(GetParam()); i < damages.size(); i += kSceneParts) LoadsOrFailsCleanly(damages[i].Applied(scene_));
  ExpectModestPeakMemory();
}
INSTANTIATE_TEST_SUITE_P(Part, DamagedSceneTest, testing::Range(0, kSceneParts));

// Every position of the small document, which has every record of the scene: the pictures it
// decodes are tiny, so each position costs little. Some copies load, some fail.
TEST_F(LoadDocumentTest, InflatedValuesAtEveryPositionOfTheSmallDocumentLoadOrFail) {
  const uint32_t inflated[] = {0x7FFFFFFF, 0xFFFFFFFF, 0x40000000, 0x00FFFFFF, 0x80000000};
  int loaded = 0, failed = 0;
  for (size_t at = 0; at + 4 <= small_.size(); ++at)
    (LoadsOrFailsCleanly(Damage{at, 0, inflated[at % 5]}.Applied(small_)) ? loaded : failed)++;
  EXPECT_GT(loaded, 0);
  EXPECT_GT(failed, 0);
  ExpectModestPeakMemory();
}

// Cut anywhere, a document of every class fails to load, and nothing stays selected.
TEST_F(LoadDocumentTest, EveryTruncationOfADocumentOfEveryClassFails) {
  EXPECT_TRUE(AcquiresOrFailsCleanly(everyClass_, "whole"));
  for (size_t cut = 0; cut < everyClass_.size(); ++cut) {
    Bytes copy(everyClass_.begin(), everyClass_.begin() + cut);
    AllocationBound bound(copy.size());
    EXPECT_FALSE(LoadsOrFailsCleanly(copy)) << "cut at " << cut;
    EXPECT_TRUE(bound.Kept()) << "cut at " << cut << ": largest request " << allocations::largest;
  }
}

// Every four bytes of the document read as a count somewhere: inflated, each either loads
// or fails, asking for no more than the document allows.
TEST_F(LoadDocumentTest, EveryInflatedValueOfADocumentOfEveryClassLoadsOrFails) {
  const uint32_t inflated[] = {0x7FFFFFFF, 0xFFFFFFFF, 0x40000000, 0x00FFFFFF, 0x80000000};
  int loaded = 0, failed = 0;
  for (size_t at = 0; at + 4 <= everyClass_.size(); ++at) {
    Bytes copy = everyClass_;
    const uint32_t value = inflated[at % 5];
    std::memcpy(&copy[at], &value, 4);
    AllocationBound bound(copy.size());
    (LoadsOrFailsCleanly(copy) ? loaded : failed)++;
    EXPECT_TRUE(bound.Kept()) << "inflated at " << at << ": largest request " << allocations::largest
                              << ", all requests " << allocations::total;
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(failed, 0);
}

// Seeded byte flips and inflated values anywhere, each copy that loads acquired and drawn
// slide by slide; how many loaded.
int AcquireDamagedCopies(LoadDocumentTest& test, const Bytes& document, uint32_t seed, int copies) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<size_t> anywhere(0, document.size() - 4);
  const uint32_t inflated[] = {0x7FFFFFFF, 0xFFFFFFFF, 0x40000000, 0x00FFFFFF, 0x80000000};
  int loaded = 0;
  for (int i = 0; i < copies; ++i) {
    Bytes copy = document;
    const size_t at = anywhere(random);
    if (i % 3 == 2) {
      const uint32_t value = inflated[random() % 5];
      std::memcpy(&copy[at], &value, 4);
    } else {
      copy[at] ^= uint8_t(1u << (random() % 8));
    }
    loaded += test.AcquiresOrFailsCleanly(copy, "copy " + std::to_string(i) + " damaged at " + std::to_string(at)) ? 1 : 0;
  }
  return loaded;
}

TEST_F(LoadDocumentTest, DamagedCopiesOfADocumentOfEveryClassAcquireAndDrawOrFail) {
  EXPECT_GT(AcquireDamagedCopies(*this, everyClass_, 20261211, 60), 0);
}

// The gallery, whose pictures, masks and effects are real: fewer copies, each costs more.
TEST_F(LoadDocumentTest, DamagedCopiesOfTheGalleryAcquireAndDrawOrFail) {
  const Bytes gallery = ReadFileBytes(TEVRANA_GALLERY_DOCUMENT);
  ASSERT_GT(gallery.size(), 100000u);
  EXPECT_TRUE(AcquiresOrFailsCleanly(gallery, "the gallery"));
  EXPECT_GT(AcquireDamagedCopies(*this, gallery, 20261212, 15), 0);
}

}  // namespace
