// The 3D objects and leaf frames on a real device under Xvfb, drawn through the plain light
// over a black 384 x 384 picture that fills the 384 x 384 target (picture pixel = screen
// pixel): meshes loaded from a document's bytes and from the resource module, translucent
// parts drawn in both cull passes, the clock's hands at injected times, wings without a
// picture left out, and falling leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>

#include "document/DS_DocResManager.h"
#include "objects/DS_3D_in_2D_array.h"
#include "objects/DS_ButterflyConstructor.h"
#include "objects/DS_ClockConstructor.h"
#include "runtime/DS_2D_Light.h"
#include "runtime/ScreenSelection.h"
#include "tests/objects3d/Objects3DFixture.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/TestDevice.h"

namespace {

constexpr int kSize = 384;

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
std::vector<uint8_t> Fixture(const char* name) { return FileBytes(std::string(TEVRANA_OBJECTS3D_FIXTURES) + "/" + name); }
std::vector<uint8_t> Built(const char* name) { return FileBytes(std::string(TEVRANA_OBJECTS3D_ASSETS) + "/" + name); }

class Objects3DDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.Ok());
    srand(1);
    picture = manager.CreateImageLinkFromRecord(RecordWithBytes(SolidBmp(kSize, kSize, 0x000000), L"black.bmp"));
    light.PictureLink().SetKey(picture->Key());
    light.CreateDeviceResources();
    light.SetPicturePosition(0);
    light.Resize(kSize, kSize);
    light.AcquireDeviceResources();
  }

  // An 8 x 8 texture of one colour with alpha, kept under a key of the document.
  DS_LinkKey Picture(const wchar_t* name, D3DCOLOR argb) {
    ComRef<IDirect3DTexture9> t;
    D3DXCreateTexture(device.Device(), 8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t.Put());
    D3DLOCKED_RECT r{};
    if (t && SUCCEEDED(t->LockRect(0, &r, nullptr, 0))) {
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) static_cast<uint32_t*>(r.pBits)[y * (r.Pitch / 4) + x] = argb;
      t->UnlockRect(0);
    }
    const DS_LinkKey key{name, 1};
    manager.Tables().textureSets[key].textures = {t};
    return key;
  }
  // A mesh file the document carries under a key.
  DS_LinkKey CarriedMesh(const wchar_t* name, const std::vector<uint8_t>& bytes) {
    const DS_LinkKey key{name, 2};
    manager.Tables().loadedFiles[key] = {RecordWithBytes(bytes, name)};
    return key;
  }

  std::vector<uint32_t> Draw(DS_ABObj& object, int frames = 3, float step = 0.02f) {
    for (int i = 1; i <= frames; ++i) object.Update(step * float(i));
    device.Device()->BeginScene();
    light.RenderBackground();
    object.Render(light);
    device.Device()->EndScene();
    return device.ReadBack();
  }
  static int Brightness(const std::vector<uint32_t>& px, int x, int y) {
    const Rgba c = TestDevice::At(px, kSize, std::clamp(x, 0, kSize - 1), std::clamp(y, 0, kSize - 1));
    return (c.r + c.g + c.b) / 3;
  }

  TestDevice device{kSize, kSize};
  DS_DocResManager manager;
  ScopedScreen selected{ScreenSelection::Current().WithResources(&manager)};
  std::unique_ptr<DS_ImageFileLink> picture;
  DS_2D_Light light;
};

TEST_F(Objects3DDraw, MeshesLoadFromTheDocumentsBytesAndFromTheModule) {
  const std::vector<uint8_t> pyramid = Fixture("pyramid.x");
  ASSERT_FALSE(pyramid.empty());
  struct Loaded {
    uint32_t vertices, faces;
    D3DXVECTOR3 centre;
    float radius;
  };
  auto check = [](const char* from, const DS_IndexedMesh<DX_V::PNT>& mesh, const Loaded& e) {
    SCOPED_TRACE(from);
    EXPECT_EQ(mesh.vertexCount, e.vertices);
    EXPECT_EQ(mesh.indexedPrimitiveCount, e.faces);
    EXPECT_EQ(mesh.primitiveType, D3DPT_TRIANGLELIST);
    EXPECT_EQ(bool(mesh.vertexBuffer), e.vertices > 0);
    EXPECT_EQ(bool(mesh.indexBuffer), e.vertices > 0);
    EXPECT_NEAR(mesh.boundingCentre.x, e.centre.x, 1e-3f);
    EXPECT_NEAR(mesh.boundingCentre.y, e.centre.y, 1e-3f);
    EXPECT_NEAR(mesh.boundingCentre.z, e.centre.z, 1e-3f);
    EXPECT_NEAR(mesh.boundingRadius, e.radius, 1e-3f);
  };
  // The pyramid's sphere is centred on the mean of its corners; the square's on its middle.
  const Loaded pyramidMesh{5, 6, {0, 20, 0}, 80};
  const Loaded square{4, 2, {0, 0, 0}, 50.0f * std::sqrt(2.0f)};
  const Loaded none{0, 0, {0, 0, 0}, 0};

  DS_MeshFile carried, module(70, L"common_res.dll"), missing(L"missing.x", 3);
  carried.SetKey(CarriedMesh(L"pyramid.x", pyramid));
  DS_MeshPart fromDocument, fromModule, fromNothing;
  fromDocument.LoadMesh(carried);
  fromModule.LoadMesh(module);
  fromNothing.LoadMesh(missing);
  check("part, document bytes", fromDocument, pyramidMesh);
  check("part, module", fromModule, square);
  check("part, no mesh", fromNothing, none);
  EXPECT_FALSE(fromNothing.Drawable());

  DS_FrameListMesh recordBytes, recordModule, recordEmpty;
  recordBytes.LoadMeshFromRecord(RecordWithBytes(pyramid, L"leaf.x"));
  recordModule.LoadMeshFromRecord(DS_FileRecord(70, L"common_res.dll"));
  recordEmpty.LoadMeshFromRecord(DS_FileRecord());
  check("leaf, record bytes", recordBytes, pyramidMesh);
  check("leaf, module", recordModule, square);
  check("leaf, empty record", recordEmpty, none);
  EXPECT_EQ(recordBytes.AddFrame()->boundingRadius, 80.0f);
}

TEST_F(Objects3DDraw, ATranslucentPartIsDrawnInBothCullPasses) {
  // A clock whose face is the closed pyramid in half-transparent white: seen from the front
  // every covered pixel has a front and a back face, so both passes give 255 x (1 - 1/4) =
  // 191 where one pass would give 128. The hands are fully transparent.
  DS_ClockConstructor clock;
  clock.placement.x.Value() = 192;
  clock.placement.y.Value() = 192;
  clock.size.Assign(200);  // the 100-unit base covers 92..292 both ways
  clock.meshLink.SetKey(CarriedMesh(L"pyramid.x", Fixture("pyramid.x")));
  clock.imageLink.SetKey(Picture(L"half white", 0x80FFFFFF));
  clock.arrowImage.SetKey(Picture(L"clear", 0x00000000));
  std::unique_ptr<DS_ABObj> object(clock.CreateObject());
  const std::vector<uint32_t> px = Draw(*object);
  for (auto [x, y] : {std::pair{120, 120}, {264, 120}, {192, 150}, {150, 260}, {250, 250}})
    EXPECT_NEAR(Brightness(px, x, y), 191, 4) << x << "," << y;
  EXPECT_EQ(Brightness(px, 80, 192), 0);
  EXPECT_EQ(Brightness(px, 192, 300), 0);
}

// The brightness of the darkest pixel across a hand's width (7 pixels) at distance r from
// (cx, cy) in the direction of a clock angle.
int DarkestAcross(const std::vector<uint32_t>& px, int cx, int cy, float degrees, float r) {
  const float a = degrees * 3.1415927f / 180.0f;
  const float dx = std::sin(a), dy = -std::cos(a);
  int darkest = 255;
  for (int k = -3; k <= 3; ++k) {
    const int x = int(std::lround(float(cx) + r * dx - float(k) * dy));
    const int y = int(std::lround(float(cy) + r * dy + float(k) * dx));
    const Rgba c = TestDevice::At(px, kSize, x, y);
    darkest = std::min(darkest, (c.r + c.g + c.b) / 3);
  }
  return darkest;
}

TEST_F(Objects3DDraw, TheClocksHandsPointAtTheInjectedTime) {
  // The module's dial and hands, size 320 around the middle: the hour hand reaches 80
  // pixels out, the minute hand 102, the first marks begin at 103.
  struct Case {
    int h, m, s;
    std::vector<float> hands, dial;  // directions, degrees clockwise from 12
  };
  const Case cases[] = {{3, 0, 0, {90, 0}, {180, 270, 45}}, {12, 0, 0, {0}, {90, 180, 270}}, {18, 30, 0, {195, 180}, {0, 90, 270}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.h << ":" << c.m << ":" << c.s);
    DS_ClockConstructor clock;
    clock.placement.x.Value() = 192;
    clock.placement.y.Value() = 192;
    clock.size.Assign(320);
    clock.localTime = [c](DS_ClockTime& t) {
      t = {c.h, c.m, c.s};
      return true;
    };
    std::unique_ptr<DS_ABObj> object(clock.CreateObject());
    const std::vector<uint32_t> px = Draw(*object);
    // The face is there: the dial's cream inside the square, black outside.
    EXPECT_GT(Brightness(px, 192 + 40, 192 + 40), 170);
    EXPECT_EQ(Brightness(px, 20, 20), 0);
    for (float r : {30.0f, 45.0f, 60.0f, 70.0f}) {
      for (float d : c.hands) EXPECT_LT(DarkestAcross(px, 192, 192, d, r), 100) << "no hand at " << d << " degrees, r " << r;
      for (float d : c.dial) EXPECT_GT(DarkestAcross(px, 192, 192, d, r), 150) << "a hand at " << d << " degrees, r " << r;
    }
  }
}

TEST_F(Objects3DDraw, ANewFacePictureShowsOnTheClockAlreadyShown) {
  DS_ClockConstructor clock;
  clock.placement.x.Value() = 192;
  clock.placement.y.Value() = 192;
  clock.size.Assign(320);
  clock.localTime = [](DS_ClockTime& t) {  // both hands straight up, away from the pixel looked at
    t = {12, 0, 0};
    return true;
  };
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(clock.CreateObject()));
  auto isRed = [](Rgba c) { return c.r > 200 && c.g < 40 && c.b < 40; };
  EXPECT_FALSE(isRed(TestDevice::At(Draw(*object), kSize, 232, 232)));

  // The item the slide holds is not the one shown: its change reaches nothing drawn.
  clock.imageLink.SetKey(Picture(L"red face", 0xFFFF0000));
  clock.imageLink.NotifyControls(nullptr);
  EXPECT_FALSE(isRed(TestDevice::At(Draw(*object), kSize, 232, 232)));

  object->Object().imageLink.SetKey(clock.imageLink.Key());
  object->Object().imageLink.NotifyControls(nullptr);
  const std::vector<uint32_t> px = Draw(*object);
  EXPECT_TRUE(isRed(TestDevice::At(px, kSize, 232, 232))) << "the face kept its old picture";
  EXPECT_FALSE(isRed(TestDevice::At(px, kSize, 20, 20)));
}

TEST_F(Objects3DDraw, WingsWithoutAPictureAreLeftOut) {
  // A butterfly in the middle seen from the front (heading 90: its wings spread across the
  // screen). Untextured wings would come out white; the module's body is dark.
  for (bool wingPicture : {false, true}) {
    SCOPED_TRACE(wingPicture);
    DS_ButterflyConstructor item;
    item.leftFraction = item.rightFraction = 0.5f;
    item.topFraction = item.bottomFraction = 0.5f;
    if (wingPicture) item.imageLink.SetKey(Picture(L"white wings", 0xFFFFFFFF));
    std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(item.CreateObject()));
    auto& flight = *static_cast<AC_Butterfly*>(object->Instances().front()->animator.get());
    flight.heading = {90, 90, 350};
    const std::vector<uint32_t> px = Draw(*object);
    int white = 0, body = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        const int b = Brightness(px, x, y);
        white += b > 200;
        body += b > 10 && b <= 200;
      }
    if (wingPicture) {
      EXPECT_GT(white, 500);
    } else {
      EXPECT_EQ(white, 0);
      EXPECT_GT(body, 10) << "no body";
    }
  }
}

TEST_F(Objects3DDraw, FallingLeavesShowTheirPictureAndNothingWithoutAMesh) {
  const std::vector<uint8_t> mesh = Built("leaf.x"), picture = Built("leaf.png");
  ASSERT_FALSE(mesh.empty());
  ASSERT_FALSE(picture.empty());
  g_virtualScreen->pictureWidth = kSize;
  g_virtualScreen->pictureHeight = kSize;
  for (bool withMesh : {true, false}) {
    SCOPED_TRACE(withMesh);
    DS_3D_in_2D_array_Constructor item;
    item.count.Assign(10);
    item.streamParams.size.Assign(48);
    if (withMesh) item.meshRecord = RecordWithBytes(mesh, L"leaf.x");
    item.textureRecord = RecordWithBytes(picture, L"leaf.png");
    std::unique_ptr<DS_3D_in_2D_array> object(static_cast<DS_3D_in_2D_array*>(item.CreateObject()));
    for (DS_Frame* leaf : object->Mesh().children) {
      EXPECT_EQ(leaf->local._41, -object->Mesh().boundingCentre.x);
      EXPECT_EQ(leaf->local._42, -object->Mesh().boundingCentre.y);
      EXPECT_EQ(leaf->local._43, -object->Mesh().boundingCentre.z);
    }
    const std::vector<uint32_t> px = Draw(*object);
    int orange = 0, other = 0;
    for (uint32_t p : px) {
      const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (r > 120 && r - b > 80 && g < r)
        ++orange;
      else if (r + g + b > 30)
        ++other;
    }
    if (withMesh) {
      EXPECT_GT(orange, 10 * 150) << "ten leaves of about 40 x 25 pixels";
      EXPECT_LT(other, orange) << "the leaves show something besides their picture";
    } else {
      EXPECT_EQ(orange + other, 0);
    }
  }
}

}  // namespace
