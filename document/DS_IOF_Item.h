#pragma once
// Base of every document item stored as a record: class name (string), int32 version, the
// class's own fields, then the record of its base class in the same form. Each record class
// declares its name and newest version once and splits its record the same way:
//   static constexpr RecordId kRecord{L"DS_FlameLight", 2};
//   void WriteRecord(DS_IOF_Holder stream);  // WriteRecordHeader(stream, kRecord), WriteFields
//   void WriteFields(DS_IOF_Holder stream);  // own fields, then the base class's WriteRecord
//   void ReadFields(DS_IOF_Holder stream, int32_t version);  // the same for the version read
// ReadRecordHeader takes the head of a record that an owner or a subclass reads. Reading is
// not virtual: a class of a reader registry also has `void Read(DS_IOF_Holder stream,
// int32_t version)`, which its reader calls after default construction with the version of
// the head the lookup read.
#include <cstdint>

#include "document/DS_IOF.h"

class DS_IOF_Item {
 public:
  virtual ~DS_IOF_Item() = default;
  // Writes the item's whole record, newest layout.
  virtual void Write(DS_IOF_Holder stream) = 0;
};

// What a record class declares once: the class name its records carry and the newest
// version of its own fields, e.g.
//   static constexpr RecordId kRecord{L"DS_FlameLight", 2};
// Writers put it at the head of the record; readers take the version read from the stream
// (WriteRecordHeader / ReadRecordHeader).
struct RecordId {
  const wchar_t* name;
  int32_t version;
};

// The head of a record: the class name and the layout version of the class's own fields.
struct DS_RecordHeader {
  ds_string className;
  int32_t version = 0;
};

inline DS_RecordHeader ReadRecordHeader(DS_IOF_Holder stream) {
  DS_RecordHeader header;
  stream->ReadString(header.className);
  stream->ReadInt(header.version);
  return header;
}

inline void WriteRecordHeader(DS_IOF_Holder stream, const RecordId& record) {
  stream->WriteString(record.name);
  stream->WriteInt(record.version);
}
