// Every effect the project ships declares exactly the techniques and parameter names of its
// catalogue entry, and every catalogue entry is shipped.
#include <gtest/gtest.h>

#include <algorithm>
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

std::set<std::string> AsSet(const std::vector<std::string>& v) { return {v.begin(), v.end()}; }

TEST(EffectCatalogue, EveryShippedEffectDeclaresExactlyItsNames) {
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
    auto parameters = ParameterNames(effect.Get());
    EXPECT_EQ(AsSet(techniques), AsSet(entry->techniques));
    EXPECT_EQ(AsSet(parameters), AsSet(entry->parameters));
    EXPECT_EQ(AsSet(parameters).size(), parameters.size()) << "a parameter name declared twice";
  }
}

TEST(EffectCatalogue, EveryEntryIsShippedOnce) {
  auto shipped = ShippedEffects();
  std::set<std::string> files, ids;
  for (auto& e : EffectCatalogue()) {
    SCOPED_TRACE(e.file);
    EXPECT_TRUE(files.insert(e.file).second) << "file listed twice";
    EXPECT_TRUE(ids.insert(std::to_string(e.id)).second) << "id listed twice";
    EXPECT_EQ(std::count_if(shipped.begin(), shipped.end(), [&](auto& p) { return BaseName(p) == e.file; }), 1);
  }
}

}  // namespace
