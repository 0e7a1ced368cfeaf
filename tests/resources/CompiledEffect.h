#pragma once
// The compiled copy effect (id 75 of the built module), whose file the test's environment
// names in TEVRANA_EFFECT_75; empty when it is not named.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

inline std::vector<uint8_t> Effect75() {
  const char* path = std::getenv("TEVRANA_EFFECT_75");
  if (!path) return {};
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}
