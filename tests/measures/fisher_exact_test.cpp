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

// Same tables counted (a different decision moves P by at least P0, which is at least
// P / (n + 1)); the terms themselves may differ from the plain products in their last bits.
void ExpectSameAsPlainWalk(int a, int b, int c, int d) {
  const double plain = PlainFisherExactP(a, b, c, d);
  const double fast = Fisher(a, b, c, d);
  EXPECT_NEAR(fast, plain, 1e-13 * plain) << a << " " << b << " " << c << " " << d;
  // What the statistic matrix stores is the same.
  EXPECT_EQ(static_cast<float>(fast), static_cast<float>(plain)) << a << " " << b << " " << c << " " << d;
}

TEST(FisherExactP, AgreesWithThePlainWalk) {
  // Every small table (about one in ten has an opposite-side table exactly as probable as
  // itself), then medium ones.
  for (int a = 0; a <= 12; ++a)
    for (int b = 0; b <= 12; ++b)
      for (int c = 0; c <= 12; ++c)
        for (int d = 0; d <= 12; ++d) ExpectSameAsPlainWalk(a, b, c, d);
  std::mt19937 rng(11);
  for (int limit : {40, 150, 400}) {
    std::uniform_int_distribution<int> cell(0, limit);
    for (int i = 0; i < 300; ++i) ExpectSameAsPlainWalk(cell(rng), cell(rng), cell(rng), cell(rng));
  }
}

TEST(FisherExactP, ExactTiesWhereNeighbourStepsRoundOtherwiseThanTheProduct) {
  // Each of these has an opposite-side table exactly as probable as itself, and the
  // probability reached by stepping from table to table rounds to the other side of P0
  // than the defining product does; the result must still follow the product. In (7, 5, 1, 3)
  // the tables with T0 = 5 and T0 = 7 both have probability 16/65.
  for (const auto& t : {std::array<int, 4>{7, 5, 1, 3}, std::array<int, 4>{14, 9, 20, 15}, std::array<int, 4>{35, 4, 32, 7},
                        std::array<int, 4>{31, 30, 26, 27}, std::array<int, 4>{27, 7, 2, 22},
                        std::array<int, 4>{30, 11, 34, 14}, std::array<int, 4>{44, 97, 93, 48},
                        std::array<int, 4>{75, 50, 35, 90}, std::array<int, 4>{85, 34, 68, 51}}) {
    ExpectSameAsPlainWalk(t[0], t[1], t[2], t[3]);
  }
}

TEST(FisherExactP, ZeroBelowTheSmallestNormalFloat) {
  // 2 / C(130, 65) is just above the smallest normal float, 2 / C(132, 66) below.
  EXPECT_NEAR(Fisher(65, 0, 0, 65), 2.103765590632613e-38, 1e-13 * 2.103765590632613e-38);
  EXPECT_EQ(Fisher(66, 0, 0, 66), 0.0);
}

}  // namespace
}  // namespace quorel
