#include "measures/sample_judge.hpp"

#include <cmath>

namespace quorel {

namespace {

constexpr int kMaxTabledActors = 32;

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
  half_terms_.resize(static_cast<std::size_t>(size));
  whole_terms_.resize(static_cast<std::size_t>(size));
  for (int k = 0; k < size; ++k) {
    half_terms_[k] = (k + 0.5) * std::log(k + 0.5);
    whole_terms_[k] = k == 0 ? 0.0 : k * std::log(static_cast<double>(k));
  }
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

const SampleJudge::MarginTable* SampleJudge::MarginsFor(int counted) const {
  for (const MarginTable& table : tables_) {
    if (table.counted == counted) return &table;
  }
  return nullptr;
}

bool SampleJudge::ReachesLikelihoodRatio(float observed, const int cell[4], int counted, const Margins& margins) const {
  // L / 2 = sum o ln(o / e) over the adjusted cells o = x + 0.5, with e = R C / T: the rows'
  // and columns' totals R = x + x' + 1, C alike, and T = counted + 2. Gathered by rows and
  // columns that is sum o ln o - sum R ln R - sum C ln C + T ln T, every term looked up (the
  // margins' part once for each pair of tie counts).
  const double cells = half_terms_[cell[0]] + half_terms_[cell[1]] + half_terms_[cell[2]] + half_terms_[cell[3]];
  const double looked_up = 2.0 * (cells + margins.likelihood_offset);
  // Each logarithm of o / e in full differs from ln o - ln e by the float rounding of e (under
  // 6e-8), so each term by under o * 1e-7; the float running sum adds under 2.5e-7 of the
  // terms' magnitude, which is at most the sum of the magnitudes looked up. The bound doubles
  // that, as L does, and more than doubles it again; the looking up itself errs by far less.
  const double magnitude = std::fabs(half_terms_[0]) * 8 + cells + margins.likelihood_magnitude;
  const double bound = 1e-6 * ((counted + 2.0) + magnitude);
  const int side = SideOf(looked_up, bound, observed);
  return side >= 0 ? side == 1 : AdjustedLikelihoodRatio(SampleTableOf(counted, cell[2] + cell[3], cell[1] + cell[3], cell[3]), counted) >= static_cast<double>(observed);
}

SampleReach SampleJudge::Judge(const ObservedStatistics& observed, int counted, int first_ties, int second_ties,
                               int shared) const {
  const int cell[4] = {counted - first_ties - second_ties + shared, second_ties - shared, first_ties - shared, shared};
  const MarginTable* table = MarginsFor(counted);
  Margins formed;
  if (table == nullptr) formed = MarginsOf(counted, first_ties, second_ties);
  const Margins& m =
      table != nullptr ? table->margins[static_cast<std::size_t>(first_ties) * (counted + 1) + second_ties] : formed;
  const bool likelihood_ratio = ReachesLikelihoodRatio(observed.likelihood_ratio, cell, counted, m);
  // Kappa is (n * agreement - chance) / room rounded to double and then to float: within 2^-23
  // of the product with the room's reciprocal. Standardized kappa divides that float by the
  // deviation: within 2^-22 of the product of the estimate with the deviation's reciprocal.
  // Only a value that close to the observed one is formed in full.
  if (m.inverse_room > 0.0) {
    const double estimate = (static_cast<double>(counted) * (cell[0] + cell[3]) - m.chance) * m.inverse_room;
    const int kappa = SideOf(estimate, std::fabs(estimate) * 0x1p-22, observed.kappa);
    const double standardized = estimate * m.inverse_deviation;  // 0 where the deviation is
    const int standardized_side =
        m.inverse_deviation == 0.0
            ? (0.0 >= static_cast<double>(observed.standardized_kappa) ? 1 : 0)
            : SideOf(standardized, std::fabs(standardized) * 0x1p-21, observed.standardized_kappa);
    if (kappa >= 0 && standardized_side >= 0) return SampleReach{kappa == 1, standardized_side == 1, likelihood_ratio};
  }
  // In full, as the straightforward comparison forms them.
  const SampleReach full = TableReaches(observed, SampleTableOf(counted, first_ties, second_ties, shared), counted);
  return SampleReach{full.kappa, full.standardized_kappa, likelihood_ratio};
}

}  // namespace quorel
