#pragma once

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
  // `first_ties` ties, the second `second_ties`, and they share `shared`.
  SampleReach Judge(const ObservedStatistics& observed, int counted, int first_ties, int second_ties,
                    int shared) const;

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
  const MarginTable* MarginsFor(int counted) const;
  bool ReachesLikelihoodRatio(float observed, const int cell[4], int counted, const Margins& margins) const;

  std::vector<double> half_terms_;   // (k + 0.5) ln(k + 0.5)
  std::vector<double> whole_terms_;  // k ln k (0 for k = 0)
  MarginTable tables_[2];          // diagonal counted or not; empty beyond 32 actors
};

}  // namespace quorel
