#include "runtime/DS_AudioFile.h"

namespace {
constexpr wchar_t kClassName[] = L"DS_AudioFile";
constexpr int32_t kVersion = 1;

bool IsExistingFile(const ds_string& path) {
  if (path.empty()) return false;
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
  WriteRecordHeader(stream, kClassName, kVersion);
  stream->WriteString(name);
  stream->WriteBlob(sound);
}

void DS_AudioFile::ReadFields(DS_IOF_Holder stream) {
  stream->ReadString(name);
  stream->ReadBlob(sound);
}

DS_AudioFile* ReadAudioFile(DS_IOF_Holder stream) {
  ReadRecordHeader(stream);  // neither is checked: the record has one layout
  auto* item = new DS_AudioFile;
  try {
    item->ReadFields(stream);
  } catch (...) {
    delete item;
    throw;
  }
  return item;
}

ds_string SafeTempFileName(const ds_string& storedPath) {
  size_t slash = storedPath.find_last_of(L"\\/");
  ds_string name = slash == ds_string::npos ? storedPath : storedPath.substr(slash + 1);
  if (name.empty() || name.find(L':') != ds_string::npos || name.find(L"..") != ds_string::npos)
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
