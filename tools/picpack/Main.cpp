// picpack OUTPUT TIME FILE [TIME FILE]...: writes a picture package of the given frames.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>

#include "tools/picpack/PicturePackage.h"

int main(int argc, char** argv) {
  if (argc < 4 || (argc - 2) % 2 != 0) {
    std::cerr << "usage: picpack OUTPUT TIME FILE [TIME FILE]...\n";
    return 2;
  }
  const char* output = argv[1];
  std::remove(output);
  std::vector<picpack::Frame> frames;
  for (int i = 2; i < argc; i += 2) {
    picpack::Frame f;
    char* end = nullptr;
    f.time = std::strtof(argv[i], &end);
    if (*end != 0) {
      std::cerr << "picpack: error: '" << argv[i] << "' is not a frame time\n";
      return 1;
    }
    std::ifstream in(argv[i + 1], std::ios::binary);
    if (!in) {
      std::cerr << argv[i + 1] << ": error: cannot read the file\n";
      return 1;
    }
    f.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::string path = argv[i + 1];
    size_t slash = path.find_last_of("/\\");
    f.name = slash == std::string::npos ? path : path.substr(slash + 1);
    frames.push_back(std::move(f));
  }
  auto bytes = picpack::WritePicturePackage(frames);
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) {
    out.close();
    std::remove(output);
    std::cerr << output << ": error: cannot write the file\n";
    return 1;
  }
  return 0;
}
