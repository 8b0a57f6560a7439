// Samples of the whole network ("permute Generators") on a pool of workers, each pair's
// table taken from shared-tie counts, against the plain loop: permute every generator,
// rebuild the compounds in the relation matrices, count and compare every pair's table cell
// by cell.

#include "sampling/generator_sampling.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/generator_permutations.hpp"
#include "sampling/sampled_network.hpp"

namespace quorel {
namespace {

using testing_support::SampledNetwork;

StatisticMatrices PlainGeneratorSamples(AnalysisState& state, const std::vector<WordEntry>& words,
                                        StatisticMatrices stats, const SamplingSettings& settings,
                                        const std::vector<std::uint8_t>& non_directional) {
  const int e = state.ElementCount;
  const int g = state.GeneratorCount;
  const int n = state.N;
  const MatrixShape& shape = state.MatrixList.Shape();
  const FixedMatrixRecord* fixed = state.FixedMatrix.Groups.empty() ? nullptr : &state.FixedMatrix;
  PermutationWorkspace ws;
  ws.Obtain(state.Storage, n, settings.measure_control, state.FixedMatrix.MaxGroupSize);
  std::vector<std::int8_t> bytes(static_cast<std::size_t>(n) * n);
  for (int s = 0; s < settings.sample_size; ++s) {
    for (int k = 0; k < g; ++k) {
      UnpackMatrix(state.MatrixList.Matrix(k), shape, bytes.data());
      PermuteUnderControl(state.Random, bytes.data(), n, settings.measure_control, settings.diagonal,
                          non_directional[k] != 0, fixed, ws);
      PackMatrix(bytes.data(), shape, state.MatrixList.Matrix(k));
    }
    for (int k = g; k < e; ++k) {
      BooleanProduct(state.MatrixList.Matrix(words[k].Node),
                     state.MatrixList.Matrix(words[k].Generator), state.MatrixList.Matrix(k), shape);
    }
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j) {
        ComparePairToSample(stats, e, i, j, state.MatrixList.Matrix(i), state.MatrixList.Matrix(j), shape,
                            PairIncludesDiagonal(settings.diagonal, i, j, g));
      }
    }
  }
  return stats;
}

// (measure control, directionality, diagonal option)
class GeneratorSampling : public ::testing::TestWithParam<std::tuple<int, int, int>> {};

TEST_P(GeneratorSampling, PoolGivesThePlainLoopsCountersAndStreamPosition) {
  const auto [control, directionality, diagonal] = GetParam();
  // Loops in the relations; one word for all rows, rows laid across word boundaries, two
  // words per row; one to three workers.
  for (const int n : {6, 23, 70}) {
    const int seed = 7 + control + 10 * directionality + 100 * diagonal + n;
    SampledNetwork pooled(n, 2, directionality, seed);
    SampledNetwork plain(n, 2, directionality, seed);
    pooled.Observe(diagonal);
    plain.Observe(diagonal);
    SamplingSettings settings;
    settings.sample_size = n < 10 ? 30 : 6;
    settings.measure_control = control;
    settings.diagonal = diagonal;
    settings.workers = 1 + (control + n) % 3;
    pooled.state.Random = plain.state.Random = RandomSource(5 + n);

    StatisticMatrices fast = pooled.observed;
    AnalysisState& s = pooled.state;
    const std::vector<BitWord> observed(s.MatrixList.Matrix(0),
                                        s.MatrixList.Matrix(0) + s.MatrixList.Shape().words * s.ElementCount);
    ASSERT_EQ(SampleGenerators(s.MatrixList, s.ElementCount, s.GeneratorCount, pooled.words, pooled.NonDirectional(),
                               s.FixedMatrix, settings, fast, s.Random, s.Storage, s.Progress),
              0);
    const StatisticMatrices expected =
        PlainGeneratorSamples(plain.state, plain.words, plain.observed, settings, plain.NonDirectional());
    EXPECT_EQ(fast.L, expected.L) << "n=" << n;
    EXPECT_EQ(fast.Kappa, expected.Kappa) << "n=" << n;
    EXPECT_EQ(fast.StdKappa, expected.StdKappa) << "n=" << n;
    EXPECT_EQ(fast.McNemarZ, expected.McNemarZ) << "n=" << n;
    EXPECT_EQ(pooled.state.Random.State(), plain.state.Random.State());
    // The samples are the sampler's own: the observed relations stay.
    EXPECT_TRUE(std::equal(observed.begin(), observed.end(), s.MatrixList.Matrix(0)));
  }
}

// Under this strategy the option checks allow MC, ME and MG only when every relation is
// directional.
INSTANTIATE_TEST_SUITE_P(Directional, GeneratorSampling,
                         ::testing::Combine(::testing::Range(0, 7), ::testing::Values(0), ::testing::Values(0, 1, 2)));
INSTANTIATE_TEST_SUITE_P(NonDirectional, GeneratorSampling,
                         ::testing::Combine(::testing::Values(0, 1, 3, 5), ::testing::Values(1, 2),
                                            ::testing::Values(0, 1, 2)));

}  // namespace
}  // namespace quorel
