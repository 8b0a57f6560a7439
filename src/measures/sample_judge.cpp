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

SampleJudge::MarginTable SampleJudge::BuildMarginTable(int counted) {
  MarginTable table;
  table.counted = counted;
  const std::size_t side = static_cast<std::size_t>(counted) + 1;
  table.margins.resize(side * side);
  for (int a = 0; a <= counted; ++a) {
    for (int b = 0; b <= counted; ++b) {
      float r0, r1, c0, c1, n;
      FourfoldMargins(TableOfTies(counted, a, b, 0), r0, r1, c0, c1, n);
      const KappaMargins kappa = KappaMarginsOf(r0, r1, c0, c1, n);
      table.margins[a * side + b] = {kappa.chance, kappa.room, NullStandardDeviation(r0, r1, c0, c1, n)};
    }
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
  const double looked_up = 2.0 * sum;
  // Each logarithm of o / e in full differs from the one looked up by the float rounding of
  // e (under 6e-8) and far less for the rest, so each term by under o * 1e-7; the float
  // running sum adds under 2.5e-7 of the terms' magnitude. The bound doubles that, as L does,
  // and more than doubles it again.
  const double bound = 1e-6 * ((counted + 2.0) + magnitude) + 1e-300;
  const double threshold = observed;
  if (looked_up - threshold > bound) return true;
  if (threshold - looked_up > bound) return false;
  return FullLikelihoodRatio(x, counted) >= threshold;
}

SampleReach SampleJudge::Judge(const ObservedStatistics& observed, int counted, int first_ties, int second_ties,
                               int shared) const {
  const FourfoldTable x = TableOfTies(counted, first_ties, second_ties, shared);
  KappaMargins kappa_margins;
  double deviation;
  if (const MarginTable* table = MarginsFor(counted)) {
    const Margins& m = table->margins[static_cast<std::size_t>(first_ties) * (counted + 1) + second_ties];
    kappa_margins = {static_cast<double>(static_cast<float>(counted)), m.chance, m.room};
    deviation = m.deviation;
  } else {
    float r0, r1, c0, c1, n;
    FourfoldMargins(x, r0, r1, c0, c1, n);
    kappa_margins = KappaMarginsOf(r0, r1, c0, c1, n);
    deviation = NullStandardDeviation(r0, r1, c0, c1, n);
  }
  SampleReach reach;
  const float kappa = static_cast<float>(KappaOf(x, kappa_margins));
  reach.kappa = kappa >= observed.kappa;
  // Standardized kappa is kappa over a positive deviation, or 0: of kappa's sign.
  const double standardized = observed.standardized_kappa;
  if (kappa >= 0.0f && standardized <= 0.0) {
    reach.standardized_kappa = true;
  } else if (kappa <= 0.0f && standardized > 0.0) {
    reach.standardized_kappa = false;
  } else {
    reach.standardized_kappa = (deviation == 0.0 ? 0.0 : static_cast<double>(kappa) / deviation) >= standardized;
  }
  reach.likelihood_ratio = ReachesLikelihoodRatio(observed.likelihood_ratio, x, counted);
  return reach;
}

}  // namespace quorel
