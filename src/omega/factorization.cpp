#include "omega/factorization.hpp"

#include <bit>
#include <cstring>
#include <new>

#include "core/error.hpp"
#include "omega/closure.hpp"

namespace quorel {

std::vector<ElementPair> InducedInclusions(const ElementRelation& m, const ElementRelation& rel) {
  std::vector<ElementPair> pairs;
  const int w = m.WordsPerRow();
  for (int r = 0; r < m.Size(); ++r) {
    for (int k = 0; k < w; ++k) {
      BitWord differ = m.Row(r)[k] ^ rel.Row(r)[k];
      while (differ != 0) {
        const int c = k * 64 + std::countr_zero(differ);
        differ &= differ - 1;
        pairs.push_back(ElementPair{static_cast<std::int16_t>(r), static_cast<std::int16_t>(c)});
      }
    }
  }
  return pairs;
}

void ListExtensions(const FactorTable& table, const ElementRelation& rel, const ExtensionVisitor& visit) {
  ElementRelation m;
  int shown = -1;
  for (int i = 0; i < rel.Size(); ++i) {
    for (int j = 0; j < rel.Size(); ++j) {
      const int x = table.ExtensionOf(i, j);
      if (x < 0) continue;
      if (x != shown) table.Materialize(x, m);
      shown = x;
      visit(i, j, InducedInclusions(m, rel));
    }
  }
}

bool IsNewCandidate(const FactorTable& table, int i, int j, const std::vector<std::uint8_t>& listed) {
  const int x = table.ExtensionOf(i, j);
  return x >= 0 && !listed[static_cast<std::size_t>(x)] && table.Generators(x) == table.Distance(x);
}

void FindAtoms(AtomList& atoms, const FactorTable& table, StorageGate& gate) {
  const int e = table.Size();
  if (table.ExtensionCount() == 0) return;
  std::vector<std::uint8_t> listed(static_cast<std::size_t>(table.ExtensionCount()), 0);
  std::int64_t smallest = table.Distance(0);
  for (int x = 1; x < table.ExtensionCount(); ++x) smallest = std::min(smallest, table.Distance(x));
  // Extensions of the smallest distance cannot lie above another one.
  for (int i = 0; i < e; ++i) {
    for (int j = 0; j < e; ++j) {
      const int x = table.ExtensionOf(i, j);
      if (x < 0 || listed[static_cast<std::size_t>(x)] || table.Distance(x) != smallest) continue;
      listed[static_cast<std::size_t>(x)] = 1;
      atoms.AppendPair(gate, i, j);
    }
  }
  for (int i = 0; i < e; ++i) {
    for (int j = 0; j < e; ++j) {
      if (!IsNewCandidate(table, i, j, listed)) continue;
      listed[static_cast<std::size_t>(table.ExtensionOf(i, j))] = 1;
      atoms.AppendPair(gate, i, j);
    }
  }
}

bool MeetComplement(int first, int second, ElementRelation& mc, const FactorTable& table, StorageGate& gate) {
  const int e = table.Size();
  const ElementRelation& rel = table.Relation();
  mc.Reset(e);
  // Per extension: -1 not yet looked at, else whether it holds (first, second).
  std::vector<std::int8_t> holds(static_cast<std::size_t>(table.ExtensionCount()), -1);
  const bool in_rel = rel.Get(first, second);
  for (int i = 0; i < e; ++i) {
    for (int j = 0; j < e; ++j) {
      const int x = table.ExtensionOf(i, j);
      bool v = in_rel;
      if (x >= 0) {
        std::int8_t& known = holds[static_cast<std::size_t>(x)];
        if (known < 0) known = table.ExtensionHas(x, first, second) ? 1 : 0;
        v = known != 0;
      }
      if (!v) mc.Set(i, j);
    }
  }
  if (!gate.Grant(StorageKind::kScratchRelation)) FatalError(FatalCode::kVariables);
  ElementRelation t;
  try {
    t = rel;
  } catch (const std::bad_alloc&) {
    FatalError(FatalCode::kVariables);
  }
  for (std::size_t k = 0; k < t.Words().size(); ++k) t.Words()[k] |= mc.Words()[k];
  return IsTransitive(t);
}

}  // namespace quorel
