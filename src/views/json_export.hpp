#pragma once

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/analysis_options.hpp"
#include "pipeline/result_observer.hpp"

namespace quorel {

struct RunOutcome;

// Version of the document's layout (docs/json-schema.md); raised when a field changes
// meaning or goes away, not when fields are added.
inline constexpr int kJsonFormatVersion = 1;

// Collects every result of a run into one JSON document as the phases report them, and
// writes it when the run is over, however it ended. The layout is described in
// docs/json-schema.md.
class JsonExport : public ResultObserver {
 public:
  // `requested`: the options as the command line gave them, before any problem's check.
  JsonExport(const AnalysisOptions& requested, const std::string& program_version);
  ~JsonExport() override;

  void ProblemStarted(const AnalysisState& state, const ProblemInput& input) override;
  void GeneratorsChosen(const AnalysisState& state, const std::vector<int>& transpose_of) override;
  void SemigroupBuilt(const AnalysisState& state) override;
  void PartialOrderBuilt(const AnalysisState& state, const ElementRelation& order) override;
  void StatisticsDone(const AnalysisState& state) override;
  void CutoffLevelDone(const AnalysisState& state, const OmegaLevel& level) override;
  void FactorizationDone(const AnalysisState& state, int level_index, const FactorizationResult& result) override;
  void ProblemDone(const AnalysisState& state) override;

  // The whole document, completed with how the run ended.
  std::string Text(const RunOutcome& outcome) const;

  // Writes Text(outcome) to `path`; false, with the system's reason in `error`, when the
  // file cannot be written completely.
  bool Write(const std::string& path, const RunOutcome& outcome, std::string& error) const;

 private:
  nlohmann::ordered_json& Problem();

  std::unique_ptr<nlohmann::ordered_json> document_;
  std::vector<int> input_slots_;     // of the problem in work
  bool reapply_ = false;
  bool options_taken_ = false;       // the top-level options come from the first problem's check
  bool generator_products_only_ = false;
  int permutation_strategy_ = 1;
  int measure_control_ = 0;
};

}  // namespace quorel
