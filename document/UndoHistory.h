#pragma once
// The bounded value history behind every undo control: newest entry at the front, a cursor
// that Undo walks towards the back and Redo towards the front. Undo and Redo swap the
// current (saved) value with the entry they step over, so one entry serves both ways.
#include <cstddef>
#include <iterator>
#include <list>
#include <utility>

template <class T>
class UndoHistoryList {
 public:
  static constexpr size_t kMaxEntries = 20;

  UndoHistoryList() : cursor_(entries_.begin()) {}
  explicit UndoHistoryList(const T& saved) : saved_(saved), cursor_(entries_.begin()) {}
  UndoHistoryList(const UndoHistoryList&) = delete;
  UndoHistoryList& operator=(const UndoHistoryList&) = delete;

  T& Saved() { return saved_; }
  const T& Saved() const { return saved_; }
  const std::list<T>& Entries() const { return entries_; }
  // Position of the cursor counted from the front; Entries().size() when at the end.
  size_t CursorIndex() const {
    typename std::list<T>::const_iterator at = cursor_;
    return size_t(std::distance(entries_.cbegin(), at));
  }
  bool CursorAtEnd() const { return cursor_ == entries_.end(); }

  // Drops what Undo has stepped over, pushes the saved value, keeps at most kMaxEntries.
  void Snapshot() {
    if (!entries_.empty()) entries_.erase(entries_.begin(), cursor_);
    entries_.push_front(saved_);
    if (entries_.size() > kMaxEntries) entries_.pop_back();
    cursor_ = entries_.begin();
  }

  // One entry towards the older side; false (nothing changed) when there is none.
  bool StepBack() {
    if (entries_.empty() || cursor_ == entries_.end()) return false;
    auto used = cursor_;
    ++cursor_;
    std::swap(saved_, *used);
    return true;
  }

  // One entry towards the newer side; false (nothing changed) at the front.
  bool StepForward() {
    if (entries_.empty() || cursor_ == entries_.begin()) return false;
    --cursor_;
    std::swap(saved_, *cursor_);
    return true;
  }

 private:
  T saved_{};
  std::list<T> entries_;
  typename std::list<T>::iterator cursor_;
};
