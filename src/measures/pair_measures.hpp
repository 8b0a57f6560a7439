#pragma once

#include <cstdint>

#include "core/relation_matrix.hpp"
#include "measures/fourfold_table.hpp"
#include "measures/statistic_matrices.hpp"

namespace quorel {

// The observed statistics of the pair (i, j), i < j, element i the first relation: kappa,
// McNemar Z, Fisher's P (measure control MA only), BinP, ESTVAR, standardized kappa and L,
// stored as 32-bit floats in the upper cells [i][j] (BinP in the lower cell [j][i]).
void ComputePairMeasures(StatisticMatrices& stats, int e, int i, int j, const BitWord* first,
                         const BitWord* second, const MatrixShape& shape, bool include_diagonal,
                         int measure_control);

// Compares one sample of the pair (i, j) with the observed statistics: x is the table of the
// first relation against the randomised second, y the table with each cell's pair of values
// exchanged at random. Adds 1 to the lower cell [j][i] of McNemar Z (|z| reaching the observed
// |z|), kappa, standardized kappa and L for every statistic that reaches its observed value
// (ties count). `counted` is the number of cells each table counts.
void TallySampledTables(StatisticMatrices& stats, int e, const FourfoldTable& x, const FourfoldTable& y, int i,
                        int j, int counted);

// Whether a sampled table X of the pair (i, j) reaches the observed kappa, standardized kappa
// and L (ties count). Each is the same comparison TallySampledTables makes; a table's result
// depends on its four cells alone, so it may be formed once for many samples with equal tables.
struct SampleReach {
  bool kappa = false;
  bool standardized_kappa = false;
  bool likelihood_ratio = false;
};
SampleReach SampledTableReaches(const StatisticMatrices& stats, int e, int i, int j, const FourfoldTable& x,
                                int counted);

// A pair's observed statistics, as the samples are held against them (the upper cells of
// the statistic matrices).
struct ObservedStatistics {
  float kappa = 0.0f;
  float standardized_kappa = 0.0f;
  float likelihood_ratio = 0.0f;
};
// The same comparison against observed statistics held apart from the matrices.
SampleReach TableReaches(const ObservedStatistics& observed, const FourfoldTable& x, int counted);

// L of a table of `counted` cells with 0.5 added to each cell, against its expectation.
double AdjustedLikelihoodRatio(FourfoldTable table, int counted);

// The sample table X of a pair whose randomised second relation meets the first at `overlap`
// counted cells: the first relation's ties and the randomised relation's ties on the counted
// cells fix the other three cells.
FourfoldTable SampleTableOf(int counted, int first_ties, int second_ties, int overlap);

// The discordant cells of a swap table Y, `second_only` of the `discordant` cells counted as
// "second only" after the exchanges (the concordant cells do not matter to McNemar's Z).
FourfoldTable SwapTableOf(int second_only, int discordant);

// Whether the swap table Y of a sample reaches the observed |McNemar Z| of the pair (i, j).
// Only its discordant cells Y[1] and Y[2] matter.
bool SwapTableReaches(const StatisticMatrices& stats, int e, int i, int j, const FourfoldTable& y);

// How many samples of a pair reached each observed statistic.
struct SampleCounts {
  std::int64_t mcnemar = 0;
  std::int64_t kappa = 0;
  std::int64_t standardized_kappa = 0;
  std::int64_t likelihood_ratio = 0;

  void Add(const SampleReach& reach, std::int64_t samples) {
    kappa += reach.kappa ? samples : 0;
    standardized_kappa += reach.standardized_kappa ? samples : 0;
    likelihood_ratio += reach.likelihood_ratio ? samples : 0;
  }
};

// Adds the counts to the counters in the lower cells [j][i] of McNemar Z, kappa, standardized
// kappa and L. The counters are floats; whole numbers up to 2^24 add exactly, so adding a count
// once equals adding 1 that many times.
void AddSampleCounts(StatisticMatrices& stats, int e, int i, int j, const SampleCounts& counts);

// Compares the pair (i, j) of a sample of the whole network (generators permuted, compounds
// rebuilt) with the observed kappa, standardized kappa and L.
void ComparePairToSample(StatisticMatrices& stats, int e, int i, int j, const BitWord* first,
                         const BitWord* second, const MatrixShape& shape, bool include_diagonal);

}  // namespace quorel
