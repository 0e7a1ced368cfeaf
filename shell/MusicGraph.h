#pragma once
// The DirectShow graph that plays the document's music, one file after another. It is
// built in full-screen and test mode with the main window receiving its events as message
// kMusicEventMessage; every failure is silent (the screensaver then runs without music).
#include <windows.h>
#include <dshow.h>

#include "device/ComRef.h"
#include "document/DS_IOF.h"
#include "shell/Music.h"

class DS_AudioFile;

extern ComRef<IGraphBuilder> g_musicGraph;
extern ComRef<IMediaControl> g_musicControl;
extern ComRef<IMediaSeeking> g_musicSeeking;
extern ComRef<IMediaEventEx> g_musicEvents;
extern ComRef<IBasicAudio> g_musicAudio;
// The source filter of the item playing now; removed before the next one is added so that
// a long run does not pile up filters and open files.
extern ComRef<IBaseFilter> g_musicSource;

// Plays the item's file from its start.
void PlayMusicFile(DS_AudioFile& item);
// True when playback started through the source's "Output" pin.
bool RenderMusicSourcePin(IBaseFilter* source);
// 1 when the graph exists and was asked to render and run the file.
int RenderMusicFile(const ds_string& path);
// Silence when muted, otherwise the cached "SoundVolume" (0..100) as hundredths of a dB.
void SetMusicVolume(bool mute);
// The DirectShow volume for a volume setting: 100 gives 0, 75 gives -1000, 0 gives -4000.
long MusicVolumeFor(bool mute, unsigned volume);
