// Builds a scene document from a scene description, through the document classes' own
// record writers and the memory writer of the document stream.
//
//   scenetool <description> <output document>
//
// File names in the description are relative to the working directory. Lines:
//   slide <name...>                          starts a slide shown through the plain light
//   timing <fade-in> <show> <fade-out>       whole seconds
//   picture <file> <stamp>                   the slide's picture, keyed by its name and stamp
//   camera <enabled> <zoom %> <speed>        the light's pan and zoom
//   music <file> <stored path> <name...>     a music item carrying the file's bytes
// '#' starts a comment.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "document/DS_DocResManager.h"
#include "document/DS_IOF.h"
#include "runtime/DS_AudioFile.h"
#include "runtime/DS_SlideShow_Light.h"

namespace {

constexpr wchar_t kHeader[] = L"KVX v 4.0.0";

[[noreturn]] void Fail(const std::string& what) {
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
  if (!in) Fail("cannot read " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string RestOfLine(std::istringstream& words) {
  std::string rest;
  std::getline(words >> std::ws, rest);
  return rest;
}

class SceneBuilder {
 public:
  SceneBuilder() { manager_.MakeCurrent(); }

  void Line(const std::string& line, int number) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string word;
    if (!(words >> word)) return;
    where_ = "line " + std::to_string(number);
    if (word == "slide") {
      auto* slide = new DS_SlideContainer;
      slide->name.Value() = Widen(RestOfLine(words));
      slide->light = DS_SharedPtr<DS_2D_Light>(new DS_2D_Light);
      root_.slides.emplace_back(slide);
    } else if (word == "timing") {
      unsigned in = 0, show = 0, out = 0;
      if (!(words >> in >> show >> out)) Fail(where_ + ": timing needs three numbers");
      Slide().fadeIn.Assign(in);
      Slide().showTime.Assign(show);
      Slide().fadeOut.Assign(out);
    } else if (word == "picture") {
      std::string file;
      long long stamp = 0;
      if (!(words >> file >> stamp)) Fail(where_ + ": picture needs a file and a stamp");
      std::vector<uint8_t> bytes = ReadFileBytes(file);
      DS_FileRecord record;
      record.name = Widen(file);
      record.SetData(int32_t(bytes.size()), bytes.data());
      DS_LinkKey key{Widen(file), stamp};
      manager_.Tables().loadedFiles[key] = {record};
      Slide().light->PictureLink().SetKey(key);
    } else if (word == "camera") {
      int enabled = 0;
      unsigned zoom = 0, speed = 0;
      if (!(words >> enabled >> zoom >> speed)) Fail(where_ + ": camera needs three numbers");
      DSM_Camera& camera = Slide().light->Camera();
      camera.enabled.Assign(enabled);
      camera.zoom.SetValue(zoom);
      camera.speed.SetValue(speed);
    } else if (word == "music") {
      std::string file, stored;
      if (!(words >> file >> stored)) Fail(where_ + ": music needs a file and a stored path");
      std::vector<uint8_t> bytes = ReadFileBytes(file);
      auto* item = new DS_AudioFile;
      item->name = Widen(RestOfLine(words));
      item->sound.name = Widen(stored);
      item->sound.SetData(int32_t(bytes.size()), bytes.data());
      root_.audioFiles.emplace_back(item);
    } else {
      Fail(where_ + ": unknown word " + word);
    }
  }

  std::vector<uint8_t> Document() {
    DS_IOF_W writer;
    DS_IOF_Virtual* stream = &writer;
    stream->WriteString(kHeader);
    root_.WriteRecord(stream);
    manager_.WriteRecord(stream);
    return writer.Bytes();
  }

 private:
  DS_SlideContainer& Slide() {
    if (root_.slides.empty()) Fail(where_ + ": no slide before this line");
    return *root_.slides.back();
  }

  DS_DocResManager manager_;  // made first: the writers register their files with it
  DS_SlideShow_Light root_;
  std::string where_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) Fail("usage: scenetool <description> <output document>");
  std::ifstream description(argv[1]);
  if (!description) Fail(std::string("cannot read ") + argv[1]);
  auto builder = std::make_unique<SceneBuilder>();
  std::string line;
  int number = 0;
  while (std::getline(description, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    builder->Line(line, ++number);
  }
  std::vector<uint8_t> bytes = builder->Document();
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) Fail(std::string("cannot write ") + argv[2]);
  return 0;
}
