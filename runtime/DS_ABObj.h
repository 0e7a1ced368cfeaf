#pragma once
// The base of every render object a slide draws: made by a scene item around a clone of
// itself, which the object owns; drawn through its light's draw interface.
#include <memory>

#include "document/DS_ABObj_Constructor.h"
#include "runtime/DS_ABRender.h"

class DS_ABObj {
 public:
  // Takes the item clone (may be null).
  explicit DS_ABObj(DS_ABObj_Constructor* item = nullptr) : item_(item) {}
  virtual ~DS_ABObj() = default;
  DS_ABObj(const DS_ABObj&) = delete;
  DS_ABObj& operator=(const DS_ABObj&) = delete;

  virtual void Render(DS_ABRender& host) = 0;
  virtual void DrawFrame(DS_ABRender& host) = 0;
  virtual void Update(float time) = 0;
  virtual void SyncParams() = 0;
  // True for objects that sample the scene drawn before them.
  virtual bool IsSceneEffect() { return false; }
  virtual bool TestPoint(float /*x*/, float /*y*/) { return false; }
  virtual void NotifyConstructor();

  DS_ABObj_Constructor* Item() const { return item_.get(); }

 protected:
  int reserved_ = 0;
  std::unique_ptr<DS_ABObj_Constructor> item_;
};
