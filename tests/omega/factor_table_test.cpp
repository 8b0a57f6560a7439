#include "omega/factor_table.hpp"

#include <gtest/gtest.h>

#include "omega/closure.hpp"
#include "omega/factorization.hpp"
#include "omega/omega_fixtures.hpp"
#include "omega/omega_oracle.hpp"
#include "omega/relation_set_ops.hpp"

namespace quorel {
namespace {

namespace oracle = omega_oracle;
using omega_fixtures::Mult;

struct Problem {
  Mult mult;
  ElementRelation rel;
};

// Closed relations of up to 60 elements: partial orders of network semigroups (with one
// inclusion added now and then) and sparse relations over random tables; every fifth one
// left unclosed.
std::vector<Problem> Problems() {
  std::mt19937 gen(404);
  StorageGate gate;
  std::vector<Problem> problems;
  for (int round = 0; round < 24; ++round) {
    Problem p;
    if (round % 2 == 0) {
      auto s = omega_fixtures::SemigroupOfNetwork(gen, 4 + round % 3, 2 + round % 2, 0.3, 10 + 2 * round);
      p.mult = std::move(s.mult);
      p.rel = std::move(s.partial_order);
      if (round % 4 == 0) p.rel.Set(gen() % p.rel.Size(), gen() % p.rel.Size());
    } else {
      const int e = 1 + (round * 7) % 60;
      p.mult = omega_fixtures::RandomMult(gen, e, 0.95);
      p.rel = omega_fixtures::RandomReflexive(gen, e, 0.02);
    }
    if (round % 5 != 0) CloseRelation(p.rel, p.mult, gate);
    problems.push_back(std::move(p));
  }
  return problems;
}

// Every pair's stored extension is the closure of rel plus that pair, pairs share an id
// exactly when their extensions are equal, and the distances and generator counts follow.
TEST(FactorTable, EveryExtensionIsTheClosureOfItsPairAndEqualOnesAreShared) {
  for (const Problem& p : Problems()) {
    const int e = p.rel.Size();
    StorageGate gate;
    const ProductTable products(p.mult, e, gate);
    FactorTable table;
    table.Build(p.rel, products, gate);
    std::vector<ElementRelation> first_of(static_cast<std::size_t>(table.ExtensionCount()));
    std::vector<std::int64_t> generators(static_cast<std::size_t>(table.ExtensionCount()), 0);
    ElementRelation got;
    for (int i = 0; i < e; ++i)
      for (int j = 0; j < e; ++j) {
        ASSERT_EQ(table.Exists(i, j), !p.rel.Get(i, j));
        if (p.rel.Get(i, j)) continue;
        ElementRelation expected = p.rel;
        expected.Set(i, j);
        CloseRelation(expected, products, gate);
        const int x = table.ExtensionOf(i, j);
        table.Materialize(x, got);
        ASSERT_EQ(got, expected) << "E = " << e << ", pair " << i + 1 << "," << j + 1;
        ASSERT_EQ(table.Distance(x), CellDistance(expected, p.rel));
        for (int r = 0; r < e; ++r)
          for (int c = 0; c < e; ++c) ASSERT_EQ(table.ExtensionHas(x, r, c), expected.Get(r, c));
        if (generators[x]++ == 0) first_of[x] = expected;
        ASSERT_EQ(first_of[x], expected);
      }
    for (int x = 0; x < table.ExtensionCount(); ++x) {
      EXPECT_EQ(table.Generators(x), generators[x]);
      for (int y = 0; y < x; ++y) EXPECT_NE(first_of[x], first_of[y]) << "extensions " << x << " and " << y;
    }
  }
}

// The atoms and meet-complements agree with the literal search over one stored copy of
// every extension (up to 30 elements, where the literal search stays quick).
TEST(FactorTable, AtomsAndMeetComplementsMatchTheLiteralSearch) {
  for (const Problem& p : Problems()) {
    const int e = p.rel.Size();
    if (e > 30) continue;
    StorageGate gate;
    const ProductTable products(p.mult, e, gate);
    FactorTable table;
    table.Build(p.rel, products, gate);
    oracle::Extensions extensions(static_cast<std::size_t>(e) * e);
    for (int i = 0; i < e; ++i)
      for (int j = 0; j < e; ++j)
        if (table.Exists(i, j)) {
          ElementRelation m;
          table.Materialize(table.ExtensionOf(i, j), m);
          extensions[i * e + j] = oracle::ToBytes(m);
        }
    const oracle::Bytes rel = oracle::ToBytes(p.rel);
    AtomList atoms;
    FindAtoms(atoms, table, gate);
    const oracle::Pairs expected = oracle::FindAtoms(extensions, rel, e);
    ASSERT_EQ(atoms.Count(), static_cast<int>(expected.size())) << "E = " << e;
    ElementRelation mc;
    oracle::Bytes expected_mc;
    for (int k = 0; k < atoms.Count(); ++k) {
      EXPECT_EQ(atoms[k].First, expected[k].first);
      EXPECT_EQ(atoms[k].Second, expected[k].second);
      const bool unique = MeetComplement(atoms[k].First, atoms[k].Second, mc, table, gate);
      EXPECT_EQ(unique, oracle::MeetComplement(expected[k].first, expected[k].second, expected_mc, rel, extensions, e));
      EXPECT_EQ(oracle::ToBytes(mc), expected_mc);
    }
  }
}

}  // namespace
}  // namespace quorel
