#include "tools/effectc/ShaderAssembler.h"

#include <windows.h>
#include <d3dx9.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "device/ComRef.h"

namespace effectc {
namespace {

bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

int LineAt(const ShaderCode& code, const std::string& body, size_t pos) {
  int line = code.bodyLine;
  for (size_t i = 0; i < pos && i < body.size(); ++i)
    if (body[i] == '\n') ++line;
  return line;
}

// Where comments start on the line containing pos, or npos.
size_t CommentStart(const std::string& body, size_t lineStart) {
  for (size_t i = lineStart; i < body.size() && body[i] != '\n'; ++i)
    if (body[i] == ';' || body.compare(i, 2, "//") == 0) return i;
  return std::string::npos;
}

// Calls f(pos, lineStart) for every character outside comments.
template <class F>
void ForEachCodeChar(const std::string& body, F f) {
  size_t lineStart = 0;
  size_t comment = CommentStart(body, 0);
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '\n') {
      lineStart = i + 1;
      comment = CommentStart(body, lineStart);
      continue;
    }
    if (comment != std::string::npos && i >= comment) continue;
    f(i);
  }
}

// The last line before `line` (1-based) that holds code rather than blanks or comments.
int PreviousCodeLine(const std::string& text, int line) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i)
    if (i == text.size() || text[i] == '\n') {
      lines.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  for (int k = std::min(line - 1, int(lines.size())); k >= 1; --k) {
    const std::string& l = lines[size_t(k - 1)];
    size_t c = CommentStart(l, 0);
    std::string code = l.substr(0, c == std::string::npos ? l.size() : c);
    if (code.find_first_not_of(" \t\r") != std::string::npos) return k;
  }
  return line;
}

bool IsPs1(const std::string& profile) { return profile.rfind("ps_1_", 0) == 0; }

// Constant and sampler registers of a profile, as D3D9 guarantees them. The assembler checks
// only the registers the code names, not the rest of a matrix or array a table entry spans.
struct RegisterLimits {
  int floats, samplers;
};

RegisterLimits LimitsOf(const std::string& profile) {
  if (profile == "vs_1_1") return {96, 0};
  if (profile == "vs_2_0" || profile == "vs_2_x") return {256, 0};
  if (profile == "vs_3_0") return {256, 4};
  if (profile == "ps_3_0") return {224, 16};
  if (IsPs1(profile)) return {8, 0};
  return {32, 16};  // ps_2_0, ps_2_x
}

// How many different registers of one file a single instruction may read, as the D3D9
// shader models state them (D3DXAssembleShader under Wine checks none of this, but Windows
// rejects such a shader when the effect is created): vs_1_1 and vs_2_x read one constant
// and one input register per instruction; ps_2_x two constants, one texture coordinate and
// one colour input. Other profiles are not checked.
struct ReadPorts {
  char file;
  int ports;
  const char* what;
};

std::vector<ReadPorts> ReadPortsOf(const std::string& profile) {
  if (profile == "vs_1_1" || profile == "vs_2_0" || profile == "vs_2_x")
    return {{'c', 1, "constant"}, {'v', 1, "input"}};
  if (profile == "ps_2_0" || profile == "ps_2_x")
    return {{'c', 2, "constant"}, {'t', 1, "texture coordinate"}, {'v', 1, "colour input"}};
  return {};
}

// Operations whose operands are all read (no destination first).
bool ReadsEveryOperand(const std::string& op) {
  for (const char* prefix : {"if", "break", "rep", "loop", "call", "texkill"})
    if (op.rfind(prefix, 0) == 0) return true;
  return false;
}

// The register an operand names ("-r1.xy" -> "r1", "c[a0.x + 2]" -> "c"), or "".
std::string OperandRegister(std::string operand) {
  size_t b = operand.find_first_not_of(" \t-");
  if (b == std::string::npos) return {};
  operand = operand.substr(b);
  size_t e = 0;
  while (e < operand.size() && (std::isalnum(static_cast<unsigned char>(operand[e])))) ++e;
  return operand.substr(0, e);
}

// Fails at the first instruction that reads more different registers of a file than the
// profile allows.
void CheckReadPorts(const ShaderCode& code, const std::string& text) {
  const std::vector<ReadPorts> limits = ReadPortsOf(code.profile);
  if (limits.empty()) return;
  size_t start = 0;
  for (int line = code.bodyLine; start <= text.size(); ++line) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string l = text.substr(start, end - start);
    start = end + 1;
    size_t c = CommentStart(l, 0);
    if (c != std::string::npos) l.resize(c);
    size_t b = l.find_first_not_of(" \t\r{");
    if (b == std::string::npos) continue;
    size_t opEnd = l.find_first_of(" \t", b);
    if (opEnd == std::string::npos) continue;
    const std::string op = l.substr(b, opEnd - b);
    if (op.rfind("def", 0) == 0 || op.rfind("dcl", 0) == 0) continue;
    std::vector<std::string> operands;
    size_t from = opEnd;
    for (;;) {
      size_t comma = l.find(',', from);
      operands.push_back(OperandRegister(l.substr(from, comma == std::string::npos ? std::string::npos : comma - from)));
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
    if (!ReadsEveryOperand(op) && !operands.empty()) operands.erase(operands.begin());
    for (const ReadPorts& limit : limits) {
      std::set<std::string> read;
      for (const std::string& r : operands)
        if (!r.empty() && r[0] == limit.file && (r.size() == 1 || std::isdigit(static_cast<unsigned char>(r[1]))))
          read.insert(r);
      if (int(read.size()) <= limit.ports) continue;
      std::string names;
      for (const std::string& r : read) names += (names.empty() ? "" : " and ") + r;
      throw CompileError(line, code.profile + " reads at most " + std::to_string(limit.ports) + " " + limit.what +
                                   " register(s) per instruction; '" + op + "' reads " + names);
    }
  }
}

}  // namespace

ResolvedShader ResolveReferences(const ShaderCode& code, const Effect& effect) {
  const std::string& body = code.body;
  bool ps1 = IsPs1(code.profile);

  // Registers the code names itself stay out of the allocation.
  std::set<int> usedFloat, usedSampler;
  ForEachCodeChar(body, [&](size_t i) {
    char c = body[i];
    if ((c != 'c' && c != 's') || (i > 0 && (IsIdentChar(body[i - 1]) || body[i - 1] == '$'))) return;
    size_t j = i + 1;
    while (j < body.size() && std::isdigit(static_cast<unsigned char>(body[j]))) ++j;
    if (j == i + 1 || (j < body.size() && IsIdentChar(body[j]))) return;
    int n = std::atoi(body.substr(i + 1, j - i - 1).c_str());
    (c == 'c' ? usedFloat : usedSampler).insert(n);
  });

  struct Ref {
    size_t begin, end;  // text span of "$name" or "$name[k]"
    size_t binding;
    int offset;
    int line;
  };
  std::vector<Ref> refs;
  ResolvedShader out;
  std::map<std::string, size_t> bindingOf;

  auto allocate = [](std::set<int>& used, int count) {
    int base = 0;
    for (;; ++base) {
      bool free = true;
      for (int k = 0; k < count && free; ++k) free = !used.count(base + k);
      if (free) break;
    }
    for (int k = 0; k < count; ++k) used.insert(base + k);
    return base;
  };

  ForEachCodeChar(body, [&](size_t i) {
    if (body[i] != '$') return;
    if (!refs.empty() && i < refs.back().end) return;
    int line = LineAt(code, body, i);
    size_t j = i + 1;
    while (j < body.size() && IsIdentChar(body[j])) ++j;
    std::string name = body.substr(i + 1, j - i - 1);
    if (name.empty()) throw CompileError(line, "'$' must be followed by a parameter name");
    const Parameter* p = effect.FindParameter(name);
    if (!p) throw CompileError(line, "'" + name + "' is not a declared parameter");
    if (!p->type.IsNumeric() && !p->type.IsSampler())
      throw CompileError(line, "'" + name + "' cannot be read by shader code (read a sampler of it)");
    // Wine 8's effects do not sample correctly through ps_1_x texture instructions; fail here
    // rather than draw coordinates.
    if (p->type.IsSampler() && ps1)
      throw CompileError(line, "samplers can be read by name from ps_2_0 on, not in " + code.profile);
    int offset = 0;
    if (j < body.size() && body[j] == '[') {
      size_t k = j + 1;
      while (k < body.size() && std::isdigit(static_cast<unsigned char>(body[k]))) ++k;
      if (k == j + 1 || k >= body.size() || body[k] != ']')
        throw CompileError(line, "expected a register offset like $" + name + "[1]");
      offset = std::atoi(body.substr(j + 1, k - j - 1).c_str());
      j = k + 1;
    }
    auto it = bindingOf.find(name);
    if (it == bindingOf.end()) {
      ConstantBinding b;
      b.name = name;
      b.type = p->type;
      RegisterLimits limits = LimitsOf(code.profile);
      int count = 1, limit = limits.samplers;
      if (p->type.IsSampler()) {
        b.registerSet = 3;
      } else {
        int perElement = p->type.cls == ClassCode::MatrixRows ? p->type.cols : 1;
        b.registerSet = 2;
        count = perElement * p->type.Count();
        limit = limits.floats;
      }
      int base = allocate(b.registerSet == 3 ? usedSampler : usedFloat, count);
      if (base + count > limit) {
        const char* kind = b.registerSet == 3 ? "sampler" : "constant";
        throw CompileError(line, "'" + name + "' needs " + std::to_string(count) + " " + kind +
                                     " register(s) from " + std::to_string(base) + " on, but " + code.profile +
                                     " has " + std::to_string(limit));
      }
      b.registerIndex = uint16_t(base);
      b.registerCount = uint16_t(count);
      it = bindingOf.emplace(name, out.bindings.size()).first;
      out.bindings.push_back(b);
    }
    if (offset >= out.bindings[it->second].registerCount)
      throw CompileError(line, "$" + name + "[" + std::to_string(offset) + "] is past its " +
                                   std::to_string(out.bindings[it->second].registerCount) + " register(s)");
    refs.push_back({i, j, it->second, offset, line});
  });

  size_t last = 0;
  for (auto& r : refs) {
    out.text += body.substr(last, r.begin - last);
    const ConstantBinding& b = out.bindings[r.binding];
    out.text += (b.registerSet == 3 ? std::string("s") : std::string("c")) +
                std::to_string(b.registerIndex + r.offset);
    last = r.end;
  }
  out.text += body.substr(last);
  return out;
}

std::vector<uint32_t> BuildConstantTable(uint32_t versionToken, const std::string& profile,
                                         const std::vector<ConstantBinding>& bindings) {
  // Offsets are relative to the first byte after the 'CTAB' fourcc.
  const size_t header = 28, info = 20, typeInfo = 16;
  size_t n = bindings.size();
  std::vector<uint8_t> t(header + n * (info + typeInfo), 0);
  auto put16 = [&](size_t at, uint32_t v) {
    t[at] = uint8_t(v);
    t[at + 1] = uint8_t(v >> 8);
  };
  auto put32 = [&](size_t at, uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  auto addString = [&](const std::string& s) {
    uint32_t at = uint32_t(t.size());
    t.insert(t.end(), s.begin(), s.end());
    t.push_back(0);
    return at;
  };
  put32(0, uint32_t(header));
  put32(4, addString("effectc"));
  put32(8, versionToken);
  put32(12, uint32_t(n));
  put32(16, uint32_t(header));
  put32(20, 0);
  put32(24, addString(profile));
  for (size_t i = 0; i < n; ++i) {
    const ConstantBinding& b = bindings[i];
    size_t ci = header + i * info;
    size_t ti = header + n * info + i * typeInfo;
    put32(ci, addString(b.name));
    put16(ci + 4, b.registerSet);
    put16(ci + 6, b.registerIndex);
    put16(ci + 8, b.registerCount);
    put16(ci + 10, 0);
    put32(ci + 12, uint32_t(ti));
    put32(ci + 16, 0);
    uint32_t cls = uint32_t(b.type.cls);
    if (b.type.cls == ClassCode::MatrixRows) cls = uint32_t(ClassCode::MatrixColumns);  // registers hold columns
    put16(ti, cls);
    put16(ti + 2, uint32_t(b.type.code));
    put16(ti + 4, uint32_t(b.type.rows));
    put16(ti + 6, uint32_t(b.type.cols));
    put16(ti + 8, uint32_t(b.type.Count()));
    put16(ti + 10, 0);
    put32(ti + 12, 0);
  }
  while (t.size() % 4) t.push_back(0);
  std::vector<uint32_t> out;
  out.push_back(0xFFFEu | (uint32_t(t.size() / 4 + 1) << 16));
  out.push_back(0x42415443u);  // 'CTAB'
  for (size_t i = 0; i < t.size(); i += 4)
    out.push_back(uint32_t(t[i]) | uint32_t(t[i + 1]) << 8 | uint32_t(t[i + 2]) << 16 | uint32_t(t[i + 3]) << 24);
  return out;
}

std::vector<uint32_t> AssembleShader(const ShaderCode& code, const Effect& effect) {
  ResolvedShader resolved = ResolveReferences(code, effect);
  CheckReadPorts(code, resolved.text);
  // Blank lines in front keep the assembler's line numbers equal to the source's.
  std::string text = std::string(size_t(code.bodyLine > 0 ? code.bodyLine - 1 : 0), '\n') + code.profile + " " +
                     resolved.text + "\n";
  ComRef<ID3DXBuffer> bytecode, errors;
  HRESULT hr = D3DXAssembleShader(text.c_str(), UINT(text.size()), nullptr, nullptr, 0, bytecode.Put(), errors.Put());
  if (FAILED(hr) || !bytecode) {
    std::string log = errors ? std::string(static_cast<const char*>(errors->GetBufferPointer()),
                                           strnlen(static_cast<const char*>(errors->GetBufferPointer()),
                                                   errors->GetBufferSize()))
                             : std::string();
    // Lines read "Line N: message". Syntax faults name their own line; register faults are
    // found at the next token, so they belong to the code line before the one named.
    int line = 0;
    std::string message;
    bool syntax = false;
    size_t pos = 0;
    while (pos < log.size()) {
      size_t end = log.find('\n', pos);
      if (end == std::string::npos) end = log.size();
      std::string l = log.substr(pos, end - pos);
      pos = end + 1;
      int n = 0;
      char rest[512] = {};
      if (std::sscanf(l.c_str(), "Line %d: %511[^\r\n]", &n, rest) != 2) continue;
      if (line == 0) line = n;
      if (n != line) continue;
      if (std::strstr(rest, "syntax error") || std::strstr(rest, "Unexpected input")) syntax = true;
      if (std::strstr(rest, "from bison")) continue;
      if (!message.empty()) message += "; ";
      message += rest;
    }
    if (line == 0) line = code.line;
    else if (!syntax) line = PreviousCodeLine(text, line);
    if (message.empty()) message = syntax ? "syntax error" : log.empty() ? "the assembler rejected the shader" : log;
    throw CompileError(line, code.profile + " assembly: " + message);
  }
  const uint32_t* words = static_cast<const uint32_t*>(bytecode->GetBufferPointer());
  size_t count = bytecode->GetBufferSize() / 4;
  std::vector<uint32_t> out(words, words + 1);
  std::vector<uint32_t> table = BuildConstantTable(words[0], code.profile, resolved.bindings);
  out.insert(out.end(), table.begin(), table.end());
  out.insert(out.end(), words + 1, words + count);
  return out;
}

}  // namespace effectc
