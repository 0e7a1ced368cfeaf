// The clock with an injected local time: the hands' angles, a time that cannot be read,
// the placement that follows the size, the attachment of its parts, the face picture's
// binding, and its record.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "document/DS_DocResManager.h"
#include "objects/DS_ClockConstructor.h"
#include "objects/DegreeMatrices.h"
#include "runtime/ScreenSelection.h"
#include "tests/objects3d/Objects3DFixture.h"
#include "tests/support/TestDevice.h"

namespace {

DS_LocalTimeSource At(int h, int m, int s) {
  return [=](DS_ClockTime& t) {
    t = {h, m, s};
    return true;
  };
}

class Clock : public Objects3DFixture {};

TEST_F(Clock, HandsShowTheLocalTime) {
  const struct {
    int h, m, s;
    float hour, minute;
  } cases[] = {
      {15, 30, 0, 105, 180}, {0, 0, 30, 0, 3}, {3, 0, 0, 90, 0}, {12, 0, 0, 0, 0}, {23, 59, 59, 359.5f, 359.9f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.h << ":" << c.m << ":" << c.s);
    const DS_ClockTime t{c.h, c.m, c.s};
    EXPECT_FLOAT_EQ(AC_ClockArrow::HandAngle(true, t), c.hour);
    EXPECT_FLOAT_EQ(AC_ClockArrow::HandAngle(false, t), c.minute);

    // Through the instance: each hand turns about the face's axis from 12 (straight up on
    // the picture) clockwise as seen on the screen (picture y points down).
    DS_ClockConstructor clock;
    clock.placement.x.Value() = 400;
    clock.placement.y.Value() = 300;
    clock.localTime = At(c.h, c.m, c.s);
    std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(clock.CreateObject()));
    object->Update(0.1f);
    const DS_Frame* root = object->Instances().front().get();
    const float expected[2] = {c.hour, c.minute};
    int k = 0;
    for (const DS_Frame* hand : root->children) {
      const D3DXVECTOR3 tip = Place(hand->world, {0, 0, 50});
      const float a = Radians(expected[k]);
      const D3DXVECTOR3 direction(std::sin(a), -std::cos(a), 0.0f);
      EXPECT_LT(AngleBetween(tip - D3DXVECTOR3(400, 300, 0), direction), 0.1f) << (k == 0 ? "hour" : "minute");
      ++k;
    }
  }
}

TEST_F(Clock, AHandKeepsItsLastAngleWhenTheTimeCannotBeRead) {
  DS_ClockConstructor clock;
  bool readable = true;
  clock.localTime = [&](DS_ClockTime& t) {
    t = {3, 0, 0};
    return readable;
  };
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(clock.CreateObject()));
  object->Update(0.1f);
  const DS_Frame* hour = object->Instances().front()->children.front();
  const D3DXMATRIX shown = hour->world;
  readable = false;
  for (int i = 2; i <= 4; ++i) {
    object->Update(0.1f * float(i));
    EXPECT_TRUE(SameMatrix(hour->world, shown)) << "frame " << i << ": the hand moved or its world grew";
  }
  const auto* arrow = static_cast<const AC_ClockArrow*>(hour->animator.get());
  EXPECT_EQ(arrow->angle, 90.0f);

  // Never readable: the hands rest at 12 rather than on a stale matrix.
  DS_ClockConstructor broken;
  broken.localTime = [](DS_ClockTime&) { return false; };
  std::unique_ptr<DS_3DObjArray> still(static_cast<DS_3DObjArray*>(broken.CreateObject()));
  still->Update(0.1f);
  still->Update(0.2f);
  const DS_Frame* minute = still->Instances().front()->children.back();
  EXPECT_TRUE(SameMatrix(minute->world, minute->local * still->Instances().front()->world));
}

TEST_F(Clock, ThePlacementIsTheSquareOfTheSizeAroundTheCentre) {
  const struct {
    unsigned size;
    int left, right, top, bottom;
  } cases[] = {{400, 312, 712, 184, 584}, {401, 312, 712, 184, 584}, {1, 512, 512, 384, 384}, {0, 512, 512, 384, 384}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    DS_ClockConstructor clock;
    clock.placement.x.Value() = 512;
    clock.placement.y.Value() = 384;
    clock.size.Assign(c.size);
    std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(clock.CreateObject()));
    const auto& placed = static_cast<DS_ClockConstructor&>(object->Object()).placement;
    EXPECT_EQ(placed.left.Value(), c.left);
    EXPECT_EQ(placed.right.Value(), c.right);
    EXPECT_EQ(placed.top.Value(), c.top);
    EXPECT_EQ(placed.bottom.Value(), c.bottom);
    const DS_QuadCorners q = object->Object().GetScreenQuad();
    EXPECT_EQ(q.corner[0].x, float(c.left));
    EXPECT_EQ(q.corner[0].y, float(c.bottom));
    EXPECT_EQ(q.corner[3].x, float(c.right));
    EXPECT_EQ(q.corner[3].y, float(c.top));
    EXPECT_TRUE(object->Object().HasOwnBounds());

    // The model (100 units wide) is scaled by 0.01 x size and centred on (512, 384).
    object->Update(0.1f);
    const D3DXMATRIX& world = object->Instances().front()->world;
    const D3DXVECTOR3 corner = Place(world, {50, 0, 50});
    EXPECT_NEAR(corner.x, 512.0f + 0.5f * float(c.size), 1e-3f);
    EXPECT_NEAR(corner.y, 384.0f - 0.5f * float(c.size), 1e-3f);
  }
}

TEST_F(Clock, MovingTheCentreMovesTheEdgesAndTheModel) {
  DS_ClockConstructor clock;
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(clock.CreateObject()));
  auto& placement = static_cast<DS_ClockConstructor&>(object->Object()).placement;
  placement.x.Value() = 100;
  placement.y.Value() = 200;
  placement.NotifyControls(nullptr);
  EXPECT_EQ(placement.left.Value(), -100);
  EXPECT_EQ(placement.bottom.Value(), 400);
  object->Update(0.1f);
  const D3DXVECTOR3 centre = Place(object->Instances().front()->world, {0, 0, 0});
  EXPECT_NEAR(centre.x, 100.0f, 1e-3f);
  EXPECT_NEAR(centre.y, 200.0f, 1e-3f);
}

TEST_F(Clock, AttachingTwiceLeavesEachHandOnceAndFaceAndHandsAreTranslucent) {
  DS_ClockConstructor clock;
  clock.count.Assign(2);
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(clock.CreateObject()));
  object->OnCountChanged(2);
  const std::vector<DS_MeshPart>& parts = object->Parts();
  std::vector<DS_Frame*> hands(parts[1].frames.begin(), parts[1].frames.end());
  ASSERT_EQ(hands.size(), 4u);
  std::sort(hands.begin(), hands.end());
  EXPECT_EQ(std::unique(hands.begin(), hands.end()), hands.end()) << "a hand is attached twice";
  EXPECT_EQ(parts[0].frames.size(), 2u);
  EXPECT_EQ(parts[0].translucent, 1);
  EXPECT_EQ(parts[1].translucent, 1);
}

TEST_F(Clock, TheFacePictureBindingWaitsForTheParts) {
  // Two face pictures the document carries.
  TestDevice device(16, 16);
  ASSERT_TRUE(device.Ok());
  DS_DocResManager manager;
  ScopedScreen selected(ScreenSelection::Current().WithResources(&manager));
  auto face = [&](const wchar_t* name, ComRef<IDirect3DTexture9>& texture) {
    device.Device()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Put(), nullptr);
    const DS_LinkKey key{name, 3};
    manager.Tables().textureSets[key].textures = {texture};
    return key;
  };
  ComRef<IDirect3DTexture9> first, second;
  const DS_LinkKey firstFace = face(L"first.png", first), secondFace = face(L"second.png", second);
  ASSERT_TRUE(first && second);

  // The document item has no parts: a changed face picture is not taken anywhere.
  DS_ClockConstructor item;
  item.imageLink.SetKey(firstFace);
  item.imageLink.NotifyControls(nullptr);

  // The render object's clone builds part 0 with the face picture and takes a new one when
  // told of it.
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(item.CreateObject()));
  EXPECT_EQ(object->Parts()[0].texture.Get(), first.Get());
  object->Object().imageLink.SetKey(secondFace);
  EXPECT_EQ(object->Parts()[0].texture.Get(), first.Get()) << "a key set without telling anyone";
  object->Object().imageLink.NotifyControls(nullptr);
  EXPECT_EQ(object->Parts()[0].texture.Get(), second.Get());
}

TEST_F(Clock, DefaultsAndRecord) {
  g_virtualScreen->pictureWidth = 1025;
  DS_ClockConstructor clock;
  EXPECT_EQ(clock.placement.x.Value(), 512);
  EXPECT_EQ(clock.placement.y.Value(), 300);
  EXPECT_EQ(clock.size.Value(), 400u);
  EXPECT_EQ(clock.meshLink.Key(), (DS_LinkKey{L"common_res.dll", 70}));
  EXPECT_EQ(clock.imageLink.Key(), (DS_LinkKey{L"common_res.dll", 71}));
  EXPECT_EQ(clock.arrowImage.Key(), (DS_LinkKey{L"common_res.dll", 72}));

  const RecordBytes record = WriteBytes([](DS_IOF_Holder s) {
                               WriteRecordHeader(s, RecordId{L"DS_ClockConstructor", 1});
                               for (int32_t v : {10, 20, 30, 40, 250, 150}) s->WriteInt(v);
                               s->WriteString(L"hands.png");
                               s->WriteInt64(9);
                             }) +
                             ObjectRecordTail(1, 200, {L"dial.png", 8}, {L"common_res.dll", 70}, L"kitchen clock");
  DS_ClockConstructor read;
  ReadBytes(record, [&](DS_IOF_Holder s) { read.Read(s, ReadRecordHeader(s).version); });
  EXPECT_EQ(read.placement.left.Value(), 10);
  EXPECT_EQ(read.placement.bottom.Value(), 40);
  EXPECT_EQ(read.placement.x.Value(), 250);
  EXPECT_EQ(read.placement.y.Value(), 150);
  EXPECT_EQ(read.arrowImage.Key(), (DS_LinkKey{L"hands.png", 9}));
  EXPECT_EQ(read.imageLink.Key(), (DS_LinkKey{L"dial.png", 8}));
  EXPECT_EQ(read.size.Value(), 200u);
  EXPECT_EQ(read.ObjectName(), L"kitchen clock");
  EXPECT_EQ(WriteBytes([&](DS_IOF_Holder s) { read.Write(s); }), record);

  // A clone keeps the six values, the pictures and the size.
  std::unique_ptr<DS_3D_Obj_Ctrl> clone(read.Clone());
  const auto& c = static_cast<DS_ClockConstructor&>(*clone);
  EXPECT_EQ(c.placement.top.Value(), 30);
  EXPECT_EQ(c.placement.x.Value(), 250);
  EXPECT_EQ(c.arrowImage.Key(), read.arrowImage.Key());
  EXPECT_EQ(c.size.Value(), 200u);
}

}  // namespace
