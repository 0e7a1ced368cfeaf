#include "tools/effectc/Parser.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "tools/effectc/Lexer.h"
#include "tools/effectc/StateTable.h"

namespace effectc {
namespace {

// No shader has more than 256 constant registers, and each element takes one at least.
constexpr long long kMaxElements = 256;

bool IsProfile(const std::string& p) {
  static const std::set<std::string> profiles = {"vs_1_1", "vs_2_0", "vs_2_x", "vs_3_0", "ps_1_1", "ps_1_2",
                                                 "ps_1_3", "ps_1_4", "ps_2_0", "ps_2_x", "ps_3_0"};
  return profiles.count(p) != 0;
}

// float, float3, float4x4, int2, bool, ...
std::optional<Type> NumericType(const std::string& word) {
  Type t;
  std::string rest;
  if (word.rfind("float", 0) == 0) {
    t.code = TypeCode::Float;
    rest = word.substr(5);
  } else if (word.rfind("int", 0) == 0) {
    t.code = TypeCode::Int;
    rest = word.substr(3);
  } else if (word.rfind("bool", 0) == 0) {
    t.code = TypeCode::Bool;
    rest = word.substr(4);
  } else {
    return std::nullopt;
  }
  auto digit = [](char c) { return c >= '1' && c <= '4'; };
  if (rest.empty()) return t;
  if (rest.size() == 1 && digit(rest[0]) && rest[0] != '1') {
    t.cls = ClassCode::Vector;
    t.cols = rest[0] - '0';
    return t;
  }
  if (rest.size() == 3 && digit(rest[0]) && rest[1] == 'x' && digit(rest[2])) {
    t.cls = ClassCode::MatrixRows;  // SetMatrix only accepts the rows class
    t.rows = rest[0] - '0';
    t.cols = rest[2] - '0';
    return t;
  }
  return std::nullopt;
}

std::optional<Type> ObjectType(const std::string& word) {
  static const std::map<std::string, TypeCode> codes = {
      {"string", TypeCode::String},       {"texture", TypeCode::Texture},     {"texture1D", TypeCode::Texture1D},
      {"texture2D", TypeCode::Texture2D}, {"texture3D", TypeCode::Texture3D}, {"textureCUBE", TypeCode::TextureCube},
      {"sampler", TypeCode::Sampler},     {"sampler1D", TypeCode::Sampler1D}, {"sampler2D", TypeCode::Sampler2D},
      {"sampler3D", TypeCode::Sampler3D}, {"samplerCUBE", TypeCode::SamplerCube}};
  auto it = codes.find(word);
  if (it == codes.end()) return std::nullopt;
  Type t;
  t.code = it->second;
  t.cls = ClassCode::Object;
  return t;
}

uint32_t FloatBits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

class Parser {
 public:
  explicit Parser(const std::string& src) : lex_(src) {}

  Effect Run() {
    while (lex_.Peek().kind != TokenKind::End) {
      Token t = lex_.Next();
      if (t.kind != TokenKind::Identifier) Fail(t, "expected a parameter, shader or technique");
      if (t.text == "technique") {
        ParseTechnique(t);
      } else if (t.text == "shader") {
        ParseNamedShader();
      } else if (auto type = NumericType(t.text)) {
        ParseParameter(t, *type);
      } else if (auto obj = ObjectType(t.text)) {
        ParseParameter(t, *obj);
      } else {
        Fail(t, "unknown type '" + t.text + "'");
      }
    }
    if (effect_.techniques.empty()) throw CompileError(lex_.Peek().line, "the effect declares no technique");
    return std::move(effect_);
  }

 private:
  [[noreturn]] void Fail(const Token& t, const std::string& msg) {
    std::string found = t.kind == TokenKind::End ? "end of file" : "'" + t.text + "'";
    throw CompileError(t.line, msg + ", found " + found);
  }

  Token Expect(const char* punct) {
    Token t = lex_.Next();
    if (t.kind != TokenKind::Punct || t.text != punct) Fail(t, std::string("expected '") + punct + "'");
    return t;
  }
  bool Accept(const char* punct) {
    const Token& t = lex_.Peek();
    if (t.kind == TokenKind::Punct && t.text == punct) {
      lex_.Next();
      return true;
    }
    return false;
  }
  Token ExpectIdentifier(const char* what) {
    Token t = lex_.Next();
    if (t.kind != TokenKind::Identifier) Fail(t, std::string("expected ") + what);
    return t;
  }

  // ---- values ----

  long long ParseInteger(const Token& t, bool negative) {
    const char* s = t.text.c_str();
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(s, &end, 0);
    if (*end != 0) Fail(t, "expected an integer");
    if (negative) v = -v;
    // Signed or unsigned 32-bit: colours are written as 0xAARRGGBB.
    if (errno != 0 || v < INT32_MIN || v > int64_t(UINT32_MAX))
      throw CompileError(t.line, "'" + std::string(negative ? "-" : "") + t.text + "' does not fit in 32 bits");
    return v;
  }

  float ParseFloat(const Token& t, bool negative) {
    std::string text = t.text;
    if (!text.empty() && (text.back() == 'f' || text.back() == 'F')) text.pop_back();
    if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0) return float(ParseInteger(t, negative));
    char* end = nullptr;
    errno = 0;
    float v = std::strtof(text.c_str(), &end);
    if (*end != 0) Fail(t, "expected a number");
    if (errno == ERANGE && std::isinf(v)) throw CompileError(t.line, "'" + t.text + "' is too large for a float");
    return negative ? -v : v;
  }

  // One scalar of the given numeric type.
  uint32_t ParseScalar(TypeCode code) {
    bool negative = Accept("-");
    Token t = lex_.Next();
    if (code == TypeCode::Bool && !negative && t.kind == TokenKind::Identifier) {
      if (t.text == "true") return 1;
      if (t.text == "false") return 0;
    }
    if (t.kind != TokenKind::Number) Fail(t, code == TypeCode::Bool ? "expected true, false or a number" : "expected a number");
    if (code == TypeCode::Float) return FloatBits(ParseFloat(t, negative));
    long long v = ParseInteger(t, negative);
    if (code == TypeCode::Bool) return v != 0;
    return uint32_t(int32_t(v));
  }

  void ParseScalarList(TypeCode code, std::vector<uint32_t>& out) {
    if (Accept("{")) {
      if (Accept("}")) return;
      do {
        ParseScalarList(code, out);
      } while (Accept(","));
      Expect("}");
    } else {
      out.push_back(ParseScalar(code));
    }
  }

  Value ParseInitializer(const Type& type, const std::string& name, int line) {
    Value v;
    if (type.code == TypeCode::String) {
      Token t = lex_.Next();
      if (t.kind != TokenKind::String) Fail(t, "expected a string");
      v.text = t.text;
      return v;
    }
    ParseScalarList(type.code, v.dwords);
    size_t want = size_t(type.Components()) * type.Count();
    if (v.dwords.size() != want)
      throw CompileError(line, "'" + name + "' needs " + std::to_string(want) + " values, found " +
                                   std::to_string(v.dwords.size()));
    return v;
  }

  std::vector<Annotation> ParseAnnotations() {
    std::vector<Annotation> list;
    if (!Accept("<")) return list;
    while (!Accept(">")) {
      Token tt = ExpectIdentifier("an annotation type or '>'");
      Annotation a;
      a.line = tt.line;
      auto type = NumericType(tt.text);
      if (!type && tt.text == "string") type = ObjectType("string");
      if (!type) Fail(tt, "unknown annotation type");
      a.type = *type;
      a.name = ExpectIdentifier("an annotation name").text;
      for (auto& other : list)
        if (other.name == a.name) throw CompileError(a.line, "annotation '" + a.name + "' declared twice");
      Expect("=");
      a.value = ParseInitializer(a.type, a.name, a.line);
      Expect(";");
      list.push_back(std::move(a));
    }
    return list;
  }

  uint32_t ParseStateValue(ValueKind kind, const std::string& state) {
    if (kind == ValueKind::Float) return ParseScalar(TypeCode::Float);
    if (kind == ValueKind::Dword) return ParseScalar(TypeCode::Int);
    uint32_t value = 0;
    do {
      const Token& t = lex_.Peek();
      if (t.kind == TokenKind::Number) {
        value |= ParseScalar(TypeCode::Int);
        continue;
      }
      Token name = ExpectIdentifier("a state value");
      auto v = FindEnumValue(kind, name.text);
      if (!v) throw CompileError(name.line, "'" + name.text + "' is not a value of " + state);
      value |= *v;
    } while (kind == ValueKind::ColorWrite && Accept("|"));
    return value;
  }

  // A render or sampler state of the loader's table with its value.
  void ParseTableState(State& s, const StateInfo& info) {
    s.id = info.id;
    s.type.code = info.kind == ValueKind::Float ? TypeCode::Float : TypeCode::Int;
    s.value = ParseStateValue(info.kind, info.name);
  }

  void CheckUnique(std::vector<State>& states, const State& s, const std::string& name) {
    for (auto& o : states)
      if (o.id == s.id && o.index == s.index) throw CompileError(s.line, "state " + name + " set twice");
  }

  // ---- declarations ----

  void DeclareName(const std::string& name, int line) {
    if (effect_.FindParameter(name)) throw CompileError(line, "parameter '" + name + "' declared twice");
  }

  void ParseParameter(const Token& typeToken, Type type) {
    Parameter p;
    p.line = typeToken.line;
    p.type = type;
    p.name = ExpectIdentifier("a parameter name").text;
    DeclareName(p.name, p.line);
    if (Accept("[")) {
      Token n = lex_.Next();
      if (n.kind != TokenKind::Number) Fail(n, "expected an array size");
      long long count = ParseInteger(n, false);
      if (count < 1 || count > kMaxElements)
        throw CompileError(n.line, "array size must be 1 to " + std::to_string(kMaxElements));
      if (!type.IsNumeric()) throw CompileError(n.line, "only numeric parameters can be arrays");
      p.type.elements = int(count);
      Expect("]");
    }
    if (Accept(":")) p.semantic = ExpectIdentifier("a semantic").text;
    p.annotations = ParseAnnotations();
    if (type.IsSampler()) {
      if (Accept("=")) {
        Token ss = ExpectIdentifier("sampler_state");
        if (ss.text != "sampler_state") Fail(ss, "expected sampler_state");
      }
      Expect("{");
      ParseSamplerStates(p);
      Accept(";");
    } else {
      if (Accept("=")) {
        if (type.IsTexture()) throw CompileError(p.line, "a texture has no default value");
        p.value = ParseInitializer(p.type, p.name, p.line);
      } else if (type.IsNumeric()) {
        p.value.dwords.assign(size_t(p.type.Components()) * p.type.Count(), 0);
      }
      Expect(";");
    }
    effect_.parameters.push_back(std::move(p));
  }

  void ParseSamplerStates(Parameter& p) {
    while (!Accept("}")) {
      Token name = ExpectIdentifier("a sampler state or '}'");
      State s;
      s.line = name.line;
      Expect("=");
      if (name.text == "Texture") {
        bool angle = Accept("<");
        Token ref = ExpectIdentifier("a texture name");
        if (angle) Expect(">");
        const Parameter* tex = effect_.FindParameter(ref.text);
        if (!tex || !tex->type.IsTexture()) throw CompileError(ref.line, "'" + ref.text + "' is not a declared texture");
        s.id = kStateTexture;
        s.type.code = TypeCode::Texture;
        s.type.cls = ClassCode::Object;
        s.reference = ref.text;
      } else {
        auto info = FindSamplerState(name.text);
        if (!info) throw CompileError(name.line, "unknown sampler state '" + name.text + "'");
        ParseTableState(s, *info);
      }
      Expect(";");
      CheckUnique(p.sampler, s, name.text);
      p.sampler.push_back(std::move(s));
    }
  }

  std::shared_ptr<ShaderCode> ParseShaderBody(const Token& profile) {
    if (!IsProfile(profile.text)) throw CompileError(profile.line, "unknown shader profile '" + profile.text + "'");
    auto code = std::make_shared<ShaderCode>();
    code->line = profile.line;
    code->profile = profile.text;
    Expect("{");
    code->body = lex_.RawBlock(code->bodyLine);
    return code;
  }

  void ParseNamedShader() {
    Token name = ExpectIdentifier("a shader name");
    if (shaders_.count(name.text)) throw CompileError(name.line, "shader '" + name.text + "' declared twice");
    Expect("=");
    auto code = ParseShaderBody(ExpectIdentifier("a shader profile"));
    code->name = name.text;
    shaders_[name.text] = code;
    effect_.shaders.push_back(code);
    Accept(";");
  }

  void ParseTechnique(const Token& keyword) {
    Technique t;
    t.line = keyword.line;
    t.name = ExpectIdentifier("a technique name").text;
    for (auto& o : effect_.techniques)
      if (o.name == t.name) throw CompileError(t.line, "technique '" + t.name + "' declared twice");
    t.annotations = ParseAnnotations();
    Expect("{");
    while (!Accept("}")) {
      Token kw = ExpectIdentifier("'pass' or '}'");
      if (kw.text != "pass") Fail(kw, "expected 'pass'");
      Pass p;
      p.line = kw.line;
      p.name = ExpectIdentifier("a pass name").text;
      for (auto& o : t.passes)
        if (o.name == p.name) throw CompileError(p.line, "pass '" + p.name + "' declared twice");
      p.annotations = ParseAnnotations();
      Expect("{");
      while (!Accept("}")) ParsePassState(p);
      t.passes.push_back(std::move(p));
    }
    if (t.passes.empty()) throw CompileError(t.line, "technique '" + t.name + "' has no pass");
    effect_.techniques.push_back(std::move(t));
  }

  void ParsePassState(Pass& pass) {
    Token name = ExpectIdentifier("a pass state or '}'");
    State s;
    s.line = name.line;
    Expect("=");
    if (name.text == "VertexShader" || name.text == "PixelShader") {
      bool vertex = name.text == "VertexShader";
      s.id = vertex ? kStateVertexShader : kStatePixelShader;
      s.type.code = vertex ? TypeCode::VertexShader : TypeCode::PixelShader;
      s.type.cls = ClassCode::Object;
      Token v = ExpectIdentifier("a shader profile or a shader name");
      if (lex_.Peek().kind == TokenKind::Punct && lex_.Peek().text == "{") {
        s.shader = ParseShaderBody(v);
      } else {
        auto it = shaders_.find(v.text);
        if (it == shaders_.end()) throw CompileError(v.line, "'" + v.text + "' is not a declared shader");
        s.shader = it->second;
      }
      if (s.shader->profile.compare(0, 3, vertex ? "vs_" : "ps_") != 0)
        throw CompileError(v.line, name.text + " needs a " + (vertex ? "vs_" : "ps_") + " profile, not " +
                                       s.shader->profile);
      Accept(";");
    } else {
      auto info = FindRenderState(name.text);
      if (!info) throw CompileError(name.line, "unknown render state '" + name.text + "'");
      ParseTableState(s, *info);
      Expect(";");
    }
    CheckUnique(pass.states, s, name.text);
    pass.states.push_back(std::move(s));
  }

  Lexer lex_;
  Effect effect_;
  std::map<std::string, std::shared_ptr<ShaderCode>> shaders_;
};

}  // namespace

Effect ParseEffect(const std::string& source) { return Parser(source).Run(); }

}  // namespace effectc
