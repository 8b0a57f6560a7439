// The judge's shortcuts against the straightforward comparison: every table of small
// networks, held against thresholds at, just beside and far from its own statistics, so
// that the ties and near ties the shortcuts must leave to the full evaluation all occur.

#include "measures/sample_judge.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "support/observed_statistics.hpp"

namespace quorel {
namespace {


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


void ExpectSameDecisions(const SampleJudge& judge, const ObservedStatistics& o, int counted, int a, int b, int s) {
  const FourfoldTable x = SampleTableOf(counted, a, b, s);
  const SampleReach fast = judge.Judge(o, counted, a, b, s);
  const SampleReach plain = TableReaches(o, x, counted);
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
            others.push_back(testing::ObservedStatisticsOf(SampleTableOf(counted, a, b, s), counted));
          }
        }
      }
      std::uniform_int_distribution<std::size_t> pick(0, others.size() - 1);
      for (int a = 0; a <= counted; ++a) {
        for (int b = 0; b <= counted; ++b) {
          for (int s = std::max(0, a + b - counted); s <= std::min(a, b); ++s) {
            for (const ObservedStatistics& o : ThresholdsAround(testing::ObservedStatisticsOf(SampleTableOf(counted, a, b, s), counted))) {
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
        for (const ObservedStatistics& o : ThresholdsAround(testing::ObservedStatisticsOf(SampleTableOf(counted, a, b, near), counted))) {
          ExpectSameDecisions(judge, o, counted, a, b, s);
        }
      }
    }
  }
}

}  // namespace
}  // namespace quorel
