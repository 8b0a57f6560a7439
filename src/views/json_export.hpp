#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/analysis_options.hpp"
#include "core/run_outcome.hpp"
#include "views/pair_records.hpp"
#include "views/result_sink.hpp"

namespace quorel {


// Version of the document's layout (docs/json-schema.md); raised when a field changes
// meaning or goes away, not when fields are added.
inline constexpr int kJsonFormatVersion = 1;

// Collects every result of a run into one JSON document as the phases report them, and
// writes it when the run is over, however it ended. The layout is described in
// docs/json-schema.md.
class JsonExport : public ResultSink {
 public:
  // `requested`: the options as the command line gave them, before any problem's check.
  JsonExport(const AnalysisOptions& requested, const std::string& program_version);
  ~JsonExport() override;

  void ProblemStarted(const ProblemFacts& facts, const MatrixList& inputs, const FixedMatrixRecord* fixed) override;
  void GeneratorsChosen(const MatrixList& list, int generator_count, const std::vector<int>& transpose_of) override;
  void SemigroupBuilt(const Semigroup& semigroup, const MatrixList& elements) override;
  void PartialOrderBuilt(const ElementRelation& order) override;
  void ExactProportionsDone(const ExactProportionMatrices& exact, int element_count) override;
  void StatisticsDone(const StatisticMatrices& statistics, int element_count) override;
  void CutoffLevelDone(const OmegaLevel& level) override;
  void FactorizationStarted(int level_index, bool is_omega, bool full_output) override;
  void AtomDescribed(int number, const AtomResult& atom) override;
  void FactorizationDone() override;
  void ProblemDone() override;

  // The record of the run (RunRecordJson), placed after the program's version.
  void SetRun(const nlohmann::ordered_json& run);

  // The whole document, completed with how the run ended.
  std::string Text(const RunOutcome& outcome) const;

  // Writes Text(outcome) to `path`; false, with the system's reason in `error`, when the
  // file cannot be written completely.
  bool Write(const std::string& path, const RunOutcome& outcome, std::string& error) const;

 private:
  nlohmann::ordered_json& Problem();
  nlohmann::ordered_json PairRecords(const nlohmann::ordered_json& problem) const;
  // A word as its generators' names joined by ".".
  std::string WordNames(const std::vector<int>& word) const;

  std::unique_ptr<nlohmann::ordered_json> document_;
  std::vector<int> input_slots_;     // of the problem in work
  std::vector<std::string> relation_names_;
  std::vector<std::string> generator_names_;  // of the problem in work; empty when unnamed
  std::vector<std::array<std::int32_t, 4>> pair_counts_;  // n11, n10, n01, n00 of every pair i < j, in order
  std::vector<std::uint8_t> included_;        // per pair: the partial order's inclusions (kIInJ, kJInI)
  std::vector<OmegaColumn> omega_columns_;    // per cutoff level done
  std::vector<std::string> pair_words_;       // per element: its word as the tables write it
  int diagonal_ = 1;
  int sample_size_ = 0;  // S, the samples each proportion counts
  std::unique_ptr<nlohmann::ordered_json> atoms_;  // of the factorization in work
  int factorization_level_ = 0;
  bool factorization_of_omega_ = true;
  bool reapply_ = false;
  bool options_taken_ = false;       // the top-level options come from the first problem's check
  bool generator_products_only_ = false;
  int permutation_strategy_ = 1;
  int measure_control_ = 0;
  bool exact_p_ = false;           // exact P-values asked for: their triangles are written
  ExactProportionMatrices exact_;  // of the problem in work, until its statistics
};

}  // namespace quorel
