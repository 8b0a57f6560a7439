#include "sampling/generator_permutations.hpp"

#include <gtest/gtest.h>

#include <tuple>

#include "measures/diagonal_rule.hpp"
#include "sampling/null_model.hpp"
#include "sampling_test_support.hpp"

namespace quorel {
namespace {

using testing_support::DrawsBetween;
using testing_support::Relation;

// (measure control, diagonal option, non-directional generator)
class GeneratorNullModel : public ::testing::TestWithParam<std::tuple<int, int, bool>> {};

TEST_P(GeneratorNullModel, KeepsWhatTheControlPromisesAndDrawsTheStatedCount) {
  const auto [control, diagonal_option, non_directional] = GetParam();
  const bool include = diagonal_option == 2;
  std::mt19937 gen(control * 10 + diagonal_option);
  int changed = 0, loops_moved = 0;
  for (int seed = 0; seed < 80; ++seed) {
    const int n = seed % 4 == 0 ? 25 : 1 + seed % 9;
    Relation m = testing_support::RandomRelation(gen, n, non_directional);
    const FixedMatrixRecord fixed = testing_support::GroupFixedMatrix(
        testing_support::RandomCells(gen, n, 3, non_directional), n);
    StorageGate gate;
    PermutationWorkspace ws;
    ASSERT_EQ(ws.Obtain(gate, n, control, fixed.MaxGroupSize), WorkspaceStatus::kReady);
    const auto kept =
        testing_support::KeptByControl(control, m, n, include, non_directional, fixed);
    const auto loops = testing_support::Diagonal(m, n);
    const Relation observed = m;
    RandomSource random(seed);
    // Two samples in a row: the second starts from the first's result, with the same buffers.
    for (int sample = 0; sample < 2; ++sample) {
      // A generator consumes what a pair sample does without its swap draws, except that the
      // directional density shuffle has no separate swap draws.
      const std::int64_t counted = CountedCells(n, include);
      const std::int64_t as_pair =
          PairSampleDrawCount(n, include, control, non_directional, m.data(), &fixed);
      const std::int64_t expected = control == 0 && !non_directional ? counted : as_pair - counted;
      const RandomSource start = random;
      PermuteUnderControl(random, m.data(), n, control, diagonal_option, non_directional, &fixed,
                          ws);
      EXPECT_EQ(DrawsBetween(start, random), static_cast<std::uint64_t>(expected)) << "n=" << n;
      EXPECT_EQ(testing_support::KeptByControl(control, m, n, include, non_directional, fixed),
                kept) << "n=" << n << " seed=" << seed;
      if (!include) {
        EXPECT_EQ(testing_support::Diagonal(m, n), loops) << "excluded loop changed";
      }
    }
    changed += m != observed;
    loops_moved += testing_support::Diagonal(m, n) != loops;
  }
  EXPECT_GT(changed, 20);
  if (include) {
    EXPECT_GT(loops_moved, 5);  // included loops take part
  }
}

INSTANTIATE_TEST_SUITE_P(Directional, GeneratorNullModel,
                         ::testing::Combine(::testing::Range(0, 7), ::testing::Values(0, 1, 2),
                                            ::testing::Values(false)));
// MA and MF treat non-directional generators apart; MB and MD keep symmetry by themselves.
INSTANTIATE_TEST_SUITE_P(NonDirectional, GeneratorNullModel,
                         ::testing::Combine(::testing::Values(0, 1, 3, 5), ::testing::Values(0, 2),
                                            ::testing::Values(true)));

TEST(GeneratorNullModel, SingleValueFixedMatrixShufflesLikeDensity) {
  std::mt19937 gen(1);
  for (int seed = 0; seed < 40; ++seed) {
    const int n = 2 + seed % 8;  // one actor would make a group of a single cell
    const bool include = seed % 2 == 0;
    const FixedMatrixRecord fixed =
        testing_support::GroupFixedMatrix(std::vector<int>(n * n, 4), n);
    StorageGate gate;
    PermutationWorkspace density, groups;
    ASSERT_EQ(density.Obtain(gate, n, 0, 0), WorkspaceStatus::kReady);
    ASSERT_EQ(groups.Obtain(gate, n, 5, fixed.MaxGroupSize), WorkspaceStatus::kReady);
    Relation by_density = testing_support::RandomRelation(gen, n, false);
    Relation by_groups = by_density;
    RandomSource first(seed), second(seed);
    PermuteUnderControl(first, by_density.data(), n, 0, include ? 2 : 0, false, nullptr, density);
    PermuteUnderControl(second, by_groups.data(), n, 5, include ? 2 : 0, false, &fixed, groups);
    EXPECT_EQ(by_groups, by_density) << "n=" << n;
    EXPECT_EQ(first.State(), second.State());
  }
}

TEST(GeneratorNullModel, FixedMatricesThatLeaveNothingToShuffle) {
  // All values distinct: every group is one cell, so neither MF nor MG moves anything.
  // Value = column: every actor has one cell of each value, so MG moves nothing.
  // Control 7 is no control at all.
  const int n = 6;
  std::vector<int> distinct(n * n), by_column(n * n);
  for (int i = 0; i < n * n; ++i) {
    distinct[i] = i;
    by_column[i] = i % n;
  }
  struct Case { int control; std::vector<int> values; };
  for (const Case& c :
       {Case{5, distinct}, Case{6, distinct}, Case{6, by_column}, Case{7, distinct}}) {
    std::mt19937 gen(c.control);
    const FixedMatrixRecord fixed = testing_support::GroupFixedMatrix(c.values, n);
    StorageGate gate;
    PermutationWorkspace ws;
    ASSERT_EQ(ws.Obtain(gate, n, c.control, fixed.MaxGroupSize), WorkspaceStatus::kReady);
    Relation m = testing_support::RandomRelation(gen, n, false);
    const Relation observed = m;
    RandomSource random(9);
    const RandomSource start = random;
    PermuteUnderControl(random, m.data(), n, c.control, 2, false, &fixed, ws);
    EXPECT_EQ(m, observed) << c.control;
    EXPECT_EQ(DrawsBetween(start, random), 0u);
  }
}

TEST(GeneratorNullModel, ReportsWhichBufferCouldNotBeObtained) {
  struct Case {
    int control;
    StorageKind kind;
    std::uint32_t nth;
    WorkspaceStatus status;
  };
  for (const Case& c : {Case{2, StorageKind::kSamplerBuffer, 3, WorkspaceStatus::kSamplerBufferFailed},
                        Case{4, StorageKind::kShuffleWork, 1, WorkspaceStatus::kShuffleWorkFailed},
                        Case{6, StorageKind::kSamplerBuffer, 1, WorkspaceStatus::kSamplerBufferFailed}}) {
    StorageGate gate;
    gate.FailAt(c.kind, c.nth);
    PermutationWorkspace ws;
    EXPECT_EQ(ws.Obtain(gate, 5, c.control, 4), c.status) << "control " << c.control;
  }
}

}  // namespace
}  // namespace quorel
