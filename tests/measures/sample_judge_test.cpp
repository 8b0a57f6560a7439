// The judge's shortcuts against the straightforward comparison: every table of small
// networks, held against thresholds at, just beside and far from its own statistics, so
// that the ties and near ties the shortcuts must leave to the full evaluation all occur.

#include "measures/sample_judge.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "measures/statistic_matrices.hpp"

namespace quorel {
namespace {

// The observed statistics of a pair whose table is x, as the statistic matrices hold them.
ObservedStatistics ObservedOf(const FourfoldTable& x, int counted) {
  float r0, r1, c0, c1, n;
  FourfoldMargins(x, r0, r1, c0, c1, n);
  ObservedStatistics o;
  o.kappa = static_cast<float>(KappaStatistic(x, r0, r1, c0, c1, n));
  o.standardized_kappa = static_cast<float>(StandardizedKappa(o.kappa, r0, r1, c0, c1, n));
  FourfoldTable adjusted = x, expected;
  AddToFourfold(adjusted, 0.5f);
  ExpectedFourfold(expected, adjusted, static_cast<std::int16_t>(counted));
  o.likelihood_ratio = static_cast<float>(LikelihoodRatioStatistic(adjusted, expected));
  return o;
}

// Thresholds about one table's statistics: the values themselves, one float step either
// side, their negations and zero.
std::vector<ObservedStatistics> ThresholdsAround(const ObservedStatistics& o) {
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<ObservedStatistics> around;
  for (const float step : {0.0f, -1.0f, 1.0f}) {
    const auto move = [&](float v) { return step == 0.0f ? v : std::nextafter(v, step * inf); };
    around.push_back({move(o.kappa), move(o.standardized_kappa), move(o.likelihood_ratio)});
  }
  around.push_back({-o.kappa, -o.standardized_kappa, -o.likelihood_ratio});
  around.push_back({0.0f, 0.0f, 0.0f});
  around.push_back({-0.0f, -0.0f, -0.0f});
  return around;
}

SampleReach Straightforward(const ObservedStatistics& o, const FourfoldTable& x, int counted) {
  StatisticMatrices stats;
  stats.Kappa = {0.0f, o.kappa, 0.0f, 0.0f};
  stats.StdKappa = {0.0f, o.standardized_kappa, 0.0f, 0.0f};
  stats.L = {0.0f, o.likelihood_ratio, 0.0f, 0.0f};
  return SampledTableReaches(stats, 2, 0, 1, x, counted);
}

void ExpectSameDecisions(const SampleJudge& judge, const ObservedStatistics& o, int counted, int a, int b, int s) {
  const FourfoldTable x = SampleTableOf(counted, a, b, s);
  const SampleReach fast = judge.Judge(o, counted, a, b, s);
  const SampleReach plain = Straightforward(o, x, counted);
  ASSERT_EQ(fast.kappa, plain.kappa) << counted << " " << a << " " << b << " " << s << " kappa " << o.kappa;
  ASSERT_EQ(fast.standardized_kappa, plain.standardized_kappa)
      << counted << " " << a << " " << b << " " << s << " std " << o.standardized_kappa;
  ASSERT_EQ(fast.likelihood_ratio, plain.likelihood_ratio)
      << counted << " " << a << " " << b << " " << s << " L " << o.likelihood_ratio;
}

// Every table of up to 7 actors, diagonal counted or not, against the thresholds about its
// own statistics and those of a few other tables of its size.
TEST(SampleJudge, DecidesAsTheStraightforwardComparisonOnEveryTableOfSmallNetworks) {
  std::mt19937 rng(5);
  for (int n = 1; n <= 7; ++n) {
    const SampleJudge judge(n);
    for (const int counted : {n * n - n, n * n}) {
      std::vector<ObservedStatistics> others;
      for (int a = 0; a <= counted; ++a) {
        for (int b = 0; b <= counted; ++b) {
          for (int s = std::max(0, a + b - counted); s <= std::min(a, b); ++s) {
            others.push_back(ObservedOf(SampleTableOf(counted, a, b, s), counted));
          }
        }
      }
      std::uniform_int_distribution<std::size_t> pick(0, others.size() - 1);
      for (int a = 0; a <= counted; ++a) {
        for (int b = 0; b <= counted; ++b) {
          for (int s = std::max(0, a + b - counted); s <= std::min(a, b); ++s) {
            for (const ObservedStatistics& o : ThresholdsAround(ObservedOf(SampleTableOf(counted, a, b, s), counted))) {
              ExpectSameDecisions(judge, o, counted, a, b, s);
            }
            for (int k = 0; k < 4; ++k) ExpectSameDecisions(judge, others[pick(rng)], counted, a, b, s);
          }
        }
      }
    }
  }
}

// Larger networks, with and without the margins held in tables (beyond 32 actors), over
// random tables and the near ties of their neighbours' statistics.
TEST(SampleJudge, DecidesAsTheStraightforwardComparisonOnLargerNetworks) {
  std::mt19937 rng(9);
  for (const int n : {18, 32, 33, 90}) {
    const SampleJudge judge(n);
    for (const int counted : {n * n - n, n * n}) {
      std::uniform_int_distribution<int> ties(0, counted);
      for (int trial = 0; trial < 20000; ++trial) {
        const int a = ties(rng), b = ties(rng);
        const int low = std::max(0, a + b - counted), high = std::min(a, b);
        const int s = std::uniform_int_distribution<int>(low, high)(rng);
        const int near = std::clamp(s + std::uniform_int_distribution<int>(-1, 1)(rng), low, high);
        for (const ObservedStatistics& o : ThresholdsAround(ObservedOf(SampleTableOf(counted, a, b, near), counted))) {
          ExpectSameDecisions(judge, o, counted, a, b, s);
        }
      }
    }
  }
}

}  // namespace
}  // namespace quorel
