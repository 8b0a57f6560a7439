#include "views/table_export.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <cmath>
#include <limits>
#include <new>

#include <stdio.h>  // getline

#include "core/analysis_options.hpp"
#include "omega/omega_level.hpp"
#include "views/element_words.hpp"
#include "views/hasse_diagram.hpp"
#include "views/pair_records.hpp"
#include "measures/interval_cache.hpp"

namespace quorel {

namespace {

// The pairs table's columns up to the omega columns.
const std::vector<std::string> kPairColumns = {
    "i", "j", "word_i", "word_j", "n11", "n10", "n01", "n00",
    "likelihood_ratio", "theta", "theta_low", "theta_high", "fisher_p", "mcnemar_z", "mcnemar_z_proportions",
    "mcnemar_z_proportions_low", "mcnemar_z_proportions_high", "binomial_p", "kappa", "estvar", "kappa_proportions",
    "kappa_proportions_low", "kappa_proportions_high", "standardized_kappa", "standardized_kappa_proportions",
    "standardized_kappa_proportions_low", "standardized_kappa_proportions_high", "included_i_in_j", "included_j_in_i"};

// With exact P-values, their columns follow the sampled proportions' (before the inclusions).
const std::vector<std::string> kExactColumns = {"theta_exact", "mcnemar_z_proportions_exact",
                                                "kappa_proportions_exact", "standardized_kappa_proportions_exact"};
constexpr std::size_t kInclusionColumns = 2;

void AppendInteger(std::string& row, long long value) { row += std::to_string(value); }

void AppendFloat(std::string& row, float value) { row += ShortestDecimal(value); }

}  // namespace

TableExport::TableExport(std::string directory, std::FILE* warnings)
    : directory_(std::move(directory)), warnings_(warnings) {}

TableExport::~TableExport() {
  Finish();
  DropPairRows();
}

void TableExport::Finish() {
  if (!in_problem_) return;
  in_problem_ = false;
  WriteLateTables();
}

void TableExport::ProblemStarted(const ProblemFacts& facts, const MatrixList&, const FixedMatrixRecord*) {
  Finish();
  in_problem_ = true;
  problem_ = facts.number;
  folder_ready_ = false;
  folder_failed_ = false;
  n_ = facts.n;
  e_ = 0;
  g_ = 0;
  diagonal_ = facts.options.m_Diagonal;
  measure_control_ = facts.options.m_MeasureControl;
  permutation_strategy_ = facts.options.m_PermutationStrategy;
  sample_size_ = static_cast<std::int16_t>(facts.options.m_SampleSize);
  exact_p_ = facts.options.ExactP;
  exact_ = ExactProportionMatrices();
  input_slots_ = facts.input_slots;
  relation_names_ = facts.relation_names;
  generator_names_.clear();
  words_.clear();
  std::vector<std::array<std::int32_t, 4>>().swap(counts_);
  std::vector<std::uint8_t>().swap(included_);
  DropPairRows();
  alphas_.clear();
  levels_.clear();
  omega_.Abandon();
  atoms_.Abandon();
  pending_atoms_.clear();
}

void TableExport::GeneratorsChosen(const MatrixList&, int, const std::vector<int>& transpose_of) {
  generator_names_ = GeneratorNames(relation_names_, input_slots_, transpose_of);
}

bool TableExport::Folder() {
  if (folder_ready_) return true;
  if (folder_failed_) return false;
  const std::filesystem::path folder = std::filesystem::path(directory_) / std::to_string(problem_);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder)) {
    std::fprintf(warnings_, "quorel: warning: the directory '%s' for the tables could not be made: %s\n",
                 folder.string().c_str(), error ? error.message().c_str() : "not a directory");
    folder_failed_ = true;
    return false;
  }
  folder_ready_ = true;
  return true;
}

std::string TableExport::PathOf(const char* file) const {
  return (std::filesystem::path(directory_) / std::to_string(problem_) / file).string();
}

bool TableExport::Start(CsvWriter& writer, const char* file, const std::vector<std::string>& header) {
  if (!Folder()) return false;
  std::string error;
  if (writer.Open(PathOf(file), header, error)) return true;
  std::fprintf(warnings_, "quorel: warning: the table '%s' could not be written: %s\n", PathOf(file).c_str(),
               error.c_str());
  return false;
}

void TableExport::Commit(CsvWriter& writer, const char* file) {
  if (!writer.IsOpen()) return;
  std::string error;
  if (writer.Commit(error)) {
    written_.push_back(PathOf(file));
  } else {
    std::fprintf(warnings_, "quorel: warning: the table '%s' could not be written: %s\n", PathOf(file).c_str(),
                 error.c_str());
  }
}

void TableExport::SemigroupBuilt(const Semigroup& semigroup, const MatrixList& elements) {
  e_ = semigroup.element_count;
  g_ = semigroup.generator_count;
  const MatrixShape& shape = elements.Shape();
  const std::vector<std::vector<int>> words = ElementWords(semigroup.word_table);
  words_.clear();
  for (const std::vector<int>& word : words) words_.push_back(WordLabel(word, g_, {}));

  CsvWriter table;
  if (Start(table, "elements.csv", {"element", "word", "word_names", "length", "is_generator", "ties", "density"})) {
    const bool named = static_cast<int>(generator_names_.size()) == g_ && g_ > 0;
    const double cells = static_cast<double>(n_) * n_;
    for (int k = 0; k < e_; ++k) {
      std::string names;
      for (std::size_t m = 0; named && m < words[k].size(); ++m) {
        if (m > 0) names += '.';
        names += generator_names_[static_cast<std::size_t>(words[k][m])];
      }
      const int ties = CountTies(elements.Matrix(k), shape);
      table.Integer(k + 1).Text(words_[k]).Text(names).Integer(static_cast<long long>(words[k].size()));
      table.Flag(k < g_).Integer(ties).Double(cells > 0 ? ties / cells : 0.0);
      table.EndRow();
    }
    Commit(table, "elements.csv");
  }

  // The 2 x 2 table of every pair, over the cells the measures count; the matrices are
  // gone by the time the statistics arrive.
  try {
    counts_ = CountPairTables(elements, e_, g_, diagonal_);
  } catch (const std::bad_alloc&) {
    std::fprintf(warnings_, "quorel: warning: no storage for the pairs table of problem %d\n", problem_);
    counts_.clear();
    counts_.shrink_to_fit();
  }
}

void TableExport::PartialOrderBuilt(const ElementRelation& order) {
  included_ = PairInclusions(order);
  CsvWriter table;
  if (!Start(table, "partial_order.csv", {"lower", "upper"})) return;
  const HasseDiagram diagram = BuildHasseDiagram(order);
  for (const auto& [lower, upper] : diagram.Covers) {
    for (const int l : diagram.Classes[static_cast<std::size_t>(lower)]) {
      for (const int u : diagram.Classes[static_cast<std::size_t>(upper)]) {
        table.Integer(l + 1).Integer(u + 1);
        table.EndRow();
      }
    }
  }
  Commit(table, "partial_order.csv");
}

void TableExport::ExactProportionsDone(const ExactProportionMatrices& exact, int) { exact_ = exact; }

void TableExport::StatisticsDone(const StatisticMatrices& s, int e) {
  const std::size_t pairs = static_cast<std::size_t>(e) * (e > 0 ? e - 1 : 0) / 2;
  if (e != e_ || counts_.size() != pairs || included_.size() != pairs || !Folder()) return;
  DropPairRows();
  pair_rows_ = std::tmpfile();
  if (pair_rows_ == nullptr) {
    std::fprintf(warnings_, "quorel: warning: the pairs table of problem %d could not be staged: %s\n", problem_,
                 std::strerror(errno));
    return;
  }
  IntervalCache intervals(sample_size_);
  std::string row;
  std::size_t pair = 0;
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j, ++pair) {
      const std::size_t up = static_cast<std::size_t>(i) * e + j;
      const std::size_t low = static_cast<std::size_t>(j) * e + i;
      row.clear();
      AppendInteger(row, i + 1);
      row += ',';
      AppendInteger(row, j + 1);
      row += ',';
      AppendCsvField(row, words_[static_cast<std::size_t>(i)]);
      row += ',';
      AppendCsvField(row, words_[static_cast<std::size_t>(j)]);
      for (const std::int32_t cell : counts_[pair]) {
        row += ',';
        AppendInteger(row, cell);
      }
      // The statistic blocks in the report's order; a block the report leaves out under
      // these options is an empty column.
      // A sampled proportion is followed by the bounds of its 95% interval.
      const float nothing = std::numeric_limits<float>::quiet_NaN();
      const float mcnemar = permutation_strategy_ == kPermutePairs ? s.McNemarZ[low] : nothing;
      for (const auto& [value, sampled] : std::initializer_list<std::pair<float, bool>>{
               {s.L[up], false}, {s.L[low], true}, {measure_control_ == kMA ? s.PValue[up] : nothing, false},
               {s.McNemarZ[up], false}, {mcnemar, true}, {s.PValue[low], false}, {s.Kappa[up], false},
               {s.Estvar[up], false}, {s.Kappa[low], true}, {s.StdKappa[up], false}, {s.StdKappa[low], true}}) {
        row += ',';
        AppendFloat(row, value);
        if (!sampled) continue;
        const std::optional<ProportionInterval> interval = intervals.Of(value);
        row += ',';
        if (interval.has_value()) row += ShortestDecimal(interval->low);
        row += ',';
        if (interval.has_value()) row += ShortestDecimal(interval->high);
      }
      if (exact_p_) {
        // Exact values, empty where there is none.
        for (const std::vector<double>* exact : {&exact_.theta, &exact_.mcnemar_z, &exact_.kappa,
                                                 &exact_.standardized_kappa}) {
          row += ',';
          if (!exact->empty() && std::isfinite((*exact)[low])) row += ShortestDecimal((*exact)[low]);
        }
      }
      row += (included_[pair] & kIInJ) != 0 ? ",1" : ",0";
      row += (included_[pair] & kJInI) != 0 ? ",1" : ",0";
      row += '\n';
      if (std::fwrite(row.data(), 1, row.size(), pair_rows_) != row.size()) {
        std::fprintf(warnings_, "quorel: warning: the pairs table of problem %d could not be staged: %s\n", problem_,
                     std::strerror(errno));
        DropPairRows();
        return;
      }
    }
  }
  staged_pairs_ = pairs;
  exact_ = ExactProportionMatrices();
  std::vector<std::array<std::int32_t, 4>>().swap(counts_);
  std::vector<std::uint8_t>().swap(included_);
}

void TableExport::PartialAlgebraStarted() {
  Start(omega_, "omega.csv", {"level", "alpha", "i", "j", "omega", "lower_omega", "lower_omega_closure", "omega_closure"});
  Start(atoms_, "atoms.csv",
        {"level", "alpha", "relation", "atom", "generator_i", "generator_j", "induced", "unique_meet_complement"});
}

void TableExport::CutoffLevelStarted(int index, float alpha) {
  if (index >= 0 && static_cast<std::size_t>(index) >= alphas_.size()) alphas_.resize(static_cast<std::size_t>(index) + 1);
  if (index >= 0) alphas_[static_cast<std::size_t>(index)] = alpha;
}

void TableExport::CutoffLevelDone(const OmegaLevel& level) {
  const std::string alpha = ShortestDecimal(level.Alpha);
  // A cutoff listed twice keeps its columns apart by the level's number.
  AddOmegaColumn(levels_, level);

  if (!omega_.IsOpen()) return;
  const int e = level.Omega.Size();
  const bool closed = level.HasLowerOmega;
  // Row (i, j): element i included in element j, cell (j, i) of the relations.
  for (int i = 0; i < e; ++i) {
    for (int j = 0; j < e; ++j) {
      if (i == j) continue;
      const bool omega = level.Omega.Get(j, i);
      const bool lower = closed && level.LowerOmega.Get(j, i);
      const bool lower_closure = closed && level.LowerOmegaClosure.Get(j, i);
      const bool closure = closed && level.OmegaClosure.Get(j, i);
      if (!(omega || lower || lower_closure || closure)) continue;
      omega_.Integer(level.Index + 1).Formed(alpha).Integer(i + 1).Integer(j + 1).Flag(omega);
      if (closed) {
        omega_.Flag(lower).Flag(lower_closure).Flag(closure);
      } else {
        omega_.Blank().Blank().Blank();
      }
      omega_.EndRow();
    }
  }
}

void TableExport::FactorizationStarted(int level_index, bool is_omega, bool) {
  factorization_level_ = level_index;
  factorization_of_omega_ = is_omega;
  pending_atoms_.clear();
}

void TableExport::AtomDescribed(int number, const AtomResult& atom) {
  PendingAtom row;
  row.number = number;
  row.lower = atom.Generating.Second;
  row.upper = atom.Generating.First;
  for (const ElementPair& pair : atom.Induced) {
    if (!row.induced.empty()) row.induced += ';';
    row.induced += std::to_string(pair.Second + 1) + "<" + std::to_string(pair.First + 1);
  }
  row.unique_meet_complement = atom.UniqueMeetComplement;
  pending_atoms_.push_back(std::move(row));
}

void TableExport::FactorizationDone() {
  if (atoms_.IsOpen()) {
    const bool known = factorization_level_ >= 0 && static_cast<std::size_t>(factorization_level_) < alphas_.size();
    const std::string alpha = known ? ShortestDecimal(alphas_[static_cast<std::size_t>(factorization_level_)]) : "";
    for (const PendingAtom& atom : pending_atoms_) {
      atoms_.Integer(factorization_level_ + 1).Formed(alpha).Text(factorization_of_omega_ ? "omega" : "lower-omega").Integer(atom.number);
      atoms_.Integer(atom.lower + 1).Integer(atom.upper + 1).Text(atom.induced).Flag(atom.unique_meet_complement);
      atoms_.EndRow();
    }
  }
  pending_atoms_.clear();
}

void TableExport::ProblemDone() { Finish(); }

void TableExport::WriteLateTables() {
  WritePairs();
  Commit(omega_, "omega.csv");
  Commit(atoms_, "atoms.csv");
  std::vector<OmegaColumn>().swap(levels_);
}

void TableExport::WritePairs() {
  if (pair_rows_ == nullptr) return;
  std::vector<std::string> header = kPairColumns;
  if (exact_p_) header.insert(header.end() - kInclusionColumns, kExactColumns.begin(), kExactColumns.end());
  for (const OmegaColumn& column : levels_) header.push_back(column.name);
  CsvWriter table;
  if (std::fflush(pair_rows_) != 0 || std::fseek(pair_rows_, 0, SEEK_SET) != 0 ||
      !Start(table, "pairs.csv", header)) {
    DropPairRows();
    return;
  }
  char* line = nullptr;
  std::size_t capacity = 0;
  std::size_t pair = 0;
  ssize_t length = 0;
  while ((length = ::getline(&line, &capacity, pair_rows_)) > 0) {
    table.Formed(std::string_view(line, static_cast<std::size_t>(length - 1)));
    for (const OmegaColumn& column : levels_) {
      table.Text(pair < column.inclusions.size() ? InclusionText(column.inclusions[pair]) : "");
    }
    table.EndRow();
    ++pair;
  }
  std::free(line);
  const bool staged_whole = std::ferror(pair_rows_) == 0 && pair == staged_pairs_;
  DropPairRows();
  if (staged_whole) {
    Commit(table, "pairs.csv");
  } else {
    table.Abandon();
    std::fprintf(warnings_, "quorel: warning: the table '%s' could not be written: the staged rows could not be read\n",
                 PathOf("pairs.csv").c_str());
  }
}

void TableExport::DropPairRows() {
  if (pair_rows_ != nullptr) std::fclose(pair_rows_);
  pair_rows_ = nullptr;
}

}  // namespace quorel
