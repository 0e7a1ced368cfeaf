#pragma once
// Turns the assembly of one shader into bytecode: resolves $name references to registers,
// assembles with D3DXAssembleShader and adds the constant table that binds the parameters.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/effectc/EffectSource.h"

namespace effectc {

// One binding of the constant table.
struct ConstantBinding {
  std::string name;
  uint16_t registerSet = 2;  // 0 bool, 1 int4, 2 float4, 3 sampler
  uint16_t registerIndex = 0;
  uint16_t registerCount = 1;
  Type type;                 // the parameter's type; matrices are written column-packed
};

// The body with every $name replaced by its register, and the bindings made.
struct ResolvedShader {
  std::string text;
  std::vector<ConstantBinding> bindings;
};

ResolvedShader ResolveReferences(const ShaderCode& code, const Effect& effect);
// The constant-table comment block (comment token, 'CTAB', table) for a shader version.
std::vector<uint32_t> BuildConstantTable(uint32_t versionToken, const std::string& profile,
                                         const std::vector<ConstantBinding>& bindings);
std::vector<uint32_t> AssembleShader(const ShaderCode& code, const Effect& effect);

}  // namespace effectc
