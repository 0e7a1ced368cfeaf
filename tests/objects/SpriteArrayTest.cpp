// The sprite array's buffers on a real device: one quad of four vertices and six indices
// per sprite, corners, texture coordinates with strips and flips, colours, and what count
// changes do to buffers and sprites.
#include <gtest/gtest.h>

#include <vector>

#include "objects/DS_SpriteArrayObj.h"
#include "tests/objects/EmitterFixture.h"
#include "tests/support/TestDevice.h"

namespace {

// Sprites in a row at (100 + 50k, 100), half extents 10 by 5, full alpha.
class InARow : public DS_BaseSpriteProp {
 public:
  DS_BaseSpriteProp* Clone() const override { return new InARow(*this); }
  void InitSprite(DS_Sprite& s) override {
    s.position = D3DXVECTOR3(100.0f + 50.0f * float(placed++), 100.0f, 0.0f);
    s.halfWidth = 10.0f;
    s.halfHeight = 5.0f;
  }
  int placed = 0;
};

class SpriteArray : public EmitterFixture {
 protected:
  void SetUp() override {
    EmitterFixture::SetUp();
    ASSERT_TRUE(device.Ok());
  }
  DS_SpriteArrayObj& Make(unsigned count) {
    item.count.Assign(count);
    array = std::make_unique<DS_SpriteArrayObj>(item.Clone());
    return *array;
  }
  std::vector<DX_V::PCT> Vertices() {
    std::vector<DX_V::PCT> out;
    if (DX_V::PCT* v = array->Lock()) {
      out.assign(v, v + array->vertexCount);
      array->Unlock();
    }
    return out;
  }
  std::vector<uint16_t> Indices() {
    std::vector<uint16_t> out;
    if (uint16_t* i = array->LockIndices()) {
      out.assign(i, i + 3 * array->indexedPrimitiveCount);
      array->UnlockIndices();
    }
    return out;
  }

  TestDevice device;
  InARow item;
  std::unique_ptr<DS_SpriteArrayObj> array;
};

struct Corner {
  float x, y, u, v;
};

void ExpectQuad(const std::vector<DX_V::PCT>& v, size_t k, const Corner (&want)[4]) {
  for (size_t i = 0; i < 4; ++i) {
    const DX_V::PCT& p = v[4 * k + i];
    EXPECT_NEAR(p.x, want[i].x, 1e-4) << "quad " << k << " vertex " << i;
    EXPECT_NEAR(p.y, want[i].y, 1e-4) << "quad " << k << " vertex " << i;
    EXPECT_EQ(p.u, want[i].u) << "quad " << k << " vertex " << i;
    EXPECT_EQ(p.v, want[i].v) << "quad " << k << " vertex " << i;
  }
}

TEST_F(SpriteArray, ThreeSpritesAreTwelveVerticesAndSixTriangles) {
  Make(3);
  EXPECT_EQ(array->vertexCount, 12u);
  EXPECT_EQ(array->indexedPrimitiveCount, 6u);
  EXPECT_EQ(array->primitiveType, D3DPT_TRIANGLELIST);
  EXPECT_EQ(Indices(), (std::vector<uint16_t>{0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7, 8, 9, 10, 10, 9, 11}));
}

TEST_F(SpriteArray, QuadsAreWrittenFromCentreHalfExtentsAndAxes) {
  item.colour.Assign(0x336699);  // red 153, green 102, blue 51
  Make(2);
  array->Update(0.1f);
  const std::vector<DX_V::PCT> v = Vertices();
  ASSERT_EQ(v.size(), 8u);
  ExpectQuad(v, 0, {{90, 105, 0, 1}, {90, 95, 0, 0}, {110, 105, 1, 1}, {110, 95, 1, 0}});
  ExpectQuad(v, 1, {{140, 105, 0, 1}, {140, 95, 0, 0}, {160, 105, 1, 1}, {160, 95, 1, 0}});
  for (const DX_V::PCT& p : v) EXPECT_EQ(p.color, 0xFF996633u);

  // A negative half width mirrors the positions, not the texture coordinates.
  (*array->Sprites().begin())->halfWidth = -10.0f;
  array->Update(0.2f);
  ExpectQuad(Vertices(), 0, {{110, 105, 0, 1}, {110, 95, 0, 0}, {90, 105, 1, 1}, {90, 95, 1, 0}});
}

TEST_F(SpriteArray, StripFramesAndFlipsChooseTheTextureCoordinates) {
  struct Case {
    int horizontal, vertical;
    bool strip;
    float ua, ub, va, vb;
  };
  const Case cases[] = {
      {0, 0, false, 0, 1, 0, 1},         {1, 0, false, 1, 0, 0, 1},      {0, 1, false, 0, 1, 1, 0},
      {0, 0, true, 0.5f, 0.75f, 0, 1},   {1, 0, true, 0.75f, 0.5f, 0, 1}, {1, 1, true, 0.75f, 0.5f, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.horizontal << c.vertical << c.strip);
    item.horizontalFlip.Assign(c.horizontal);
    item.verticalFlip.Assign(c.vertical);
    item.stripMode = c.strip;
    item.stripFrames = 4;
    item.stripRate = 0.0f;  // never steps
    Make(1);
    array->stripFrame = 2;
    array->Update(0.1f);
    ExpectQuad(Vertices(), 0, {{90, 105, c.ua, c.vb}, {90, 95, c.ua, c.va}, {110, 105, c.ub, c.vb},
                               {110, 95, c.ub, c.va}});
  }
}

TEST_F(SpriteArray, TheStripStepsOnceAFrameAtItsRate) {
  item.stripMode = 1;
  item.stripFrames = 4;
  item.stripRate = 4.0f;  // a frame once 0.25 clock units have passed
  Make(3);
  std::vector<uint32_t> frames;
  for (int i = 1; i <= 10; ++i) {
    array->Update(0.1f * float(i));
    frames.push_back(array->stripFrame);
  }
  EXPECT_EQ(frames, (std::vector<uint32_t>{0, 0, 1, 1, 1, 2, 2, 2, 3, 3}));
  item.stripFrames = 0;  // the texture is then one frame wide
  Make(1);
  array->Update(0.5f);
  ExpectQuad(Vertices(), 0, {{90, 105, 0, 1}, {90, 95, 0, 0}, {110, 105, 1, 1}, {110, 95, 1, 0}});
}

TEST_F(SpriteArray, CountChangesGrowTheListAndRebuildTheBuffers) {
  Make(2);
  std::vector<const DS_Sprite*> first;
  for (const auto& s : array->Sprites()) first.push_back(s.get());
  array->Emitter().count.SetValue(5);
  EXPECT_EQ(array->Sprites().size(), 5u);
  EXPECT_EQ(array->vertexCount, 20u);
  EXPECT_EQ(array->Sprites().front().get(), first[0]);
  EXPECT_EQ((*++array->Sprites().begin()).get(), first[1]);
  array->Emitter().count.SetValue(1);
  EXPECT_EQ(array->Sprites().size(), 5u);  // kept, moved, not drawn
  EXPECT_EQ(array->vertexCount, 4u);
  EXPECT_EQ(array->indexedPrimitiveCount, 2u);
  array->Update(0.1f);
  EXPECT_EQ(Vertices().size(), 4u);
}

TEST_F(SpriteArray, ACountOfZeroKeepsNoBuffersButTheClockRuns) {
  Make(0);
  EXPECT_FALSE(array->vertexBuffer);
  EXPECT_TRUE(array->Sprites().empty());
  array->Update(0.1f);
  EXPECT_NEAR(array->Emitter().clock, 0.1f, 1e-6);
}

TEST_F(SpriteArray, CountsPastSixteenBitIndicesDrawTheFirstQuadsAndStillMove) {
  Make(20000);
  EXPECT_EQ(array->Emitter().count.Value(), 20000u);
  EXPECT_EQ(array->vertexCount, 4u * 16383u);
  EXPECT_EQ(array->Sprites().size(), 16383u);
  const std::vector<uint16_t> indices = Indices();
  ASSERT_EQ(indices.size(), 6u * 16383u);
  EXPECT_EQ(indices.back(), 65531);  // the last of 4 x 16383 vertices
  array->Update(0.1f);
  EXPECT_NEAR(array->Emitter().clock, 0.1f, 1e-6);
  EXPECT_NEAR(Vertices()[4 * 16382 + 1].x, 100.0f + 50.0f * 16382 - 10.0f, 1.0f);
}

TEST_F(SpriteArray, ImageFramesStepAfterTheirTimesAndGateTheRefresh) {
  item.refreshOnImageChange.Assign(1);
  Make(1);
  array->images.frameTimes = {0.25f, 0.45f};
  std::vector<uint32_t> frames;
  int rewrites = 0;
  for (int i = 1; i <= 10; ++i) {
    (*array->Sprites().begin())->position.x = float(i);
    array->Update(0.1f * float(i));
    frames.push_back(array->currentImageFrame);
    rewrites += Vertices()[1].x == float(i) - 10.0f;
  }
  EXPECT_EQ(frames, (std::vector<uint32_t>{0, 0, 1, 1, 1, 1, 1, 0, 0, 0}));
  EXPECT_EQ(rewrites, 2);  // only the frames that stepped
  // More frame times than textures: no texture for the frame, nothing to draw.
  EXPECT_EQ(array->CurrentTexture(), nullptr);
}

}  // namespace
