#pragma once
// A checking heap for the object-model tests. Inside a Scope, every allocation of the
// scope's thread gets pages of its own at the end of a never-reused address range; freeing
// poisons the block and makes its pages inaccessible. A later read or write of the block
// faults; the fault is counted (the page is made readable again, still poisoned, so the
// program goes on) and the test asserts that none happened.
#include <cstddef>

namespace guarded_heap {

class Scope {
 public:
  Scope();
  ~Scope();
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

  // Accesses to freed blocks seen since the scope began.
  int Faults() const;
  // Blocks allocated in the scope and not freed yet.
  int LiveBlocks() const;
  // Deletes of a block that was already freed.
  int DoubleFrees() const;
};

}  // namespace guarded_heap
