#include "measures/fourfold_table.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "core/error.hpp"

namespace quorel {
namespace {

// The textbook count: visit every cell and classify it by the two relations' values.
FourfoldTable CountCellByCell(const BitWord* first, const BitWord* second,
                              const MatrixShape& shape, bool includeDiagonal) {
  FourfoldTable table;
  for (int r = 0; r < shape.n; ++r) {
    for (int c = 0; c < shape.n; ++c) {
      if (r == c && !includeDiagonal) continue;
      table[2 * GetCell(first, shape, r, c) + GetCell(second, shape, r, c)] += 1.0f;
    }
  }
  return table;
}

std::vector<BitWord> RandomRelation(const MatrixShape& shape, double density, std::mt19937& rng) {
  std::vector<BitWord> m(shape.words, 0);
  std::bernoulli_distribution tie(density);
  for (int r = 0; r < shape.n; ++r) {
    for (int c = 0; c < shape.n; ++c) SetCell(m.data(), shape, r, c, tie(rng));
  }
  return m;
}

TEST(CountFourfold, AgreesWithCellByCellCountAcrossWordBoundaries) {
  std::mt19937 rng(20240611);
  for (int n : {1, 2, 63, 64, 65, 127, 128, 181}) {
    const MatrixShape shape = MatrixShape::ForActors(n);
    for (double density : {0.0, 0.03, 0.5, 0.97, 1.0}) {
      const std::vector<BitWord> a = RandomRelation(shape, density, rng);
      const std::vector<BitWord> b = RandomRelation(shape, 0.5, rng);
      // Two unrelated relations, both ways round, and a relation with itself.
      const std::vector<BitWord>* pairs[][2] = {{&a, &b}, {&b, &a}, {&a, &a}};
      for (const auto& pair : pairs) {
        for (bool diagonal : {false, true}) {
          FourfoldTable fast;
          CountFourfold(fast, pair[0]->data(), pair[1]->data(), shape, diagonal);
          const FourfoldTable plain =
              CountCellByCell(pair[0]->data(), pair[1]->data(), shape, diagonal);
          for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(fast[k], plain[k])
                << "N=" << n << " density=" << density << " diagonal=" << diagonal << " cell " << k;
          }
          const float total = fast[0] + fast[1] + fast[2] + fast[3];
          EXPECT_EQ(total, static_cast<float>(diagonal ? n * n : n * (n - 1)));
        }
      }
    }
  }
}

// The likelihood ratio (G) statistic of the table with 0.5 added to each cell, from the
// textbook formula with unrounded expected counts.
double AdjustedGStatistic(const FourfoldTable& t) {
  double o[4];
  for (int k = 0; k < 4; ++k) o[k] = t[k] + 0.5;
  const double total = o[0] + o[1] + o[2] + o[3];
  double g = 0;
  for (int x = 0; x < 2; ++x) {
    for (int y = 0; y < 2; ++y) {
      const double expected = (o[2 * x] + o[2 * x + 1]) * (o[y] + o[2 + y]) / total;
      g += o[2 * x + y] * std::log(o[2 * x + y] / expected);
    }
  }
  return 2 * g;
}

// The statistics of one table; kappa and its variances from exact rational arithmetic.
struct StatisticsCase {
  const char* name;
  FourfoldTable table;
  double kappa;
  double mcnemarZ;
  double estvar;
  double standardizedKappa;  // of the float-rounded kappa
  double fisherP;
  double binomialP;
};

void PrintTo(const StatisticsCase& c, std::ostream* os) { *os << c.name; }

class FourfoldStatistics : public ::testing::TestWithParam<StatisticsCase> {};

TEST_P(FourfoldStatistics, MatchExactValues) {
  const StatisticsCase& c = GetParam();
  FourfoldTable t = c.table;
  float R0, R1, C0, C1, n;
  FourfoldMargins(t, R0, R1, C0, C1, n);
  const double tol = 1e-14;
  const double kappa = KappaStatistic(t, R0, R1, C0, C1, n);
  EXPECT_NEAR(kappa, c.kappa, tol);
  EXPECT_NEAR(McNemarZStatistic(t), c.mcnemarZ, tol);
  EXPECT_NEAR(KappaVariance(t, R0, R1, C0, C1, n), c.estvar, tol);
  EXPECT_NEAR(StandardizedKappa(static_cast<float>(kappa), R0, R1, C0, C1, n),
              c.standardizedKappa, 1e-12);
  EXPECT_NEAR(FisherExactP(t), c.fisherP, 1e-15);
  EXPECT_EQ(BinomialP(t), c.binomialP);

  const double expectedL = AdjustedGStatistic(t);
  const int cellCount = static_cast<int>(n);
  AddToFourfold(t, 0.5f);
  FourfoldTable e;
  ExpectedFourfold(e, t, static_cast<std::int16_t>(cellCount));
  EXPECT_NEAR(LikelihoodRatioStatistic(t, e), expectedL, 1e-5);
}

const double kInvSqrt5 = 1.0 / std::sqrt(5.0);

INSTANTIATE_TEST_SUITE_P(
    Tables, FourfoldStatistics,
    ::testing::Values(
        // Worked example: kappa 22/47, ESTVAR 200250/4879681, null variance 546/11045,
        // Fisher P 302/4845, BinP 2 (1 + 5 + 10) / 32.
        StatisticsCase{"WorkedExample", {{10, 2, 3, 5}}, 22.0 / 47.0, -kInvSqrt5,
                       200250.0 / 4879681.0,
                       static_cast<float>(22.0 / 47.0) / std::sqrt(546.0 / 11045.0),
                       302.0 / 4845.0, 1.0},
        // A single actor without its self-tie: nothing to count, every guard answers.
        StatisticsCase{"NothingCounted", {{0, 0, 0, 0}}, 0, 0, 0, 0, 1, 1},
        // Identical relations: no discordant cell, perfect agreement (ESTVAR 0 as po = 1),
        // null variance 1/10; only the observed table is as extreme (1 / C(10, 4)).
        StatisticsCase{"IdenticalRelations", {{6, 0, 0, 4}}, 1, 0, 0, 1.0 / std::sqrt(0.1),
                       1.0 / 210.0, 1},
        // Only second-only cells: Z = 3 / sqrt 3, BinP = 2 * 0.5^3.
        StatisticsCase{"SecondOnly", {{0, 3, 0, 0}}, 0, std::sqrt(3.0), 0, 0, 1, 0.25}));

TEST(LikelihoodRatioStatistic, WorkedExampleOnTheAdjustedTable) {
  FourfoldTable t{{10, 2, 3, 5}};
  AddToFourfold(t, 0.5f);
  FourfoldTable e;
  ExpectedFourfold(e, t, 20);
  const double expected[4] = {182.0 / 22.0, 104.0 / 22.0, 126.0 / 22.0, 72.0 / 22.0};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(e[k], static_cast<float>(expected[k])) << k;
  EXPECT_NEAR(LikelihoodRatioStatistic(t, e), 4.0844, 5e-5);
}

TEST(LikelihoodRatioStatistic, IsZeroExactlyWhenTheAdjustedTableIsItsExpectation) {
  FourfoldTable t{{1.5f, 4.5f, 4.5f, 13.5f}};
  FourfoldTable e;
  ExpectedFourfold(e, t, 22);
  EXPECT_EQ(LikelihoodRatioStatistic(t, e), 0.0);
}

TEST(LikelihoodRatioStatistic, LogarithmRangeErrorEndsTheRunWithCode7) {
  const FourfoldTable observed{{1.0f, 1.0f, 1.0f, 1.0f}};
  const FourfoldTable expected{{1.0f, std::numeric_limits<float>::infinity(), 1.0f, 1.0f}};
  try {
    LikelihoodRatioStatistic(observed, expected);
    FAIL() << "log(0) should have been fatal";
  } catch (const Error& exit) {
    EXPECT_EQ(exit.code(), 7);
    EXPECT_EQ(std::string(exit.what()).rfind("QUOREL error -", 0), 0u) << std::string(exit.what());
  }
}

TEST(LikelihoodRatioStatistic, EarlierMathErrorsAreNotTakenForTheLogarithms) {
  FourfoldTable t{{10.5f, 2.5f, 3.5f, 5.5f}};
  FourfoldTable e;
  ExpectedFourfold(e, t, 20);
  errno = ERANGE;  // as left by an underflowing power elsewhere
  EXPECT_NO_THROW(LikelihoodRatioStatistic(t, e));
}

}  // namespace
}  // namespace quorel
