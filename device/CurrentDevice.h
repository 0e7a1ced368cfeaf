#pragma once
// The Direct3D device of the screen being drawn. The shell selects it per screen, with the
// screen's other pointers (SelectScreen, runtime/ScreenSelection.h); every scene class draws
// through it and makes its resources on it. Not owned.
#include <d3d9.h>

extern IDirect3DDevice9* g_currentDevice;
