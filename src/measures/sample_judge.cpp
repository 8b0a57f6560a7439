#include "measures/sample_judge.hpp"

#include <cmath>

namespace quorel {

namespace {

constexpr int kMaxTabledActors = 32;

// The table of L as SampledTableReaches forms it, with 0.5 added to every cell.
double FullLikelihoodRatio(FourfoldTable x, int counted) {
  AddToFourfold(x, 0.5f);
  FourfoldTable expected;
  ExpectedFourfold(expected, x, static_cast<std::int16_t>(counted));
  return LikelihoodRatioStatistic(x, expected);
}

// Which side of `threshold` a value lies on when it is known to within `bound` of `near`:
// 1 at or above, 0 below, -1 when the bound leaves it open.
int SideOf(double near, double bound, double threshold) {
  if (near - threshold > bound) return 1;
  if (threshold - near > bound) return 0;
  return -1;
}

}  // namespace

SampleJudge::SampleJudge(int n) {
  const int size = n * n + 3;
  log_half_.resize(static_cast<std::size_t>(size));
  log_whole_.resize(static_cast<std::size_t>(size));
  for (int k = 0; k < size; ++k) {
    log_half_[k] = std::log(k + 0.5);
    log_whole_[k] = k == 0 ? 0.0 : std::log(static_cast<double>(k));
  }
  if (n <= kMaxTabledActors) {
    tables_[0] = BuildMarginTable(n * n - n);
    tables_[1] = BuildMarginTable(n * n);
  }
}

SampleJudge::Margins SampleJudge::MarginsOf(int counted, int first_ties, int second_ties) {
  float r0, r1, c0, c1, n;
  FourfoldMargins(SampleTableOf(counted, first_ties, second_ties, 0), r0, r1, c0, c1, n);
  Margins m;
  m.kappa = KappaMarginsOf(r0, r1, c0, c1, n);
  m.deviation = NullStandardDeviation(r0, r1, c0, c1, n);
  m.inverse_room = m.kappa.room > 0.0 ? 1.0 / m.kappa.room : 0.0;
  m.inverse_deviation = m.deviation > 0.0 ? 1.0 / m.deviation : 0.0;
  return m;
}

SampleJudge::MarginTable SampleJudge::BuildMarginTable(int counted) {
  MarginTable table;
  table.counted = counted;
  const std::size_t side = static_cast<std::size_t>(counted) + 1;
  table.margins.resize(side * side);
  for (int a = 0; a <= counted; ++a) {
    for (int b = 0; b <= counted; ++b) table.margins[a * side + b] = MarginsOf(counted, a, b);
  }
  return table;
}

const SampleJudge::MarginTable* SampleJudge::MarginsFor(int counted) const {
  for (const MarginTable& table : tables_) {
    if (table.counted == counted) return &table;
  }
  return nullptr;
}

bool SampleJudge::ReachesLikelihoodRatio(float observed, const FourfoldTable& x, int counted) const {
  // The cells are whole numbers; the adjusted cells o = x + 0.5, their row and column totals
  // x + x' + 1, and the adjusted total counted + 2.
  int cell[4];
  for (int k = 0; k < 4; ++k) cell[k] = static_cast<int>(x[k]);
  const int row[2] = {cell[0] + cell[1] + 1, cell[2] + cell[3] + 1};
  const int column[2] = {cell[0] + cell[2] + 1, cell[1] + cell[3] + 1};
  const double log_total = log_whole_[counted + 2];
  double sum = 0.0, magnitude = 0.0;
  for (int k = 0; k < 4; ++k) {
    const double o = cell[k] + 0.5;
    const double term = o * (log_half_[cell[k]] - log_whole_[row[k >> 1]] - log_whole_[column[k & 1]] + log_total);
    sum += term;
    magnitude += std::fabs(term);
  }
  // Each logarithm of o / e in full differs from the one looked up by the float rounding of
  // e (under 6e-8) and far less for the rest, so each term by under o * 1e-7; the float
  // running sum adds under 2.5e-7 of the terms' magnitude. The bound doubles that, as L does,
  // and more than doubles it again.
  const double bound = 1e-6 * ((counted + 2.0) + magnitude) + 1e-300;
  const int side = SideOf(2.0 * sum, bound, observed);
  return side >= 0 ? side == 1 : FullLikelihoodRatio(x, counted) >= static_cast<double>(observed);
}

SampleReach SampleJudge::Judge(const ObservedStatistics& observed, int counted, int first_ties, int second_ties,
                               int shared) const {
  const FourfoldTable x = SampleTableOf(counted, first_ties, second_ties, shared);
  const MarginTable* table = MarginsFor(counted);
  const Margins m = table != nullptr
                        ? table->margins[static_cast<std::size_t>(first_ties) * (counted + 1) + second_ties]
                        : MarginsOf(counted, first_ties, second_ties);
  SampleReach reach;
  reach.likelihood_ratio = ReachesLikelihoodRatio(observed.likelihood_ratio, x, counted);
  // Kappa is (n * agreement - chance) / room rounded to double and then to float: within 2^-23
  // of the product with the room's reciprocal. Standardized kappa divides that float by the
  // deviation: within 2^-22 of the product of the estimate with the deviation's reciprocal.
  // Only a value that close to the observed one is formed in full.
  int kappa_side = -1, standardized_side = -1;
  double estimate = 0.0;
  if (m.kappa.room > 0.0) {
    const double agreement = static_cast<double>(x[0]) + static_cast<double>(x[3]);
    estimate = (m.kappa.total * agreement - m.kappa.chance) * m.inverse_room;
    kappa_side = SideOf(estimate, std::ldexp(std::fabs(estimate), -22), observed.kappa);
    if (m.deviation == 0.0) {
      standardized_side = 0.0 >= static_cast<double>(observed.standardized_kappa) ? 1 : 0;
    } else {
      const double standardized = estimate * m.inverse_deviation;
      standardized_side =
          SideOf(standardized, std::ldexp(std::fabs(standardized), -21), observed.standardized_kappa);
    }
  }
  if (kappa_side < 0 || standardized_side < 0) {
    const float kappa = static_cast<float>(KappaOf(x, m.kappa));
    reach.kappa = kappa >= observed.kappa;
    const double standardized = m.deviation == 0.0 ? 0.0 : static_cast<double>(kappa) / m.deviation;
    reach.standardized_kappa = standardized >= static_cast<double>(observed.standardized_kappa);
  } else {
    reach.kappa = kappa_side == 1;
    reach.standardized_kappa = standardized_side == 1;
  }
  return reach;
}

}  // namespace quorel
