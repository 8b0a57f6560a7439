#pragma once

#include <cstdint>
#include <deque>

#include "core/storage_gate.hpp"

namespace quorel {

// A generating pair of an inclusion: element `Second` is included in element `First`.
struct ElementPair {
  std::int16_t First = 0;
  std::int16_t Second = 0;

  friend bool operator==(const ElementPair&, const ElementPair&) = default;
};

// A first-in first-out list of element pairs: the atoms of a factorization, in the order
// in which they are reported (atom k is the k-th pair).
class AtomList {
 public:
  // Appends a pair at the end. Each pair is one storage request of kind kQueueNode; a
  // refused request ends the run with FatalError(FatalCode::kInclusions).
  void AppendPair(StorageGate& gate, int first, int second);

  // Removes every pair.
  void Clear() { pairs_.clear(); }

  int Count() const { return static_cast<int>(pairs_.size()); }
  bool Empty() const { return pairs_.empty(); }
  const ElementPair& operator[](int k) const { return pairs_[static_cast<std::size_t>(k)]; }
  auto begin() const { return pairs_.begin(); }
  auto end() const { return pairs_.end(); }

 private:
  std::deque<ElementPair> pairs_;
};

}  // namespace quorel
