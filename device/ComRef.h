#pragma once
// The one holder of COM references: copying adds a reference, reset and destruction
// release it. Feature code never calls Release by hand.
#include <unknwn.h>
#include <utility>

template <class T>
void ReleaseComRef(T*& p) {
  if (p) {
    p->Release();
    p = nullptr;
  }
}

template <class T>
void ClearComRef(T*& p) {
  p = nullptr;
}

template <class T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(std::nullptr_t) {}
  // Takes over a reference the caller already owns (the result of a Create call).
  static ComRef Adopt(T* p) {
    ComRef r;
    r.p_ = p;
    return r;
  }
  // Shares a pointer someone else holds: adds a reference.
  static ComRef Share(T* p) {
    if (p) p->AddRef();
    return Adopt(p);
  }
  ComRef(const ComRef& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  ComRef(ComRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComRef& operator=(const ComRef& o) {
    if (this != &o) {
      ComRef tmp(o);
      swap(tmp);
    }
    return *this;
  }
  ComRef& operator=(ComRef&& o) noexcept {
    if (this != &o) {
      Reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  ComRef& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }
  ~ComRef() { Reset(); }

  void Reset() { ReleaseComRef(p_); }
  void swap(ComRef& o) noexcept { std::swap(p_, o.p_); }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Hands the caller an extra reference (for out-parameters of our own API).
  T* Detach() { return std::exchange(p_, nullptr); }
  // For Create calls: releases what is held and exposes the slot.
  T** Put() {
    Reset();
    return &p_;
  }
  // The reference count as COM reports it after this call (tests only).
  ULONG RefCount() const {
    if (!p_) return 0;
    p_->AddRef();
    return p_->Release();
  }

 private:
  T* p_ = nullptr;
};
