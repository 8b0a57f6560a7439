#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/gui/problem_results.hpp"
#include "views/result_sink.hpp"

namespace quorel {

// The window's view of a run: keeps its own copy of each phase's results and hands it on
// as soon as the phase is over, on the analysing thread.
class ResultsCapture final : public ResultSink {
 public:
  struct Handlers {
    std::function<void(int number, const std::string& label)> problem;
    std::function<void(std::shared_ptr<const ElementsPart>)> elements;
    std::function<void(std::shared_ptr<const PairsPart>)> pairs;
    std::function<void(std::shared_ptr<const OmegaLevel>)> level;
  };

  explicit ResultsCapture(Handlers handlers) : handlers_(std::move(handlers)) {}

  void ProblemStarted(const ProblemFacts& facts, const MatrixList& inputs, const FixedMatrixRecord* fixed) override;
  void GeneratorsChosen(const MatrixList& list, int generator_count, const std::vector<int>& transpose_of) override;
  void SemigroupBuilt(const Semigroup& semigroup, const MatrixList& elements) override;
  void PartialOrderBuilt(const ElementRelation& order) override;
  void StatisticsDone(const StatisticMatrices& statistics, int element_count) override;
  void CutoffLevelDone(const OmegaLevel& level) override;

 private:
  Handlers handlers_;
  ProblemFacts facts_;
  std::vector<std::string> generator_names_;
  std::shared_ptr<ElementsPart> elements_;
};

// Matrices are kept for the grid only while all of them take at most this many cells.
inline constexpr std::int64_t kMaxKeptMatrixCells = std::int64_t{64} << 20;

}  // namespace quorel
