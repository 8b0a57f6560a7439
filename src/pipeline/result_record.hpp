#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "views/result_sink.hpp"

namespace quorel {

// Every result of one problem, kept as the pipeline handed it on, so that it can be read
// at leisure and handed on again (to the report, the JSON document, ...) later. The
// relation matrices are kept once, as the elements of the semigroup: the inputs and the
// generators are their first slots.
struct ProblemRecord {
  ProblemFacts facts;
  std::optional<FixedMatrixRecord> fixed;
  std::vector<std::pair<int, int>> identical_transposes;  // (input, equal to)
  int generator_count = 0;
  std::vector<int> transpose_of;
  Semigroup semigroup;
  MatrixList elements;
  ElementRelation partial_order;
  StatisticMatrices statistics;
  ExactProportionMatrices exact;  // empty unless exact P-values were asked for

  struct Extension {
    int first = 0;
    int second = 0;
    std::vector<ElementPair> induced;
  };
  struct Factorization {
    bool is_omega = true;
    bool full_output = false;
    std::vector<Extension> extensions;  // only with full output
    std::vector<AtomResult> atoms;
  };
  struct Level {
    OmegaLevel relations;
    bool lower_omega_closure_in_omega = false;
    std::vector<Factorization> factorizations;  // in the order made: Omega, then lower Omega
  };
  std::vector<Level> levels;
  bool complete = false;  // the problem's last cutoff level was reached
};

// Hands a recorded problem on to `sink` as the pipeline did: the same calls in the same
// order with the same values.
void Replay(const ProblemRecord& record, ResultSink& sink);

// A view that keeps every result of the problems it is told about.
class ResultRecorder : public ResultSink {
 public:
  std::vector<ProblemRecord>& Problems() { return problems_; }

  void ProblemStarted(const ProblemFacts& facts, const MatrixList& inputs, const FixedMatrixRecord* fixed) override;
  void IdenticalTranspose(int input, int equal_to) override;
  void GeneratorsChosen(const MatrixList& list, int generator_count, const std::vector<int>& transpose_of) override;
  void SemigroupBuilt(const Semigroup& semigroup, const MatrixList& elements) override;
  void PartialOrderBuilt(const ElementRelation& order) override;
  void ExactProportionsDone(const ExactProportionMatrices& exact, int element_count) override;
  void StatisticsDone(const StatisticMatrices& statistics, int element_count) override;
  void LowerOmegaClosed(const OmegaLevel& level, bool contained_in_omega) override;
  void CutoffLevelDone(const OmegaLevel& level) override;
  void FactorizationStarted(int level_index, bool is_omega, bool full_output) override;
  void ExtensionListed(int first, int second, const std::vector<ElementPair>& induced) override;
  void AtomDescribed(int number, const AtomResult& atom) override;
  void ProblemDone() override;

 private:
  ProblemRecord& Current() { return problems_.back(); }

  std::vector<ProblemRecord> problems_;
  bool contained_ = false;
};

}  // namespace quorel
