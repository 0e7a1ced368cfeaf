#pragma once
// The base of every scene item (brushes, sprite emitters, 3D objects, leaf frames): the
// recipe from which a slide builds the item's render object. It holds the item's name and
// owns the innermost record of every item, "DS_ABObj_Constructor" version 1.
#include <cstdint>

#include "document/DS_IOF.h"
#include "document/DS_IOF_Item.h"

class DS_ABObj;

class DS_ABObj_Constructor : public DS_IOF_Item {
 public:
  DS_ABObj_Constructor() = default;
  // Every clone a render object owns goes through here.
  DS_ABObj_Constructor(const DS_ABObj_Constructor& other) : DS_IOF_Item(other), objectName_(other.objectName_) {}
  DS_ABObj_Constructor& operator=(const DS_ABObj_Constructor&) = delete;
  ~DS_ABObj_Constructor() override = default;

  // Items override this with their own record writer, which ends with their base's.
  void Write(DS_IOF_Holder stream) override { WriteRecord(stream); }
  // A new render object (owned by the caller) around a clone of this item.
  virtual DS_ABObj* CreateObject() = 0;
  // Brushes take a fresh identity here.
  virtual void Reset() {}
  virtual void Reserved4(int) {}
  virtual void Reserved5(int) {}
  virtual bool Reserved6(int) { return false; }
  virtual bool Reserved7(int) { return false; }

  static constexpr RecordId kRecord{L"DS_ABObj_Constructor", 1};
  // The head, then the object name.
  void WriteRecord(DS_IOF_Holder stream);
  void WriteFields(DS_IOF_Holder stream);
  // Reads the class name and version without looking at them, then the object name.
  bool ReadRecord(DS_IOF_Holder stream);
  // One layout, so the version is not used.
  void ReadFields(DS_IOF_Holder stream, int32_t version);

  const ds_string& ObjectName() const { return objectName_; }
  void SetObjectName(const ds_string& name) { objectName_ = name; }

 private:
  ds_string objectName_;
};
