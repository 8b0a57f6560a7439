#pragma once

#include <cmath>
#include <vector>

#include "measures/pair_measures.hpp"

namespace quorel {

// Decides whether a sampled table reaches a pair's observed kappa, standardized kappa and
// L, with the decisions of SampledTableReaches but mostly without its square root and
// logarithms: a sampled table is nearly always far from the observed values, and a cheaper
// look tells which side it lies on.
//   - What kappa and standardized kappa take from the margins alone is formed once for
//     every pair of tie counts of the first and second relation, by the same functions, when
//     the tables are small enough to hold it (up to 32 actors).
//   - Kappa and standardized kappa are quotients: a product with the reciprocal tells them
//     to within a few units of the float they are rounded to, which decides unless the
//     observed value is that close.
//   - L is formed from the terms x ln x of the adjusted cells (k + 0.5) and of the margins,
//     all whole numbers or halves up to N * N + 2, looked up in tables. The value looked up
//     differs from the one SampledTableReaches forms by less than a bound the table gives
//     (the float rounding of the expected counts, the float running sum, and the tables'
//     own rounding, with a wide margin); only a table within that bound of the observed L
//     is formed in full.
class SampleJudge {
 public:
  // For the tables of relations among N actors, diagonal counted or not. Cost: O(N^2), and
  // O(N^4) for the margins of up to 32 actors.
  explicit SampleJudge(int n);

  // The decisions for the table of two relations over `counted` cells, where the first has
  // `first_ties` ties, the second `second_ties`, and they share `shared`. The usual case is
  // formed without a branch on the data (which side of the observed values a sample lies on
  // is as good as random, and a mispredicted branch costs more than the arithmetic); a table
  // the cheap look leaves open goes to JudgeOpen.
  SampleReach Judge(const ObservedStatistics& observed, int counted, int first_ties, int second_ties,
                    int shared) const {
    const Margins* m = TabledMargins(counted, first_ties, second_ties);
    if (m == nullptr) [[unlikely]] {
      const Margins formed = MarginsOf(counted, first_ties, second_ties);
      return JudgeOpen(observed, counted, first_ties, second_ties, shared, formed,
                       LookAt(observed, counted, first_ties, second_ties, shared, formed));
    }
    const Look look = LookAt(observed, counted, first_ties, second_ties, shared, *m);
    const bool deviation = m->inverse_deviation != 0.0;
    const bool open = !(std::fabs(look.likelihood_gap) > look.likelihood_bound) | !(m->inverse_room > 0.0) |
                      !(std::fabs(look.kappa_gap) > look.kappa_bound) |
                      (deviation & !(std::fabs(look.standardized_gap) > look.standardized_bound));
    if (open) [[unlikely]] {
      return JudgeOpen(observed, counted, first_ties, second_ties, shared, *m, look);
    }
    const bool standardized_reach = deviation ? look.standardized_gap > 0.0 : 0.0 >= observed.standardized_kappa;
    return SampleReach{look.kappa_gap > 0.0, standardized_reach, look.likelihood_gap > 0.0};
  }

 private:

  // What the kappas' shortcuts take from the margins of a table whose first relation has a
  // ties and second b, in the margin table at [a * (counted + 1) + b]: the chance agreement
  // and the reciprocals of the room and of the null deviation (0 where those are not
  // positive). The full values are formed again in the rare case the shortcuts leave open.
  struct Margins {
    double chance = 0.0;
    double inverse_room = 0.0;
    double inverse_deviation = 0.0;
    // L's terms of the margins: the grand total's term less the rows' and columns' terms,
    // and their magnitude, the sum of all five.
    double likelihood_offset = 0.0;
    double likelihood_magnitude = 0.0;
  };
  struct MarginTable {
    int counted = -1;
    std::vector<Margins> margins;
  };
  Margins MarginsOf(int counted, int first_ties, int second_ties) const;
  MarginTable BuildMarginTable(int counted) const;
  const Margins* TabledMargins(int counted, int first_ties, int second_ties) const {
    for (const MarginTable& table : tables_) {
      if (table.counted == counted) {
        return &table.margins[static_cast<std::size_t>(first_ties) * (counted + 1) + second_ties];
      }
    }
    return nullptr;
  }
  // How far the L looked up may lie from the L formed in full. Each logarithm of o / e in
  // full differs from ln o - ln e by the float rounding of e (under 6e-8), so each term by
  // under o * 1e-7; the float running sum adds under 2.5e-7 of the terms' magnitude, which
  // is at most the sum of the magnitudes looked up. The bound doubles that, as L does, and
  // more than doubles it again; the looking up itself errs by far less.
  double LikelihoodBound(int counted, double cells, const Margins& m) const {
    const double magnitude = half_zero_magnitude_ + cells + m.likelihood_magnitude;
    return 1e-6 * ((counted + 2.0) + magnitude);
  }
  // The cheap look at a table: how far each statistic's estimate lies from the observed
  // value (estimate less observed), and how far the estimate may lie from the value formed
  // in full.
  struct Look {
    double likelihood_gap, likelihood_bound;
    double kappa_gap, kappa_bound;
    double standardized_gap, standardized_bound;
  };
  Look LookAt(const ObservedStatistics& observed, int counted, int first_ties, int second_ties, int shared,
              const Margins& m) const {
    const int c0 = counted - first_ties - second_ties + shared;
    // L / 2 = sum o ln(o / e) over the adjusted cells o = x + 0.5, with e = R C / T: gathered
    // by rows and columns, sum o ln o - sum R ln R - sum C ln C + T ln T, the margins' part
    // looked up once for each pair of tie counts (see LikelihoodBound for how near it is).
    const double cells = half_terms_[c0] + half_terms_[second_ties - shared] + half_terms_[first_ties - shared] +
                         half_terms_[shared];
    // Kappa is (n * agreement - chance) / room rounded to double and then to float: within
    // 2^-23 of the product with the room's reciprocal. Standardized kappa divides that float
    // by the deviation: within 2^-22 of the product of the estimate with the deviation's
    // reciprocal (0 where there is no deviation, and then exactly 0).
    const double estimate = (static_cast<double>(counted) * (c0 + shared) - m.chance) * m.inverse_room;
    const double standardized = estimate * m.inverse_deviation;
    return Look{2.0 * (cells + m.likelihood_offset) - observed.likelihood_ratio, LikelihoodBound(counted, cells, m),
                estimate - observed.kappa, std::fabs(estimate) * 0x1p-22,
                standardized - observed.standardized_kappa, std::fabs(standardized) * 0x1p-21};
  }
  // The decisions where the look leaves any open (or no margins are tabled): each statistic
  // the look decides keeps its decision, the others are formed in full.
  SampleReach JudgeOpen(const ObservedStatistics& observed, int counted, int first_ties, int second_ties,
                        int shared, const Margins& m, const Look& look) const;

  std::vector<double> half_terms_;   // (k + 0.5) ln(k + 0.5)
  double half_zero_magnitude_ = 0.0;  // 8 |0.5 ln 0.5|, room for the cells' negative terms
  std::vector<double> whole_terms_;  // k ln k (0 for k = 0)
  MarginTable tables_[2];          // diagonal counted or not; empty beyond 32 actors
};

}  // namespace quorel
