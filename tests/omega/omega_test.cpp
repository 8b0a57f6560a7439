// Omega, the closures, lower Omega and the factorization against the textbook algorithms of
// omega_oracle.hpp, over random multiplication tables and semigroups of random networks.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "core/error.hpp"
#include "omega/closure.hpp"
#include "omega/omega_fixtures.hpp"
#include "omega/omega_oracle.hpp"
#include "omega/product_table.hpp"
#include "omega/z_table.hpp"
#include "pipeline/cutoff_levels.hpp"

namespace quorel {
namespace {

namespace oracle = omega_oracle;
using omega_fixtures::Mult;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(ZOfAlpha, PicksTheFirstKeyNotAboveAlpha) {
  const std::pair<float, double> cases[] = {
      {0.2f, 1.28155}, {0.5f, 1.28155}, {0.000001f, 4.26489}, {0.03f, 1.88079}, {0.015f, 2.32635}};
  for (const auto& [alpha, z] : cases) EXPECT_EQ(ZOfAlpha(alpha), z) << alpha;
  for (const ZRow& row : ZTable) EXPECT_EQ(ZOfAlpha(static_cast<float>(row.alpha)), row.z) << row.alpha;
}

TEST(TransitiveClosure, AgreesWithSquaringAndReportsChange) {
  std::mt19937 gen(11);
  for (int e : {1, 2, 5, 17, 64, 65, 90}) {
    for (double density : {0.0, 0.02, 0.1, 0.4}) {
      ElementRelation m = omega_fixtures::RandomReflexive(gen, e, density);
      oracle::Bytes expected = oracle::ToBytes(m);
      const bool changed = oracle::TransitiveClosure(expected, e);
      EXPECT_EQ(TransitiveClosure(m), changed) << "E = " << e;
      EXPECT_EQ(oracle::ToBytes(m), expected) << "E = " << e;
      EXPECT_TRUE(IsTransitive(m));
    }
  }
}

// Random tables with and without products that are not elements.
TEST(CloseRelation, AgreesWithFullPassClosure) {
  std::mt19937 gen(7);
  StorageGate gate;
  for (int round = 0; round < 160; ++round) {
    const int e = 1 + round % 33;
    const Mult mult = omega_fixtures::RandomMult(gen, e, (round / 33) % 3 == 0 ? 0.0 : (round % 2 ? 0.5 : 0.9));
    const ElementRelation input = omega_fixtures::RandomReflexive(gen, e, (round % 5) * 0.015);
    ElementRelation closed = input;
    CloseRelation(closed, mult, gate);
    oracle::Bytes expected = oracle::ToBytes(input);
    oracle::CloseRelation(expected, e, mult);
    ASSERT_EQ(oracle::ToBytes(closed), expected) << "round " << round << ", E = " << e;
  }
}

// Statistics of E elements with every cell drawn from a small set of values around the
// cutoffs, including proportions that are not numbers, exact zeros and negative variances.
StatisticMatrices RandomStatistics(std::mt19937& gen, int e) {
  const std::vector<float> proportions = {0.0f, 0.001f, 0.01f, 0.03f, 0.05f, 0.2f, 1.0f,
                                          std::numeric_limits<float>::quiet_NaN()};
  const std::vector<float> observed = {-2.0f, -0.5f, 0.0f, 0.0f, 0.3f, 1.5f};
  const std::vector<float> kappas = {-0.2f, 0.0f, 0.01f, 0.2f, 0.6f, 0.95f};
  const std::vector<float> variances = {0.0f, 0.0f, 0.001f, 0.01f, 0.2f, -0.01f};
  const auto pick = [&gen](const std::vector<float>& v) { return v[gen() % v.size()]; };
  StatisticMatrices s;
  for (auto* m : {&s.L, &s.McNemarZ, &s.Kappa, &s.StdKappa, &s.PValue, &s.Estvar}) m->assign(e * e, 0.0f);
  for (int i = 0; i < e; ++i)
    for (int j = i + 1; j < e; ++j) {
      for (auto* m : {&s.L, &s.StdKappa, &s.McNemarZ, &s.PValue}) (*m)[j * e + i] = pick(proportions);
      s.McNemarZ[i * e + j] = pick(observed);
      s.Kappa[i * e + j] = pick(kappas);
      s.Estvar[i * e + j] = pick(variances);
    }
  return s;
}

// The relations of a cutoff level over random tables with partial orders that are not closed
// and over network semigroups of up to 31 elements.
TEST(CutoffLevel, RelationsMatchTheTextbookAlgorithms) {
  std::mt19937 gen(99);
  StorageGate gate;
  ResultSink ignore;
  for (int round = 0; round < 96; ++round) {
    Mult mult;
    ElementRelation po;
    if (round % 3 == 0) {
      const int e = 1 + round % 17;
      mult = omega_fixtures::RandomMult(gen, e, 0.9);
      po = omega_fixtures::RandomReflexive(gen, e, 0.05);
    } else {
      const bool large = round >= 90;
      auto s = omega_fixtures::SemigroupOfNetwork(gen, large ? 5 : 4, 2 + round % 2, large ? 0.25 : 0.3,
                                                  large ? 26 + round % 6 : 4 + round % 20);
      mult = std::move(s.mult);
      po = std::move(s.partial_order);
    }
    const int e = po.Size();
    const StatisticMatrices stats = RandomStatistics(gen, e);
    const int strategy = round % 5 == 0 ? 0 : 1;
    OmegaLevel level;
    level.Alpha = round % 2 ? 0.05f : 0.02f;
    level.Z = ZOfAlpha(level.Alpha);
    level.MinKappa = round % 4 < 2 ? 0.01f : 0.3f;
    level.HasLowerOmega = round % 7 != 0;
    StreamCutoffLevel(level, mult, stats, po, strategy, 0, gate, ignore);

    SCOPED_TRACE("round " + std::to_string(round) + ", E = " + std::to_string(e));
    const oracle::Bytes order = oracle::ToBytes(po);
    oracle::Bytes omega = oracle::Omega(stats, level.Alpha, level.MinKappa, level.Z, order, e, strategy);
    ASSERT_EQ(oracle::ToBytes(level.Omega), omega);
    if (!level.HasLowerOmega) continue;
    oracle::Bytes lower = oracle::LowerOmega(omega, order, e, mult);
    EXPECT_EQ(oracle::ToBytes(level.LowerOmega), lower);
    oracle::CloseRelation(lower, e, mult);
    oracle::CloseRelation(omega, e, mult);
    EXPECT_EQ(oracle::ToBytes(level.LowerOmegaClosure), lower);
    EXPECT_EQ(oracle::ToBytes(level.OmegaClosure), omega);
  }
}

// What a factorization hands to the views.
struct FactorizationRecord : ResultSink {
  std::vector<std::pair<int, std::vector<ElementPair>>> listed;  // (i E + j, induced inclusions)
  std::vector<AtomResult> atoms;
  int e = 0;
  void ExtensionListed(int first, int second, const std::vector<ElementPair>& induced) override {
    listed.emplace_back(first * e + second, induced);
  }
  void AtomDescribed(int, const AtomResult& atom) override { atoms.push_back(atom); }
};

// The cells in which m differs from rel, row-major.
std::vector<ElementPair> Differences(const oracle::Bytes& m, const oracle::Bytes& rel, int e) {
  std::vector<ElementPair> cells;
  for (int k = 0; k < e * e; ++k)
    if (m[k] != rel[k]) cells.push_back({static_cast<std::int16_t>(k / e), static_cast<std::int16_t>(k % e)});
  return cells;
}

// Closed relations (every fifth left unclosed) over random tables with many products not
// elements and over network semigroups with an inclusion added now and then, up to 72
// elements (two words a row). Up to 24 elements the extensions are the literal ones; beyond,
// each is closed from scratch. The atoms are compared up to 30 elements.
TEST(Factorization, MatchesTheLiteralFactorTable) {
  std::mt19937 gen(404);
  StorageGate gate;
  for (int round = 0; round < 150; ++round) {
    Mult mult;
    ElementRelation rel;
    if (round % 4 == 0) {
      auto s = omega_fixtures::SemigroupOfNetwork(gen, 4 + round % 3, 2 + round % 2, 0.3, 10 + round / 3);
      mult = std::move(s.mult);
      rel = std::move(s.partial_order);
      if (round % 8 == 0) rel.Set(gen() % rel.Size(), gen() % rel.Size());
    } else {
      const int e = round < 120 ? 1 + round % 13 : 1 + (round * 7) % 72;
      mult = omega_fixtures::RandomMult(gen, e, round % 3 == 0 ? 0.6 : 0.93);
      rel = omega_fixtures::RandomReflexive(gen, e, round < 120 ? (round % 4) * 0.05 : 0.02);
    }
    if (round % 5 != 0) CloseRelation(rel, mult, gate);
    const int e = rel.Size();
    const oracle::Bytes bytes = oracle::ToBytes(rel);
    oracle::Extensions extensions;
    if (e <= 24) {
      extensions = oracle::FactorTable(bytes, e, mult);
    } else {
      extensions.resize(e * e);
      for (int k = 0; k < e * e; ++k) {
        if (bytes[k]) continue;
        ElementRelation m = rel;
        m.Set(k / e, k % e);
        CloseRelation(m, mult, gate);
        extensions[k] = oracle::ToBytes(m);
      }
    }

    SCOPED_TRACE("round " + std::to_string(round) + ", E = " + std::to_string(e));
    FactorizationRecord got;
    got.e = e;
    StreamFactorization(rel, mult, 0, true, true, gate, got);
    std::size_t next = 0;
    for (int k = 0; k < e * e; ++k) {
      if (bytes[k]) continue;
      ASSERT_LT(next, got.listed.size());
      ASSERT_EQ(got.listed[next].first, k);
      ASSERT_EQ(got.listed[next++].second, Differences(extensions[k], bytes, e)) << "pair " << k / e << "," << k % e;
    }
    EXPECT_EQ(next, got.listed.size());
    if (e > 30) continue;

    const oracle::Pairs atoms = oracle::FindAtoms(extensions, bytes, e);
    ASSERT_EQ(got.atoms.size(), atoms.size());
    oracle::Bytes mc;
    for (std::size_t a = 0; a < atoms.size(); ++a) {
      const auto [first, second] = atoms[a];
      EXPECT_EQ(got.atoms[a].Generating.First, first);
      EXPECT_EQ(got.atoms[a].Generating.Second, second);
      EXPECT_EQ(got.atoms[a].Induced, Differences(extensions[first * e + second], bytes, e));
      EXPECT_EQ(got.atoms[a].UniqueMeetComplement, oracle::MeetComplement(first, second, mc, bytes, extensions, e));
      EXPECT_EQ(oracle::ToBytes(got.atoms[a].MeetComplements), mc);
    }
  }
}

// Scratch relations refused to the factorization itself (the whole-run table reaches the
// closures' first and the other kinds): the fifth is the first meet-complement's. A factor
// table past its byte limit (nth 0: nothing refused, the limit is 0 bytes) says what it would
// have needed.
TEST(Factorization, RefusedStorageEndsTheRunWithItsMessage) {
  for (const std::uint32_t nth : {1u, 5u, 0u}) {
    const int e = nth == 0 ? 40 : 3;
    ElementRelation rel(e);
    for (int d = 0; d < e; ++d) rel.Set(d, d);
    StorageGate gate;
    if (nth > 0) gate.FailAt(StorageKind::kScratchRelation, nth);
    ResultSink ignore;
    try {
      const std::size_t byte_limit = nth == 0 ? 0 : FactorTable::kDefaultByteLimit;
      StreamFactorization(rel, Mult(e * e, -1), 0, true, false, gate, ignore, byte_limit);
      ADD_FAILURE() << "no fatal error";
    } catch (const Error& error) {
      EXPECT_EQ(error.code(), nth == 0 ? 0 : 9) << nth;
      if (nth == 0) {
        EXPECT_THAT(error.what(), AllOf(StartsWith("ERROR: Out of free memory.  Could not satisfy request for element "
                                                   "(1,2).\n"),
                                        HasSubstr("The factorization of 40 elements stopped"),
                                        HasSubstr("the limit is 0 MiB")));
      }
    }
  }
}

}  // namespace
}  // namespace quorel
