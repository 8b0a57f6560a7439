#pragma once

#include <vector>

#include "pipeline/result_observer.hpp"

namespace quorel {

// Passes every result on to each of several observers, in the order they were added.
class ObserverFanout : public ResultObserver {
 public:
  void Add(ResultObserver* observer) { observers_.push_back(observer); }
  bool Empty() const { return observers_.empty(); }

  void ProblemStarted(const AnalysisState& s, const ProblemInput& input) override {
    for (ResultObserver* o : observers_) o->ProblemStarted(s, input);
  }
  void GeneratorsChosen(const AnalysisState& s, const std::vector<int>& transpose_of) override {
    for (ResultObserver* o : observers_) o->GeneratorsChosen(s, transpose_of);
  }
  void SemigroupBuilt(const AnalysisState& s) override {
    for (ResultObserver* o : observers_) o->SemigroupBuilt(s);
  }
  void PartialOrderBuilt(const AnalysisState& s, const ElementRelation& order) override {
    for (ResultObserver* o : observers_) o->PartialOrderBuilt(s, order);
  }
  void StatisticsDone(const AnalysisState& s) override {
    for (ResultObserver* o : observers_) o->StatisticsDone(s);
  }
  void CutoffLevelDone(const AnalysisState& s, const OmegaLevel& level) override {
    for (ResultObserver* o : observers_) o->CutoffLevelDone(s, level);
  }
  void FactorizationDone(const AnalysisState& s, int level_index, const FactorizationResult& result) override {
    for (ResultObserver* o : observers_) o->FactorizationDone(s, level_index, result);
  }
  void ProblemDone(const AnalysisState& s) override {
    for (ResultObserver* o : observers_) o->ProblemDone(s);
  }

 private:
  std::vector<ResultObserver*> observers_;
};

}  // namespace quorel
