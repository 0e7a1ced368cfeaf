// The mesh-instance array of the 3D objects: instances follow the count (kept, appended,
// removed oldest first, parts attached again every time), and destroying the render object
// touches no freed memory, whatever its item's parameters went through. The leaf frames'
// object is destroyed the same way.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "objects/DS_3D_in_2D_array.h"
#include "objects/DS_ButterflyConstructor.h"
#include "objects/DS_ClockConstructor.h"
#include "tests/object_model/GuardedHeap.h"
#include "tests/objects3d/Objects3DFixture.h"

namespace {

// A butterfly that counts how often its parts are attached.
class CountingButterfly : public DS_ButterflyConstructor {
 public:
  explicit CountingButterfly(int* calls) : attachCalls(calls) {}
  DS_3D_Obj_Ctrl* Clone() const override { return new CountingButterfly(*this); }
  void AttachParts(const std::list<DS_FrameTree>& instances, std::vector<DS_MeshPart>& parts) override {
    ++*attachCalls;
    DS_ButterflyConstructor::AttachParts(instances, parts);
  }
  int* attachCalls;
};

std::vector<DS_Frame*> Roots(const DS_3DObjArray& a) {
  std::vector<DS_Frame*> roots;
  for (const DS_FrameTree& r : a.Instances()) roots.push_back(r.get());
  return roots;
}

D3DXVECTOR3 FlightPosition(DS_Frame* root) { return static_cast<AC_Butterfly*>(root->animator.get())->position; }

class ObjectArray : public Objects3DFixture {};

TEST_F(ObjectArray, MoreInstancesKeepTheOldOnesAndAreAppended) {
  int calls = 0;
  CountingButterfly item(&calls);
  item.count.Assign(2);
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(item.CreateObject()));
  EXPECT_EQ(calls, 1);
  for (int i = 1; i <= 5; ++i) object->Update(0.05f * float(i));
  const std::vector<DS_Frame*> before = Roots(*object);
  const D3DXVECTOR3 flown = FlightPosition(before[1]);

  object->Object().count.SetValue(3);
  const std::vector<DS_Frame*> after = Roots(*object);
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(after[0], before[0]);
  EXPECT_EQ(after[1], before[1]);
  EXPECT_EQ(FlightPosition(after[1]), flown) << "an existing butterfly keeps its flight";
  EXPECT_EQ(calls, 2);

  // Part 0 at the roots in order; part 1 at the wings, the newest instance's in front.
  const std::vector<DS_MeshPart>& parts = object->Parts();
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(std::vector<DS_Frame*>(parts[0].frames.begin(), parts[0].frames.end()), after);
  std::vector<DS_Frame*> wings;
  for (auto it = after.rbegin(); it != after.rend(); ++it) wings.insert(wings.end(), (*it)->children.begin(), (*it)->children.end());
  EXPECT_EQ(std::vector<DS_Frame*>(parts[1].frames.begin(), parts[1].frames.end()), wings);
}

TEST_F(ObjectArray, FewerInstancesRemoveTheOldestAndAnUnchangedCountStillAttaches) {
  int calls = 0;
  CountingButterfly item(&calls);
  item.count.Assign(3);
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(item.CreateObject()));
  const std::vector<DS_Frame*> before = Roots(*object);

  object->Object().count.SetValue(1);
  EXPECT_EQ(Roots(*object), std::vector<DS_Frame*>{before[2]});
  EXPECT_EQ(object->Parts()[0].frames.size(), 1u);
  EXPECT_EQ(object->Parts()[1].frames.size(), 2u);
  EXPECT_EQ(calls, 2);

  object->OnCountChanged(1);
  EXPECT_EQ(Roots(*object), std::vector<DS_Frame*>{before[2]});
  EXPECT_EQ(calls, 3);
}

TEST_F(ObjectArray, CountZeroHasPartsWithoutFrames) {
  DS_ButterflyConstructor item;
  item.count.Assign(0);
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(item.CreateObject()));
  object->Update(0.1f);
  EXPECT_TRUE(object->Instances().empty());
  ASSERT_EQ(object->Parts().size(), 2u);
  EXPECT_TRUE(object->Parts()[0].frames.empty());
  EXPECT_TRUE(object->Parts()[1].frames.empty());
}

// A count from a damaged document: the stored count stays, the instances stop at the most
// a scene shows.
TEST_F(ObjectArray, ACountPastTheMostBuildsTheMost) {
  for (unsigned count : {DS_3DObjArray::kMaxInstances, DS_3DObjArray::kMaxInstances + 1, 0x7FFFFFFFu}) {
    SCOPED_TRACE(count);
    DS_ClockConstructor item;
    item.count.Assign(count);
    std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(item.CreateObject()));
    EXPECT_EQ(object->Instances().size(), size_t(DS_3DObjArray::kMaxInstances));
    EXPECT_EQ(object->Object().count.Value(), count);
  }
}

TEST_F(ObjectArray, AttachingToFewerThanTwoPartsThrows) {
  DS_ButterflyConstructor butterfly;
  DS_ClockConstructor clock;
  std::list<DS_FrameTree> instances;
  instances.push_back(butterfly.BuildFrames());
  for (DS_3D_Obj_Ctrl* object : {static_cast<DS_3D_Obj_Ctrl*>(&butterfly), static_cast<DS_3D_Obj_Ctrl*>(&clock)}) {
    std::vector<DS_MeshPart> parts(1);
    try {
      object->AttachParts(instances, parts);
      ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
      EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
    }
  }
}

TEST_F(ObjectArray, TheClockAdvancesBeforeTheInstancesMove) {
  DS_ButterflyConstructor item;
  PlaceInMiddle(item);
  std::unique_ptr<DS_3DObjArray> object(static_cast<DS_3DObjArray*>(item.CreateObject()));
  object->Update(0.1f);
  EXPECT_FLOAT_EQ(object->Object().clock, 0.1f);
  const D3DXMATRIX first = object->Instances().front()->world;
  object->Update(0.2f);
  EXPECT_FLOAT_EQ(object->Object().frameStep, 0.1f);
  EXPECT_FALSE(SameMatrix(object->Instances().front()->world, first)) << "the butterfly did not move";
}

// Destroying a render object whose clone's parameters changed, after a few frames, on the
// checking heap: no freed memory is touched, nothing is freed twice or left behind.
TEST_F(ObjectArray, DestructionTouchesNoFreedMemory) {
  struct Case {
    const char* name;
    std::function<DS_ABObj_Constructor*()> make;
    std::function<void(DS_ABObj&)> change;
  };
  const Case cases[] = {
      {"butterflies", [] { auto* b = new DS_ButterflyConstructor; b->count.Assign(3); return b; },
       [](DS_ABObj& o) {
         auto& a = static_cast<DS_3DObjArray&>(o);
         a.Object().size.SetValue(120);
         a.Object().count.SetValue(2);
       }},
      {"clock", [] { return new DS_ClockConstructor; },
       [](DS_ABObj& o) {
         auto& a = static_cast<DS_3DObjArray&>(o);
         a.Object().size.SetValue(300);
         static_cast<DS_ClockConstructor&>(a.Object()).placement.NotifyControls(nullptr);
         a.Object().count.SetValue(2);
       }},
      {"leaves", [] { auto* l = new DS_3D_in_2D_array_Constructor; l->count.Assign(10); return l; },
       [](DS_ABObj&) {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int faults = 0, doubleFrees = 0, live = 0;
    {
      guarded_heap::Scope heap;
      {
        std::unique_ptr<DS_ABObj_Constructor> item(c.make());
        std::unique_ptr<DS_ABObj> object(item->CreateObject());
        for (int i = 1; i <= 3; ++i) object->Update(0.05f * float(i));
        c.change(*object);
        object->Update(0.2f);
      }
      faults = heap.Faults();
      doubleFrees = heap.DoubleFrees();
      live = heap.LiveBlocks();
    }
    EXPECT_EQ(faults, 0) << "freed memory was touched";
    EXPECT_EQ(doubleFrees, 0) << "a frame or control was deleted twice";
    EXPECT_EQ(live, 0) << "something was not deleted";
  }
}

}  // namespace
