// Polymorphic records through the reader registries, with a small family of test classes:
// lookup by exact class name, replacement on registration, and the record's own version
// reaching the reader while the base record carries its own.
#include <gtest/gtest.h>

#include <memory>

#include "document/DS_IOF_Item.h"
#include "document/ReaderRegistry.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A base class with one field and one layout.
struct TestShape : DS_IOF_Item {
  static constexpr RecordId kRecord{L"TestShape", 2};
  int32_t baseVersion = -1;
  int32_t colour = 0;
  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  void WriteRecord(DS_IOF_Holder stream) {
    WriteRecordHeader(stream, kRecord);
    stream->WriteInt(colour);
  }
  void ReadRecord(DS_IOF_Holder stream) {
    baseVersion = ReadRecordHeader(stream).version;
    stream->ReadInt(colour);
  }
  virtual const char* Kind() const = 0;
};

// A class whose second field came with version 2.
struct TestCircle : TestShape {
  int32_t version = -1;
  float radius = 0;
  float thickness = 1.0f;
  const char* Kind() const override { return "circle"; }
  void Read(DS_IOF_Holder stream, int32_t recordVersion) {
    version = recordVersion;
    stream->ReadFloat(radius);
    if (recordVersion > 1) stream->ReadFloat(thickness);
    ReadRecord(stream);
  }
};

// Same layout as the circle, another class.
struct TestOval : TestCircle {
  const char* Kind() const override { return "oval"; }
};

struct TestSquare : TestShape {
  const char* Kind() const override { return "square"; }
  void Read(DS_IOF_Holder stream, int32_t) { ReadRecord(stream); }
};

// A class whose read fails halfway.
struct TestBroken : TestShape {
  static inline int alive = 0;
  TestBroken() { ++alive; }
  ~TestBroken() override { --alive; }
  const char* Kind() const override { return "broken"; }
  void Read(DS_IOF_Holder, int32_t) { throw DS_LoadError("broken record"); }
};

using ShapeRegistry = DS_ReaderRegistry<IOF_Virtual_ReaderII<TestShape>>;

Bytes CircleRecord(const wchar_t* className, int32_t version) {
  DS_IOF_W writer;
  DS_IOF_Virtual* s = &writer;
  WriteRecordHeader(s, RecordId{className, version});
  s->WriteFloat(3.0f);
  if (version > 1) s->WriteFloat(0.5f);
  WriteRecordHeader(s, TestShape::kRecord);
  s->WriteInt(0x00FF00);
  s->WriteInt(777);  // the value after the record
  return writer.Bytes();
}

struct Reading {
  explicit Reading(Bytes b) : bytes(std::move(b)), buffer(bytes.data(), bytes.size()), reader(&buffer) {}
  Bytes bytes;
  ResourceBuffer buffer;
  DS_IOF_R<ResourceBuffer> reader;
  DS_IOF_Virtual* stream = &reader;
  size_t Consumed() const { return size_t(buffer.cursor - bytes.data()); }
};

ShapeRegistry TestRegistry() {
  ShapeRegistry registry;
  RegisterReader(registry, L"TestCircle", IOF_Virtual_ReaderT_II<TestCircle, TestShape>::Instance());
  RegisterReader(registry, L"TestSquare", IOF_Virtual_ReaderT_II<TestSquare, TestShape>::Instance());
  return registry;
}

TEST(Registry, CreatesTheRegisteredClassWithTheRecordsOwnVersion) {
  for (int32_t version : {1, 2, 7}) {
    Reading r(CircleRecord(L"TestCircle", version));
    std::unique_ptr<TestShape> shape(ReadByClassName(TestRegistry(), r.stream));
    ASSERT_NE(shape, nullptr);
    auto* circle = dynamic_cast<TestCircle*>(shape.get());
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(circle->version, version);
    EXPECT_EQ(circle->baseVersion, 2);
    EXPECT_EQ(circle->radius, 3.0f);
    EXPECT_EQ(circle->thickness, version > 1 ? 0.5f : 1.0f);
    EXPECT_EQ(circle->colour, 0x00FF00);
    int32_t after = 0;
    r.stream->ReadInt(after);
    EXPECT_EQ(after, 777);
  }
}

// Names are compared by exact code units; an unknown name yields null and leaves the rest
// of the record unread, since records carry no length to skip by.
TEST(Registry, UnknownNameGivesNullAndReadsOnlyTheHeader) {
  const wchar_t* names[] = {L"TestCircleX", L"testcircle", L"TestCircl", L"TestSquare ", L"TESTCIRCLE"};
  for (const wchar_t* name : names) {
    Reading r(CircleRecord(name, 2));
    const size_t header = 3 + 1 + 2 * wcslen(name) + 4;
    EXPECT_EQ(ReadByClassName(TestRegistry(), r.stream), nullptr) << std::wstring(name).size();
    EXPECT_EQ(r.Consumed(), header);
    float radius = 0;
    r.stream->ReadFloat(radius);
    EXPECT_EQ(radius, 3.0f);
  }
}

TEST(Registry, RegisterReaderReplacesTheReaderOfAName) {
  ShapeRegistry registry = TestRegistry();
  RegisterReader(registry, L"TestCircle", IOF_Virtual_ReaderT_II<TestOval, TestShape>::Instance());
  EXPECT_EQ(registry.size(), 2u);
  Reading r(CircleRecord(L"TestCircle", 1));
  std::unique_ptr<TestShape> shape(ReadByClassName(registry, r.stream));
  ASSERT_NE(shape, nullptr);
  EXPECT_STREQ(shape->Kind(), "oval");
}

TEST(Registry, ObjectIsFreedWhenItsReadThrows) {
  ShapeRegistry registry;
  RegisterReader(registry, L"TestBroken", IOF_Virtual_ReaderT_II<TestBroken, TestShape>::Instance());
  Reading r(CircleRecord(L"TestBroken", 1));
  EXPECT_THROW(ReadByClassName(registry, r.stream), DS_LoadError);
  EXPECT_EQ(TestBroken::alive, 0);
}

// The three family lookups: names they do not hold (here, misspellings of registered ones
// and "DS_FireFx" for "DS_FireFX") give null after reading the header.
TEST(Registry, FamilyLookupsGiveNullForUnregisteredNames) {
  struct Case {
    const wchar_t* name;
    void* (*lookup)(DS_IOF_Holder);
  };
  const Case cases[] = {
      {L"DS_FireFx", [](DS_IOF_Holder s) -> void* { return ReadConstructorByClassName(s); }},
      {L"DS_2d_Light", [](DS_IOF_Holder s) -> void* { return ReadLightByClassName(s); }},
      {L"DS_SlideContainer2", [](DS_IOF_Holder s) -> void* { return ReadSlideContainerByClassName(s); }},
  };
  for (const Case& c : cases) {
    Reading r(CircleRecord(c.name, 2));
    EXPECT_EQ(c.lookup(r.stream), nullptr);
    EXPECT_EQ(r.Consumed(), 3 + 1 + 2 * wcslen(c.name) + 4);
  }
}

TEST(Registry, ReadRecordHeaderTakesNameAndVersion) {
  DS_IOF_W writer;
  DS_IOF_Virtual* s = &writer;
  WriteRecordHeader(s, RecordId{L"DS_ABObj_Constructor", 1});
  EXPECT_EQ(writer.Bytes().size(), 4 + 2 * 20 + 4u);
  Reading r(writer.Bytes());
  const DS_RecordHeader header = ReadRecordHeader(r.stream);
  EXPECT_EQ(header.className, L"DS_ABObj_Constructor");
  EXPECT_EQ(header.version, 1);
  EXPECT_EQ(r.Consumed(), r.bytes.size());
}

}  // namespace
