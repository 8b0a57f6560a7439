#pragma once

#include <string>
#include <vector>

namespace quorel {

struct AnalysisState;
struct AnalysisOptions;
struct OmegaLevel;
struct FactorizationResult;
class ElementRelation;

// The input of a problem as the report's first block shows it.
struct ProblemInput {
  const std::string& Label;
  // Per input relation: the slot of the distinct matrix it stands for (a repeated matrix
  // shares the slot of its first occurrence).
  const std::vector<int>& InputSlots;
  const AnalysisOptions& Options;    // after the option check of this problem
  const std::vector<float>& Cutoffs;  // the cutoff levels as parsed
};

// Told the results of each phase of a problem as they are found, so that a shell can
// keep them in another form beside the report. Every callback receives the analysis state
// as it stands at that moment: the relation matrices are released before the cutoff
// levels, so an observer that needs them keeps its own copy when SemigroupBuilt is called.
// The callbacks are made on the thread that runs the analysis; the defaults do nothing.
class ResultObserver {
 public:
  virtual ~ResultObserver() = default;

  // The problem's specification was read and its input written: the distinct input
  // relations are state.MatrixList slots 0..state.GeneratorCount-1.
  virtual void ProblemStarted(const AnalysisState& /*state*/, const ProblemInput& /*input*/) {}

  // The generators are settled (slots 0..state.GeneratorCount-1): the distinct input
  // relations, then the transposes added. transpose_of[k] is the slot of the matrix
  // generator k is the transpose of, -1 for a generator that is not an added transpose.
  virtual void GeneratorsChosen(const AnalysisState& /*state*/, const std::vector<int>& /*transpose_of*/) {}

  // The elements, the word table and the multiplication table are complete.
  virtual void SemigroupBuilt(const AnalysisState& /*state*/) {}

  virtual void PartialOrderBuilt(const AnalysisState& /*state*/, const ElementRelation& /*order*/) {}

  // state.Statistics holds the observed statistics and the proportions.
  virtual void StatisticsDone(const AnalysisState& /*state*/) {}

  virtual void CutoffLevelDone(const AnalysisState& /*state*/, const OmegaLevel& /*level*/) {}

  // A factorization of cutoff level `level_index` (from 0) was written.
  virtual void FactorizationDone(const AnalysisState& /*state*/, int /*level_index*/,
                                 const FactorizationResult& /*result*/) {}

  virtual void ProblemDone(const AnalysisState& /*state*/) {}
};

}  // namespace quorel
