// The record "DS_2D_Light" of versions 1 to 3: the picture link from version 2 on, the
// camera from version 3 on.
#include <gtest/gtest.h>

#include "document/ReaderRegistry.h"
#include "runtime/DS_2D_Light.h"
#include "scene/DocumentReaders.h"
#include "tests/support/RecordBytes.h"

namespace {

// The fields after the class name and version.
RecordBytes LightFields(int32_t version) {
  return WriteBytes([&](DS_IOF_Holder s) {
    if (version > 1) {
      s->WriteString(L"C:\\pictures\\bay.jpg");
      s->WriteInt64(1234567);
    }
    if (version > 2) {
      DSM_Camera camera;
      camera.enabled.Assign(1);
      camera.zoom.SetValue(150);
      camera.speed.SetValue(25);
      camera.WriteRecord(s);
    }
  });
}

TEST(LightRecord, EachVersionReadsItsFields) {
  for (int32_t version : {1, 2, 3}) {
    SCOPED_TRACE(version);
    DS_2D_Light light;
    ReadBytes(LightFields(version), [&](DS_IOF_Holder s) { light.Read(s, version); });
    const DS_LinkKey& key = light.PictureLink().Key();
    if (version > 1) {
      EXPECT_EQ(key.path, L"C:\\pictures\\bay.jpg");
      EXPECT_EQ(key.stamp, 1234567);
    } else {
      EXPECT_EQ(key.path, L"common_res.dll");  // the default: module picture 5
      EXPECT_EQ(key.stamp, 5);
    }
    EXPECT_EQ(light.Camera().enabled.Value(), version > 2 ? 1 : 0);
    EXPECT_FLOAT_EQ(light.Camera().zoom.scaledValue, version > 2 ? 1.5f : 1.2f);
    EXPECT_FLOAT_EQ(light.Camera().speed.scaledValue, version > 2 ? 0.5f : 1.0f);
  }
}

TEST(LightRecord, WrittenRecordReadsBackThroughItsSection) {
  DS_2D_Light light;
  light.PictureLink().SetKey(DS_LinkKey{L"sea.png", 9});
  light.Camera().enabled.Assign(1);
  DS_2D_Light read;
  ReadBytes(WriteBytes([&](DS_IOF_Holder s) { light.Write(s); }), [&](DS_IOF_Holder s) { read.ReadRecord(s); });
  EXPECT_EQ(read.PictureLink().Key(), (DS_LinkKey{L"sea.png", 9}));
  EXPECT_EQ(read.Camera().enabled.Value(), 1);
}

TEST(LightRecord, TheLightRegistryReadsAPlainLightRecord) {
  RegisterDocumentReaders();
  ASSERT_EQ(LightReaderRegistry().count(L"DS_2D_Light"), 1u);
  const RecordBytes head = WriteBytes([](DS_IOF_Holder s) { WriteRecordHeader(s, RecordId{L"DS_2D_Light", 2}); });
  std::unique_ptr<DS_2D_Light> light;
  ReadBytes(head + LightFields(2), [&](DS_IOF_Holder s) { light.reset(ReadLightByClassName(s)); });
  ASSERT_NE(light, nullptr);
  EXPECT_EQ(light->PictureLink().Key().path, L"C:\\pictures\\bay.jpg");
}

TEST(LightRecord, ResetCameraDriftStartsFromTheCentre) {
  DS_2D_Light light;
  EXPECT_FALSE(light.IsCameraDrifting());
  light.Camera().driftTargetX = 0.7f;
  light.Camera().driftEndTime = 9.0f;
  EXPECT_FALSE(light.ResetCameraDrift());
  EXPECT_TRUE(light.IsCameraDrifting());
  EXPECT_EQ(light.Camera().driftTargetX, 0.0f);
  EXPECT_EQ(light.Camera().driftEndTime, 0.0f);
  EXPECT_TRUE(light.ResetCameraDrift());
}

}  // namespace
