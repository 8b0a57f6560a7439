#include "omega/relation_set_ops.hpp"

#include <bit>

namespace quorel {

bool RelationContains(const ElementRelation& outer, const ElementRelation& inner) {
  const auto& a = outer.Words();
  const auto& b = inner.Words();
  for (std::size_t i = 0; i < b.size(); ++i) {
    if ((b[i] & ~a[i]) != 0) return false;
  }
  return true;
}

std::int64_t CellDistance(const ElementRelation& a, const ElementRelation& b) {
  std::int64_t d = 0;
  for (std::size_t i = 0; i < a.Words().size(); ++i) d += std::popcount(a.Words()[i] ^ b.Words()[i]);
  return d;
}

std::int64_t CountPairs(const ElementRelation& m) {
  std::int64_t n = 0;
  for (const BitWord w : m.Words()) n += std::popcount(w);
  return n;
}

void MergeInto(ElementRelation& target, const ElementRelation& source) {
  auto& t = target.Words();
  const auto& s = source.Words();
  for (std::size_t i = 0; i < t.size(); ++i) t[i] |= s[i];
}

}  // namespace quorel
