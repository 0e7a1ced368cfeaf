// The light as draw host on a real device under Xvfb: each operation that render objects
// call puts its geometry where the view says, draws it the way its kind of object needs,
// and leaves the states that the next draw relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "document/DS_DocResManager.h"
#include "runtime/DS_2D_Light.h"
#include "runtime/DS_View2D.h"
#include "runtime/ScreenSelection.h"
#include "tests/resources/CompiledEffect.h"
#include "tests/resources/TestPictures.h"
#include "tests/support/TestDevice.h"

namespace {

// A 64 x 64 picture stretched over a 128 x 128 target: picture pixel (x, y) lands on
// (2x, 2y).
constexpr int kSize = 128;

ComRef<IDirect3DTexture9> SolidTexture(D3DCOLOR argb) {
  ComRef<IDirect3DTexture9> t;
  g_currentDevice->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t.Put(), nullptr);
  D3DLOCKED_RECT r{};
  if (t && SUCCEEDED(t->LockRect(0, &r, nullptr, 0))) {
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) static_cast<D3DCOLOR*>(r.pBits)[y * (r.Pitch / 4) + x] = argb;
    t->UnlockRect(0);
  }
  return t;
}

D3DXMATRIX Translation(float x, float y) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, x, y, 0.0f);
  return m;
}

// A square of the given side at the picture's origin, wound clockwise on the screen (y
// downwards); as a strip of four vertices, and with six indices as a list.
template <class V, class Make>
void MakeSquare(DS_SimpleMesh<V>& mesh, float side, Make make) {
  CreateQuad(mesh);
  if (V* v = mesh.Lock()) {
    v[0] = make(0, 0, 0, 0);
    v[1] = make(side, 0, 1, 0);
    v[2] = make(0, side, 0, 1);
    v[3] = make(side, side, 1, 1);
    mesh.Unlock();
  }
}
template <class V, class Make>
void MakeSquare(DS_IndexedMesh<V>& mesh, float side, Make make) {
  MakeSquare(static_cast<DS_SimpleMesh<V>&>(mesh), side, make);
  g_currentDevice->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, mesh.indexBuffer.Put(),
                                     nullptr);
  if (uint16_t* i = mesh.LockIndices()) {
    const uint16_t list[6] = {0, 1, 2, 1, 3, 2};
    std::copy(list, list + 6, i);
    mesh.UnlockIndices();
  }
  mesh.primitiveType = D3DPT_TRIANGLELIST;
  mesh.indexedPrimitiveCount = 2;
}

DX_V::PT MakePT(float x, float y, float u, float v) { return {x, y, 0, u, v}; }
DX_V::PNT MakePNT(float x, float y, float u, float v) { return {x, y, 0, 0, 0, -1, u, v}; }
DX_V::PCT MakePCT(float x, float y, float u, float v) { return {x, y, 0, 0xFFFFFFFF, u, v}; }

class DrawHostTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(device.Ok()); }
  // A slide with a picture of one colour, current and stretched over the target.
  void Start(uint32_t rgb) {
    selected.emplace(ScreenSelection::Current().WithResources(&manager));
    link = manager.CreateImageLinkFromRecord(RecordWithBytes(SolidBmp(64, 64, rgb), L"solid.bmp"));
    light.PictureLink().SetKey(link->Key());
    light.CreateDeviceResources();
    light.SetPicturePosition(0);
    light.Resize(kSize, kSize);
    light.AcquireDeviceResources();
  }
  void Begin() {
    device.Device()->BeginScene();
    light.RenderBackground();
  }
  std::vector<uint32_t> End() {
    device.Device()->EndScene();
    return device.ReadBack();
  }
  DWORD State(D3DRENDERSTATETYPE s) {
    DWORD v = 0;
    device.Device()->GetRenderState(s, &v);
    return v;
  }
  DWORD StageState(D3DTEXTURESTAGESTATETYPE s) {
    DWORD v = 0;
    device.Device()->GetTextureStageState(0, s, &v);
    return v;
  }
  void ExpectColour(const std::vector<uint32_t>& px, int x, int y, Rgba want) {
    Rgba got = TestDevice::At(px, kSize, x, y);
    EXPECT_TRUE(Near(got, want, 10)) << "at " << x << "," << y << ": " << got.r << " " << got.g << " " << got.b;
  }
  // The copy effect with a picture as its background and an opaque mask.
  ComRef<ID3DXEffect> CopyEffect(D3DCOLOR background) {
    std::vector<uint8_t> bytes = Effect75();
    ComRef<ID3DXEffect> effect;
    if (bytes.empty()) return effect;
    D3DXCreateEffect(device.Device(), bytes.data(), UINT(bytes.size()), nullptr, nullptr, 0, nullptr, effect.Put(),
                     nullptr);
    if (!effect) return effect;
    effectTextures[0] = SolidTexture(background);
    effectTextures[1] = SolidTexture(0xFFFFFFFF);
    effect->SetTechnique("Main");
    effect->SetTexture("Background", effectTextures[0].Get());
    effect->SetTexture("Mask", effectTextures[1].Get());
    return effect;
  }

  TestDevice device{kSize, kSize};
  DS_DocResManager manager;
  std::optional<ScopedScreen> selected;
  std::unique_ptr<DS_ImageFileLink> link;
  DS_2D_Light light;
  ComRef<IDirect3DTexture9> effectTextures[2];
};

const Rgba kGrey{64, 64, 64, 0}, kGreen{0, 255, 0, 0}, kBlack{0, 0, 0, 0}, kRed{255, 0, 0, 0};

TEST_F(DrawHostTest, AMeshWithAnEffectIsPlacedByItsWorldMatrix) {
  Start(0x404040);
  ComRef<ID3DXEffect> effect = CopyEffect(0xFF00FF00);
  ASSERT_TRUE(effect) << "TEVRANA_EFFECT_75 names the compiled copy effect";
  DS_SimpleMesh<DX_V::PT> mesh;
  MakeSquare(mesh, 16, MakePT);
  mesh.world = Translation(32, 8);
  Begin();
  light.DrawMeshWithEffect(mesh, effect.Get());
  std::vector<uint32_t> px = End();
  ExpectColour(px, 80, 32, kGreen);  // picture (32..48, 8..24)
  ExpectColour(px, 40, 32, kGrey);
  ExpectColour(px, 80, 60, kGrey);
}

TEST_F(DrawHostTest, AnIndexedMeshWithAnEffectKeepsTheWorldThatIsSet) {
  Start(0x404040);
  ComRef<ID3DXEffect> effect = CopyEffect(0xFF00FF00);
  ASSERT_TRUE(effect);
  DS_IndexedMesh<DX_V::PT> mesh;
  MakeSquare(mesh, 16, MakePT);
  mesh.world = Translation(32, 8);  // not used: the caller sets the world
  Begin();
  g_view2D->SetWorldTransform(Translation(0, 32));
  light.DrawIndexedMeshWithEffect(mesh, effect.Get());
  std::vector<uint32_t> px = End();
  ExpectColour(px, 16, 80, kGreen);  // picture (0..16, 32..48)
  ExpectColour(px, 80, 32, kGrey);
}

// A half-transparent green square mesh at two frames of picture row y: at x 0 with the
// winding flag set (culling counter-clockwise faces, so the square's face shows), at x 32
// with it clear.
struct SquareAtTwoFrames {
  explicit SquareAtTwoFrames(float y) {
    MakeSquare(square, 16, MakePNT);
    set.world = Translation(0, y);
    set.winding = 1;
    clear.world = Translation(32, y);
    clear.winding = 0;
  }
  ComRef<IDirect3DTexture9> texture = SolidTexture(0x8000FF00);
  DS_IndexedMesh<DX_V::PNT> square;
  DS_Frame set, clear;
};

TEST_F(DrawHostTest, MeshInstancesCullByWindingAndTranslucentPartsShowBothFacesOnce) {
  // Half-transparent green over a black picture: one draw gives 128 green, two give 191.
  struct Case {
    bool translucent;
    Rgba clockwiseFrame, otherFrame;
  };
  for (const Case& c : {Case{false, kGreen, kBlack}, Case{true, {0, 128, 0, 0}, {0, 128, 0, 0}}}) {
    SCOPED_TRACE(c.translucent);
    Start(0x000000);
    SquareAtTwoFrames part(0);
    Begin();
    light.DrawMeshInstances(part.square, part.texture.Get(), c.translucent, {&part.set, &part.clear});
    EXPECT_EQ(State(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
    EXPECT_EQ(State(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
    std::vector<uint32_t> px = End();
    ExpectColour(px, 16, 16, c.clockwiseFrame);
    ExpectColour(px, 80, 16, c.otherFrame);
    ExpectColour(px, 48, 16, kBlack);
  }
}

TEST_F(DrawHostTest, SpriteArraysBlendOverOrAddAndDrawTheirOverlayAgain) {
  // Sprites of half-transparent green (overlay: half-transparent blue) over a red picture.
  struct Case {
    uint32_t blendSetting;
    bool overlay;
    Rgba expected;
  };
  const Case cases[] = {
      {0, false, {128, 128, 0, 0}},   // over the scene
      {1, false, {255, 128, 0, 0}},   // added to it
      {0, true, {64, 64, 128, 0}},    // both passes over the scene
      {1, true, {128, 128, 128, 0}},  // an overlay makes the first pass blend; the second adds
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.blendSetting << " " << c.overlay);
    Start(0xFF0000);
    ComRef<IDirect3DTexture9> texture = SolidTexture(0x8000FF00), overlay = SolidTexture(0x800000FF);
    DS_IndexedMesh<DX_V::PCT> array;
    MakeSquare(array, 16, MakePCT);
    array.world = Translation(16, 16);
    Begin();
    light.DrawSpriteArray(array, texture.Get(), c.overlay ? overlay.Get() : nullptr, c.blendSetting);
    EXPECT_EQ(State(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
    EXPECT_EQ(State(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(StageState(D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
    std::vector<uint32_t> px = End();
    ExpectColour(px, 48, 48, c.expected);  // picture (16..32, 16..32)
    ExpectColour(px, 16, 16, kRed);
  }
}

TEST_F(DrawHostTest, AFrameListDrawsBothFacesOfEveryLeafOnce) {
  Start(0x000000);
  SquareAtTwoFrames leaf(32);  // the list ignores the winding flags
  // The second leaf mirrored (still over picture x 32..48): its face turns the other way.
  D3DXMATRIX mirror;
  D3DXMatrixScaling(&mirror, -1.0f, 1.0f, 1.0f);
  leaf.clear.world = mirror * Translation(48, 32);
  Begin();
  light.DrawFrameList(leaf.square, leaf.texture.Get(), {&leaf.set, &leaf.clear});
  EXPECT_EQ(State(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
  EXPECT_EQ(State(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
  std::vector<uint32_t> px = End();
  ExpectColour(px, 16, 80, {0, 128, 0, 0});
  ExpectColour(px, 80, 80, {0, 128, 0, 0});
  ExpectColour(px, 48, 80, kBlack);
}

// An object's frame: a rectangle in picture pixels (8..56 both ways), corners in strip
// order bottom left, top left, bottom right, top right, in the given colour.
void MakeFrameQuad(DS_SimpleMesh<DX_V::PC>& quad, D3DCOLOR colour) {
  CreateQuadPC(quad);
  if (DX_V::PC* v = quad.Lock()) {
    v[0] = {8, 56, 0, colour};
    v[1] = {8, 8, 0, colour};
    v[2] = {56, 56, 0, colour};
    v[3] = {56, 8, 0, colour};
    quad.Unlock();
  }
}

TEST_F(DrawHostTest, ObjectFrameCornersShowTheirOwnMarkersWhenSteady) {
  Start(0x000000);
  DS_SimpleMesh<DX_V::PC> quad;
  MakeFrameQuad(quad, 0xFFFF0000);
  Begin();
  light.DrawObjectFrame(quad, 1, true);
  EXPECT_EQ(State(D3DRS_TEXTUREFACTOR), 0xFFFFFFFFu);
  EXPECT_EQ(State(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
  EXPECT_EQ(StageState(D3DTSS_ALPHAARG2), DWORD(D3DTA_DIFFUSE));
  std::vector<uint32_t> px = End();
  // Just outside each corner, inside its 60-pixel sprite.
  ExpectColour(px, 10, 10, kRed);                // top left: 54
  ExpectColour(px, 118, 10, kGreen);             // top right: 55
  ExpectColour(px, 118, 118, {0, 0, 255, 0});    // bottom right: 56
  ExpectColour(px, 10, 118, {255, 255, 0, 0});   // bottom left: 57
  ExpectColour(px, 64, 64, kBlack);              // a marker choice draws no rectangle
}

TEST_F(DrawHostTest, ObjectFramePulsesItsAlphaWithinItsRange) {
  Start(0x000000);
  DS_SimpleMesh<DX_V::PC> quad;
  MakeFrameQuad(quad, 0xFFFF0000);
  for (int i = 0; i < 6; ++i) {
    Begin();
    light.DrawObjectFrame(quad, 1, false);
    DWORD pulsing = State(D3DRS_TEXTUREFACTOR) >> 24;
    EXPECT_GE(pulsing, 48u);
    EXPECT_LE(pulsing, 255u);
    End();
    Begin();
    light.DrawObjectFrame(quad, 0, false);
    DWORD frame = State(D3DRS_TEXTUREFACTOR) >> 24;
    EXPECT_GE(frame, 96u);
    EXPECT_LE(frame, 165u);
    EXPECT_EQ(State(D3DRS_TEXTUREFACTOR) & 0xFFFFFF, 0xFFFFFFu);
    std::vector<uint32_t> px = End();
    // Marker choice 0: the rectangle in its own colour, the white frame marker on every
    // corner at the pulse's alpha over the black picture.
    ExpectColour(px, 64, 64, kRed);
    for (auto [x, y] : {std::pair{10, 10}, {118, 10}, {118, 118}, {10, 118}}) {
      Rgba corner = TestDevice::At(px, kSize, x, y);
      EXPECT_NEAR(corner.r, int(frame), 3) << x << "," << y;
      EXPECT_EQ(corner.r, corner.b);
    }
    Sleep(70);
  }
}

TEST_F(DrawHostTest, TheFaderQuadBlendsInItsVertexColours) {
  Start(0xFF0000);
  DS_SimpleMesh<DX_V::SC> fader;
  CreateQuadSC(fader);
  if (DX_V::SC* v = fader.Lock()) {
    const float s = float(kSize);
    v[0] = {0, s, 0, 1, 0x80000000};
    v[1] = {0, 0, 0, 1, 0x80000000};
    v[2] = {s, s, 0, 1, 0x80000000};
    v[3] = {s, 0, 0, 1, 0x80000000};
    fader.Unlock();
  }
  Begin();
  light.DrawScreenQuad(fader);
  EXPECT_EQ(State(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));  // stays on
  EXPECT_EQ(StageState(D3DTSS_COLORARG1), DWORD(D3DTA_TEXTURE));
  EXPECT_EQ(StageState(D3DTSS_ALPHAARG1), DWORD(D3DTA_TEXTURE));
  std::vector<uint32_t> px = End();
  ExpectColour(px, 64, 64, {128, 0, 0, 0});
}

TEST_F(DrawHostTest, TheHostOffersThePictureItsSizeAndTheSceneTexture) {
  Start(0x404040);
  EXPECT_EQ(light.GetImageWidth(), 64u);
  EXPECT_EQ(light.GetImageHeight(), 64u);
  EXPECT_EQ(&light.GetScreenMesh(), &light.GetScreenMesh());
  EXPECT_TRUE(light.GetScreenMesh().texture);
  light.RenderObjects({}, 0);
  EXPECT_EQ(light.GetSceneTexture()->Get(), light.GetScreenMesh().info.texture.Get());
}

// A scene item that counts its living copies, and the render object made around a clone.
struct CountedItem : DS_ABObj_Constructor {
  static inline int alive = 0;
  CountedItem() { ++alive; }
  CountedItem(const CountedItem& other) : DS_ABObj_Constructor(other) { ++alive; }
  ~CountedItem() override { --alive; }
  DS_ABObj* CreateObject() override;
};
struct PlainObject : DS_ABObj {
  using DS_ABObj::DS_ABObj;
  void Render(DS_ABRender&) override {}
  void DrawFrame(DS_ABRender&) override {}
  void Update(float) override {}
  void SyncParams() override {}
};
DS_ABObj* CountedItem::CreateObject() { return new PlainObject(new CountedItem(*this)); }

TEST(RenderObject, OwnsTheCloneOfItsItemAndSamplesNothingByDefault) {
  {
    CountedItem item;
    item.SetObjectName(L"reef");
    std::unique_ptr<DS_ABObj> object(item.CreateObject());
    EXPECT_EQ(CountedItem::alive, 2);
    ASSERT_NE(object->Item(), nullptr);
    EXPECT_NE(object->Item(), &item);
    EXPECT_EQ(object->Item()->ObjectName(), L"reef");
    EXPECT_FALSE(object->IsSceneEffect());
    EXPECT_FALSE(object->TestPoint(1, 1));
    object->NotifyConstructor();
    object.reset();
    EXPECT_EQ(CountedItem::alive, 1);
  }
  EXPECT_EQ(CountedItem::alive, 0);
}

}  // namespace
