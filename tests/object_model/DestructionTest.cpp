// Parameters and controls may be destroyed in either order without touching freed memory.
// Every case runs on the checking heap, which makes freed blocks inaccessible and counts
// any later access.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/MediaParam.h"
#include "tests/object_model/GuardedHeap.h"
#include "tests/object_model/TestControls.h"

namespace {

struct Owner {
  static int destroyed;
  int calls = 0;
  virtual ~Owner() { ++destroyed; }
  void OnValue(int) { ++calls; }
  void OnChange() { ++calls; }
};
int Owner::destroyed = 0;

// One parameter observed by two function controls (owned by a list) and a loose control.
struct Scene {
  std::vector<std::string> log;
  Owner* owner = new Owner;
  MediaParamT<int>* param = new MediaParamT<int>(1);
  DS_ControlList* list = new DS_ControlList;
  LoggingControl* loose = nullptr;
  DS_FunLightCtrl<int, Owner>* valueCtrl = nullptr;
  DS_FunLightCtrl2<Owner>* plainCtrl = nullptr;

  Scene() {
    list->SetOwner(owner);
    list->SetUnderConstruction(false);
    valueCtrl = DS_FunLightCtrl<int, Owner>::Bind(*list, *param, &Owner::OnValue);
    loose = new LoggingControl("loose", log);
    loose->Attach(param);
    plainCtrl = DS_FunLightCtrl2<Owner>::Bind(*list, *param, &Owner::OnChange);
  }
};

void ExpectCleanHeap(const guarded_heap::Scope& heap) {
  EXPECT_EQ(heap.Faults(), 0) << "freed memory was touched";
  EXPECT_EQ(heap.DoubleFrees(), 0);
  EXPECT_EQ(heap.LiveBlocks(), 0) << "something was not freed";
}

TEST(Destruction, TheCheckingHeapSeesAnAccessToFreedMemory) {
  guarded_heap::Scope heap;
  int* volatile p = new int(5);
  delete p;
  volatile int read = *p;
  (void)read;
  EXPECT_EQ(heap.Faults(), 1);
  delete p;
  EXPECT_EQ(heap.DoubleFrees(), 1);
  EXPECT_EQ(heap.LiveBlocks(), 0);
}

TEST(Destruction, ParameterFirstThenControlsThenList) {
  guarded_heap::Scope heap;
  {
    Scene s;
    s.param->SetValue(2);
    s.log.clear();
    delete s.param;
    // The history is not told; the other controls are, front to back, and let go.
    EXPECT_EQ((std::vector<std::string>{"loose:destroyed"}), s.log);
    EXPECT_EQ(s.valueCtrl->Param(), nullptr);
    EXPECT_EQ(s.plainCtrl->Param(), nullptr);
    EXPECT_EQ(s.loose->Param(), nullptr);
    delete s.loose;
    delete s.list;
    EXPECT_EQ(s.owner->calls, 3);  // the bind call, then SetValue(2) through both controls
    delete s.owner;
  }
  ExpectCleanHeap(heap);
}

TEST(Destruction, ListFirstThenParameter) {
  guarded_heap::Scope heap;
  {
    Scene s;
    delete s.list;
    EXPECT_EQ((std::list<MediaControl*>{&s.param->History(), s.loose}), s.param->Controls());
    s.param->SetValue(3);
    EXPECT_EQ((std::vector<std::string>{"loose:3"}), s.log);
    delete s.loose;
    EXPECT_EQ((std::list<MediaControl*>{&s.param->History()}), s.param->Controls());
    delete s.param;
    delete s.owner;
  }
  ExpectCleanHeap(heap);
}

TEST(Destruction, AParameterTellsItsControlsFrontToBack) {
  guarded_heap::Scope heap;
  {
    std::vector<std::string> log;
    auto* param = new MediaParamTB<int>(0);
    auto* a = new LoggingControl("a", log);
    auto* b = new LoggingControl("b", log);
    auto* c = new LoggingControl("c", log);
    a->Attach(param);
    b->Attach(param);
    c->Attach(param);
    delete param;
    EXPECT_EQ((std::vector<std::string>{"a:destroyed", "b:destroyed", "c:destroyed"}), log);
    delete b;
    delete a;
    delete c;
  }
  ExpectCleanHeap(heap);
}

TEST(Destruction, AListStillUnderConstructionDeletesItsOwner) {
  struct Case {
    bool underConstruction;
    bool withOwner;
    int ownersDestroyed;
  };
  const Case cases[] = {{true, true, 1}, {false, true, 0}, {true, false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.underConstruction) + "/" + std::to_string(c.withOwner));
    guarded_heap::Scope heap;
    Owner::destroyed = 0;
    auto* owner = new Owner;
    auto* param = new MediaParamT<int>(0);
    auto* list = new DS_ControlList;
    EXPECT_TRUE(list->UnderConstruction());
    EXPECT_EQ(list->RawOwner(), nullptr);
    if (c.withOwner) list->SetOwner(owner);
    list->SetUnderConstruction(c.underConstruction);
    if (c.withOwner) DS_FunLightCtrl2<Owner>::Bind(*list, *param, &Owner::OnChange);
    delete list;
    EXPECT_EQ(Owner::destroyed, c.ownersDestroyed);
    EXPECT_EQ((std::list<MediaControl*>{&param->History()}), param->Controls());
    if (Owner::destroyed == 0) delete owner;
    delete param;
    ExpectCleanHeap(heap);
  }
}

}  // namespace
