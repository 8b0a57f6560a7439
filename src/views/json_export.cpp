#include "views/json_export.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <functional>
#include <ostream>

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

// Row r of an element relation as a string of '0' and '1': character c is 1 when element
// c + 1 is included in element r + 1, as in the report's tables.
json RelationRow(const ElementRelation& relation, int r) {
  std::string row(static_cast<std::size_t>(relation.Size()), '0');
  for (int c = 0; c < relation.Size(); ++c) row[c] = relation.Get(r, c) ? '1' : '0';
  return row;
}

// The same row as numbers 0 and 1, for readers that index cells.
json RelationCellRow(const ElementRelation& relation, int r) {
  json row = json::array();
  for (int c = 0; c < relation.Size(); ++c) row.push_back(relation.Get(r, c) ? 1 : 0);
  return row;
}

json RelationRows(const ElementRelation& relation) {
  json rows = json::array();
  for (int r = 0; r < relation.Size(); ++r) rows.push_back(RelationRow(relation, r));
  return rows;
}

json PairJson(const ElementPair& pair) { return json::array({pair.First + 1, pair.Second + 1}); }

const char* StatusOf(const RunOutcome& outcome) {
  if (outcome.interrupted) return "interrupted";
  if (outcome.fatal) return "fatal-error";
  return outcome.code == 0 ? "complete" : "ended-early";
}

// A value in the document's compact form; a label may hold bytes that are not UTF-8, and
// they are replaced rather than refused.
std::string Dump(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

std::string Key(const char* key) { return std::string(",\"") + key + "\":"; }

// An object's text without its closing brace, for fields to follow.
std::string OpenObject(const json& object) {
  std::string text = Dump(object);
  text.pop_back();
  return text;
}

// An array of `count` items, each formed and written on its own, so that only one is held.
void WriteArray(ScratchFile& file, int count, const std::function<json(int)>& item) {
  file.Append("[");
  for (int k = 0; k < count; ++k) {
    if (k > 0) file.Append(",");
    file.Append(Dump(item(k)));
  }
  file.Append("]");
}

// One column of the statistics: a name and the value of the pair (i, j), i < j; or null
// for the whole triangle.
struct StatisticColumn {
  const char* name;
  std::function<json(int, int)> value;
};

// The column as E rows of E cells in the report's layout: cell [r][c], r < c, holds the pair
// (r + 1, c + 1), every other cell is null.
void WriteTriangle(ScratchFile& file, const StatisticColumn& column, int e, bool first) {
  file.Append(first ? std::string("{\"") + column.name + "\":" : Key(column.name));
  if (!column.value) {
    file.Append("null");
    return;
  }
  WriteArray(file, e, [&](int r) {
    json row = json::array();
    for (int c = 0; c < e; ++c) row.push_back(c <= r ? json(nullptr) : column.value(r, c));
    return row;
  });
}

}  // namespace

JsonExport::JsonExport(const AnalysisOptions& requested, const std::string& program_version,
                       const std::string& scratch_directory)
    : head_(std::make_unique<json>()),
      scratch_directory_(scratch_directory),
      reapply_(requested.m_Reapply != 0) {
  QuietSink quiet;
  json& d = *head_;
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
}

JsonExport::~JsonExport() = default;

void JsonExport::SetRun(const json& run) { (*head_)["run"] = run; }

ScratchFile& JsonExport::Scratch(std::unique_ptr<ScratchFile>& file) {
  if (file == nullptr) file = std::make_unique<ScratchFile>(scratch_directory_);
  return *file;
}

void JsonExport::Field(const char* key, const json& value) { Scratch(problem_->body).Append(Key(key) + Dump(value)); }

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
  if (!options_taken_) (*head_)["options"] = options;
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
  problem_ = std::make_unique<OpenProblem>();
  problem_->number = facts.number;
  problem_->label = facts.label;
  Field("options", options);
  Field("n", facts.n);
  Field("nr", facts.nr);
  Field("directionality", Name(kDirectionality, 3, facts.directionality));
  Field("actors", NamesOrNull(facts.actor_names));
  Field("relations", NamesOrNull(facts.relation_names));
  Field("input_relations", relations);
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
  Field("generators", generators);
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
  const auto product = [&](int a, int b) { return semigroup.mult_table[static_cast<std::size_t>(a) * e + b]; };
  bool complete = true;
  for (int a = 0; a < e; ++a) {
    for (int b = 0; b < g && b < e; ++b) complete = complete && product(a, b) >= 0;
  }
  ScratchFile& body = Scratch(problem_->body);
  body.Append(Key("semigroup") +
              OpenObject(json{{"kind", generator_products_only_ ? "generator-powers" : "semigroup"},
                              {"order", e},
                              {"complete", generator_products_only_ ? json(nullptr) : json(complete)}}));
  body.Append(Key("elements"));
  WriteArray(body, e, [&](int k) {
    json word = json::array();
    for (const int letter : words[k]) word.push_back(letter + 1);
    return json{{"number", k + 1},
                {"word", std::move(word)},
                {"letters", g <= kMaxLetteredGenerators ? json(WordLetters(words[k], g)) : json(nullptr)},
                {"word_names", generator_names_.empty() ? json(nullptr) : json(WordNames(words[k]))},
                {"matrix", MatrixRows(list, k)}};
  });
  body.Append(Key("word_table"));
  WriteArray(body, e, [&](int k) {
    const WordEntry& entry = semigroup.word_table[k];
    return entry.Node < 0 ? json(nullptr) : json::array({entry.Node + 1, entry.Generator + 1});
  });
  body.Append(Key("multiplication_table"));
  WriteArray(body, e, [&](int a) {
    json row = json::array();
    for (int b = 0; b < e; ++b) row.push_back(product(a, b) >= 0 ? json(product(a, b) + 1) : json(nullptr));
    return row;
  });
  body.Append("}");
}

void JsonExport::PartialOrderBuilt(const ElementRelation& order) {
  included_ = PairInclusions(order);
  const int e = order.Size();
  ScratchFile& body = Scratch(problem_->body);
  body.Append(Key("partial_order"));
  WriteArray(body, e, [&](int r) { return RelationRow(order, r); });
  body.Append(Key("partial_order_cells"));
  WriteArray(body, e, [&](int r) { return RelationCellRow(order, r); });
}

void JsonExport::ExactProportionsDone(const ExactProportionMatrices& exact, int) { exact_ = exact; }

void JsonExport::StatisticsDone(const StatisticMatrices& s, int e) {
  IntervalCache intervals(sample_size_);
  const bool pairs = permutation_strategy_ == 0;
  const auto observed = [e](const std::vector<float>& m) {
    return [&m, e](int i, int j) { return Number(m[static_cast<std::size_t>(i) * e + j]); };
  };
  const auto proportion = [e](const std::vector<float>& m) {
    return [&m, e](int i, int j) { return Number(m[static_cast<std::size_t>(j) * e + i]); };
  };
  const auto bound = [e, &intervals](const std::vector<float>& m, bool high) {
    return [&m, e, &intervals, high](int i, int j) {
      const std::optional<ProportionInterval> interval = intervals.Of(m[static_cast<std::size_t>(j) * e + i]);
      return interval.has_value() ? json(high ? interval->high : interval->low) : json(nullptr);
    };
  };
  using Value = std::function<json(int, int)>;
  const auto only = [](bool shown, Value value) { return shown ? value : Value(); };
  std::vector<StatisticColumn> columns = {
      {"likelihood_ratio", observed(s.L)},
      {"theta", proportion(s.L)},
      {"theta_low", bound(s.L, false)},
      {"theta_high", bound(s.L, true)},
      {"fisher_p", only(measure_control_ == kMA, observed(s.PValue))},
      {"mcnemar_z", observed(s.McNemarZ)},
      {"mcnemar_z_proportions", only(pairs, proportion(s.McNemarZ))},
      {"mcnemar_z_proportions_low", only(pairs, bound(s.McNemarZ, false))},
      {"mcnemar_z_proportions_high", only(pairs, bound(s.McNemarZ, true))},
      {"binomial_p", proportion(s.PValue)},
      {"kappa", observed(s.Kappa)},
      {"estvar", observed(s.Estvar)},
      {"kappa_proportions", proportion(s.Kappa)},
      {"kappa_proportions_low", bound(s.Kappa, false)},
      {"kappa_proportions_high", bound(s.Kappa, true)},
      {"standardized_kappa", observed(s.StdKappa)},
      {"standardized_kappa_proportions", proportion(s.StdKappa)},
      {"standardized_kappa_proportions_low", bound(s.StdKappa, false)},
      {"standardized_kappa_proportions_high", bound(s.StdKappa, true)},
  };
  if (exact_p_) {
    // The exact probabilities, in the proportions' layout; null where there is none.
    const auto exact = [e](const std::vector<double>& m) {
      return [&m, e](int i, int j) {
        const double value = m.empty() ? std::nan("") : m[ExactProportionMatrices::Lower(e, i, j)];
        return std::isfinite(value) ? json(value) : json(nullptr);
      };
    };
    columns.push_back({"theta_exact", exact(exact_.theta)});
    columns.push_back({"mcnemar_z_proportions_exact", exact(exact_.mcnemar_z)});
    columns.push_back({"kappa_proportions_exact", exact(exact_.kappa)});
    columns.push_back({"standardized_kappa_proportions_exact", exact(exact_.standardized_kappa)});
  }
  ScratchFile& body = Scratch(problem_->body);
  body.Append(Key("statistics"));
  for (std::size_t k = 0; k < columns.size(); ++k) WriteTriangle(body, columns[k], e, k == 0);
  body.Append("}");
  body.Append(Key("cutoff_levels") + "[");
  problem_->levels_open = true;

  // The front of every pair's record, up to the Omega columns the cutoff levels add.
  if (included_.size() != pair_counts_.size()) return;
  ScratchFile& records = Scratch(problem_->pairs);
  std::size_t pair = 0;
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j, ++pair) {
      const std::array<std::int32_t, 4>& count = pair_counts_[pair];
      json record{{"i", i + 1}, {"j", j + 1}, {"word_i", pair_words_[i]}, {"word_j", pair_words_[j]},
                  {"n11", count[0]}, {"n10", count[1]}, {"n01", count[2]}, {"n00", count[3]}};
      for (const StatisticColumn& column : columns) record[column.name] = column.value ? column.value(i, j) : json(nullptr);
      record["included_i_in_j"] = (included_[pair] & kIInJ) != 0 ? 1 : 0;
      record["included_j_in_i"] = (included_[pair] & kJInI) != 0 ? 1 : 0;
      records.Append(OpenObject(record) + "\n");
    }
  }
  // What the records needed is in them now.
  exact_ = ExactProportionMatrices();
  std::vector<std::array<std::int32_t, 4>>().swap(pair_counts_);
  std::vector<std::uint8_t>().swap(included_);
  std::vector<std::string>().swap(pair_words_);
}

std::string JsonExport::LevelEnds() const {
  if (!problem_->level_open) return {};
  std::string ends;
  if (problem_->factorizations < 1) ends += Key("omega_factorization") + "null";
  if (problem_->factorizations < 2) ends += Key("lower_omega_factorization") + "null";
  return ends + "}";
}

void JsonExport::CloseLevel() {
  Scratch(problem_->body).Append(LevelEnds());
  problem_->level_open = false;
}

std::string JsonExport::OpenEnds() const { return LevelEnds() + (problem_->levels_open ? "]" : ""); }

void JsonExport::CutoffLevelDone(const OmegaLevel& level) {
  AddOmegaColumn(omega_columns_, level);
  CloseLevel();
  const bool closed = level.HasLowerOmega;
  const int e = level.Omega.Size();
  ScratchFile& body = Scratch(problem_->body);
  if (problem_->levels > 0) body.Append(",");
  body.Append(OpenObject(json{{"level", level.Index + 1},
                              {"alpha", Number(level.Alpha)},
                              {"z", level.Z},
                              {"min_kappa", Number(level.MinKappa)}}));
  const auto relation = [&](const char* key, const ElementRelation& m, bool shown, bool cells) {
    body.Append(Key(key));
    if (!shown) {
      body.Append("null");
      return;
    }
    WriteArray(body, e, [&](int r) { return cells ? RelationCellRow(m, r) : RelationRow(m, r); });
  };
  relation("omega", level.Omega, true, false);
  relation("lower_omega", level.LowerOmega, closed, false);
  relation("lower_omega_closure", level.LowerOmegaClosure, closed, false);
  relation("omega_closure", level.OmegaClosure, closed, false);
  relation("omega_cells", level.Omega, true, true);
  relation("lower_omega_cells", level.LowerOmega, closed, true);
  relation("lower_omega_closure_cells", level.LowerOmegaClosure, closed, true);
  relation("omega_closure_cells", level.OmegaClosure, closed, true);
  body.Append(Key("unsettled_pairs") + Dump(level.UnsettledPairs));
  ++problem_->levels;
  problem_->level_open = true;
  problem_->factorizations = 0;
}

void JsonExport::FactorizationStarted(int, bool is_omega, bool) {
  factorization_of_omega_ = is_omega;
  Scratch(atoms_).Clear();
  atom_count_ = 0;
}

void JsonExport::AtomDescribed(int, const AtomResult& atom) {
  json induced = json::array();
  for (const ElementPair& pair : atom.Induced) induced.push_back(PairJson(pair));
  const json described{{"generating", PairJson(atom.Generating)},
                       {"induced", std::move(induced)},
                       {"unique_meet_complement", atom.UniqueMeetComplement},
                       {"meet_complements", RelationRows(atom.MeetComplements)}};
  if (atom_count_++ > 0) Scratch(atoms_).Append(",");
  Scratch(atoms_).Append(Dump(described));
}

void JsonExport::FactorizationDone() {
  // Factorizations follow their level, Omega's before lower Omega's; one left out is null.
  ScratchFile& body = Scratch(problem_->body);
  if (!factorization_of_omega_ && problem_->factorizations < 1) body.Append(Key("omega_factorization") + "null");
  body.Append(Key(factorization_of_omega_ ? "omega_factorization" : "lower_omega_factorization") + "{\"atoms\":[");
  Scratch(atoms_).CopyTo([&body](std::string_view text) {
    body.Append(text);
    return true;
  });
  body.Append("]}");
  problem_->factorizations = factorization_of_omega_ ? 1 : 2;
  atoms_->Clear();
}

void JsonExport::ProblemDone() {
  Scratch(problem_->body).Append(OpenEnds());
  problem_->level_open = problem_->levels_open = false;
  ScratchFile& done = Scratch(done_);
  if (problems_done_ > 0) done.Append(",");
  WriteProblem(
      [&done](std::string_view text) {
        done.Append(text);
        return true;
      },
      true);
  ++problems_done_;
  problem_.reset();
}

bool JsonExport::WriteProblem(const TextOut& out, bool complete) {
  OpenProblem& p = *problem_;
  const std::string head = OpenObject(json{{"number", p.number}, {"label", p.label}, {"complete", complete}});
  if (!out(head) || !Scratch(p.body).CopyTo(out) || !out(OpenEnds() + Key("pairs") + "[")) return false;
  // Each record's front, then its Omega column for every cutoff level done.
  std::size_t pair = 0;
  const bool records = Scratch(p.pairs).ForEachLine([&](std::string_view front) {
    std::string record(pair == 0 ? "" : ",");
    record += front;
    for (const OmegaColumn& column : omega_columns_) {
      const std::uint8_t inclusions = column.inclusions[pair];
      record += Key(column.name.c_str()) + (inclusions == 0 ? "null" : Dump(InclusionText(inclusions)));
    }
    ++pair;
    return out(record + "}");
  });
  return records && out("]}");
}

bool JsonExport::WriteTo(const TextOut& out, const RunOutcome& outcome, std::string& error) {
  json head = *head_;
  head["status"] = StatusOf(outcome);
  head["completion_code"] = outcome.code;
  bool taken = out(OpenObject(head) + Key("problems") + "[") && Scratch(done_).CopyTo(out);
  // A problem the run left unfinished keeps what it has, closed where it stopped.
  if (taken && problem_ != nullptr) taken = out(problems_done_ > 0 ? "," : "") && WriteProblem(out, false);
  taken = taken && out("]}\n");
  for (const ScratchFile* file : {done_.get(), atoms_.get(), problem_ ? problem_->body.get() : nullptr,
                                  problem_ ? problem_->pairs.get() : nullptr}) {
    if (file != nullptr && !file->Failure().empty()) {
      error = file->Failure();
      return false;
    }
  }
  if (!taken && error.empty()) error = "write error";
  return taken;
}

bool JsonExport::Write(const std::string& path, const RunOutcome& outcome, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  errno = 0;
  int write_error = 0;
  const bool formed = WriteTo(
      [&](std::string_view text) {
        if (std::fwrite(text.data(), 1, text.size(), file) == text.size()) return true;
        write_error = errno;
        return false;
      },
      outcome, error);
  const bool closed = std::fclose(file) == 0;
  if (formed && closed) return true;
  if (error.empty() || error == "write error") error = write_error != 0 ? std::strerror(write_error) : "write error";
  return false;
}

bool JsonExport::WriteTo(std::ostream& out, const RunOutcome& outcome, std::string& error) {
  return WriteTo(
      [&out](std::string_view text) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        return static_cast<bool>(out);
      },
      outcome, error);
}

std::string JsonExport::Text(const RunOutcome& outcome) {
  std::string text, error;
  WriteTo(
      [&text](std::string_view piece) {
        text += piece;
        return true;
      },
      outcome, error);
  return text;
}

}  // namespace quorel
