#include "runtime/DS_AudioFile.h"

#include <cwctype>
#include <memory>

namespace {
// Windows opens a device, not a file, for these names with any extension ("nul.mp3",
// "COM1.mp3"): the bytes would go to a port or the console.
bool IsDeviceName(const ds_string& name) {
  ds_string stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (wchar_t& c : stem) c = wchar_t(std::towupper(c));
  if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" ||
      stem == L"CONOUT$")
    return true;
  return stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) && stem[3] >= L'1' &&
         stem[3] <= L'9';
}

// The part after the last "\" or "/", or the whole path.
ds_string FileNamePart(const ds_string& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == ds_string::npos ? path : path.substr(slash + 1);
}

// A device answers as existing, but it holds no music.
bool IsExistingFile(const ds_string& path) {
  if (path.empty() || IsDeviceName(FileNamePart(path))) return false;
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteWholeFile(const ds_string& path, const uint8_t* bytes, int32_t size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;  // silent: the item just plays nothing
  DWORD written = 0;
  WriteFile(file, bytes, DWORD(size), &written, nullptr);
  CloseHandle(file);
}
}  // namespace

void DS_AudioFile::WriteRecord(DS_IOF_Holder stream) {
  WriteRecordHeader(stream, kRecord);
  WriteFields(stream);
}

void DS_AudioFile::WriteFields(DS_IOF_Holder stream) {
  stream->WriteString(name);
  stream->WriteBlob(sound);
}

void DS_AudioFile::ReadFields(DS_IOF_Holder stream, int32_t) {
  stream->ReadString(name);
  stream->ReadBlob(sound);
}

DS_AudioFile* ReadAudioFile(DS_IOF_Holder stream) {
  const DS_RecordHeader header = ReadRecordHeader(stream);  // neither is checked: one layout
  auto item = std::make_unique<DS_AudioFile>();
  item->ReadFields(stream, header.version);
  return item.release();
}

ds_string SafeTempFileName(const ds_string& storedPath) {
  ds_string name = FileNamePart(storedPath);
  if (name.empty() || name.find(L':') != ds_string::npos || name.find(L"..") != ds_string::npos ||
      IsDeviceName(name))
    return kSafeMusicFileName;
  return name;
}

void DS_AudioFile::ExtractToTemp() {
  if (sound.size <= 0 || !sound.data) return;
  if (!IsExistingFile(sound.name)) {
    wchar_t folder[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return;  // no folder: keep the bytes, play nothing
    ds_string target = ds_string(folder, length) + SafeTempFileName(sound.name);
    WriteWholeFile(target, sound.data, sound.size);
    sound.name = target;  // not SetName: that would drop the bytes before they are written
  }
  sound.SetData(0, nullptr);
}
