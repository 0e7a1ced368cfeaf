#include "tools/scenetool/MaskImage.h"

#include <sstream>
#include <string>

#include "device/DdsWriter.h"
#include "tools/scenetool/SceneFields.h"

namespace {
constexpr uint32_t kMaskSize = 512;
}

std::vector<uint8_t> MaskDdsFromAlpha(const std::vector<uint8_t>& alpha) {
  if (alpha.size() != size_t(kMaskSize) * kMaskSize) SceneFail("a mask must be 512 x 512");
  std::vector<std::vector<uint8_t>> levels{alpha};
  for (uint32_t size = kMaskSize / 2; size >= 1; size /= 2) {
    const std::vector<uint8_t>& above = levels.back();
    const uint32_t aboveSize = size * 2;
    std::vector<uint8_t> level(size_t(size) * size);
    for (uint32_t y = 0; y < size; ++y)
      for (uint32_t x = 0; x < size; ++x) {
        const size_t at = size_t(2 * y) * aboveSize + 2 * x;
        const unsigned sum = above[at] + above[at + 1] + above[at + aboveSize] + above[at + aboveSize + 1];
        level[size_t(y) * size + x] = uint8_t((sum + 2) / 4);
      }
    levels.push_back(std::move(level));
  }
  std::vector<uint8_t> dds;
  if (FAILED(WriteDdsFile(D3DFMT_A8, kMaskSize, kMaskSize, levels, dds))) SceneFail("cannot write a mask");
  return dds;
}

std::vector<uint8_t> GreyFromPgm(const std::vector<uint8_t>& pgm, uint32_t& width, uint32_t& height) {
  // Header: "P5", width, height, maximum (255), each after white space, then one byte.
  std::istringstream header(std::string(pgm.begin(), pgm.begin() + std::min<size_t>(pgm.size(), 64)));
  std::string magic;
  unsigned maximum = 0;
  width = height = 0;
  if (!(header >> magic >> width >> height >> maximum) || magic != "P5" || maximum != 255)
    SceneFail("expected a binary 8-bit PGM");
  const size_t start = size_t(header.tellg()) + 1;
  if (width == 0 || height == 0 || pgm.size() < start + size_t(width) * height) SceneFail("a PGM cut short");
  return std::vector<uint8_t>(pgm.begin() + start, pgm.begin() + start + size_t(width) * height);
}

std::vector<uint8_t> MaskDdsFromPgm(const std::vector<uint8_t>& pgm) {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> grey = GreyFromPgm(pgm, width, height);
  if (width != kMaskSize || height != kMaskSize) SceneFail("a mask must be 512 x 512");
  return MaskDdsFromAlpha(grey);
}
