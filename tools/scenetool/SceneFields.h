#pragma once
// What the scene tool knows of the classes a description can name: how to make one, and
// its fields by name, so that "set <field> <values...>" can fill every field a record
// holds. Each family adds its classes in a file of its own (LightClasses.cpp,
// BrushClasses.cpp, ObjectClasses.cpp), called from RegisterSceneClasses.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "document/DS_FileLink3.h"
#include "document/DS_IOF.h"
#include "document/MediaCompound.h"
#include "document/MediaParam.h"

class DS_2D_Light;
class DS_ABObj_Constructor;
class DS_FX_Constructor;
class DS_FireFX;

[[noreturn]] void SceneFail(const std::string& what);
ds_string Widen(const std::string& s);
std::vector<uint8_t> ReadFileBytes(const std::string& path);

// Puts a file's bytes into the document under a key, in the table that links of its kind
// save from: pictures (image links) or other files (effects, meshes). A key whose path ends
// in ".dll" is a picture or file of the resource module (record: id = stamp, module =
// path, no name); any other key is a file of the user's (record: the path as name).
void CarryPicture(const DS_LinkKey& key, const std::vector<uint8_t>& bytes);
void CarryFile(const DS_LinkKey& key, const std::vector<uint8_t>& bytes);

// The fields of one object, by name. Values are parsed by the parameter's type and stored
// with SetValue, so that the object's controls update what depends on them, as the
// authoring tool does.
class SceneFields {
 public:
  using Setter = std::function<void(std::istringstream& words)>;

  void Add(const std::string& name, Setter setter);
  void Add(const std::string& name, MediaParamTB<int>& param);
  void Add(const std::string& name, MediaParamTB<unsigned int>& param);  // scaled and speed values too
  void Add(const std::string& name, MediaParamTB<float>& param);
  void Add(const std::string& name, MediaParamTB<unsigned long>& param);  // colours: 0xBBGGRR or decimal
  void Add(const std::string& name, MediaParamTB<ds_string>& param);      // the rest of the line
  void Add(const std::string& name, MediaRectangle& param);               // left right top bottom [x y]
  void Add(const std::string& name, MediaParamTB<POINT>& param);          // x y
  void Add(const std::string& name, MediaQuad& param);                    // x y z of corners 0 to 3
  void Add(const std::string& name, ds_string& value);                    // the rest of the line
  void Add(const std::string& name, uint8_t& value);                      // 0 to 255
  void Add(const std::string& name, GUID& value);                         // {xxxxxxxx-xxxx-...}
  // "<path> <stamp>" sets the key; a third word names a file whose bytes the document
  // carries under that key (a picture for image links, a file for the others).
  void Add(const std::string& name, DS_FileLink3& link, bool picture);
  void Add(const std::string& name, DS_ImageFileLink& link) { Add(name, link, true); }

  // The identity under which the object's painted mask is stored ("mask" lines).
  void SetMaskIdentity(GUID* identity) { maskIdentity_ = identity; }
  GUID* MaskIdentity() const { return maskIdentity_; }
  // How the object's bump map is made from a height picture ("bump-map" lines): a V8U8 DDS
  // file from the heights (0..255, row by row), stored under the mask identity.
  using BumpMaker = std::function<std::vector<uint8_t>(const std::vector<uint8_t>& heights, uint32_t width,
                                                       uint32_t height)>;
  void SetBumpMaker(BumpMaker maker) { bumpMaker_ = std::move(maker); }
  const BumpMaker& Bump() const { return bumpMaker_; }

  void Set(const std::string& name, std::istringstream& words) const;
  // Every field name, in name order.
  std::vector<std::string> Names() const;

 private:
  std::map<std::string, Setter> setters_;
  GUID* maskIdentity_ = nullptr;
  BumpMaker bumpMaker_;
};

// The classes a description can name, by their record names.
class SceneClasses {
 public:
  using LightMaker = std::function<DS_2D_Light*(SceneFields&)>;
  using ItemMaker = std::function<DS_ABObj_Constructor*(SceneFields&)>;

  // bind adds the object's own fields; the base light's and the scene item's are added by
  // the tool (picture, camera; name).
  template <class Light>
  void AddLight(const std::string& name, std::function<void(SceneFields&, Light&)> bind) {
    lights_[name] = [bind](SceneFields& fields) -> DS_2D_Light* {
      auto* light = new Light;
      if (bind) bind(fields, *light);
      return light;
    };
  }
  template <class Item>
  void AddItem(const std::string& name, std::function<void(SceneFields&, Item&)> bind) {
    items_[name] = [bind](SceneFields& fields) -> DS_ABObj_Constructor* {
      auto* item = new Item;
      if (bind) bind(fields, *item);
      return item;
    };
  }

  const LightMaker* Light(const std::string& name) const;
  const ItemMaker* Item(const std::string& name) const;

 private:
  std::map<std::string, LightMaker> lights_;
  std::map<std::string, ItemMaker> items_;
};

// Every family's classes; one line per family.
void RegisterSceneClasses(SceneClasses& classes);
void AddLightClasses(SceneClasses& classes);
void AddObjectClasses(SceneClasses& classes);
void AddBrushClasses(SceneClasses& classes);
// The fields every brush shares, and the fire's own, each name after the prefix; the
// brush's identity becomes the one its mask is stored under.
void AddBrushFields(SceneFields& fields, DS_FX_Constructor& brush, const std::string& prefix = "");
void AddFireFields(SceneFields& fields, DS_FireFX& fire, const std::string& prefix = "");
