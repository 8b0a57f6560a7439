// The exact interval of a sampled proportion against the binomial's textbook values, and
// the one property a reader relies on: it holds its proportion.

#include "measures/proportion_interval.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace quorel {
namespace {

TEST(ClopperPearson, MatchesTheBinomialsExactBounds) {
  const struct {
    long k, n;
    double low, high;
  } cases[] = {
      {0, 10, 0.0, 1.0 - std::pow(0.025, 1.0 / 10)},      // no success: 1 - (alpha/2)^(1/n)
      {10, 10, std::pow(0.025, 1.0 / 10), 1.0},           // all successes, by symmetry
      {5, 10, 0.187086, 0.812914},
      {0, 1000, 0.0, 1.0 - std::pow(0.025, 1.0 / 1000)},
  };
  for (const auto& c : cases) {
    const ProportionInterval interval = ClopperPearson(c.k, c.n);
    EXPECT_NEAR(interval.low, c.low, 5e-7) << c.k << " of " << c.n;
    EXPECT_NEAR(interval.high, c.high, 5e-7) << c.k << " of " << c.n;
  }
}

TEST(ClopperPearson, EveryIntervalHoldsItsProportion) {
  for (const long n : {1L, 2L, 7L, 1000L, 32767L}) {
    for (long k = 0; k <= n; k += n > 100 ? n / 37 : 1) {
      const ProportionInterval interval = ClopperPearson(k, n);
      const double p = static_cast<double>(k) / static_cast<double>(n);
      EXPECT_LE(interval.low, p) << k << " of " << n;
      EXPECT_GE(interval.high, p) << k << " of " << n;
      EXPECT_LT(interval.low, interval.high) << k << " of " << n;
    }
  }
}

}  // namespace
}  // namespace quorel
