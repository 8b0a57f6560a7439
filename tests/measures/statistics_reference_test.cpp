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

std::string Describe(const ReferenceRow& r) {
  std::ostringstream s;
  s << r.kind << " (" << r.t[0] << ", " << r.t[1] << ", " << r.t[2] << ", " << r.t[3] << ")";
  return s.str();
}

// |actual - expected| within a relative tolerance of the larger magnitude, or an absolute
// floor for values near 0.
::testing::AssertionResult Close(double actual, double expected, double relative, double absolute) {
  const double allowed = std::max(absolute, relative * std::max(std::fabs(actual), std::fabs(expected)));
  if (std::fabs(actual - expected) <= allowed) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual << " vs reference " << expected << " (allowed "
                                       << allowed << ")";
}

class StatisticsReference : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { rows_ = new std::vector<ReferenceRow>(ReadReference()); }
  static void TearDownTestSuite() {
    delete rows_;
    rows_ = nullptr;
  }
  static const std::vector<ReferenceRow>& Rows() { return *rows_; }

 private:
  static std::vector<ReferenceRow>* rows_;
};

std::vector<ReferenceRow>* StatisticsReference::rows_ = nullptr;

FourfoldTable TableOf(const ReferenceRow& r) {
  return FourfoldTable{{float(r.t[0]), float(r.t[1]), float(r.t[2]), float(r.t[3])}};
}

TEST_F(StatisticsReference, FileCoversEveryKindOfTable) {
  int large = 0;
  for (const ReferenceRow& r : Rows()) large += r.t[0] + r.t[1] + r.t[2] + r.t[3] > 16000;
  EXPECT_GE(Rows().size(), 300u);
  EXPECT_GE(large, 20);
}

TEST_F(StatisticsReference, FisherExactP) {
  int compared = 0;
  for (const ReferenceRow& r : Rows()) {
    if (r.fisherNearTie) continue;
    const double p = FisherExactP(TableOf(r));
    if (r.fisherP < FLT_MIN * (1 - 1e-6)) {
      EXPECT_EQ(p, 0.0) << Describe(r);
    } else if (r.fisherP > FLT_MIN * (1 + 1e-6)) {
      EXPECT_TRUE(Close(p, r.fisherP, 1e-12, 0)) << Describe(r);
    }
    ++compared;
  }
  EXPECT_GE(compared, 250);
}

TEST_F(StatisticsReference, BinomialP) {
  for (const ReferenceRow& r : Rows()) {
    const double p = BinomialP(TableOf(r));
    const int discordant = r.t[1] + r.t[2];
    if (r.t[1] == r.t[2]) {
      EXPECT_EQ(p, 1.0) << Describe(r);
    } else if (discordant > 1074 || r.binomialP < FLT_MIN * (1 - 1e-6)) {
      EXPECT_EQ(p, 0.0) << Describe(r);
    } else if (r.binomialP > FLT_MIN * (1 + 1e-6)) {
      EXPECT_TRUE(Close(p, r.binomialP, 1e-12, 0)) << Describe(r);
    }
  }
}

TEST_F(StatisticsReference, KappaAndMcNemarZ) {
  for (const ReferenceRow& r : Rows()) {
    const FourfoldTable t = TableOf(r);
    float R0, R1, C0, C1, n;
    FourfoldMargins(t, R0, R1, C0, C1, n);
    // Counts, margins and the products of kappa are exact in double: only the last
    // division rounds.
    const double kappa = KappaStatistic(t, R0, R1, C0, C1, n);
    EXPECT_TRUE(Close(kappa, std::isnan(r.kappa) ? 0.0 : r.kappa, 1e-15, 0)) << Describe(r);
    const double z = McNemarZStatistic(t);
    EXPECT_TRUE(Close(z, std::isnan(r.mcnemarZ) ? 0.0 : r.mcnemarZ, 1e-15, 0)) << Describe(r);
  }
}

TEST_F(StatisticsReference, KappaVariances) {
  for (const ReferenceRow& r : Rows()) {
    const FourfoldTable t = TableOf(r);
    float R0, R1, C0, C1, n;
    FourfoldMargins(t, R0, R1, C0, C1, n);
    // ESTVAR divides a sum of terms of order 1 (1 - po is at most 2 (1 - pe) for a 2 x 2
    // table) by n (1 - pe)^2; where the terms cancel, what is left is their rounding,
    // amplified by that divisor.
    const double pe = (double(R0) * C0 + double(R1) * C1) / (double(n) * n);
    const double amplification = 1.0 / (double(n) * (1 - pe) * (1 - pe));
    const double estvar = KappaVariance(t, R0, R1, C0, C1, n);
    EXPECT_TRUE(Close(estvar, std::isnan(r.estvar) ? 0.0 : r.estvar, 1e-9,
                      std::isfinite(amplification) ? 1e-14 * amplification : 0))
        << Describe(r);

    const float kappa = static_cast<float>(KappaStatistic(t, R0, R1, C0, C1, n));
    const double standardized = StandardizedKappa(kappa, R0, R1, C0, C1, n);
    if (std::isnan(r.standardizedKappa)) {
      // Undefined null variance; a cancellation residue may be reported instead of 0 only
      // when kappa itself is 0.
      EXPECT_TRUE(standardized == 0.0 || kappa == 0.0f) << Describe(r) << " " << standardized;
    } else {
      // kappa is rounded to float before it is standardized: a relative 2^-24.
      EXPECT_TRUE(Close(standardized, r.standardizedKappa, 1e-7, 1e-12)) << Describe(r);
    }
  }
}

TEST_F(StatisticsReference, LikelihoodRatioOnTheAdjustedTable) {
  for (const ReferenceRow& r : Rows()) {
    FourfoldTable t = TableOf(r);
    const int cellCount = r.t[0] + r.t[1] + r.t[2] + r.t[3];
    AddToFourfold(t, 0.5f);
    FourfoldTable expected;
    ExpectedFourfold(expected, t, static_cast<std::int16_t>(cellCount));
    const double l = LikelihoodRatioStatistic(t, expected);
    // Expected counts and the running sum are floats: each of the four terms carries a
    // rounding of a relative 2^-24 of O ln(O / E) and of O, so allow a few float ulps of
    // the adjusted total.
    const double absolute = 4 * (cellCount + 2) * std::ldexp(1.0, -24);
    EXPECT_TRUE(Close(l, r.gAdjusted, 1e-6, absolute)) << Describe(r);
  }
}

}  // namespace
}  // namespace quorel
