// The one place that sees every family, so the one place that registers their readers.
// Registration is an explicit call before the first document is read (the shell's first
// scene acquisition) rather than static initialisers, which a static library would drop
// along with any object file that nothing references.
//
// One line per class, in the order of the document's class table, whatever family the
// class belongs to:
//    1 DS_2D_Light              light     runtime/
//    2 DS_FlameLight            light     lights/
//    3 DS_GlassBallLight        light     lights/
//    4 DS_MatrixCodeLight       light     lights/
//    5 DS_SlideContainer        slide     runtime/
//    6 FakeUndervater           light     lights/
//    7 FakeLake2D               light     lights/
//    8 DS_WaterRingLight        light     lights/
//    9 DS_GodRayConstructor ... 23 DS_ClockConstructor     scene items   objects/
//   24 DS_BackgroundCopy    ... 31 DS_FireFX               scene items   brushes/
//   32 DS_3D_in_2D_array_Constructor                       scene item    objects/
// A class that arrives adds its line at its place here (its library to scene/CMakeLists.txt)
// and its row to the table of tests/scene/DocumentReadersTest.cpp.
#include "scene/DocumentReaders.h"

#include "document/ReaderRegistry.h"
#include "brushes/DS_FireFX.h"
#include "brushes/DS_MoveFX.h"
#include "brushes/DS_PatternBrush.h"
#include "brushes/DS_WaterFX.h"
#include "brushes/SimpleBrushes.h"
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

void RegisterDocumentReaders() {
  RegisterLightReader<DS_2D_Light>(L"DS_2D_Light");
  RegisterLightReader<DS_FlameLight>(L"DS_FlameLight");
  RegisterLightReader<DS_GlassBallLight>(L"DS_GlassBallLight");
  RegisterLightReader<DS_MatrixCodeLight>(L"DS_MatrixCodeLight");
  RegisterSlideContainerReader<DS_SlideContainer>(L"DS_SlideContainer");
  RegisterLightReader<FakeUndervater>(L"FakeUndervater");
  RegisterLightReader<FakeLake2D>(L"FakeLake2D");
  RegisterLightReader<DS_WaterRingLight>(L"DS_WaterRingLight");
  RegisterConstructorReader<DS_GodRayConstructor>(L"DS_GodRayConstructor");
  RegisterConstructorReader<DS_SparkleConstructor>(L"DS_SparkleConstructor");
  RegisterConstructorReader<DS_FlowConstructor>(L"DS_FlowConstructor");
  RegisterConstructorReader<DS_FishConstructor>(L"DS_FishConstructor");
  RegisterConstructorReader<DS_GhostConstructor>(L"DS_GhostConstructor");
  RegisterConstructorReader<DS_FogConstructor>(L"DS_FogConstructor");
  RegisterConstructorReader<DS_LightingConstructor>(L"DS_LightingConstructor");
  RegisterConstructorReader<DS_GrassConstructor>(L"DS_GrassConstructor");
  RegisterConstructorReader<DS_RainConstructor>(L"DS_RainConstructor");
  RegisterConstructorReader<DS_StatObjConstructor>(L"DS_StatObjConstructor");
  RegisterConstructorReader<DS_FlowerConstructor>(L"DS_FlowerConstructor");
  RegisterConstructorReader<DS_BirdConstructor>(L"DS_BirdConstructor");
  RegisterConstructorReader<DS_DischargeConstructor>(L"DS_DischargeConstructor");
  RegisterConstructorReader<DS_ButterflyConstructor>(L"DS_ButterflyConstructor");
  RegisterConstructorReader<DS_ClockConstructor>(L"DS_ClockConstructor");
  RegisterConstructorReader<DS_BackgroundCopy>(L"DS_BackgroundCopy");
  RegisterConstructorReader<DS_WavesFX>(L"DS_WavesFX");
  RegisterConstructorReader<DS_LightFX>(L"DS_LightFX");
  RegisterConstructorReader<DS_PatternBrush>(L"DS_PatternBrush");
  RegisterConstructorReader<DS_PatternBrushC>(L"DS_PatternBrushC");
  RegisterConstructorReader<DS_WaterFX>(L"DS_WaterFX");
  RegisterConstructorReader<DS_MoveFX>(L"DS_MoveFX");
  RegisterConstructorReader<DS_FireFX>(L"DS_FireFX");
  RegisterConstructorReader<DS_3D_in_2D_array_Constructor>(L"DS_3D_in_2D_array_Constructor");
}
