#pragma once
// A music item of the slide show: an MP3 file stored whole in the document, written to the
// temporary folder before it plays when its stored path does not exist on this machine.
#include "document/DS_IOF.h"
#include "document/DS_IOF_Item.h"

class DS_AudioFile : public DS_IOF_Item {
 public:
  DS_AudioFile() = default;

  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }

  static constexpr RecordId kRecord{L"DS_AudioFile", 1};
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  // Name and sound; one layout, so the version is not used.
  void ReadFields(DS_IOF_Holder stream, int32_t version);

  // Leaves the sound on disk and drops the bytes: the stored path when a file is there,
  // otherwise a file of the temporary folder named by SafeTempFileName.
  void ExtractToTemp();

  ds_string name;     // the item's name in the authoring tool
  DS_DataBlob sound;  // the MP3 bytes; its name is the path the music plays from
};

// Reads one "DS_AudioFile" record (class name, version, fields) into a new item.
DS_AudioFile* ReadAudioFile(DS_IOF_Holder stream);

// The file name an extracted item gets in the temporary folder: the part of the stored
// path after its last "\" or "/" (the whole path when it has neither); a name that is
// empty, holds ":" or "..", or names a device ("NUL", "COM1.mp3") becomes kSafeMusicFileName,
// so nothing lands outside the folder.
inline constexpr wchar_t kSafeMusicFileName[] = L"TevranaMusic.mp3";
ds_string SafeTempFileName(const ds_string& storedPath);
