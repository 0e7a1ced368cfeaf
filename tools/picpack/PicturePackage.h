#pragma once
// A picture package as the resource module holds it under type "DDS": the frame times, then
// one file record per frame. Records carry the picture's bytes and its file name (a named
// record with bytes is loaded from the bytes), no resource id and no module.
//   uint32 n, n frame times (float bits); uint32 m, m records:
//   int32 id 0; string module ""; int32 size; bytes; string name
// Strings are the document's: three marker bytes FF FE FF, a length header, UTF-16LE units.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace picpack {

struct Frame {
  float time = 0;
  std::string name;            // file name stored in the record
  std::vector<uint8_t> bytes;  // the picture file
};

inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int k = 0; k < 4; ++k) out.push_back(uint8_t(v >> (8 * k)));
}

inline void PutString(std::vector<uint8_t>& out, const std::string& s) {
  out.insert(out.end(), {0xFF, 0xFE, 0xFF});
  size_t n = s.size();
  if (n < 0xFF) {
    out.push_back(uint8_t(n));
  } else if (n < 0xFFFF) {
    out.push_back(0xFF);
    out.push_back(uint8_t(n));
    out.push_back(uint8_t(n >> 8));
  } else {
    out.insert(out.end(), {0xFF, 0xFF, 0xFF});
    PutU32(out, uint32_t(n));
  }
  for (char c : s) {  // names are ASCII file names
    out.push_back(uint8_t(c));
    out.push_back(0);
  }
}

inline std::vector<uint8_t> WritePicturePackage(const std::vector<Frame>& frames) {
  std::vector<uint8_t> out;
  PutU32(out, uint32_t(frames.size()));
  for (auto& f : frames) {
    uint32_t bits;
    std::memcpy(&bits, &f.time, 4);
    PutU32(out, bits);
  }
  PutU32(out, uint32_t(frames.size()));
  for (auto& f : frames) {
    PutU32(out, 0);
    PutString(out, "");
    PutU32(out, uint32_t(f.bytes.size()));
    out.insert(out.end(), f.bytes.begin(), f.bytes.end());
    PutString(out, f.name);
  }
  return out;
}

}  // namespace picpack
