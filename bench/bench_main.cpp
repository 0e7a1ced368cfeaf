// Benchmarks, as a list of named cases. Every case times its work and a baseline in the same
// run (best of several repetitions, QueryPerformanceCounter) and prints their ratio, so the
// figure does not depend on the machine's speed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <list>
#include <string>
#include <type_traits>
#include <vector>

#include <d3d9.h>
#include <d3dx9.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "brushes/DS_FireFX.h"
#include "brushes/DS_MoveFX.h"
#include "brushes/DS_PatternBrush.h"
#include "brushes/DS_WaterFX.h"
#include "brushes/SimpleBrushes.h"
#include "device/ComRef.h"
#include "device/CurrentDevice.h"
#include "device/TextureHelpers.h"
#include "document/DS_DocResManager.h"
#include "document/DS_IOF.h"
#include "lights/DS_FlameLight.h"
#include "lights/DS_GlassBallLight.h"
#include "lights/DS_MatrixCodeLight.h"
#include "lights/DS_WaterRingLight.h"
#include "lights/FakeLake2D.h"
#include "lights/FakeUndervater.h"
#include "objects/DS_3D_in_2D_array.h"
#include "objects/FlashingEmitters.h"
#include "objects/RootedEmitters.h"
#include "objects/StreamingEmitters.h"
#include "objects/WanderingEmitters.h"
#include "runtime/DS_SlideShow_Light.h"
#include "runtime/LoadDocument.h"
#include "runtime/ScreenSelection.h"
#include "scene/DocumentReaders.h"
#include "tests/support/PixelCounter.h"

namespace {

double Seconds(const std::function<void()>& work, int repetitions) {
  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  double best = 1e30;
  for (int i = 0; i < repetitions; ++i) {
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&stop);
    best = std::min(best, double(stop.QuadPart - start.QuadPart) / double(frequency.QuadPart));
  }
  return best;
}

struct Baseline {
  std::string name;
  double seconds;
};

// The case's time and the baselines it is compared with; the first is the headline.
struct BenchResult {
  double seconds;
  std::vector<Baseline> baselines;
};

struct BenchCase {
  const char* name;
  std::function<BenchResult()> run;
};

// ---- Document stream ---------------------------------------------------------------------

// A blob-heavy document of about 5 MB: a header, many small records of mixed values (the
// slides and their items), then a table of embedded files.
constexpr int kItems = 400;
constexpr int kFiles = 40;
constexpr int kFileBytes = 128 * 1024;

std::vector<uint8_t> SyntheticDocument() {
  DS_IOF_W writer;
  DS_IOF_Virtual* s = &writer;
  s->WriteString(L"KVX v 4.0.0");
  s->WriteInt(kItems);
  for (int i = 0; i < kItems; ++i) {
    s->WriteString(L"DS_FireFX");
    s->WriteInt(2);
    for (int k = 0; k < 8; ++k) s->WriteFloat(float(i * k));
    s->WriteULong(0x00FF8040ul);
    s->WritePoint(POINT{i, -i});
    s->WriteBool(1);
    s->WriteString(L"Fire brush " + std::to_wstring(i));
    s->WriteInt64(i);
  }
  std::vector<DS_FileRecord> files;
  std::vector<uint8_t> bytes(kFileBytes);
  for (int f = 0; f < kFiles; ++f) {
    for (size_t b = 0; b < bytes.size(); ++b) bytes[b] = uint8_t(b * 31 + f);
    DS_FileRecord record(f % 3 == 0 ? 0 : 60 + f, f % 3 == 0 ? L"" : L"common_res.dll");
    record.SetData(kFileBytes, bytes.data());
    record.name = L"C:\\Scenes\\Pictures\\picture_" + std::to_wstring(f) + L".jpg";
    files.push_back(std::move(record));
  }
  WriteFileRecordVector(s, files);
  return writer.Bytes();
}

void ReadSyntheticDocument(const std::vector<uint8_t>& document) {
  ResourceBuffer buffer(document.data(), document.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* s = &reader;
  ds_string text;
  s->ReadString(text);
  int32_t count = 0;
  s->ReadInt(count);
  for (int i = 0; i < count; ++i) {
    ds_string name;
    int32_t version = 0;
    float f = 0;
    unsigned long colour = 0;
    POINT p{};
    uint8_t flag = 0;
    int64_t stamp = 0;
    s->ReadString(name);
    s->ReadInt(version);
    for (int k = 0; k < 8; ++k) s->ReadFloat(f);
    s->ReadULong(colour);
    s->ReadPoint(p);
    s->ReadBool(flag);
    s->ReadString(name);
    s->ReadInt64(stamp);
  }
  std::vector<DS_FileRecord> files;
  ReadFileRecordVector(s, files);
  if (buffer.cursor != document.data() + document.size() || files.size() != size_t(kFiles))
    std::fprintf(stderr, "document misread\n");
}

BenchResult DocumentRead() {
  const std::vector<uint8_t> document = SyntheticDocument();
  std::vector<uint8_t> copy(document.size());
  constexpr int kRepetitions = 15;
  const double read = Seconds([&] { ReadSyntheticDocument(document); }, kRepetitions);
  const double baseline = Seconds(
      [&] {
        std::memcpy(copy.data(), document.data(), document.size());
        // Keep the copy observable.
        volatile uint8_t sink = copy[copy.size() / 2];
        (void)sink;
      },
      kRepetitions);
  // What the blobs alone must cost: each embedded file is copied into a block of its own.
  const double allocateAndCopy = Seconds(
      [&] {
        std::vector<uint8_t*> blocks;
        for (int f = 0; f < kFiles; ++f) {
          blocks.push_back(new uint8_t[kFileBytes]);
          std::memcpy(blocks.back(), document.data() + size_t(f) * kFileBytes, kFileBytes);
        }
        for (uint8_t* b : blocks) delete[] b;
      },
      kRepetitions);
  // The same copy into memory not touched before, as the blobs are.
  const double freshCopy = Seconds(
      [&] {
        std::unique_ptr<uint8_t[]> fresh(new uint8_t[document.size()]);
        std::memcpy(fresh.get(), document.data(), document.size());
        volatile uint8_t sink = fresh[document.size() / 2];
        (void)sink;
      },
      kRepetitions);
  std::printf("  document of %.2f MB\n", double(document.size()) / (1024.0 * 1024.0));
  return {read,
          {{"memcpy of the same bytes", baseline},
           {"memcpy into a new block", freshCopy},
           {"new block + copy per embedded file", allocateAndCopy}}};
}

// ---- Scene document and slide show ----------------------------------------------------------

// A windowed device on a window of its own; g_currentDevice while it lives.
class BenchDevice {
 public:
  BenchDevice(int width, int height) {
    window_ = CreateWindowW(L"STATIC", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                            nullptr, nullptr);
    d3d_ = ComRef<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
    D3DPRESENT_PARAMETERS params{};
    params.Windowed = TRUE;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.BackBufferWidth = UINT(width);
    params.BackBufferHeight = UINT(height);
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.hDeviceWindow = window_;
    params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (d3d_)
      d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params,
                         device_.Put());
    SelectScreen(ScreenSelection::Current().WithDevice(device_.Get()));
  }
  ~BenchDevice() {
    SelectScreen(ScreenSelection::Current().WithDevice(nullptr));
    device_.Reset();
    d3d_.Reset();
    DestroyWindow(window_);
  }
  IDirect3DDevice9* Device() const { return device_.Get(); }

 private:
  HWND window_ = nullptr;
  ComRef<IDirect3D9> d3d_;
  ComRef<IDirect3DDevice9> device_;
};

std::vector<uint8_t> ReadFileBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The scene document of the benchmark (made by the build): two large pictures and the music.
std::unique_ptr<DS_SlideShow_Light> LoadBenchScene(const std::vector<uint8_t>& document) {
  std::unique_ptr<DS_SlideShow_Light> root(LoadDocumentFromMemory(document.data(), document.size()));
  return root;
}

void FreeBenchScene(std::unique_ptr<DS_SlideShow_Light>& root) {
  root.reset();
  DS_DocResManager* manager = g_docResManager;  // the load selected the manager it made
  SelectScreen(ScreenSelection::Current().WithResources(nullptr));
  delete manager;
}

// The load of a scene document of several slides with pictures (the gallery's when the
// build makes it) against decoding its pictures alone into textures, the way the load does.
BenchResult SceneDocumentLoad() {
  BenchDevice device(640, 480);
  RegisterDocumentReaders();
  const std::vector<uint8_t> document = ReadFileBytes(TEVRANA_LOAD_DOCUMENT);
  if (document.empty() || !device.Device()) std::fprintf(stderr, "no document or no device\n");
  // The document's pictures: after a load, the files of the manager's texture sets.
  std::vector<std::vector<uint8_t>> pictures;
  size_t slides = 0;
  {
    auto root = LoadBenchScene(document);
    slides = root ? root->slides.size() : 0;
    if (DS_DocResManager* manager = g_docResManager)
      for (const auto& [key, set] : manager->Tables().textureSets)
        for (const DS_FileRecord& record : manager->Tables().loadedFiles[key])
          if (record.HasBytes()) pictures.emplace_back(record.data, record.data + record.size);
    FreeBenchScene(root);
  }
  constexpr int kRepetitions = 5;
  const double load = Seconds(
      [&] {
        auto root = LoadBenchScene(document);
        FreeBenchScene(root);
      },
      kRepetitions);
  const double decode = Seconds(
      [&] {
        for (auto& picture : pictures) {
          ComRef<IDirect3DTexture9> texture;
          LoadTextureFromMemory(picture.data(), UINT(picture.size()), nullptr, texture);
        }
      },
      kRepetitions);
  std::vector<uint8_t> copy(document.size());
  const double baseline = Seconds([&] { std::memcpy(copy.data(), document.data(), document.size()); }, kRepetitions);
  std::printf("  scene document of %.2f MB: %zu slides, %zu pictures\n", double(document.size()) / (1024.0 * 1024.0),
              slides, pictures.size());
  return {load, {{"decoding its pictures alone", decode}, {"memcpy of the document", baseline}}};
}

// The CPU time per frame over many frames, of the whole process: the renderer draws on
// threads of its own, so this thread's time alone would miss most of a frame's cost.
double CpuSecondsPerFrame(const std::function<void()>& frame, int frames) {
  FILETIME created, ended, kernel0, user0, kernel1, user1;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel0, &user0);
  for (int i = 0; i < frames; ++i) frame();
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel1, &user1);
  auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  const uint64_t used = ticks(kernel1) - ticks(kernel0) + ticks(user1) - ticks(user0);
  return double(used) * 1e-7 / frames;
}

// Makes the show's objects and fills the screen; then one frame step of one screen per call:
// the show's update and drawing, then the present, 30 ms later each time.
std::function<void()> ShowFrameStep(DS_SlideShow_Light& root, IDirect3DDevice9* d, float& t) {
  for (auto& slide : root.slides) slide->CreateObjects();
  root.SetPicturePosition(2);
  return [&root, d, &t] {
    t += 0.03f;
    root.Update(t);
    if (SUCCEEDED(d->BeginScene())) root.Render();
    d->EndScene();
    d->Present(nullptr, nullptr, nullptr, nullptr);
  };
}

BenchResult PlainLightFrameStep() {
  BenchDevice device(1024, 768);
  RegisterDocumentReaders();
  IDirect3DDevice9* d = device.Device();
  const std::vector<uint8_t> document = ReadFileBytes(TEVRANA_BENCH_DOCUMENT);
  auto root = LoadBenchScene(document);
  float t = 0.0f;
  const std::function<void()> step = ShowFrameStep(*root, d, t);
  auto clearOnly = [&] {
    if (SUCCEEDED(d->BeginScene())) d->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    d->EndScene();
    d->Present(nullptr, nullptr, nullptr, nullptr);
  };
  constexpr int kFrames = 600;
  for (int i = 0; i < 20; ++i) step();
  const double frame = CpuSecondsPerFrame(step, kFrames);
  const double clear = CpuSecondsPerFrame(clearOnly, kFrames);
  const double wall = Seconds(step, 50);
  const double wallClear = Seconds(clearOnly, 50);
  FreeBenchScene(root);
  std::printf("  CPU time of the process per step, %d steps at 1024 x 768\n", kFrames);
  std::printf("  best wall time of one step %.3f ms, of a clear-only frame %.3f ms (ratio %.2f)\n", wall * 1e3,
              wallClear * 1e3, wall / wallClear);
  return {frame, {{"a frame that only clears and presents", clear}}};
}

// ---- Helpers of the frame cases ------------------------------------------------------------

// Waits until the renderer has done everything asked of it so far.
void FinishRendering(IDirect3DDevice9* d) {
  ComRef<IDirect3DQuery9> query;
  if (FAILED(d->CreateQuery(D3DQUERYTYPE_EVENT, query.Put()))) return;
  query->Issue(D3DISSUE_END);
  while (query->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE) Sleep(1);
}

// The CPU time of the calling thread per run: our own code alone, without the renderer's
// threads (Wine's command thread keeps polling for a while after its last work).
double ThreadCpuSecondsPerRun(const std::function<void()>& work, int runs) {
  FILETIME created, ended, kernel0, user0, kernel1, user1;
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel0, &user0);
  for (int i = 0; i < runs; ++i) work();
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel1, &user1);
  auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return double(ticks(kernel1) - ticks(kernel0) + ticks(user1) - ticks(user0)) * 1e-7 / runs;
}

// ---- The shipped scene ---------------------------------------------------------------------

// The program's own scene (the flame light with its fire and haze, the wave brush) against
// the plain light's scene, and the same scene stepped with the haze, the fire or the waves
// left out in turn.
BenchResult ShippedSceneFrameStep() {
  BenchDevice device(1024, 768);
  RegisterDocumentReaders();
  IDirect3DDevice9* d = device.Device();
  constexpr int kFrames = 400;
  float t = 0.0f;
  auto cost = [&](const std::function<void()>& step) {
    for (int i = 0; i < 20; ++i) step();
    return CpuSecondsPerFrame(step, kFrames);
  };
  auto root = LoadBenchScene(ReadFileBytes(TEVRANA_SHIPPED_DOCUMENT));
  auto* flame = root && !root->slides.empty() ? dynamic_cast<DS_FlameLight*>(root->slides[0]->light.Get()) : nullptr;
  if (!flame) {
    std::fprintf(stderr, "the shipped scene has no flame light\n");
    return {0, {}};
  }
  const std::function<void()> step = ShowFrameStep(*root, d, t);
  DS_SlideContainer& slide = *root->slides[0];
  const double full = cost(step);
  const double wall = Seconds(step, 50);
  flame->distortionFlag.Value() = 0;
  const double noHaze = cost(step);
  flame->distortionFlag.Value() = 1;
  flame->fireVisible.Value() = 0;
  const double noFire = cost(step);
  flame->fireVisible.Value() = 1;
  auto objects = std::move(slide.objects);
  slide.objects.clear();
  const double noWaves = cost(step);
  flame->distortionFlag.Value() = 0;
  flame->fireVisible.Value() = 0;
  const double pictureOnly = cost(step);
  slide.objects = std::move(objects);
  FreeBenchScene(root);

  auto plain = LoadBenchScene(ReadFileBytes(TEVRANA_BENCH_DOCUMENT));
  const std::function<void()> plainStep = ShowFrameStep(*plain, d, t);
  const double plainCost = cost(plainStep);
  const double plainWall = Seconds(plainStep, 50);
  FreeBenchScene(plain);
  std::printf("  CPU time of the process per step, %d steps at 1024 x 768\n", kFrames);
  std::printf("  best wall time of one step %.3f ms, of a plain-light step %.3f ms (ratio %.2f)\n", wall * 1e3,
              plainWall * 1e3, wall / plainWall);
  std::printf("  a step without the haze %.3f ms, without the fire %.3f ms, without the waves %.3f ms; the flame"
              " light's picture alone %.3f ms\n",
              noHaze * 1e3, noFire * 1e3, noWaves * 1e3, pictureOnly * 1e3);
  return {full, {{"a plain-light step", plainCost}}};
}

// ---- Sprite emitters -------------------------------------------------------------------------

// The thirteen emitters with their defaults (one sprite each, as a new item has), each in a
// cell of a 4 x 4 grid, drawing pictures of the resource module.
std::vector<DS_BaseSpriteProp*> ThirteenEmitters() {
  std::vector<DS_BaseSpriteProp*> items = {
      new DS_GodRayConstructor,    new DS_LightingConstructor, new DS_RainConstructor,    new DS_GrassConstructor,
      new DS_FishConstructor,      new DS_BirdConstructor,     new DS_FogConstructor,     new DS_FlowConstructor,
      new DS_GhostConstructor,     new DS_SparkleConstructor,  new DS_DischargeConstructor, new DS_FlowerConstructor,
      new DS_StatObjConstructor};
  const int pictures[] = {309, 310, 304, 305, 300, 301, 303, 308, 302, 308, 307, 306, 300};
  for (size_t i = 0; i < items.size(); ++i) {
    DS_BaseSpriteProp& e = *items[i];
    e.leftFraction = 0.25f * float(i % 4), e.rightFraction = e.leftFraction + 0.25f;
    e.topFraction = 0.25f * float(i / 4), e.bottomFraction = e.topFraction + 0.25f;
    e.spriteImage.SetKey({L"common_res.dll", pictures[i]});
  }
  return items;
}

// ---- One frame step of each light and each family, against the plain light -------------------

// A row of the table: the benchmark's 3D-objects slide (the large evening lake, fill mode,
// its camera drifting) with this row's light in place of the plain one and this row's
// objects in place of the document's.
struct FrameRow {
  const char* name;
  std::function<DS_2D_Light*()> light;  // null: the document's plain light
  // Given the objects the document made (three butterflies, a clock, forty leaves), leaves
  // the row's own on the slide.
  std::function<void(std::vector<DS_SharedPtr<DS_ABObj>>&)> objects;
  // Our own code's share of the row's step (the light's simulation and the vertices it
  // writes, or the objects' updates), run without drawing once the renderer is idle.
  const char* ownName = nullptr;
  std::function<void(DS_SlideContainer&, float)> ownWork = nullptr;
};

struct FrameFigures {
  double cpu = 0.0;     // CPU time of the process per step
  double ratio = 0.0;   // to the plain light's step, measured in turns with it
  double screens = 0.0;  // pixels drawn per step, in screens
  double own = 0.0;      // CPU time of this thread in ownWork per step
};

void NoObjects(std::vector<DS_SharedPtr<DS_ABObj>>& objects) { objects.clear(); }

// The objects' own work of a step: their motion and the vertices they write.
void UpdateObjects(DS_SlideContainer& slide, float t) {
  for (auto& object : slide.objects) object->Update(t);
}

// Only the objects of one kind (leaves: the falling-leaf frames; otherwise the 3D objects).
std::function<void(std::vector<DS_SharedPtr<DS_ABObj>>&)> OnlyObjects(bool leaves) {
  return [leaves](std::vector<DS_SharedPtr<DS_ABObj>>& objects) {
    std::vector<DS_SharedPtr<DS_ABObj>> kept;
    for (auto& object : objects)
      if ((dynamic_cast<DS_3D_in_2D_array*>(object.Get()) != nullptr) == leaves) kept.push_back(object);
    objects.swap(kept);
  };
}

// The slide's objects made from new scene items.
template <class Make>
std::function<void(std::vector<DS_SharedPtr<DS_ABObj>>&)> ObjectsFrom(Make make) {
  return [make](std::vector<DS_SharedPtr<DS_ABObj>>& objects) {
    objects.clear();
    for (DS_ABObj_Constructor* item : make()) {
      if (DS_ABObj* object = item->CreateObject()) objects.emplace_back(object);
      delete item;
    }
  };
}

// A brush over the whole picture, without a mask; the pattern brushes with the module's
// pattern package, the fire over the lower third of the 2048 x 1536 picture.
template <class Brush>
std::function<void(std::vector<DS_SharedPtr<DS_ABObj>>&)> OneBrush() {
  return ObjectsFrom([] {
    auto* brush = new Brush;
    if constexpr (std::is_base_of_v<DS_PatternBrush, Brush>) brush->pattern.SetKey({L"common_res.dll", 210});
    if constexpr (std::is_same_v<DS_FireFX, Brush>) {
      const D3DXVECTOR3 corners[4] = {{0, 1536, 0}, {0, 1024, 0}, {2048, 1536, 0}, {2048, 1024, 0}};
      for (int i = 0; i < 4; ++i) brush->corners.corners[i].Value() = corners[i];
    }
    return std::vector<DS_ABObj_Constructor*>{brush};
  });
}

const std::vector<FrameRow>& FrameRows() {
  static const std::vector<FrameRow> rows = {
      {"DS_2D_Light (plain)", nullptr, NoObjects},
      {"DS_FlameLight", [] { return new DS_FlameLight; }, NoObjects},
      {"DS_GlassBallLight", [] { return new DS_GlassBallLight; }, NoObjects},
      {"DS_MatrixCodeLight (fullest rain)",
       [] {
         auto* light = new DS_MatrixCodeLight;
         light->trailColour.Assign(0x30D020ul);
         light->headColour.Assign(0xD8FFD8ul);
         light->density.Assign(100);
         light->sparkles.Assign(1);
         return light;
       },
       NoObjects, "the rain's step and glyph vertices",
       [](DS_SlideContainer& slide, float t) {
         static_cast<DS_MatrixCodeLight&>(*slide.light).StepAndBuildGlyphs(t);
       }},
      {"FakeUndervater", [] { return new FakeUndervater; }, NoObjects},
      {"FakeLake2D", [] { return new FakeLake2D; }, NoObjects},
      {"DS_WaterRingLight (most cells)",
       [] {
         auto* light = new DS_WaterRingLight;
         light->gridDensity.Assign(100);  // the most cells 16-bit indices allow
         return light;
       },
       NoObjects, "the water's step and vertices",
       [](DS_SlideContainer& slide, float) {
         static_cast<DS_WaterRingLight&>(*slide.light).Grid().Step(D3DXVECTOR3(0.0f, 120.0f, 0.0f));
       }},
      {"13 sprite emitters", nullptr, ObjectsFrom([] {
         std::vector<DS_ABObj_Constructor*> items;
         for (DS_BaseSpriteProp* item : ThirteenEmitters()) items.push_back(item);
         return items;
       }),
       "the emitters' updates", UpdateObjects},
      {"3 butterflies and a clock", nullptr, OnlyObjects(false), "the objects' updates", UpdateObjects},
      {"40 falling leaves", nullptr, OnlyObjects(true), "the leaves' updates", UpdateObjects},
      {"DS_BackgroundCopy", nullptr, OneBrush<DS_BackgroundCopy>()},
      {"DS_WavesFX", nullptr, OneBrush<DS_WavesFX>()},
      {"DS_LightFX", nullptr, OneBrush<DS_LightFX>()},
      {"DS_WaterFX", nullptr, OneBrush<DS_WaterFX>()},
      {"DS_MoveFX", nullptr, OneBrush<DS_MoveFX>()},
      {"DS_PatternBrush", nullptr, OneBrush<DS_PatternBrush>()},
      {"DS_PatternBrushC", nullptr, OneBrush<DS_PatternBrushC>()},
      {"DS_FireFX (lower third)", nullptr, OneBrush<DS_FireFX>()},
  };
  return rows;
}

// The row's slide, loaded with a resource manager of its own, and its frame step: the show's
// update, the slide and its fader inside the scene, the present, as the shell runs it.
struct RowShow {
  std::unique_ptr<DS_SlideShow_Light> root;
  DS_DocResManager* manager = nullptr;
  std::function<void()> step;

  // Makes this show's manager current and sets its light's device states, as after a reset:
  // two shows take turns on one device.
  void Select() {
    SelectScreen(ScreenSelection::Current().WithResources(manager));
    if (root) root->AcquireDeviceResources();
  }
  void Free() {
    SelectScreen(ScreenSelection::Current().WithResources(manager));
    if (root) FreeBenchScene(root);
  }
};

RowShow LoadRow(const FrameRow& row, IDirect3DDevice9* d, float& t) {
  RowShow show;
  show.root = LoadBenchScene(ReadFileBytes(TEVRANA_BENCH_OBJECTS3D_DOCUMENT));
  show.manager = g_docResManager;  // the load selected the manager it made
  if (!show.root || show.root->slides.empty() || !show.root->slides[0]->light) {
    std::fprintf(stderr, "no objects document\n");
    show.step = [] {};
    return show;
  }
  DS_SlideContainer& slide = *show.root->slides[0];
  if (row.light) {
    DS_2D_Light* light = row.light();
    light->PictureLink().SetKey(slide.light->PictureLink().Key());
    slide.light = DS_SharedPtr<DS_2D_Light>(light);
  }
  show.step = ShowFrameStep(*show.root, d, t);
  row.objects(slide.objects);
  for (int i = 0; i < 20; ++i) show.step();
  return show;
}

// One row at one size against the plain light, the two shows taking turns in blocks of
// steps so that a change in the machine's load falls on both: CPU time of the process per
// step (the renderer works on threads of its own), and the pixels the row's draws write
// (an occlusion query around them).
FrameFigures MeasureFrameRow(const FrameRow& row, const FrameRow& plainRow, IDirect3DDevice9* d, int width,
                             int height, bool drawFader = false) {
  FrameFigures figures;
  float t = 0.0f;
  RowShow plain = LoadRow(plainRow, d, t);
  RowShow show = LoadRow(row, d, t);
  constexpr int kRounds = 5, kFrames = 30, kCounted = 20;
  double plainCpu = 0.0, rowCpu = 0.0;
  for (int round = 0; round < kRounds; ++round) {
    plain.Select();
    plain.step();
    plainCpu += CpuSecondsPerFrame(plain.step, kFrames);
    show.Select();
    show.step();
    rowCpu += CpuSecondsPerFrame(show.step, kFrames);
  }
  figures.cpu = rowCpu / kRounds;
  figures.ratio = rowCpu / plainCpu;
  PixelCounter counter(d);
  int64_t pixels = 0;
  for (int i = 0; i < kCounted && show.root; ++i) {
    t += 0.03f;
    show.root->Update(t);
    if (drawFader) show.root->SetFaderVisible(true);
    if (SUCCEEDED(d->BeginScene())) {
      counter.Begin();
      show.root->Render();
      pixels += std::max<int64_t>(counter.End(), 0);
      d->EndScene();
    }
    d->Present(nullptr, nullptr, nullptr, nullptr);
  }
  figures.screens = double(pixels) / kCounted / (double(width) * double(height));
  if (row.ownWork && show.root) {
    FinishRendering(d);
    DS_SlideContainer& slide = *show.root->slides[0];
    figures.own = ThreadCpuSecondsPerRun([&] { row.ownWork(slide, t += 0.03f); }, 4 * kRounds * kFrames);
  }
  show.Free();
  plain.Free();
  return figures;
}

// The table: every row at 1024 x 768 and at 1920 x 1080, as the ratio of its step to the
// plain light's in the same run, and the pixels each step draws in screens.
BenchResult FrameStepTable() {
  RegisterDocumentReaders();
  const int sizes[2][2] = {{1024, 768}, {1920, 1080}};
  const std::vector<FrameRow>& rows = FrameRows();
  std::vector<FrameFigures> figures[2];
  double fader[2] = {0.0, 0.0};
  for (int s = 0; s < 2; ++s) {
    BenchDevice device(sizes[s][0], sizes[s][1]);
    if (!device.Device() || !PixelCounter(device.Device()).Ok())
      std::fprintf(stderr, "no device or no occlusion query at %d x %d\n", sizes[s][0], sizes[s][1]);
    for (const FrameRow& row : rows)
      figures[s].push_back(MeasureFrameRow(row, rows[0], device.Device(), sizes[s][0], sizes[s][1]));
    // The plain light as it was before the transparent fader was skipped.
    fader[s] = MeasureFrameRow(rows[0], rows[0], device.Device(), sizes[s][0], sizes[s][1], true).screens;
  }
  std::printf("  CPU time of the process per frame step, as a ratio to the plain light's at the same size\n"
              "  (the two in turns, five blocks of 30 steps each);\n"
              "  pixels the step draws, in screens (an occlusion query around the slide's draws)\n");
  std::printf("  %-36s %10s %10s %9s %9s\n", "", "1024x768", "1920x1080", "screens", "screens");
  for (size_t i = 0; i < rows.size(); ++i) {
    std::printf("  %-36s %10.2f %10.2f %9.2f %9.2f\n", rows[i].name, figures[0][i].ratio, figures[1][i].ratio,
                figures[0][i].screens, figures[1][i].screens);
    if (rows[i].ownWork)
      std::printf("  %-36s %9.1f%% %9.1f%%   of the step: %s\n", "", 100.0 * figures[0][i].own / figures[0][i].cpu,
                  100.0 * figures[1][i].own / figures[1][i].cpu, rows[i].ownName);
  }
  std::printf("  %-36s %10s %10s %9.2f %9.2f\n", "plain, transparent fader drawn", "", "", fader[0], fader[1]);
  std::printf("  plain light's step: %.3f ms at 1024 x 768, %.3f ms at 1920 x 1080\n", figures[0][0].cpu * 1e3,
              figures[1][0].cpu * 1e3);
  return {figures[1][0].cpu, {{"the plain light's step at 1024 x 768", figures[0][0].cpu}}};
}

const std::vector<BenchCase>& Cases() {
  static const std::vector<BenchCase> cases = {
      {"document_stream_read", DocumentRead},
      {"scene_document_load", SceneDocumentLoad},
      {"plain_light_frame_step", PlainLightFrameStep},
      {"shipped_scene_frame_step", ShippedSceneFrameStep},
      {"frame_step_table", FrameStepTable},
  };
  return cases;
}

}  // namespace

// Runs every case, or only those whose names contain the first argument.
int main(int argc, char** argv) {
  const std::string filter = argc > 1 ? argv[1] : "";
  for (const BenchCase& c : Cases()) {
    if (!filter.empty() && std::string(c.name).find(filter) == std::string::npos) continue;
    std::printf("%s\n", c.name);
    const BenchResult r = c.run();
    std::printf("  %.3f ms\n", r.seconds * 1e3);
    for (const Baseline& b : r.baselines)
      std::printf("  ratio %.2f to %s (%.3f ms)\n", r.seconds / b.seconds, b.name.c_str(), b.seconds * 1e3);
  }
  return 0;
}
