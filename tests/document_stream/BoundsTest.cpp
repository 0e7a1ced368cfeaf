// Reads are bounded by the end of the bytes: a truncated document throws DS_LoadError and
// never touches the byte after its end (the bytes sit right before an inaccessible page), and
// corrupt lengths and counts are refused before anything is allocated for them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <list>
#include <new>
#include <vector>

#include "document/DS_IOF.h"
#include "tests/document_stream/GuardedBytes.h"

// The largest single allocation made while a case runs, so a corrupt length that slips past
// the checks shows up even when the allocation would succeed.
namespace {
std::atomic<size_t> g_largestAllocation{0};
}

// The replacements pair malloc with free; the compiler cannot see that they match.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t n) {
  size_t seen = g_largestAllocation.load();
  while (n > seen && !g_largestAllocation.compare_exchange_weak(seen, n)) {
  }
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

using Bytes = std::vector<uint8_t>;

const GUID kSomeGuid = {0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

DS_FileRecord SampleRecord(int id, const wchar_t* module, const wchar_t* name, std::initializer_list<uint8_t> data) {
  DS_FileRecord r(id, module);
  const Bytes bytes(data);
  r.SetData(int32_t(bytes.size()), bytes.data());
  r.name = name;
  return r;
}

// One of every value type and every sequence, written by the memory writer.
Bytes ValidSequence() {
  DS_IOF_W writer;
  DS_IOF_Virtual* s = &writer;
  s->WriteString(L"KVX v 4.0.0");
  s->WriteInt(-3);
  s->WriteUInt(4u);
  s->WriteULong(0x00FF8040ul);
  s->WriteFloat(0.25f);
  s->WriteInt64(7);
  s->WritePoint(POINT{640, 480});
  s->WriteChar('c');
  s->WriteBool(1);
  s->WriteString(ds_string(300, L'y'));  // 16-bit length header
  DS_DataBlob blob;
  const uint8_t blobBytes[] = {9, 8, 7, 6, 5};
  blob.SetData(5, blobBytes);
  blob.name = L"music.mp3";
  s->WriteBlob(blob);
  s->WriteFileRecord(SampleRecord(62, L"common_res.dll", L"", {1, 2, 3}));
  WriteGuidString(s, kSomeGuid);
  WriteFileRecordVector(s, {SampleRecord(0, L"", L"a.jpg", {4, 5}), SampleRecord(8, L"m.dll", L"b", {})});
  WriteFloatVector(s, {1.0f, 2.0f, 3.0f});
  WriteFileRecordVector(s, {SampleRecord(1, L"", L"list", {6})});  // read back as a list
  return writer.Bytes();
}

void ReadValidSequence(DS_IOF_Holder s) {
  ds_string text;
  int32_t i = 0;
  uint32_t u = 0;
  unsigned long ul = 0;
  float f = 0;
  int64_t i64 = 0;
  POINT p{};
  char c = 0;
  uint8_t flag = 0;
  DS_DataBlob blob;
  DS_FileRecord record;
  GUID guid{};
  std::vector<DS_FileRecord> records;
  std::vector<float> floats;
  std::list<DS_FileRecord> recordList;
  s->ReadString(text);
  s->ReadInt(i);
  s->ReadUInt(u);
  s->ReadULong(ul);
  s->ReadFloat(f);
  s->ReadInt64(i64);
  s->ReadPoint(p);
  s->ReadChar(c);
  s->ReadBool(flag);
  s->ReadString(text);
  s->ReadBlob(blob);
  s->ReadFileRecord(record);
  ReadGuidString(s, guid);
  ReadFileRecordVector(s, records);
  ReadFloatVector(s, floats);
  ReadFileRecordList(s, recordList);
  // The whole sequence read back: the prefix cases below fail for truncation only.
  EXPECT_EQ(i, -3);
  EXPECT_EQ(p.y, 480);
  EXPECT_EQ(text.size(), 300u);
  EXPECT_EQ(blob.size, 5);
  EXPECT_EQ(record.resourceId, 62);
  EXPECT_TRUE(IsEqualGUID(guid, kSomeGuid));
  EXPECT_EQ(records.size(), 2u);
  EXPECT_EQ(floats.size(), 3u);
  EXPECT_EQ(recordList.size(), 1u);
}

TEST(StreamBounds, WholeSequenceReadsToItsEnd) {
  const Bytes bytes = ValidSequence();
  GuardedBytes guarded(bytes);
  ResourceBuffer buffer = guarded.Buffer();
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* s = &reader;
  ReadValidSequence(s);
  EXPECT_EQ(buffer.cursor, guarded.End());
}

TEST(StreamBounds, EveryPrefixThrowsWithoutReadingPastItsEnd) {
  const Bytes bytes = ValidSequence();
  for (size_t k = 0; k < bytes.size(); ++k) {
    GuardedBytes guarded(bytes.data(), k);
    ResourceBuffer buffer = guarded.Buffer();
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* s = &reader;
    EXPECT_THROW(ReadValidSequence(s), DS_LoadError) << "prefix of " << k << " of " << bytes.size() << " bytes";
    EXPECT_LE(buffer.cursor, guarded.End());
  }
}

// A picture package of a resource module: frame times, then file records.
Bytes PicturePackage() {
  DS_IOF_W writer;
  DS_IOF_Virtual* s = &writer;
  s->WriteUInt(2u);
  s->WriteUInt(0x3F800000u);
  s->WriteUInt(0x40000000u);
  s->WriteUInt(2u);
  s->WriteFileRecord(SampleRecord(0, L"", L"frame0.dds", {1, 2, 3, 4}));
  s->WriteFileRecord(SampleRecord(0, L"", L"frame1.dds", {5, 6}));
  return writer.Bytes();
}

TEST(StreamBounds, EveryPrefixOfAPicturePackageThrows) {
  const Bytes bytes = PicturePackage();
  for (size_t k = 0; k <= bytes.size(); ++k) {
    GuardedBytes guarded(bytes.data(), k);
    ResourceBuffer buffer = guarded.Buffer();
    std::vector<uint32_t> times;
    std::vector<DS_FileRecord> records;
    auto read = [&] {
      ReadUIntVector(buffer, times);
      ParseFileRecordVector(buffer, records);
    };
    if (k < bytes.size()) {
      EXPECT_THROW(read(), DS_LoadError) << "prefix of " << k << " bytes";
    } else {
      ASSERT_NO_THROW(read());
      EXPECT_EQ(times, (std::vector<uint32_t>{0x3F800000u, 0x40000000u}));
      ASSERT_EQ(records.size(), 2u);
      EXPECT_EQ(records[1].name, L"frame1.dds");
      EXPECT_EQ(buffer.cursor, guarded.End());
    }
  }
}

// Corrupt lengths and counts, each followed by a few bytes only.
struct CorruptCase {
  const char* name;
  Bytes bytes;
  std::function<void(DS_IOF_Holder, ResourceBuffer&)> read;
};

void PrintTo(const CorruptCase& c, std::ostream* os) { *os << c.name; }

const Bytes kTail = {1, 2, 3, 4, 5, 6, 7, 8};

Bytes With(Bytes head) {
  head.insert(head.end(), kTail.begin(), kTail.end());
  return head;
}

std::vector<CorruptCase> CorruptCases() {
  auto readString = [](DS_IOF_Holder s, ResourceBuffer&) {
    ds_string text;
    s->ReadString(text);
  };
  auto readBlob = [](DS_IOF_Holder s, ResourceBuffer&) {
    DS_DataBlob blob;
    s->ReadBlob(blob);
  };
  auto readRecord = [](DS_IOF_Holder s, ResourceBuffer&) {
    DS_FileRecord record;
    s->ReadFileRecord(record);
  };
  const Bytes emptyString = {0xFF, 0xFE, 0xFF, 0x00};
  Bytes recordWithHugeBlob = {0, 0, 0, 0};
  recordWithHugeBlob.insert(recordWithHugeBlob.end(), emptyString.begin(), emptyString.end());
  recordWithHugeBlob.insert(recordWithHugeBlob.end(), {0xFF, 0xFF, 0xFF, 0x7F});
  return {
      {"StringOf32BitMaxLength", With({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), readString},
      {"StringOf16BitLength", With({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}), readString},
      {"BlobOfMaxSize", With({0xFF, 0xFF, 0xFF, 0x7F}), readBlob},
      {"BlobOfNegativeSize", With({0xFF, 0xFF, 0xFF, 0xFF}), readBlob},
      {"FileRecordOfMaxBlobSize", With(recordWithHugeBlob), readRecord},
      {"FileRecordVectorOfMaxCount", With({0xFF, 0xFF, 0xFF, 0x7F}),
       [](DS_IOF_Holder s, ResourceBuffer&) {
         std::vector<DS_FileRecord> v;
         ReadFileRecordVector(s, v);
       }},
      {"FileRecordListOfMaxCount", With({0xFF, 0xFF, 0xFF, 0x7F}),
       [](DS_IOF_Holder s, ResourceBuffer&) {
         std::list<DS_FileRecord> l;
         ReadFileRecordList(s, l);
       }},
      {"FloatVectorOfMaxCount", With({0xFF, 0xFF, 0xFF, 0x7F}),
       [](DS_IOF_Holder s, ResourceBuffer&) {
         std::vector<float> v;
         ReadFloatVector(s, v);
       }},
      {"UIntVectorOfMaxCount", With({0xFF, 0xFF, 0xFF, 0xFF}),
       [](DS_IOF_Holder, ResourceBuffer& b) {
         std::vector<uint32_t> v;
         ReadUIntVector(b, v);
       }},
      {"PackageRecordsOfMaxCount", With({0xFF, 0xFF, 0xFF, 0xFF}),
       [](DS_IOF_Holder, ResourceBuffer& b) {
         std::vector<DS_FileRecord> v;
         ParseFileRecordVector(b, v);
       }},
  };
}

class CorruptLength : public ::testing::TestWithParam<CorruptCase> {};

TEST_P(CorruptLength, ThrowsWithoutLargeAllocation) {
  GuardedBytes guarded(GetParam().bytes);
  ResourceBuffer buffer = guarded.Buffer();
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* s = &reader;
  g_largestAllocation = 0;
  EXPECT_THROW(GetParam().read(s, buffer), DS_LoadError);
  EXPECT_LT(g_largestAllocation.load(), size_t(4096));
}

INSTANTIATE_TEST_SUITE_P(StreamBounds, CorruptLength, ::testing::ValuesIn(CorruptCases()),
                         [](const ::testing::TestParamInfo<CorruptCase>& info) { return std::string(info.param.name); });

}  // namespace
