#include <cmath>
#include <string>

#include "measures/interval_cache.hpp"
#include "pipeline/result_data.hpp"
#include "quorel/quorel.hpp"
#include "views/element_words.hpp"
#include "views/pair_records.hpp"

namespace quorel {

AnalysisOptions ToAnalysisOptions(const Options& o) {
  AnalysisOptions a;
  a.m_Transposes = o.transposes ? 1 : 0;
  a.m_GeneratorProductsOnly = o.generator_products_only ? 1 : 0;
  a.m_MaxWordLength = o.max_word_length;
  a.m_PermutationStrategy = o.permutation_strategy == PermutationStrategy::kPairs ? 0 : 1;
  a.m_MeasureControl = static_cast<std::int32_t>(o.measure_control);
  a.m_SampleSize = o.sample_size;
  a.m_MinKappa = o.min_kappa;
  a.m_Diagonal = static_cast<std::int32_t>(o.diagonal);
  a.m_FactorOmega = o.factor_omega ? 1 : 0;
  a.m_FactorLowerOmega = o.factor_lower_omega ? 1 : 0;
  a.m_FullFactorOutput = o.full_factor_output ? 1 : 0;
  a.m_Reapply = o.reapply ? 1 : 0;
  a.m_CutoffList = o.cutoffs;
  a.Seed = o.seed;
  a.Threads = o.threads;
  a.ExactP = o.exact_p;
  a.OmegaFromExact = o.omega_from_exact;
  return a;
}

Options ToOptions(const AnalysisOptions& a) {
  Options o;
  o.transposes = a.m_Transposes != 0;
  o.generator_products_only = a.m_GeneratorProductsOnly != 0;
  o.max_word_length = a.m_MaxWordLength;
  o.permutation_strategy = a.m_PermutationStrategy == kPermutePairs ? PermutationStrategy::kPairs : PermutationStrategy::kGenerators;
  o.measure_control = static_cast<MeasureControl>(a.m_MeasureControl);
  o.sample_size = a.m_SampleSize;
  o.min_kappa = a.m_MinKappa;
  o.diagonal = static_cast<DiagonalRule>(a.m_Diagonal);
  o.factor_omega = a.m_FactorOmega != 0;
  o.factor_lower_omega = a.m_FactorLowerOmega != 0;
  o.full_factor_output = a.m_FullFactorOutput != 0;
  o.reapply = a.m_Reapply != 0;
  o.cutoffs = a.m_CutoffList;
  o.seed = a.Seed;
  o.threads = a.Threads;
  o.exact_p = a.ExactP;
  o.omega_from_exact = a.OmegaFromExact;
  return o;
}

namespace {

void CheckElement(const ProblemRecord& r, int i) {
  if (i < 0 || i >= r.semigroup.element_count) {
    throw Error(ErrorKind::kInvalidArgument, 0,
                "element " + std::to_string(i) + " is outside 0.." + std::to_string(r.semigroup.element_count - 1));
  }
}

// The upper cell (i, j) or the lower cell (j, i) of a statistic matrix, for a pair i < j.
void CheckPair(const ProblemRecord& r, int i, int j) {
  CheckElement(r, i);
  CheckElement(r, j);
  if (i >= j) {
    throw Error(ErrorKind::kInvalidArgument, 0,
                "a pair of elements is (i, j) with i < j; got (" + std::to_string(i) + ", " + std::to_string(j) + ")");
  }
}

double PairCell(const ProblemRecord& r, const std::vector<float>& matrix, int i, int j, bool upper) {
  CheckPair(r, i, j);
  const std::size_t e = static_cast<std::size_t>(r.semigroup.element_count);
  return upper ? matrix[i * e + j] : matrix[j * e + i];
}

const ProblemRecord::Level& LevelOf(const ProblemRecord& r, int level) {
  if (level < 0 || level >= static_cast<int>(r.levels.size())) {
    throw Error(ErrorKind::kInvalidArgument, 0, "cutoff level " + std::to_string(level) + " does not exist");
  }
  return r.levels[static_cast<std::size_t>(level)];
}

bool Cell(const ProblemRecord& r, const ElementRelation& relation, int i, int j) {
  CheckElement(r, i);
  CheckElement(r, j);
  if (relation.Size() == 0) return false;
  return relation.Get(i, j);
}

}  // namespace

Result::Result(std::shared_ptr<const detail::ResultData> data) : data_(std::move(data)) {}

const std::string& Result::label() const { return data_->record.facts.label; }
int Result::actor_count() const { return data_->record.facts.n; }
int Result::generator_count() const { return data_->record.semigroup.generator_count; }
int Result::element_count() const { return data_->record.semigroup.element_count; }
const Options& Result::options() const { return data_->options; }
const std::vector<std::string>& Result::warnings() const { return data_->warnings; }

std::string Result::word(int i) const {
  const ProblemRecord& r = data_->record;
  CheckElement(r, i);
  return WordLabel(ElementWords(r.semigroup.word_table)[static_cast<std::size_t>(i)], r.semigroup.generator_count, {});
}

std::vector<std::string> Result::word_names() const {
  const ProblemRecord& r = data_->record;
  const int g = r.semigroup.generator_count;
  const std::vector<std::string> generators = GeneratorNames(r.facts.relation_names, r.facts.input_slots, r.transpose_of);
  if (g == 0 || static_cast<int>(generators.size()) != g) return {};
  std::vector<std::string> names;
  for (const std::vector<int>& word : ElementWords(r.semigroup.word_table)) {
    std::string text;
    for (std::size_t m = 0; m < word.size(); ++m) {
      if (m > 0) text += '.';
      text += generators[static_cast<std::size_t>(word[m])];
    }
    names.push_back(std::move(text));
  }
  return names;
}

bool Result::tie(int i, int row, int column) const {
  const ProblemRecord& r = data_->record;
  CheckElement(r, i);
  if (row < 0 || row >= r.facts.n || column < 0 || column >= r.facts.n) {
    throw Error(ErrorKind::kInvalidArgument, 0,
                "actor pair (" + std::to_string(row) + ", " + std::to_string(column) + ") is outside 0.." +
                    std::to_string(r.facts.n - 1));
  }
  return r.elements.Cell(i, row, column);
}

int Result::product(int i, int j) const {
  const ProblemRecord& r = data_->record;
  CheckElement(r, i);
  CheckElement(r, j);
  return r.semigroup.mult_table[static_cast<std::size_t>(i) * r.semigroup.element_count + j];
}

bool Result::partial_order(int i, int j) const {
  const ProblemRecord& r = data_->record;
  return Cell(r, r.partial_order, i, j);
}

double Result::likelihood_ratio(int i, int j) const { return PairCell(data_->record, data_->record.statistics.L, i, j, true); }
double Result::theta(int i, int j) const { return PairCell(data_->record, data_->record.statistics.L, i, j, false); }
double Result::fisher_p(int i, int j) const {
  if (data_->options.measure_control != MeasureControl::kMA) return std::nan("");
  return PairCell(data_->record, data_->record.statistics.PValue, i, j, true);
}
double Result::mcnemar_z(int i, int j) const {
  return PairCell(data_->record, data_->record.statistics.McNemarZ, i, j, true);
}
double Result::mcnemar_z_proportion(int i, int j) const {
  if (data_->options.permutation_strategy != PermutationStrategy::kPairs) return std::nan("");
  return PairCell(data_->record, data_->record.statistics.McNemarZ, i, j, false);
}
double Result::binomial_p(int i, int j) const {
  return PairCell(data_->record, data_->record.statistics.PValue, i, j, false);
}
double Result::kappa(int i, int j) const { return PairCell(data_->record, data_->record.statistics.Kappa, i, j, true); }
double Result::estvar(int i, int j) const { return PairCell(data_->record, data_->record.statistics.Estvar, i, j, true); }
double Result::kappa_proportion(int i, int j) const {
  return PairCell(data_->record, data_->record.statistics.Kappa, i, j, false);
}
double Result::standardized_kappa(int i, int j) const {
  return PairCell(data_->record, data_->record.statistics.StdKappa, i, j, true);
}
double Result::standardized_kappa_proportion(int i, int j) const {
  return PairCell(data_->record, data_->record.statistics.StdKappa, i, j, false);
}

namespace {

// A pair's exact probability in one of the exact matrices; not a number when there are none.
double ExactCell(const ProblemRecord& r, const std::vector<double>& matrix, int i, int j) {
  CheckPair(r, i, j);
  if (matrix.empty()) return std::nan("");
  return matrix[ExactProportionMatrices::Lower(r.semigroup.element_count, i, j)];
}

}  // namespace

double Result::theta_exact(int i, int j) const { return ExactCell(data_->record, data_->record.exact.theta, i, j); }
double Result::mcnemar_z_proportion_exact(int i, int j) const {
  return ExactCell(data_->record, data_->record.exact.mcnemar_z, i, j);
}
double Result::kappa_proportion_exact(int i, int j) const {
  return ExactCell(data_->record, data_->record.exact.kappa, i, j);
}
double Result::standardized_kappa_proportion_exact(int i, int j) const {
  return ExactCell(data_->record, data_->record.exact.standardized_kappa, i, j);
}

std::pair<double, double> Result::proportion_interval(double proportion) const {
  const std::optional<ProportionInterval> interval =
      IntervalCache(data_->options.sample_size).Of(static_cast<float>(proportion));
  if (!interval.has_value()) return {std::nan(""), std::nan("")};
  return {interval->low, interval->high};
}

std::vector<std::array<std::int32_t, 4>> Result::pair_counts() const {
  const ProblemRecord& r = data_->record;
  return CountPairTables(r.elements, r.semigroup.element_count, r.semigroup.generator_count, r.facts.options.m_Diagonal);
}

std::vector<std::string> Result::omega_column_names() const {
  std::vector<OmegaColumn> columns;
  for (const auto& level : data_->record.levels) AddOmegaColumn(columns, level.relations);
  std::vector<std::string> names;
  for (const OmegaColumn& column : columns) names.push_back(column.name);
  return names;
}

std::vector<PairStatistic> PairStatistics(bool exact_p) {
  std::vector<PairStatistic> columns = {
      {"likelihood_ratio", &Result::likelihood_ratio, false},
      {"theta", &Result::theta, true},
      {"fisher_p", &Result::fisher_p, false},
      {"mcnemar_z", &Result::mcnemar_z, false},
      {"mcnemar_z_proportions", &Result::mcnemar_z_proportion, true},
      {"binomial_p", &Result::binomial_p, false},
      {"kappa", &Result::kappa, false},
      {"estvar", &Result::estvar, false},
      {"kappa_proportions", &Result::kappa_proportion, true},
      {"standardized_kappa", &Result::standardized_kappa, false},
      {"standardized_kappa_proportions", &Result::standardized_kappa_proportion, true},
  };
  if (exact_p) {
    columns.insert(columns.end(), {{"theta_exact", &Result::theta_exact, false},
                                   {"mcnemar_z_proportions_exact", &Result::mcnemar_z_proportion_exact, false},
                                   {"kappa_proportions_exact", &Result::kappa_proportion_exact, false},
                                   {"standardized_kappa_proportions_exact",
                                    &Result::standardized_kappa_proportion_exact, false}});
  }
  return columns;
}

int Result::cutoff_level_count() const { return static_cast<int>(data_->record.levels.size()); }
float Result::alpha(int level) const { return LevelOf(data_->record, level).relations.Alpha; }
bool Result::omega(int level, int i, int j) const {
  return Cell(data_->record, LevelOf(data_->record, level).relations.Omega, i, j);
}
bool Result::lower_omega(int level, int i, int j) const {
  const OmegaLevel& l = LevelOf(data_->record, level).relations;
  return l.HasLowerOmega && Cell(data_->record, l.LowerOmega, i, j);
}
bool Result::lower_omega_closure(int level, int i, int j) const {
  const OmegaLevel& l = LevelOf(data_->record, level).relations;
  return l.HasLowerOmega && Cell(data_->record, l.LowerOmegaClosure, i, j);
}
bool Result::omega_closure(int level, int i, int j) const {
  const OmegaLevel& l = LevelOf(data_->record, level).relations;
  return l.HasLowerOmega && Cell(data_->record, l.OmegaClosure, i, j);
}

std::vector<Result::Atom> Result::atoms(int level, bool of_omega) const {
  std::vector<Atom> atoms;
  for (const ProblemRecord::Factorization& f : LevelOf(data_->record, level).factorizations) {
    if (f.is_omega != of_omega) continue;
    for (const AtomResult& a : f.atoms) {
      Atom atom;
      atom.generating = {a.Generating.First, a.Generating.Second};
      for (const ElementPair& p : a.Induced) atom.induced.emplace_back(p.First, p.Second);
      atom.unique_meet_complement = a.UniqueMeetComplement;
      atoms.push_back(std::move(atom));
    }
  }
  return atoms;
}

}  // namespace quorel
