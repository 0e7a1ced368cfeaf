#include "shell/MusicGraph.h"

#include <vector>

#include "runtime/DS_AudioFile.h"
#include "shell/Settings.h"

ComRef<IGraphBuilder> g_musicGraph;
ComRef<IMediaControl> g_musicControl;
ComRef<IMediaSeeking> g_musicSeeking;
ComRef<IMediaEventEx> g_musicEvents;
ComRef<IBasicAudio> g_musicAudio;
ComRef<IBaseFilter> g_musicSource;

namespace {
template <class T>
bool QueryGraph(REFIID iid, ComRef<T>& out) {
  return SUCCEEDED(g_musicGraph->QueryInterface(iid, reinterpret_cast<void**>(out.Put())));
}

// Takes the previous item's source filter out of the graph (stopped first, since a
// running graph cannot give up a filter).
void RemovePreviousSource() {
  if (!g_musicSource) return;
  if (g_musicGraph) {
    if (g_musicControl) g_musicControl->Stop();
    g_musicGraph->RemoveFilter(g_musicSource.Get());
  }
  g_musicSource.Reset();
}
}  // namespace

int InitMusicGraph(HWND window) {
  if (FAILED(CoInitialize(nullptr))) return 0;
  if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr,
                              CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IGraphBuilder,
                              reinterpret_cast<void**>(g_musicGraph.Put()))))
    return 0;
  if (!QueryGraph(IID_IMediaControl, g_musicControl)) return 0;
  if (!QueryGraph(IID_IMediaSeeking, g_musicSeeking)) return 0;
  if (!QueryGraph(IID_IMediaEventEx, g_musicEvents)) return 0;
  if (!QueryGraph(IID_IBasicAudio, g_musicAudio)) return 0;
  g_musicEvents->SetNotifyWindow(reinterpret_cast<OAHWND>(window), kMusicEventMessage, 0);
  return 1;
}

void PlayMusicFile(DS_AudioFile& item) {
  const ds_string path = item.sound.name;
  RemovePreviousSource();
  if (g_musicGraph) g_musicGraph->AddSourceFilter(path.c_str(), path.c_str(), g_musicSource.Put());
  if (RenderMusicSourcePin(g_musicSource.Get())) return;
  if (g_musicControl) g_musicControl->Stop();
  RemovePreviousSource();  // RenderFile brings a source of its own
  if (RenderMusicFile(path) && g_musicGraph)
    g_musicGraph->FindFilterByName(path.c_str(), g_musicSource.Put());
}

bool RenderMusicSourcePin(IBaseFilter* source) {
  try {
    if (!source || !g_musicGraph || !g_musicControl || !g_musicSeeking) return false;
    ComRef<IPin> output;
    if (FAILED(source->FindPin(L"Output", output.Put())) || !output) return false;
    g_musicControl->Stop();
    std::vector<ComRef<IBaseFilter>> filters;
    {
      ComRef<IEnumFilters> list;
      if (FAILED(g_musicGraph->EnumFilters(list.Put())) || !list) return false;
      ComRef<IBaseFilter> filter;
      while (list->Next(1, filter.Put(), nullptr) == S_OK) filters.push_back(filter);
    }
    // Taking each filter out and putting it back disconnects the whole graph while keeping
    // its filters, so Render can reuse the decoder and the audio renderer.
    for (auto& filter : filters) {
      g_musicGraph->RemoveFilter(filter.Get());
      g_musicGraph->AddFilter(filter.Get(), nullptr);
    }
    filters.clear();
    if (FAILED(g_musicGraph->Render(output.Get()))) return false;
    output.Reset();
    LONGLONG start = 0;
    g_musicSeeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr,
                                 AM_SEEKING_NoPositioning);
    g_musicControl->Run();
    return true;
  } catch (...) {
    return false;
  }
}

int RenderMusicFile(const ds_string& path) {
  if (!g_musicGraph) return 0;
  g_musicGraph->RenderFile(path.c_str(), nullptr);
  if (g_musicControl) g_musicControl->Run();
  return 1;
}

long MusicVolumeFor(bool mute, unsigned volume) {
  if (mute) return -10000;
  return long((double(volume) - 100.0) * 100.0 * 0.4);
}

void SetMusicVolume(bool mute) {
  if (!g_musicAudio) return;
  g_musicAudio->put_Volume(MusicVolumeFor(mute, unsigned(g_soundVolume)));
}

long GetMusicEvent() {
  if (!g_musicEvents) return -1;
  long code = 0;
  LONG_PTR first = 0, second = 0;
  if (FAILED(g_musicEvents->GetEvent(&code, &first, &second, 0))) return -1;
  g_musicEvents->FreeEventParams(code, first, second);
  return code;
}

void ReleaseMusicGraph() {
  g_musicSource.Reset();
  g_musicAudio.Reset();
  g_musicEvents.Reset();
  g_musicSeeking.Reset();
  g_musicControl.Reset();
  g_musicGraph.Reset();
}
