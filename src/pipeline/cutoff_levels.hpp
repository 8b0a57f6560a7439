#pragma once

#include <cstdio>
#include <vector>

#include "algebra/semigroup.hpp"
#include "core/analysis_options.hpp"
#include "core/element_relation.hpp"
#include "core/progress_observer.hpp"
#include "core/storage_gate.hpp"
#include "measures/statistic_matrices.hpp"
#include "omega/factor_table.hpp"
#include "views/result_sink.hpp"

namespace quorel {

// Section 3 and 4 of a problem: for every cutoff level Omega, and unless only generator
// powers were formed lower Omega, its closure and the closure of Omega; then the
// factorizations the options ask for. Each result goes to `sink` as soon as it is found
// and is released after its level. `progress_lines`, when given, receives a line per level.
// `samples`: the random samples the proportions in `statistics` count, 0 for exact values
// (which leave no pair unsettled).
// Cost per level: one closure per pair of Omega outside the partial order at most, plus
// the factorizations (one closure per group of pairs generating the same extension).
void RunCutoffLevels(const Semigroup& semigroup, const StatisticMatrices& statistics,
                     const ElementRelation& partial_order, const AnalysisOptions& options,
                     const std::vector<float>& cutoffs, int samples, StorageGate& gate, ResultSink& sink,
                     ProgressObserver* progress, std::FILE* progress_lines);

// One cutoff level as `level` sets it (Alpha, Z, MinKappa, HasLowerOmega): Omega, then,
// when HasLowerOmega, lower Omega, its closure and the closure of Omega, each handed to
// `sink` as found, and the level's end; UnsettledPairs counts against the `samples` the
// proportions come from. `level.Omega` and `level.LowerOmega` are reused.
void StreamCutoffLevel(OmegaLevel& level, const std::vector<std::int16_t>& mult, const StatisticMatrices& statistics,
                       const ElementRelation& partial_order, int permutation_strategy, int samples,
                       StorageGate& gate, ResultSink& sink);

// The factorization of `rel` into atoms: with `full`, every single-inclusion extension
// first; then each atom with its generating and induced inclusions and its
// meet-complements, handed to `sink` as soon as it is described. The extensions are held
// within `byte_limit` bytes. `stop` is asked before every group's closure and every atom
// whether to end the factorization (an Error of kind kCancelled).
void StreamFactorization(const ElementRelation& rel, const std::vector<std::int16_t>& mult, int level_index,
                         bool is_omega, bool full, StorageGate& gate, ResultSink& sink,
                         std::size_t byte_limit = FactorTable::kDefaultByteLimit,
                         const ProgressObserver* stop = nullptr);

}  // namespace quorel
