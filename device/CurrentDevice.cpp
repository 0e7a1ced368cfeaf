#include "device/CurrentDevice.h"

IDirect3DDevice9* g_currentDevice = nullptr;
