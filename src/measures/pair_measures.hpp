#pragma once

#include <cstdint>

#include "algebra/relation_matrix.hpp"
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

// Compares the pair (i, j) of a sample of the whole network (generators permuted, compounds
// rebuilt) with the observed kappa, standardized kappa and L.
void ComparePairToSample(StatisticMatrices& stats, int e, int i, int j, const BitWord* first,
                         const BitWord* second, const MatrixShape& shape, bool include_diagonal);

}  // namespace quorel
