// The scene item base: its record, its reading rules and its copy.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "document/DS_ABObj_Constructor.h"
#include "tests/support/RecordBytes.h"

namespace {

class TestItem : public DS_ABObj_Constructor {
 public:
  DS_ABObj* CreateObject() override { return nullptr; }
};

void AppendString(std::vector<uint8_t>& out, const std::wstring& text) {
  for (int b : {0xFF, 0xFE, 0xFF}) out.push_back(uint8_t(b));
  out.push_back(uint8_t(text.size()));
  for (wchar_t c : text) {
    out.push_back(uint8_t(c & 0xFF));
    out.push_back(uint8_t(c >> 8));
  }
}

void AppendInt(std::vector<uint8_t>& out, int32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(v) >> (8 * i)));
}

std::vector<uint8_t> Record(int32_t version, const std::wstring& name, const std::wstring& className = L"DS_ABObj_Constructor") {
  std::vector<uint8_t> out;
  AppendString(out, className);
  AppendInt(out, version);
  AppendString(out, name);
  return out;
}

RecordBytes Written(DS_IOF_Item& item) {
  return WriteBytes([&](DS_IOF_Holder s) { item.Write(s); });
}

TEST(SceneItem, WritesItsRecord) {
  TestItem item;
  item.SetObjectName(L"Waves");
  EXPECT_EQ(Written(item), Record(1, L"Waves"));
  TestItem unnamed;
  EXPECT_EQ(Written(unnamed), Record(1, L""));
}

TEST(SceneItem, ReadsOneFieldWhateverTheHeaderSays) {
  struct Case {
    const char* name;
    std::wstring nameBefore;
    std::vector<uint8_t> bytes;
    std::wstring nameAfter;
  };
  const Case cases[] = {
      {"version 1", L"", Record(1, L"Fire brush"), L"Fire brush"},
      {"another version reads the same field", L"", Record(7, L"Fire brush"), L"Fire brush"},
      {"the class name is not compared", L"", Record(1, L"Fog", L"DS_Something_Else"), L"Fog"},
      {"an empty stored name on a fresh item", L"", Record(1, L""), L""},
      {"an empty stored name keeps the name", L"Kept", Record(1, L""), L"Kept"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestItem item;
    item.SetObjectName(c.nameBefore);
    ReadBytes(c.bytes, [&](DS_IOF_Holder s) { EXPECT_TRUE(item.ReadRecord(s)); });
    EXPECT_EQ(item.ObjectName(), c.nameAfter);
  }
}

TEST(SceneItem, ARecordReadBackWritesTheSameBytes) {
  const std::vector<uint8_t> bytes = Record(1, L"Butterfly 2");
  TestItem item;
  ReadBytes(bytes, [&](DS_IOF_Holder s) { item.ReadRecord(s); });
  EXPECT_EQ(Written(item), bytes);
}

TEST(SceneItem, ACopyTakesTheNameAndTheDefaultsDoNothing) {
  TestItem item;
  item.SetObjectName(L"Clock");
  TestItem copy(item);
  EXPECT_EQ(copy.ObjectName(), L"Clock");
  copy.Reset();
  copy.Reserved4(1);
  copy.Reserved5(2);
  EXPECT_FALSE(copy.Reserved6(3));
  EXPECT_FALSE(copy.Reserved7(4));
  EXPECT_EQ(copy.ObjectName(), L"Clock");
  EXPECT_EQ(copy.CreateObject(), nullptr);
}

}  // namespace
