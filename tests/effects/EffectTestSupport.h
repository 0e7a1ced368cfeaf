#pragma once
// Small helpers of the effect tests: reading files, making effects from their bytes and
// drawing through them.
#include <gtest/gtest.h>
#include <windows.h>
#include <d3dx9.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "device/ComRef.h"

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

// One line of a resource module's entry list, as the build writes it: "type id path".
struct ModuleEntry {
  std::string type;
  int id = 0;
  std::string path;
};

inline std::vector<ModuleEntry> ReadModuleEntries(const std::string& listPath) {
  std::vector<ModuleEntry> out;
  for (auto& line : ReadLines(listPath)) {
    std::istringstream in(line);
    ModuleEntry e;
    in >> e.type >> e.id;
    std::getline(in >> std::ws, e.path);
    out.push_back(e);
  }
  return out;
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

// A 4 x 4 texture of one colour (0xAARRGGBB).
inline ComRef<IDirect3DTexture9> MakeSolid(IDirect3DDevice9* device, D3DCOLOR colour) {
  ComRef<IDirect3DTexture9> tex;
  if (FAILED(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, tex.Put(), nullptr))) return tex;
  D3DLOCKED_RECT lr;
  tex->LockRect(0, &lr, nullptr, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch)[x] = colour;
  tex->UnlockRect(0);
  return tex;
}

// A full-screen quad (x, y, z and one uv pair, uv 0,0 at the top left) through every pass of
// the technique, the way the scene draws with effects. Passes that set no vertex shader take
// the fixed-function path. Returns the number of passes.
inline UINT DrawFullScreenQuad(IDirect3DDevice9* device, ID3DXEffect* effect, const char* technique) {
  struct QuadVertex {
    float x, y, z, u, v;
  };
  const QuadVertex quad[4] = {{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 1, 0}, {-1, -1, 0.5f, 0, 1}, {1, -1, 0.5f, 1, 1}};
  EXPECT_EQ(effect->SetTechnique(technique), D3D_OK) << technique;
  device->BeginScene();
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetVertexShader(nullptr);
  device->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
  UINT passes = 0;
  EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK);
  for (UINT p = 0; p < passes; ++p) {
    EXPECT_EQ(effect->BeginPass(p), D3D_OK) << technique << " pass " << p;
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(QuadVertex));
    effect->EndPass();
  }
  effect->End();
  device->EndScene();
  return passes;
}
