// Cross-check of the 2 x 2 table statistics against reference values written by
// tools/make_statistics_reference.py (scipy for Fisher's test, the sign test and the G
// statistic; exact rational arithmetic in the textbook per-cell form for kappa and its
// variances). The reference file is read as data; nothing outside the repository is needed.
//
// Definitions that differ on purpose (see the script for the full account):
// * Fisher's P: no tolerance for exact ties, so tables with a near tie are not compared;
//   0 below the smallest normal float.
// * BINP: 1 when T1 = T2, 0 when T1 + T2 exceeds 1074, 0 below the smallest normal float.
// * Where kappa, its variance or the null variance is undefined (pe = 1, n = 0) the
//   program reports 0; standardized kappa uses kappa rounded to float.
// * L is compared with the G statistic of the table with 0.5 added; it keeps its expected
//   counts and running sum in 32-bit floats.

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "measures/fourfold_table.hpp"

namespace quorel {
namespace {

// One line of the reference file: the table and the reference values, nan where the
// reference has none.
struct ReferenceRow {
  std::string kind;
  int t[4];
  double fisherP;
  bool fisherNearTie;
  double binomialP, kappa, mcnemarZ, estvar, nullVariance, standardizedKappa, gAdjusted;
};

std::vector<ReferenceRow> ReadReference() {
  std::ifstream in(std::string(QUOREL_SOURCE_DIR) + "/tests/measures/data/statistics_reference.csv");
  std::vector<ReferenceRow> rows;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::vector<std::string> f;
    std::stringstream fields(line);
    for (std::string x; std::getline(fields, x, ',');) f.push_back(x);
    if (f.size() != 14) {
      ADD_FAILURE() << "malformed reference line: " << line;
      continue;
    }
    auto num = [&](int i) { return std::strtod(f[i].c_str(), nullptr); };
    rows.push_back({f[0],
                    {std::atoi(f[1].c_str()), std::atoi(f[2].c_str()), std::atoi(f[3].c_str()),
                     std::atoi(f[4].c_str())},
                    num(5), f[6] == "1", num(7), num(8), num(9), num(10), num(11), num(12),
                    num(13)});
  }
  return rows;
}

// |actual - expected| within a relative tolerance of the larger magnitude, or an absolute
// floor for values near 0.
::testing::AssertionResult Close(double actual, double expected, double relative, double absolute) {
  const double allowed = std::max(absolute, relative * std::max(std::fabs(actual), std::fabs(expected)));
  if (std::fabs(actual - expected) <= allowed) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual << " vs reference " << expected << " (allowed " << allowed << ")";
}

// A P-value: 0 below the smallest normal float, else within a relative 1e-12.
void ExpectP(double p, double reference) {
  if (reference < FLT_MIN * (1 - 1e-6)) {
    EXPECT_EQ(p, 0.0);
  } else if (reference > FLT_MIN * (1 + 1e-6)) {
    EXPECT_TRUE(Close(p, reference, 1e-12, 0));
  }
}

TEST(StatisticsReference, EveryStatisticOfEveryTable) {
  const std::vector<ReferenceRow> rows = ReadReference();
  ASSERT_GE(rows.size(), 300u);
  int large = 0, fisher_compared = 0;
  for (const ReferenceRow& r : rows) {
    SCOPED_TRACE(r.kind + " (" + std::to_string(r.t[0]) + ", " + std::to_string(r.t[1]) + ", " +
                 std::to_string(r.t[2]) + ", " + std::to_string(r.t[3]) + ")");
    const int cells = r.t[0] + r.t[1] + r.t[2] + r.t[3];
    large += cells > 16000;
    FourfoldTable t{{float(r.t[0]), float(r.t[1]), float(r.t[2]), float(r.t[3])}};
    if (!r.fisherNearTie) {
      ExpectP(FisherExactP(t), r.fisherP);
      ++fisher_compared;
    }
    const double binomial = BinomialP(t);
    if (r.t[1] == r.t[2]) {
      EXPECT_EQ(binomial, 1.0);
    } else if (r.t[1] + r.t[2] > 1074) {
      EXPECT_EQ(binomial, 0.0);
    } else {
      ExpectP(binomial, r.binomialP);
    }

    float R0, R1, C0, C1, n;
    FourfoldMargins(t, R0, R1, C0, C1, n);
    // Counts, margins and the products of kappa are exact in double: only the last division
    // rounds.
    const double kappa = KappaStatistic(t, R0, R1, C0, C1, n);
    EXPECT_TRUE(Close(kappa, std::isnan(r.kappa) ? 0.0 : r.kappa, 1e-15, 0));
    EXPECT_TRUE(Close(McNemarZStatistic(t), std::isnan(r.mcnemarZ) ? 0.0 : r.mcnemarZ, 1e-15, 0));
    // ESTVAR divides a sum of terms of order 1 (1 - po is at most 2 (1 - pe) for a 2 x 2
    // table) by n (1 - pe)^2; where the terms cancel, what is left is their rounding,
    // amplified by that divisor.
    const double pe = (double(R0) * C0 + double(R1) * C1) / (double(n) * n);
    const double amplification = 1.0 / (double(n) * (1 - pe) * (1 - pe));
    EXPECT_TRUE(Close(KappaVariance(t, R0, R1, C0, C1, n), std::isnan(r.estvar) ? 0.0 : r.estvar, 1e-9,
                      std::isfinite(amplification) ? 1e-14 * amplification : 0));
    const double standardized = StandardizedKappa(static_cast<float>(kappa), R0, R1, C0, C1, n);
    if (std::isnan(r.standardizedKappa)) {
      // Undefined null variance; a cancellation residue may be reported instead of 0 only
      // when kappa itself is 0.
      EXPECT_TRUE(standardized == 0.0 || static_cast<float>(kappa) == 0.0f) << standardized;
    } else {
      // kappa is rounded to float before it is standardized: a relative 2^-24.
      EXPECT_TRUE(Close(standardized, r.standardizedKappa, 1e-7, 1e-12));
    }

    // Expected counts and the running sum of L are floats: each of the four terms carries a
    // rounding of a relative 2^-24 of O ln(O / E) and of O, so allow a few float ulps of the
    // adjusted total.
    AddToFourfold(t, 0.5f);
    FourfoldTable expected;
    ExpectedFourfold(expected, t, static_cast<std::int16_t>(cells));
    EXPECT_TRUE(Close(LikelihoodRatioStatistic(t, expected), r.gAdjusted, 1e-6, 4 * (cells + 2) * std::ldexp(1.0, -24)));
  }
  EXPECT_GE(large, 20);
  EXPECT_GE(fisher_compared, 250);
}

}  // namespace
}  // namespace quorel
