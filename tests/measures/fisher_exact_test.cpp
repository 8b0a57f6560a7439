#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <random>

#include "measures/fourfold_table.hpp"

namespace quorel {
namespace {

// The plain definitions, step for step in long double, without any care for the exponent
// range: the oracle for small tables, where they stay finite.
double PlainHypergeometric(int p, int q, int r, int s) {
  long double P = 1.0L;
  for (int i = 1; i <= p; ++i) {
    P = P * (r + i);
    P = P / i;
  }
  for (int j = 1; j <= r; ++j) {
    P = P * (s + j);
    P = P / (p + q + j);
  }
  for (int l = 1; l <= s; ++l) {
    P = P * (q + l);
    P = P / (p + q + r + l);
  }
  return static_cast<double>(P);
}

double PlainFisherExactP(int a, int b, int c, int d) {
  const long long det = static_cast<long long>(a) * d - static_cast<long long>(b) * c;
  if (det == 0) return 1.0;
  const int w[4] = {a, b, d, c};
  const int k = det > 0 ? (b >= c ? 3 : 1) : (a >= d ? 2 : 0);
  const int x0 = w[k], x1 = w[(k + 1) % 4], x2 = w[(k + 2) % 4], x3 = w[(k + 3) % 4];
  const double p0 = PlainHypergeometric(x0, x1, x3, x2);
  double tail = p0;
  for (int t = 1; t <= x0; ++t) tail += PlainHypergeometric(x0 - t, x1 + t, x3 + t, x2 - t);
  const int m = x1 < x3 ? x1 : x3;
  double other = 0;
  for (int u = 0; u < m; ++u) {
    const double r = PlainHypergeometric(x0 + m - u, x1 - m + u, x3 - m + u, x2 + m - u);
    if (r > p0) break;
    other += r;
  }
  const double p = other + tail;
  return p < FLT_MIN ? 0.0 : p;
}

double Fisher(float a, float b, float c, float d) { return FisherExactP(FourfoldTable{{a, b, c, d}}); }

TEST(HypergeometricProbability, SameBitsAsThePlainProductWhereThatIsFinite) {
  // Up to 5500 per cell the partial products reach about 10^3300: past the point where the
  // exponent is set aside (2^8192), still inside the long double range.
  std::mt19937 rng(5);
  for (int limit : {6, 40, 600, 5500}) {
    std::uniform_int_distribution<int> cell(0, limit);
    for (int i = 0; i < 400; ++i) {
      const int p = cell(rng), q = cell(rng), r = cell(rng), s = cell(rng);
      const double plain = PlainHypergeometric(p, q, r, s);
      ASSERT_TRUE(std::isfinite(plain));
      EXPECT_EQ(HypergeometricProbability(p, q, r, s), plain) << p << " " << q << " " << r << " " << s;
    }
  }
}

TEST(HypergeometricProbability, IsTheSameWhicheverCellOfTheCycleComesFirst) {
  // Table (3, 5, 2, 7) in cyclic order a, b, d, c = 3, 5, 7, 2; probability 72/221.
  const int w[4] = {3, 5, 7, 2};
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(HypergeometricProbability(w[k], w[(k + 1) % 4], w[(k + 3) % 4], w[(k + 2) % 4]),
                72.0 / 221.0, 1e-16)
        << "x0 = cell " << k;
  }
}

TEST(HypergeometricProbability, StaysFiniteAndExactBeyondTheExtendedRange) {
  // 1 / C(32000, 16000) is about 10^-9630: the plain partial products pass 10^4932.
  EXPECT_EQ(HypergeometricProbability(16000, 0, 0, 16000), 0.0);
  // The balanced table with 8000 in each cell, against the log-gamma form of the factorials.
  const double logP = 4 * std::lgamma(16001.0) - std::lgamma(32001.0) - 4 * std::lgamma(8001.0);
  EXPECT_NEAR(HypergeometricProbability(8000, 8000, 8000, 8000), std::exp(logP), 1e-9 * std::exp(logP));
}

// Same tables counted (a different decision moves P by at least P0, which is at least
// P / (n + 1)); the terms themselves may differ from the plain products in their last bits.
void ExpectSameAsPlainWalk(int a, int b, int c, int d) {
  const double plain = PlainFisherExactP(a, b, c, d);
  const double fast = Fisher(a, b, c, d);
  EXPECT_NEAR(fast, plain, 1e-13 * plain) << a << " " << b << " " << c << " " << d;
  // What the statistic matrix stores is the same.
  EXPECT_EQ(static_cast<float>(fast), static_cast<float>(plain)) << a << " " << b << " " << c << " " << d;
}

TEST(FisherExactP, AgreesWithThePlainWalkOnEverySmallTable) {
  // About one table in ten here has an opposite-side table exactly as probable as itself.
  for (int a = 0; a <= 12; ++a)
    for (int b = 0; b <= 12; ++b)
      for (int c = 0; c <= 12; ++c)
        for (int d = 0; d <= 12; ++d) ExpectSameAsPlainWalk(a, b, c, d);
}

TEST(FisherExactP, AgreesWithThePlainWalkOnMediumTables) {
  std::mt19937 rng(11);
  for (int limit : {40, 150, 400}) {
    std::uniform_int_distribution<int> cell(0, limit);
    for (int i = 0; i < 300; ++i) ExpectSameAsPlainWalk(cell(rng), cell(rng), cell(rng), cell(rng));
  }
}

TEST(FisherExactP, ExactTieFallsAsInThePlainWalk) {
  // (7, 5, 1, 3): the tables with T0 = 5 and T0 = 7 both have probability 16/65. Counting
  // the T0 = 5 table gives 37/65, leaving it out 21/65; the plain walk decides by the
  // rounding of the two products, and this one follows it. With the 80-bit long double of
  // x86-64 the T0 = 5 table comes out no larger than the observed one and is counted.
  const double p = Fisher(7, 5, 1, 3);
  EXPECT_EQ(p, PlainFisherExactP(7, 5, 1, 3));
  EXPECT_TRUE(std::fabs(p - 37.0 / 65.0) < 1e-15 || std::fabs(p - 21.0 / 65.0) < 1e-15) << p;
}

TEST(FisherExactP, ExactTiesWhereNeighbourStepsRoundOtherwiseThanTheProduct) {
  // Each of these has an opposite-side table exactly as probable as itself, and the
  // probability reached by stepping from table to table rounds to the other side of P0
  // than the defining product does; the result must still follow the product.
  for (const auto& t : {std::array<int, 4>{14, 9, 20, 15}, std::array<int, 4>{35, 4, 32, 7},
                        std::array<int, 4>{31, 30, 26, 27}, std::array<int, 4>{27, 7, 2, 22},
                        std::array<int, 4>{30, 11, 34, 14}, std::array<int, 4>{44, 97, 93, 48},
                        std::array<int, 4>{75, 50, 35, 90}, std::array<int, 4>{85, 34, 68, 51}}) {
    ExpectSameAsPlainWalk(t[0], t[1], t[2], t[3]);
  }
}

struct FisherCase {
  const char* name;
  float a, b, c, d;
  double p;
  double relativeTolerance;
};

void PrintTo(const FisherCase& c, std::ostream* os) { *os << c.name; }

class FisherExactValues : public ::testing::TestWithParam<FisherCase> {};

TEST_P(FisherExactValues, Match) {
  const FisherCase& c = GetParam();
  EXPECT_NEAR(Fisher(c.a, c.b, c.c, c.d), c.p, c.relativeTolerance * c.p);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, FisherExactValues,
    ::testing::Values(
        FisherCase{"WorkedExample", 10, 2, 3, 5, 302.0 / 4845.0, 1e-15},
        // 2 / C(130, 65) is just above the smallest normal float, 2 / C(132, 66) below.
        FisherCase{"JustAboveFloatRange", 65, 0, 0, 65, 2.103765590632613e-38, 1e-13},
        FisherCase{"JustBelowFloatRange", 66, 0, 0, 66, 0.0, 0},
        FisherCase{"FarBelowFloatRange", 16000, 0, 0, 16000, 0.0, 0},
        // Margins beyond 16000: the plain products leave the long double range here.
        FisherCase{"LargeMargins", 4000, 7000, 7000, 13000, 0.016659838340033, 1e-12}));

}  // namespace
}  // namespace quorel
