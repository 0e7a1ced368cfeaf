#pragma once
// What still holds a device once its program has let go of it. While a DeviceHolders lives,
// the device's table of operations is a copy (as DeviceRules patches it) whose operations
// that make a resource, or hand out one of the device's own surfaces, keep one more
// reference to it with a description: the operation and what the resource is. LetGo then
// names each such resource that someone besides the watch still holds, and the references
// on the device that no resource accounts for (a D3DX effect, mesh or font holds the device
// itself). The copy's Release notes the device's last release, so that nothing touches a
// device that is gone. A device under watch cannot be reset: the watch holds its default-pool
// resources too.
#include <d3d9.h>

#include <string>
#include <vector>

#include "tests/support/PatchedTable.h"

class DeviceHolders {
 public:
  explicit DeviceHolders(IDirect3DDevice9* device);
  ~DeviceHolders();
  DeviceHolders(const DeviceHolders&) = delete;
  DeviceHolders& operator=(const DeviceHolders&) = delete;

  // Lets go of every reference the watch keeps and names, one line per kind with its
  // count, what holds the device besides the owner's references; empty when nothing does.
  std::vector<std::string> LetGo(ULONG ownerReferences);
  bool DeviceGone() const { return gone_; }
  IDirect3DDevice9* Device() const { return device_; }

  // For the hooks.
  void Keep(IUnknown* resource, std::string description);
  void NoteGone();
  PatchedDeviceTable patch;  // the table goes back with the watch, unless the device is gone

 private:
  struct Kept {
    IUnknown* resource;  // one reference is the watch's
    std::string description;
  };
  IDirect3DDevice9* device_;
  std::vector<Kept> kept_;  // while any is kept, the device cannot be gone
  bool gone_ = false;
};
