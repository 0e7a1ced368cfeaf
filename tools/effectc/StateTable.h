#pragma once
// The loader's fixed state table (ids are positions in it, not D3DRS/D3DSAMP values) and the
// symbolic values each state accepts.
#include <cstdint>
#include <optional>
#include <string>

namespace effectc {

enum class ValueKind {
  Dword, Float, Bool, ZBuffer, Fill, Shade, Blend, BlendOp, Cmp, Cull, Fog, StencilOp, MaterialSource,
  ColorWrite, Address, Filter
};

struct StateInfo {
  const char* name;
  uint32_t id;
  ValueKind kind;
};

// Pass-level render states (ids 0..102), matched case-insensitively.
std::optional<StateInfo> FindRenderState(const std::string& name);
// Sampler states (ids 165..177), not counting Texture.
std::optional<StateInfo> FindSamplerState(const std::string& name);
// The value of a symbolic name for a kind, matched case-insensitively.
std::optional<uint32_t> FindEnumValue(ValueKind kind, const std::string& name);

constexpr uint32_t kStateVertexShader = 146;
constexpr uint32_t kStatePixelShader = 147;
constexpr uint32_t kStateTexture = 164;

}  // namespace effectc
