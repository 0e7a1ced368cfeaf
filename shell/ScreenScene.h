#pragma once
// What the application keeps per screen: its own copy of the scene document (slide show and
// resource manager) and the position in the music playlist.
#include <windows.h>
#include <cstddef>

class DS_SlideShow_Light;
class DS_DocResManager;

// The resource manager of the screen being drawn.
extern DS_DocResManager* g_docResManager;

class ScreenScene {
 public:
  // Loads the scene at the first acquisition, re-acquires device resources after a reset,
  // then runs the music step.
  void AcquireScene();
  void AdvanceSlideShow(float appTime);
  void OnMusicEvent(long eventCode);

  DS_SlideShow_Light* root = nullptr;            // null until the first acquisition
  DS_DocResManager* resourceManager = nullptr;  // null until the first acquisition
  size_t playlistPosition = 0;                  // the audio item to play next
};
