// effectc SOURCE OUTPUT: compiles an effect source into the binary effect that
// D3DXCreateEffect loads. On a fault it prints "SOURCE:LINE: error: ..." and leaves no
// output file behind, so a build never picks up a stale or half-written effect.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "tools/effectc/EffectWriter.h"
#include "tools/effectc/Parser.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: effectc SOURCE OUTPUT\n";
    return 2;
  }
  const char* source = argv[1];
  const char* output = argv[2];
  std::remove(output);
  std::ifstream in(source, std::ios::binary);
  if (!in) {
    std::cerr << source << ": error: cannot read the file\n";
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::vector<uint8_t> bytes;
  try {
    bytes = effectc::WriteEffect(effectc::ParseEffect(text.str()));
  } catch (const effectc::CompileError& e) {
    std::cerr << source << ":" << e.line << ": error: " << e.what() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << source << ": error: the compiler failed: " << e.what() << "\n";
    return 1;
  }
  std::string temp = std::string(output) + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
      std::cerr << output << ": error: cannot write the file\n";
      std::remove(temp.c_str());
      return 1;
    }
  }
  if (std::rename(temp.c_str(), output) != 0) {
    std::cerr << output << ": error: cannot write the file\n";
    std::remove(temp.c_str());
    return 1;
  }
  return 0;
}
