#pragma once
// Base of every document item stored as a record: class name (string), int32 version, the
// class's own fields, then the record of its base class in the same form. Reading is not
// virtual: each class has `void Read(DS_IOF_Holder stream, int32_t version)`, called by its
// reader (after default construction) or by the owner of the object.
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

inline void WriteRecordHeader(DS_IOF_Holder stream, const ds_string& className, int32_t version) {
  stream->WriteString(className);
  stream->WriteInt(version);
}
