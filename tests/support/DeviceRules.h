#pragma once
// Direct3D 9 rules that Wine's d3d9 lets pass, checked on a real device. While a
// DeviceRules lives, the device's table of operations is a copy whose scene, clear, draw,
// present, reset (nothing may stay bound), copy and binding operations first check the call against what the
// Direct3D 9 documentation allows, then make it. Each break is kept as one line naming the
// call and the rule, with how often it happened. (Patching the table is the only way to
// see every call in-process, also those made by D3DX effects.)
//
// The device must not be a pure device: the checks read its states back.
#include <d3d9.h>

#include <map>
#include <string>

#include "tests/support/PatchedTable.h"

class DeviceRules {
 public:
  explicit DeviceRules(IDirect3DDevice9* device);
  ~DeviceRules();
  DeviceRules(const DeviceRules&) = delete;
  DeviceRules& operator=(const DeviceRules&) = delete;

  // Every break with its count, one per line; empty when every call kept the rules.
  std::string Report() const;
  bool Kept() const { return breaks_.empty(); }
  int Draws() const { return draws_; }

  // For the hooks.
  void Break(const std::string& rule) { ++breaks_[rule]; }
  // Inside a scene, of some primitives; CheckDraw adds what buffer draws need.
  void CheckSceneDraw(const std::string& name, UINT primitives);
  void CheckDraw(const char* call, UINT primitives, bool indexed);
  IDirect3DDevice9* device;
  PatchedDeviceTable patch;
  bool inScene = false;

 private:
  std::map<std::string, int> breaks_;
  int draws_ = 0;
};
