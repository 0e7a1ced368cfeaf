#include "document/DS_ABObj_Constructor.h"

void DS_ABObj_Constructor::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_ABObj_Constructor::WriteFields(DS_IOF_Holder stream) { stream->WriteString(objectName_); }

bool DS_ABObj_Constructor::ReadRecord(DS_IOF_Holder stream) {
  // Neither the class name nor the version is looked at: there is one layout.
  ReadFields(stream, ReadRecordHeader(stream).version);
  return true;
}

void DS_ABObj_Constructor::ReadFields(DS_IOF_Holder stream, int32_t) {
  // An empty stored name leaves the name as it was.
  stream->ReadString(objectName_);
}
