#include "omega/closure.hpp"

#include <bit>

#include "omega/closure_workspace.hpp"

namespace quorel {

bool TransitiveClosure(ElementRelation& m) {
  const int e = m.Size();
  const int w = m.WordsPerRow();
  bool changed = false;
  for (int k = 0; k < e; ++k) {
    const BitWord* rk = m.Row(k);
    const BitWord bit = BitWord{1} << (k & 63);
    const int word = k >> 6;
    for (int i = 0; i < e; ++i) {
      BitWord* ri = m.Row(i);
      if (i == k || (ri[word] & bit) == 0) continue;
      for (int x = 0; x < w; ++x) {
        const BitWord fresh = rk[x] & ~ri[x];
        if (fresh != 0) {
          ri[x] |= fresh;
          changed = true;
        }
      }
    }
  }
  return changed;
}

bool IsTransitive(const ElementRelation& m) {
  const int e = m.Size();
  const int w = m.WordsPerRow();
  for (int i = 0; i < e; ++i) {
    const BitWord* ri = m.Row(i);
    for (int x = 0; x < w; ++x) {
      BitWord bits = ri[x];
      while (bits != 0) {
        const int k = x * 64 + std::countr_zero(bits);
        bits &= bits - 1;
        const BitWord* rk = m.Row(k);
        for (int y = 0; y < w; ++y) {
          if ((rk[y] & ~ri[y]) != 0) return false;
        }
      }
    }
  }
  return true;
}

namespace {

struct NoHook {
  bool operator()(int, int) const { return true; }
};

}  // namespace

void CloseRelation(ElementRelation& m, const ProductTable& products, StorageGate& gate) {
  TransitiveClosure(m);
  ClosureWorkspace work(products, gate);
  work.LoadTransitive(m);
  NoHook hook;
  work.Drain(hook);
  work.CopyTo(m);
}

void CloseRelation(ElementRelation& m, const std::vector<std::int16_t>& mult, StorageGate& gate) {
  const ProductTable products(mult, m.Size(), gate);
  CloseRelation(m, products, gate);
}

}  // namespace quorel
