#pragma once

#include <vector>

#include "views/result_sink.hpp"

namespace quorel {

// Passes every result on to each of several views, in the order they were added.
class SinkFanout : public ResultSink {
 public:
  void Add(ResultSink* sink) {
    if (sink != nullptr) sinks_.push_back(sink);
  }
  bool Empty() const { return sinks_.empty(); }

  void ProblemFollows() override { Each(&ResultSink::ProblemFollows); }
  void ProblemStarted(const ProblemFacts& f, const MatrixList& inputs, const FixedMatrixRecord* fixed) override {
    Each(&ResultSink::ProblemStarted, f, inputs, fixed);
  }
  void IdenticalTranspose(int input, int equal_to) override { Each(&ResultSink::IdenticalTranspose, input, equal_to); }
  void GeneratorsChosen(const MatrixList& list, int g, const std::vector<int>& transpose_of) override {
    Each(&ResultSink::GeneratorsChosen, list, g, transpose_of);
  }
  void SemigroupBuilt(const Semigroup& s, const MatrixList& elements) override {
    Each(&ResultSink::SemigroupBuilt, s, elements);
  }
  void PartialOrderBuilt(const ElementRelation& order) override { Each(&ResultSink::PartialOrderBuilt, order); }
  void ExactProportionsDone(const ExactProportionMatrices& exact, int e) override {
    Each(&ResultSink::ExactProportionsDone, exact, e);
  }
  void StatisticsDone(const StatisticMatrices& s, int e) override { Each(&ResultSink::StatisticsDone, s, e); }
  void PartialAlgebraStarted() override { Each(&ResultSink::PartialAlgebraStarted); }
  void CutoffLevelStarted(int index, float alpha) override { Each(&ResultSink::CutoffLevelStarted, index, alpha); }
  void OmegaDecided(const OmegaLevel& level) override { Each(&ResultSink::OmegaDecided, level); }
  void LowerOmegaFound(const OmegaLevel& level) override { Each(&ResultSink::LowerOmegaFound, level); }
  void LowerOmegaClosed(const OmegaLevel& level, bool contained) override {
    Each(&ResultSink::LowerOmegaClosed, level, contained);
  }
  void OmegaClosed(const OmegaLevel& level) override { Each(&ResultSink::OmegaClosed, level); }
  void CutoffLevelDone(const OmegaLevel& level) override { Each(&ResultSink::CutoffLevelDone, level); }
  void FactorizationStarted(int level_index, bool is_omega, bool full) override {
    Each(&ResultSink::FactorizationStarted, level_index, is_omega, full);
  }
  void ExtensionListed(int first, int second, const std::vector<ElementPair>& induced) override {
    Each(&ResultSink::ExtensionListed, first, second, induced);
  }
  void AtomsFound(int count) override { Each(&ResultSink::AtomsFound, count); }
  void AtomDescribed(int number, const AtomResult& atom) override { Each(&ResultSink::AtomDescribed, number, atom); }
  void FactorizationDone() override { Each(&ResultSink::FactorizationDone); }
  void ProblemDone() override { Each(&ResultSink::ProblemDone); }

 private:
  template <class Method, class... Args>
  void Each(Method method, const Args&... args) {
    for (ResultSink* sink : sinks_) (sink->*method)(args...);
  }

  std::vector<ResultSink*> sinks_;
};

}  // namespace quorel
