// Parameters, controls and undo histories: who is told of what, in which order, and what
// the histories hold after each step.
#include <gtest/gtest.h>

#include <d3dx9math.h>

#include <string>
#include <vector>

#include "document/MediaParam.h"
#include "tests/object_model/TestControls.h"

namespace {

// An owner of function controls that records every call.
struct RecordingOwner {
  std::vector<std::string>* log = nullptr;
  std::string name;
  int lastValue = -1;
  int calls = 0;
  int plainCalls = 0;

  void OnValue(int v) {
    lastValue = v;
    ++calls;
    if (log) log->push_back(name + ":" + std::to_string(v));
  }
  void OnAnyChange() {
    ++plainCalls;
    if (log) log->push_back(name + ":changed");
  }
};

DS_ControlList& ReadyList(DS_ControlList& list, RecordingOwner& owner) {
  list.SetOwner(&owner);
  list.SetUnderConstruction(false);
  return list;
}

// ---- Undo history -------------------------------------------------------------------

template <class T>
class UndoHistoryTest : public ::testing::Test {};
using UndoValueTypes = ::testing::Types<int, unsigned int, unsigned long>;
TYPED_TEST_SUITE(UndoHistoryTest, UndoValueTypes);

enum class Op { Snapshot, Set, Undo, Redo };
struct UndoStep {
  Op op;
  int arg;             // value for Set
  int valueAfter;      // parameter value after the step
  bool othersTold;     // whether the other controls heard of the step
};

TYPED_TEST(UndoHistoryTest, StepsThroughTheDocumentedScenario) {
  using T = TypeParam;
  MediaParamT<T> param(T(0));
  // A plain control sees every notification the history causes.
  CountingControl counter;
  param.AppendControl(&counter);

  const UndoStep steps[] = {
      {Op::Snapshot, 0, 0, false}, {Op::Set, 1, 1, true},  {Op::Snapshot, 0, 1, false},
      {Op::Set, 2, 2, true},       {Op::Snapshot, 0, 2, false}, {Op::Set, 3, 3, true},
      {Op::Undo, 0, 2, true},      {Op::Undo, 0, 1, true},  {Op::Redo, 0, 2, true},
      {Op::Snapshot, 0, 2, false},
  };
  int i = 0;
  for (const UndoStep& s : steps) {
    SCOPED_TRACE("step " + std::to_string(i++));
    int before = counter.told;
    switch (s.op) {
      case Op::Snapshot: param.History().Snapshot(); break;
      case Op::Set: param.SetValue(T(s.arg)); break;
      case Op::Undo: param.History().Undo(); break;
      case Op::Redo: param.History().Redo(); break;
    }
    EXPECT_EQ(param.Value(), T(s.valueAfter));
    EXPECT_EQ(param.History().SavedValue(), T(s.valueAfter));
    EXPECT_EQ(counter.told - before, s.othersTold ? 1 : 0);
    if (s.othersTold && (s.op == Op::Undo || s.op == Op::Redo)) {
      EXPECT_EQ(counter.lastSource, &param.History());
    }
  }
  const std::list<T> expected{T(2), T(1), T(0)};
  EXPECT_EQ(param.History().History(), expected);
  EXPECT_EQ(param.History().CursorIndex(), 0u);
  param.RemoveControl(&counter);
}

TYPED_TEST(UndoHistoryTest, KeepsTheTwentyNewestSnapshots) {
  using T = TypeParam;
  MediaParamT<T> param(T(0));
  for (int v = 0; v <= 20; ++v) {
    param.SetValue(T(v));
    param.History().Snapshot();
  }
  const auto& h = param.History().History();
  ASSERT_EQ(h.size(), 20u);
  EXPECT_EQ(h.front(), T(20));
  EXPECT_EQ(h.back(), T(1));  // the first value snapshotted (0) is gone
  EXPECT_EQ(param.History().CursorIndex(), 0u);
}

// Cases in which Undo or Redo must neither store nor tell.
struct NoOpCase {
  const char* name;
  std::vector<Op> setup;  // Set steps use increasing values 1, 2, ...
  Op probe;
  int valueAfter;
  int cursorAfter;
};

TYPED_TEST(UndoHistoryTest, NoOpCasesStoreNothingAndTellNobody) {
  using T = TypeParam;
  const NoOpCase cases[] = {
      {"redo right after a snapshot", {Op::Snapshot, Op::Set, Op::Snapshot}, Op::Redo, 1, 0},
      {"undo on an empty history", {Op::Set}, Op::Undo, 1, 0},
      {"redo on an empty history", {Op::Set}, Op::Redo, 1, 0},
      {"undo with the cursor at the end", {Op::Snapshot, Op::Set, Op::Undo}, Op::Undo, 0, 1},
      {"undo right after snapshotting a change", {Op::Snapshot, Op::Set, Op::Snapshot}, Op::Undo, 1, 1},
  };
  for (const NoOpCase& c : cases) {
    SCOPED_TRACE(c.name);
    MediaParamT<T> param(T(0));
    RecordingOwner owner;
    DS_ControlList list;
    DS_FunLightCtrl2<RecordingOwner>::Bind(ReadyList(list, owner), param, &RecordingOwner::OnAnyChange);
    int next = 1;
    for (Op op : c.setup) {
      if (op == Op::Snapshot) param.History().Snapshot();
      if (op == Op::Set) param.SetValue(T(next++));
      if (op == Op::Undo) param.History().Undo();
    }
    int told = owner.plainCalls;
    auto historyBefore = param.History().History();
    if (c.probe == Op::Undo) param.History().Undo();
    if (c.probe == Op::Redo) param.History().Redo();
    EXPECT_EQ(param.Value(), T(c.valueAfter));
    EXPECT_EQ(owner.plainCalls, told);
    EXPECT_EQ(param.History().CursorIndex(), size_t(c.cursorAfter));
    EXPECT_EQ(param.History().History().size(), historyBefore.size());
  }
}

TYPED_TEST(UndoHistoryTest, UndoAfterASnapshottedChangeRestoresOnTheSecondStep) {
  using T = TypeParam;
  MediaParamT<T> param(T(0));
  param.History().Snapshot();
  param.SetValue(T(5));
  param.History().Snapshot();
  param.History().Undo();  // swaps 5 with 5: nothing
  EXPECT_EQ(param.Value(), T(5));
  param.History().Undo();
  EXPECT_EQ(param.Value(), T(0));
}

TEST(UndoHistory, StepWithoutWriteBackLeavesADirectStoreAlone) {
  // A value read from a record is stored directly; an Undo that cannot step must not
  // restore the history's stale saved value over it.
  MediaParamT<int> param(4);
  param.Value() = 9;
  param.History().Undo();
  param.History().Redo();
  EXPECT_EQ(param.Value(), 9);
}

// ---- Notification -------------------------------------------------------------------

TEST(Notification, VisitsControlsInAttachmentOrderHistoryFirst) {
  std::vector<std::string> log;
  MediaParamT<int> param(0);
  RecordingOwner a{&log, "a"}, b{&log, "b"};
  DS_ControlList listA, listB;
  ReadyList(listA, a);
  ReadyList(listB, b);
  // The history must already hold the new value when the first function control runs.
  int savedSeenByA = -1;
  DS_FunLightCtrl<int, RecordingOwner>::Bind(listA, param, [&](RecordingOwner* o, int v) {
    savedSeenByA = param.History().SavedValue();
    o->OnValue(v);
  });
  LoggingControl middle("m", log);
  middle.Attach(&param);
  DS_FunLightCtrl2<RecordingOwner>::Bind(listB, param, &RecordingOwner::OnAnyChange);
  log.clear();

  param.SetValue(7);
  EXPECT_EQ((std::vector<std::string>{"a:7", "m:7", "b:changed"}), log);
  EXPECT_EQ(savedSeenByA, 7);
  ASSERT_EQ(param.Controls().size(), 4u);
  EXPECT_EQ(param.Controls().front(), &param.History());
}

TEST(Notification, TheSourceIsSkippedAndEveryOtherControlTold) {
  std::vector<std::string> log;
  MediaParamTB<int> param(0);
  LoggingControl a("a", log), b("b", log), c("c", log);
  a.Attach(&param);
  b.Attach(&param);
  c.Attach(&param);
  // b changes the value itself and names itself as the source.
  param.Value() = 3;
  param.NotifyControls(&b);
  EXPECT_EQ((std::vector<std::string>{"a:3", "c:3"}), log);
  log.clear();
  param.NotifyControls(nullptr);
  EXPECT_EQ((std::vector<std::string>{"a:3", "b:3", "c:3"}), log);
}

struct ChangeCase {
  const char* name;
  void (*change)(MediaParamT<int>&);
  int valueAfter;
  int functionCalls;  // calls of the bound function control after binding
  int savedAfter;
};

TEST(Notification, AssignAndSetValueTellWhomTheyShould) {
  const ChangeCase cases[] = {
      {"Assign tells only the history", [](MediaParamT<int>& p) { p.Assign(5); }, 5, 0, 5},
      {"SetValue with an equal value tells nobody", [](MediaParamT<int>& p) { p.SetValue(2); }, 2, 0, 2},
      {"SetValue with a new value tells every control once", [](MediaParamT<int>& p) { p.SetValue(6); }, 6, 1, 6},
      {"a direct store tells nobody", [](MediaParamT<int>& p) { p.Value() = 8; }, 8, 0, 2},
  };
  for (const ChangeCase& c : cases) {
    SCOPED_TRACE(c.name);
    MediaParamT<int> param(2);
    RecordingOwner fnOwner, plainOwner;
    DS_ControlList fnList, plainList;
    DS_FunLightCtrl<int, RecordingOwner>::Bind(ReadyList(fnList, fnOwner), param, &RecordingOwner::OnValue);
    DS_FunLightCtrl2<RecordingOwner>::Bind(ReadyList(plainList, plainOwner), param, &RecordingOwner::OnAnyChange);
    int bindCalls = fnOwner.calls;
    c.change(param);
    EXPECT_EQ(param.Value(), c.valueAfter);
    EXPECT_EQ(fnOwner.calls - bindCalls, c.functionCalls);
    EXPECT_EQ(plainOwner.plainCalls, c.functionCalls);
    EXPECT_EQ(param.History().SavedValue(), c.savedAfter);
  }
}

TEST(Notification, BindOfTheValueControlCallsOnceAndTheOtherNever) {
  MediaParamT<int> param(42);
  RecordingOwner owner;
  DS_ControlList list;
  ReadyList(list, owner);
  auto* valueCtrl = DS_FunLightCtrl<int, RecordingOwner>::Bind(list, param, &RecordingOwner::OnValue);
  EXPECT_EQ(owner.calls, 1);
  EXPECT_EQ(owner.lastValue, 42);
  auto* plainCtrl = DS_FunLightCtrl2<RecordingOwner>::Bind(list, param, &RecordingOwner::OnAnyChange);
  EXPECT_EQ(owner.plainCalls, 0);
  EXPECT_EQ((std::list<MediaControl*>{valueCtrl, plainCtrl}), list.Controls());
  EXPECT_EQ(valueCtrl->Param(), &param);
  EXPECT_EQ(plainCtrl->Param(), &param);
  EXPECT_EQ(valueCtrl->OwnerObject(), &owner);
}

// An owner with two bases whose callback lives in the second base: the call must reach
// that base's part of the object.
struct FirstBase {
  virtual ~FirstBase() = default;
  int padding[3] = {1, 2, 3};
};
struct SecondBase {
  virtual ~SecondBase() = default;
  unsigned int seen = 0;
  void OnCount(unsigned int v) { seen = v; }
};
struct TwoBaseOwner : FirstBase, SecondBase {
  unsigned int own = 0;
  void OnOwn(unsigned int v) { own = v * 2; }
};

TEST(Notification, MemberOfAnOwnerWithSeveralBasesReachesTheRightSubobject) {
  MediaParamT<unsigned int> count(3);
  TwoBaseOwner owner;
  DS_ControlList list;
  list.SetOwner(&owner);
  list.SetUnderConstruction(false);
  DS_FunLightCtrl<unsigned int, TwoBaseOwner>::Bind(list, count, &TwoBaseOwner::OnCount);
  DS_FunLightCtrl<unsigned int, TwoBaseOwner>::Bind(list, count, &TwoBaseOwner::OnOwn);
  EXPECT_EQ(owner.seen, 3u);
  EXPECT_EQ(owner.own, 6u);
  count.SetValue(10);
  EXPECT_EQ(owner.seen, 10u);
  EXPECT_EQ(owner.own, 20u);
  EXPECT_EQ(owner.padding[2], 3);
}

TEST(Notification, AttachMovesAControlToTheBackOfItsNewParameter) {
  std::vector<std::string> log;
  MediaParamT<int> first(1), second(2);
  LoggingControl c("c", log), other("o", log);
  c.Attach(&first);
  other.Attach(&second);
  c.Attach(&second);
  EXPECT_EQ((std::list<MediaControl*>{&first.History()}), first.Controls());
  EXPECT_EQ((std::list<MediaControl*>{&second.History(), &other, &c}), second.Controls());
  first.SetValue(5);
  second.SetValue(6);
  EXPECT_EQ((std::vector<std::string>{"o:6", "c:6"}), log);
}

TEST(Notification, ControlsThatChangeOtherParametersNotifyInTurn) {
  MediaParamT<int> a(0), b(0);
  struct Chain {
    MediaParamT<int>* target;
    void Forward(int v) { target->SetValue(v + 1); }
  } chain{&b};
  RecordingOwner watcher;
  DS_ControlList chainList, watchList;
  chainList.SetOwner(&chain);
  chainList.SetUnderConstruction(false);
  DS_FunLightCtrl<int, Chain>::Bind(chainList, a, &Chain::Forward);
  DS_FunLightCtrl<int, RecordingOwner>::Bind(ReadyList(watchList, watcher), b, &RecordingOwner::OnValue);
  a.SetValue(4);
  EXPECT_EQ(b.Value(), 5);
  EXPECT_EQ(watcher.lastValue, 5);
}

// ---- Construction and values --------------------------------------------------------

TEST(Params, DefaultValuesAreZero) {
  MediaParamT<int> i;
  MediaParamT<unsigned int> u;
  MediaParamT<unsigned long> ul;
  MediaParamTB<ds_string> s;
  MediaParamTB<D3DXVECTOR3> v;
  MediaParamTB<tagPOINT> p;
  EXPECT_EQ(i.Value(), 0);
  EXPECT_EQ(u.Value(), 0u);
  EXPECT_EQ(ul.Value(), 0ul);
  EXPECT_EQ(i.History().SavedValue(), 0);
  EXPECT_TRUE(s.Value().empty());
  EXPECT_EQ(v.Value().x, 0.0f);
  EXPECT_EQ(v.Value().y, 0.0f);
  EXPECT_EQ(v.Value().z, 0.0f);
  EXPECT_EQ(p.Value().x, 0);
  EXPECT_EQ(p.Value().y, 0);
}

TEST(Params, CompoundValuesNotifyOnlyWhenTheyDiffer) {
  MediaParamTB<tagPOINT> point;
  MediaParamTB<D3DXVECTOR3> corner;
  MediaParamTB<ds_string> text;
  CountingControl pc, cc, tc;
  point.AppendControl(&pc);
  corner.AppendControl(&cc);
  text.AppendControl(&tc);
  point.SetValue(POINT{0, 0});
  point.SetValue(POINT{0, 4});
  corner.SetValue(D3DXVECTOR3(0, 0, 0));
  corner.SetValue(D3DXVECTOR3(0, 0, 1.5f));
  text.SetValue(L"");
  text.SetValue(L"Slide 1");
  text.SetValue(L"Slide 1");
  EXPECT_EQ(pc.told, 1);
  EXPECT_EQ(cc.told, 1);
  EXPECT_EQ(tc.told, 1);
  point.RemoveControl(&pc);
  corner.RemoveControl(&cc);
  text.RemoveControl(&tc);
}

TEST(Params, ACopyTakesTheValueButNotControlsOrHistory) {
  MediaParamT<unsigned int> original(1);
  original.History().Snapshot();
  original.SetValue(9);
  RecordingOwner owner;
  DS_ControlList list;
  DS_FunLightCtrl2<RecordingOwner>::Bind(ReadyList(list, owner), original, &RecordingOwner::OnAnyChange);

  MediaParamT<unsigned int> copy(original);
  EXPECT_EQ(copy.Value(), 9u);
  EXPECT_EQ(copy.History().SavedValue(), 9u);
  EXPECT_TRUE(copy.History().History().empty());
  EXPECT_EQ((std::list<MediaControl*>{&copy.History()}), copy.Controls());
  EXPECT_EQ(copy.History().Owner(), &copy);
  copy.SetValue(3);
  EXPECT_EQ(owner.plainCalls, 0);
  EXPECT_EQ(original.Value(), 9u);
}

TEST(Params, ControlListRefusesAnOwnerOfAnotherType) {
  RecordingOwner owner;
  DS_ControlList list;
  ReadyList(list, owner);
  MediaParamTB<int> param;
  using WrongOwnerCtrl = DS_FunLightCtrl<int, TwoBaseOwner>;
  EXPECT_THROW(WrongOwnerCtrl::Bind(list, param, &TwoBaseOwner::OnOwn), std::logic_error);
  EXPECT_TRUE(param.Controls().empty());
  EXPECT_TRUE(list.Controls().empty());
}

}  // namespace
