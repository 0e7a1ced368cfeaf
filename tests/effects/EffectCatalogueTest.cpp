// Every effect the project ships declares exactly the techniques, parameter names and types of
// its catalogue entry, every catalogue entry is shipped, and the resource module holds each
// effect under the id of its entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "tests/effects/EffectCatalogue.h"
#include "tests/effects/EffectTestSupport.h"
#include "tests/support/TestDevice.h"

namespace {

std::vector<std::string> ShippedEffects() { return ReadLines(SHIPPED_EFFECTS_LIST); }

const EffectCatalogueEntry* FindEntry(const std::string& file) {
  for (auto& e : EffectCatalogue())
    if (file == e.file) return &e;
  return nullptr;
}

// The source-level name of a declared type, as the catalogue writes it.
std::string TypeName(const D3DXPARAMETER_DESC& d) {
  static const std::map<D3DXPARAMETER_TYPE, const char*> names = {
      {D3DXPT_BOOL, "bool"},         {D3DXPT_INT, "int"},           {D3DXPT_FLOAT, "float"},
      {D3DXPT_STRING, "string"},     {D3DXPT_TEXTURE, "texture"},   {D3DXPT_TEXTURE2D, "texture2D"},
      {D3DXPT_SAMPLER, "sampler"},   {D3DXPT_SAMPLER2D, "sampler2D"}, {D3DXPT_SAMPLERCUBE, "samplerCUBE"},
  };
  auto it = names.find(d.Type);
  std::string name = it != names.end() ? it->second : "type" + std::to_string(int(d.Type));
  if (d.Class == D3DXPC_VECTOR) name += std::to_string(d.Columns);
  if (d.Class == D3DXPC_MATRIX_ROWS || d.Class == D3DXPC_MATRIX_COLUMNS)
    name += std::to_string(d.Rows) + "x" + std::to_string(d.Columns);
  if (d.Elements) name += "[" + std::to_string(d.Elements) + "]";
  return name;
}

TEST(EffectCatalogue, EveryShippedEffectDeclaresExactlyItsNamesAndTypes) {
  TestDevice dev(16, 16);
  ASSERT_TRUE(dev.Ok());
  auto shipped = ShippedEffects();
  ASSERT_FALSE(shipped.empty()) << "no list of shipped effects in " SHIPPED_EFFECTS_LIST;
  for (const std::string& path : shipped) {
    SCOPED_TRACE(path);
    const EffectCatalogueEntry* entry = FindEntry(BaseName(path));
    ASSERT_NE(entry, nullptr) << "shipped effect without a catalogue entry";
    auto effect = CreateEffectFromBytes(dev.Device(), ReadFileBytes(path));
    ASSERT_TRUE(effect) << "D3DXCreateEffect failed";
    auto techniques = TechniqueNames(effect.Get());
    EXPECT_EQ(std::set<std::string>(techniques.begin(), techniques.end()),
              std::set<std::string>(entry->techniques.begin(), entry->techniques.end()));
    EXPECT_EQ(techniques.size(), entry->techniques.size()) << "a technique declared twice";
    std::map<std::string, std::string> declared;
    for (auto& name : ParameterNames(effect.Get())) {
      D3DXPARAMETER_DESC d;
      ASSERT_EQ(effect->GetParameterDesc(effect->GetParameterByName(nullptr, name.c_str()), &d), D3D_OK);
      EXPECT_TRUE(declared.emplace(name, TypeName(d)).second) << name << " declared twice";
    }
    std::map<std::string, std::string> expected(entry->parameters.begin(), entry->parameters.end());
    EXPECT_EQ(declared, expected);
  }
}

TEST(EffectCatalogue, EveryEntryIsShippedOnce) {
  auto shipped = ShippedEffects();
  std::set<std::string> files;
  std::set<int> ids;
  for (auto& e : EffectCatalogue()) {
    SCOPED_TRACE(e.file);
    EXPECT_TRUE(files.insert(e.file).second) << "file listed twice";
    EXPECT_TRUE(ids.insert(e.id).second) << "id listed twice";
    EXPECT_EQ(std::count_if(shipped.begin(), shipped.end(), [&](auto& p) { return BaseName(p) == e.file; }), 1);
  }
}

// The scene asks the module for an effect by number only, so a wrong id in the module's list
// would hand a brush another effect.
TEST(EffectCatalogue, ModuleHoldsEachEffectUnderItsId) {
  int effects = 0;
  for (auto& m : ReadModuleEntries(COMMON_RES_ENTRIES_LIST)) {
    if (m.type != "RCDATA") continue;
    SCOPED_TRACE(m.path);
    ++effects;
    const EffectCatalogueEntry* entry = FindEntry(BaseName(m.path));
    ASSERT_NE(entry, nullptr) << "module effect without a catalogue entry";
    EXPECT_EQ(m.id, entry->id);
  }
  EXPECT_GT(effects, 0);
}

}  // namespace
