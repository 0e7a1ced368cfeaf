// Polymorphic records through the reader registries, with a small family of test classes:
// lookup by exact class name, replacement on registration, and the record's own version
// reaching the reader while the base record carries its own.
#include <gtest/gtest.h>

#include <memory>

#include "document/DS_ABObj_Constructor.h"
#include "document/DS_IOF_Item.h"
#include "document/ReaderRegistry.h"
#include "tests/support/RecordBytes.h"

namespace {

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

RecordBytes CircleRecord(const wchar_t* className, int32_t version) {
  return WriteBytes([&](DS_IOF_Holder s) {
    WriteRecordHeader(s, RecordId{className, version});
    s->WriteFloat(3.0f);
    if (version > 1) s->WriteFloat(0.5f);
    WriteRecordHeader(s, TestShape::kRecord);
    s->WriteInt(0x00FF00);
  });
}

// The bytes of a record's head: string markers, length, the name's units, the version.
size_t HeadSize(const wchar_t* className) { return 3 + 1 + 2 * wcslen(className) + 4; }

ShapeRegistry TestRegistry() {
  ShapeRegistry registry;
  RegisterReader(registry, L"TestCircle", IOF_Virtual_ReaderT_II<TestCircle, TestShape>::Instance());
  RegisterReader(registry, L"TestSquare", IOF_Virtual_ReaderT_II<TestSquare, TestShape>::Instance());
  return registry;
}

TEST(Registry, CreatesTheRegisteredClassWithTheRecordsOwnVersion) {
  for (int32_t version : {1, 2, 7}) {
    std::unique_ptr<TestShape> shape;
    ReadBytes(CircleRecord(L"TestCircle", version),
              [&](DS_IOF_Holder s) { shape.reset(ReadByClassName(TestRegistry(), s)); });
    ASSERT_NE(shape, nullptr);
    auto* circle = dynamic_cast<TestCircle*>(shape.get());
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(circle->version, version);
    EXPECT_EQ(circle->baseVersion, 2);
    EXPECT_EQ(circle->radius, 3.0f);
    EXPECT_EQ(circle->thickness, version > 1 ? 0.5f : 1.0f);
    EXPECT_EQ(circle->colour, 0x00FF00);
  }
}

// Names are compared by exact code units; an unknown name yields null and leaves the rest
// of the record unread, since records carry no length to skip by.
TEST(Registry, UnknownNameGivesNullAndReadsOnlyTheHeader) {
  const wchar_t* names[] = {L"TestCircleX", L"testcircle", L"TestCircl", L"TestSquare ", L"TESTCIRCLE"};
  for (const wchar_t* name : names) {
    const RecordBytes bytes = CircleRecord(name, 2);
    float radius = 0;
    const size_t rest = ReadBytesLeavingRest(bytes, [&](DS_IOF_Holder s) {
      EXPECT_EQ(ReadByClassName(TestRegistry(), s), nullptr) << std::wstring(name).size();
      s->ReadFloat(radius);
    });
    EXPECT_EQ(radius, 3.0f);  // the first field follows the head
    EXPECT_EQ(bytes.size() - rest, HeadSize(name) + 4);
  }
}

TEST(Registry, RegisterReaderReplacesTheReaderOfAName) {
  ShapeRegistry registry = TestRegistry();
  RegisterReader(registry, L"TestCircle", IOF_Virtual_ReaderT_II<TestOval, TestShape>::Instance());
  EXPECT_EQ(registry.size(), 2u);
  std::unique_ptr<TestShape> shape;
  ReadBytes(CircleRecord(L"TestCircle", 1), [&](DS_IOF_Holder s) { shape.reset(ReadByClassName(registry, s)); });
  ASSERT_NE(shape, nullptr);
  EXPECT_STREQ(shape->Kind(), "oval");
}

TEST(Registry, ObjectIsFreedWhenItsReadThrows) {
  ShapeRegistry registry;
  RegisterReader(registry, L"TestBroken", IOF_Virtual_ReaderT_II<TestBroken, TestShape>::Instance());
  EXPECT_THROW(
      ReadBytesLeavingRest(CircleRecord(L"TestBroken", 1), [&](DS_IOF_Holder s) { ReadByClassName(registry, s); }),
      DS_LoadError);
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
    const RecordBytes bytes = CircleRecord(c.name, 2);
    const size_t rest = ReadBytesLeavingRest(bytes, [&](DS_IOF_Holder s) { EXPECT_EQ(c.lookup(s), nullptr); });
    EXPECT_EQ(bytes.size() - rest, HeadSize(c.name));
  }
}

TEST(Registry, ReadRecordHeaderTakesNameAndVersion) {
  const RecordBytes bytes = WriteBytes([](DS_IOF_Holder s) { WriteRecordHeader(s, DS_ABObj_Constructor::kRecord); });
  EXPECT_EQ(bytes.size(), HeadSize(L"DS_ABObj_Constructor"));
  DS_RecordHeader header;
  ReadBytes(bytes, [&](DS_IOF_Holder s) { header = ReadRecordHeader(s); });
  EXPECT_EQ(header.className, L"DS_ABObj_Constructor");
  EXPECT_EQ(header.version, 1);
}

}  // namespace
