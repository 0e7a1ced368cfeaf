// The falling-leaf item and its render object without a device: the record (the name comes
// twice, the direction becomes vectors), the number of leaves made once, and the time each
// object gives its own leaves.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <utility>

#include "document/ReaderRegistry.h"
#include "objects/DS_3D_in_2D_array.h"
#include "scene/DocumentReaders.h"
#include "tests/objects3d/Objects3DFixture.h"
#include "tests/support/RecordBytes.h"

namespace {

DS_FileRecord Carried(const wchar_t* name, std::initializer_list<uint8_t> bytes, int32_t id = 0,
                      const wchar_t* module = L"") {
  DS_FileRecord r(id, module);
  r.name = name;
  const std::vector<uint8_t> data(bytes);
  r.SetData(int32_t(data.size()), data.data());
  return r;
}

RecordBytes LeafRecord(const wchar_t* firstName, const wchar_t* secondName, uint32_t count, uint32_t angle) {
  return WriteBytes([&](DS_IOF_Holder s) {
    WriteRecordHeader(s, RecordId{L"DS_3D_in_2D_array_Constructor", 1});
    s->WriteString(firstName);
    s->WriteUInt(count);
    s->WriteFileRecord(Carried(L"leaf.x", {1, 2, 3}));
    s->WriteFileRecord(Carried(L"", {}, 7, L"common_res.dll"));
    for (uint32_t v : {24u, 30u, 40u, 5u, 80u, angle}) s->WriteUInt(v);  // size, speed, drift, change, spin, angle
    WriteRecordHeader(s, RecordId{L"DS_ABObj_Constructor", 1});
    s->WriteString(secondName);
  });
}

class LeafFrames : public Objects3DFixture {
 protected:
  void SetUp() override {
    Objects3DFixture::SetUp();
    g_streamAnimTime = 0.0f;
  }
  static std::unique_ptr<DS_3D_in_2D_array> Make(const DS_3D_in_2D_array_Constructor& item) {
    return std::unique_ptr<DS_3D_in_2D_array>(static_cast<DS_3D_in_2D_array*>(
        const_cast<DS_3D_in_2D_array_Constructor&>(item).CreateObject()));
  }
};

TEST_F(LeafFrames, TheRecordIsReadWithItsNameTwiceAndTheDirectionAsVectors) {
  RegisterDocumentReaders();
  std::unique_ptr<DS_ABObj_Constructor> read;
  ReadBytes(LeafRecord(L"first", L"second", 10, 90),
            [&](DS_IOF_Holder s) { read.reset(ReadConstructorByClassName(s)); });
  auto* leaves = dynamic_cast<DS_3D_in_2D_array_Constructor*>(read.get());
  ASSERT_NE(leaves, nullptr);
  EXPECT_EQ(leaves->ObjectName(), L"second");
  EXPECT_EQ(leaves->count.Value(), 10u);
  EXPECT_EQ(leaves->meshRecord.name, L"leaf.x");
  ASSERT_EQ(leaves->meshRecord.size, 3);
  EXPECT_EQ(leaves->meshRecord.data[2], 3);
  EXPECT_EQ(leaves->textureRecord.resourceId, 7);
  EXPECT_EQ(leaves->textureRecord.module, L"common_res.dll");
  const DS_StreamParams& p = leaves->streamParams;
  EXPECT_EQ(p.size.Value(), 24u);
  EXPECT_EQ(p.speed.Value(), 30u);
  EXPECT_EQ(p.drift.Value(), 40u);
  EXPECT_EQ(p.driftChange.Value(), 5u);
  EXPECT_EQ(p.spin.Value(), 80u);
  EXPECT_EQ(p.angle, 90u);
  EXPECT_NEAR(p.direction.y, -1.0f, 1e-6f);
  EXPECT_NEAR(p.perpendicular.x, -1.0f, 1e-6f);

  // Written back: the one name in both places.
  EXPECT_EQ(WriteBytes([&](DS_IOF_Holder s) { leaves->Write(s); }), LeafRecord(L"second", L"second", 10, 90));
  // An empty stored name leaves the name as it was.
  DS_3D_in_2D_array_Constructor named;
  named.SetObjectName(L"kept");
  ReadBytes(LeafRecord(L"", L"", 0, 0), [&](DS_IOF_Holder s) { named.Read(s, ReadRecordHeader(s).version); });
  EXPECT_EQ(named.ObjectName(), L"kept");
}

TEST_F(LeafFrames, TheObjectMakesTheCountOfLeavesOnceAtRandomPlaces) {
  for (unsigned count : {0u, 10u}) {
    SCOPED_TRACE(count);
    DS_3D_in_2D_array_Constructor item;
    item.count.Assign(count);
    std::unique_ptr<DS_3D_in_2D_array> object = Make(item);
    EXPECT_EQ(object->Leaves().renderObject, object.get());
    ASSERT_EQ(object->Mesh().children.size(), size_t(count));
    std::set<std::pair<float, float>> places;
    for (DS_Frame* leaf : object->Mesh().children) {
      auto* a = dynamic_cast<DS_LeafFallAnim*>(leaf->animator.get());
      ASSERT_NE(a, nullptr);
      EXPECT_EQ(a->params, &object->Leaves().streamParams) << "a leaf reads its own object's copy";
      places.insert({a->position._41, a->position._42});
    }
    EXPECT_EQ(places.size(), size_t(count));

    // A later count is not followed.
    object->Leaves().count.SetValue(count + 5);
    object->Update(0.1f);
    EXPECT_EQ(object->Mesh().children.size(), size_t(count));
  }
}

// A count from a damaged document: the stored count stays, the leaves stop at the most a
// scene shows.
TEST_F(LeafFrames, ACountPastTheMostMakesTheMost) {
  for (unsigned count : {DS_3D_in_2D_array::kMaxLeaves + 1, 0xFFFFFFFFu}) {
    SCOPED_TRACE(count);
    DS_3D_in_2D_array_Constructor item;
    item.count.Assign(count);
    std::unique_ptr<DS_3D_in_2D_array> object = Make(item);
    EXPECT_EQ(object->Mesh().children.size(), size_t(DS_3D_in_2D_array::kMaxLeaves));
    EXPECT_EQ(object->Leaves().count.Value(), count);
  }
}

TEST_F(LeafFrames, EachObjectMovesItsLeavesWithTheTimeOfItsOwnUpdate) {
  DS_3D_in_2D_array_Constructor item;
  item.count.Assign(3);
  std::unique_ptr<DS_3D_in_2D_array> a = Make(item), b = Make(item);
  auto lastTimes = [](DS_3D_in_2D_array& o) {
    std::set<float> times;
    for (DS_Frame* leaf : o.Mesh().children) times.insert(static_cast<DS_SreamAnim*>(leaf->animator.get())->lastTime);
    return times;
  };
  a->Update(1.0f);
  b->Update(5.0f);
  EXPECT_EQ(g_streamAnimTime, 5.0f);
  a->Update(1.05f);
  EXPECT_EQ(lastTimes(*a), std::set<float>{1.05f});
  EXPECT_EQ(lastTimes(*b), std::set<float>{5.0f});
  for (DS_Frame* leaf : a->Mesh().children)
    EXPECT_NEAR(static_cast<DS_SreamAnim*>(leaf->animator.get())->step, 0.05f, 1e-5f);
}

TEST_F(LeafFrames, WithoutAMeshTheLeavesCollapseAndNothingIsDrawn) {
  DS_3D_in_2D_array_Constructor item;
  item.count.Assign(4);
  item.streamParams.size.Assign(30);
  std::unique_ptr<DS_3D_in_2D_array> object = Make(item);
  object->Update(0.5f);
  EXPECT_FALSE(object->Mesh().HasMesh());
  for (DS_Frame* leaf : object->Mesh().children) {
    EXPECT_EQ(leaf->boundingRadius, 0.0f);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) EXPECT_EQ(leaf->world.m[r][c], 0.0f) << "a leaf without radius has a size";
  }
}

}  // namespace
