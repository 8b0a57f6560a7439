// One analysis spread over K processes: each samples its share of the pairs or of the
// samples, and the shares' counters must add up to those of a run alone, with every
// process's random stream ending where that run's ends (a data file's next problem goes on
// from there).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/process_share.hpp"
#include "sampling/compound_sampling.hpp"
#include "sampling/generator_sampling.hpp"
#include "sampling/sampled_network.hpp"

namespace quorel {
namespace {

using testing_support::SampledNetwork;

enum class Strategy { kPairs, kGenerators };

// The counters (lower cells of L, McNemar Z, kappa, standardized kappa) of one process's share,
// and the stream position it ended at.
struct ShareResult {
  std::vector<float> counters;
  std::uint64_t stream_end = 0;
};

struct Case {
  std::string name;
  Strategy strategy;
  int control;
  int directionality;
  int n;
};

ShareResult SampleShare(const Case& c, int sample_size, ProcessShare share) {
  SampledNetwork network(c.n, 2, c.directionality, 31 + c.n + c.control);
  network.Observe(1);
  AnalysisState& s = network.state;
  s.Random = RandomSource(1234);
  SamplingSettings settings;
  settings.sample_size = sample_size;
  settings.measure_control = c.control;
  settings.workers = 2;
  settings.share = share;
  StatisticMatrices stats = network.observed;
  const std::int16_t code =
      c.strategy == Strategy::kPairs
          ? SampleCompoundPairs(s.MatrixList, s.ElementCount, s.GeneratorCount, s.Directionality, s.FixedMatrix,
                                settings, stats, s.Random, s.Storage, nullptr)
          : SampleGenerators(s.MatrixList, s.ElementCount, s.GeneratorCount, network.words, network.NonDirectional(),
                             s.FixedMatrix, settings, stats, s.Random, s.Storage, nullptr);
  EXPECT_EQ(code, 0);
  ShareResult result;
  const int e = s.ElementCount;
  for (const std::vector<float>* m : {&stats.L, &stats.McNemarZ, &stats.Kappa, &stats.StdKappa}) {
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j) result.counters.push_back((*m)[static_cast<std::size_t>(j) * e + i]);
    }
  }
  result.stream_end = s.Random.State();
  return result;
}

const Case kCases[] = {
    {"pairs MA directional", Strategy::kPairs, kMA, 0, 9},
    {"pairs MB mixed", Strategy::kPairs, kMB, 2, 8},
    {"pairs MF fixed matrix", Strategy::kPairs, kMF, 0, 9},
    {"generators MA directional", Strategy::kGenerators, kMA, 0, 9},
    {"generators MC outdegrees", Strategy::kGenerators, kMC, 0, 8},
    {"generators MD dyads non-directional", Strategy::kGenerators, kMD, 1, 8},
    {"generators MF fixed matrix", Strategy::kGenerators, kMF, 0, 9},
};

TEST(SamplingShares, AddUpToTheRunAloneAndEndItsStreamForOneToFiveProcesses) {
  for (const Case& c : kCases) {
    // Three samples leave processes without any when K > 3.
    for (const int samples : {3, 17}) {
      const ShareResult alone = SampleShare(c, samples, {});
      for (int k = 1; k <= 5; ++k) {
        std::vector<float> sum(alone.counters.size(), 0.0f);
        for (int rank = 0; rank < k; ++rank) {
          const ShareResult part = SampleShare(c, samples, {rank, k});
          for (std::size_t x = 0; x < sum.size(); ++x) sum[x] += part.counters[x];
          EXPECT_EQ(part.stream_end, alone.stream_end) << c.name << ", rank " << rank << " of " << k;
        }
        EXPECT_EQ(sum, alone.counters) << c.name << ", " << samples << " samples over " << k;
      }
    }
  }
}

}  // namespace
}  // namespace quorel
