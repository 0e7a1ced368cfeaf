// The one place that sees every family, so the one place that registers their readers.
// Registration is an explicit call chain from program start rather than static
// initialisers, which a static library would drop along with any object file that nothing
// references.
//
// Each family provides one list function that registers its classes, one line per class:
//   void RegisterRuntimeReaders();   // runtime/: "DS_2D_Light", "DS_SlideContainer"
//   void RegisterLightReaders();     // lights/:  "DS_FlameLight" ... "DS_WaterRingLight"
//   void RegisterObjectReaders();    // objects/: the sprite emitters, 3D objects, leaf frames
//   void RegisterBrushReaders();     // brushes/: "DS_BackgroundCopy" ... "DS_FireFX"
// with lines such as
//   RegisterLightReader<DS_FlameLight>(L"DS_FlameLight");
//   RegisterSlideContainerReader<DS_SlideContainer>(L"DS_SlideContainer");
//   RegisterConstructorReader<DS_FireFX>(L"DS_FireFX");
// and its call is added below, with its library in scene/CMakeLists.txt and its rows in the
// expected table of tests/scene/DocumentReadersTest.cpp. The calls follow the order in which
// the families first appear in the document's class table (the slide and base light first,
// then the lights, the scene objects and the brushes); every class name is distinct, so the
// registries hold the same readers whatever the order.
#include "scene/DocumentReaders.h"

#include "document/ReaderRegistry.h"
#include "runtime/RuntimeReaders.h"

void RegisterDocumentReaders() {
  RegisterRuntimeReaders();
}
