#pragma once
// Lays an Effect out as the binary container that D3DXCreateEffect loads (fx_2_0).
#include <cstdint>
#include <functional>
#include <vector>

#include "tools/effectc/EffectSource.h"

namespace effectc {

// Assembles one shader into bytecode with its constant table (AssembleShader by default;
// tests may pass another).
using ShaderCompiler = std::function<std::vector<uint32_t>(const ShaderCode&, const Effect&)>;

std::vector<uint8_t> WriteEffect(const Effect& effect, const ShaderCompiler& compile);
std::vector<uint8_t> WriteEffect(const Effect& effect);

}  // namespace effectc
