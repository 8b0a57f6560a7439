#include "measures/sample_judge.hpp"

#include <cmath>

namespace quorel {

namespace {

constexpr int kMaxTabledActors = 32;

// Which side of the observed value an estimate lies on, given `gap` (estimate less observed)
// and how far the estimate may lie from the value formed in full: 1 at or above, 0 below,
// -1 when the bound leaves it open.
int SideOf(double gap, double bound) {
  if (gap > bound) return 1;
  if (-gap > bound) return 0;
  return -1;
}

}  // namespace

SampleJudge::SampleJudge(int n) {
  const int size = n * n + 3;
  half_terms_.resize(static_cast<std::size_t>(size));
  whole_terms_.resize(static_cast<std::size_t>(size));
  for (int k = 0; k < size; ++k) {
    half_terms_[k] = (k + 0.5) * std::log(k + 0.5);
    whole_terms_[k] = k == 0 ? 0.0 : k * std::log(static_cast<double>(k));
  }
  half_zero_magnitude_ = std::fabs(half_terms_[0]) * 8;
  if (n <= kMaxTabledActors) {
    tables_[0] = BuildMarginTable(n * n - n);
    tables_[1] = BuildMarginTable(n * n);
  }
}

SampleJudge::Margins SampleJudge::MarginsOf(int counted, int first_ties, int second_ties) const {
  float r0, r1, c0, c1, n;
  FourfoldMargins(SampleTableOf(counted, first_ties, second_ties, 0), r0, r1, c0, c1, n);
  const KappaMargins kappa = KappaMarginsOf(r0, r1, c0, c1, n);
  const double deviation = NullStandardDeviation(r0, r1, c0, c1, n);
  // The adjusted rows and columns: each a margin plus 1 (0.5 added to each of its cells).
  const double lines = whole_terms_[counted - first_ties + 1] + whole_terms_[first_ties + 1] +
                       whole_terms_[counted - second_ties + 1] + whole_terms_[second_ties + 1];
  const double total = whole_terms_[counted + 2];
  return {kappa.chance, kappa.room > 0.0 ? 1.0 / kappa.room : 0.0, deviation > 0.0 ? 1.0 / deviation : 0.0,
          total - lines, lines + total};
}

SampleJudge::MarginTable SampleJudge::BuildMarginTable(int counted) const {
  MarginTable table;
  table.counted = counted;
  const std::size_t side = static_cast<std::size_t>(counted) + 1;
  table.margins.resize(side * side);
  for (int a = 0; a <= counted; ++a) {
    for (int b = 0; b <= counted; ++b) table.margins[a * side + b] = MarginsOf(counted, a, b);
  }
  return table;
}

SampleReach SampleJudge::JudgeOpen(const ObservedStatistics& observed, int counted, int first_ties,
                                   int second_ties, int shared, const Margins& m, const Look& look) const {
  const FourfoldTable table = SampleTableOf(counted, first_ties, second_ties, shared);
  const int likelihood_side = SideOf(look.likelihood_gap, look.likelihood_bound);
  const bool likelihood_ratio = likelihood_side >= 0
                                    ? likelihood_side == 1
                                    : AdjustedLikelihoodRatio(table, counted) >= static_cast<double>(observed.likelihood_ratio);
  if (m.inverse_room > 0.0) {
    const int kappa = SideOf(look.kappa_gap, look.kappa_bound);
    const int standardized_side = m.inverse_deviation == 0.0
                                      ? (0.0 >= static_cast<double>(observed.standardized_kappa) ? 1 : 0)
                                      : SideOf(look.standardized_gap, look.standardized_bound);
    if (kappa >= 0 && standardized_side >= 0) return SampleReach{kappa == 1, standardized_side == 1, likelihood_ratio};
  }
  // In full, as the straightforward comparison forms them.
  const SampleReach full = TableReaches(observed, table, counted);
  return SampleReach{full.kappa, full.standardized_kappa, likelihood_ratio};
}

}  // namespace quorel
