#include "omega/closure.hpp"

#include <gtest/gtest.h>

#include "core/error.hpp"
#include "omega/closure_workspace.hpp"
#include "omega/omega_fixtures.hpp"
#include "omega/omega_oracle.hpp"
#include "omega/product_table.hpp"
#include "omega/relation_set_ops.hpp"

namespace quorel {
namespace {

namespace oracle = omega_oracle;
using omega_fixtures::Mult;

// Every product of a pair of m, where both are elements, is a pair of m.
bool IsCompatible(const ElementRelation& m, const Mult& mult) {
  const int e = m.Size();
  for (int a = 0; a < e; ++a)
    for (int b = 0; b < e; ++b) {
      if (!m.Get(a, b)) continue;
      for (int c = 0; c < e; ++c) {
        const int rx = mult[a * e + c], ry = mult[b * e + c], lx = mult[c * e + a], ly = mult[c * e + b];
        if (rx >= 0 && ry >= 0 && !m.Get(rx, ry)) return false;
        if (lx >= 0 && ly >= 0 && !m.Get(lx, ly)) return false;
      }
    }
  return true;
}

TEST(TransitiveClosure, AgreesWithSquaringAndReportsChange) {
  std::mt19937 gen(11);
  for (int e : {1, 2, 5, 17, 64, 65, 90}) {
    for (double density : {0.0, 0.02, 0.1, 0.4}) {
      ElementRelation m = omega_fixtures::RandomReflexive(gen, e, density);
      oracle::Bytes expected = oracle::ToBytes(m);
      const bool expected_change = oracle::TransitiveClosure(expected, e);
      EXPECT_EQ(TransitiveClosure(m), expected_change) << "E = " << e;
      EXPECT_EQ(oracle::ToBytes(m), expected) << "E = " << e;
      EXPECT_TRUE(IsTransitive(m));
      EXPECT_FALSE(TransitiveClosure(m));
    }
  }
}

// The closure over random multiplication tables, with and without products that are not
// elements, equals the textbook closure and has every property that defines it.
TEST(CloseRelation, AgreesWithFullPassClosureOnRandomTables) {
  std::mt19937 gen(7);
  StorageGate gate;
  for (int round = 0; round < 160; ++round) {
    const int e = 1 + round % 33;
    const double undefined = (round / 33) % 3 == 0 ? 0.0 : (round % 2 ? 0.5 : 0.9);
    const double density = (round % 5) * 0.015;
    const Mult mult = omega_fixtures::RandomMult(gen, e, undefined);
    const ElementRelation input = omega_fixtures::RandomReflexive(gen, e, density);

    ElementRelation closed = input;
    CloseRelation(closed, mult, gate);
    oracle::Bytes expected = oracle::ToBytes(input);
    oracle::CloseRelation(expected, e, mult);
    ASSERT_EQ(oracle::ToBytes(closed), expected) << "round " << round << ", E = " << e;

    EXPECT_TRUE(RelationContains(closed, input));
    EXPECT_TRUE(IsTransitive(closed));
    EXPECT_TRUE(IsCompatible(closed, mult));
    ElementRelation again = closed;
    CloseRelation(again, mult, gate);
    EXPECT_EQ(again, closed) << "closing twice adds nothing";
  }
}

// Least: the closure lies inside every closed relation that contains the input.
TEST(CloseRelation, LiesInsideEveryClosedRelationContainingTheInput) {
  std::mt19937 gen(3);
  StorageGate gate;
  for (int round = 0; round < 40; ++round) {
    const int e = 4 + round % 20;
    const Mult mult = omega_fixtures::RandomMult(gen, e, 0.7);
    const ElementRelation input = omega_fixtures::RandomReflexive(gen, e, 0.03);
    ElementRelation wider = input;
    for (int extra = 0; extra < 3; ++extra) wider.Set(gen() % e, gen() % e);
    CloseRelation(wider, mult, gate);
    ElementRelation closed = input;
    CloseRelation(closed, mult, gate);
    for (int r = 0; r < e; ++r)
      for (int c = 0; c < e; ++c) EXPECT_TRUE(!closed.Get(r, c) || wider.Get(r, c));
  }
}

// Containment of relation matrices is transitive and kept by products on either side, so
// the partial order of a network's semigroup is closed already.
TEST(CloseRelation, PartialOrderOfANetworkSemigroupIsClosed) {
  std::mt19937 gen(5);
  StorageGate gate;
  for (int round = 0; round < 6; ++round) {
    const auto s = omega_fixtures::SemigroupOfNetwork(gen, 5, 2 + round % 2, 0.3, 60);
    ElementRelation closed = s.partial_order;
    CloseRelation(closed, s.mult, gate);
    EXPECT_EQ(closed, s.partial_order) << "E = " << s.e;
  }
}

// Products that are not elements never add pairs: with no product defined, closing is
// transitive closure alone.
TEST(CloseRelation, UndefinedProductsAddNothing) {
  std::mt19937 gen(9);
  StorageGate gate;
  const int e = 30;
  const Mult none(static_cast<std::size_t>(e) * e, -1);
  ElementRelation m = omega_fixtures::RandomReflexive(gen, e, 0.05);
  ElementRelation transitive = m;
  TransitiveClosure(transitive);
  CloseRelation(m, none, gate);
  EXPECT_EQ(m, transitive);
}

// Extending a closed base by single pairs and restoring it, many times over, gives the
// same relations as closing each extension from scratch.
TEST(ClosureWorkspace, SinglePairExtensionsOfAClosedBaseMatchFullClosure) {
  std::mt19937 gen(21);
  StorageGate gate;
  for (int e : {1, 3, 12, 40, 70}) {
    const Mult mult = omega_fixtures::RandomMult(gen, e, 0.85);
    ElementRelation base = omega_fixtures::RandomReflexive(gen, e, 0.02);
    CloseRelation(base, mult, gate);
    const ProductTable products(mult, e, gate);
    ClosureWorkspace work(products, gate);
    work.SetBase(base);
    auto all = [](int, int) { return true; };
    ElementRelation got;
    for (int trial = 0; trial < 30; ++trial) {
      const int i = gen() % e, j = gen() % e;
      work.Add(i, j, all);
      ASSERT_TRUE(work.Drain(all));
      work.CopyTo(got);
      ElementRelation expected = base;
      expected.Set(i, j);
      CloseRelation(expected, mult, gate);
      ASSERT_EQ(got, expected) << "E = " << e << ", pair " << i << "," << j;
      work.Restore();
      work.CopyTo(got);
      ASSERT_EQ(got, base);
    }
  }
}

TEST(CloseRelation, RefusedStorageEndsTheRun) {
  const Mult mult(4, 0);
  ElementRelation m(2);
  m.Set(0, 0);
  m.Set(1, 1);
  m.Set(0, 1);
  struct Case {
    StorageKind kind;
    std::int16_t code;
  };
  for (const Case c : {Case{StorageKind::kScratchRelation, 9}, Case{StorageKind::kQueueNode, 8}}) {
    StorageGate gate;
    gate.FailAt(c.kind, 1);
    try {
      CloseRelation(m, mult, gate);
      ADD_FAILURE() << "no fatal error";
    } catch (const Error& exit) {
      EXPECT_EQ(exit.code(), c.code);
    }
  }
}

}  // namespace
}  // namespace quorel
