// Loading a record's bytes from a resource module, with the fallback to the program's own
// resources when the module does not load.
#include <gtest/gtest.h>

#include <string>

#include "document/DS_IOF.h"

namespace {

std::string Held(const DS_DataBlob& blob) {
  return blob.data ? std::string(reinterpret_cast<const char*>(blob.data), size_t(blob.size)) : std::string();
}

TEST(FileRecordModule, LoadsFromTheModuleOrTheProgram) {
  struct Case {
    const wchar_t* module;
    int id;
    bool loaded;
    const char* bytes;  // what the record holds afterwards
  };
  const Case cases[] = {
      {L"objmodel_res.dll", 7, true, "module seven"},
      {L"objmodel_res.dll", 8, true, "module eight"},
      {L"objmodel_res.dll", 9, false, "kept"},  // a loaded module does not fall back
      {L"no_such_module.dll", 7, true, "program seven"},
      {L"no_such_module.dll", 9, true, "program nine"},
      {L"no_such_module.dll", 8, false, "kept"},
      {L"", 9, true, "program nine"},
      // Ids that do not fit a 16-bit resource id name nothing, not resource 7.
      {L"objmodel_res.dll", 0x10007, false, "kept"},
      {L"no_such_module.dll", 0x10007, false, "kept"},
      {L"objmodel_res.dll", -65529, false, "kept"},
      {L"objmodel_res.dll", 0, false, "kept"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.module, c.module + wcslen(c.module)) + " #" + std::to_string(c.id));
    DS_FileRecord record(c.id, c.module);
    record.name = L"picture.png";
    record.SetData(4, "kept");
    EXPECT_EQ(record.LoadFromModule(), c.loaded);
    EXPECT_EQ(Held(record), c.bytes);
    EXPECT_EQ(record.size, int32_t(strlen(c.bytes)));
    EXPECT_EQ(record.name, L"picture.png");
    EXPECT_EQ(record.resourceId, c.id);
    EXPECT_EQ(record.module, c.module);
  }
}

TEST(FileRecordModule, TheModuleStaysLoaded) {
  DS_FileRecord record(7, L"objmodel_res.dll");
  ASSERT_TRUE(record.LoadFromModule());
  EXPECT_NE(GetModuleHandleW(L"objmodel_res.dll"), nullptr);
}

}  // namespace
