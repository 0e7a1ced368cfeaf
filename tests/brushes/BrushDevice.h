#pragma once
// A device fixture for brushes: a real device, a resource manager with a striped picture
// (detail everywhere, so that any displacement shows), the plain light as draw host in
// stretch mode (one picture pixel per screen pixel), and masks made in memory. The brushes'
// effects come from the built "common_res.dll" beside the test program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "brushes/DS_FX_Constructor.h"
#include "document/DS_DocResManager.h"
#include "runtime/DS_2D_Light.h"
#include "runtime/DS_SharedPtr.h"
#include "runtime/ScreenSelection.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/TestDevice.h"

class BrushDevice {
 public:
  static constexpr int kW = 128, kH = 96;

  BrushDevice() {
    picture = manager.CreateImageLinkFromRecord(RecordWithBytes(
        MakeBmp(kW, kH,
                [](int x, int y) -> uint32_t {
                  const uint32_t base = uint32_t(60 + y) << 16 | uint32_t(80 + y / 2) << 8 | uint32_t(140 - y / 2);
                  return ((x + 2 * y) / 5) % 2 ? base : base + 0x404040;
                }),
        L"stripes.bmp"));
    light.PictureLink().SetKey(picture->Key());
    light.CreateDeviceResources();
    light.Resize(1, 1);
    light.SetPicturePosition(0);
    light.Resize(kW, kH);
    light.AcquireDeviceResources();
  }

  // A 512 x 512 A8 mask whose alpha is inside(u, v) ? 255 : 0, stored under the identity.
  void StoreMask(const GUID& identity, const std::function<bool(float, float)>& inside) {
    ComRef<IDirect3DTexture9> mask;
    ASSERT_EQ(D3DXCreateTexture(device.Device(), 512, 512, 1, 0, D3DFMT_A8, D3DPOOL_MANAGED, mask.Put()), D3D_OK);
    D3DLOCKED_RECT r;
    ASSERT_EQ(mask->LockRect(0, &r, nullptr, 0), D3D_OK);
    for (int y = 0; y < 512; ++y)
      for (int x = 0; x < 512; ++x)
        static_cast<uint8_t*>(r.pBits)[y * r.Pitch + x] = inside((x + 0.5f) / 512, (y + 0.5f) / 512) ? 255 : 0;
    mask->UnlockRect(0);
    manager.Tables().guidTextures[identity] = mask;
  }

  // The render object of the brush (bound as a slide binds it).
  DS_SharedPtr<DS_ABObj> Object(DS_FX_Constructor& brush) { return DS_SharedPtr<DS_ABObj>(brush.CreateObject()); }

  // One frame as a slide draws it: capture when something samples the scene, the picture,
  // the objects, the overlay. Before is drawn over the picture first (an object that a
  // scene-sampling brush must keep).
  std::vector<uint32_t> Frame(const std::vector<DS_SharedPtr<DS_ABObj>>& objects, float t) {
    int n = 0;
    for (auto& o : objects) {
      o->Update(t);
      n += o->IsSceneEffect() ? 1 : 0;
    }
    IDirect3DDevice9* d = device.Device();
    d->BeginScene();
    if (n > 0) light.BeginSceneCapture();
    light.RenderBackground();
    light.RenderObjects(objects, n);
    light.RenderOverlay();
    d->EndScene();
    return device.ReadBack();
  }

  Rgba At(const std::vector<uint32_t>& px, int x, int y) const { return TestDevice::At(px, kW, x, y); }

  // Pixels that differ by more than tol, inside and outside a region of the picture.
  struct Changes {
    int inside = 0, outside = 0;
  };
  Changes Compare(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                  const std::function<bool(float, float)>& region, int tol = 6) const {
    Changes c;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        if (Near(At(a, x, y), At(b, x, y), tol)) continue;
        (region((x + 0.5f) / kW, (y + 0.5f) / kH) ? c.inside : c.outside) += 1;
      }
    return c;
  }

  void SaveIfAsked(const char* name) {
    if (const char* dir = std::getenv("TEVRANA_SHOT_DIR")) {
      std::string path = std::string(dir) + "/" + name + ".png";
      device.SavePng(std::wstring(path.begin(), path.end()).c_str());
    }
  }

  TestDevice device{kW, kH};
  DS_DocResManager manager;
  ScopedScreen selected{ScreenSelection::Current().WithResources(&manager)};
  std::unique_ptr<DS_ImageFileLink> picture;
  DS_2D_Light light;
};
