#pragma once
// What the application keeps per screen: its own copy of the scene document (slide show and
// resource manager), its own 2D view and virtual screen, and the position in the music
// playlist.
#include <windows.h>
#include <cstddef>
#include <memory>

#include "runtime/DS_View2D.h"
#include "runtime/ScreenSelection.h"

class DS_SlideShow_Light;
class DS_DocResManager;

class ScreenScene {
 public:
  ScreenScene();
  ~ScreenScene();

  // Frees the slide show and the resource manager, with every texture, mesh and effect
  // they hold of the screen's device, and the view's bars, so that the device goes with
  // the host's reference.
  // Nothing of the scene stays selected; the next acquisition loads the document again.
  void Free();

  // Loads the scene at the first acquisition, re-acquires device resources after a reset,
  // then runs the music step.
  void AcquireScene();
  void AdvanceSlideShow(float appTime);
  // End of a file (EC_COMPLETE) plays the next item; every other code is ignored.
  void OnMusicEvent(long eventCode);
  // Plays the item at the playlist position with the stored volume and moves on, wrapping
  // after the last item; an empty list plays nothing.
  void MusicStep();
  // What selecting this screen selects, so that its scene draws only with its own device's
  // resources: the device, this screen's view and virtual screen, and once the scene is
  // loaded its manager with its cache (until then the manager selected before stays).
  ScreenSelection Selection(IDirect3DDevice9* device);

  std::unique_ptr<DS_SlideShow_Light> root;           // null until the first acquisition
  std::unique_ptr<DS_DocResManager> resourceManager;  // null until the first acquisition
  size_t playlistPosition = 0;                  // the audio item to play next
  DS_View2D view;
  DS_VirtualScreen virtualScreen;
};
