// The pairwise sampling on several workers, each pair starting at its own position of the
// random stream, against the plain sequential walk over the pairs with one stream.

#include "sampling/compound_sampling.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "algebra/semigroup.hpp"
#include "engine/analysis_state.hpp"
#include "engine/fixed_matrix_reader.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/pair_draws.hpp"
#include "support/byte_matrices.hpp"

namespace quorel {
namespace {

// A small network with its semigroup, observed statistics and (for MF and MG) a fixed matrix.
struct SampledNetwork {
  AnalysisState state;
  StatisticMatrices observed;

  SampledNetwork(int n, int generators, bool symmetric, int seed) {
    std::mt19937_64 rng(seed);
    state.N = static_cast<std::int16_t>(n);
    state.Directionality = symmetric ? 1 : 0;
    state.MatrixList.Create(state.Storage, n);
    for (int k = 0; k <= generators; ++k) state.MatrixList.AddMatrixSlot(state.Storage, stderr, k);
    for (int k = 0; k < generators; ++k) {
      testing::ByteMatrix m = testing::RandomByteMatrix(n, 0.3, rng);
      if (symmetric) {
        for (int r = 0; r < n; ++r) {
          for (int c = 0; c < r; ++c) m[r * n + c] = m[c * n + r];
        }
      }
      PackMatrix(m.data(), state.MatrixList.Shape(), state.MatrixList.Matrix(k));
      state.MatrixList.Remember(k);
    }
    state.GeneratorCount = state.ElementCount = static_cast<std::int16_t>(generators);
    ConstructSemigroup(state, 1);

    std::string fixed_text;
    for (int c = 0; c < n * n; ++c) fixed_text += std::to_string(c % 3) + " ";
    std::FILE* in = std::tmpfile();
    std::fputs(fixed_text.c_str(), in);
    std::rewind(in);
    ReadFixed(in, stderr, state.Storage, state.FixedMatrix, n);
    std::fclose(in);

    const int e = state.ElementCount;
    for (std::vector<float>* m : {&observed.L, &observed.McNemarZ, &observed.Kappa, &observed.StdKappa,
                                  &observed.PValue, &observed.Estvar}) {
      m->assign(static_cast<std::size_t>(e) * e, 0.0f);
    }
  }

  void Observe(int diagonal) {
    const int e = state.ElementCount;
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j) {
        ComputePairMeasures(observed, e, i, j, state.MatrixList.Matrix(i), state.MatrixList.Matrix(j),
                            state.MatrixList.Shape(), PairIncludesDiagonal(diagonal, i, j, state.GeneratorCount), 0);
      }
    }
  }
};

// The pairs one after another, in order, on one stream.
StatisticMatrices SequentialOracle(AnalysisState& state, StatisticMatrices stats, const SamplingSettings& settings) {
  const int e = state.ElementCount;
  const int n = state.N;
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  std::vector<std::int8_t> bytes(cells * e);
  for (int k = 0; k < e; ++k) UnpackMatrix(state.MatrixList.Matrix(k), state.MatrixList.Shape(), &bytes[cells * k]);
  PairWorkspace ws;
  ws.Obtain(state.Storage, n, settings.measure_control, state.FixedMatrix.MaxGroupSize);
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j) {
      const bool include = PairIncludesDiagonal(settings.diagonal, i, j, state.GeneratorCount);
      ws.Prepare(&bytes[cells * i], &bytes[cells * j], include);
      FourfoldTable x, y;
      for (int s = 0; s < settings.sample_size; ++s) {
        DrawPairSample(state.Random, settings.measure_control, state.Directionality, &state.FixedMatrix, ws, x, y);
        TallySampledTables(stats, e, x, y, i, j, CountedCells(n, include));
      }
    }
  }
  return stats;
}

struct OracleCase {
  int control;
  int diagonal;
  bool symmetric;
  int workers;
};

class CompoundSampling : public ::testing::TestWithParam<OracleCase> {};

TEST_P(CompoundSampling, WorkersGiveTheSequentialCountersAndStreamPosition) {
  const OracleCase& c = GetParam();
  SampledNetwork parallel(7, 2, c.symmetric, 11 + c.control);
  SampledNetwork sequential(7, 2, c.symmetric, 11 + c.control);
  parallel.Observe(c.diagonal);
  sequential.Observe(c.diagonal);
  ASSERT_GT(parallel.state.ElementCount, 3);

  SamplingSettings settings;
  settings.sample_size = 25;
  settings.measure_control = c.control;
  settings.diagonal = c.diagonal;
  settings.workers = c.workers;
  parallel.state.Random = sequential.state.Random = RandomSource(99);

  StatisticMatrices fast = parallel.observed;
  ASSERT_EQ(SampleCompoundPairs(parallel.state, fast, settings), 0);
  const StatisticMatrices plain = SequentialOracle(sequential.state, sequential.observed, settings);
  EXPECT_EQ(fast.L, plain.L);
  EXPECT_EQ(fast.McNemarZ, plain.McNemarZ);
  EXPECT_EQ(fast.Kappa, plain.Kappa);
  EXPECT_EQ(fast.StdKappa, plain.StdKappa);
  EXPECT_EQ(parallel.state.Random.State(), sequential.state.Random.State());
}

INSTANTIATE_TEST_SUITE_P(
    Controls, CompoundSampling,
    ::testing::Values(OracleCase{0, 1, false, 3}, OracleCase{0, 2, true, 2}, OracleCase{1, 0, false, 4},
                      OracleCase{2, 1, false, 2}, OracleCase{3, 1, false, 3}, OracleCase{3, 2, true, 2},
                      OracleCase{4, 2, false, 3}, OracleCase{5, 1, false, 2}, OracleCase{5, 2, true, 3},
                      OracleCase{6, 1, false, 4}, OracleCase{6, 0, false, 1}));

TEST(CompoundSampling, NoSamplesDrawNothing) {
  SampledNetwork network(5, 2, false, 3);
  network.Observe(1);
  SamplingSettings settings;
  settings.sample_size = 0;
  const std::uint64_t before = network.state.Random.State();
  StatisticMatrices stats = network.observed;
  EXPECT_EQ(SampleCompoundPairs(network.state, stats, settings), 0);
  EXPECT_EQ(network.state.Random.State(), before);
  EXPECT_EQ(stats.L, network.observed.L);
}

TEST(CompoundSampling, BuffersThatCannotBeObtainedEndWithCode29) {
  SampledNetwork network(5, 2, false, 3);
  network.Observe(1);
  SamplingSettings settings;
  settings.sample_size = 3;
  network.state.Storage.FailAt(StorageKind::kSamplerBuffer, 2);
  StatisticMatrices stats = network.observed;
  EXPECT_EQ(SampleCompoundPairs(network.state, stats, settings), 29);
}

}  // namespace
}  // namespace quorel
