#include "measures/pair_measures.hpp"

#include <cmath>

#include "core/analysis_options.hpp"
#include "measures/diagonal_rule.hpp"

namespace quorel {

namespace {

std::size_t Upper(int e, int i, int j) { return static_cast<std::size_t>(i) * e + j; }
std::size_t Lower(int e, int i, int j) { return static_cast<std::size_t>(j) * e + i; }

}  // namespace

double AdjustedLikelihoodRatio(FourfoldTable table, int counted) {
  AddToFourfold(table, 0.5f);
  FourfoldTable expected;
  ExpectedFourfold(expected, table, static_cast<std::int16_t>(counted));
  return LikelihoodRatioStatistic(table, expected);
}

void ComputePairMeasures(StatisticMatrices& stats, int e, int i, int j, const BitWord* first,
                         const BitWord* second, const MatrixShape& shape, bool include_diagonal,
                         int measure_control) {
  FourfoldTable table;
  CountFourfold(table, first, second, shape, include_diagonal);
  float r0, r1, c0, c1, n;
  FourfoldMargins(table, r0, r1, c0, c1, n);
  const std::size_t up = Upper(e, i, j);
  stats.Kappa[up] = static_cast<float>(KappaStatistic(table, r0, r1, c0, c1, n));
  stats.McNemarZ[up] = static_cast<float>(McNemarZStatistic(table));
  if (measure_control == kMA) stats.PValue[up] = static_cast<float>(FisherExactP(table));
  stats.PValue[Lower(e, i, j)] = static_cast<float>(BinomialP(table));
  stats.Estvar[up] = static_cast<float>(KappaVariance(table, r0, r1, c0, c1, n));
  stats.StdKappa[up] = static_cast<float>(StandardizedKappa(stats.Kappa[up], r0, r1, c0, c1, n));
  stats.L[up] = static_cast<float>(AdjustedLikelihoodRatio(table, CountedCells(shape.n, include_diagonal)));
}

SampleReach TableReaches(const ObservedStatistics& observed, const FourfoldTable& x, int counted) {
  SampleReach reach;
  float r0, r1, c0, c1, n;
  FourfoldMargins(x, r0, r1, c0, c1, n);
  const float kappa = static_cast<float>(KappaStatistic(x, r0, r1, c0, c1, n));
  reach.kappa = kappa >= observed.kappa;
  const double standardized = StandardizedKappa(kappa, r0, r1, c0, c1, n);
  reach.standardized_kappa = standardized >= static_cast<double>(observed.standardized_kappa);
  reach.likelihood_ratio = AdjustedLikelihoodRatio(x, counted) >= static_cast<double>(observed.likelihood_ratio);
  return reach;
}

SampleReach SampledTableReaches(const StatisticMatrices& stats, int e, int i, int j, const FourfoldTable& x,
                                int counted) {
  const std::size_t up = Upper(e, i, j);
  return TableReaches(ObservedStatistics{stats.Kappa[up], stats.StdKappa[up], stats.L[up]}, x, counted);
}

FourfoldTable SampleTableOf(int counted, int first_ties, int second_ties, int overlap) {
  FourfoldTable x;
  x[0] = static_cast<float>(counted - first_ties - second_ties + overlap);
  x[1] = static_cast<float>(second_ties - overlap);
  x[2] = static_cast<float>(first_ties - overlap);
  x[3] = static_cast<float>(overlap);
  return x;
}

FourfoldTable SwapTableOf(int second_only, int discordant) {
  FourfoldTable y;
  y[1] = static_cast<float>(second_only);
  y[2] = static_cast<float>(discordant - second_only);
  return y;
}

bool SwapTableReaches(const StatisticMatrices& stats, int e, int i, int j, const FourfoldTable& y) {
  const double z = McNemarZStatistic(y);
  return std::fabs(z) >= std::fabs(static_cast<double>(stats.McNemarZ[Upper(e, i, j)]));
}

void AddSampleCounts(StatisticMatrices& stats, int e, int i, int j, const SampleCounts& counts) {
  const std::size_t low = Lower(e, i, j);
  const auto add = [low](std::vector<float>& counters, std::int64_t count) {
    if (count != 0) counters[low] += static_cast<float>(count);
  };
  add(stats.McNemarZ, counts.mcnemar);
  add(stats.Kappa, counts.kappa);
  add(stats.StdKappa, counts.standardized_kappa);
  add(stats.L, counts.likelihood_ratio);
}

void TallySampledTables(StatisticMatrices& stats, int e, const FourfoldTable& x, const FourfoldTable& y, int i,
                        int j, int counted) {
  SampleCounts counts;
  counts.mcnemar = SwapTableReaches(stats, e, i, j, y) ? 1 : 0;
  counts.Add(SampledTableReaches(stats, e, i, j, x, counted), 1);
  AddSampleCounts(stats, e, i, j, counts);
}

void ComparePairToSample(StatisticMatrices& stats, int e, int i, int j, const BitWord* first,
                         const BitWord* second, const MatrixShape& shape, bool include_diagonal) {
  FourfoldTable table;
  CountFourfold(table, first, second, shape, include_diagonal);
  SampleCounts counts;
  counts.Add(SampledTableReaches(stats, e, i, j, table, CountedCells(shape.n, include_diagonal)), 1);
  AddSampleCounts(stats, e, i, j, counts);
}

}  // namespace quorel
