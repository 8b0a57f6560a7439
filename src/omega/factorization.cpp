#include "omega/factorization.hpp"

#include <bit>
#include <cstring>
#include <new>

#include "core/fatal_error.hpp"
#include "views/report_printers.hpp"
#include "omega/closure.hpp"

namespace quorel {

void PrintInducedInclusions(std::FILE* out, const ElementRelation& m, const ElementRelation& rel) {
  std::fputs("   ", out);
  int column = 4;
  const int w = m.WordsPerRow();
  for (int r = 0; r < m.Size(); ++r) {
    const BitWord* a = m.Row(r);
    const BitWord* b = rel.Row(r);
    for (int k = 0; k < w; ++k) {
      BitWord differ = a[k] ^ b[k];
      while (differ != 0) {
        const int c = k * 64 + std::countr_zero(differ);
        differ &= differ - 1;
        const int n = std::fprintf(out, " (%d, %d) ", r + 1, c + 1);
        column += n;
        if (column > 80 - n) {
          std::fputs("\n   ", out);
          column = 4;
        }
      }
    }
  }
  std::fputs("\n\n", out);
}

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

void BuildFactorTable(std::FILE* out, bool full, const ElementRelation& rel, const ProductTable& products,
                      StorageGate& gate, FactorTable& table, std::size_t byte_limit) {
  table.Build(rel, products, gate, byte_limit);
  if (!full) return;
  ElementRelation m;
  int shown = -1;
  for (int i = 0; i < rel.Size(); ++i) {
    for (int j = 0; j < rel.Size(); ++j) {
      const int x = table.ExtensionOf(i, j);
      if (x < 0) continue;
      if (x != shown) table.Materialize(x, m);
      shown = x;
      std::fprintf(out, "%d, %d\n", i + 1, j + 1);
      PrintInducedInclusions(out, m, rel);
      std::fputs("\n", out);
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
  if (!gate.Grant(StorageKind::kScratchRelation)) FatalError(9);
  ElementRelation t;
  try {
    t = rel;
  } catch (const std::bad_alloc&) {
    FatalError(9);
  }
  for (std::size_t k = 0; k < t.Words().size(); ++k) t.Words()[k] |= mc.Words()[k];
  return IsTransitive(t);
}

void Factorize(std::FILE* out, const ElementRelation& rel, bool full, bool is_omega,
               const std::vector<std::int16_t>& mult, StorageGate& gate, std::size_t byte_limit,
               FactorizationResult* result) {
  if (is_omega) {
    std::fputs("\nFACTORIZATION OF OMEGA AT LEVEL ALPHA:", out);
  } else {
    std::fputs("\nFACTORIZATION OF LOWER OMEGA RELATION AT ", out);
    std::fputs("LEVEL ALPHA:", out);
  }
  std::fputs("\n", out);
  if (full) std::fputs("\nGenerating and Induced Inclusions\n", out);

  if (result != nullptr) {
    result->IsOmega = is_omega;
    result->Atoms.clear();
  }
  const ProductTable products(mult, rel.Size(), gate);
  FactorTable table;
  BuildFactorTable(out, full, rel, products, gate, table, byte_limit);
  AtomList atoms;
  FindAtoms(atoms, table, gate);

  if (atoms.Count() == 1) {
    std::fputs("\nTHERE IS 1 ATOM.\n", out);
  } else {
    std::fprintf(out, "\nTHERE ARE %d ATOMS.\n", atoms.Count());
  }

  if (!gate.Grant(StorageKind::kScratchRelation)) FatalError(9);
  ElementRelation mc;
  ElementRelation m;
  int k = 0;
  for (const ElementPair& atom : atoms) {
    ++k;
    const bool unique = MeetComplement(atom.First, atom.Second, mc, table, gate);
    std::fprintf(out, "\nATOM #%d\n", k);
    std::fprintf(out, "Generating Inclusion: %2d,%2d\n", atom.First + 1, atom.Second + 1);
    std::fputs("Induced Inclusions: \n", out);
    table.Materialize(table.ExtensionOf(atom.First, atom.Second), m);
    PrintInducedInclusions(out, m, rel);
    std::fprintf(out, unique ? "Atom %d has a unique maximal " : "Atom %d has NO unique maximal ", k);
    std::fputs("meet-complement.\n", out);
    std::fputs("\nMatrix of Meet-Complements\n", out);
    PrintElementTable(out, mc);
    if (result != nullptr) {
      result->Atoms.push_back(AtomResult{atom, InducedInclusions(m, rel), unique, mc});
    }
  }
  std::fputs("\n\n\n", out);
}

}  // namespace quorel
