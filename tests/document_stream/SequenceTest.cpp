// GUID strings, count-prefixed sequences and the embedded-file values.
#include <gtest/gtest.h>

#include <list>
#include <vector>

#include "document/DS_IOF.h"

#include <objbase.h>

namespace {

using Bytes = std::vector<uint8_t>;

// A writer whose bytes are read back by a bounded reader.
class RoundTrip {
 public:
  DS_IOF_Virtual*& Out() { return out_; }
  DS_IOF_Virtual*& In() {
    bytes_ = writer_.Bytes();
    buffer_ = ResourceBuffer(bytes_.data(), bytes_.size());
    reader_ = std::make_unique<DS_IOF_R<ResourceBuffer>>(&buffer_);
    in_ = reader_.get();
    return in_;
  }
  bool AllRead() const { return buffer_.cursor == bytes_.data() + bytes_.size(); }
  DS_IOF_W& Writer() { return writer_; }

 private:
  DS_IOF_W writer_;
  DS_IOF_Virtual* out_ = &writer_;
  Bytes bytes_;
  ResourceBuffer buffer_;
  std::unique_ptr<DS_IOF_R<ResourceBuffer>> reader_;
  DS_IOF_Virtual* in_ = nullptr;
};

DS_FileRecord Record(int id, const wchar_t* module, const wchar_t* name, Bytes data) {
  DS_FileRecord r(id, module);
  r.SetData(int32_t(data.size()), data.data());
  r.name = name;
  return r;
}

Bytes DataOf(const DS_DataBlob& b) { return b.data ? Bytes(b.data, b.data + b.size) : Bytes(); }

const GUID kGuid = {0x0A1B2C3D, 0x4E5F, 0x6071, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}};

TEST(Guid, RoundTripsThroughItsRegistryForm) {
  RoundTrip rt;
  WriteGuidString(rt.Out(), kGuid);
  ds_string text;
  rt.In()->ReadString(text);
  EXPECT_EQ(text, L"{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}");

  RoundTrip again;
  WriteGuidString(again.Out(), kGuid);
  GUID read = GUID_NULL;
  ReadGuidString(again.In(), read);
  EXPECT_TRUE(IsEqualGUID(read, kGuid));
  EXPECT_TRUE(again.AllRead());
}

TEST(Guid, RejectedStringReadsAsNull) {
  const ds_string rejected[] = {L"not a guid", L"{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F}",
                                L"{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8FZ}", L"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9",
                                L""};
  for (const ds_string& text : rejected) {
    RoundTrip rt;
    rt.Out()->WriteString(text);
    GUID read = kGuid;
    ReadGuidString(rt.In(), read);
    EXPECT_TRUE(IsEqualGUID(read, GUID_NULL)) << std::string(text.begin(), text.end());
    EXPECT_TRUE(rt.AllRead());
  }
}

TEST(Sequence, FloatVectorRoundTripsAndAppends) {
  RoundTrip rt;
  WriteFloatVector(rt.Out(), {0.5f, -1.0f, 1e30f});
  EXPECT_EQ(rt.Writer().Bytes().size(), 4u + 3 * 4u);
  std::vector<float> got = {9.0f};
  ReadFloatVector(rt.In(), got);
  EXPECT_EQ(got, (std::vector<float>{9.0f, 0.5f, -1.0f, 1e30f}));
  EXPECT_TRUE(rt.AllRead());
}

TEST(Sequence, FileRecordVectorAndListReadTheSameBytes) {
  const std::vector<DS_FileRecord> records = {Record(0, L"", L"pic.jpg", {1, 2, 3}),
                                              Record(62, L"common_res.dll", L"", {})};
  RoundTrip vectorTrip;
  WriteFileRecordVector(vectorTrip.Out(), records);
  std::vector<DS_FileRecord> vec(1, Record(5, L"x", L"kept", {7}));
  ReadFileRecordVector(vectorTrip.In(), vec);
  EXPECT_TRUE(vectorTrip.AllRead());

  RoundTrip listTrip;
  WriteFileRecordVector(listTrip.Out(), records);
  std::list<DS_FileRecord> lst;
  ReadFileRecordList(listTrip.In(), lst);
  EXPECT_TRUE(listTrip.AllRead());

  ASSERT_EQ(vec.size(), 3u);
  EXPECT_EQ(vec[0].name, L"kept");  // appended after what was there
  ASSERT_EQ(lst.size(), 2u);
  const DS_FileRecord* fromVector[] = {&vec[1], &vec[2]};
  const DS_FileRecord* fromList[] = {&lst.front(), &lst.back()};
  for (int i = 0; i < 2; ++i) {
    for (const DS_FileRecord* r : {fromVector[i], fromList[i]}) {
      EXPECT_EQ(r->resourceId, records[i].resourceId);
      EXPECT_EQ(r->module, records[i].module);
      EXPECT_EQ(r->name, records[i].name);
      EXPECT_EQ(DataOf(*r), DataOf(records[i]));
    }
  }
  EXPECT_EQ(vec[2].data, nullptr);
  EXPECT_EQ(vec[2].size, 0);
}

// A negative count reads nothing more than the count itself.
TEST(Sequence, NegativeCountReadsNothing) {
  const Bytes bytes = {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F};
  auto run = [&](auto read) {
    ResourceBuffer buffer(bytes.data(), bytes.size());
    DS_IOF_R<ResourceBuffer> reader(&buffer);
    DS_IOF_Virtual* s = &reader;
    read(s);
    EXPECT_EQ(buffer.cursor, bytes.data() + 4);
  };
  run([](DS_IOF_Holder s) {
    std::vector<float> v;
    ReadFloatVector(s, v);
    EXPECT_TRUE(v.empty());
  });
  run([](DS_IOF_Holder s) {
    std::vector<DS_FileRecord> v;
    ReadFileRecordVector(s, v);
    EXPECT_TRUE(v.empty());
  });
  run([](DS_IOF_Holder s) {
    std::list<DS_FileRecord> l;
    ReadFileRecordList(s, l);
    EXPECT_TRUE(l.empty());
  });
}

TEST(Sequence, UIntVectorIsResizedToTheCount) {
  const Bytes bytes = {2, 0, 0, 0, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40};
  ResourceBuffer buffer(bytes.data(), bytes.size());
  std::vector<uint32_t> times = {1, 2, 3, 4, 5};
  ReadUIntVector(buffer, times);
  EXPECT_EQ(times, (std::vector<uint32_t>{0x3F800000u, 0x40000000u}));
  EXPECT_EQ(buffer.cursor, bytes.data() + bytes.size());
}

TEST(Sequence, ParseFileRecordVectorReadsFreshRecords) {
  DS_IOF_W writer;
  writer.WriteUInt(2u);
  writer.WriteFileRecord(Record(0, L"", L"a.dds", {1, 2}));
  writer.WriteFileRecord(Record(0, L"", L"", {}));  // empty name, no bytes
  const Bytes bytes = writer.Bytes();
  ResourceBuffer buffer(bytes.data(), bytes.size());
  std::vector<DS_FileRecord> records = {Record(9, L"old.dll", L"old", {9}), Record(9, L"old.dll", L"old", {9}),
                                        Record(9, L"old.dll", L"old", {9})};
  ParseFileRecordVector(buffer, records);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].name, L"a.dds");
  EXPECT_EQ(DataOf(records[0]), (Bytes{1, 2}));
  EXPECT_EQ(records[1].name, L"");
  EXPECT_EQ(records[1].module, L"");
  EXPECT_EQ(records[1].resourceId, 0);
  EXPECT_EQ(records[1].data, nullptr);
  EXPECT_EQ(buffer.cursor, bytes.data() + bytes.size());
}

TEST(Record, CopiesDuplicateTheBytes) {
  DS_FileRecord original = Record(3, L"m.dll", L"n", {1, 2, 3});
  DS_FileRecord copy = original;
  ASSERT_NE(copy.data, nullptr);
  EXPECT_NE(copy.data, original.data);
  EXPECT_EQ(DataOf(copy), DataOf(original));
  EXPECT_EQ(copy.resourceId, 3);
  EXPECT_EQ(copy.module, L"m.dll");

  DS_DataBlob empty;
  empty.size = 12;  // a size without bytes copies as none
  DS_DataBlob emptyCopy = empty;
  EXPECT_EQ(emptyCopy.data, nullptr);
  EXPECT_EQ(emptyCopy.size, 0);

  DS_DataBlob target;
  target.SetData(original.size, original.data);
  target = empty;
  EXPECT_EQ(target.data, nullptr);
  EXPECT_EQ(target.size, 0);
}

TEST(Record, SetNameFreesTheBytesOnlyForAnotherName) {
  DS_DataBlob blob;
  blob.name = L"a.jpg";
  const uint8_t bytes[] = {1, 2};
  blob.SetData(2, bytes);
  blob.SetName(L"a.jpg");
  EXPECT_EQ(DataOf(blob), (Bytes{1, 2}));
  blob.SetName(L"A.jpg");  // ordinal: case matters
  EXPECT_EQ(blob.data, nullptr);
  EXPECT_EQ(blob.size, 0);
  EXPECT_EQ(blob.name, L"A.jpg");
}

TEST(Record, SetDataReplacesWithACopy) {
  DS_DataBlob blob;
  uint8_t bytes[] = {1, 2, 3};
  blob.SetData(3, bytes);
  bytes[0] = 42;
  EXPECT_EQ(DataOf(blob), (Bytes{1, 2, 3}));
  const uint8_t other[] = {5};
  blob.SetData(1, other);
  EXPECT_EQ(DataOf(blob), (Bytes{5}));
}

TEST(Record, DefaultAndModuleConstructors) {
  DS_FileRecord none;
  EXPECT_EQ(none.resourceId, 0);
  EXPECT_TRUE(none.module.empty());
  EXPECT_TRUE(none.name.empty());
  DS_FileRecord linked(7, L"common_res.dll");
  EXPECT_EQ(linked.resourceId, 7);
  EXPECT_EQ(linked.module, L"common_res.dll");
  EXPECT_TRUE(linked.name.empty());
  EXPECT_EQ(linked.data, nullptr);
}

}  // namespace
