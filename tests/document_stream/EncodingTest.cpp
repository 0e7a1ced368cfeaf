// Byte fixtures of the value encodings, each checked in both directions: the memory writer
// produces exactly the bytes, and the reader turns exactly those bytes into the value and
// stops at their end.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "document/DS_IOF.h"
#include "tests/document_stream/GuardedBytes.h"
#include "tests/support/RecordBytes.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// UTF-16LE units of an ASCII text.
Bytes Units(const std::string& ascii) {
  Bytes out;
  for (char c : ascii) {
    out.push_back(uint8_t(c));
    out.push_back(0);
  }
  return out;
}

struct EncodingCase {
  const char* name;
  Bytes bytes;
  std::function<void(DS_IOF_Holder)> write;
  // Reads from the stream and checks what it got.
  std::function<void(DS_IOF_Holder)> readAndCheck;
};

void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }

std::vector<EncodingCase> Cases() {
  std::vector<EncodingCase> cases;

  cases.push_back({"EmptyStringKeepsOldText", {0xFF, 0xFE, 0xFF, 0x00},
                   [](DS_IOF_Holder s) { s->WriteString(L""); },
                   [](DS_IOF_Holder s) {
                     ds_string text = L"old";
                     s->ReadString(text);
                     EXPECT_EQ(text, L"old");
                   }});

  cases.push_back({"Slide1", Cat({{0xFF, 0xFE, 0xFF, 0x07}, Units("Slide 1")}),
                   [](DS_IOF_Holder s) { s->WriteString(L"Slide 1"); },
                   [](DS_IOF_Holder s) {
                     ds_string text = L"previous text";
                     s->ReadString(text);
                     EXPECT_EQ(text, L"Slide 1");
                   }});

  cases.push_back({"DocumentHeader", Cat({{0xFF, 0xFE, 0xFF, 0x0B}, Units("KVX v 4.0.0")}),
                   [](DS_IOF_Holder s) { s->WriteString(L"KVX v 4.0.0"); },
                   [](DS_IOF_Holder s) {
                     ds_string text;
                     s->ReadString(text);
                     EXPECT_EQ(text, L"KVX v 4.0.0");
                   }});

  // Length-header boundaries: 254 still fits the 1-byte form, 255 needs the 16-bit form,
  // 65534 is the longest 16-bit form, 65535 needs the 32-bit form.
  struct LengthRow {
    const char* name;
    size_t units;
    Bytes header;
  };
  const LengthRow lengths[] = {
      {"String254Units", 254, {0xFF, 0xFE, 0xFF, 0xFE}},
      {"String255Units", 255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
      {"String65534Units", 65534, {0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}},
      {"String65535Units", 65535, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
  };
  for (const LengthRow& row : lengths) {
    const ds_string text(row.units, L'x');
    Bytes units;
    for (size_t i = 0; i < row.units; ++i) units.insert(units.end(), {uint8_t('x'), 0});
    cases.push_back({row.name, Cat({row.header, units}),
                     [text](DS_IOF_Holder s) { s->WriteString(text); },
                     [text](DS_IOF_Holder s) {
                       ds_string got;
                       s->ReadString(got);
                       EXPECT_EQ(got, text);
                     }});
  }

  // A 0 unit ends the text, but the next value starts after all the units.
  cases.push_back({"ZeroUnitInsideString",
                   Cat({{0xFF, 0xFE, 0xFF, 0x03}, {'a', 0, 0, 0, 'b', 0}, {0x2A, 0, 0, 0}}),
                   [](DS_IOF_Holder s) {
                     s->WriteString(ds_string(L"a\0b", 3));
                     s->WriteInt(42);
                   },
                   [](DS_IOF_Holder s) {
                     ds_string text;
                     int32_t next = 0;
                     s->ReadString(text);
                     s->ReadInt(next);
                     EXPECT_EQ(text, L"a");
                     EXPECT_EQ(next, 42);
                   }});

  cases.push_back({"Int64Seven", {0x07, 0, 0, 0, 0, 0, 0, 0},
                   [](DS_IOF_Holder s) { s->WriteInt64(7); },
                   [](DS_IOF_Holder s) {
                     int64_t v = -1;
                     s->ReadInt64(v);
                     EXPECT_EQ(v, 7);
                   }});

  cases.push_back({"Int64LowHalfFirst", {0x02, 0, 0, 0, 0x01, 0, 0, 0x80},
                   [](DS_IOF_Holder s) { s->WriteInt64(int64_t(0x8000000100000002ull)); },
                   [](DS_IOF_Holder s) {
                     int64_t v = 0;
                     s->ReadInt64(v);
                     EXPECT_EQ(uint64_t(v), 0x8000000100000002ull);
                   }});

  cases.push_back({"BlobOfSizeZero", Cat({{0, 0, 0, 0}, {0xFF, 0xFE, 0xFF, 0x01}, Units("a")}),
                   [](DS_IOF_Holder s) {
                     DS_DataBlob blob;
                     blob.name = L"a";
                     s->WriteBlob(blob);
                   },
                   [](DS_IOF_Holder s) {
                     DS_DataBlob blob;
                     s->ReadBlob(blob);
                     EXPECT_EQ(blob.data, nullptr);
                     EXPECT_EQ(blob.size, 0);
                     EXPECT_EQ(blob.name, L"a");
                   }});

  cases.push_back({"BlobWithBytes",
                   Cat({{3, 0, 0, 0}, {0xAA, 0xBB, 0xCC}, {0xFF, 0xFE, 0xFF, 0x02}, Units("ab")}),
                   [](DS_IOF_Holder s) {
                     DS_DataBlob blob;
                     const uint8_t bytes[] = {0xAA, 0xBB, 0xCC};
                     blob.SetData(3, bytes);
                     blob.name = L"ab";
                     s->WriteBlob(blob);
                   },
                   [](DS_IOF_Holder s) {
                     DS_DataBlob blob;
                     s->ReadBlob(blob);
                     ASSERT_EQ(blob.size, 3);
                     ASSERT_NE(blob.data, nullptr);
                     EXPECT_EQ(Bytes(blob.data, blob.data + 3), Bytes({0xAA, 0xBB, 0xCC}));
                     EXPECT_EQ(blob.name, L"ab");
                   }});

  cases.push_back({"FileRecord",
                   Cat({{7, 0, 0, 0}, {0xFF, 0xFE, 0xFF, 0x05}, Units("m.dll"), {2, 0, 0, 0},
                        {0x12, 0x34}, {0xFF, 0xFE, 0xFF, 0x05}, Units("n.jpg")}),
                   [](DS_IOF_Holder s) {
                     DS_FileRecord record(7, L"m.dll");
                     const uint8_t bytes[] = {0x12, 0x34};
                     record.SetData(2, bytes);
                     record.name = L"n.jpg";
                     s->WriteFileRecord(record);
                   },
                   [](DS_IOF_Holder s) {
                     DS_FileRecord record;
                     s->ReadFileRecord(record);
                     EXPECT_EQ(record.resourceId, 7);
                     EXPECT_EQ(record.module, L"m.dll");
                     ASSERT_EQ(record.size, 2);
                     EXPECT_EQ(Bytes(record.data, record.data + 2), Bytes({0x12, 0x34}));
                     EXPECT_EQ(record.name, L"n.jpg");
                   }});

  cases.push_back({"Float", {0x00, 0x00, 0xC0, 0x3F},
                   [](DS_IOF_Holder s) { s->WriteFloat(1.5f); },
                   [](DS_IOF_Holder s) {
                     float v = 0;
                     s->ReadFloat(v);
                     EXPECT_EQ(v, 1.5f);
                   }});

  cases.push_back({"PointXThenY", {0x01, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF},
                   [](DS_IOF_Holder s) { s->WritePoint(POINT{1, -2}); },
                   [](DS_IOF_Holder s) {
                     POINT p{};
                     s->ReadPoint(p);
                     EXPECT_EQ(p.x, 1);
                     EXPECT_EQ(p.y, -2);
                   }});

  cases.push_back({"IntUIntULong",
                   {0xFF, 0xFF, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12, 0x33, 0x22, 0x11, 0x00},
                   [](DS_IOF_Holder s) {
                     s->WriteInt(-1);
                     s->WriteUInt(0x12345678u);
                     s->WriteULong(0x00112233ul);
                   },
                   [](DS_IOF_Holder s) {
                     int32_t i = 0;
                     uint32_t u = 0;
                     unsigned long ul = 0;
                     s->ReadInt(i);
                     s->ReadUInt(u);
                     s->ReadULong(ul);
                     EXPECT_EQ(i, -1);
                     EXPECT_EQ(u, 0x12345678u);
                     EXPECT_EQ(ul, 0x00112233ul);
                   }});

  cases.push_back({"CharAndFlagByte", {'Q', 0x02},
                   [](DS_IOF_Holder s) {
                     s->WriteChar('Q');
                     s->WriteBool(2);
                   },
                   [](DS_IOF_Holder s) {
                     char c = 0;
                     uint8_t flag = 0;
                     s->ReadChar(c);
                     s->ReadBool(flag);
                     EXPECT_EQ(c, 'Q');
                     EXPECT_EQ(flag, 2);
                   }});

  return cases;
}

class Encoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(Encoding, WriterProducesTheBytes) { EXPECT_EQ(WriteBytes(GetParam().write), GetParam().bytes); }

TEST_P(Encoding, ReaderTakesExactlyTheBytes) {
  GuardedBytes bytes(GetParam().bytes);
  ResourceBuffer buffer = bytes.Buffer();
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  GetParam().readAndCheck(stream);
  EXPECT_EQ(buffer.cursor, bytes.End());
}

INSTANTIATE_TEST_SUITE_P(Table, Encoding, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<EncodingCase>& info) { return std::string(info.param.name); });

// The reader leaves the destination alone when it has no bytes at all.
TEST(Stream, ReaderWithoutCursorLeavesValues) {
  ResourceBuffer buffer;
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  int32_t i = 5;
  ds_string text = L"kept";
  reader.ReadInt(i);
  reader.ReadString(text);
  EXPECT_EQ(i, 5);
  EXPECT_EQ(text, L"kept");
}

// The player's reader never writes; its writes do nothing.
TEST(Stream, ReaderWritesNothing) {
  const Bytes original = {1, 2, 3, 4};
  Bytes copy = original;
  ResourceBuffer buffer(copy.data(), copy.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  reader.WriteInt(99);
  reader.WriteString(L"abc");
  EXPECT_EQ(copy, original);
  EXPECT_EQ(buffer.cursor, copy.data());
}

TEST(Stream, WriterRefusesToRead) {
  DS_IOF_W writer;
  int32_t i = 0;
  EXPECT_ANY_THROW(writer.ReadInt(i));
}

}  // namespace
