#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "views/csv_writer.hpp"
#include "views/pair_records.hpp"
#include "views/result_sink.hpp"

namespace quorel {

// Writes the results of a run as CSV tables, one folder per problem (DIR/1/, DIR/2/, ...,
// created when missing), one row per observation:
//   elements.csv       every element: word, length, ties, density
//   pairs.csv          every pair i < j: the 2 x 2 counts, the statistics and proportions,
//                      the partial order and, per cutoff level, Omega between the two
//   partial_order.csv  the covering pairs of the partial order
//   omega.csv          per cutoff level, the ordered pairs in Omega, lower Omega or a closure
//   atoms.csv          the atoms of every factorization
// The columns are described in docs/tables.md. Each file appears whole under its name once
// its data is complete; a run that ends before a problem is done leaves that problem's
// files with the cutoff levels and factorizations it completed (Finish). A folder or file
// that cannot be written gives a warning on `warnings`; the run goes on.
class TableExport : public ResultSink {
 public:
  TableExport(std::string directory, std::FILE* warnings);
  ~TableExport() override;
  TableExport(const TableExport&) = delete;
  TableExport& operator=(const TableExport&) = delete;

  void ProblemStarted(const ProblemFacts& facts, const MatrixList& inputs, const FixedMatrixRecord* fixed) override;
  void GeneratorsChosen(const MatrixList& list, int generator_count, const std::vector<int>& transpose_of) override;
  void SemigroupBuilt(const Semigroup& semigroup, const MatrixList& elements) override;
  void PartialOrderBuilt(const ElementRelation& order) override;
  void ExactProportionsDone(const ExactProportionMatrices& exact, int element_count) override;
  void StatisticsDone(const StatisticMatrices& statistics, int element_count) override;
  void PartialAlgebraStarted() override;
  void CutoffLevelStarted(int index, float alpha) override;
  void CutoffLevelDone(const OmegaLevel& level) override;
  void FactorizationStarted(int level_index, bool is_omega, bool full_output) override;
  void AtomDescribed(int number, const AtomResult& atom) override;
  void FactorizationDone() override;
  void ProblemDone() override;

  // Writes the files of a problem the run left unfinished, with what it reached. Called
  // when the run is over, however it ended; does nothing when every problem was done.
  void Finish();

  // The files written so far, as paths.
  const std::vector<std::string>& Written() const { return written_; }

 private:
  struct PendingAtom {
    int number = 0;
    int lower = 0, upper = 0;  // the generating inclusion, 0-based: lower included in upper
    std::string induced;
    bool unique_meet_complement = false;
  };

  bool Folder();
  std::string PathOf(const char* file) const;
  bool Start(CsvWriter& writer, const char* file, const std::vector<std::string>& header);
  void Commit(CsvWriter& writer, const char* file);
  void WriteLateTables();
  void WritePairs();
  void DropPairRows();

  std::string directory_;
  std::FILE* warnings_;
  std::vector<std::string> written_;

  // The problem in work.
  bool in_problem_ = false;
  int problem_ = 0;
  bool folder_ready_ = false;
  bool folder_failed_ = false;
  int n_ = 0;
  int e_ = 0;
  int g_ = 0;
  int diagonal_ = 0;
  int measure_control_ = 0;
  int permutation_strategy_ = 0;
  int sample_size_ = 0;  // S, the samples each proportion counts
  bool exact_p_ = false;               // exact P-values asked for: their columns are written
  ExactProportionMatrices exact_;      // until the pairs are staged
  std::vector<int> input_slots_;
  std::vector<std::string> relation_names_;
  std::vector<std::string> generator_names_;
  std::vector<std::string> words_;           // per element, as the report writes words
  std::vector<std::array<std::int32_t, 4>> counts_;  // per pair: n11, n10, n01, n00
  std::vector<std::uint8_t> included_;       // per pair: bit 0 i in j, bit 1 j in i
  std::FILE* pair_rows_ = nullptr;           // pairs.csv rows up to the omega columns
  std::size_t staged_pairs_ = 0;
  std::vector<float> alphas_;                // per cutoff level started
  std::vector<OmegaColumn> levels_;          // per cutoff level done
  CsvWriter omega_;
  CsvWriter atoms_;
  int factorization_level_ = 0;
  bool factorization_of_omega_ = true;
  std::vector<PendingAtom> pending_atoms_;
};

}  // namespace quorel
