// After RegisterDocumentReaders every registry holds exactly the classes of the document's
// class table that exist so far. Add a class's row here (in table order) when its family
// registers it.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "document/ReaderRegistry.h"
#include "scene/DocumentReaders.h"

namespace {

enum class Family { Light, Slide, Item };

struct Row {
  const wchar_t* className;
  Family family;
};

// The registered classes, in the order of the document's class table.
const std::vector<Row> kRegisteredClasses = {
    {L"DS_2D_Light", Family::Light},
    {L"DS_SlideContainer", Family::Slide},
};

template <class Registry>
std::set<ds_string> Names(const Registry& registry) {
  std::set<ds_string> names;
  for (const auto& [name, reader] : registry) {
    EXPECT_NE(reader, nullptr) << std::string(name.begin(), name.end());
    names.insert(name);
  }
  return names;
}

std::set<ds_string> Expected(Family family) {
  std::set<ds_string> names;
  for (const Row& row : kRegisteredClasses)
    if (row.family == family) names.insert(row.className);
  return names;
}

TEST(ReaderRegistryTable, EachRegistryHoldsItsClassesOfTheTable) {
  RegisterDocumentReaders();
  EXPECT_EQ(Names(LightReaderRegistry()), Expected(Family::Light));
  EXPECT_EQ(Names(SlideContainerReaderRegistry()), Expected(Family::Slide));
  EXPECT_EQ(Names(ConstructorReaderRegistry()), Expected(Family::Item));
}

TEST(ReaderRegistryTable, RegisteringTwiceChangesNothing) {
  RegisterDocumentReaders();
  const auto lights = LightReaderRegistry();
  const auto items = ConstructorReaderRegistry();
  RegisterDocumentReaders();
  EXPECT_EQ(LightReaderRegistry(), lights);
  EXPECT_EQ(ConstructorReaderRegistry(), items);
}

}  // namespace
