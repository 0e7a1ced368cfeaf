#pragma once
// What a device still has bound that would keep a default-pool resource alive across a
// Reset on Windows: textures on samplers, stream sources, indices, render targets other
// than the back buffer. Wine's own bindings hold no reference the program can count, so
// the tests ask the device.
#include <d3d9.h>

#include <string>
#include <vector>

// One line for each binding left, e.g. "texture on sampler 3"; none when the device is
// ready for a Reset.
std::vector<std::string> DeviceBindings(IDirect3DDevice9* device);
