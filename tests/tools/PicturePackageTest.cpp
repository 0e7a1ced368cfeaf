// The picture package layout, pinned byte by byte: what the resource manager's package reader
// consumes (frame times, then file records in the document's value encodings).
#include <gtest/gtest.h>

#include "tools/picpack/PicturePackage.h"

TEST(PicturePackage, FramesBecomeTimesThenNamedRecordsWithTheirBytes) {
  std::vector<picpack::Frame> frames = {{0.5f, "a.png", {'x', 'y'}}, {2.0f, "bc.jpg", {}}};
  const std::vector<uint8_t> expected = {
      2, 0, 0, 0,                                                // frame time count
      0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x00, 0x40,            // 0.5, 2.0
      2, 0, 0, 0,                                                // record count
      0, 0, 0, 0, 0xFF, 0xFE, 0xFF, 0,                           // id 0, module ""
      2, 0, 0, 0, 'x', 'y',                                      // size, bytes
      0xFF, 0xFE, 0xFF, 5, 'a', 0, '.', 0, 'p', 0, 'n', 0, 'g', 0,  // name
      0, 0, 0, 0, 0xFF, 0xFE, 0xFF, 0,                           // second record
      0, 0, 0, 0,                                                // no bytes
      0xFF, 0xFE, 0xFF, 6, 'b', 0, 'c', 0, '.', 0, 'j', 0, 'p', 0, 'g', 0,
  };
  EXPECT_EQ(picpack::WritePicturePackage(frames), expected);
}

TEST(PicturePackage, LongNamesTakeTheWideLengthHeader) {
  std::vector<uint8_t> out;
  picpack::PutString(out, std::string(300, 'n'));
  ASSERT_GE(out.size(), 6u);
  EXPECT_EQ(out[3], 0xFF);
  EXPECT_EQ(out[4] | out[5] << 8, 300);
  EXPECT_EQ(out.size(), 6u + 600u);
}
