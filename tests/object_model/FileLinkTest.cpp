// File links: key order, path operations, constructors, the stored form and the image
// link's undo history.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "document/DS_FileLink3.h"
#include "document/DS_IOF.h"
#include "tests/object_model/GuardedHeap.h"
#include "tests/object_model/TestControls.h"
#include "tests/support/RecordBytes.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(uint8_t(v));
  return out;
}

void AppendUtf16(std::vector<uint8_t>& out, const std::wstring& text) {
  for (wchar_t c : text) {
    out.push_back(uint8_t(c & 0xFF));
    out.push_back(uint8_t(c >> 8));
  }
}

// The link record of a short path: string header with its length, units, 8 stamp bytes.
std::vector<uint8_t> LinkRecord(const std::wstring& path, int64_t stamp) {
  std::vector<uint8_t> out = Bytes({0xFF, 0xFE, 0xFF, int(path.size())});
  AppendUtf16(out, path);
  for (int i = 0; i < 8; ++i) out.push_back(uint8_t(uint64_t(stamp) >> (8 * i)));
  return out;
}

RecordBytes WriteLink(const DS_FileLink3& link) {
  return WriteBytes([&](DS_IOF_Holder s) { link.Write(s); });
}

// Reads the link's record, which must end at the last byte.
void ReadLink(DS_FileLink3& link, const RecordBytes& bytes) {
  ReadBytes(bytes, [&](DS_IOF_Holder s) { link.Read(s); });
}

// ---- keys and path operations --------------------------------------------------------

TEST(LinkKey, OrdersByPathUnitsThenSignedStamp) {
  struct Case {
    DS_LinkKey a, b;
    bool aFirst, bFirst;
  };
  const Case cases[] = {
      {{L"common_res.dll", 7}, {L"common_res.dll", 8}, true, false},
      {{L"common_res", 900}, {L"common_res.dll", 7}, true, false},  // a proper prefix first
      {{L"", 5}, {L"c", 0}, true, false},
      {{L"x.png", -1}, {L"x.png", 0}, true, false},
      {{L"x.png", INT64_MIN}, {L"x.png", INT64_MAX}, true, false},
      {{L"a", 0}, {L"\xFFFF", 0}, true, false},  // units compare unsigned
      {{L"\x7FFF", 0}, {L"\x8000", 0}, true, false},
      {{L"B", 9}, {L"a", 0}, true, false},  // no case folding
      {{L"same", 3}, {L"same", 3}, false, false},
  };
  LinkKeyLess less;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a.path.begin(), c.a.path.end()) + " vs " + std::string(c.b.path.begin(), c.b.path.end()));
    EXPECT_EQ(less(c.a, c.b), c.aFirst);
    EXPECT_EQ(less(c.b, c.a), c.bFirst);
  }
}

TEST(LinkKey, LowerExtension) {
  struct Case {
    const wchar_t* path;
    const wchar_t* extension;
  };
  const Case cases[] = {
      {L"common_res.dll", L".dll"},
      {L"C:\\Scenes\\COMMON_RES.DLL", L".dll"},
      {L"picture.JpG", L".jpg"},
      {L"C:\\my.scenes\\picture", L".scenes\\picture"},  // the last "." sits in a folder name
      {L"C:\\Scenes\\picture", L""},
      {L"", L""},
      {L"trailing.", L"."},
      {L"archive.tar.GZ", L".gz"},
      {L"x.\x00C4Z", L".\x00C4z"},  // only A to Z are lowered
  };
  for (const Case& c : cases) {
    DS_FileLink3 link(std::wstring(c.path), 0);
    EXPECT_EQ(link.GetLowerExtension(), std::wstring(c.extension)) << std::string(link.Path().begin(), link.Path().end());
  }
}

TEST(LinkKey, ExtractFileName) {
  struct Case {
    const wchar_t* path;
    const wchar_t* name;
  };
  const Case cases[] = {
      {L"C:\\Music\\theme.mp3", L"theme.mp3"},
      {L"a\\b\\c", L"c"},
      {L"theme.mp3", L""},  // no backslash at all
      {L"C:\\Music\\", L""},
      {L"C:/Music/theme.mp3", L""},  // forward slashes are not separators here
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtractFileName(c.path), std::wstring(c.name));
}

// ---- constructors --------------------------------------------------------------------

TEST(FileLink, ConstructorsMakeTheirKeys) {
  DS_FileLink3 empty;
  EXPECT_EQ(empty.Key(), (DS_LinkKey{L"", 0}));
  DS_FileLink3 module(7, L"common_res.dll");
  EXPECT_EQ(module.Key(), (DS_LinkKey{L"common_res.dll", 7}));
  DS_FileLink3 given(L"mesh.x", int64_t(1) << 40);
  EXPECT_EQ(given.Key(), (DS_LinkKey{L"mesh.x", int64_t(1) << 40}));
  DS_FileLink3 fromModuleRecord(DS_FileRecord(62, L"common_res.dll"));
  EXPECT_EQ(fromModuleRecord.Key(), (DS_LinkKey{L"common_res.dll", 62}));
  DS_FileLink3 absent(std::wstring(L"C:\\no such folder\\no such file.png"));
  EXPECT_EQ(absent.Key(), (DS_LinkKey{L"C:\\no such folder\\no such file.png", 0}));

  DS_MeshFile mesh(70, L"common_res.dll");
  DS_HLSLEffectFile effect(L"fx.fxo", 3);
  DS_MeshFile meshCopy(mesh);
  EXPECT_EQ(meshCopy.Key(), (DS_LinkKey{L"common_res.dll", 70}));
  EXPECT_EQ(effect.Key(), (DS_LinkKey{L"fx.fxo", 3}));
}

TEST(FileLink, RecordsWithoutIdDrawConsecutiveCounterValues) {
  DS_FileRecord first, second;
  first.name = L"leaf.png";
  second.name = L"leaf.png";
  DS_FileLink3 a(first);
  DS_FileLink3 b(second);
  DS_FileLink3 moduleLink(DS_FileRecord(5, L"common_res.dll"));  // draws nothing
  DS_FileLink3 c(first);
  EXPECT_EQ(a.Path(), L"leaf.png");
  EXPECT_EQ(b.Path(), L"leaf.png");
  EXPECT_EQ(b.Stamp(), a.Stamp() + 1);
  EXPECT_EQ(c.Stamp(), a.Stamp() + 2);
}

TEST(FileLink, AFileOnDiskIsStampedWithItsModificationTime) {
  wchar_t dir[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, dir), 0u);
  std::wstring path = std::wstring(dir) + L"objmodel_stamp_test.png";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  // 2020-01-01 00:00:00 UTC as a FILETIME.
  const int64_t unixTime = 1577836800;
  ULARGE_INTEGER ticks;
  ticks.QuadPart = uint64_t(unixTime) * 10000000ull + 116444736000000000ull;
  FILETIME ft{ticks.LowPart, ticks.HighPart};
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &ft));
  CloseHandle(file);

  DS_FileLink3 link(path);
  DeleteFileW(path.c_str());
  EXPECT_EQ(link.Key(), (DS_LinkKey{path, unixTime}));
}

TEST(FileLink, ACopyTakesTheKeyButNotTheControls) {
  DS_FileLink3 original(8, L"common_res.dll");
  CountingControl control;
  original.AppendControl(&control);
  DS_FileLink3 copy(original);
  EXPECT_EQ(copy.Key(), original.Key());
  EXPECT_TRUE(copy.Controls().empty());
  original.RemoveControl(&control);
}

// ---- the stored form ----------------------------------------------------------------

TEST(FileLinkRecord, ReadsPathAndStampAndTellsNobody) {
  struct Case {
    const char* name;
    DS_LinkKey before;
    std::vector<uint8_t> bytes;
    DS_LinkKey after;
  };
  const Case cases[] = {
      {"module link", {L"", 0}, LinkRecord(L"common_res.dll", 7), {L"common_res.dll", 7}},
      {"empty stored path empties the link", {L"old.png", 3}, LinkRecord(L"", 9), {L"", 9}},
      {"negative stamp", {L"old.png", 3}, LinkRecord(L"a.x", -2), {L"a.x", -2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DS_FileLink3 link(c.before.path, c.before.stamp);
    CountingControl control;
    link.AppendControl(&control);
    ReadLink(link, c.bytes);
    EXPECT_EQ(link.Key(), c.after);
    EXPECT_EQ(control.told, 0);
    link.RemoveControl(&control);
  }
}

TEST(FileLinkRecord, WritesTheBytesItReads) {
  // "common_res.dll", stamp 7: FF FE FF 0E, fourteen units, then 07 and seven zero bytes.
  std::vector<uint8_t> expected = Bytes({0xFF, 0xFE, 0xFF, 0x0E});
  AppendUtf16(expected, L"common_res.dll");
  for (int b : {7, 0, 0, 0, 0, 0, 0, 0}) expected.push_back(uint8_t(b));
  EXPECT_EQ(WriteLink(DS_FileLink3(7, L"common_res.dll")), expected);

  const std::vector<std::vector<uint8_t>> records = {
      expected,
      LinkRecord(L"C:\\Scenes\\lake.jpg", 1577836800),
      LinkRecord(L"", 0),
  };
  for (const auto& bytes : records) {
    DS_FileLink3 link;
    ReadLink(link, bytes);
    EXPECT_EQ(WriteLink(link), bytes);
  }
  // A path long enough for the 6-byte string header survives the round trip too.
  DS_FileLink3 longPath(std::wstring(300, L'p'), -5);
  DS_FileLink3 back;
  ReadLink(back, WriteLink(longPath));
  EXPECT_EQ(back.Key(), longPath.Key());
}

// ---- image links and their history --------------------------------------------------

DS_LinkKey K(int n) { return DS_LinkKey{L"pic" + std::to_wstring(n) + L".png", n}; }

void ChangeKey(DS_ImageFileLink& link, const DS_LinkKey& key) {
  link.SetKey(key);
  link.NotifyControls(nullptr);
}

TEST(ImageLink, TheHistoryIsTheFirstControlAndTracksTheKey) {
  DS_ImageFileLink link(DS_FileLink3(K(4).path, K(4).stamp));
  ASSERT_EQ(link.Controls().size(), 1u);
  EXPECT_EQ(link.Controls().front(), &link.History());
  EXPECT_EQ(link.History().SavedKey(), K(4));
  EXPECT_EQ(link.History().Owner(), &link);
  EXPECT_TRUE(link.History().History().empty());

  DS_ImageFileLink copy(link);
  EXPECT_EQ(copy.Key(), K(4));
  EXPECT_EQ((std::list<MediaControl*>{&copy.History()}), copy.Controls());
  EXPECT_EQ(copy.History().Owner(), &copy);

  DS_ImageFileLink empty;
  EXPECT_EQ(empty.History().SavedKey(), (DS_LinkKey{L"", 0}));
}

enum class Op { Snapshot, Set, Undo, Redo };
struct ImageStep {
  Op op;
  int arg;
  int keyAfter;
  bool othersTold;
};

TEST(ImageLink, UndoScenarioWritesBackEveryTime) {
  DS_ImageFileLink link(DS_FileLink3(K(0).path, K(0).stamp));
  CountingControl other;
  link.AppendControl(&other);
  const ImageStep steps[] = {
      {Op::Snapshot, 0, 0, false}, {Op::Set, 1, 1, true},      {Op::Snapshot, 0, 1, false},
      {Op::Set, 2, 2, true},       {Op::Snapshot, 0, 2, false}, {Op::Set, 3, 3, true},
      {Op::Undo, 0, 2, true},      {Op::Undo, 0, 1, true},      {Op::Redo, 0, 2, true},
      {Op::Snapshot, 0, 2, false}, {Op::Redo, 0, 2, true},  // nothing to redo: still written back
  };
  int i = 0;
  for (const ImageStep& s : steps) {
    SCOPED_TRACE("step " + std::to_string(i++));
    int before = other.told;
    switch (s.op) {
      case Op::Snapshot: link.History().Snapshot(); break;
      case Op::Set: ChangeKey(link, K(s.arg)); break;
      case Op::Undo: link.History().Undo(); break;
      case Op::Redo: link.History().Redo(); break;
    }
    EXPECT_EQ(link.Key(), K(s.keyAfter));
    EXPECT_EQ(link.History().SavedKey(), K(s.keyAfter));
    EXPECT_EQ(other.told - before, s.othersTold ? 1 : 0);
    if (s.op == Op::Undo || s.op == Op::Redo) {
      EXPECT_EQ(other.lastSource, &link.History());
    }
  }
  EXPECT_EQ((std::list<DS_LinkKey>{K(2), K(1), K(0)}), link.History().History());
  EXPECT_EQ(link.History().CursorIndex(), 0u);
  link.RemoveControl(&other);
}

TEST(ImageLink, StepsThatMoveNothingStillWriteBackAndTell) {
  struct Case {
    const char* name;
    std::vector<Op> setup;
    Op probe;
  };
  const Case cases[] = {
      {"undo on an empty history", {}, Op::Undo},
      {"redo on an empty history", {}, Op::Redo},
      {"redo right after a snapshot", {Op::Snapshot}, Op::Redo},
      {"undo with the cursor at the end", {Op::Snapshot, Op::Undo}, Op::Undo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DS_ImageFileLink link(DS_FileLink3(K(1).path, K(1).stamp));
    for (Op op : c.setup) {
      if (op == Op::Snapshot) link.History().Snapshot();
      if (op == Op::Undo) link.History().Undo();
    }
    // A key read from a record is stored without telling the history.
    ReadLink(link, LinkRecord(K(5).path, K(5).stamp));
    CountingControl other;
    link.AppendControl(&other);
    if (c.probe == Op::Undo) link.History().Undo();
    if (c.probe == Op::Redo) link.History().Redo();
    EXPECT_EQ(link.Key(), K(1));  // the saved key went back into the link
    EXPECT_EQ(other.told, 1);
    EXPECT_EQ(other.lastSource, &link.History());
    link.RemoveControl(&other);
  }
}

TEST(ImageLink, KeepsTheTwentyNewestSnapshots) {
  DS_ImageFileLink link;
  for (int n = 0; n <= 20; ++n) {
    ChangeKey(link, K(n));
    link.History().Snapshot();
  }
  const auto& h = link.History().History();
  ASSERT_EQ(h.size(), 20u);
  EXPECT_EQ(h.front(), K(20));
  EXPECT_EQ(h.back(), K(1));
}

TEST(ImageLink, DestroyedInEitherOrderWithItsControls) {
  struct Owner {
    int calls = 0;
    void OnImageChanged() { ++calls; }
  };
  for (bool linkFirst : {true, false}) {
    SCOPED_TRACE(linkFirst ? "link first" : "controls first");
    guarded_heap::Scope heap;
    {
      auto* owner = new Owner;
      auto* link = new DS_ImageFileLink(DS_FileLink3(7, L"common_res.dll"));
      auto* list = new DS_ControlList;
      list->SetOwner(owner);
      list->SetUnderConstruction(false);
      auto* ctrl = DS_FunLightCtrl2<Owner>::Bind(*list, *link, &Owner::OnImageChanged);
      link->History().Snapshot();
      ChangeKey(*link, K(3));
      link->History().Undo();
      EXPECT_EQ(owner->calls, 2);
      if (linkFirst) {
        delete link;
        EXPECT_EQ(ctrl->Param(), nullptr);
        delete list;
      } else {
        delete list;
        EXPECT_EQ((std::list<MediaControl*>{&link->History()}), link->Controls());
        delete link;
      }
      delete owner;
    }
    EXPECT_EQ(heap.Faults(), 0);
    EXPECT_EQ(heap.DoubleFrees(), 0);
    EXPECT_EQ(heap.LiveBlocks(), 0);
  }
}

}  // namespace
