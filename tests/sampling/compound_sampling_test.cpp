// The pairwise sampling on several workers, each pair starting at its own position of the
// random stream, against the plain sequential walk over the pairs with one stream: every
// counter and the stream position must agree.

#include "sampling/compound_sampling.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "sampling/sampled_network.hpp"
#include "sampling/sampling_test_support.hpp"
#include "sampling/sequential_pair_sampling.hpp"

namespace quorel {
namespace {

using testing_support::SampledNetwork;

// Two copies of a network of `n` actors, `adjust`ed, one sampled by SampleCompoundPairs and the
// other by the straightforward sampler from the same stream position.
void ExpectTheSequentialResult(int n, int directionality, int seed, bool symmetric_fixed,
                               const SamplingSettings& settings,
                               const std::function<void(AnalysisState&)>& adjust = {}) {
  SampledNetwork parallel(n, 2, directionality, seed, symmetric_fixed);
  SampledNetwork sequential(n, 2, directionality, seed, symmetric_fixed);
  for (SampledNetwork* network : {&parallel, &sequential}) {
    if (adjust) adjust(network->state);
    network->state.Random = RandomSource(99 + n);
    network->Observe(settings.diagonal);
  }
  StatisticMatrices fast = parallel.observed;
  AnalysisState& p = parallel.state;
  ASSERT_EQ(SampleCompoundPairs(p.MatrixList, p.ElementCount, p.GeneratorCount, p.Directionality, p.FixedMatrix,
                                settings, fast, p.Random, p.Storage, p.Progress),
            0);
  StatisticMatrices plain = sequential.observed;
  AnalysisState& s = sequential.state;
  testing_support::SamplePairsSequentially(s.MatrixList, s.ElementCount, s.GeneratorCount, s.Directionality,
                                           s.FixedMatrix, settings, plain, s.Random);
  EXPECT_EQ(fast.L, plain.L);
  EXPECT_EQ(fast.McNemarZ, plain.McNemarZ);
  EXPECT_EQ(fast.Kappa, plain.Kappa);
  EXPECT_EQ(fast.StdKappa, plain.StdKappa);
  EXPECT_EQ(p.Random.State(), s.Random.State());
}

// (measure control, directionality, diagonal option)
class CompoundSampling : public ::testing::TestWithParam<std::tuple<int, int, int>> {};

TEST_P(CompoundSampling, WorkersGiveTheSequentialCountersAndStreamPosition) {
  const auto [control, directionality, diagonal] = GetParam();
  // Two sizes, the larger with a fixed matrix that is not symmetric; one to four workers.
  for (const int n : {7, 12}) {
    SamplingSettings settings;
    settings.sample_size = 40;
    settings.measure_control = control;
    settings.diagonal = diagonal;
    settings.workers = 1 + (control + diagonal + n) % 4;
    SCOPED_TRACE("n=" + std::to_string(n));
    ExpectTheSequentialResult(n, directionality, 11 + control + 10 * directionality + 100 * diagonal + n, n == 7,
                              settings);
  }
}

INSTANTIATE_TEST_SUITE_P(Controls, CompoundSampling,
                         ::testing::Combine(::testing::Range(0, 7), ::testing::Values(0, 1, 2),
                                            ::testing::Values(0, 1, 2)));

TEST(CompoundSampling, FixedMatricesOfTheirOwnAndNoSamples) {
  // All relations non-directional under MF: the upper cells (and loops) form one group whose
  // values are mirrored below; the mirror of (0, 2) is a group of its own that comes later
  // and takes B's value back, so W's ties on the counted cells differ from sample to sample.
  const int n = 8;
  std::vector<int> values(n * n);
  for (int cell = 0; cell < n * n; ++cell) values[cell] = cell / n <= cell % n ? 0 : 1;
  values[2 * n + 0] = 7;
  const FixedMatrixRecord mirrored = testing_support::GroupFixedMatrix(values, n);
  struct Case {
    const char* name;
    int directionality, control, diagonal, samples;
    std::function<void(AnalysisState&)> adjust;
  };
  const auto use_mirrored = [&](AnalysisState& state) { state.FixedMatrix = mirrored; };
  const auto no_fixed_matrix = [](AnalysisState& state) { state.FixedMatrix.Release(); };
  for (const Case& c : {Case{"mirror overwritten", 1, 5, 0, 60, use_mirrored}, Case{"and loops", 1, 5, 2, 60, use_mirrored},
                        Case{"MF without a fixed matrix", 0, 5, 1, 7, no_fixed_matrix},
                        Case{"MG without a fixed matrix", 0, 6, 1, 7, no_fixed_matrix},
                        Case{"no samples", 0, 0, 1, 0, {}}}) {
    SCOPED_TRACE(c.name);
    SamplingSettings settings;
    settings.sample_size = c.samples;
    settings.measure_control = c.control;
    settings.diagonal = c.diagonal;
    settings.workers = 2;
    ExpectTheSequentialResult(n, c.directionality, 21, true, settings, c.adjust);
  }
}

}  // namespace
}  // namespace quorel
