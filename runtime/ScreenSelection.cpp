#include "runtime/ScreenSelection.h"

#include "device/CurrentDevice.h"
#include "document/DS_DocResManager.h"
#include "document/DS_ResourceCache.h"
#include "runtime/DS_View2D.h"

namespace {
// What a screen draws with until it selects its own view, so the view is never null.
DS_View2D g_defaultView2D;
DS_VirtualScreen g_defaultVirtualScreen;
}  // namespace

DS_View2D* g_view2D = &g_defaultView2D;
DS_VirtualScreen* g_virtualScreen = &g_defaultVirtualScreen;

ScreenSelection ScreenSelection::Current() {
  return ScreenSelection{g_currentDevice, g_docResManager, g_resourceCache, g_view2D, g_virtualScreen};
}

ScreenSelection ScreenSelection::WithDevice(IDirect3DDevice9* newDevice) const {
  ScreenSelection s = *this;
  s.device = newDevice;
  return s;
}

ScreenSelection ScreenSelection::WithResources(DS_DocResManager* manager) const {
  ScreenSelection s = *this;
  s.docResManager = manager;
  s.resourceCache = manager ? &manager->Cache() : nullptr;
  return s;
}

ScreenSelection ScreenSelection::WithView(DS_View2D* newView, DS_VirtualScreen* newScreen) const {
  ScreenSelection s = *this;
  s.view = newView;
  s.virtualScreen = newScreen;
  return s;
}

void SelectScreen(const ScreenSelection& screen) {
  g_currentDevice = screen.device;
  g_docResManager = screen.docResManager;
  g_resourceCache = screen.resourceCache;
  g_view2D = screen.view ? screen.view : &g_defaultView2D;
  g_virtualScreen = screen.virtualScreen ? screen.virtualScreen : &g_defaultVirtualScreen;
}

ScopedScreen::ScopedScreen(const ScreenSelection& screen) : previous_(ScreenSelection::Current()) {
  SelectScreen(screen);
}

ScopedScreen::~ScopedScreen() { SelectScreen(previous_); }
