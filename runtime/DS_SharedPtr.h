#pragma once
// The shared holder of slides, picture lights, render objects and audio items: one heap
// block with the object and a count, shared by every copy of the holder. The last holder
// to let go deletes the object through its virtual destructor.
#include <utility>

template <class T>
class DS_SharedPtr {
 public:
  DS_SharedPtr() = default;
  // A holder around an object (which may be null): a new block with count 1.
  explicit DS_SharedPtr(T* object) : block_(new Block{object, 1}) {}
  DS_SharedPtr(const DS_SharedPtr& other) { Assign(other); }
  DS_SharedPtr(DS_SharedPtr&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  DS_SharedPtr& operator=(const DS_SharedPtr& other) {
    Assign(other);
    return *this;
  }
  DS_SharedPtr& operator=(DS_SharedPtr&& other) noexcept {
    if (this != &other) {
      Release();
      block_ = std::exchange(other.block_, nullptr);
    }
    return *this;
  }
  ~DS_SharedPtr() { Release(); }

  // Shares the other holder's block; the block already held changes nothing.
  void Assign(const DS_SharedPtr& other) {
    if (block_ == other.block_) return;
    Release();
    block_ = other.block_;
    if (block_) ++block_->count;
  }
  // Gives up this holder's share; the holder is null afterwards.
  void Release() {
    if (!block_) return;
    if (--block_->count < 1) {
      delete block_->object;
      delete block_;
    }
    block_ = nullptr;
  }

  T* Get() const { return block_ ? block_->object : nullptr; }
  T* operator->() const { return Get(); }
  T& operator*() const { return *Get(); }
  explicit operator bool() const { return Get() != nullptr; }
  int UseCount() const { return block_ ? block_->count : 0; }

 private:
  struct Block {
    T* object;
    int count;
  };
  Block* block_ = nullptr;
};
