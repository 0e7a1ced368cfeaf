#pragma once
// Readers of the polymorphic document families (picture lights, slides, scene items) and
// their registries, which map a record's class name to the reader that creates its object.
//
// Registration is explicit, not by static initialisers (a static library drops objects that
// nothing references, and their initialisers with them): RegisterDocumentReaders()
// (scene/DocumentReaders.h) registers every class, one line each in the order of the
// document's class table, before the first document is read (the shell at its first scene
// acquisition; tests and the benchmark before they read records), e.g.
//   RegisterConstructorReader<DS_FireFX>(L"DS_FireFX");
//   RegisterLightReader<DS_FlameLight>(L"DS_FlameLight");
#include <cstdint>
#include <map>
#include <memory>
#include <type_traits>
#include <utility>

#include "document/DS_IOF.h"
#include "document/DS_IOF_Item.h"

class DS_2D_Light;
class DS_SlideContainer;
class DS_ABObj_Constructor;

// Reader base of the light and slide families: creates and reads a new Base.
template <class Base>
class IOF_Virtual_ReaderII {
 public:
  virtual Base* Create(DS_IOF_Holder stream, int32_t version) const = 0;

 protected:
  ~IOF_Virtual_ReaderII() = default;
};

// Reader base of the scene-item family.
class IOF_Virtual_Reader {
 public:
  virtual DS_ABObj_Constructor* Create(DS_IOF_Holder stream, int32_t version) const = 0;

 protected:
  ~IOF_Virtual_Reader() = default;
};

namespace ds_detail {
// Default-constructs an X and runs its read routine; the object is freed if reading throws.
template <class X>
X* CreateAndRead(DS_IOF_Holder stream, int32_t version) {
  auto object = std::make_unique<X>();
  object->Read(stream, version);
  return object.release();
}
}  // namespace ds_detail

// The reader of scene-item class X. One stateless instance per class (Instance()).
template <class X>
class IOF_Virtual_ReaderT final : public IOF_Virtual_Reader {
 public:
  DS_ABObj_Constructor* Create(DS_IOF_Holder stream, int32_t version) const override {
    return ds_detail::CreateAndRead<X>(stream, version);
  }
  static const IOF_Virtual_ReaderT& Instance() {
    static const IOF_Virtual_ReaderT instance;
    return instance;
  }
};

// The reader of class X of the light or slide family whose base is Base.
template <class X, class Base>
class IOF_Virtual_ReaderT_II final : public IOF_Virtual_ReaderII<Base> {
 public:
  Base* Create(DS_IOF_Holder stream, int32_t version) const override {
    return ds_detail::CreateAndRead<X>(stream, version);
  }
  static const IOF_Virtual_ReaderT_II& Instance() {
    static const IOF_Virtual_ReaderT_II instance;
    return instance;
  }
};

// A registry: class name (ordinal order of code units) to reader, readers not owned.
template <class Reader>
using DS_ReaderRegistry = std::map<ds_string, const Reader*>;

using DS_LightReaderRegistry = DS_ReaderRegistry<IOF_Virtual_ReaderII<DS_2D_Light>>;
using DS_SlideContainerReaderRegistry = DS_ReaderRegistry<IOF_Virtual_ReaderII<DS_SlideContainer>>;
using DS_ConstructorReaderRegistry = DS_ReaderRegistry<IOF_Virtual_Reader>;

// The three registries, each made on first use and destroyed at exit.
DS_LightReaderRegistry& LightReaderRegistry();
DS_SlideContainerReaderRegistry& SlideContainerReaderRegistry();
DS_ConstructorReaderRegistry& ConstructorReaderRegistry();

// Maps the class name to the reader, replacing any reader held under that name.
template <class Reader>
void RegisterReader(DS_ReaderRegistry<Reader>& registry, const ds_string& className,
                    const std::type_identity_t<Reader>& reader) {
  registry[className] = &reader;
}

template <class X>
void RegisterLightReader(const ds_string& className) {
  RegisterReader<IOF_Virtual_ReaderII<DS_2D_Light>>(LightReaderRegistry(), className,
                                                    IOF_Virtual_ReaderT_II<X, DS_2D_Light>::Instance());
}
template <class X>
void RegisterSlideContainerReader(const ds_string& className) {
  RegisterReader<IOF_Virtual_ReaderII<DS_SlideContainer>>(
      SlideContainerReaderRegistry(), className, IOF_Virtual_ReaderT_II<X, DS_SlideContainer>::Instance());
}
template <class X>
void RegisterConstructorReader(const ds_string& className) {
  RegisterReader<IOF_Virtual_Reader>(ConstructorReaderRegistry(), className, IOF_Virtual_ReaderT<X>::Instance());
}

// Reads one polymorphic record: class name and version, then the registered reader creates
// the object with that version. A name the registry does not hold gives null, and the rest
// of the record stays unread (records carry no length to skip by).
template <class Reader>
auto ReadByClassName(const DS_ReaderRegistry<Reader>& registry, DS_IOF_Holder stream)
    -> decltype(std::declval<const Reader&>().Create(stream, 0)) {
  const DS_RecordHeader header = ReadRecordHeader(stream);
  const auto found = registry.find(header.className);
  if (found == registry.end() || !found->second) return nullptr;
  return found->second->Create(stream, header.version);
}

// The three lookups; the new object is owned by the caller.
DS_2D_Light* ReadLightByClassName(DS_IOF_Holder stream);
DS_SlideContainer* ReadSlideContainerByClassName(DS_IOF_Holder stream);
DS_ABObj_Constructor* ReadConstructorByClassName(DS_IOF_Holder stream);
