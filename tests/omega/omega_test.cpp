#include "omega/omega.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "omega/closure.hpp"
#include "omega/lower_omega.hpp"
#include "omega/omega_fixtures.hpp"
#include "omega/omega_oracle.hpp"
#include "omega/z_table.hpp"
#include "pipeline/cutoff_levels.hpp"
#include "views/report_view.hpp"

namespace quorel {
namespace {

namespace oracle = omega_oracle;
using omega_fixtures::Capture;
using omega_fixtures::Mult;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(ZOfAlpha, PicksTheFirstKeyNotAboveAlpha) {
  struct Case {
    float alpha;
    double z;
  };
  for (const Case c : {Case{0.2f, 1.28155}, Case{0.5f, 1.28155}, Case{0.000001f, 4.26489}, Case{0.02f, 2.05375},
                       Case{0.01f, 2.32635}, Case{0.03f, 1.88079}, Case{0.015f, 2.32635}, Case{0.05f, 1.64485},
                       Case{0.001f, 3.09023}}) {
    EXPECT_EQ(ZOfAlpha(c.alpha), c.z) << "alpha " << c.alpha;
  }
  for (const ZRow& row : ZTable) EXPECT_EQ(ZOfAlpha(static_cast<float>(row.alpha)), row.z) << row.alpha;
}

// Statistics of E elements with every cell drawn from a small set of values around the
// cutoffs, including proportions that are not numbers, exact zeros and negative variances.
StatisticMatrices RandomStatistics(std::mt19937& gen, int e) {
  const std::vector<float> proportions = {0.0f, 0.001f, 0.01f, 0.03f, 0.05f, 0.2f, 1.0f, kNaN};
  const std::vector<float> observed = {-2.0f, -0.5f, 0.0f, 0.0f, 0.3f, 1.5f};
  const std::vector<float> kappas = {-0.2f, 0.0f, 0.01f, 0.2f, 0.6f, 0.95f};
  const std::vector<float> variances = {0.0f, 0.0f, 0.001f, 0.01f, 0.2f, -0.01f};
  const auto pick = [&gen](const std::vector<float>& v) { return v[gen() % v.size()]; };
  StatisticMatrices s;
  const std::size_t cells = static_cast<std::size_t>(e) * e;
  for (auto* m : {&s.L, &s.McNemarZ, &s.Kappa, &s.StdKappa, &s.PValue, &s.Estvar}) m->assign(cells, 0.0f);
  for (int i = 0; i < e; ++i)
    for (int j = i + 1; j < e; ++j) {
      const std::size_t up = static_cast<std::size_t>(i) * e + j, lo = static_cast<std::size_t>(j) * e + i;
      s.L[lo] = pick(proportions);
      s.StdKappa[lo] = pick(proportions);
      s.McNemarZ[lo] = pick(proportions);
      s.PValue[lo] = pick(proportions);
      s.McNemarZ[up] = pick(observed);
      s.Kappa[up] = pick(kappas);
      s.Estvar[up] = pick(variances);
    }
  return s;
}

// The whole report of a cutoff level, with lower Omega and the closure of Omega, equals
// the one of the textbook algorithms, over network semigroups and over random tables with
// partial orders that are not closed.
TEST(CutoffLevel, ReportMatchesTextbookAlgorithms) {
  std::mt19937 gen(99);
  for (int round = 0; round < 90; ++round) {
    int e;
    Mult mult;
    ElementRelation po;
    if (round % 3 == 0) {
      e = 1 + round % 17;
      mult = omega_fixtures::RandomMult(gen, e, 0.9);
      po = omega_fixtures::RandomReflexive(gen, e, 0.05);
    } else {
      auto s = omega_fixtures::SemigroupOfNetwork(gen, 4, 2 + round % 2, 0.3, 4 + round % 20);
      e = s.e;
      mult = std::move(s.mult);
      po = std::move(s.partial_order);
    }
    const StatisticMatrices stats = RandomStatistics(gen, e);
    const float alpha = round % 2 ? 0.05f : 0.02f;
    const float min_kappa = round % 4 < 2 ? 0.01f : 0.3f;
    const int strategy = round % 5 == 0 ? 0 : 1;
    const bool products_only = round % 7 == 0;

    Capture fast_out;
    StorageGate gate;
    ReportView report(fast_out.File(), gate);
    OmegaLevel level;
    level.Alpha = alpha;
    level.Z = ZOfAlpha(alpha);
    level.MinKappa = min_kappa;
    level.HasLowerOmega = !products_only;
    StreamCutoffLevel(level, mult, stats, po, strategy, gate, report);
    const ElementRelation& omega = products_only ? level.Omega : level.OmegaClosure;
    const ElementRelation& lower = level.LowerOmegaClosure;

    Capture slow_out;
    oracle::Bytes slow_omega, slow_lower;
    oracle::BuildOmega(slow_out.File(), slow_omega, slow_lower, stats, alpha, min_kappa, oracle::ToBytes(po), e, strategy,
                       products_only, mult);
    ASSERT_EQ(fast_out.Text(), slow_out.Text()) << "round " << round << ", E = " << e;
    EXPECT_EQ(oracle::ToBytes(omega), slow_omega);
    if (!products_only) {
      EXPECT_EQ(oracle::ToBytes(lower), slow_lower);
    }
  }
}

// How one pair of elements 1 and 2 enters Omega at alpha 0.05 and MinKappa 0.01.
struct PairCase {
  const char* name;
  float theta, std_kappa_p, mcnemar_p, binp, mcnemar_z, kappa, estvar;
  int strategy;
  bool one_over_two, two_over_one;  // Omega (1, 2) and Omega (2, 1)
};

class OmegaPair : public ::testing::TestWithParam<PairCase> {};

TEST_P(OmegaPair, DecidesInclusionFromTheMeasures) {
  const PairCase& c = GetParam();
  StatisticMatrices s;
  for (auto* m : {&s.L, &s.McNemarZ, &s.Kappa, &s.StdKappa, &s.PValue, &s.Estvar}) m->assign(4, 0.0f);
  s.L[2] = c.theta;
  s.StdKappa[2] = c.std_kappa_p;
  s.McNemarZ[2] = c.mcnemar_p;
  s.PValue[2] = c.binp;
  s.McNemarZ[1] = c.mcnemar_z;
  s.Kappa[1] = c.kappa;
  s.Estvar[1] = c.estvar;
  ElementRelation po(2);
  po.Set(0, 0);
  po.Set(1, 1);
  ElementRelation omega;
  FillOmega(omega, s, 0.05f, 0.01f, ZOfAlpha(0.05f), po, c.strategy);
  EXPECT_EQ(omega.Get(0, 1), c.one_over_two);
  EXPECT_EQ(omega.Get(1, 0), c.two_over_one);
  EXPECT_TRUE(omega.Get(0, 0) && omega.Get(1, 1));
}

INSTANTIATE_TEST_SUITE_P(
    Measures, OmegaPair,
    ::testing::Values(
        PairCase{"ThetaNotSignificantLeavesOnlyThePartialOrder", 0.05f, 0.0f, 0.0f, 0.0f, -1.0f, 0.9f, 0.0f, 0, false, false},
        PairCase{"StdKappaNotSignificantLeavesOnlyThePartialOrder", 0.0f, 0.2f, 0.0f, 0.0f, -1.0f, 0.9f, 0.0f, 0, false, false},
        PairCase{"NegativeMcNemarZIncludesTheSecondInTheFirst", 0.0f, 0.0f, 0.01f, 1.0f, -1.0f, 0.9f, 0.0f, 0, true, false},
        PairCase{"McNemarZOfZeroIncludesTheFirstInTheSecond", 0.0f, 0.0f, 0.01f, 1.0f, 0.0f, 0.9f, 0.0f, 0, false, true},
        PairCase{"PermutingGeneratorsReadsBinP", 0.0f, 0.0f, 0.01f, 1.0f, -1.0f, 0.9f, 0.0f, 1, true, true},
        PairCase{"BinPDirectionalUnderPermutedGenerators", 0.0f, 0.0f, 1.0f, 0.01f, 2.0f, 0.9f, 0.0f, 1, false, true},
        PairCase{"ZeroVarianceComparesKappaWithMinKappa", 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.02f, 0.0f, 0, true, true},
        PairCase{"KappaEqualToMinKappaIsNotAbove", 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.01f, 0.0f, 0, false, false},
        PairCase{"LowerBoundBelowMinKappaGivesNothing", 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.5f, 0.1f, 0, false, false},
        PairCase{"NegativeVarianceGivesNothing", 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.9f, -0.01f, 0, false, false},
        PairCase{"ProportionsOfNoSamplesAreNeverSignificant", kNaN, kNaN, kNaN, kNaN, -1.0f, 0.9f, 0.0f, 0, false, false},
        PairCase{"UndefinedDirectionTestMeansEquivalence", 0.0f, 0.0f, kNaN, kNaN, -1.0f, 0.9f, 0.0f, 0, true, true}),
    [](const ::testing::TestParamInfo<PairCase>& info) { return std::string(info.param.name); });

// When Omega is the partial order, so is lower Omega, and its closure lies inside Omega.
TEST(ComputeLowerOmega, OmegaEqualToThePartialOrderGivesThePartialOrder) {
  std::mt19937 gen(12);
  const auto s = omega_fixtures::SemigroupOfNetwork(gen, 4, 2, 0.3, 25);
  StorageGate gate;
  const ProductTable products(s.mult, s.e, gate);
  ElementRelation lower;
  ComputeLowerOmega(s.partial_order, s.partial_order, products, gate, lower);
  EXPECT_EQ(lower, s.partial_order);
}

// Lower Omega over larger relations, where the shortcuts (pairs inside merged extensions,
// extensions reaching a failed pair) do most of the work.
TEST(ComputeLowerOmega, AgreesWithTextbookAlgorithmOnLargerRelations) {
  std::mt19937 gen(31);
  for (int round = 0; round < 6; ++round) {
    const auto s = omega_fixtures::SemigroupOfNetwork(gen, 5, 2, 0.25, 26 + round);
    ElementRelation omega = omega_fixtures::RandomReflexive(gen, s.e, 0.1 + 0.1 * round);
    for (int r = 0; r < s.e; ++r)
      for (int c = 0; c < s.e; ++c)
        if (s.partial_order.Get(r, c)) omega.Set(r, c);
    StorageGate gate;
    const ProductTable products(s.mult, s.e, gate);
    ElementRelation lower;
    ComputeLowerOmega(omega, s.partial_order, products, gate, lower);
    EXPECT_EQ(oracle::ToBytes(lower),
              oracle::LowerOmega(oracle::ToBytes(omega), oracle::ToBytes(s.partial_order), s.e, s.mult))
        << "E = " << s.e;
  }
}

}  // namespace
}  // namespace quorel
