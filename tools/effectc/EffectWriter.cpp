#include "tools/effectc/EffectWriter.h"

#include <map>
#include <string>

#include "tools/effectc/ShaderAssembler.h"

namespace effectc {
namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;

// The data area: strings, type descriptions and values, reached by offset from the
// structured part. Offset 0 holds a zero dword, so 0 means "no name".
class DataArea {
 public:
  DataArea() { words_.push_back(0); }

  uint32_t Offset() const { return uint32_t(words_.size() * 4); }

  uint32_t String(const std::string& s) {
    if (s.empty()) return 0;
    uint32_t at = Offset();
    words_.push_back(uint32_t(s.size() + 1));  // the length counts the NUL
    AppendBytes(reinterpret_cast<const uint8_t*>(s.c_str()), s.size() + 1);
    return at;
  }

  uint32_t Dwords(const std::vector<uint32_t>& v) {
    uint32_t at = Offset();
    words_.insert(words_.end(), v.begin(), v.end());
    return at;
  }

  uint32_t Typedef(const Type& t, const std::string& name, const std::string& semantic) {
    uint32_t nameAt = String(name), semanticAt = String(semantic);
    uint32_t at = Offset();
    words_.push_back(uint32_t(t.code));
    words_.push_back(uint32_t(t.cls));
    words_.push_back(nameAt);
    words_.push_back(semanticAt);
    words_.push_back(uint32_t(t.elements));
    if (t.cls == ClassCode::Vector) {  // columns first for vectors
      words_.push_back(uint32_t(t.cols));
      words_.push_back(uint32_t(t.rows));
    } else if (t.cls != ClassCode::Object) {
      words_.push_back(uint32_t(t.rows));
      words_.push_back(uint32_t(t.cols));
    }
    return at;
  }

  const std::vector<uint32_t>& Words() const { return words_; }

 private:
  void AppendBytes(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; i += 4) {
      uint32_t w = 0;
      for (size_t k = 0; k < 4 && i + k < n; ++k) w |= uint32_t(p[i + k]) << (8 * k);
      words_.push_back(w);
    }
  }
  std::vector<uint32_t> words_;
};

void AppendBlob(std::vector<uint32_t>& out, const uint8_t* p, size_t n) {
  out.push_back(uint32_t(n));
  for (size_t i = 0; i < n; i += 4) {
    uint32_t w = 0;
    for (size_t k = 0; k < 4 && i + k < n; ++k) w |= uint32_t(p[i + k]) << (8 * k);
    out.push_back(w);
  }
}

class Writer {
 public:
  Writer(const Effect& e, const ShaderCompiler& compile) : effect_(e), compile_(compile) {}

  std::vector<uint8_t> Run() {
    // A named shader that no pass uses still has to assemble: a fault in it is a fault.
    for (auto& shader : effect_.shaders) Bytecode(*shader);
    std::vector<uint32_t> params;
    for (size_t i = 0; i < effect_.parameters.size(); ++i) WriteParameter(params, uint32_t(i));
    std::vector<uint32_t> techniques;
    for (size_t t = 0; t < effect_.techniques.size(); ++t) WriteTechnique(techniques, uint32_t(t));

    std::vector<uint32_t> tail;
    tail.push_back(uint32_t(effect_.parameters.size()));
    tail.push_back(uint32_t(effect_.techniques.size()));
    tail.push_back(shaderCount_);  // not read by the loader
    tail.push_back(nextObject_);
    tail.insert(tail.end(), params.begin(), params.end());
    tail.insert(tail.end(), techniques.begin(), techniques.end());
    tail.push_back(objectCount_);
    tail.push_back(resourceCount_);
    tail.insert(tail.end(), objects_.begin(), objects_.end());
    tail.insert(tail.end(), resources_.begin(), resources_.end());

    std::vector<uint32_t> file;
    file.push_back(0xFEFF0901u);
    file.push_back(uint32_t(data_.Words().size() * 4));
    file.insert(file.end(), data_.Words().begin(), data_.Words().end());
    file.insert(file.end(), tail.begin(), tail.end());
    std::vector<uint8_t> bytes(file.size() * 4);
    for (size_t i = 0; i < file.size(); ++i)
      for (int k = 0; k < 4; ++k) bytes[i * 4 + k] = uint8_t(file[i] >> (8 * k));
    return bytes;
  }

 private:
  // Each shader is assembled once, however many passes use it.
  const std::vector<uint32_t>& Bytecode(const ShaderCode& shader) {
    auto it = bytecode_.find(&shader);
    if (it == bytecode_.end()) it = bytecode_.emplace(&shader, compile_(shader, effect_)).first;
    return it->second;
  }

  // Ids start at 1: the loader keeps slot 0 for itself.
  uint32_t NewObject() { return nextObject_++; }

  void AddStringObject(uint32_t id, const std::string& text) {
    objects_.push_back(id);
    AppendBlob(objects_, reinterpret_cast<const uint8_t*>(text.c_str()), text.size() + 1);
    ++objectCount_;
  }

  void AddResource(uint32_t technique, uint32_t index, uint32_t element, uint32_t state, uint32_t usage,
                   const uint8_t* p, size_t n) {
    resources_.insert(resources_.end(), {technique, index, element, state, usage});
    AppendBlob(resources_, p, n);
    ++resourceCount_;
  }

  // Typedef and value of an annotation or parameter; returns the value offset.
  uint32_t WriteValue(const Type& type, const Value& value) {
    if (type.code == TypeCode::String) {
      uint32_t id = NewObject();
      AddStringObject(id, value.text);
      return data_.Dwords({id});
    }
    return data_.Dwords(value.dwords);
  }

  void WriteAnnotations(std::vector<uint32_t>& out, const std::vector<Annotation>& list) {
    for (auto& a : list) {
      uint32_t type = data_.Typedef(a.type, a.name, "");
      out.push_back(type);
      out.push_back(WriteValue(a.type, a.value));
    }
  }

  uint32_t StateValue(const State& s, uint32_t technique, uint32_t index, uint32_t stateIndex) {
    if (s.shader) {
      uint32_t id = NewObject();
      const auto& code = Bytecode(*s.shader);
      AddResource(technique, index, kNone, stateIndex, 0, reinterpret_cast<const uint8_t*>(code.data()),
                  code.size() * 4);
      ++shaderCount_;
      return data_.Dwords({id});
    }
    if (!s.reference.empty()) {  // Texture = <name> inside a sampler
      uint32_t id = NewObject();
      AddResource(kNone, index, kNone, stateIndex, 1, reinterpret_cast<const uint8_t*>(s.reference.c_str()),
                  s.reference.size() + 1);
      return data_.Dwords({id});
    }
    return data_.Dwords({s.value});
  }

  // STATE records: id, index, typedef, value.
  void WriteStates(std::vector<uint32_t>& out, const std::vector<State>& states, uint32_t technique,
                   uint32_t index) {
    for (size_t i = 0; i < states.size(); ++i) {
      const State& s = states[i];
      uint32_t type = data_.Typedef(s.type, "", "");
      uint32_t value = StateValue(s, technique, index, uint32_t(i));
      out.insert(out.end(), {s.id, s.index, type, value});
    }
  }

  void WriteParameter(std::vector<uint32_t>& out, uint32_t index) {
    const Parameter& p = effect_.parameters[index];
    uint32_t type = data_.Typedef(p.type, p.name, p.semantic);
    uint32_t value;
    if (p.type.IsTexture()) {
      value = data_.Dwords({NewObject()});  // filled at run time by SetTexture
    } else if (p.type.IsSampler()) {
      std::vector<uint32_t> block{uint32_t(p.sampler.size())};
      WriteStates(block, p.sampler, kNone, index);
      value = data_.Dwords(block);
    } else {
      value = WriteValue(p.type, p.value);
    }
    out.insert(out.end(), {type, value, 0u, uint32_t(p.annotations.size())});
    WriteAnnotations(out, p.annotations);
  }

  void WriteTechnique(std::vector<uint32_t>& out, uint32_t t) {
    const Technique& tech = effect_.techniques[t];
    out.insert(out.end(), {data_.String(tech.name), uint32_t(tech.annotations.size()), uint32_t(tech.passes.size())});
    WriteAnnotations(out, tech.annotations);
    for (size_t p = 0; p < tech.passes.size(); ++p) {
      const Pass& pass = tech.passes[p];
      out.insert(out.end(), {data_.String(pass.name), uint32_t(pass.annotations.size()), uint32_t(pass.states.size())});
      WriteAnnotations(out, pass.annotations);
      WriteStates(out, pass.states, t, uint32_t(p));
    }
  }

  const Effect& effect_;
  const ShaderCompiler& compile_;
  DataArea data_;
  std::vector<uint32_t> objects_, resources_;
  uint32_t objectCount_ = 0, resourceCount_ = 0, shaderCount_ = 0;
  uint32_t nextObject_ = 1;
  std::map<const ShaderCode*, std::vector<uint32_t>> bytecode_;
};

}  // namespace

std::vector<uint8_t> WriteEffect(const Effect& effect, const ShaderCompiler& compile) {
  return Writer(effect, compile).Run();
}

std::vector<uint8_t> WriteEffect(const Effect& effect) { return WriteEffect(effect, AssembleShader); }

}  // namespace effectc
