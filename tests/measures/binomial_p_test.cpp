#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

#include "measures/fourfold_table.hpp"

namespace quorel {
namespace {

double SignTest(float b, float c) { return BinomialP(FourfoldTable{{0.0f, b, c, 0.0f}}); }

TEST(BinomialCoefficient, MatchesPascalsTriangle) {
  std::vector<long double> row{1.0L};  // exact: every entry up to n = 60 is below 2^64
  for (int n = 0; n <= 60; ++n) {
    for (int k = 0; k <= n; ++k) {
      const double exact = static_cast<double>(row[k]);
      EXPECT_NEAR(BinomialCoefficient(n, k), exact, 4e-16 * exact) << n << " over " << k;
    }
    EXPECT_EQ(BinomialCoefficient(n, n + 1), 0.0);
    std::vector<long double> next(row.size() + 1, 0.0L);
    for (std::size_t k = 0; k < next.size(); ++k) {
      next[k] = (k < row.size() ? row[k] : 0.0L) + (k > 0 ? row[k - 1] : 0.0L);
    }
    row.swap(next);
  }
}

TEST(BinomialP, DiscordantCellsInBalanceGiveOne) {
  for (int b : {0, 1, 7, 600, 16000}) EXPECT_EQ(SignTest(b, b), 1.0) << b;
}

TEST(BinomialP, SmallTablesFromTheDefinition) {
  EXPECT_EQ(SignTest(2, 3), 1.0);    // 2 (1 + 5 + 10) / 32
  EXPECT_EQ(SignTest(3, 0), 0.25);   // 2 * 0.5^3
  EXPECT_EQ(SignTest(0, 3), 0.25);
  EXPECT_EQ(SignTest(1, 9), 2.0 * 11.0 / 1024.0);
}

TEST(BinomialP, ZeroBelowTheSmallestNormalFloat) {
  // All discordant cells on one side: P = 2 * 0.5^c = 2^(1 - c).
  EXPECT_EQ(SignTest(0, 126), std::ldexp(1.0, -125));
  EXPECT_EQ(SignTest(0, 127), static_cast<double>(FLT_MIN));
  EXPECT_EQ(SignTest(0, 128), 0.0);
}

TEST(BinomialP, ZeroWhenOneHalfToTheDiscordantCountLeavesTheDoubleRange) {
  EXPECT_GT(SignTest(536, 537), 0.0);  // b + c = 1073, nearly balanced
  EXPECT_GT(SignTest(536, 538), 0.0);  // b + c = 1074
  for (int extra : {1, 2, 30, 1000}) {
    const int n = 1074 + extra;
    EXPECT_EQ(SignTest(n / 2, n - n / 2 + 1), 0.0) << n;
  }
}

}  // namespace
}  // namespace quorel
