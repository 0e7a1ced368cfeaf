#pragma once
// File links: parameters whose value is the key of a picture, mesh or compiled effect. The
// key is also how the document resource manager finds the file's bytes and what it made
// from them. A key is one of
//   (path of a file on disk, its modification time),
//   (resource module file name, resource id),
//   (name of a file the document carries without an id, a running count).
#include <cstdint>
#include <list>
#include <string>

#include "document/DS_IOF.h"
#include "document/MediaParam.h"
#include "document/UndoHistory.h"

struct DS_LinkKey {
  ds_string path;
  int64_t stamp = 0;

  friend bool operator==(const DS_LinkKey& a, const DS_LinkKey& b) {
    return a.stamp == b.stamp && a.path == b.path;
  }
};

// Paths by unsigned 16-bit code units (a proper prefix first), then stamps as signed values.
struct LinkKeyLess {
  bool operator()(const DS_LinkKey& a, const DS_LinkKey& b) const;
};

class DS_FileLink3 : public MediaParam {
 public:
  DS_FileLink3() = default;
  // A file on disk; the stamp is its modification time, 0 when the file does not exist.
  explicit DS_FileLink3(const std::wstring& path);
  // Resource resourceId of a module: path = module, stamp = the id.
  DS_FileLink3(int resourceId, const std::wstring& module);
  DS_FileLink3(const std::wstring& path, int64_t stamp);
  // The record's module and id; a record without id takes its name and the next value of
  // the process-wide link counter, so every such link gets a key of its own.
  explicit DS_FileLink3(const DS_FileRecord& record);
  // Copies the key, not the controls.
  DS_FileLink3(const DS_FileLink3& other) : MediaParam(other), key_(other.key_) {}

  const DS_LinkKey& Key() const { return key_; }
  const ds_string& Path() const { return key_.path; }
  int64_t Stamp() const { return key_.stamp; }
  // Stores directly; no control is told.
  void SetKey(const DS_LinkKey& key) { key_ = key; }

  // The link's record: path (string), stamp (8-byte value). Reading replaces the key (an
  // empty stored path empties it) and tells nobody.
  void Read(DS_IOF_Holder stream);
  void Write(DS_IOF_Holder stream) const;

  // From the last "." of the whole path to its end, A-Z lowered; empty without a ".".
  ds_string GetLowerExtension() const;

 private:
  DS_LinkKey key_;
};

class DS_MeshFile : public DS_FileLink3 {
 public:
  using DS_FileLink3::DS_FileLink3;
  DS_MeshFile() = default;
  DS_MeshFile(const DS_MeshFile&) = default;
};

class DS_HLSLEffectFile : public DS_FileLink3 {
 public:
  using DS_FileLink3::DS_FileLink3;
  DS_HLSLEffectFile() = default;
  DS_HLSLEffectFile(const DS_HLSLEffectFile&) = default;
};

// A picture link with its own undo history, the first control of its list. Unlike the
// value histories, Undo and Redo here always write the saved key back and tell the other
// controls, even when nothing was stepped over.
class DS_ImageFileLink : public DS_FileLink3 {
 public:
  class UndoImage : public UndoCtrl {
   public:
    explicit UndoImage(DS_ImageFileLink* owner) : owner_(owner) {}

    void OnParamDestroyed() override { owner_ = nullptr; }
    bool Reserved2() override { return false; }
    void OnParamChanged(MediaControl* source) override;
    void Undo() override;
    void Redo() override;
    void Snapshot() override { history_.Snapshot(); }

    const DS_LinkKey& SavedKey() const { return history_.Saved(); }
    const std::list<DS_LinkKey>& History() const { return history_.Entries(); }
    size_t CursorIndex() const { return history_.CursorIndex(); }
    DS_ImageFileLink* Owner() const { return owner_; }

   private:
    friend class DS_ImageFileLink;
    void WriteBack();

    DS_ImageFileLink* owner_;
    UndoHistoryList<DS_LinkKey> history_;
  };

  DS_ImageFileLink();
  explicit DS_ImageFileLink(const DS_FileLink3& other);
  DS_ImageFileLink(const DS_ImageFileLink& other);
  ~DS_ImageFileLink() override;

  void EditValue() override {}

  UndoImage& History() { return history_; }
  const UndoImage& History() const { return history_; }

 private:
  void AttachHistory();

  UndoImage history_;
};

// The text after the last backslash; empty when there is none.
ds_string ExtractFileName(const ds_string& path);
