#pragma once
// Writes "DS_DocResManager" records of any version through the authoring-direction
// stream, field by field, so the tests can give the reader early versions, duplicate keys
// and damaged bytes.
#include <cstdint>
#include <utility>
#include <vector>

#include "document/DS_FileLink3.h"
#include "document/DS_IOF.h"
#include "tests/support/RecordBytes.h"

struct MaskFixture {
  GUID guid;
  std::vector<uint8_t> image;
};

struct ManagerRecord {
  std::vector<std::pair<DS_LinkKey, std::vector<DS_FileRecord>>> images;
  std::vector<std::pair<DS_LinkKey, std::vector<float>>> frameTimes;
  std::vector<std::pair<DS_LinkKey, std::vector<DS_FileRecord>>> files;
  std::vector<MaskFixture> masks;

  // The fields after the class name and version, as a version-v record holds them.
  RecordBytes Fields(int32_t version) const {
    return WriteBytes([&](DS_IOF_Holder s) { WriteFields(s, version); });
  }

 private:
  void WriteFields(DS_IOF_Holder s, int32_t version) const {
    auto records = [&](const auto& table) {
      s->WriteInt(int32_t(table.size()));
      for (const auto& [key, recs] : table) {
        s->WriteString(key.path);
        s->WriteInt64(key.stamp);
        WriteFileRecordVector(s, recs);
      }
    };
    records(images);
    s->WriteInt(int32_t(frameTimes.size()));
    for (const auto& [key, times] : frameTimes) {
      s->WriteString(key.path);
      s->WriteInt64(key.stamp);
      WriteFloatVector(s, times);
    }
    if (version != 1) records(files);
    if (version != 1 && version != 2) {
      s->WriteInt(int32_t(masks.size()));
      for (const auto& m : masks) {
        WriteGuidString(s, m.guid);
        s->WriteString(L"");
        s->WriteBool(uint8_t(1));
        DS_DataBlob blob;
        if (!m.image.empty()) blob.SetData(int32_t(m.image.size()), m.image.data());
        s->WriteBlob(blob);
      }
    }
  }
};

inline DS_LinkKey Key(const ds_string& path, int64_t stamp) { return DS_LinkKey{path, stamp}; }
