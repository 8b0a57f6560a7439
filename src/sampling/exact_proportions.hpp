#pragma once

#include <cstdint>

#include "core/fixed_matrix.hpp"
#include "core/matrix_list.hpp"
#include "measures/exact_proportion_matrices.hpp"
#include "measures/statistic_matrices.hpp"
#include "sampling/log_probability.hpp"
#include "sampling/null_model.hpp"

namespace quorel {

// Exact P-values of "permute each pair of matrices". A sample of the pair (A, B) randomises B
// into W under the control's null model; its sample table X is fixed by the overlap T3 =
// |A and W| on the counted cells (overlap_sampler.hpp), and its swap table Y, for McNemar's
// Z, by T1, the discordant cells exchanged into "second only". So the probability that a
// sample reaches an observed statistic is the probability of the overlaps whose table
// reaches it, and for McNemar's Z the probability of the T1 whose table reaches it, T1 being
// Binomial(discordant, 1/2) under every control (each exchange is a fair draw).
//
// The law of the overlap follows from the cell classes of the null model. Within a class
// B's ties are placed uniformly over the class's slots, each slot meeting a weight of A
// (0 or 1, up to 2 for a slot written to both cells of a dyad), so a class adds a
// multivariate hypergeometric count; classes are independent and their counts convolve.
// Under MC and ME each row of A meets B's row of a random actor, shuffled within the row: a
// mixture over the actor permutation, summed exactly over the multisets of B's outdegrees
// not yet handed out (rows of equal outdegree are interchangeable). Under MD B's mutual,
// asymmetric and null dyad codes fall uniformly on the dyads, an asymmetric code meeting one
// of its dyad's cells by a fair draw; the loops form a class of their own.
//
// There is no exact law under MB (the overlap of a relabelled relation has no closed form),
// in the one case where W's ties vary (all relations non-directional under MF with a fixed
// matrix that is not symmetric), or when the work would pass kExactWorkLimit.

// Term evaluations and stored probabilities one pair may take before its exact law is given
// up as absent: about a second of work.
inline constexpr std::int64_t kExactWorkLimit = 50'000'000;

// One pair as the exact computation reads it: A and B as N x N bytes.
struct ExactPair {
  const std::int8_t* first = nullptr;
  const std::int8_t* second = nullptr;
  int n = 0;
  bool include_diagonal = false;
};

// The exact law of the overlap of a pair under a model that draws samples, with the table
// margins it is read against. `exact` is false when there is none.
struct OverlapLaw {
  bool exact = false;
  LogDistribution log_p;  // log P(T3 = t), t = 0, 1, ...
  int counted = 0;
  int first_ties = 0;     // A's ties on the counted cells
  int second_ties = 0;    // W's ties on the counted cells
};

// Cost: the convolution of the classes' laws, O(N^4) at worst; under MC and ME the states
// times the overlaps; under MD the placements of B's mutual and asymmetric codes over A's
// three dyad states. Stops at `work_limit`.
OverlapLaw ExactOverlapLaw(const NullModel& model, const ExactPair& pair, const FixedMatrixRecord* fixed,
                           std::int64_t work_limit = kExactWorkLimit);

// The exact probabilities of the pair (i, j) reaching the observed statistics in the upper
// cells of `stats`, with the same comparisons a sample gets; NaN where absent. McNemar's is
// given whenever the control draws samples.
struct ExactPairProportions {
  double theta;
  double mcnemar_z;
  double kappa;
  double standardized_kappa;
};
ExactPairProportions ExactProportionsOfPair(const StatisticMatrices& stats, int e, int i, int j,
                                            const ExactPair& pair, int control, int directionality,
                                            const FixedMatrixRecord* fixed);

// Every pair (i, j), i < j, of the `elements` relations (the first `generators` generators),
// on `workers` workers; `diagonal` is the diagonal option, `fixed` the fixed matrix (no
// groups when there is none). Cost: pairs x ExactOverlapLaw.
ExactProportionMatrices ExactCompoundProportions(const MatrixList& relations, int elements, int generators,
                                                 int directionality, const FixedMatrixRecord& fixed, int control,
                                                 int diagonal, int workers, const StatisticMatrices& stats);

}  // namespace quorel
