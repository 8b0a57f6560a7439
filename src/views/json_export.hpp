#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/analysis_options.hpp"
#include "core/run_outcome.hpp"
#include "views/pair_records.hpp"
#include "views/result_sink.hpp"
#include "views/scratch_file.hpp"

namespace quorel {

// Version of the document's layout (docs/json-schema.md); raised when a field changes
// meaning or goes away, not when fields are added.
inline constexpr int kJsonFormatVersion = 1;

// Writes every result of a run as one JSON document (laid out in docs/json-schema.md) as the
// phases report them. The document opens with how the run ended and each problem with
// whether it is complete, so the results are written out of memory into scratch files as
// they arrive, in the document's own text, and joined behind the opening when the run is
// over, however it ended. Memory stays within a few rows of the largest matrix; the scratch
// files take about the size of the document.
class JsonExport : public ResultSink {
 public:
  // `requested`: the options as the command line gave them, before any problem's check.
  // The scratch files go in `scratch_directory` (the document's own directory is a good
  // place), or in the system's directory for temporary files when it is empty.
  JsonExport(const AnalysisOptions& requested, const std::string& program_version,
             const std::string& scratch_directory = {});
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

  // Passes the whole document, completed with how the run ended, to `out`; false, with the
  // reason in `error`, when it could not be formed or `out` refused it.
  bool WriteTo(const TextOut& out, const RunOutcome& outcome, std::string& error);
  // The same into `path`, or into a stream, or as one text.
  bool Write(const std::string& path, const RunOutcome& outcome, std::string& error);
  bool WriteTo(std::ostream& out, const RunOutcome& outcome, std::string& error);
  std::string Text(const RunOutcome& outcome);

 private:
  // The problem in work: its fields after "complete" go to body_, and, once the statistics
  // are in, the front of its pair records to pairs_, one per line; the cutoff level last
  // written stays open until its factorizations are in.
  struct OpenProblem {
    int number = 0;
    std::string label;
    std::unique_ptr<ScratchFile> body;
    std::unique_ptr<ScratchFile> pairs;
    bool levels_open = false;
    int levels = 0;
    bool level_open = false;
    int factorizations = 0;  // of the open level written: 0 none, 1 Omega's, 2 both
  };

  ScratchFile& Scratch(std::unique_ptr<ScratchFile>& file);
  void Field(const char* key, const nlohmann::ordered_json& value);
  // What still closes the problem in work, as its fields stand.
  std::string OpenEnds() const;
  // What closes the cutoff level last written (its factorizations not written, as null).
  std::string LevelEnds() const;
  void CloseLevel();
  // The problem in work as the document's text, complete or as far as it goes.
  bool WriteProblem(const TextOut& out, bool complete);
  // A word as its generators' names joined by ".".
  std::string WordNames(const std::vector<int>& word) const;

  std::unique_ptr<nlohmann::ordered_json> head_;  // every field before the problems
  std::string scratch_directory_;
  std::unique_ptr<ScratchFile> done_;  // the complete problems, each after a comma but the first
  int problems_done_ = 0;
  std::unique_ptr<OpenProblem> problem_;
  std::unique_ptr<ScratchFile> atoms_;  // of the factorization in work, each after a comma but the first
  int atom_count_ = 0;
  bool factorization_of_omega_ = true;

  std::vector<int> input_slots_;     // of the problem in work
  std::vector<std::string> relation_names_;
  std::vector<std::string> generator_names_;  // of the problem in work; empty when unnamed
  std::vector<std::array<std::int32_t, 4>> pair_counts_;  // n11, n10, n01, n00 of every pair i < j, in order
  std::vector<std::uint8_t> included_;        // per pair: the partial order's inclusions (kIInJ, kJInI)
  std::vector<OmegaColumn> omega_columns_;    // per cutoff level done
  std::vector<std::string> pair_words_;       // per element: its word as the tables write it
  int diagonal_ = 1;
  int sample_size_ = 0;  // S, the samples each proportion counts
  bool reapply_ = false;
  bool options_taken_ = false;       // the top-level options come from the first problem's check
  bool generator_products_only_ = false;
  int permutation_strategy_ = 1;
  int measure_control_ = 0;
  bool exact_p_ = false;           // exact P-values asked for: their triangles are written
  ExactProportionMatrices exact_;  // of the problem in work, until its statistics
};

}  // namespace quorel
