#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "algebra/semigroup.hpp"
#include "core/analysis_options.hpp"
#include "core/element_relation.hpp"
#include "core/fixed_matrix.hpp"
#include "core/matrix_list.hpp"
#include "measures/exact_proportion_matrices.hpp"
#include "measures/statistic_matrices.hpp"
#include "omega/factorization_result.hpp"
#include "omega/omega_level.hpp"

namespace quorel {

// What every view needs to know of the problem in work, as read and checked.
struct ProblemFacts {
  int number = 0;                    // problem specifications read so far, from 1
  std::string label;
  int n = 0;                         // actors
  int nr = 0;                        // input relations
  bool has_directionality = false;   // the input gave a non-directionality vector
  std::vector<std::int8_t> ndi;      // per distinct input matrix: 1 = non-directional
  int directionality = 0;            // 0 all directional, 1 all non-directional, 2 mixed
  std::vector<std::string> actor_names;     // empty when the input names none
  std::vector<std::string> relation_names;  // per input relation; empty when none
  // Per input relation: the slot of the distinct matrix it stands for (a repeat shares the
  // slot of its first occurrence), and -1 or the slot it repeats.
  std::vector<int> input_slots;
  std::vector<std::int16_t> repeats;
  int distinct_inputs = 0;
  AnalysisOptions options;           // after this problem's option check
  std::vector<float> cutoffs;        // the cutoff levels as parsed
};

// Receives the results of a run as the pipeline finds them, problem by problem and, within
// a problem, in the order of the report. Each argument is valid only during the call: a
// view that needs a result later keeps its own copy. The relation matrices are released
// after the statistics. Calls come from the thread that runs the analysis; the defaults
// do nothing, so a view overrides only what it shows.
class ResultSink {
 public:
  virtual ~ResultSink() = default;

  // A further problem specification was found after a complete one.
  virtual void ProblemFollows() {}

  // The problem was read: the distinct input matrices are slots 0..distinct_inputs-1 of
  // `inputs`; `fixed` is the fixed matrix when one is supplied.
  virtual void ProblemStarted(const ProblemFacts& /*facts*/, const MatrixList& /*inputs*/,
                              const FixedMatrixRecord* /*fixed*/) {}

  // The transpose of input `input` equals input `equal_to` and is not added.
  virtual void IdenticalTranspose(int /*input*/, int /*equal_to*/) {}

  // The generators are slots 0..generator_count-1: the distinct inputs, then the transposes
  // added; transpose_of[k] is the input generator k is the transpose of, or -1.
  virtual void GeneratorsChosen(const MatrixList& /*list*/, int /*generator_count*/,
                                const std::vector<int>& /*transpose_of*/) {}

  // The elements are slots 0..element_count-1 of `elements`.
  virtual void SemigroupBuilt(const Semigroup& /*semigroup*/, const MatrixList& /*elements*/) {}
  virtual void PartialOrderBuilt(const ElementRelation& /*order*/) {}

  // Only when exact P-values were asked for, just before StatisticsDone: the exact
  // probabilities of every pair (lower cells, NaN where there is none).
  virtual void ExactProportionsDone(const ExactProportionMatrices& /*exact*/, int /*element_count*/) {}

  // The observed statistics (upper cells) and the proportions (lower cells) of every pair.
  virtual void StatisticsDone(const StatisticMatrices& /*statistics*/, int /*element_count*/) {}

  // The cutoff levels follow.
  virtual void PartialAlgebraStarted() {}

  // One cutoff level, step by step; `level` holds what has been found so far.
  virtual void CutoffLevelStarted(int /*index*/, float /*alpha*/) {}
  virtual void OmegaDecided(const OmegaLevel& /*level*/) {}
  virtual void LowerOmegaFound(const OmegaLevel& /*level*/) {}
  virtual void LowerOmegaClosed(const OmegaLevel& /*level*/, bool /*contained_in_omega*/) {}
  virtual void OmegaClosed(const OmegaLevel& /*level*/) {}
  virtual void CutoffLevelDone(const OmegaLevel& /*level*/) {}

  // A factorization of the closure of Omega (`is_omega`) or of lower Omega at cutoff level
  // `level_index`, step by step.
  virtual void FactorizationStarted(int /*level_index*/, bool /*is_omega*/, bool /*full_output*/) {}
  // Only with full output: a pair outside the relation and what its extension adds.
  virtual void ExtensionListed(int /*first*/, int /*second*/, const std::vector<ElementPair>& /*induced*/) {}
  virtual void AtomsFound(int /*count*/) {}
  virtual void AtomDescribed(int /*number*/, const AtomResult& /*atom*/) {}
  virtual void FactorizationDone() {}

  virtual void ProblemDone() {}
};

}  // namespace quorel
