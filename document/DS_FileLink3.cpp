#include "document/DS_FileLink3.h"

#include <sys/stat.h>

#include <atomic>

#include "document/DS_DocResManager.h"

namespace {

// Shared by every screen's load, so keys of records without an id differ between loads.
std::atomic<int64_t> g_linkCounter{0};

int64_t FileModificationTime(const std::wstring& path) {
  struct _stat64 st {};
  if (_wstat64(path.c_str(), &st) != 0) return 0;
  return int64_t(st.st_mtime);
}

// Where the written document is made to carry the linked file: the resource manager's
// loaded-files entry for the key goes into its file table.
void CarryLoadedFile(const DS_LinkKey& key) {
  if (g_docResManager) g_docResManager->RegisterFileForSave(key);
}

}  // namespace

bool LinkKeyLess::operator()(const DS_LinkKey& a, const DS_LinkKey& b) const {
  const size_t n = a.path.size() < b.path.size() ? a.path.size() : b.path.size();
  for (size_t i = 0; i < n; ++i) {
    const uint16_t ca = uint16_t(a.path[i]), cb = uint16_t(b.path[i]);
    if (ca != cb) return ca < cb;
  }
  if (a.path.size() != b.path.size()) return a.path.size() < b.path.size();
  return a.stamp < b.stamp;
}

DS_FileLink3::DS_FileLink3(const std::wstring& path) : key_{path, FileModificationTime(path)} {}

DS_FileLink3::DS_FileLink3(int resourceId, const std::wstring& module) : key_{module, resourceId} {}

DS_FileLink3::DS_FileLink3(const std::wstring& path, int64_t stamp) : key_{path, stamp} {}

DS_FileLink3::DS_FileLink3(const DS_FileRecord& record) {
  if (record.resourceId != 0) key_ = DS_LinkKey{record.module, record.resourceId};
  else key_ = DS_LinkKey{record.name, g_linkCounter++};
}

void DS_FileLink3::Read(DS_IOF_Holder stream) {
  ds_string path;
  int64_t stamp = 0;
  stream->ReadString(path);
  stream->ReadInt64(stamp);
  key_.path = std::move(path);
  key_.stamp = stamp;
}

void DS_FileLink3::Write(DS_IOF_Holder stream) const {
  if (!key_.path.empty()) CarryLoadedFile(key_);
  stream->WriteString(key_.path);
  stream->WriteInt64(key_.stamp);
}

ds_string DS_FileLink3::GetLowerExtension() const {
  const size_t dot = key_.path.rfind(L'.');
  if (dot == ds_string::npos) return ds_string();
  ds_string ext = key_.path.substr(dot);
  for (wchar_t& c : ext)
    if (c >= L'A' && c <= L'Z') c = wchar_t(c - L'A' + L'a');
  return ext;
}

ds_string ExtractFileName(const ds_string& path) {
  const size_t slash = path.rfind(L'\\');
  if (slash == ds_string::npos) return ds_string();
  return path.substr(slash + 1);
}

// ---- image links ----------------------------------------------------------------------

DS_ImageFileLink::DS_ImageFileLink() : history_(this) { AttachHistory(); }

DS_ImageFileLink::DS_ImageFileLink(const DS_FileLink3& other) : DS_FileLink3(other), history_(this) {
  AttachHistory();
}

DS_ImageFileLink::DS_ImageFileLink(const DS_ImageFileLink& other)
    : DS_ImageFileLink(static_cast<const DS_FileLink3&>(other)) {}

DS_ImageFileLink::~DS_ImageFileLink() {
  // The embedded history dies before the base destructor walks the list.
  RemoveControl(&history_);
  history_.owner_ = nullptr;
}

void DS_ImageFileLink::AttachHistory() {
  AppendControl(&history_);
  history_.OnParamChanged(nullptr);
}

void DS_ImageFileLink::UndoImage::OnParamChanged(MediaControl*) {
  if (!owner_) return;
  const DS_LinkKey& key = owner_->Key();
  if (key.path != history_.Saved().path || key.stamp != history_.Saved().stamp) history_.Saved() = key;
}

void DS_ImageFileLink::UndoImage::Undo() {
  history_.StepBack();
  WriteBack();
}

void DS_ImageFileLink::UndoImage::Redo() {
  history_.StepForward();
  WriteBack();
}

void DS_ImageFileLink::UndoImage::WriteBack() {
  if (!owner_) return;
  owner_->SetKey(history_.Saved());
  owner_->NotifyControls(this);
}
