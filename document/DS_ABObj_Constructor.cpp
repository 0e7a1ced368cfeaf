#include "document/DS_ABObj_Constructor.h"

namespace {
const ds_string kRecordName = L"DS_ABObj_Constructor";
constexpr int32_t kRecordVersion = 1;
}  // namespace

void DS_ABObj_Constructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecordName, kRecordVersion);
  stream->WriteString(objectName_);
}

bool DS_ABObj_Constructor::ReadRecord(DS_IOF_Holder stream) {
  // Neither the class name nor the version is looked at: there is one layout.
  const DS_RecordHeader header = ReadRecordHeader(stream);
  Read(stream, header.version);
  return true;
}

void DS_ABObj_Constructor::Read(DS_IOF_Holder stream, int32_t) {
  // An empty stored name leaves the name as it was.
  stream->ReadString(objectName_);
}
