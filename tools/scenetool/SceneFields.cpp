#include "tools/scenetool/SceneFields.h"

#include <objbase.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "document/DS_DocResManager.h"

void SceneFail(const std::string& what) {
  std::fprintf(stderr, "scenetool: %s\n", what.c_str());
  std::exit(1);
}

ds_string Widen(const std::string& s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
  ds_string w(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
  return w;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) SceneFail("cannot read " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

namespace {

DS_FileRecord RecordFor(const DS_LinkKey& key, const std::vector<uint8_t>& bytes) {
  const DS_FileLink3 link(key.path, key.stamp);
  DS_FileRecord record;
  if (link.GetLowerExtension() == L".dll") {
    record.resourceId = int32_t(key.stamp);
    record.module = key.path;
  } else {
    record.name = key.path;
  }
  record.SetData(int32_t(bytes.size()), bytes.data());
  return record;
}

template <class T>
T Parse(std::istringstream& words, const char* what) {
  T value{};
  if (!(words >> value)) SceneFail(std::string("expected ") + what);
  return value;
}

}  // namespace

// The loaded files are what a written link copies into its table; the table itself is
// filled too, for keys that no link of the scene writes.
void CarryPicture(const DS_LinkKey& key, const std::vector<uint8_t>& bytes) {
  DS_DocResTables& tables = g_docResManager->Tables();
  tables.loadedFiles[key] = {RecordFor(key, bytes)};
  tables.images[key] = tables.loadedFiles[key];
}

void CarryFile(const DS_LinkKey& key, const std::vector<uint8_t>& bytes) {
  DS_DocResTables& tables = g_docResManager->Tables();
  tables.loadedFiles[key] = {RecordFor(key, bytes)};
  tables.files[key] = tables.loadedFiles[key];
}

void SceneFields::Add(const std::string& name, Setter setter) { setters_[name] = std::move(setter); }

void SceneFields::Add(const std::string& name, MediaParamTB<int>& param) {
  Add(name, [&param](std::istringstream& w) { param.SetValue(Parse<int>(w, "an integer")); });
}

void SceneFields::Add(const std::string& name, MediaParamTB<unsigned int>& param) {
  Add(name, [&param](std::istringstream& w) { param.SetValue(Parse<unsigned int>(w, "an unsigned integer")); });
}

void SceneFields::Add(const std::string& name, MediaParamTB<float>& param) {
  Add(name, [&param](std::istringstream& w) { param.SetValue(Parse<float>(w, "a number")); });
}

void SceneFields::Add(const std::string& name, MediaParamTB<unsigned long>& param) {
  Add(name, [&param](std::istringstream& w) {
    const std::string word = Parse<std::string>(w, "a colour");
    param.SetValue(std::stoul(word, nullptr, 0));
  });
}

void SceneFields::Add(const std::string& name, MediaParamTB<ds_string>& param) {
  Add(name, [&param](std::istringstream& w) {
    std::string rest;
    std::getline(w >> std::ws, rest);
    param.SetValue(Widen(rest));
  });
}

void SceneFields::Add(const std::string& name, MediaRectangle& param) {
  Add(name, [&param](std::istringstream& w) {
    param.left.SetValue(Parse<int>(w, "left"));
    param.right.SetValue(Parse<int>(w, "right"));
    param.top.SetValue(Parse<int>(w, "top"));
    param.bottom.SetValue(Parse<int>(w, "bottom"));
    int x = 0, y = 0;
    if (w >> x >> y) {
      param.x.SetValue(x);
      param.y.SetValue(y);
    }
  });
}

void SceneFields::Add(const std::string& name, MediaParamTB<POINT>& param) {
  Add(name, [&param](std::istringstream& w) {
    POINT p{};
    p.x = Parse<int>(w, "x");
    p.y = Parse<int>(w, "y");
    param.SetValue(p);
  });
}

void SceneFields::Add(const std::string& name, MediaQuad& param) {
  Add(name, [&param](std::istringstream& w) {
    for (auto& corner : param.corners) {
      D3DXVECTOR3 p;
      p.x = Parse<float>(w, "x");
      p.y = Parse<float>(w, "y");
      p.z = Parse<float>(w, "z");
      corner.SetValue(p);
    }
  });
}

void SceneFields::Add(const std::string& name, ds_string& value) {
  Add(name, [&value](std::istringstream& w) {
    std::string rest;
    std::getline(w >> std::ws, rest);
    value = Widen(rest);
  });
}

void SceneFields::Add(const std::string& name, uint8_t& value) {
  Add(name, [&value](std::istringstream& w) {
    const unsigned v = Parse<unsigned>(w, "a number from 0 to 255");
    if (v > 255) SceneFail("expected a number from 0 to 255");
    value = uint8_t(v);
  });
}

void SceneFields::Add(const std::string& name, GUID& value) {
  Add(name, [&value](std::istringstream& w) {
    const ds_string text = Widen(Parse<std::string>(w, "a GUID"));
    if (FAILED(CLSIDFromString(text.c_str(), &value))) SceneFail("expected a GUID in braces");
  });
}

void SceneFields::Add(const std::string& name, DS_FileLink3& link, bool picture) {
  Add(name, [&link, picture](std::istringstream& w) {
    const std::string path = Parse<std::string>(w, "a path");
    const long long stamp = Parse<long long>(w, "a stamp");
    const DS_LinkKey key{Widen(path), stamp};
    link.SetKey(key);
    std::string file;
    if (w >> file) {
      if (picture)
        CarryPicture(key, ReadFileBytes(file));
      else
        CarryFile(key, ReadFileBytes(file));
    }
  });
}

void SceneFields::Set(const std::string& name, std::istringstream& words) const {
  const auto found = setters_.find(name);
  if (found == setters_.end()) SceneFail("no field " + name);
  found->second(words);
}

std::vector<std::string> SceneFields::Names() const {
  std::vector<std::string> names;
  for (const auto& [name, setter] : setters_) names.push_back(name);
  return names;
}

const SceneClasses::LightMaker* SceneClasses::Light(const std::string& name) const {
  const auto found = lights_.find(name);
  return found == lights_.end() ? nullptr : &found->second;
}

const SceneClasses::ItemMaker* SceneClasses::Item(const std::string& name) const {
  const auto found = items_.find(name);
  return found == items_.end() ? nullptr : &found->second;
}

void RegisterSceneClasses(SceneClasses& classes) {
  AddLightClasses(classes);
  AddObjectClasses(classes);
  AddBrushClasses(classes);
}
