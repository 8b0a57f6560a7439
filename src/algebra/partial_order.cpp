#include "algebra/partial_order.hpp"

#include <vector>

#include "core/error.hpp"

namespace quorel {

namespace {

// Necessary conditions for containment, folded into machine words: a relation contained
// in another has no non-empty row, no occupied column and no more ties than the other.
struct Signature {
  BitWord rows = 0;     // bit r mod 64 set when some row r with that remainder has a tie
  BitWord columns = 0;  // the OR of all row words
  int ties = 0;

  bool MayLieBelow(const Signature& other) const {
    return (rows & ~other.rows) == 0 && (columns & ~other.columns) == 0 && ties <= other.ties;
  }
};

Signature SignatureOf(const BitWord* m, const MatrixShape& s) {
  Signature sig;
  for (int r = 0; r < s.n; ++r) {
    BitWord any = 0;
    for (int w = 0; w < s.words_per_row; ++w) {
      const BitWord word = m[r * s.words_per_row + w];
      any |= word;
      sig.columns |= word;
    }
    if (any != 0) sig.rows |= BitWord{1} << (r & 63);
  }
  sig.ties = CountTies(m, s);
  return sig;
}

}  // namespace

void ComputePartialOrder(const MatrixList& list, int e, ElementRelation& order) {
  const MatrixShape& shape = list.Shape();
  std::vector<Signature> signatures(e);
  for (int i = 0; i < e; ++i) signatures[i] = SignatureOf(list.Matrix(i), shape);

  for (int i = 0; i < e; ++i) {
    order.Set(i, i);
    const BitWord* mi = list.Matrix(i);
    for (int j = 0; j < i; ++j) {
      const BitWord* mj = list.Matrix(j);
      if (signatures[j].MayLieBelow(signatures[i]) && Contains(mi, mj, shape)) order.Set(i, j);
      if (signatures[i].MayLieBelow(signatures[j]) && Contains(mj, mi, shape)) order.Set(j, i);
    }
  }
}

ElementRelation BuildPartialOrder(const MatrixList& list, int element_count, StorageGate& gate) {
  ElementRelation order;
  if (!order.Obtain(gate, StorageKind::kPartialOrder, element_count)) FatalError(FatalCode::kPartialOrder);
  ComputePartialOrder(list, element_count, order);
  return order;
}

}  // namespace quorel
