#pragma once
// Small helpers of the effect tests: reading files and making effects from their bytes.
#include <windows.h>
#include <d3dx9.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "document/ComRef.h"

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);)
    if (!l.empty()) lines.push_back(l);
  return lines;
}

inline std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

inline ComRef<ID3DXEffect> CreateEffectFromBytes(IDirect3DDevice9* device, const std::vector<uint8_t>& bytes) {
  ComRef<ID3DXEffect> effect;
  if (bytes.empty()) return effect;
  if (FAILED(D3DXCreateEffect(device, bytes.data(), UINT(bytes.size()), nullptr, nullptr, 0, nullptr, effect.Put(),
                              nullptr)))
    effect.Reset();
  return effect;
}

inline std::vector<std::string> TechniqueNames(ID3DXEffect* effect) {
  D3DXEFFECT_DESC desc;
  effect->GetDesc(&desc);
  std::vector<std::string> names;
  for (UINT i = 0; i < desc.Techniques; ++i) {
    D3DXTECHNIQUE_DESC t;
    effect->GetTechniqueDesc(effect->GetTechnique(i), &t);
    names.push_back(t.Name);
  }
  return names;
}

inline std::vector<std::string> ParameterNames(ID3DXEffect* effect) {
  D3DXEFFECT_DESC desc;
  effect->GetDesc(&desc);
  std::vector<std::string> names;
  for (UINT i = 0; i < desc.Parameters; ++i) {
    D3DXPARAMETER_DESC p;
    effect->GetParameterDesc(effect->GetParameter(nullptr, i), &p);
    names.push_back(p.Name);
  }
  return names;
}
