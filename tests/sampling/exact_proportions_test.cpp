// Exact P-values of "permute each pair of matrices" against their definition: on networks of
// three to five actors every equally likely sample of the null model is formed, its tables
// counted and compared with the observed statistics, and the share that reaches each must be
// the exact probability. Then the sampled proportions of a bundled network against the exact
// values, and the log-space arithmetic on a large network.

#include "sampling/exact_proportions.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <random>
#include <string>

#include "core/analysis_options.hpp"
#include "core/relation_matrix.hpp"
#include "formats/network_reader.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/compound_sampling.hpp"
#include "sampling/sampled_network.hpp"
#include "sampling/sampling_test_support.hpp"

namespace quorel {
namespace {

using testing_support::Relation;
using Visit = std::function<void(const Relation& w)>;

// Every distinct order of `values`, each standing for as many equally likely shuffles.
void ForEachOrder(std::vector<int> values, const std::function<void(const std::vector<int>&)>& visit) {
  std::sort(values.begin(), values.end());
  do visit(values);
  while (std::next_permutation(values.begin(), values.end()));
}

// The classes' shuffles one after another: every combination of their orders.
void ShuffleClasses(const CellClasses& classes, const Relation& b, int k, Relation& w, const Visit& visit) {
  if (k == classes.Count()) {
    visit(w);
    return;
  }
  std::vector<int> values;
  for (int s = classes.Begin(k); s < classes.Begin(k) + classes.Size(k); ++s) values.push_back(b[classes.slot_cell[s]]);
  ForEachOrder(values, [&](const std::vector<int>& order) {
    Relation next = w;
    for (int s = 0; s < classes.Size(k); ++s) {
      // The slot's value goes to every cell that takes it, its mirror included.
      for (std::size_t cell = 0; cell < w.size(); ++cell) {
        if (classes.source[cell] == classes.Begin(k) + s) next[cell] = static_cast<std::int8_t>(order[s]);
      }
    }
    ShuffleClasses(classes, b, k + 1, next, visit);
  });
}

// MC, ME: every actor permutation, and for each every order of every row's values.
void ShuffleRows(const CellClasses& rows, const Relation& b, const std::vector<int>& perm, int row, Relation& w,
                 const Visit& visit) {
  if (row == rows.Count()) {
    visit(w);
    return;
  }
  std::vector<int> values;
  const int source = perm[row];
  for (int s = 0; s < rows.Size(source); ++s) values.push_back(b[rows.slot_cell[rows.Begin(source) + s]]);
  ForEachOrder(values, [&](const std::vector<int>& order) {
    for (int s = 0; s < rows.Size(row); ++s) w[rows.slot_cell[rows.Begin(row) + s]] = static_cast<std::int8_t>(order[s]);
    ShuffleRows(rows, b, perm, row + 1, w, visit);
  });
}

// MD: every order of the dyad codes, every direction of the asymmetric ones, every order of
// the loops when they are counted.
void ShuffleDyads(const Relation& b, int n, bool include_diagonal, const Visit& visit) {
  std::vector<int> codes;  // 0 null, 1 asymmetric, 2 mutual
  for (int i = 0; i < n; ++i) {
    for (int j = i + 1; j < n; ++j) codes.push_back(b[i * n + j] + b[j * n + i]);
  }
  std::vector<int> loops;
  for (int i = 0; i < n; ++i) loops.push_back(include_diagonal ? b[i * n + i] : 0);
  ForEachOrder(codes, [&](const std::vector<int>& order) {
    const int asymmetric = static_cast<int>(std::count(order.begin(), order.end(), 1));
    for (int directions = 0; directions < (1 << asymmetric); ++directions) {
      Relation w(b.size(), 0);
      int k = 0, a = 0;
      for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j, ++k) {
          if (order[k] == 2) w[i * n + j] = w[j * n + i] = 1;
          if (order[k] == 1) ((directions >> a++) & 1 ? w[j * n + i] : w[i * n + j]) = 1;
        }
      }
      ForEachOrder(loops, [&](const std::vector<int>& loop_order) {
        for (int i = 0; i < n; ++i) w[i * n + i] = static_cast<std::int8_t>(loop_order[i]);
        visit(w);
      });
    }
  });
}

void ForEachSample(const NullModel& model, const Relation& b, int n, bool include_diagonal,
                   const FixedMatrixRecord* fixed, const Visit& visit) {
  CellClasses classes;
  BuildCellClasses(model, n, include_diagonal, fixed, classes);
  if (model.dyad_codes) {
    ShuffleDyads(b, n, include_diagonal, visit);
  } else if (model.actors == ActorRelabelling::kRows) {
    std::vector<int> perm(n);
    std::iota(perm.begin(), perm.end(), 0);
    do {
      Relation w = b;
      ShuffleRows(classes, b, perm, 0, w, visit);
    } while (std::next_permutation(perm.begin(), perm.end()));
  } else {
    Relation w = b;
    ShuffleClasses(classes, b, 0, w, visit);
  }
}

// The 2 x 2 table of (first, second) over the counted cells, in the order the samplers fill.
FourfoldTable CountTable(const Relation& first, const Relation& second, int n, bool include_diagonal) {
  FourfoldTable t;
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      if (include_diagonal || r != c) t[2 * first[r * n + c] + second[r * n + c]] += 1.0f;
    }
  }
  return t;
}

StatisticMatrices Observed(const Relation& a, const Relation& b, int n, bool include_diagonal) {
  const MatrixShape shape = MatrixShape::ForActors(n);
  std::vector<BitWord> first(shape.words), second(shape.words);
  PackMatrix(a.data(), shape, first.data());
  PackMatrix(b.data(), shape, second.data());
  StatisticMatrices stats;
  for (std::vector<float>* m : {&stats.L, &stats.McNemarZ, &stats.Kappa, &stats.StdKappa, &stats.PValue, &stats.Estvar}) {
    m->assign(4, 0.0f);
  }
  ComputePairMeasures(stats, 2, 0, 1, first.data(), second.data(), shape, include_diagonal, 0);
  return stats;
}

// A random relation of `density`, mirrored when symmetric.
Relation RandomRelation(std::mt19937& gen, int n, double density, bool symmetric) {
  std::bernoulli_distribution tie(density);
  Relation m(static_cast<std::size_t>(n) * n);
  for (int r = 0; r < n; ++r) {
    for (int k = 0; k < n; ++k) m[r * n + k] = symmetric && k < r ? m[k * n + r] : tie(gen);
  }
  return m;
}

struct ExactCase {
  const char* name;
  int control;
  int directionality;
  bool include_diagonal;
  int n;
};

class ExactProportions : public ::testing::TestWithParam<ExactCase> {};

TEST_P(ExactProportions, EqualTheShareOfEveryEquallyLikelySample) {
  const ExactCase c = GetParam();
  const int n = c.n;
  const NullModel model = NullModelOf(c.control, c.directionality == 1, PermutationStrategy::kPairs);
  std::mt19937 gen(1000 + 17 * c.control + 5 * n + (c.include_diagonal ? 1 : 0));
  for (int variant = 0; variant < 6; ++variant) {
    SCOPED_TRACE("variant " + std::to_string(variant));
    // Densities from sparse to dense; compounds of non-directional relations need not be
    // symmetric, so only every other pair is.
    const bool symmetric = c.directionality == 1 && variant % 2 == 0;
    const Relation a = RandomRelation(gen, n, 0.2 + 0.12 * variant, symmetric);
    const Relation b = variant == 5 ? a : RandomRelation(gen, n, 0.7 - 0.1 * variant, symmetric);
    const FixedMatrixRecord fixed = testing_support::GroupFixedMatrix(
        testing_support::RandomCells(gen, n, 2 + variant % 2, c.directionality == 1), n);
    const StatisticMatrices stats = Observed(a, b, n, c.include_diagonal);
    const int counted = CountedCells(n, c.include_diagonal);

    std::int64_t samples = 0;
    SampleCounts reached;
    ForEachSample(model, b, n, c.include_diagonal, &fixed, [&](const Relation& w) {
      ++samples;
      reached.Add(SampledTableReaches(stats, 2, 0, 1, CountTable(a, w, n, c.include_diagonal), counted), 1);
    });
    const ExactPair pair{a.data(), b.data(), n, c.include_diagonal};
    const ExactPairProportions exact = ExactProportionsOfPair(stats, 2, 0, 1, pair, c.control, c.directionality, &fixed);
    const double total = static_cast<double>(samples);
    EXPECT_NEAR(exact.theta, reached.likelihood_ratio / total, 1e-12);
    EXPECT_NEAR(exact.kappa, reached.kappa / total, 1e-12);
    EXPECT_NEAR(exact.standardized_kappa, reached.standardized_kappa / total, 1e-12);

    // The swap table: every way of exchanging the counted cells' values.
    if (counted > 16) continue;
    std::vector<std::pair<int, int>> cells;
    for (int r = 0; r < n; ++r) {
      for (int k = 0; k < n; ++k) {
        if (c.include_diagonal || r != k) cells.emplace_back(a[r * n + k], b[r * n + k]);
      }
    }
    std::int64_t swaps_reaching = 0;
    for (std::int64_t pattern = 0; pattern < (std::int64_t{1} << counted); ++pattern) {
      FourfoldTable y;
      for (int k = 0; k < counted; ++k) {
        const auto [first, second] = cells[k];
        y[(pattern >> k) & 1 ? 2 * second + first : 2 * first + second] += 1.0f;
      }
      swaps_reaching += SwapTableReaches(stats, 2, 0, 1, y) ? 1 : 0;
    }
    EXPECT_NEAR(exact.mcnemar_z, static_cast<double>(swaps_reaching) / std::ldexp(1.0, counted), 1e-12);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Controls, ExactProportions,
    ::testing::Values(ExactCase{"DensityDirectedWithoutLoops", kMA, 0, false, 4},
                      ExactCase{"DensityDirectedWithLoops", kMA, 0, true, 4},
                      ExactCase{"DensityOfDyadsWithoutLoops", kMA, 1, false, 4},
                      ExactCase{"DensityOfDyadsAndLoops", kMA, 1, true, 4},
                      ExactCase{"DensityMixedIsDirected", kMA, 2, true, 4},
                      ExactCase{"OutdegreesWithoutLoops", kMC, 0, false, 4},
                      ExactCase{"OutdegreesWithLoops", kMC, 0, true, 4},
                      ExactCase{"OutdegreeDistribution", kME, 0, true, 4},
                      ExactCase{"DyadCensusWithoutLoops", kMD, 0, false, 4},
                      ExactCase{"DyadCensusWithLoops", kMD, 0, true, 4},
                      ExactCase{"DyadCensusNonDirectional", kMD, 1, false, 5},
                      ExactCase{"FixedMatrixWithoutLoops", kMF, 0, false, 4},
                      ExactCase{"FixedMatrixOfDyads", kMF, 1, false, 4},
                      ExactCase{"FixedMatrixWithinRows", kMG, 0, false, 4},
                      ExactCase{"FixedMatrixWithinRowsWithLoops", kMG, 0, true, 4}),
    [](const ::testing::TestParamInfo<ExactCase>& info) { return std::string(info.param.name); });

TEST(ExactProportions, AbsentWhereTheNullModelHasNoClosedForm) {
  const int n = 5;
  std::mt19937 gen(7);
  Relation a(n * n), b(n * n);
  for (auto& v : a) v = static_cast<std::int8_t>(gen() % 2);
  for (auto& v : b) v = static_cast<std::int8_t>(gen() % 2);
  const StatisticMatrices stats = Observed(a, b, n, false);
  const ExactPair pair{a.data(), b.data(), n, false};
  // A fixed matrix that is not symmetric under non-directional relations: mirrors overwritten.
  std::vector<int> values(n * n);
  for (int cell = 0; cell < n * n; ++cell) values[cell] = cell / n <= cell % n ? 0 : 1;
  values[2 * n + 0] = 7;
  const FixedMatrixRecord unsymmetric = testing_support::GroupFixedMatrix(values, n);
  // One group of every cell: counted, its loops land once and its dyads twice.
  const FixedMatrixRecord one_group = testing_support::GroupFixedMatrix(std::vector<int>(n * n, 0), n);
  const ExactPair with_loops{a.data(), b.data(), n, true};
  struct Absent {
    const char* why;
    int control, directionality;
    const FixedMatrixRecord* fixed;
    bool mcnemar_given;
    bool loops = false;
  };
  for (const Absent& c : {Absent{"actors relabelled", kMB, 0, nullptr, true},
                          Absent{"mirrors overwritten", kMF, 1, &unsymmetric, true},
                          Absent{"no fixed matrix to draw from", kMF, 0, nullptr, false},
                          Absent{"loops and dyads in one group", kMF, 1, &one_group, true, true},
                          Absent{"no control", 9, 0, nullptr, false}}) {
    SCOPED_TRACE(c.why);
    const ExactPairProportions p =
        ExactProportionsOfPair(stats, 2, 0, 1, c.loops ? with_loops : pair, c.control, c.directionality, c.fixed);
    EXPECT_TRUE(std::isnan(p.theta));
    EXPECT_TRUE(std::isnan(p.kappa));
    EXPECT_TRUE(std::isnan(p.standardized_kappa));
    EXPECT_EQ(std::isnan(p.mcnemar_z), !c.mcnemar_given);
  }
  // Past the work limit the law is given up.
  const NullModel model = NullModelOf(kMC, false, PermutationStrategy::kPairs);
  EXPECT_TRUE(ExactOverlapLaw(model, pair, nullptr).exact);
  EXPECT_FALSE(ExactOverlapLaw(model, pair, nullptr, 10).exact);
}

// A probability law: nothing not a number, nothing above 1, and a total of 1.
void ExpectProperLaw(const OverlapLaw& law) {
  ASSERT_TRUE(law.exact);
  double total = 0.0;
  for (const double log_p : law.log_p) {
    ASSERT_FALSE(std::isnan(log_p));
    ASSERT_LE(log_p, 1e-12);
    total += std::exp(log_p);
  }
  EXPECT_NEAR(total, 1.0, 1e-9);
}

TEST(ExactProportions, LargeNetworksKeepProperLawsInLogSpace) {
  // 200 actors: C(39800, ties) and the tails of the overlap lie far outside a double.
  const int n = 200;
  std::mt19937 gen(3);
  const Relation a = RandomRelation(gen, n, 0.3, false), b = RandomRelation(gen, n, 0.6, false),
                 sym = RandomRelation(gen, n, 0.1, true);
  const ExactPair pair{a.data(), b.data(), n, false};
  const OverlapLaw density = ExactOverlapLaw(NullModelOf(kMA, false, PermutationStrategy::kPairs), pair, nullptr);
  ExpectProperLaw(density);
  // The far tails are tiny but not lost: every overlap the margins allow has a probability.
  const int lowest = std::max(0, density.first_ties + density.second_ties - density.counted);
  EXPECT_GT(density.log_p[lowest], -1e6);
  EXPECT_LT(density.log_p[lowest], -700.0);
  ExpectProperLaw(ExactOverlapLaw(NullModelOf(kMD, false, PermutationStrategy::kPairs),
                                  ExactPair{sym.data(), b.data(), n, true}, nullptr));
  ExpectProperLaw(ExactOverlapLaw(NullModelOf(kMA, true, PermutationStrategy::kPairs),
                                  ExactPair{sym.data(), sym.data(), n, true}, nullptr));
}

TEST(ExactProportions, SampledProportionsLieWithinTheirStandardErrors) {
  const Network network_read = ReadNetworkFile(std::string(QUOREL_SOURCE_DIR) + "/examples/knoke_bureaucracies.dat")[0];
  const int n = network_read.actor_count;
  std::vector<testing::ByteMatrix> relations;
  for (const auto& r : network_read.relations) relations.emplace_back(r.begin(), r.end());
  const int samples = 4000;
  for (const int control : {kMA, kMC, kMD, kME, kMF, kMG}) {
    SCOPED_TRACE("control " + std::to_string(control));
    testing_support::SampledNetwork network(n, 2, 0, 1);
    AnalysisState& state = network.state;
    testing::LoadGenerators(state, relations, n);
    Semigroup semigroup = BuildSemigroup(state.MatrixList, 2, 1, state.Storage);
    state.ElementCount = static_cast<std::int16_t>(semigroup.element_count);
    const int e = state.ElementCount;
    for (std::vector<float>* m : {&network.observed.L, &network.observed.McNemarZ, &network.observed.Kappa,
                                  &network.observed.StdKappa, &network.observed.PValue, &network.observed.Estvar})
      m->assign(static_cast<std::size_t>(e) * e, 0.0f);
    network.Observe(kIncludeDiagonalForAll);
    SamplingSettings settings;
    settings.sample_size = samples;
    settings.measure_control = control;
    settings.diagonal = kIncludeDiagonalForAll;
    settings.workers = 2;
    StatisticMatrices sampled = network.observed;
    state.Random = RandomSource(41 + control);
    ASSERT_EQ(SampleCompoundPairs(state.MatrixList, e, 2, 0, state.FixedMatrix, settings, sampled, state.Random,
                                  state.Storage, nullptr),
              0);
    const ExactProportionMatrices exact = ExactCompoundProportions(state.MatrixList, e, 2, 0, state.FixedMatrix,
                                                                   control, kIncludeDiagonalForAll, 2, network.observed);
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j) {
        const std::size_t low = ExactProportionMatrices::Lower(e, i, j);
        const auto expect_within = [&](const char* what, double p, float count) {
          ASSERT_FALSE(std::isnan(p)) << what;
          ASSERT_TRUE(p >= 0.0 && p <= 1.0) << what << " " << p;  // a certainty is not 1 + rounding
          // A probability near 0 or 1 is given the standard error of one sample in S.
          const double q = std::clamp(p, 1.0 / samples, 1.0 - 1.0 / samples);
          EXPECT_LE(std::fabs(count / samples - p), 4.5 * std::sqrt(q * (1 - q) / samples))
              << what << " of pair " << i << ", " << j;
        };
        expect_within("theta", exact.theta[low], sampled.L[low]);
        expect_within("kappa", exact.kappa[low], sampled.Kappa[low]);
        expect_within("standardized kappa", exact.standardized_kappa[low], sampled.StdKappa[low]);
        expect_within("McNemar", exact.mcnemar_z[low], sampled.McNemarZ[low]);
      }
    }
  }
}

}  // namespace
}  // namespace quorel
