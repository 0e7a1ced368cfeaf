// Builds a scene document from a scene description, through the document classes' own
// record writers and the memory writer of the document stream.
//
//   scenetool <description> <output document>
//
// File names in the description are relative to the working directory. Lines:
//   slide <name...>                          starts a slide shown through the plain light
//   timing <fade-in> <show> <fade-out>       whole seconds
//   light <class>                            the slide's picture light, by its record name
//   picture <file> <stamp>                   the slide's picture, keyed by its name and stamp
//   camera <enabled> <zoom %> <speed>        the light's pan and zoom
//   item <class> [name...]                   a scene item of the slide, by its record name
//   set <field> <values...>                  a field of the last light or item named
//   mask <file.pgm>                          the last item's painted mask (512 x 512 grey)
//   bump-map <file.pgm>                      the last light's bump map, made from the grey
//                                            heights with the fields set so far
//   carry-picture <path> <stamp> <file>      a picture the document carries under that key
//   carry-file <path> <stamp> <file>         another file (effect, mesh) carried likewise
//   music <file> <stored path> <name...>     a music item carrying the file's bytes
// A key whose path ends in ".dll" names a resource of that module (stamp = its id). '#'
// starts a comment.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "document/DS_DocResManager.h"
#include "document/DS_IOF.h"
#include "runtime/DS_AudioFile.h"
#include "runtime/DS_SlideShow_Light.h"
#include "runtime/ScreenSelection.h"
#include "tools/scenetool/MaskImage.h"
#include "tools/scenetool/SceneFields.h"

namespace {

constexpr wchar_t kHeader[] = L"KVX v 4.0.0";

std::string RestOfLine(std::istringstream& words) {
  std::string rest;
  std::getline(words >> std::ws, rest);
  return rest;
}

class SceneBuilder {
 public:
  SceneBuilder() { RegisterSceneClasses(classes_); }

  void Line(const std::string& line, int number) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string word;
    if (!(words >> word)) return;
    where_ = "line " + std::to_string(number);
    if (word == "slide") {
      auto* slide = new DS_SlideContainer;
      slide->name.Value() = Widen(RestOfLine(words));
      root_.slides.emplace_back(slide);
      MakeLight("DS_2D_Light");
    } else if (word == "timing") {
      unsigned in = 0, show = 0, out = 0;
      if (!(words >> in >> show >> out)) Fail("timing needs three numbers");
      Slide().fadeIn.Assign(in);
      Slide().showTime.Assign(show);
      Slide().fadeOut.Assign(out);
    } else if (word == "light") {
      Slide();
      std::string name;
      if (!(words >> name)) Fail("light needs a class name");
      MakeLight(name);
    } else if (word == "picture") {
      std::string file;
      long long stamp = 0;
      if (!(words >> file >> stamp)) Fail("picture needs a file and a stamp");
      const DS_LinkKey key{Widen(file), stamp};
      CarryPicture(key, ReadFileBytes(file));
      Slide().light->PictureLink().SetKey(key);
    } else if (word == "camera") {
      int enabled = 0;
      unsigned zoom = 0, speed = 0;
      if (!(words >> enabled >> zoom >> speed)) Fail("camera needs three numbers");
      DSM_Camera& camera = Slide().light->Camera();
      camera.enabled.Assign(enabled);
      camera.zoom.SetValue(zoom);
      camera.speed.SetValue(speed);
    } else if (word == "item") {
      std::string name;
      if (!(words >> name)) Fail("item needs a class name");
      const SceneClasses::ItemMaker* make = classes_.Item(name);
      if (!make) Fail("no scene item class " + name);
      fields_ = std::make_unique<SceneFields>();
      std::unique_ptr<DS_ABObj_Constructor> item((*make)(*fields_));
      item->SetObjectName(Widen(RestOfLine(words)));
      Slide().pendingItems.push_back(std::move(item));
    } else if (word == "set") {
      std::string field;
      if (!(words >> field)) Fail("set needs a field name");
      if (!fields_) Fail("no light or item before this line");
      fields_->Set(field, words);
    } else if (word == "mask") {
      std::string file;
      if (!(words >> file)) Fail("mask needs a file");
      if (!fields_ || !fields_->MaskIdentity()) Fail("the last object named has no mask");
      StoreMask(*fields_->MaskIdentity(), MaskDdsFromPgm(ReadFileBytes(file)));
    } else if (word == "bump-map") {
      std::string file;
      if (!(words >> file)) Fail("bump-map needs a file");
      if (!fields_ || !fields_->MaskIdentity() || !fields_->Bump()) Fail("the last object named has no bump map");
      uint32_t width = 0, height = 0;
      const std::vector<uint8_t> heights = GreyFromPgm(ReadFileBytes(file), width, height);
      StoreMask(*fields_->MaskIdentity(), fields_->Bump()(heights, width, height));
    } else if (word == "carry-picture" || word == "carry-file") {
      std::string path, file;
      long long stamp = 0;
      if (!(words >> path >> stamp >> file)) Fail(word + " needs a path, a stamp and a file");
      const DS_LinkKey key{Widen(path), stamp};
      if (word == "carry-picture")
        CarryPicture(key, ReadFileBytes(file));
      else
        CarryFile(key, ReadFileBytes(file));
    } else if (word == "music") {
      std::string file, stored;
      if (!(words >> file >> stored)) Fail("music needs a file and a stored path");
      std::vector<uint8_t> bytes = ReadFileBytes(file);
      auto* item = new DS_AudioFile;
      item->name = Widen(RestOfLine(words));
      item->sound.name = Widen(stored);
      item->sound.SetData(int32_t(bytes.size()), bytes.data());
      root_.audioFiles.emplace_back(item);
    } else {
      Fail("unknown word " + word);
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
  [[noreturn]] void Fail(const std::string& what) { SceneFail(where_ + ": " + what); }

  DS_SlideContainer& Slide() {
    if (root_.slides.empty()) Fail("no slide before this line");
    return *root_.slides.back();
  }

  void MakeLight(const std::string& name) {
    const SceneClasses::LightMaker* make = classes_.Light(name);
    if (!make) Fail("no light class " + name);
    fields_ = std::make_unique<SceneFields>();
    DS_SharedPtr<DS_2D_Light> light((*make)(*fields_));
    // The new light keeps what the slide's light had been given.
    if (const DS_SharedPtr<DS_2D_Light>& old = Slide().light) {
      light->PictureLink().SetKey(old->PictureLink().Key());
    }
    Slide().light = light;
  }

  void StoreMask(const GUID& identity, const std::vector<uint8_t>& dds) {
    DS_MaskImageEntry& entry = manager_.Tables().maskImages[identity];
    entry.guid = identity;
    entry.image.SetData(int32_t(dds.size()), dds.data());
  }

  DS_DocResManager manager_;  // made first: the writers register their files with it
  ScopedScreen selected_{ScreenSelection::Current().WithResources(&manager_)};
  SceneClasses classes_;
  DS_SlideShow_Light root_;
  std::unique_ptr<SceneFields> fields_;  // of the last light or item named
  std::string where_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) SceneFail("usage: scenetool <description> <output document>");
  std::ifstream description(argv[1]);
  if (!description) SceneFail(std::string("cannot read ") + argv[1]);
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
  if (!out) SceneFail(std::string("cannot write ") + argv[2]);
  return 0;
}
