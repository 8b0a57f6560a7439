#pragma once

#include <cstdio>

#include "core/storage_gate.hpp"
#include "views/result_sink.hpp"

namespace quorel {

// The plain-text report: every result written in the report's fixed layout as it arrives,
// so that a run that ends early leaves the report as far as it got.
class ReportView : public ResultSink {
 public:
  // Writes to `out`; `gate` is asked for the work matrix that prints the fixed matrix.
  ReportView(std::FILE* out, StorageGate& gate) : out_(out), gate_(gate) {}

  void ProblemFollows() override;
  void ProblemStarted(const ProblemFacts& facts, const MatrixList& inputs, const FixedMatrixRecord* fixed) override;
  void IdenticalTranspose(int input, int equal_to) override;
  void GeneratorsChosen(const MatrixList& list, int generator_count, const std::vector<int>& transpose_of) override;
  void SemigroupBuilt(const Semigroup& semigroup, const MatrixList& elements) override;
  void PartialOrderBuilt(const ElementRelation& order) override;
  void StatisticsDone(const StatisticMatrices& statistics, int element_count) override;
  void PartialAlgebraStarted() override;
  void CutoffLevelStarted(int index, float alpha) override;
  void OmegaDecided(const OmegaLevel& level) override;
  void LowerOmegaFound(const OmegaLevel& level) override;
  void LowerOmegaClosed(const OmegaLevel& level, bool contained_in_omega) override;
  void OmegaClosed(const OmegaLevel& level) override;
  void CutoffLevelDone(const OmegaLevel& level) override;
  void FactorizationStarted(int level_index, bool is_omega, bool full_output) override;
  void ExtensionListed(int first, int second, const std::vector<ElementPair>& induced) override;
  void AtomsFound(int count) override;
  void AtomDescribed(int number, const AtomResult& atom) override;
  void FactorizationDone() override;

 private:
  std::FILE* out_;
  StorageGate& gate_;
  ProblemFacts facts_;  // of the problem in work
};

// Writes induced inclusions as " (r, c) " items, element numbers from 1, after a
// three-blank indent; a line is broken before it would pass 80 columns and continues after
// three blanks. Ends with an empty line.
void PrintInducedInclusions(std::FILE* out, const std::vector<ElementPair>& induced);

}  // namespace quorel
