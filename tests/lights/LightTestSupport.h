#pragma once
// What the matrix-code and water-ring light tests share: a device, a document resource
// manager with pictures the test makes, one frame drawn the way a slide draws it, and
// pixel statistics over a read-back frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/DS_DocResManager.h"
#include "runtime/DS_2D_Light.h"
#include "runtime/DS_View2D.h"
#include "runtime/Random.h"
#include "runtime/ScreenSelection.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/TestDevice.h"

class LightTest : public ::testing::Test {
 public:
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 120;

  static Rgba At(const std::vector<uint32_t>& px, int x, int y) { return TestDevice::At(px, kWidth, x, y); }
  static int Brightness(const Rgba& c) { return (c.r + c.g + c.b) / 3; }

 protected:

  void SetUp() override {
    ASSERT_TRUE(device.Ok());
    srand(1);  // every case sees the same rain and the same drops
  }

  // A picture the document carries, as a BMP of w x h whose pixel (x, y) is rgb(x, y).
  DS_LinkKey Picture(int w, int h, const std::function<uint32_t(int, int)>& rgb) {
    links.push_back(manager.CreateImageLinkFromRecord(
        RecordWithBytes(MakeBmp(w, h, rgb), L"picture" + std::to_wstring(links.size()) + L".bmp")));
    return links.back()->Key();
  }

  // As a slide does: after loading, then when it becomes current.
  static void Start(DS_2D_Light& light, int mode = 0) {
    light.CreateDeviceResources();
    light.Resize(1, 1);
    light.SetPicturePosition(mode);
    light.Resize(kWidth, kHeight);
    light.ResetCameraDrift();
    light.AcquireDeviceResources();
  }

  // One frame of a slide: the capture when needed, background, objects, overlay.
  std::vector<uint32_t> Frame(DS_2D_Light& light, const std::vector<DS_SharedPtr<DS_ABObj>>& objects = {}) {
    IDirect3DDevice9* d = device.Device();
    d->BeginScene();
    int n = 0;
    for (const auto& object : objects) n += object->IsSceneEffect() ? 1 : 0;
    if (light.NeedsSceneCapture()) ++n;
    if (n > 0) light.BeginSceneCapture();
    light.RenderBackground();
    light.RenderObjects(objects, n);
    light.RenderOverlay();
    d->EndScene();
    return device.ReadBack();
  }

  // Saves the frame when the variable names a folder (for looking at a case).
  void Save(const char* name) {
    if (const char* folder = std::getenv("TEVRANA_LIGHT_SHOTS")) {
      std::string path = std::string(folder) + "/" + name + ".png";
      device.SavePng(std::wstring(path.begin(), path.end()).c_str());
    }
  }

  TestDevice device{kWidth, kHeight};
  DS_DocResManager manager;
  // The manager, with the process-wide default view and virtual screen.
  ScopedScreen selected{ScreenSelection::Current().WithResources(&manager).WithView(nullptr, nullptr)};
  std::vector<std::unique_ptr<DS_ImageFileLink>> links;
};
