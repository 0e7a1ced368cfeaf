#pragma once
// The parsed form of an effect source: what the binary writer turns into the loadable
// container. Names are kept exactly as written, since the runtime binds them by name.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace effectc {

// A fault in the source, at a line of it. The driver prefixes the file name.
struct CompileError : std::runtime_error {
  CompileError(int line, const std::string& message) : std::runtime_error(message), line(line) {}
  int line;
};

// The D3DX type and class codes of the container.
enum class TypeCode : uint32_t {
  Void = 0, Bool = 1, Int = 2, Float = 3, String = 4, Texture = 5, Texture1D = 6, Texture2D = 7,
  Texture3D = 8, TextureCube = 9, Sampler = 10, Sampler1D = 11, Sampler2D = 12, Sampler3D = 13,
  SamplerCube = 14, PixelShader = 15, VertexShader = 16
};
enum class ClassCode : uint32_t { Scalar = 0, Vector = 1, MatrixRows = 2, MatrixColumns = 3, Object = 4 };

struct Type {
  TypeCode code = TypeCode::Float;
  ClassCode cls = ClassCode::Scalar;
  int rows = 1, cols = 1;
  int elements = 0;  // 0 = not an array

  bool IsNumeric() const { return code == TypeCode::Bool || code == TypeCode::Int || code == TypeCode::Float; }
  bool IsTexture() const { return code >= TypeCode::Texture && code <= TypeCode::TextureCube; }
  bool IsSampler() const { return code >= TypeCode::Sampler && code <= TypeCode::SamplerCube; }
  // Number of scalar components of one element.
  int Components() const { return rows * cols; }
  int Count() const { return elements ? elements : 1; }
};

// One dword per scalar component (bool and int as 32-bit integers, float as its bits), or a
// text for strings.
struct Value {
  std::vector<uint32_t> dwords;
  std::string text;
};

struct Annotation {
  int line = 0;
  Type type;
  std::string name;
  Value value;
};

struct ShaderCode {
  int line = 0;        // line of the profile
  std::string name;    // set for a named top-level shader
  std::string profile; // e.g. "ps_2_0"
  std::string body;    // assembly between the braces
  int bodyLine = 0;    // line on which the body starts (the line of the opening brace)
};

// A render, sampler or shader state. Which one and its index are table numbers of the loader.
struct State {
  int line = 0;
  uint32_t id = 0;
  uint32_t index = 0;
  Type type;                           // Int/Float scalar, or a texture/shader object
  uint32_t value = 0;                  // raw dword for numeric states
  std::string reference;               // parameter name for Texture = <name>
  std::shared_ptr<ShaderCode> shader;  // for VertexShader/PixelShader states
};

struct Parameter {
  int line = 0;
  Type type;
  std::string name;
  std::string semantic;
  std::vector<Annotation> annotations;
  Value value;                  // numeric default or string
  std::vector<State> sampler;   // sampler state block
};

struct Pass {
  int line = 0;
  std::string name;
  std::vector<Annotation> annotations;
  std::vector<State> states;
};

struct Technique {
  int line = 0;
  std::string name;
  std::vector<Annotation> annotations;
  std::vector<Pass> passes;
};

struct Effect {
  std::vector<Parameter> parameters;
  std::vector<Technique> techniques;
  std::vector<std::shared_ptr<ShaderCode>> shaders;  // named ones, used or not

  const Parameter* FindParameter(const std::string& name) const {
    for (auto& p : parameters)
      if (p.name == name) return &p;
    return nullptr;
  }
  int ParameterIndex(const std::string& name) const {
    for (size_t i = 0; i < parameters.size(); ++i)
      if (parameters[i].name == name) return int(i);
    return -1;
  }
};

}  // namespace effectc
