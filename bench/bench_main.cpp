// Benchmarks, as a list of named cases. Every case times its work and a baseline in the same
// run (best of several repetitions, QueryPerformanceCounter) and prints their ratio, so the
// figure does not depend on the machine's speed.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include <d3d9.h>
#include <d3dx9.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "document/DS_DocResManager.h"
#include "document/DS_IOF.h"
#include "lights/DS_FlameLight.h"
#include "runtime/DS_SlideShow_Light.h"
#include "lights/DS_MatrixCodeLight.h"
#include "lights/DS_WaterRingLight.h"
#include "runtime/LoadDocument.h"
#include "runtime/ScreenSelection.h"
#include "runtime/device/ComRef.h"
#include "runtime/device/CurrentDevice.h"
#include "runtime/device/TextureHelpers.h"
#include "scene/DocumentReaders.h"
#include "objects/FlashingEmitters.h"
#include "objects/RootedEmitters.h"
#include "objects/StreamingEmitters.h"
#include "objects/WanderingEmitters.h"

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

BenchResult SceneDocumentLoad() {
  BenchDevice device(640, 480);
  RegisterDocumentReaders();
  const std::vector<uint8_t> document = ReadFileBytes(TEVRANA_BENCH_DOCUMENT);
  std::vector<std::vector<uint8_t>> pictures = {ReadFileBytes(TEVRANA_BENCH_PICTURE_1),
                                                ReadFileBytes(TEVRANA_BENCH_PICTURE_2)};
  if (document.empty() || !device.Device()) std::fprintf(stderr, "no document or no device\n");
  constexpr int kRepetitions = 5;
  const double load = Seconds(
      [&] {
        auto root = LoadBenchScene(document);
        FreeBenchScene(root);
      },
      kRepetitions);
  // What the load cannot avoid: decoding its two pictures into textures, the way it does.
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
  std::printf("  scene document of %.2f MB\n", double(document.size()) / (1024.0 * 1024.0));
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

// ---- Matrix-code and water-ring lights --------------------------------------------------

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

// One frame step of a screen at 1920 x 1080 with the light over the benchmark's first picture
// (fill mode), against the same step with the plain light in the same run, as CPU time of the
// process per step (the renderer works on threads of its own). Then the light's own work
// alone (its simulation and the vertices it writes) as CPU time of this thread, run without
// drawing once the renderer is idle, so that no lock waits for it: its share of the step is
// what our code costs.
BenchResult LightFrameStep(const std::function<DS_2D_Light*()>& make, const char* ownName,
                           const std::function<void(DS_2D_Light&, float)>& ownWork) {
  constexpr int kWidth = 1920, kHeight = 1080;
  BenchDevice device(kWidth, kHeight);
  IDirect3DDevice9* d = device.Device();
  auto manager = std::make_unique<DS_DocResManager>();
  ScopedScreen selected(ScreenSelection::Current().WithResources(manager.get()));
  const std::vector<uint8_t> picture = ReadFileBytes(TEVRANA_BENCH_PICTURE_1);
  DS_FileRecord record;
  record.name = L"evening-lake.jpg";
  record.SetData(int32_t(picture.size()), picture.data());
  std::unique_ptr<DS_ImageFileLink> link = manager->CreateImageLinkFromRecord(record);
  auto prepare = [&](DS_2D_Light& light) {
    light.PictureLink().SetKey(link->Key());
    light.CreateDeviceResources();
    light.Resize(1, 1);
    light.SetPicturePosition(2);
    light.Resize(kWidth, kHeight);
    light.ResetCameraDrift();
    light.AcquireDeviceResources();
  };
  float t = 0.0f;
  auto step = [&](DS_2D_Light& light) {
    t += 0.03f;
    light.Update(t);
    if (SUCCEEDED(d->BeginScene())) {
      const int n = light.NeedsSceneCapture() ? 1 : 0;
      if (n) light.BeginSceneCapture();
      light.RenderBackground();
      light.RenderObjects({}, n);
      light.RenderOverlay();
      d->EndScene();
    }
    d->Present(nullptr, nullptr, nullptr, nullptr);
  };
  constexpr int kFrames = 200;
  auto measure = [&](DS_2D_Light& light) {
    prepare(light);
    for (int i = 0; i < 20; ++i) step(light);
    return CpuSecondsPerFrame([&] { step(light); }, kFrames);
  };
  double plain = 0.0;
  {
    DS_2D_Light plainLight;
    plain = measure(plainLight);
  }
  std::unique_ptr<DS_2D_Light> light(make());
  const double frame = measure(*light);
  FinishRendering(d);
  const double own = ThreadCpuSecondsPerRun([&] { ownWork(*light, t += 0.03f); }, 4 * kFrames);
  light.reset();
  link.reset();
  manager.reset();
  g_docResManager = nullptr;
  std::printf("  CPU time of the process per step, %d steps at %d x %d\n", kFrames, kWidth, kHeight);
  std::printf("  %s: %.1f %% of the step\n", ownName, 100.0 * own / frame);
  return {frame, {{"the plain light's step", plain}, {ownName, own}}};
}

BenchResult MatrixCodeFrameStep() {
  return LightFrameStep(
      [] {
        auto* light = new DS_MatrixCodeLight;
        light->trailColour.Assign(0x30D020ul);
        light->headColour.Assign(0xD8FFD8ul);
        light->density.Assign(100);  // the fullest rain
        light->sparkles.Assign(1);
        return light;
      },
      "the rain's step and glyph vertices alone",
      [](DS_2D_Light& light, float t) { static_cast<DS_MatrixCodeLight&>(light).StepAndBuildGlyphs(t); });
}

BenchResult WaterRingFrameStep() {
  return LightFrameStep(
      [] {
        auto* light = new DS_WaterRingLight;
        light->gridDensity.Assign(100);  // the most cells 16-bit indices allow
        return light;
      },
      "the water's step and vertices alone",
      [](DS_2D_Light& light, float) {
        static_cast<DS_WaterRingLight&>(light).Grid().Step(D3DXVECTOR3(0.0f, 120.0f, 0.0f));
      });
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

BenchResult SpriteEmittersFrameStep() {
  BenchDevice device(1024, 768);
  RegisterDocumentReaders();
  IDirect3DDevice9* d = device.Device();
  const std::vector<uint8_t> document = ReadFileBytes(TEVRANA_BENCH_DOCUMENT);
  auto root = LoadBenchScene(document);
  float t = 0.0f;
  const std::function<void()> step = ShowFrameStep(*root, d, t);
  constexpr int kFrames = 600;
  for (int i = 0; i < 20; ++i) step();
  const double plain = CpuSecondsPerFrame(step, kFrames);
  // The same slides with the emitters on every one of them.
  std::vector<DS_ABObj*> emitters;
  for (auto& slide : root->slides) {
    for (DS_BaseSpriteProp* item : ThirteenEmitters()) {
      DS_ABObj* object = item->CreateObject();
      delete item;
      emitters.push_back(object);
      slide->objects.emplace_back(object);
    }
  }
  for (int i = 0; i < 20; ++i) step();
  const double withEmitters = CpuSecondsPerFrame(step, kFrames);
  // Our own share: the emitters' updates (motion and vertex writing) of one step.
  float u = t;
  const double updates = Seconds(
      [&] {
        u += 0.03f;
        for (DS_ABObj* object : emitters) object->Update(u);
      },
      200);
  FreeBenchScene(root);
  std::printf("  CPU time of the process per step, %d steps at 1024 x 768, 13 emitters per slide\n", kFrames);
  const double perStep = updates / double(emitters.size() / 13);  // one slide's 13 move per step
  std::printf("  updates of the 13 emitters of one slide: %.4f ms (%.1f %% of a step)\n", perStep * 1e3,
              100.0 * perStep / withEmitters);
  return {withEmitters, {{"the plain light's step", plain}}};
}

// ---- 3D objects -------------------------------------------------------------------------------

// One frame step of a slide with three butterflies, a clock and forty falling leaves, against
// the same slide through the plain light without them.
BenchResult Objects3DFrameStep() {
  BenchDevice device(1024, 768);
  RegisterDocumentReaders();
  IDirect3DDevice9* d = device.Device();
  auto root = LoadBenchScene(ReadFileBytes(TEVRANA_BENCH_OBJECTS3D_DOCUMENT));
  if (!root || root->slides.empty() || !d) {
    std::fprintf(stderr, "no document or no device\n");
    return {0.0, {}};
  }
  float t = 0.0f;
  const std::function<void()> step = ShowFrameStep(*root, d, t);
  constexpr int kFrames = 600;
  for (int i = 0; i < 20; ++i) step();
  const double withObjects = CpuSecondsPerFrame(step, kFrames);
  std::vector<DS_SharedPtr<DS_ABObj>>& objects = root->slides.front()->objects;
  std::vector<DS_SharedPtr<DS_ABObj>> kept;
  kept.swap(objects);
  const double plain = CpuSecondsPerFrame(step, kFrames);
  kept.swap(objects);
  // Our own share: the objects' updates (flight, hands, leaves) of one step.
  float u = t;
  const double updates = Seconds(
      [&] {
        u += 0.03f;
        for (auto& object : objects) object->Update(u);
      },
      200);
  FreeBenchScene(root);
  std::printf("  CPU time of the process per step, %d steps at 1024 x 768\n", kFrames);
  std::printf("  updates of the three objects: %.4f ms (%.1f %% of a step)\n", updates * 1e3,
              100.0 * updates / withObjects);
  return {withObjects, {{"the same slide through the plain light without them", plain}}};
}

const std::vector<BenchCase>& Cases() {
  static const std::vector<BenchCase> cases = {
      {"document_stream_read", DocumentRead},
      {"scene_document_load", SceneDocumentLoad},
      {"plain_light_frame_step", PlainLightFrameStep},
      {"matrix_code_frame_step", MatrixCodeFrameStep},
      {"water_ring_frame_step", WaterRingFrameStep},
      {"sprite_emitters_frame_step", SpriteEmittersFrameStep},
      {"shipped_scene_frame_step", ShippedSceneFrameStep},
      {"objects3d_frame_step", Objects3DFrameStep},
  };
  return cases;
}

// SCRATCH
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
