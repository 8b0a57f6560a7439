// The counting samplers against the straightforward pair samples: the same stream positions
// must give the sample table's overlap and tie count and the swap table's "second only" count,
// sample by sample, for every control, directionality, diagonal decision and network size.

#include "sampling/overlap_sampler.hpp"

#include <gtest/gtest.h>

#include <tuple>

#include "sampling/positioned_draws.hpp"
#include "sampling/reference_pair_draws.hpp"
#include "sampling/shuffles.hpp"
#include "sampling_test_support.hpp"

namespace quorel {
namespace {

using testing_support::DrawReferenceSample;
using testing_support::DrawsBetween;
using testing_support::ReferencePairWorkspace;
using testing_support::Relation;

std::vector<DrawKernel> AvailableKernels() {
  std::vector<DrawKernel> kernels;
  for (DrawKernel k : {DrawKernel::kPlain, DrawKernel::kAvx2, DrawKernel::kAvx512}) {
    if (DrawKernelAvailable(k)) kernels.push_back(k);
  }
  return kernels;
}

TEST(PositionedDraws, DrawAtIsTheStreamDrawAtThatPosition) {
  for (std::uint64_t seed : {0ull, 1ull, 0xFFFFFFFFFFFFFFFFull, 0x123456789ABCDEFull}) {
    RandomSource random(seed);
    for (std::uint64_t q = 0; q < 2000; ++q) ASSERT_EQ(RandomSource::DrawAt(seed, q), random.Draw()) << q;
  }
}

TEST(PositionedDraws, ShufflePicksAreTheShuffleIndexesOfTheStream) {
  // Counts around the vector widths, a long one, and steps short of the count.
  for (DrawKernel kernel : AvailableKernels()) {
    for (int count : {0, 1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 33, 1000, 32767}) {
      for (int steps : {count, count / 2, count > 0 ? count - 1 : 0}) {
        const std::uint64_t state = 0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(count + 3 * steps);
        std::vector<std::uint16_t> picks(static_cast<std::size_t>(count) + 1, 0xFFFF);
        ShufflePicks(kernel, state, count, steps, picks.data());
        RandomSource random(state);
        for (int k = 0; k < steps; ++k) {
          ASSERT_EQ(picks[k], PickIndex(k, count - k, random.Draw())) << "count " << count << " step " << k;
        }
        EXPECT_EQ(picks[steps], 0xFFFF) << "wrote past the last step";
      }
    }
  }
}

TEST(PositionedDraws, CountHighDrawsCountsTheExchangedCells) {
  std::mt19937_64 gen(5);
  for (DrawKernel kernel : AvailableKernels()) {
    for (int count : {0, 1, 3, 4, 5, 8, 9, 13, 64, 301}) {
      std::vector<std::uint64_t> offsets(count);
      for (auto& offset : offsets) offset = gen();
      const std::uint64_t state = gen();
      int expected = 0;
      for (std::uint64_t offset : offsets) expected += RandomSource(state + offset - RandomSource::kIncrement).Draw() >= 16384;
      EXPECT_EQ(CountHighDraws(kernel, state, offsets.data(), count), expected) << count;
    }
  }
}

// A pair of relations, and the fixed matrix for MF and MG, of one kind.
struct PairCase {
  Relation a, b;
  FixedMatrixRecord fixed;
};

// Relations of many densities, symmetric or not whatever the directionality (compounds of
// non-directional generators need not be symmetric), and the extremes: an empty or full first
// relation, equal relations, a second relation without ties. Fixed matrices of few or many
// values, symmetric or not.
PairCase MakeCase(std::mt19937& gen, int n, int variant) {
  const auto relation = [&](double density, bool symmetric) {
    Relation m(static_cast<std::size_t>(n) * n);
    std::bernoulli_distribution tie(density);
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) m[r * n + c] = symmetric && c < r ? m[c * n + r] : tie(gen);
    }
    return m;
  };
  const double densities[] = {0.05, 0.3, 0.5, 0.8, 0.97};
  PairCase p;
  const bool symmetric = variant % 3 == 1;
  p.a = relation(densities[variant % 5], symmetric);
  p.b = relation(densities[(variant / 5) % 5], symmetric || variant % 7 == 2);
  switch (variant % 11) {
    case 3: std::fill(p.a.begin(), p.a.end(), 0); break;
    case 5: std::fill(p.a.begin(), p.a.end(), 1); break;
    case 7: p.b = p.a; break;
    case 9: std::fill(p.b.begin(), p.b.end(), 0); break;
    default: break;
  }
  const int values = variant % 4 == 0 ? n * n : 2 + variant % 3;
  p.fixed = testing_support::GroupFixedMatrix(testing_support::RandomCells(gen, n, values, variant % 2 == 0), n);
  return p;
}

// (measure control, directionality)
class OverlapSamplerMatches : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(OverlapSamplerMatches, TheStraightforwardSamplesSampleBySample) {
  const auto [control, directionality] = GetParam();
  std::mt19937 gen(100 * control + directionality);
  int varying = 0;
  int cases = 0;
  for (int n : {1, 2, 3, 4, 5, 6, 9, 13, 20, 33, 71, 100}) {
    const int variants = n <= 20 ? 24 : n <= 71 ? 6 : 2;
    for (int variant = 0; variant < variants; ++variant) {
      const PairCase p = MakeCase(gen, n, variant);
      for (bool include : {false, true}) {
        StorageGate gate;
        ReferencePairWorkspace plain(n, control, directionality, &p.fixed);
        OverlapSampler counting;
        ASSERT_EQ(counting.Obtain(gate, n, control, directionality, &p.fixed), WorkspaceStatus::kReady);
        plain.Prepare(p.a.data(), p.b.data(), include);
        counting.Prepare(p.a.data(), p.b.data(), include);
        ASSERT_TRUE(counting.Active());
        varying += counting.SecondTiesVary();
        ++cases;
        RandomSource random(static_cast<std::uint64_t>(n) * 1000 + variant);
        // Several samples in a row: ME's permutation carries over between them.
        for (int sample = 0; sample < 4; ++sample) {
          const RandomSource start = random;
          FourfoldTable x, y;
          ASSERT_TRUE(DrawReferenceSample(random, plain, x, y));
          const OverlapSample counted = counting.Draw(start.State());
          ASSERT_EQ(DrawsBetween(start, random), static_cast<std::uint64_t>(counting.DrawsPerSample()));
          ASSERT_EQ(counted.overlap, x[3]) << "n=" << n << " variant=" << variant << " include=" << include
                                           << " sample=" << sample;
          ASSERT_EQ(counted.second_ties, x[1] + x[3]) << "n=" << n << " variant=" << variant;
          ASSERT_EQ(counting.FirstTies(), x[2] + x[3]);
          ASSERT_EQ(counting.Counted(), x[0] + x[1] + x[2] + x[3]);
          if (!counting.SecondTiesVary()) {
            ASSERT_EQ(counting.SecondTies(), x[1] + x[3]);
          }
          ASSERT_EQ(counted.second_only, y[1]) << "n=" << n << " variant=" << variant;
          ASSERT_EQ(counting.Discordant(), y[1] + y[2]);
        }
      }
    }
  }
  // Under MF with all relations non-directional, fixed matrices that are not symmetric make
  // some values land on more cells than others.
  if (control == 5 && directionality == 1) {
    EXPECT_GT(varying, 0);
  } else {
    EXPECT_EQ(varying, 0);
  }
  EXPECT_GT(cases, 300);
}

INSTANTIATE_TEST_SUITE_P(AllControls, OverlapSamplerMatches,
                         ::testing::Combine(::testing::Range(0, 7), ::testing::Values(0, 1, 2)));

TEST(OverlapSampler, EveryKernelGivesTheSameSamples) {
  // The kernels are compared with the stream above; here the samples they lead to, end to end,
  // on loops included and excluded, for a size that leaves remainders of every vector width.
  std::mt19937 gen(3);
  const int n = 23;
  const PairCase p = MakeCase(gen, n, 1);
  for (DrawKernel kernel : AvailableKernels()) {
    for (int control = 0; control < 7; ++control) {
      for (bool include : {false, true}) {
        StorageGate gate;
        OverlapSampler sampler;
        ReferencePairWorkspace plain(n, control, 0, &p.fixed);
        ASSERT_EQ(sampler.Obtain(gate, n, control, 0, &p.fixed), WorkspaceStatus::kReady);
        sampler.UseKernel(kernel);
        sampler.Prepare(p.a.data(), p.b.data(), include);
        plain.Prepare(p.a.data(), p.b.data(), include);
        RandomSource random(control);
        for (int sample = 0; sample < 10; ++sample) {
          const std::uint64_t state = random.State();
          FourfoldTable x, y;
          DrawReferenceSample(random, plain, x, y);
          const OverlapSample s = sampler.Draw(state);
          ASSERT_EQ(s.overlap, x[3]) << "control " << control;
          ASSERT_EQ(s.second_only, y[1]) << "control " << control;
        }
      }
    }
  }
}

TEST(OverlapSampler, ControlsWithoutASamplerAreInactive) {
  const Relation b(9, 1);
  for (int control : {-1, 7, 5, 6}) {  // MF and MG here without a fixed matrix
    StorageGate gate;
    OverlapSampler sampler;
    ASSERT_EQ(sampler.Obtain(gate, 3, control, 0, nullptr), WorkspaceStatus::kReady);
    sampler.Prepare(b.data(), b.data(), true);
    EXPECT_FALSE(sampler.Active());
    EXPECT_EQ(sampler.DrawsPerSample(), 0);
  }
}

TEST(OverlapSampler, NonDirectionalGroupsOnAnAsymmetricFixedMatrixKeepTheLowerCell) {
  // All relations non-directional, loops excluded, B with a tie only from actor 1 to actor 0,
  // which A shares. Either way W keeps B's tie at (1,0), so every sample is B itself:
  // Fixed 1 2 / 1 1: cell (1,0) shares its group with the loops, but its mirror (0,1) is a
  //   group of its own, so nothing is shuffled into (1,0).
  // Fixed 1 1 / 2 1: (0,1) is mirrored into (1,0), then (1,0), a later group of its own, takes
  //   B's value back.
  const Relation a = {0, 1, 1, 0};
  const Relation b = {0, 0, 1, 0};
  for (const std::vector<int>& values : {std::vector<int>{1, 2, 1, 1}, std::vector<int>{1, 1, 2, 1}}) {
    const FixedMatrixRecord fixed = testing_support::GroupFixedMatrix(values, 2);
    StorageGate gate;
    OverlapSampler sampler;
    ASSERT_EQ(sampler.Obtain(gate, 2, 5, 1, &fixed), WorkspaceStatus::kReady);
    sampler.Prepare(a.data(), b.data(), false);
    for (std::uint64_t state = 0; state < 5; ++state) {
      const OverlapSample s = sampler.Draw(state);
      EXPECT_EQ(s.second_ties, 1) << values[1];
      EXPECT_EQ(s.overlap, 1) << values[1];
    }
  }
}

TEST(OverlapSampler, ReportsWhichBufferCouldNotBeObtained) {
  const FixedMatrixRecord fixed = testing_support::GroupFixedMatrix(std::vector<int>(25, 1), 5);
  for (int control = 0; control < 7; ++control) {
    StorageGate gate;
    gate.FailAt(StorageKind::kSamplerBuffer, 3);
    OverlapSampler sampler;
    EXPECT_EQ(sampler.Obtain(gate, 5, control, 0, &fixed), WorkspaceStatus::kSamplerBufferFailed) << control;
  }
  StorageGate gate;
  gate.FailAt(StorageKind::kShuffleWork, 1);
  OverlapSampler sampler;
  EXPECT_EQ(sampler.Obtain(gate, 5, 4, 0, nullptr), WorkspaceStatus::kShuffleWorkFailed);
}

}  // namespace
}  // namespace quorel
