#include "omega/factorization.hpp"

#include <gtest/gtest.h>


#include "core/error.hpp"
#include "omega/closure.hpp"
#include "omega/omega_fixtures.hpp"
#include "omega/omega_oracle.hpp"
#include "pipeline/cutoff_levels.hpp"
#include "views/report_view.hpp"

namespace quorel {
namespace {

namespace oracle = omega_oracle;
using omega_fixtures::Capture;
using omega_fixtures::Mult;

std::string FastReport(const ElementRelation& rel, bool full, bool is_omega, const Mult& mult,
                       std::size_t limit = FactorTable::kDefaultByteLimit) {
  Capture out;
  StorageGate gate;
  ReportView report(out.File(), gate);
  StreamFactorization(rel, mult, 0, is_omega, full, gate, report, limit);
  return out.Text();
}

std::string LiteralReport(const ElementRelation& rel, bool full, bool is_omega, const Mult& mult) {
  Capture out;
  oracle::Factorize(out.File(), oracle::ToBytes(rel), rel.Size(), full, is_omega, mult);
  return out.Text();
}

// The whole factorization report equals the one of the literal factor table, for closed
// relations over random tables (many products not elements) and over network semigroups,
// and for unclosed relations (Omega under generator products only).
TEST(Factorize, ReportMatchesLiteralFactorTable) {
  std::mt19937 gen(2024);
  StorageGate gate;
  for (int round = 0; round < 120; ++round) {
    const int e = 1 + round % 13;
    const Mult mult = omega_fixtures::RandomMult(gen, e, round % 3 == 0 ? 0.6 : 0.92);
    ElementRelation rel = omega_fixtures::RandomReflexive(gen, e, (round % 4) * 0.05);
    const bool closed = round % 5 != 0;
    if (closed) CloseRelation(rel, mult, gate);
    const bool full = round % 2 == 0;
    const bool is_omega = round % 4 < 2;
    ASSERT_EQ(FastReport(rel, full, is_omega, mult), LiteralReport(rel, full, is_omega, mult))
        << "round " << round << ", E = " << e << (closed ? "" : ", unclosed");
  }
  for (int round = 0; round < 8; ++round) {
    const auto s = omega_fixtures::SemigroupOfNetwork(gen, 4, 2, 0.35, 14);
    ElementRelation rel = s.partial_order;
    rel.Set(gen() % s.e, gen() % s.e);
    CloseRelation(rel, s.mult, gate);
    ASSERT_EQ(FastReport(rel, true, true, s.mult), LiteralReport(rel, true, true, s.mult)) << "E = " << s.e;
  }
}

// Relations of up to 24 elements, few atoms reported in full: the largest sizes the
// literal table handles quickly.
TEST(Factorize, ReportMatchesLiteralFactorTableOnLargerRelations) {
  std::mt19937 gen(77);
  StorageGate gate;
  for (int e : {20, 24}) {
    const Mult mult = omega_fixtures::RandomMult(gen, e, 0.97);
    ElementRelation rel = omega_fixtures::RandomReflexive(gen, e, 0.08);
    CloseRelation(rel, mult, gate);
    EXPECT_EQ(FastReport(rel, false, false, mult), LiteralReport(rel, false, false, mult)) << "E = " << e;
  }
}

TEST(Factorize, RelationHoldingEveryPairHasNoAtoms) {
  ElementRelation rel(3);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) rel.Set(r, c);
  EXPECT_EQ(FastReport(rel, true, true, Mult(9, -1)),
            "\nFACTORIZATION OF OMEGA AT LEVEL ALPHA:\n\nGenerating and Induced Inclusions\n"
            "\nTHERE ARE 0 ATOMS.\n\n\n\n");
}

// Two elements whose products swap them: including 2 in 1 forces 1 in 2 and back, so both
// pairs give the same extension, one atom named by the first pair. Every extension
// includes it, so its meet-complements are rel itself, which is transitive.
TEST(Factorize, CoincidingExtensionsGiveOneAtomNamedByTheFirstPair) {
  const Mult swap = {1, -1, 0, -1};  // 1 followed by 1 is 2; 2 followed by 1 is 1
  ElementRelation rel(2);
  rel.Set(0, 0);
  rel.Set(1, 1);
  StorageGate gate;
  const ProductTable products(swap, 2, gate);
  FactorTable table;
  table.Build(rel, products, gate);
  ASSERT_EQ(table.ExtensionCount(), 1);
  EXPECT_EQ(table.ExtensionOf(0, 1), table.ExtensionOf(1, 0));
  EXPECT_EQ(table.Generators(0), 2);
  EXPECT_EQ(table.Distance(0), 2);

  const std::string report = FastReport(rel, false, false, swap);
  EXPECT_EQ(report,
            "\nFACTORIZATION OF LOWER OMEGA RELATION AT LEVEL ALPHA:\n"
            "\nTHERE IS 1 ATOM.\n"
            "\nATOM #1\nGenerating Inclusion:  1, 2\nInduced Inclusions: \n    (1, 2)  (2, 1) \n\n"
            "Atom 1 has a unique maximal meet-complement.\n"
            "\nMatrix of Meet-Complements\n"
            "Element |  1  2\n--------|---------\n    1   |  1  0\n    2   |  0  1\n\n"
            "\n\n\n");
}

// Every storage failure of the factorization ends the run with its own message.
TEST(Factorize, RefusedStorageEndsTheRunWithItsMessage) {
  ElementRelation rel(3);
  for (int d = 0; d < 3; ++d) rel.Set(d, d);
  const Mult none(9, -1);
  struct Case {
    StorageKind kind;
    std::int16_t code;
    std::string message;
  };
  for (const Case& c : {Case{StorageKind::kFactorTable, 9, ""}, Case{StorageKind::kQueueNode, 8, ""},
                        Case{StorageKind::kExtension, 0,
                             "ERROR: Out of free memory.  Could not satisfy request for element (1,2).\n"}}) {
    StorageGate gate;
    gate.FailAt(c.kind, 1);
    ResultSink ignore;
    try {
      StreamFactorization(rel, none, 0, true, false, gate, ignore);
      ADD_FAILURE() << "no fatal error";
    } catch (const Error& exit) {
      EXPECT_EQ(exit.code(), c.code);
      if (!c.message.empty()) {
        EXPECT_EQ(std::string(exit.what()), c.message);
      }
    }
  }
}

TEST(Factorize, PassingTheStorageLimitSaysWhatWouldBeNeeded) {
  std::mt19937 gen(8);
  ElementRelation rel(40);
  for (int d = 0; d < 40; ++d) rel.Set(d, d);
  try {
    FastReport(rel, false, true, Mult(1600, -1), 0);
    ADD_FAILURE() << "no fatal error";
  } catch (const Error& exit) {
    EXPECT_EQ(std::string(exit.what()).rfind("ERROR: Out of free memory.  Could not satisfy request for element (1,2).\n", 0), 0u);
    EXPECT_NE(std::string(exit.what()).find("The factorization of 40 elements stopped"), std::string::npos) << std::string(exit.what());
    EXPECT_NE(std::string(exit.what()).find("the limit is 0 MiB"), std::string::npos) << std::string(exit.what());
  }
}

}  // namespace
}  // namespace quorel
