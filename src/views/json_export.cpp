#include "views/json_export.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cerrno>

#include <nlohmann/json.hpp>

#include "core/option_checks.hpp"
#include "core/status_sink.hpp"
#include "omega/factorization_result.hpp"
#include "omega/omega_level.hpp"
#include "views/element_words.hpp"
#include "views/pair_records.hpp"
#include "measures/interval_cache.hpp"

namespace quorel {

using json = nlohmann::ordered_json;

namespace {

const char* const kControlNames[] = {"MA", "MB", "MC", "MD", "ME", "MF", "MG"};
const char* const kDiagonalNames[] = {"exclude-all", "exclude-generators", "include-all"};

// Throws the warnings of a check away: the messages have gone to the message list already.
class QuietSink : public StatusSink {
 public:
  void AddStatusMessage(std::string_view) override {}
  void ClearStatusMessages() override {}
};

// A 32-bit statistic as the shortest decimal that reads back as the same float (so 0.05f
// appears as 0.05, not 0.0500000007); null when it is not a finite number.
json Number(float value) {
  if (!std::isfinite(value)) return nullptr;
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text - 1, value);
  if (ec != std::errc()) return static_cast<double>(value);
  *end = '\0';
  return std::strtod(text, nullptr);
}

json Name(const char* const* names, int count, int value) {
  return value >= 0 && value < count ? json(names[value]) : json(value);
}

json OptionsJson(const AnalysisOptions& o, const std::vector<float>& cutoffs, bool reapply) {
  json cut = json::array();
  for (const float alpha : cutoffs) cut.push_back(Number(alpha));
  json options{
      {"cutoffs", cut},
      {"measure_control", Name(kControlNames, 7, o.m_MeasureControl)},
      {"permutation_strategy", o.m_PermutationStrategy == kPermutePairs ? "pairs" : "generators"},
      {"diagonal", Name(kDiagonalNames, 3, o.m_Diagonal)},
      {"sample_size", o.m_SampleSize},
      {"seed", o.Seed},
      {"max_word_length", o.m_MaxWordLength},
      {"min_kappa", Number(o.m_MinKappa)},
      {"transposes", o.m_Transposes != 0},
      {"generator_products_only", o.m_GeneratorProductsOnly != 0},
      {"fixed_matrix", o.m_FixedSupplied != 0},
      {"factor_omega", o.m_FactorOmega != 0},
      {"factor_lower_omega", o.m_FactorLowerOmega != 0},
      {"full_factor_output", o.m_FullFactorOutput != 0},
      {"reapply", reapply},
  };
  if (o.ExactP) {
    options["exact_p"] = true;
    options["omega_from"] = o.OmegaFromExact ? "exact" : "sampled";
  }
  return options;
}

json NamesOrNull(const std::vector<std::string>& names) { return names.empty() ? json(nullptr) : json(names); }

// An N x N relation matrix as N strings of '0' and '1', one per row.
json MatrixRows(const MatrixList& list, int index) {
  const int n = list.Shape().n;
  json rows = json::array();
  std::string row(static_cast<std::size_t>(n), '0');
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) row[c] = list.Cell(index, r, c) ? '1' : '0';
    rows.push_back(row);
  }
  return rows;
}

// An element relation as E strings of '0' and '1': character c of row r is 1 when element
// c + 1 is included in element r + 1, as in the report's tables.
json RelationRows(const ElementRelation& relation) {
  const int e = relation.Size();
  json rows = json::array();
  std::string row(static_cast<std::size_t>(e), '0');
  for (int r = 0; r < e; ++r) {
    for (int c = 0; c < e; ++c) row[c] = relation.Get(r, c) ? '1' : '0';
    rows.push_back(row);
  }
  return rows;
}

// The lower or upper bound (`high`) of the 95% interval of every proportion, in the
// proportions' triangle layout; null where the proportion is.
json IntervalTriangle(const std::vector<float>& matrix, int e, IntervalCache& intervals, bool high) {
  json rows = json::array();
  for (int r = 0; r < e; ++r) {
    json row = json::array();
    for (int c = 0; c < e; ++c) {
      const std::optional<ProportionInterval> interval =
          c <= r ? std::nullopt : intervals.Of(matrix[static_cast<std::size_t>(c) * e + r]);
      row.push_back(interval.has_value() ? json(high ? interval->high : interval->low) : json(nullptr));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

// The same relation as E arrays of E numbers 0 and 1, for readers that index cells.
json RelationCells(const ElementRelation& relation) {
  const int e = relation.Size();
  json rows = json::array();
  for (int r = 0; r < e; ++r) {
    json row = json::array();
    for (int c = 0; c < e; ++c) row.push_back(relation.Get(r, c) ? 1 : 0);
    rows.push_back(std::move(row));
  }
  return rows;
}

// One triangle of a statistic matrix in the report's layout: cell [r][c] for r < c holds
// the pair (r + 1, c + 1) -- matrix[r][c] for the observed triangle, matrix[c][r] for the
// proportions -- and every other cell is null.
json Triangle(const std::vector<float>& matrix, int e, bool upper) {
  json rows = json::array();
  for (int r = 0; r < e; ++r) {
    json row = json::array();
    for (int c = 0; c < e; ++c) {
      if (c <= r) {
        row.push_back(nullptr);
      } else {
        const std::size_t at = upper ? static_cast<std::size_t>(r) * e + c : static_cast<std::size_t>(c) * e + r;
        row.push_back(Number(matrix[at]));
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

// The exact probabilities in the proportions' layout; null where there is none, and
// everywhere when none were computed (`exact` empty).
json ExactTriangle(const std::vector<double>& exact, int e) {
  json rows = json::array();
  for (int r = 0; r < e; ++r) {
    json row = json::array();
    for (int c = 0; c < e; ++c) {
      const double value = c <= r || exact.empty() ? std::nan("") : exact[ExactProportionMatrices::Lower(e, r, c)];
      row.push_back(std::isfinite(value) ? json(value) : json(nullptr));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

json PairJson(const ElementPair& pair) { return json::array({pair.First + 1, pair.Second + 1}); }

const char* StatusOf(const RunOutcome& outcome) {
  if (outcome.interrupted) return "interrupted";
  if (outcome.fatal) return "fatal-error";
  return outcome.code == 0 ? "complete" : "ended-early";
}

}  // namespace

JsonExport::JsonExport(const AnalysisOptions& requested, const std::string& program_version)
    : document_(std::make_unique<json>()),
      reapply_(requested.m_Reapply != 0) {
  QuietSink quiet;
  json& d = *document_;
  d["format"] = "quorel-results";
  d["format_version"] = kJsonFormatVersion;
  d["program_version"] = program_version;
  d["run"] = nullptr;  // the shell's record of the run, when it gives one
  d["data_file"] = requested.DataPath;
  json files = json::array({requested.DataPath});
  for (const std::string& more : requested.MoreDataPaths) files.push_back(more);
  d["data_files"] = std::move(files);
  d["report_file"] = requested.ReportPath;
  d["reading"] = {{"input_format", InputFormatName(requested.DataFormat)},
                  {"threshold", requested.Threshold.has_value() ? json(*requested.Threshold) : json(nullptr)},
                  {"relation_attribute", requested.RelationAttribute},
                  {"non_directional", requested.NonDirectional}};
  d["status"] = nullptr;  // filled in when the run is over
  d["completion_code"] = nullptr;
  d["options"] = OptionsJson(requested, ParseCutoffList(requested.m_CutoffList, quiet), reapply_);
  d["problems"] = json::array();
}

JsonExport::~JsonExport() = default;

void JsonExport::SetRun(const json& run) { (*document_)["run"] = run; }

nlohmann::ordered_json& JsonExport::Problem() { return (*document_)["problems"].back(); }

void JsonExport::ProblemStarted(const ProblemFacts& facts, const MatrixList& inputs, const FixedMatrixRecord*) {
  static const char* const kDirectionality[] = {"directional", "non-directional", "mixed"};
  generator_products_only_ = facts.options.m_GeneratorProductsOnly != 0;
  permutation_strategy_ = facts.options.m_PermutationStrategy;
  measure_control_ = facts.options.m_MeasureControl;
  diagonal_ = facts.options.m_Diagonal;
  exact_p_ = facts.options.ExactP;
  exact_ = ExactProportionMatrices();
  pair_counts_.clear();
  included_.clear();
  omega_columns_.clear();
  sample_size_ = static_cast<std::int16_t>(facts.options.m_SampleSize);
  input_slots_ = facts.input_slots;
  relation_names_ = facts.relation_names;
  json options = OptionsJson(facts.options, facts.cutoffs, reapply_);
  if (!options_taken_) (*document_)["options"] = options;
  options_taken_ = true;

  json relations = json::array();
  std::vector<int> first_of_slot(static_cast<std::size_t>(facts.distinct_inputs), -1);
  for (int i = 0; i < facts.nr; ++i) {
    const int slot = facts.input_slots[static_cast<std::size_t>(i)];
    json relation{{"number", i + 1},
                  {"name", static_cast<std::size_t>(i) < facts.relation_names.size() ? json(facts.relation_names[i])
                                                                                      : json(nullptr)},
                  {"non_directional", facts.has_directionality ? json(facts.ndi[slot] != 0) : json(nullptr)},
                  {"duplicate_of", nullptr},
                  {"matrix", MatrixRows(inputs, slot)}};
    if (first_of_slot[slot] >= 0) {
      relation["duplicate_of"] = first_of_slot[slot] + 1;
    } else {
      first_of_slot[slot] = i;
    }
    relations.push_back(std::move(relation));
  }
  (*document_)["problems"].push_back(json{
      {"number", facts.number},
      {"label", facts.label},
      {"complete", false},
      {"options", std::move(options)},
      {"n", facts.n},
      {"nr", facts.nr},
      {"directionality", Name(kDirectionality, 3, facts.directionality)},
      {"actors", NamesOrNull(facts.actor_names)},
      {"relations", NamesOrNull(facts.relation_names)},
      {"input_relations", std::move(relations)},
  });
}

void JsonExport::GeneratorsChosen(const MatrixList&, int generator_count, const std::vector<int>& transpose_of) {
  // The input relation each distinct input matrix first appears as.
  std::vector<int> first_of_slot;
  for (std::size_t i = 0; i < input_slots_.size(); ++i) {
    const auto slot = static_cast<std::size_t>(input_slots_[i]);
    if (slot >= first_of_slot.size()) first_of_slot.resize(slot + 1, -1);
    if (first_of_slot[slot] < 0) first_of_slot[slot] = static_cast<int>(i);
  }
  json generators = json::array();
  const int g = generator_count;
  const std::vector<std::string> names = GeneratorNames(relation_names_, input_slots_, transpose_of);
  generator_names_ = names;
  for (int k = 0; k < g; ++k) {
    const bool transpose = transpose_of[k] >= 0;
    const bool from_input = !transpose && static_cast<std::size_t>(k) < first_of_slot.size();
    json generator{{"number", k + 1},
                   {"letter", g <= kMaxLetteredGenerators ? json(std::string(1, static_cast<char>('A' + k))) : json(nullptr)},
                   {"name", names.empty() ? json(nullptr) : json(names[k])},
                   {"input_relation", from_input ? json(first_of_slot[k] + 1) : json(nullptr)},
                   {"transpose_of", transpose ? json(transpose_of[k] + 1) : json(nullptr)}};
    generators.push_back(std::move(generator));
  }
  Problem()["generators"] = std::move(generators);
}

std::string JsonExport::WordNames(const std::vector<int>& word) const {
  std::string text;
  for (const int letter : word) text += (text.empty() ? "" : ".") + generator_names_[static_cast<std::size_t>(letter)];
  return text;
}

void JsonExport::SemigroupBuilt(const Semigroup& semigroup, const MatrixList& list) {
  const int e = semigroup.element_count;
  const int g = semigroup.generator_count;
  const std::vector<std::vector<int>> words = ElementWords(semigroup.word_table);
  pair_words_.clear();
  for (int k = 0; k < e; ++k) pair_words_.push_back(WordLabel(words[k], g, {}));
  pair_counts_ = CountPairTables(list, e, g, diagonal_);
  json elements = json::array();
  json word_table = json::array();
  for (int k = 0; k < e; ++k) {
    json word = json::array();
    for (const int letter : words[k]) word.push_back(letter + 1);
    elements.push_back(json{{"number", k + 1},
                            {"word", std::move(word)},
                            {"letters", g <= kMaxLetteredGenerators ? json(WordLetters(words[k], g)) : json(nullptr)},
                            {"word_names", generator_names_.empty() ? json(nullptr) : json(WordNames(words[k]))},
                            {"matrix", MatrixRows(list, k)}});
    const WordEntry& entry = semigroup.word_table[k];
    word_table.push_back(entry.Node < 0 ? json(nullptr) : json::array({entry.Node + 1, entry.Generator + 1}));
  }
  json mult = json::array();
  bool complete = true;
  for (int a = 0; a < e; ++a) {
    json row = json::array();
    for (int b = 0; b < e; ++b) {
      const std::int16_t product = semigroup.mult_table[static_cast<std::size_t>(a) * e + b];
      if (b < g && product < 0) complete = false;
      row.push_back(product >= 0 ? json(product + 1) : json(nullptr));
    }
    mult.push_back(std::move(row));
  }
  Problem()["semigroup"] = json{
      {"kind", generator_products_only_ ? "generator-powers" : "semigroup"},
      {"order", e},
      {"complete", generator_products_only_ ? json(nullptr) : json(complete)},
      {"elements", std::move(elements)},
      {"word_table", std::move(word_table)},
      {"multiplication_table", std::move(mult)},
  };
}

void JsonExport::PartialOrderBuilt(const ElementRelation& order) {
  included_ = PairInclusions(order);
  Problem()["partial_order"] = RelationRows(order);
  Problem()["partial_order_cells"] = RelationCells(order);
}

void JsonExport::ExactProportionsDone(const ExactProportionMatrices& exact, int) { exact_ = exact; }

void JsonExport::StatisticsDone(const StatisticMatrices& s, int e) {
  IntervalCache intervals(sample_size_);
  const bool pairs = permutation_strategy_ == 0;
  const auto bound = [&](const std::vector<float>& matrix, bool shown, bool high) {
    return shown ? IntervalTriangle(matrix, e, intervals, high) : json(nullptr);
  };
  Problem()["statistics"] = json{
      {"likelihood_ratio", Triangle(s.L, e, true)},
      {"theta", Triangle(s.L, e, false)},
      {"theta_low", bound(s.L, true, false)},
      {"theta_high", bound(s.L, true, true)},
      {"fisher_p", measure_control_ == kMA ? Triangle(s.PValue, e, true) : json(nullptr)},
      {"mcnemar_z", Triangle(s.McNemarZ, e, true)},
      {"mcnemar_z_proportions", pairs ? Triangle(s.McNemarZ, e, false) : json(nullptr)},
      {"mcnemar_z_proportions_low", bound(s.McNemarZ, pairs, false)},
      {"mcnemar_z_proportions_high", bound(s.McNemarZ, pairs, true)},
      {"binomial_p", Triangle(s.PValue, e, false)},
      {"kappa", Triangle(s.Kappa, e, true)},
      {"estvar", Triangle(s.Estvar, e, true)},
      {"kappa_proportions", Triangle(s.Kappa, e, false)},
      {"kappa_proportions_low", bound(s.Kappa, true, false)},
      {"kappa_proportions_high", bound(s.Kappa, true, true)},
      {"standardized_kappa", Triangle(s.StdKappa, e, true)},
      {"standardized_kappa_proportions", Triangle(s.StdKappa, e, false)},
      {"standardized_kappa_proportions_low", bound(s.StdKappa, true, false)},
      {"standardized_kappa_proportions_high", bound(s.StdKappa, true, true)},
  };
  if (exact_p_) {
    json& statistics = Problem()["statistics"];
    statistics["theta_exact"] = ExactTriangle(exact_.theta, e);
    statistics["mcnemar_z_proportions_exact"] = ExactTriangle(exact_.mcnemar_z, e);
    statistics["kappa_proportions_exact"] = ExactTriangle(exact_.kappa, e);
    statistics["standardized_kappa_proportions_exact"] = ExactTriangle(exact_.standardized_kappa, e);
    exact_ = ExactProportionMatrices();
  }
  Problem()["cutoff_levels"] = json::array();
}

void JsonExport::CutoffLevelDone(const OmegaLevel& level) {
  AddOmegaColumn(omega_columns_, level);
  const bool closed = level.HasLowerOmega;
  Problem()["cutoff_levels"].push_back(json{
      {"level", level.Index + 1},
      {"alpha", Number(level.Alpha)},
      {"z", level.Z},
      {"min_kappa", Number(level.MinKappa)},
      {"omega", RelationRows(level.Omega)},
      {"lower_omega", closed ? RelationRows(level.LowerOmega) : json(nullptr)},
      {"lower_omega_closure", closed ? RelationRows(level.LowerOmegaClosure) : json(nullptr)},
      {"omega_closure", closed ? RelationRows(level.OmegaClosure) : json(nullptr)},
      {"omega_cells", RelationCells(level.Omega)},
      {"lower_omega_cells", closed ? RelationCells(level.LowerOmega) : json(nullptr)},
      {"lower_omega_closure_cells", closed ? RelationCells(level.LowerOmegaClosure) : json(nullptr)},
      {"omega_closure_cells", closed ? RelationCells(level.OmegaClosure) : json(nullptr)},
      {"unsettled_pairs", level.UnsettledPairs},
      {"omega_factorization", nullptr},
      {"lower_omega_factorization", nullptr},
  });
}

void JsonExport::FactorizationStarted(int level_index, bool is_omega, bool) {
  factorization_level_ = level_index;
  factorization_of_omega_ = is_omega;
  atoms_ = std::make_unique<json>(json::array());
}

void JsonExport::AtomDescribed(int, const AtomResult& atom) {
  json induced = json::array();
  for (const ElementPair& pair : atom.Induced) induced.push_back(PairJson(pair));
  atoms_->push_back(json{{"generating", PairJson(atom.Generating)},
                         {"induced", std::move(induced)},
                         {"unique_meet_complement", atom.UniqueMeetComplement},
                         {"meet_complements", RelationRows(atom.MeetComplements)}});
}

void JsonExport::FactorizationDone() {
  json& level = Problem()["cutoff_levels"][static_cast<std::size_t>(factorization_level_)];
  level[factorization_of_omega_ ? "omega_factorization" : "lower_omega_factorization"] =
      json{{"atoms", std::move(*atoms_)}};
  atoms_.reset();
}

void JsonExport::ProblemDone() {
  Problem()["pairs"] = PairRecords(Problem());
  Problem()["complete"] = true;
}

// Every pair i < j as one record, the fields of the pairs table: read back from the
// problem's own statistics, partial order and cutoff levels, with the 2 x 2 counts kept
// since the elements were built.
json JsonExport::PairRecords(const json& problem) const {
  json pairs = json::array();
  if (!problem.contains("statistics") || included_.size() != pair_counts_.size()) return pairs;
  const json& statistics = problem["statistics"];
  const int e = static_cast<int>(pair_words_.size());
  std::size_t pair = 0;
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j, ++pair) {
      const std::array<std::int32_t, 4>& count = pair_counts_[pair];
      json record{{"i", i + 1}, {"j", j + 1}, {"word_i", pair_words_[i]}, {"word_j", pair_words_[j]},
                  {"n11", count[0]}, {"n10", count[1]}, {"n01", count[2]}, {"n00", count[3]}};
      for (const auto& [name, triangle] : statistics.items()) record[name] = triangle.is_null() ? json(nullptr) : triangle[i][j];
      record["included_i_in_j"] = (included_[pair] & kIInJ) != 0 ? 1 : 0;
      record["included_j_in_i"] = (included_[pair] & kJInI) != 0 ? 1 : 0;
      for (const OmegaColumn& column : omega_columns_) {
        const std::uint8_t inclusions = column.inclusions[pair];
        record[column.name] = inclusions == 0 ? json(nullptr) : json(InclusionText(inclusions));
      }
      pairs.push_back(std::move(record));
    }
  }
  return pairs;
}

std::string JsonExport::Text(const RunOutcome& outcome) const {
  json d = *document_;
  // A problem the run left unfinished keeps the pairs it has statistics for.
  if (!d["problems"].empty() && !d["problems"].back().contains("pairs")) {
    d["problems"].back()["pairs"] = PairRecords(d["problems"].back());
  }
  d["status"] = StatusOf(outcome);
  d["completion_code"] = outcome.code;
  // A label may hold bytes that are not UTF-8; they are replaced rather than refused.
  return d.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

bool JsonExport::Write(const std::string& path, const RunOutcome& outcome, std::string& error) const {
  const std::string text = Text(outcome);
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  error = errno != 0 ? std::strerror(errno) : "write error";
  return false;
}

}  // namespace quorel
