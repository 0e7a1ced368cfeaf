#pragma once
// Picture files made in memory for the resource tests: 24-bit BMP files, which the texture
// loaders decode like any picture file the document carries.
#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "document/DS_IOF.h"

// A BMP file of w x h pixels whose pixel (x, y) (y downwards) is colour(x, y) as 0xRRGGBB.
inline std::vector<uint8_t> MakeBmp(int w, int h, const std::function<uint32_t(int, int)>& colour) {
  const int rowBytes = (w * 3 + 3) & ~3;
  const uint32_t imageSize = uint32_t(rowBytes * h);
  std::vector<uint8_t> file(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageSize, 0);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfSize = DWORD(file.size());
  fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof ih;
  ih.biWidth = w;
  ih.biHeight = h;  // bottom-up rows
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  ih.biCompression = BI_RGB;
  ih.biSizeImage = imageSize;
  std::memcpy(file.data(), &fh, sizeof fh);
  std::memcpy(file.data() + sizeof fh, &ih, sizeof ih);
  uint8_t* pixels = file.data() + fh.bfOffBits;
  for (int y = 0; y < h; ++y) {
    uint8_t* row = pixels + size_t(h - 1 - y) * rowBytes;
    for (int x = 0; x < w; ++x) {
      uint32_t c = colour(x, y);
      row[x * 3 + 0] = uint8_t(c);
      row[x * 3 + 1] = uint8_t(c >> 8);
      row[x * 3 + 2] = uint8_t(c >> 16);
    }
  }
  return file;
}

inline std::vector<uint8_t> SolidBmp(int w, int h, uint32_t rgb) {
  return MakeBmp(w, h, [rgb](int, int) { return rgb; });
}

// A file record carrying the bytes.
inline DS_FileRecord RecordWithBytes(const std::vector<uint8_t>& bytes, const ds_string& name = L"",
                                     int32_t id = 0, const ds_string& module = L"") {
  DS_FileRecord r(id, module);
  r.name = name;
  if (!bytes.empty()) r.SetData(int32_t(bytes.size()), bytes.data());
  return r;
}

inline UINT TextureWidth(IDirect3DTexture9* t) {
  D3DSURFACE_DESC d{};
  if (t) t->GetLevelDesc(0, &d);
  return d.Width;
}

// A unit square of two triangles as .x text (four vertices).
inline constexpr char kQuadMeshText[] =
    "xof 0303txt 0032\nMesh Quad {\n 4;\n 0.0;0.0;0.0;,\n 1.0;0.0;0.0;,\n 1.0;1.0;0.0;,\n 0.0;1.0;0.0;;\n"
    " 2;\n 3;0,1,2;,\n 3;0,2,3;;\n}\n";

// The test program's own path: loaded already, it stands in for a resource module that
// loads, with its own resources (picture 54, mesh 990).
inline std::wstring ProgramPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}
