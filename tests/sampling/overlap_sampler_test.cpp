// The counting samplers against the straightforward pair samples: the same stream positions
// must give the sample table's overlap and tie count and the swap table's "second only" count,
// sample by sample, for every control, directionality, diagonal decision, network size and
// draw kernel (the kernels take turns, so each meets counts of every remainder).

#include "sampling/overlap_sampler.hpp"

#include <gtest/gtest.h>

#include <tuple>

#include "sampling/positioned_draws.hpp"
#include "sampling/reference_pair_draws.hpp"
#include "sampling_test_support.hpp"

namespace quorel {
namespace {

using testing_support::DrawsBetween;
using testing_support::Relation;

std::vector<DrawKernel> AvailableKernels() {
  std::vector<DrawKernel> kernels;
  for (DrawKernel k : {DrawKernel::kPlain, DrawKernel::kAvx2, DrawKernel::kAvx512}) {
    if (DrawKernelAvailable(k)) kernels.push_back(k);
  }
  return kernels;
}

// A pair of relations, and the fixed matrix for MF and MG, of one kind: many densities,
// symmetric or not whatever the directionality (compounds of non-directional generators need
// not be symmetric), and the extremes: an empty or full first relation, equal relations, a
// second relation without ties. Fixed matrices of few or many values, symmetric or not.
struct PairCase {
  Relation a, b;
  FixedMatrixRecord fixed;
};

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
  const std::vector<DrawKernel> kernels = AvailableKernels();
  std::mt19937 gen(100 * control + directionality);
  int varying = 0;
  int cases = 0;
  for (int n : {1, 2, 3, 4, 5, 6, 9, 13, 20, 23, 33, 71, 100}) {
    const int variants = n <= 23 ? 24 : n <= 71 ? 6 : 2;
    for (int variant = 0; variant < variants; ++variant) {
      const PairCase p = MakeCase(gen, n, variant);
      for (bool include : {false, true}) {
        StorageGate gate;
        testing_support::ReferencePairWorkspace plain(n, control, directionality, &p.fixed);
        OverlapSampler counting;
        ASSERT_EQ(counting.Obtain(gate, n, control, directionality, &p.fixed), WorkspaceStatus::kReady);
        counting.UseKernel(kernels[(variant + include) % kernels.size()]);
        plain.Prepare(p.a.data(), p.b.data(), include);
        counting.Prepare(p.a.data(), p.b.data(), include);
        ASSERT_TRUE(counting.Active());
        varying += counting.SecondTiesVary();
        ++cases;
        RandomSource random(static_cast<std::uint64_t>(n) * 1000 + variant);
        // Several samples in a row: ME's permutation carries over between them.
        for (int sample = 0; sample < 4; ++sample) {
          SCOPED_TRACE("n=" + std::to_string(n) + " variant=" + std::to_string(variant) +
                       " include=" + std::to_string(include) + " sample=" + std::to_string(sample));
          const RandomSource start = random;
          FourfoldTable x, y;
          ASSERT_TRUE(testing_support::DrawReferenceSample(random, plain, x, y));
          const OverlapSample counted = counting.Draw(start.State());
          ASSERT_EQ(DrawsBetween(start, random), static_cast<std::uint64_t>(counting.DrawsPerSample()));
          ASSERT_EQ(counted.overlap, x[3]);
          ASSERT_EQ(counted.second_ties, x[1] + x[3]);
          ASSERT_EQ(counting.FirstTies(), x[2] + x[3]);
          ASSERT_EQ(counting.Counted(), x[0] + x[1] + x[2] + x[3]);
          if (!counting.SecondTiesVary()) {
            ASSERT_EQ(counting.SecondTies(), x[1] + x[3]);
          }
          ASSERT_EQ(counted.second_only, y[1]);
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

}  // namespace
}  // namespace quorel
