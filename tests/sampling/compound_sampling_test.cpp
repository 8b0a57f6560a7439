// The pairwise sampling on several workers, each pair starting at its own position of the
// random stream, against the plain sequential walk over the pairs with one stream.

#include "sampling/compound_sampling.hpp"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "pipeline/analysis_state.hpp"
#include "sampling/sampled_network.hpp"
#include "sampling/sampling_test_support.hpp"
#include "sampling/sequential_pair_sampling.hpp"

namespace quorel {
namespace {

using testing_support::SampledNetwork;

std::int16_t SamplePairs(SampledNetwork& network, StatisticMatrices& stats, const SamplingSettings& settings) {
  AnalysisState& s = network.state;
  return SampleCompoundPairs(s.MatrixList, s.ElementCount, s.GeneratorCount, s.Directionality, s.FixedMatrix,
                             settings, stats, s.Random, s.Storage, s.Progress);
}

// Samples `parallel` with SampleCompoundPairs and `sequential` (the same network) with the
// straightforward sampler: every counter and the stream position must agree.
void ExpectTheSequentialResult(SampledNetwork& parallel, SampledNetwork& sequential, const SamplingSettings& settings) {
  StatisticMatrices fast = parallel.observed;
  ASSERT_EQ(SamplePairs(parallel, fast, settings), 0);
  StatisticMatrices plain = sequential.observed;
  AnalysisState& s = sequential.state;
  testing_support::SamplePairsSequentially(s.MatrixList, s.ElementCount, s.GeneratorCount, s.Directionality,
                                           s.FixedMatrix, settings, plain, s.Random);
  EXPECT_EQ(fast.L, plain.L);
  EXPECT_EQ(fast.McNemarZ, plain.McNemarZ);
  EXPECT_EQ(fast.Kappa, plain.Kappa);
  EXPECT_EQ(fast.StdKappa, plain.StdKappa);
  EXPECT_EQ(parallel.state.Random.State(), sequential.state.Random.State());
}

// (measure control, directionality, diagonal option)
class CompoundSampling : public ::testing::TestWithParam<std::tuple<int, int, int>> {};

TEST_P(CompoundSampling, WorkersGiveTheSequentialCountersAndStreamPosition) {
  const auto [control, directionality, diagonal] = GetParam();
  // Two sizes, the larger with a fixed matrix that is not symmetric; one to four workers.
  for (const int n : {7, 12}) {
    const int seed = 11 + control + 10 * directionality + 100 * diagonal + n;
    SampledNetwork parallel(n, 2, directionality, seed, n == 7);
    SampledNetwork sequential(n, 2, directionality, seed, n == 7);
    parallel.Observe(diagonal);
    sequential.Observe(diagonal);
    ASSERT_GT(parallel.state.ElementCount, 3);

    SamplingSettings settings;
    settings.sample_size = 40;
    settings.measure_control = control;
    settings.diagonal = diagonal;
    settings.workers = 1 + (control + diagonal + n) % 4;
    parallel.state.Random = sequential.state.Random = RandomSource(99 + n);

    SCOPED_TRACE("n=" + std::to_string(n));
    ExpectTheSequentialResult(parallel, sequential, settings);
  }
}

INSTANTIATE_TEST_SUITE_P(Controls, CompoundSampling,
                         ::testing::Combine(::testing::Range(0, 7), ::testing::Values(0, 1, 2),
                                            ::testing::Values(0, 1, 2)));

TEST(CompoundSampling, MirroredGroupWhoseMirrorIsOverwrittenByALaterOneCellGroup) {
  // All relations non-directional under MF: the upper cells (and loops) form one group whose
  // values are mirrored below; the mirror of (0, 2) is a group of its own that comes later
  // and takes B's value back, so W's ties on the counted cells differ from sample to sample.
  const int n = 8;
  std::vector<int> values(n * n);
  for (int cell = 0; cell < n * n; ++cell) values[cell] = cell / n <= cell % n ? 0 : 1;
  values[2 * n + 0] = 7;
  for (int diagonal : {0, 2}) {
    SampledNetwork parallel(n, 2, 1, 21);
    SampledNetwork sequential(n, 2, 1, 21);
    parallel.state.FixedMatrix = sequential.state.FixedMatrix = testing_support::GroupFixedMatrix(values, n);
    parallel.Observe(diagonal);
    sequential.Observe(diagonal);
    SamplingSettings settings;
    settings.sample_size = 60;
    settings.measure_control = 5;
    settings.diagonal = diagonal;
    settings.workers = 2;
    SCOPED_TRACE("diagonal " + std::to_string(diagonal));
    ExpectTheSequentialResult(parallel, sequential, settings);
  }
}

TEST(CompoundSampling, FixedMatrixControlsWithoutAFixedMatrixTallyEmptyTables) {
  for (int control : {5, 6}) {
    SampledNetwork parallel(6, 2, 0, 4);
    SampledNetwork sequential(6, 2, 0, 4);
    parallel.state.FixedMatrix.Release();
    sequential.state.FixedMatrix.Release();
    parallel.Observe(1);
    sequential.Observe(1);
    SamplingSettings settings;
    settings.sample_size = 7;
    settings.measure_control = control;
    settings.workers = 2;
    SCOPED_TRACE("control " + std::to_string(control));
    ExpectTheSequentialResult(parallel, sequential, settings);
  }
}

TEST(CompoundSampling, NoSamplesDrawNothing) {
  SampledNetwork network(5, 2, 0, 3);
  network.Observe(1);
  SamplingSettings settings;
  settings.sample_size = 0;
  const std::uint64_t before = network.state.Random.State();
  StatisticMatrices stats = network.observed;
  EXPECT_EQ(SamplePairs(network, stats, settings), 0);
  EXPECT_EQ(network.state.Random.State(), before);
  EXPECT_EQ(stats.L, network.observed.L);
}

TEST(CompoundSampling, BuffersThatCannotBeObtainedEndWithCode29) {
  SampledNetwork network(5, 2, 0, 3);
  network.Observe(1);
  SamplingSettings settings;
  settings.sample_size = 3;
  network.state.Storage.FailAt(StorageKind::kSamplerBuffer, 2);
  StatisticMatrices stats = network.observed;
  EXPECT_EQ(SamplePairs(network, stats, settings), 29);
}

}  // namespace
}  // namespace quorel
