#include "runtime/RuntimeReaders.h"

#include "document/ReaderRegistry.h"
#include "runtime/DS_2D_Light.h"
#include "runtime/DS_SlideContainer.h"

void RegisterRuntimeReaders() {
  RegisterLightReader<DS_2D_Light>(L"DS_2D_Light");
  RegisterSlideContainerReader<DS_SlideContainer>(L"DS_SlideContainer");
}
