// The R package quorel: networks from files and arrays, the analysis, and its results as
// R vectors, matrices and lists, on top of the public library API only (include/quorel).
// R/quorel.R checks and shapes the arguments and adds the classes; this file converts.
//
// Conventions of the R side: a network's relations are an N x N x R array (cell
// [row, column, relation]); element numbers are 1-based, so element k is words[k] and the
// report's element k.

#include <Rcpp.h>
#include <R_ext/Utils.h>

#include <algorithm>
#include <atomic>
#include <array>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "quorel/option_words.hpp"
#include "quorel/polled_run.hpp"
#include "quorel/quorel.hpp"

namespace {


// A failure of the library handed back as a value: R/quorel.R raises it as a condition of
// class quorel_error with the command line's message, its kind and its code.
Rcpp::List Failure(const quorel::Error& error) {
  Rcpp::List failure = Rcpp::List::create(Rcpp::Named("message") = std::string(error.what()),
                                          Rcpp::Named("kind") = quorel::ErrorKindName(error.kind()),
                                          Rcpp::Named("code") = error.code());
  failure.attr("class") = "quorel_failure";
  return failure;
}

// ---------------------------------------------------------------------------------------
// Options from a named list. The names are the C++ Options fields; the enumerations take
// the command line's words. R/quorel.R has already checked the types and ranges.

template <typename Enum>
Enum Choice(const std::string& word, const std::string& name, const quorel::ChoiceWords<Enum>& words) {
  if (const std::optional<Enum> choice = quorel::ChoiceNamed(words, word)) return *choice;
  Rcpp::stop(name + ": '" + word + "' is not one of " + quorel::QuotedWords(words));
}

quorel::Options OptionsFrom(const Rcpp::List& values) {
  quorel::Options o;
  if (values.size() == 0) return o;
  const Rcpp::CharacterVector names = values.names();
  for (R_xlen_t k = 0; k < values.size(); ++k) {
    const std::string name = Rcpp::as<std::string>(names[k]);
    const SEXP value = values[k];
    const auto word = [&] { return Rcpp::as<std::string>(value); };
    const auto flag = [&] { return Rcpp::as<bool>(value); };
    const auto whole = [&] { return Rcpp::as<double>(value); };
    if (name == "transposes") o.transposes = flag();
    else if (name == "generator_products_only") o.generator_products_only = flag();
    else if (name == "max_word_length") o.max_word_length = static_cast<int>(whole());
    else if (name == "permutation_strategy")
      o.permutation_strategy = Choice(word(), name, quorel::PermutationStrategyWords());
    else if (name == "measure_control")
      o.measure_control = Choice(word(), name, quorel::MeasureControlWords());
    else if (name == "sample_size") o.sample_size = static_cast<int>(whole());
    else if (name == "min_kappa") o.min_kappa = static_cast<float>(whole());
    else if (name == "diagonal")
      o.diagonal = Choice(word(), name, quorel::DiagonalRuleWords());
    else if (name == "cutoffs") o.cutoffs = word();
    else if (name == "factor_omega") o.factor_omega = flag();
    else if (name == "factor_lower_omega") o.factor_lower_omega = flag();
    else if (name == "full_factor_output") o.full_factor_output = flag();
    else if (name == "reapply") o.reapply = flag();
    else if (name == "seed") o.seed = static_cast<std::uint64_t>(whole());
    else if (name == "threads") o.threads = static_cast<int>(whole());
    else if (name == "exact_p") o.exact_p = flag();
    else if (name == "omega_from")
      o.omega_from_exact = Choice(word(), name, quorel::ChoiceWords<bool>{{"sampled", false}, {"exact", true}});
    else if (name == "omega_from_exact") o.omega_from_exact = flag();
    else Rcpp::stop("unknown option '" + name + "'");
  }
  return o;
}

Rcpp::List OptionsList(const quorel::Options& o) {
  return Rcpp::List::create(
      Rcpp::Named("transposes") = o.transposes, Rcpp::Named("generator_products_only") = o.generator_products_only,
      Rcpp::Named("max_word_length") = o.max_word_length,
      Rcpp::Named("permutation_strategy") = quorel::WordOf(quorel::PermutationStrategyWords(), o.permutation_strategy),
      Rcpp::Named("measure_control") = quorel::WordOf(quorel::MeasureControlWords(), o.measure_control),
      Rcpp::Named("sample_size") = o.sample_size, Rcpp::Named("min_kappa") = static_cast<double>(o.min_kappa),
      Rcpp::Named("diagonal") = quorel::WordOf(quorel::DiagonalRuleWords(), o.diagonal), Rcpp::Named("cutoffs") = o.cutoffs,
      Rcpp::Named("factor_omega") = o.factor_omega, Rcpp::Named("factor_lower_omega") = o.factor_lower_omega,
      Rcpp::Named("full_factor_output") = o.full_factor_output, Rcpp::Named("reapply") = o.reapply,
      Rcpp::Named("seed") = static_cast<double>(o.seed), Rcpp::Named("threads") = o.threads,
      Rcpp::Named("exact_p") = o.exact_p, Rcpp::Named("omega_from") = o.omega_from_exact ? "exact" : "sampled");
}

// ---------------------------------------------------------------------------------------
// The analysis runs on a worker thread while R's thread waits for it and every tenth of a
// second looks for a pending user interrupt (R_CheckUserInterrupt inside R_ToplevelExec,
// so that R's long jump cannot cross these C++ frames). An interrupt sets the cancel flag;
// the analysis stops at its next batch of pairs or sample, and the interrupt is raised in
// R once the worker has ended. Only R's thread touches R.

void CheckInterrupt(void*) { R_CheckUserInterrupt(); }

bool InterruptPending() { return R_ToplevelExec(CheckInterrupt, nullptr) == FALSE; }

template <typename Work>
auto RunInterruptibly(Work work) -> decltype(work(quorel::Hooks{})) {
  auto value = quorel::RunPolled(work, [] { return !InterruptPending(); });
  if (!value) throw Rcpp::internal::InterruptedException();
  return std::move(*value);
}

// ---------------------------------------------------------------------------------------
// Networks: list(label, actors, relations, non_directional, matrices, fixed_matrix), the
// matrices an N x N x R integer array.

Rcpp::List NetworkList(const quorel::Network& network) {
  const int n = network.actor_count, r = network.relation_count();
  Rcpp::IntegerVector cells(static_cast<R_xlen_t>(n) * n * r);
  for (int k = 0; k < r; ++k) {
    for (int row = 0; row < n; ++row) {
      for (int column = 0; column < n; ++column) {
        cells[row + static_cast<R_xlen_t>(column) * n + static_cast<R_xlen_t>(k) * n * n] = network.tie(k, row, column);
      }
    }
  }
  cells.attr("dim") = Rcpp::IntegerVector::create(n, n, r);
  SEXP non_directional = R_NilValue;
  if (network.non_directional) {
    Rcpp::LogicalVector marks(network.non_directional->begin(), network.non_directional->end());
    non_directional = marks;
  }
  SEXP fixed = R_NilValue;
  if (network.fixed_matrix) {
    Rcpp::NumericMatrix values(n, n);
    for (int row = 0; row < n; ++row) {
      for (int column = 0; column < n; ++column) {
        values(row, column) = (*network.fixed_matrix)[static_cast<std::size_t>(row) * n + column];
      }
    }
    fixed = values;
  }
  return Rcpp::List::create(Rcpp::Named("label") = network.label,
                            Rcpp::Named("actors") = Rcpp::wrap(network.actor_names),
                            Rcpp::Named("relations") = Rcpp::wrap(network.relation_names),
                            Rcpp::Named("non_directional") = non_directional, Rcpp::Named("matrices") = cells,
                            Rcpp::Named("fixed_matrix") = fixed);
}

// The inverse, for lists R/quorel.R has checked: an integer array of 0 and 1 of the right
// shape and names of the right lengths.
quorel::Network NetworkFrom(const Rcpp::List& list) {
  quorel::Network network;
  network.label = Rcpp::as<std::string>(list["label"]);
  const Rcpp::IntegerVector cells = list["matrices"];
  const Rcpp::IntegerVector dims = cells.attr("dim");
  const int n = dims[0], r = dims[2];
  network.actor_count = n;
  network.relations.assign(static_cast<std::size_t>(r), std::vector<std::uint8_t>(static_cast<std::size_t>(n) * n));
  for (int k = 0; k < r; ++k) {
    for (int row = 0; row < n; ++row) {
      for (int column = 0; column < n; ++column) {
        network.relations[k][static_cast<std::size_t>(row) * n + column] =
            cells[row + static_cast<R_xlen_t>(column) * n + static_cast<R_xlen_t>(k) * n * n] != 0 ? 1 : 0;
      }
    }
  }
  network.actor_names = Rcpp::as<std::vector<std::string>>(list["actors"]);
  network.relation_names = Rcpp::as<std::vector<std::string>>(list["relations"]);
  if (!Rf_isNull(list["non_directional"])) {
    const Rcpp::LogicalVector marks = list["non_directional"];
    network.non_directional.emplace();
    for (const int mark : marks) network.non_directional->push_back(mark == TRUE ? 1 : 0);
  }
  if (list.containsElementNamed("fixed_matrix") && !Rf_isNull(list["fixed_matrix"])) {
    const Rcpp::NumericMatrix values = list["fixed_matrix"];
    network.fixed_matrix.emplace(static_cast<std::size_t>(n) * n);
    for (int row = 0; row < n; ++row) {
      for (int column = 0; column < n; ++column) {
        (*network.fixed_matrix)[static_cast<std::size_t>(row) * n + column] = static_cast<float>(values(row, column));
      }
    }
  }
  return network;
}

quorel::InputFormat FormatNamed(const std::string& word) {
  return Choice(word, "input_format", quorel::InputFormatWords());
}

// ---------------------------------------------------------------------------------------
// Results.

using PairAccessor = double (quorel::Result::*)(int, int) const;
using RelationAccessor = bool (quorel::Result::*)(int, int, int) const;

// An E x E matrix holding the statistic of every pair i < j in its upper triangle, NA
// elsewhere and where the report prints nothing (the library's NaN).
Rcpp::NumericMatrix PairMatrix(const quorel::Result& result, PairAccessor accessor) {
  const int e = result.element_count();
  Rcpp::NumericMatrix values(e, e);
  for (int i = 0; i < e; ++i) {
    for (int j = 0; j < e; ++j) {
      const double value = i < j ? (result.*accessor)(i, j) : NA_REAL;
      values(i, j) = std::isnan(value) ? NA_REAL : value;
    }
  }
  return values;
}

Rcpp::LogicalMatrix LevelMatrix(const quorel::Result& result, int level, RelationAccessor accessor) {
  const int e = result.element_count();
  Rcpp::LogicalMatrix cells(e, e);
  for (int i = 0; i < e; ++i) {
    for (int j = 0; j < e; ++j) cells(i, j) = (result.*accessor)(level, i, j);
  }
  return cells;
}

// Atoms with 1-based elements: generating c(first, second), induced a two-column matrix.
Rcpp::List AtomsList(const std::vector<quorel::Result::Atom>& atoms) {
  Rcpp::List out(atoms.size());
  for (std::size_t k = 0; k < atoms.size(); ++k) {
    const quorel::Result::Atom& atom = atoms[k];
    Rcpp::IntegerMatrix induced(static_cast<int>(atom.induced.size()), 2);
    for (std::size_t m = 0; m < atom.induced.size(); ++m) {
      induced(static_cast<int>(m), 0) = atom.induced[m].first + 1;
      induced(static_cast<int>(m), 1) = atom.induced[m].second + 1;
    }
    Rcpp::colnames(induced) = Rcpp::CharacterVector::create("first", "second");
    out[k] = Rcpp::List::create(
        Rcpp::Named("generating") = Rcpp::IntegerVector::create(atom.generating.first + 1, atom.generating.second + 1),
        Rcpp::Named("induced") = induced, Rcpp::Named("unique_meet_complement") = atom.unique_meet_complement);
  }
  return out;
}

Rcpp::List LevelList(const quorel::Result& result, int level) {
  const bool closures = !result.options().generator_products_only;
  const auto relation = [&](RelationAccessor accessor) -> SEXP {
    if (!closures) return R_NilValue;
    return LevelMatrix(result, level, accessor);
  };
  return Rcpp::List::create(
      Rcpp::Named("alpha") = static_cast<double>(result.alpha(level)),
      Rcpp::Named("omega") = LevelMatrix(result, level, &quorel::Result::omega),
      Rcpp::Named("lower_omega") = relation(&quorel::Result::lower_omega),
      Rcpp::Named("omega_closure") = relation(&quorel::Result::omega_closure),
      Rcpp::Named("lower_omega_closure") = relation(&quorel::Result::lower_omega_closure),
      Rcpp::Named("atoms") = AtomsList(result.atoms(level, true)),
      Rcpp::Named("lower_omega_atoms") = AtomsList(result.atoms(level, false)));
}


SEXP WordNames(const quorel::Result& result) {
  const std::vector<std::string> names = result.word_names();
  if (names.empty()) return R_NilValue;
  return Rcpp::wrap(names);
}

// Every pair i < j as columns, in the report's order, by the names of the command line's
// pairs.csv, elements numbered from 1.
Rcpp::List PairColumns(const quorel::Result& result) {
  const int e = result.element_count();
  const R_xlen_t pairs = static_cast<R_xlen_t>(e) * (e - 1) / 2;
  const std::vector<std::array<std::int32_t, 4>> counts = result.pair_counts();
  const auto value = [](double v) { return std::isnan(v) ? NA_REAL : v; };

  Rcpp::IntegerVector first(pairs), second(pairs);
  Rcpp::LogicalVector i_in_j(pairs), j_in_i(pairs);
  Rcpp::CharacterVector word_i(pairs), word_j(pairs);
  std::vector<std::string> words;
  for (int i = 0; i < e; ++i) words.push_back(result.word(i));
  R_xlen_t row = 0;
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j, ++row) {
      first[row] = i + 1;
      second[row] = j + 1;
      word_i[row] = words[i];
      word_j[row] = words[j];
      // The partial order's cell (row, column): element column is contained in element row.
      i_in_j[row] = result.partial_order(j, i);
      j_in_i[row] = result.partial_order(i, j);
    }
  }
  std::vector<std::string> names;
  Rcpp::List columns;
  const auto add = [&](const std::string& name, SEXP values) {
    names.push_back(name);
    columns.push_back(values);
  };
  add("i", first);
  add("j", second);
  add("word_i", word_i);
  add("word_j", word_j);
  const char* const count_names[4] = {"n11", "n10", "n01", "n00"};
  for (int cell = 0; cell < 4; ++cell) {
    Rcpp::NumericVector values(pairs);  // N^2 may pass 2^31
    for (R_xlen_t k = 0; k < pairs; ++k) values[k] = counts[static_cast<std::size_t>(k)][cell];
    add(count_names[cell], values);
  }
  // The statistics, each sampled proportion followed by the bounds of its 95% interval, and
  // the exact P-values when asked for, as in pairs.csv.
  for (const quorel::PairStatistic& statistic : quorel::PairStatistics(result.options().exact_p)) {
    Rcpp::NumericVector values(pairs), low(statistic.interval ? pairs : 0), high(statistic.interval ? pairs : 0);
    R_xlen_t k = 0;
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j, ++k) {
        const double proportion = (result.*statistic.value)(i, j);
        values[k] = value(proportion);
        if (!statistic.interval) continue;
        const std::pair<double, double> both = result.proportion_interval(proportion);
        low[k] = value(both.first);
        high[k] = value(both.second);
      }
    }
    add(statistic.name, values);
    if (statistic.interval) {
      add(std::string(statistic.name) + "_low", low);
      add(std::string(statistic.name) + "_high", high);
    }
  }
  add("included_i_in_j", i_in_j);
  add("included_j_in_i", j_in_i);
  // Omega at each cutoff level: "i<j" when it includes i in j, "j<i", "equivalent" when
  // both, NA when neither.
  const std::vector<std::string> omega_names = result.omega_column_names();
  for (int level = 0; level < result.cutoff_level_count(); ++level) {
    Rcpp::CharacterVector cells(pairs);
    R_xlen_t k = 0;
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j, ++k) {
        const bool i_in_j_here = result.omega(level, j, i), j_in_i_here = result.omega(level, i, j);
        if (i_in_j_here && j_in_i_here) cells[k] = "equivalent";
        else if (i_in_j_here) cells[k] = "i<j";
        else if (j_in_i_here) cells[k] = "j<i";
        else cells[k] = NA_STRING;
      }
    }
    add(omega_names[static_cast<std::size_t>(level)], cells);
  }
  columns.names() = Rcpp::wrap(names);
  return columns;
}

std::string ReportOf(const std::vector<quorel::Result>& results) {
  std::ostringstream out;
  quorel::WriteReport(out, results);
  return out.str();
}

Rcpp::List ResultList(const quorel::Result& result, const quorel::Network& network) {
  const int e = result.element_count(), n = result.actor_count();
  Rcpp::CharacterVector words(e);
  for (int i = 0; i < e; ++i) words[i] = result.word(i);

  // The elements' relations as an N x N x E array, like the network's.
  Rcpp::IntegerVector matrices(static_cast<R_xlen_t>(n) * n * e);
  for (int i = 0; i < e; ++i) {
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) {
        matrices[r + static_cast<R_xlen_t>(c) * n + static_cast<R_xlen_t>(i) * n * n] = result.tie(i, r, c) ? 1 : 0;
      }
    }
  }
  matrices.attr("dim") = Rcpp::IntegerVector::create(n, n, e);

  Rcpp::IntegerMatrix table(e, e);
  Rcpp::LogicalMatrix order(e, e);
  for (int i = 0; i < e; ++i) {
    for (int j = 0; j < e; ++j) {
      const int product = result.product(i, j);
      table(i, j) = product < 0 ? NA_INTEGER : product + 1;
      order(i, j) = result.partial_order(i, j);
    }
  }

  Rcpp::List statistics = Rcpp::List::create(
      Rcpp::Named("likelihood_ratio") = PairMatrix(result, &quorel::Result::likelihood_ratio),
      Rcpp::Named("theta") = PairMatrix(result, &quorel::Result::theta),
      Rcpp::Named("fisher_p") = PairMatrix(result, &quorel::Result::fisher_p),
      Rcpp::Named("mcnemar_z") = PairMatrix(result, &quorel::Result::mcnemar_z),
      Rcpp::Named("mcnemar_z_proportion") = PairMatrix(result, &quorel::Result::mcnemar_z_proportion),
      Rcpp::Named("binomial_p") = PairMatrix(result, &quorel::Result::binomial_p),
      Rcpp::Named("kappa") = PairMatrix(result, &quorel::Result::kappa),
      Rcpp::Named("estvar") = PairMatrix(result, &quorel::Result::estvar),
      Rcpp::Named("kappa_proportion") = PairMatrix(result, &quorel::Result::kappa_proportion),
      Rcpp::Named("standardized_kappa") = PairMatrix(result, &quorel::Result::standardized_kappa),
      Rcpp::Named("standardized_kappa_proportion") =
          PairMatrix(result, &quorel::Result::standardized_kappa_proportion),
      Rcpp::Named("theta_exact") = PairMatrix(result, &quorel::Result::theta_exact),
      Rcpp::Named("mcnemar_z_proportion_exact") = PairMatrix(result, &quorel::Result::mcnemar_z_proportion_exact),
      Rcpp::Named("kappa_proportion_exact") = PairMatrix(result, &quorel::Result::kappa_proportion_exact),
      Rcpp::Named("standardized_kappa_proportion_exact") =
          PairMatrix(result, &quorel::Result::standardized_kappa_proportion_exact));

  Rcpp::List levels(result.cutoff_level_count());
  for (int level = 0; level < result.cutoff_level_count(); ++level) levels[level] = LevelList(result, level);

  return Rcpp::List::create(
      Rcpp::Named("label") = result.label(), Rcpp::Named("actor_count") = n,
      Rcpp::Named("generator_count") = result.generator_count(), Rcpp::Named("element_count") = e,
      Rcpp::Named("options") = OptionsList(result.options()),
      Rcpp::Named("warnings") = Rcpp::wrap(result.warnings()), Rcpp::Named("words") = words,
      Rcpp::Named("word_names") = WordNames(result), Rcpp::Named("matrices") = matrices,
      Rcpp::Named("multiplication_table") = table, Rcpp::Named("partial_order") = order,
      Rcpp::Named("statistics") = statistics, Rcpp::Named("levels") = levels,
      Rcpp::Named("pairs") = PairColumns(result), Rcpp::Named("report") = ReportOf({result}));
}

}  // namespace

// [[Rcpp::export(.quorel_read_networks)]]
SEXP ReadNetworksR(std::string path, std::string input_format, bool fixed_matrix, Rcpp::Nullable<double> threshold,
                   std::string relation_attribute, std::string non_directional,
                   std::vector<std::string> relation_names, std::vector<std::string> actor_names) {
  quorel::ReadOptions options;
  options.input_format = FormatNamed(input_format);
  options.fixed_matrix = fixed_matrix;
  if (threshold.isNotNull()) options.threshold = Rcpp::as<double>(threshold);
  options.relation_attribute = relation_attribute;
  options.non_directional = non_directional;
  options.relation_names = relation_names;
  options.actor_names = actor_names;
  std::vector<std::string> warnings;
  std::vector<quorel::Network> networks;
  try {
    networks = quorel::ReadNetworks(path, options, &warnings);
  } catch (const quorel::Error& error) {
    return Failure(error);
  }
  Rcpp::List out(networks.size());
  for (std::size_t k = 0; k < networks.size(); ++k) out[k] = NetworkList(networks[k]);
  out.attr("warnings") = Rcpp::wrap(warnings);
  return out;
}

// [[Rcpp::export(.quorel_analyze)]]
SEXP AnalyzeR(Rcpp::List networks, Rcpp::List options) {
  const quorel::Options checked = OptionsFrom(options);
  std::vector<quorel::Network> inputs;
  for (R_xlen_t k = 0; k < networks.size(); ++k) inputs.push_back(NetworkFrom(networks[k]));
  std::vector<quorel::Result> results;
  try {
    results = RunInterruptibly([&](const quorel::Hooks& hooks) { return quorel::Analyze(inputs, checked, hooks); });
  } catch (const quorel::Error& error) {
    return Failure(error);
  }
  Rcpp::List out(results.size());
  for (std::size_t k = 0; k < results.size(); ++k) out[k] = ResultList(results[k], inputs[k]);
  out.attr("report") = ReportOf(results);
  return out;
}

// [[Rcpp::export(.quorel_version)]]
std::string VersionR() { return quorel::Version(); }
