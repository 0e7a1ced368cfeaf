#include "document/ReaderRegistry.h"

DS_LightReaderRegistry& LightReaderRegistry() {
  static DS_LightReaderRegistry registry;
  return registry;
}

DS_SlideContainerReaderRegistry& SlideContainerReaderRegistry() {
  static DS_SlideContainerReaderRegistry registry;
  return registry;
}

DS_ConstructorReaderRegistry& ConstructorReaderRegistry() {
  static DS_ConstructorReaderRegistry registry;
  return registry;
}

DS_2D_Light* ReadLightByClassName(DS_IOF_Holder stream) { return ReadByClassName(LightReaderRegistry(), stream); }

DS_SlideContainer* ReadSlideContainerByClassName(DS_IOF_Holder stream) {
  return ReadByClassName(SlideContainerReaderRegistry(), stream);
}

DS_ABObj_Constructor* ReadConstructorByClassName(DS_IOF_Holder stream) {
  return ReadByClassName(ConstructorReaderRegistry(), stream);
}
