#pragma once
// The screen that scene code draws and loads through: the five process-wide pointers that
// every scene class reads (g_currentDevice, g_docResManager, g_resourceCache, g_view2D,
// g_virtualScreen), selected together. The shell selects a screen before it works on it;
// the document load selects the manager it made; tests select what they draw with for a
// scope.
#include <d3d9.h>

class DS_DocResManager;
class DS_ResourceCache;
class DS_View2D;
struct DS_VirtualScreen;

struct ScreenSelection {
  IDirect3DDevice9* device = nullptr;
  DS_DocResManager* docResManager = nullptr;
  DS_ResourceCache* resourceCache = nullptr;  // the manager's own cache
  DS_View2D* view = nullptr;                  // null: the process-wide default view
  DS_VirtualScreen* virtualScreen = nullptr;  // null: the process-wide default

  // What is selected now.
  static ScreenSelection Current();
  // The same selection with one part replaced.
  ScreenSelection WithDevice(IDirect3DDevice9* newDevice) const;
  // The manager with its own cache; null selects neither.
  ScreenSelection WithResources(DS_DocResManager* manager) const;
  ScreenSelection WithView(DS_View2D* newView, DS_VirtualScreen* newScreen) const;
};

// Sets all five pointers.
void SelectScreen(const ScreenSelection& screen);

// Selects a screen for a scope and selects again what was selected before when it ends.
class ScopedScreen {
 public:
  explicit ScopedScreen(const ScreenSelection& screen);
  ~ScopedScreen();
  ScopedScreen(const ScopedScreen&) = delete;
  ScopedScreen& operator=(const ScopedScreen&) = delete;

 private:
  ScreenSelection previous_;
};
