#pragma once
// Parameters and their observers. A parameter holds one value and a list of controls that it
// tells of every change (all but the control that caused it) and of its own destruction.
// Neither side owns the other, so either may be destroyed first: a destroyed parameter
// clears its controls' pointers, a destroyed control leaves its parameter's list.
//
// Ways to change a value:
//   Value() = v      stores directly and tells nobody (how records are read);
//   Assign(v)        stores and refreshes only the parameter's own undo history (defaults);
//   SetValue(v)      stores and tells every control, unless the value is unchanged.
#include <cstdint>
#include <cstring>
#include <functional>
#include <list>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include <windows.h>

#include "document/UndoHistory.h"

using ds_string = std::wstring;

class MediaControl;

// Value comparison used by SetValue and the undo write-back.
template <class T>
bool ParamValueEquals(const T& a, const T& b) {
  return static_cast<bool>(a == b);
}
inline bool ParamValueEquals(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }

// The value of a parameter nobody has set yet: zero, also for vector types whose default
// constructor leaves the floats unset.
template <class T>
T ZeroParamValue() {
  if constexpr (std::is_trivially_copyable_v<T> && !std::is_scalar_v<T>) {
    T v;
    std::memset(static_cast<void*>(&v), 0, sizeof v);
    return v;
  } else {
    return T{};
  }
}

class MediaParam {
 public:
  MediaParam() = default;
  // A copy starts with no controls of its own.
  MediaParam(const MediaParam&) {}
  MediaParam& operator=(const MediaParam&) = delete;
  // Tells every control still attached, front to back; the controls stay alive.
  virtual ~MediaParam();

  virtual void EditValue() {}

  // OnParamChanged(source) of every attached control in attachment order, except source.
  void NotifyControls(MediaControl* source);

  void AppendControl(MediaControl* control) { controls_.push_back(control); }
  // Removes every occurrence of the control.
  void RemoveControl(MediaControl* control) { controls_.remove(control); }
  const std::list<MediaControl*>& Controls() const { return controls_; }

 private:
  std::list<MediaControl*> controls_;
};

class MediaControl {
 public:
  MediaControl() = default;
  MediaControl(const MediaControl&) = delete;
  MediaControl& operator=(const MediaControl&) = delete;
  virtual ~MediaControl() = default;

  // The observed parameter is being destroyed.
  virtual void OnParamDestroyed() {}
  virtual bool Reserved2() { return false; }
  // The observed parameter has a new value; source caused the change (or is null).
  virtual void OnParamChanged(MediaControl* source) = 0;
};

// A control bound to one parameter of class P.
template <class P>
class MediaControlT : public MediaControl {
 public:
  MediaControlT() = default;
  ~MediaControlT() override {
    if (param_) param_->RemoveControl(this);
  }

  void OnParamDestroyed() override { param_ = nullptr; }

  // Leaves the previous parameter's list and joins the back of the new one's.
  void Attach(P* param) {
    if (param_) param_->RemoveControl(this);
    param_ = param;
    if (param_) param_->AppendControl(this);
  }

  P* Param() const { return param_; }

 protected:
  P* param_ = nullptr;
};

template <class T>
class MediaParamTB : public MediaParam {
 public:
  MediaParamTB() : value_(ZeroParamValue<T>()) {}
  explicit MediaParamTB(const T& value) : value_(value) {}
  MediaParamTB(const MediaParamTB& other) : MediaParam(other), value_(other.value_) {}

  const T& Value() const { return value_; }
  // Direct access: a store through it tells nobody and refreshes no history.
  T& Value() { return value_; }

  // Stores a different value and tells every control; an equal value does nothing.
  void SetValue(const T& value) {
    if (ParamValueEquals(value, value_)) return;
    value_ = value;
    NotifyControls(nullptr);
  }

 protected:
  T value_;
};

class UndoCtrl : public MediaControl {
 public:
  virtual void Undo() = 0;
  virtual void Redo() = 0;
  virtual void Snapshot() = 0;
};

template <class T>
class MediaParamT;

// The undo history every MediaParamT carries for its own value. The saved value follows the
// parameter through OnParamChanged; Undo and Redo write a swapped value back only when it
// differs from the parameter's, and then tell every other control.
template <class T>
class UndoCtrlT : public UndoCtrl {
 public:
  explicit UndoCtrlT(MediaParamT<T>* owner) : owner_(owner) {}

  void OnParamDestroyed() override { owner_ = nullptr; }
  bool Reserved2() override { return false; }
  void OnParamChanged(MediaControl*) override {
    if (owner_) history_.Saved() = owner_->Value();
  }

  void Undo() override {
    if (StepBack()) WriteBack();
  }
  void Redo() override {
    if (StepForward()) WriteBack();
  }
  void Snapshot() override { history_.Snapshot(); }

  bool StepBack() { return history_.StepBack(); }
  bool StepForward() { return history_.StepForward(); }

  const T& SavedValue() const { return history_.Saved(); }
  const std::list<T>& History() const { return history_.Entries(); }
  size_t CursorIndex() const { return history_.CursorIndex(); }
  MediaParamT<T>* Owner() const { return owner_; }

 private:
  friend class MediaParamT<T>;

  void WriteBack() {
    if (!owner_ || ParamValueEquals(history_.Saved(), owner_->Value())) return;
    owner_->Value() = history_.Saved();
    owner_->NotifyControls(this);
  }

  MediaParamT<T>* owner_;
  UndoHistoryList<T> history_;
};

// A value with its own undo history, attached as the first control of its list.
template <class T>
class MediaParamT : public MediaParamTB<T> {
 public:
  MediaParamT() : history_(this) { AttachHistory(); }
  explicit MediaParamT(const T& value) : MediaParamTB<T>(value), history_(this) { AttachHistory(); }
  // Copies the value only: own empty list, own empty history.
  MediaParamT(const MediaParamT& other) : MediaParamTB<T>(other), history_(this) { AttachHistory(); }

  ~MediaParamT() override {
    // The history dies with this object before the base destructor walks the list, so it
    // leaves the list first and is not told of the destruction.
    this->RemoveControl(&history_);
    history_.owner_ = nullptr;
  }

  // Stores the value and refreshes the own history only; no other control is told.
  void Assign(const T& value) {
    this->value_ = value;
    history_.OnParamChanged(nullptr);
  }

  UndoCtrlT<T>& History() { return history_; }
  const UndoCtrlT<T>& History() const { return history_; }

 private:
  void AttachHistory() {
    this->AppendControl(&history_);
    history_.OnParamChanged(nullptr);
  }

  UndoCtrlT<T> history_;
};

// The controls a scene object has bound to its parameters; deleting the list deletes them.
// The owner's constructor sets itself as owner and clears the under-construction flag before
// it binds; Bind takes the owner from here.
class DS_ControlList {
 public:
  DS_ControlList() = default;
  // A copied object binds its own controls; the copy of the list starts empty.
  DS_ControlList(const DS_ControlList&) {}
  DS_ControlList& operator=(const DS_ControlList&) = delete;
  // Deletes the controls front to back; then, if the flag is still set and an owner is
  // known, deletes the owner too.
  ~DS_ControlList();

  template <class Owner>
  void SetOwner(Owner* owner) {
    owner_ = owner;
    ownerType_ = &typeid(Owner);
    deleteOwner_ = [](void* p) { delete static_cast<Owner*>(p); };
  }
  // The owner as the type it was set with. Binding with another owner type is a
  // programming error (the stored pointer would be reinterpreted), so it throws.
  template <class Owner>
  Owner* OwnerAs() const {
    if (!owner_) return nullptr;
    if (*ownerType_ != typeid(Owner)) throw std::logic_error("control list bound with another owner type");
    return static_cast<Owner*>(owner_);
  }
  void* RawOwner() const { return owner_; }

  void SetUnderConstruction(bool on) { underConstruction_ = on; }
  bool UnderConstruction() const { return underConstruction_; }

  // Takes ownership.
  void Append(MediaControl* control) { controls_.push_back(control); }
  const std::list<MediaControl*>& Controls() const { return controls_; }

 private:
  void* owner_ = nullptr;
  const std::type_info* ownerType_ = nullptr;
  void (*deleteOwner_)(void*) = nullptr;
  bool underConstruction_ = true;
  std::list<MediaControl*> controls_;
};

// Calls a member of the owner with the parameter's value on every change, whatever the
// source. Any callable invocable as fn(owner, value) works, member pointers included (a
// member of a class with several bases adjusts the owner pointer itself).
template <class T, class Owner>
class DS_FunLightCtrl : public MediaControlT<MediaParamTB<T>> {
 public:
  using Function = std::function<void(Owner*, const T&)>;

  DS_FunLightCtrl(Function fn, Owner* owner) : fn_(std::move(fn)), owner_(owner) {}

  void OnParamChanged(MediaControl*) override {
    if (this->param_ && owner_ && fn_) fn_(owner_, this->param_->Value());
  }

  // Attaches a new control to the parameter, runs it once with the current value, and
  // hands it to the list.
  template <class F>
  static DS_FunLightCtrl* Bind(DS_ControlList& list, MediaParamTB<T>& param, F&& fn) {
    auto control = std::make_unique<DS_FunLightCtrl>(Function(std::forward<F>(fn)), list.OwnerAs<Owner>());
    control->Attach(&param);
    control->OnParamChanged(nullptr);
    list.Append(control.get());
    return control.release();
  }

  Owner* OwnerObject() const { return owner_; }

 private:
  Function fn_;
  Owner* owner_;
};

// Calls a member of the owner without argument on every change of any parameter.
template <class Owner>
class DS_FunLightCtrl2 : public MediaControl {
 public:
  using Function = std::function<void(Owner*)>;

  DS_FunLightCtrl2(Function fn, Owner* owner, MediaParam* param)
      : fn_(std::move(fn)), owner_(owner), param_(param) {}
  ~DS_FunLightCtrl2() override {
    if (param_) param_->RemoveControl(this);
  }

  void OnParamDestroyed() override { param_ = nullptr; }
  void OnParamChanged(MediaControl*) override {
    if (owner_ && fn_) fn_(owner_);
  }

  // Joins the parameter's list and the control list; the function is not called here.
  template <class F>
  static DS_FunLightCtrl2* Bind(DS_ControlList& list, MediaParam& param, F&& fn) {
    auto control = std::make_unique<DS_FunLightCtrl2>(Function(std::forward<F>(fn)), list.OwnerAs<Owner>(), &param);
    param.AppendControl(control.get());
    list.Append(control.get());
    return control.release();
  }

  MediaParam* Param() const { return param_; }
  Owner* OwnerObject() const { return owner_; }

 private:
  Function fn_;
  Owner* owner_;
  MediaParam* param_;
};
