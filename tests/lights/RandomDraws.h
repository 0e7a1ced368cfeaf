#pragma once
// Counting the draws of the one random generator: where the sequence stands, found by
// looking its next values up in the fixed sequence (the generator is never seeded).
#include <cstddef>
#include <vector>

#include "runtime/Random.h"

class RandomDraws {
 public:
  // Restarts the sequence; positions count from here.
  RandomDraws() {
    static const std::vector<int> sequence = [] {
      srand(1);
      std::vector<int> values(kLength);
      for (int& v : values) v = rand();
      return values;
    }();
    sequence_ = &sequence;
    srand(1);
  }

  // The values drawn since the restart (before this call); draws four more to find out.
  int Position() const {
    int next[kProbe];
    for (int& v : next) v = rand();
    const std::vector<int>& s = *sequence_;
    for (size_t k = 0; k + kProbe <= s.size(); ++k) {
      bool same = true;
      for (size_t i = 0; i < kProbe && same; ++i) same = s[k + i] == next[i];
      if (same) return int(k);
    }
    return -1;
  }
  // The draws work makes.
  template <class Work>
  int Of(Work&& work) const {
    const int before = Position();
    work();
    return Position() - before - int(kProbe);
  }

 private:
  static constexpr size_t kLength = 400000;
  static constexpr size_t kProbe = 4;
  const std::vector<int>* sequence_;
};
