#include "sampling/pair_draws.hpp"

#include <gtest/gtest.h>

#include <tuple>

#include "sampling/generator_permutations.hpp"
#include "sampling/shuffles.hpp"
#include "sampling_test_support.hpp"

namespace quorel {
namespace {

using testing_support::DrawsBetween;
using testing_support::Relation;

std::vector<float> Cells(const FourfoldTable& t) { return {t[0], t[1], t[2], t[3]}; }

std::vector<float> ObservedTable(const Relation& a, const Relation& b, int n, bool include) {
  FourfoldTable t;
  for (int cell = 0; cell < n * n; ++cell) {
    if (cell / n != cell % n || include) t[2 * a[cell] + b[cell]] += 1.0f;
  }
  return Cells(t);
}

// (measure control, directionality)
class PairSampler : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(PairSampler, TablesKeepTheirMarginsAndDrawCountIsExact) {
  const auto [control, directionality] = GetParam();
  const bool symmetric = directionality == 1;
  // Symmetry is promised only by the controls that keep or mirror dyads.
  const bool keeps_symmetry =
      symmetric && (control == 0 || control == 1 || control == 3 || control == 5);
  std::mt19937 gen(control * 3 + directionality);
  int changed = 0;
  for (int seed = 0; seed < 60; ++seed) {
    const int n = seed % 4 == 0 ? 20 : 1 + seed % 8;
    const bool include = seed % 2 == 1;
    const Relation a = testing_support::RandomRelation(gen, n, symmetric);
    const Relation b = testing_support::RandomRelation(gen, n, symmetric);
    const FixedMatrixRecord fixed =
        testing_support::GroupFixedMatrix(testing_support::RandomCells(gen, n, 3, symmetric), n);
    StorageGate gate;
    PairWorkspace ws;
    ASSERT_EQ(ws.Obtain(gate, n, control, fixed.MaxGroupSize), WorkspaceStatus::kReady);
    ws.Prepare(a.data(), b.data(), include);
    const std::vector<float> observed = ObservedTable(a, b, n, include);
    const auto kept = testing_support::KeptByControl(control, b, n, include, keeps_symmetry, fixed);
    const auto draws = PairSampleDrawCount(n, include, control, directionality, b.data(), &fixed);
    RandomSource random(seed);
    for (int sample = 0; sample < 3; ++sample) {
      FourfoldTable x, y;
      x[0] = y[3] = 99.0f;  // stale counts must be cleared
      const RandomSource start = random;
      ASSERT_TRUE(DrawPairSample(random, control, directionality, &fixed, ws, x, y));
      EXPECT_EQ(DrawsBetween(start, random), static_cast<std::uint64_t>(draws)) << "n=" << n;
      // A is never randomised, and the swap table only exchanges the two values of a cell.
      EXPECT_EQ(x[2] + x[3], observed[2] + observed[3]);
      EXPECT_EQ(x[0] + x[1] + x[2] + x[3], static_cast<float>(ws.counted));
      EXPECT_EQ(y[0] + y[3], observed[0] + observed[3]);
      EXPECT_EQ(y[1] + y[2], observed[1] + observed[2]);
      if (control == 0 && !symmetric) {  // no copy of B is formed; its ties are X's margin
        EXPECT_EQ(x[1] + x[3], observed[1] + observed[3]);
      } else {
        EXPECT_EQ(testing_support::KeptByControl(control, ws.w, n, include, keeps_symmetry, fixed),
                  kept) << "n=" << n << " seed=" << seed;
      }
      if (control == 0 && symmetric && !include) {
        // Every unordered pair of symmetric relations is counted twice.
        for (int k = 0; k < 4; ++k) EXPECT_EQ(static_cast<int>(x[k]) % 2, 0);
      }
      changed += Cells(x) != observed;
    }
  }
  EXPECT_GT(changed, 20);
}

INSTANTIATE_TEST_SUITE_P(AllControls, PairSampler,
                         ::testing::Combine(::testing::Range(0, 7), ::testing::Values(0, 1, 2)));

TEST(PairSampler, DensityPairsAWithAForwardShuffleOfB) {
  std::mt19937 gen(4);
  for (int seed = 0; seed < 30; ++seed) {
    const int n = 1 + seed % 10;
    const bool include = seed % 2 == 0;
    const Relation a = testing_support::RandomRelation(gen, n, false);
    const Relation b = testing_support::RandomRelation(gen, n, false);
    StorageGate gate;
    PairWorkspace ws;
    ASSERT_EQ(ws.Obtain(gate, n, 0, 0), WorkspaceStatus::kReady);
    ws.Prepare(a.data(), b.data(), include);
    FourfoldTable x, y;
    RandomSource random(seed);
    DrawDensity(random, ws, x, y);

    // The same draws through the plain shuffle, and read once more for the swaps.
    Relation ea(n * n), eb(n * n), shuffled(n * n);
    const int count = ExtractCells(a.data(), n, ea.data(), include);
    ExtractCells(b.data(), n, eb.data(), include);
    RandomSource shuffle_draws(seed), swap_draws(seed);
    ShuffleBytes(shuffle_draws, eb.data(), count, shuffled.data());
    FourfoldTable expect_x, expect_y;
    for (int k = 0; k < count; ++k) {
      expect_x[2 * ea[k] + shuffled[k]] += 1.0f;
      CountCellWithRandomSwap(swap_draws, expect_y, ea[k], eb[k]);
    }
    EXPECT_EQ(Cells(x), Cells(expect_x)) << "n=" << n;
    EXPECT_EQ(Cells(y), Cells(expect_y)) << "n=" << n;
    EXPECT_EQ(random.State(), shuffle_draws.State());
  }
}

TEST(PairSampler, NonDirectionalGroupsOnAnAsymmetricFixedMatrixKeepTheLowerCell) {
  // All relations non-directional, loops excluded, B with a tie only from actor 1 to actor 0.
  // Fixed 1 2 / 1 1: cell (1,0) shares its group with the loops, but its mirror (0,1) is a
  //   group of its own, so nothing shuffles into (1,0): it keeps B's value.
  // Fixed 1 1 / 2 1: (0,1) is mirrored into (1,0), then (1,0), a later group of its own, takes
  //   B's value back.
  const Relation a = {0, 1, 1, 0};
  const Relation b = {0, 0, 1, 0};
  for (const std::vector<int>& values :
       {std::vector<int>{1, 2, 1, 1}, std::vector<int>{1, 1, 2, 1}}) {
    const FixedMatrixRecord fixed = testing_support::GroupFixedMatrix(values, 2);
    StorageGate gate;
    PairWorkspace ws;
    ASSERT_EQ(ws.Obtain(gate, 2, 5, fixed.MaxGroupSize), WorkspaceStatus::kReady);
    ws.Prepare(a.data(), b.data(), false);
    RandomSource random(1);
    for (int sample = 0; sample < 5; ++sample) {
      FourfoldTable x, y;
      DrawWithinGroups(random, ws, fixed, 1, x, y);
      EXPECT_EQ(ws.w[2], 1) << values[1];
      EXPECT_EQ(Cells(x), ObservedTable(a, b, 2, false));
    }
  }
}

TEST(PairSampler, OutdegreeSamplesContinueFromThePreviousPermutation) {
  std::mt19937 gen(8);
  const int n = 6;
  const Relation b = testing_support::RandomRelation(gen, n, false);
  StorageGate gate;
  PairWorkspace carried, restarted;
  ASSERT_EQ(carried.Obtain(gate, n, 4, 0), WorkspaceStatus::kReady);
  ASSERT_EQ(restarted.Obtain(gate, n, 4, 0), WorkspaceStatus::kReady);
  int differ = 0;
  for (int seed = 0; seed < 20; ++seed) {
    carried.Prepare(b.data(), b.data(), false);
    restarted.Prepare(b.data(), b.data(), false);
    FourfoldTable x, y;
    RandomSource random(seed);
    DrawOutdegreeDistribution(random, carried, x, y);
    // The second sample from one stream position, once carrying on and once from the start.
    RandomSource again = random;
    DrawOutdegreeDistribution(random, carried, x, y);
    DrawOutdegreeDistribution(again, restarted, x, y);
    differ += carried.w != restarted.w;
  }
  EXPECT_GT(differ, 10);
}

TEST(PairSampler, ControlsWithoutASamplerDrawNothing) {
  const Relation b(9, 1);
  StorageGate gate;
  PairWorkspace ws;
  ASSERT_EQ(ws.Obtain(gate, 3, 5, 9), WorkspaceStatus::kReady);
  ws.Prepare(b.data(), b.data(), true);
  for (int control : {-1, 7, 5, 6}) {  // MF and MG here without a fixed matrix
    FourfoldTable x, y;
    RandomSource random(3);
    const RandomSource start = random;
    EXPECT_FALSE(DrawPairSample(random, control, 0, nullptr, ws, x, y)) << control;
    EXPECT_EQ(DrawsBetween(start, random), 0u);
    EXPECT_EQ(PairSampleDrawCount(3, true, control, 0, b.data(), nullptr), 0);
  }
}

TEST(SamplingWorkspaces, ReportWhichBufferCouldNotBeObtained) {
  struct Case {
    bool pair;
    int control;
    StorageKind kind;
    std::uint32_t nth;
    WorkspaceStatus status;
  };
  const auto sampler = WorkspaceStatus::kSamplerBufferFailed;
  const auto shuffle = WorkspaceStatus::kShuffleWorkFailed;
  for (const Case& c : {Case{true, 0, StorageKind::kSamplerBuffer, 5, sampler},
                        Case{true, 4, StorageKind::kShuffleWork, 1, shuffle},
                        Case{true, 5, StorageKind::kSamplerBuffer, 2, sampler},
                        Case{false, 2, StorageKind::kSamplerBuffer, 3, sampler},
                        Case{false, 4, StorageKind::kShuffleWork, 1, shuffle},
                        Case{false, 6, StorageKind::kSamplerBuffer, 1, sampler}}) {
    StorageGate gate;
    gate.FailAt(c.kind, c.nth);
    PairWorkspace pair;
    PermutationWorkspace generator;
    EXPECT_EQ(c.pair ? pair.Obtain(gate, 5, c.control, 4) : generator.Obtain(gate, 5, c.control, 4),
              c.status) << "control " << c.control;
  }
}

}  // namespace
}  // namespace quorel
