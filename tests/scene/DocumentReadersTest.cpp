// After RegisterDocumentReaders every registry holds exactly the classes of the document's
// class table that exist so far, each name mapped to the reader of its own class. Add a
// class's row here (in table order) when it registers.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "brushes/DS_FireFX.h"
#include "brushes/DS_MoveFX.h"
#include "brushes/DS_PatternBrush.h"
#include "brushes/DS_WaterFX.h"
#include "brushes/SimpleBrushes.h"
#include "document/ReaderRegistry.h"
#include "lights/DS_FlameLight.h"
#include "lights/DS_GlassBallLight.h"
#include "lights/DS_MatrixCodeLight.h"
#include "lights/DS_WaterRingLight.h"
#include "lights/FakeLake2D.h"
#include "lights/FakeUndervater.h"
#include "runtime/DS_2D_Light.h"
#include "objects/DS_3D_in_2D_array.h"
#include "objects/DS_ButterflyConstructor.h"
#include "objects/DS_ClockConstructor.h"
#include "objects/FlashingEmitters.h"
#include "objects/RootedEmitters.h"
#include "objects/StreamingEmitters.h"
#include "objects/WanderingEmitters.h"
#include "runtime/DS_SlideContainer.h"
#include "scene/DocumentReaders.h"

namespace {

enum class Family { Light, Slide, Item };

struct Row {
  const wchar_t* className;
  Family family;
  const void* reader;  // the reader instance of the class itself
};

template <class X>
const void* LightReader() {
  return &IOF_Virtual_ReaderT_II<X, DS_2D_Light>::Instance();
}
template <class X>
const void* ItemReader() {
  return &IOF_Virtual_ReaderT<X>::Instance();
}
template <class X>
const void* SlideReader() {
  return &IOF_Virtual_ReaderT_II<X, DS_SlideContainer>::Instance();
}

// The registered classes, in the order of the document's class table.
const std::vector<Row> kRegisteredClasses = {
    {L"DS_2D_Light", Family::Light, LightReader<DS_2D_Light>()},
    {L"DS_FlameLight", Family::Light, LightReader<DS_FlameLight>()},
    {L"DS_GlassBallLight", Family::Light, LightReader<DS_GlassBallLight>()},
    {L"DS_MatrixCodeLight", Family::Light, LightReader<DS_MatrixCodeLight>()},
    {L"DS_SlideContainer", Family::Slide, SlideReader<DS_SlideContainer>()},
    {L"FakeUndervater", Family::Light, LightReader<FakeUndervater>()},
    {L"FakeLake2D", Family::Light, LightReader<FakeLake2D>()},
    {L"DS_WaterRingLight", Family::Light, LightReader<DS_WaterRingLight>()},
    {L"DS_GodRayConstructor", Family::Item, ItemReader<DS_GodRayConstructor>()},
    {L"DS_SparkleConstructor", Family::Item, ItemReader<DS_SparkleConstructor>()},
    {L"DS_FlowConstructor", Family::Item, ItemReader<DS_FlowConstructor>()},
    {L"DS_FishConstructor", Family::Item, ItemReader<DS_FishConstructor>()},
    {L"DS_GhostConstructor", Family::Item, ItemReader<DS_GhostConstructor>()},
    {L"DS_FogConstructor", Family::Item, ItemReader<DS_FogConstructor>()},
    {L"DS_LightingConstructor", Family::Item, ItemReader<DS_LightingConstructor>()},
    {L"DS_GrassConstructor", Family::Item, ItemReader<DS_GrassConstructor>()},
    {L"DS_RainConstructor", Family::Item, ItemReader<DS_RainConstructor>()},
    {L"DS_StatObjConstructor", Family::Item, ItemReader<DS_StatObjConstructor>()},
    {L"DS_FlowerConstructor", Family::Item, ItemReader<DS_FlowerConstructor>()},
    {L"DS_BirdConstructor", Family::Item, ItemReader<DS_BirdConstructor>()},
    {L"DS_DischargeConstructor", Family::Item, ItemReader<DS_DischargeConstructor>()},
    {L"DS_ButterflyConstructor", Family::Item, ItemReader<DS_ButterflyConstructor>()},
    {L"DS_ClockConstructor", Family::Item, ItemReader<DS_ClockConstructor>()},
    {L"DS_BackgroundCopy", Family::Item, ItemReader<DS_BackgroundCopy>()},
    {L"DS_WavesFX", Family::Item, ItemReader<DS_WavesFX>()},
    {L"DS_LightFX", Family::Item, ItemReader<DS_LightFX>()},
    {L"DS_PatternBrush", Family::Item, ItemReader<DS_PatternBrush>()},
    {L"DS_PatternBrushC", Family::Item, ItemReader<DS_PatternBrushC>()},
    {L"DS_WaterFX", Family::Item, ItemReader<DS_WaterFX>()},
    {L"DS_MoveFX", Family::Item, ItemReader<DS_MoveFX>()},
    {L"DS_FireFX", Family::Item, ItemReader<DS_FireFX>()},
    {L"DS_3D_in_2D_array_Constructor", Family::Item, ItemReader<DS_3D_in_2D_array_Constructor>()},
};

template <class Registry>
std::map<ds_string, const void*> Held(const Registry& registry) {
  std::map<ds_string, const void*> held;
  for (const auto& [name, reader] : registry) held[name] = reader;
  return held;
}

std::map<ds_string, const void*> Expected(Family family) {
  std::map<ds_string, const void*> expected;
  for (const Row& row : kRegisteredClasses)
    if (row.family == family) expected[row.className] = row.reader;
  return expected;
}

TEST(ReaderRegistryTable, EachRegistryHoldsItsClassesOfTheTable) {
  RegisterDocumentReaders();
  EXPECT_EQ(Held(LightReaderRegistry()), Expected(Family::Light));
  EXPECT_EQ(Held(SlideContainerReaderRegistry()), Expected(Family::Slide));
  EXPECT_EQ(Held(ConstructorReaderRegistry()), Expected(Family::Item));
}

TEST(ReaderRegistryTable, RegisteringTwiceChangesNothing) {
  RegisterDocumentReaders();
  const auto lights = LightReaderRegistry();
  const auto slides = SlideContainerReaderRegistry();
  const auto items = ConstructorReaderRegistry();
  RegisterDocumentReaders();
  EXPECT_EQ(LightReaderRegistry(), lights);
  EXPECT_EQ(SlideContainerReaderRegistry(), slides);
  EXPECT_EQ(ConstructorReaderRegistry(), items);
}

}  // namespace
