// The Python module quorel._quorel: the networks, the analysis and its results as NumPy
// arrays, on top of the public library API only (include/quorel). The package's
// __init__.py adds what is easier said in Python (NetworkX graphs, the pairs as a
// DataFrame).

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <array>
#include <atomic>
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
#include <tuple>
#include <vector>

#include "quorel/option_words.hpp"
#include "quorel/polled_run.hpp"
#include "quorel/quorel.hpp"

namespace py = pybind11;

namespace {

using Bytes = py::array_t<std::uint8_t>;
using Reals = py::array_t<double>;
using Flags = py::array_t<bool>;


// ---------------------------------------------------------------------------------------
// Options from keyword arguments. The names are the C++ Options fields; the enumerations
// take the command line's words.

template <typename Enum>
Enum Choice(const std::string& word, const std::string& name, const quorel::ChoiceWords<Enum>& words) {
  if (const std::optional<Enum> choice = quorel::ChoiceNamed(words, word)) return *choice;
  throw py::value_error(name + ": '" + word + "' is not one of " + quorel::QuotedWords(words));
}

template <typename Enum>
Enum Choice(const py::handle& value, const char* name, const quorel::ChoiceWords<Enum>& words) {
  if (!py::isinstance<py::str>(value)) throw py::type_error(std::string(name) + " must be a string");
  return Choice(value.cast<std::string>(), name, words);
}

bool Flag(const py::handle& value, const char* name) {
  if (!py::isinstance<py::bool_>(value)) throw py::type_error(std::string(name) + " must be True or False");
  return value.cast<bool>();
}

long long Whole(const py::handle& value, const char* name, long long low, long long high) {
  if (py::isinstance<py::bool_>(value) || !py::isinstance<py::int_>(value)) {
    throw py::type_error(std::string(name) + " must be an integer");
  }
  const long long number = value.cast<long long>();
  if (number < low || number > high) {
    throw py::value_error(std::string(name) + " = " + std::to_string(number) + " is outside " +
                          std::to_string(low) + ".." + std::to_string(high));
  }
  return number;
}

// Cutoffs as the command line takes them ("0.05, 0.01") or as a sequence of numbers.
std::string CutoffText(const py::handle& value) {
  if (py::isinstance<py::str>(value)) return value.cast<std::string>();
  if (!py::isinstance<py::sequence>(value)) throw py::type_error("cutoffs must be a string or a sequence of numbers");
  std::string text;
  for (const py::handle item : value) {
    if (!py::isinstance<py::float_>(item) && !py::isinstance<py::int_>(item)) {
      throw py::type_error("cutoffs must be a string or a sequence of numbers");
    }
    text += text.empty() ? "" : ", ";
    text += py::str(py::float_(py::reinterpret_borrow<py::object>(item))).cast<std::string>();
  }
  return text;
}

quorel::Options OptionsFrom(const py::kwargs& keywords) {
  quorel::Options o;
  for (const auto& [key, value] : keywords) {
    const std::string name = key.cast<std::string>();
    const char* n = name.c_str();
    if (name == "transposes") o.transposes = Flag(value, n);
    else if (name == "generator_products_only") o.generator_products_only = Flag(value, n);
    else if (name == "max_word_length") o.max_word_length = static_cast<int>(Whole(value, n, 0, 32767));
    else if (name == "permutation_strategy")
      o.permutation_strategy = Choice(value, n, quorel::PermutationStrategyWords());
    else if (name == "measure_control")
      o.measure_control = Choice(value, n, quorel::MeasureControlWords());
    else if (name == "sample_size") o.sample_size = static_cast<int>(Whole(value, n, 0, 32767));
    else if (name == "min_kappa") {
      if (py::isinstance<py::bool_>(value) || (!py::isinstance<py::float_>(value) && !py::isinstance<py::int_>(value)))
        throw py::type_error("min_kappa must be a number");
      o.min_kappa = value.cast<float>();
    } else if (name == "diagonal")
      o.diagonal = Choice(value, n, quorel::DiagonalRuleWords());
    else if (name == "cutoffs") o.cutoffs = CutoffText(value);
    else if (name == "factor_omega") o.factor_omega = Flag(value, n);
    else if (name == "factor_lower_omega") o.factor_lower_omega = Flag(value, n);
    else if (name == "full_factor_output") o.full_factor_output = Flag(value, n);
    else if (name == "reapply") o.reapply = Flag(value, n);
    else if (name == "seed")
      o.seed = static_cast<std::uint64_t>(Whole(value, n, 0, std::numeric_limits<long long>::max()));
    else if (name == "threads") o.threads = static_cast<int>(Whole(value, n, 0, 1024));
    else if (name == "exact_p") o.exact_p = Flag(value, n);
    else if (name == "omega_from")
      o.omega_from_exact = Choice(value, n, quorel::ChoiceWords<bool>{{"sampled", false}, {"exact", true}});
    else if (name == "omega_from_exact") o.omega_from_exact = Flag(value, n);
    else throw py::type_error("analyze() got an unexpected keyword argument '" + name + "'");
  }
  return o;
}

// ---------------------------------------------------------------------------------------
// The analysis runs on a worker thread while the calling thread, without the GIL, waits for
// it and every tenth of a second takes the GIL to run Python's signal handlers: Ctrl-C
// raises KeyboardInterrupt there, which sets the cancel flag; the analysis stops at its next
// batch of pairs or sample and the KeyboardInterrupt is raised to the caller. The same
// visits hand the latest progress, when it moved, to the caller's `progress` function;
// an exception it raises stops the analysis as Ctrl-C does.
struct ProgressMark {
  quorel::Step step = quorel::Step::kReading;
  std::int64_t done = -1;
  std::int64_t total = 0;
  bool operator==(const ProgressMark&) const = default;
};

template <typename Work>
auto RunInterruptibly(Work work, const py::object& progress) -> decltype(work(quorel::Hooks{})) {
  using Value = decltype(work(quorel::Hooks{}));
  quorel::Hooks hooks;
  std::mutex progress_mutex;
  ProgressMark latest, shown;
  if (!progress.is_none()) {
    hooks.progress = [&](quorel::Step step, std::int64_t done, std::int64_t total) {
      std::lock_guard<std::mutex> lock(progress_mutex);
      latest = ProgressMark{step, done, total};
    };
  }
  const auto show_progress = [&] {
    ProgressMark now;
    {
      std::lock_guard<std::mutex> lock(progress_mutex);
      now = latest;
    }
    if (progress.is_none() || now == shown || now.done < 0) return true;
    shown = now;
    try {
      progress(quorel::StepName(now.step), now.done, now.total);
      return true;
    } catch (py::error_already_set& raised) {
      raised.restore();  // stays set until it is raised below
      return false;
    }
  };
  std::optional<Value> value;
  {
    py::gil_scoped_release unlocked;
    value = quorel::RunPolled(
        work,
        [&] {
          py::gil_scoped_acquire locked;
          return PyErr_CheckSignals() == 0 && show_progress();  // a Python error stays set until raised below
        },
        hooks);
  }
  if (!value) throw py::error_already_set();
  if (!show_progress()) throw py::error_already_set();  // the last step's end
  return std::move(*value);
}

// ---------------------------------------------------------------------------------------
// Networks.

// The fixed matrix of measure controls MF and MG: N x N finite numbers, whose equal values
// form the groups of cells the samples keep.
std::vector<float> FixedMatrixFrom(const py::object& matrix, py::ssize_t n) {
  py::array values;
  try {
    values = py::array_t<double, py::array::c_style | py::array::forcecast>(
        py::module_::import("numpy").attr("asarray")(matrix, "float64"));
  } catch (py::error_already_set&) {
    throw py::value_error("fixed_matrix: not an array-like of numbers");
  }
  if (values.ndim() != 2 || values.shape(0) != n || values.shape(1) != n) {
    throw py::value_error("fixed_matrix: expected shape (" + std::to_string(n) + ", " + std::to_string(n) + "), got " +
                          py::str(py::tuple(values.attr("shape"))).cast<std::string>());
  }
  const auto cells = py::array_t<double>(values).unchecked<2>();
  std::vector<float> fixed;
  for (py::ssize_t row = 0; row < n; ++row) {
    for (py::ssize_t column = 0; column < n; ++column) {
      if (!std::isfinite(cells(row, column))) {
        throw py::value_error("fixed_matrix: cell [" + std::to_string(row) + ", " + std::to_string(column) +
                              "] is not a finite number");
      }
      fixed.push_back(static_cast<float>(cells(row, column)));
    }
  }
  return fixed;
}

quorel::Network NetworkFromMatrices(const py::object& matrices, const std::optional<std::vector<std::string>>& actors,
                                    const std::optional<std::vector<std::string>>& relations,
                                    const py::object& non_directional, const std::string& label,
                                    const py::object& fixed_matrix) {
  py::module_ numpy = py::module_::import("numpy");
  py::array cells;
  try {
    cells = numpy.attr("asarray")(matrices);
  } catch (py::error_already_set&) {
    throw py::value_error("matrices: not an array-like of shape (relations, actors, actors)");
  }
  if (cells.ndim() == 2) cells = numpy.attr("expand_dims")(cells, 0);  // one relation
  if (cells.ndim() != 3) {
    throw py::value_error("matrices: expected shape (relations, actors, actors), got " +
                          py::str(py::tuple(cells.attr("shape"))).cast<std::string>());
  }
  const py::ssize_t r = cells.shape(0), n = cells.shape(1);
  if (cells.shape(2) != n) {
    throw py::value_error("matrices: each relation must be a square actors x actors matrix, got " +
                          std::to_string(n) + " x " + std::to_string(cells.shape(2)));
  }
  if (r == 0) throw py::value_error("matrices: no relations");
  if (n == 0) throw py::value_error("matrices: no actors");
  const std::string kind = py::str(cells.dtype().attr("kind")).cast<std::string>();
  if (kind != "b" && kind != "i" && kind != "u" && kind != "f") {
    throw py::value_error("matrices: cells must be numbers 0 or 1, got dtype " +
                          py::str(cells.dtype()).cast<std::string>());
  }
  const py::array_t<double, py::array::c_style | py::array::forcecast> values(cells);
  const auto view = values.unchecked<3>();
  quorel::Network network;
  network.label = label;
  network.actor_count = static_cast<int>(n);
  network.relations.assign(static_cast<std::size_t>(r), std::vector<std::uint8_t>(static_cast<std::size_t>(n * n)));
  for (py::ssize_t k = 0; k < r; ++k) {
    for (py::ssize_t row = 0; row < n; ++row) {
      for (py::ssize_t column = 0; column < n; ++column) {
        const double cell = view(k, row, column);
        if (cell != 0.0 && cell != 1.0) {
          std::ostringstream why;
          why << "matrices: cell [" << k << ", " << row << ", " << column << "] is " << cell
              << "; every cell must be 0 or 1";
          throw py::value_error(why.str());
        }
        network.relations[k][static_cast<std::size_t>(row * n + column)] = cell == 1.0 ? 1 : 0;
      }
    }
  }
  if (actors) {
    if (static_cast<py::ssize_t>(actors->size()) != n) {
      throw py::value_error("actors: " + std::to_string(actors->size()) + " names for " + std::to_string(n) +
                            " actors");
    }
    network.actor_names = *actors;
  }
  if (relations) {
    if (static_cast<py::ssize_t>(relations->size()) != r) {
      throw py::value_error("relations: " + std::to_string(relations->size()) + " names for " +
                            std::to_string(r) + " relations");
    }
    network.relation_names = *relations;
  }
  if (!non_directional.is_none()) {
    std::vector<std::uint8_t> marks;
    for (const py::handle mark : non_directional) marks.push_back(py::bool_(py::reinterpret_borrow<py::object>(mark)) ? 1 : 0);
    if (static_cast<py::ssize_t>(marks.size()) != r) {
      throw py::value_error("non_directional: " + std::to_string(marks.size()) + " entries for " +
                            std::to_string(r) + " relations");
    }
    network.non_directional = marks;
  }
  if (!fixed_matrix.is_none()) network.fixed_matrix = FixedMatrixFrom(fixed_matrix, n);
  return network;
}

Bytes NetworkMatrices(const quorel::Network& network) {
  const py::ssize_t r = network.relation_count(), n = network.actor_count;
  Bytes cells({r, n, n});
  std::uint8_t* out = cells.mutable_data();
  for (const std::vector<std::uint8_t>& relation : network.relations) out = std::copy(relation.begin(), relation.end(), out);
  return cells;
}

quorel::InputFormat FormatNamed(const std::string& word) {
  return Choice(word, "input_format", quorel::InputFormatWords());
}

// ---------------------------------------------------------------------------------------
// Results as arrays.

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

using PairAccessor = double (quorel::Result::*)(int, int) const;

// An E x E array holding the statistic of every pair i < j in its upper triangle.
Reals PairArray(const quorel::Result& result, PairAccessor accessor) {
  const int e = result.element_count();
  Reals values({e, e});
  auto cells = values.mutable_unchecked<2>();
  for (int i = 0; i < e; ++i) {
    for (int j = 0; j < e; ++j) cells(i, j) = i < j ? (result.*accessor)(i, j) : kNone;
  }
  return values;
}

using RelationAccessor = bool (quorel::Result::*)(int, int, int) const;

Flags LevelArray(const quorel::Result& result, int level, RelationAccessor accessor) {
  const int e = result.element_count();
  Flags cells({e, e});
  auto out = cells.mutable_unchecked<2>();
  for (int i = 0; i < e; ++i) {
    for (int j = 0; j < e; ++j) out(i, j) = (result.*accessor)(level, i, j);
  }
  return cells;
}

// One cutoff level: its relations in the report's orientation and the atoms of its
// factorizations.
struct Level {
  float alpha = 0;
  Flags omega, lower_omega, omega_closure, lower_omega_closure;  // the last three None-able
  bool has_closures = false;
  std::vector<quorel::Result::Atom> omega_atoms, lower_omega_atoms;
};

Level LevelOf(const quorel::Result& result, int level) {
  Level out;
  out.alpha = result.alpha(level);
  out.omega = LevelArray(result, level, &quorel::Result::omega);
  out.has_closures = !result.options().generator_products_only;
  if (out.has_closures) {
    out.lower_omega = LevelArray(result, level, &quorel::Result::lower_omega);
    out.omega_closure = LevelArray(result, level, &quorel::Result::omega_closure);
    out.lower_omega_closure = LevelArray(result, level, &quorel::Result::lower_omega_closure);
  }
  out.omega_atoms = result.atoms(level, true);
  out.lower_omega_atoms = result.atoms(level, false);
  return out;
}


// A result with the network it came from, for the names of its relations.
struct Analysis {
  quorel::Result result;
  std::shared_ptr<const quorel::Network> network;
};

py::object WordNames(const Analysis& a) {
  const std::vector<std::string> names = a.result.word_names();
  if (names.empty()) return py::none();
  return py::cast(names);
}

Bytes ElementMatrices(const quorel::Result& result) {
  const int e = result.element_count(), n = result.actor_count();
  Bytes cells({e, n, n});
  auto out = cells.mutable_unchecked<3>();
  for (int i = 0; i < e; ++i) {
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) out(i, r, c) = result.tie(i, r, c) ? 1 : 0;
    }
  }
  return cells;
}

// Every pair i < j as columns, in the report's order, by the names of the command line's
// pairs.csv, elements numbered from 1.
py::dict PairColumns(const Analysis& a) {
  const quorel::Result& result = a.result;
  const int e = result.element_count();
  const py::ssize_t pairs = static_cast<py::ssize_t>(e) * (e - 1) / 2;
  const std::vector<std::array<std::int32_t, 4>> counts = result.pair_counts();
  py::array_t<std::int64_t> first(pairs), second(pairs);
  Flags i_in_j(pairs), j_in_i(pairs);
  py::list word_i, word_j;
  std::vector<std::string> words;
  for (int i = 0; i < e; ++i) words.push_back(result.word(i));
  py::ssize_t row = 0;
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j, ++row) {
      first.mutable_at(row) = i + 1;
      second.mutable_at(row) = j + 1;
      word_i.append(words[i]);
      word_j.append(words[j]);
      // The partial order's cell (row, column): element column is contained in element row.
      i_in_j.mutable_at(row) = result.partial_order(j, i);
      j_in_i.mutable_at(row) = result.partial_order(i, j);
    }
  }
  py::dict columns;
  columns["i"] = first;
  columns["j"] = second;
  columns["word_i"] = word_i;
  columns["word_j"] = word_j;
  const char* const count_names[4] = {"n11", "n10", "n01", "n00"};
  for (int cell = 0; cell < 4; ++cell) {
    py::array_t<std::int64_t> values(pairs);
    for (py::ssize_t k = 0; k < pairs; ++k) values.mutable_at(k) = counts[static_cast<std::size_t>(k)][cell];
    columns[count_names[cell]] = values;
  }
  // The statistics, each sampled proportion followed by the bounds of its 95% interval, and
  // the exact P-values when asked for, as in pairs.csv.
  for (const quorel::PairStatistic& statistic : quorel::PairStatistics(result.options().exact_p)) {
    Reals values(pairs), low(statistic.interval ? pairs : 0), high(statistic.interval ? pairs : 0);
    py::ssize_t k = 0;
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j, ++k) {
        values.mutable_at(k) = (result.*statistic.value)(i, j);
        if (statistic.interval) std::tie(low.mutable_at(k), high.mutable_at(k)) = result.proportion_interval(values.at(k));
      }
    }
    columns[statistic.name] = values;
    if (statistic.interval) {
      columns[py::str(std::string(statistic.name) + "_low")] = low;
      columns[py::str(std::string(statistic.name) + "_high")] = high;
    }
  }
  columns["included_i_in_j"] = i_in_j;
  columns["included_j_in_i"] = j_in_i;
  // Omega at each cutoff level: "i<j" when it includes i in j, "j<i", "equivalent" when
  // both, None when neither.
  const std::vector<std::string> omega_names = result.omega_column_names();
  for (int level = 0; level < result.cutoff_level_count(); ++level) {
    py::list cells;
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j) {
        const bool i_in_j_here = result.omega(level, j, i), j_in_i_here = result.omega(level, i, j);
        if (i_in_j_here && j_in_i_here) cells.append("equivalent");
        else if (i_in_j_here) cells.append("i<j");
        else if (j_in_i_here) cells.append("j<i");
        else cells.append(py::none());
      }
    }
    columns[py::str(omega_names[static_cast<std::size_t>(level)])] = cells;
  }
  return columns;
}

std::string ReportOf(const std::vector<quorel::Result>& results) {
  std::ostringstream out;
  quorel::WriteReport(out, results);
  return out.str();
}

py::dict OptionsDict(const quorel::Options& o) {
  py::dict d;
  d["transposes"] = o.transposes;
  d["generator_products_only"] = o.generator_products_only;
  d["max_word_length"] = o.max_word_length;
  d["permutation_strategy"] = quorel::WordOf(quorel::PermutationStrategyWords(), o.permutation_strategy);
  d["measure_control"] = quorel::WordOf(quorel::MeasureControlWords(), o.measure_control);
  d["sample_size"] = o.sample_size;
  d["min_kappa"] = o.min_kappa;
  d["diagonal"] = quorel::WordOf(quorel::DiagonalRuleWords(), o.diagonal);
  d["cutoffs"] = o.cutoffs;
  d["factor_omega"] = o.factor_omega;
  d["factor_lower_omega"] = o.factor_lower_omega;
  d["full_factor_output"] = o.full_factor_output;
  d["reapply"] = o.reapply;
  d["seed"] = o.seed;
  d["threads"] = o.threads;
  d["exact_p"] = o.exact_p;
  d["omega_from"] = o.omega_from_exact ? "exact" : "sampled";
  return d;
}

}  // namespace

PYBIND11_MODULE(_quorel, m) {
  m.doc() = "Algebraic analysis of multiplex social networks: the semigroup of compound relations, "
            "its partial order, the statistics of every pair with P-values from random samples, "
            "Omega at cutoff levels and its factorizations.";

  static py::exception<quorel::Error> error(m, "Error", PyExc_RuntimeError);
  error.doc() = "A failure of reading or analysing, with the command line's message. Attributes: kind "
                "('fatal', 'completion', 'malformed-input', 'file', 'cancelled', 'invalid-argument') and "
                "code (the command line's error number or completion code; 0 when none applies).";
  py::register_exception_translator([](std::exception_ptr failure) {
    try {
      if (failure) std::rethrow_exception(failure);
    } catch (const quorel::Error& e) {
      py::object instance = py::reinterpret_borrow<py::object>(error.ptr())(e.what());
      instance.attr("kind") = quorel::ErrorKindName(e.kind());
      instance.attr("code") = e.code();
      PyErr_SetObject(error.ptr(), instance.ptr());
    }
  });

  py::class_<quorel::Network, std::shared_ptr<quorel::Network>>(
      m, "Network", "One multiplex network: N actors and R binary relations on them, each an N x N 0/1 matrix.")
      .def_static("from_matrices", &NetworkFromMatrices, py::arg("matrices"), py::kw_only(),
                  py::arg("actors") = py::none(), py::arg("relations") = py::none(),
                  py::arg("non_directional") = py::none(), py::arg("label") = "",
                  py::arg("fixed_matrix") = py::none(),
                  "A network from an array-like of shape (R, N, N) holding 0 and 1 (one N x N matrix is one "
                  "relation), with optional actor and relation names, the relations marked non-directional "
                  "(R truth values), a label and the N x N fixed matrix of measure controls MF and MG (cells "
                  "of equal value form a group). Raises ValueError naming what is wrong with the input.")
      .def_readwrite("label", &quorel::Network::label, "The network's label line.")
      .def_readonly("actor_count", &quorel::Network::actor_count, "N, the number of actors.")
      .def_property_readonly("relation_count", &quorel::Network::relation_count, "R, the number of relations.")
      .def_readonly("actors", &quorel::Network::actor_names, "The actors' names; empty when the input names none.")
      .def_readonly("relations", &quorel::Network::relation_names,
                    "The relations' names; empty when the input names none.")
      .def_property_readonly(
          "non_directional",
          [](const quorel::Network& n) -> py::object {
            if (!n.non_directional) return py::none();
            std::vector<bool> marks(n.non_directional->begin(), n.non_directional->end());
            return py::cast(marks);
          },
          "Per relation True when it is marked non-directional; None when the input does not say.")
      .def_property_readonly("matrices", &NetworkMatrices, "The relations as an R x N x N uint8 array.")
      .def_property_readonly(
          "fixed_matrix",
          [](const quorel::Network& n) -> py::object {
            if (!n.fixed_matrix) return py::none();
            py::array_t<float> cells({n.actor_count, n.actor_count});
            std::copy(n.fixed_matrix->begin(), n.fixed_matrix->end(), cells.mutable_data());
            return cells;
          },
          "The N x N fixed matrix (float32) of measure controls MF and MG; None when there is none.")
      .def("__eq__", [](const quorel::Network& a, const quorel::Network& b) { return a == b; })
      .def("__repr__", [](const quorel::Network& n) {
        return "<quorel.Network '" + n.label + "': " + std::to_string(n.actor_count) + " actors, " +
               std::to_string(n.relation_count()) + " relations>";
      });

  m.def(
      "read_networks",
      [](const std::filesystem::path& path, const std::string& input_format, bool fixed_matrix,
         std::optional<double> threshold, const std::string& relation_attribute, const std::string& non_directional,
         const std::vector<std::string>& relation_names, const std::vector<std::string>& actor_names) {
        quorel::ReadOptions options;
        options.input_format = FormatNamed(input_format);
        options.fixed_matrix = fixed_matrix;
        options.threshold = threshold;
        options.relation_attribute = relation_attribute;
        options.non_directional = non_directional;
        options.relation_names = relation_names;
        options.actor_names = actor_names;
        std::vector<std::string> warnings;
        std::vector<quorel::Network> read;
        {
          py::gil_scoped_release unlocked;
          read = quorel::ReadNetworks(path, options, &warnings);
        }
        py::module_ warn = py::module_::import("warnings");
        for (const std::string& warning : warnings) warn.attr("warn")(warning, py::arg("stacklevel") = 2);
        std::vector<std::shared_ptr<quorel::Network>> networks;
        for (quorel::Network& network : read) networks.push_back(std::make_shared<quorel::Network>(std::move(network)));
        return networks;
      },
      py::arg("path"), py::kw_only(), py::arg("input_format") = "auto", py::arg("fixed_matrix") = false,
      py::arg("threshold") = py::none(), py::arg("relation_attribute") = "", py::arg("non_directional") = "",
      py::arg("relation_names") = std::vector<std::string>{}, py::arg("actor_names") = std::vector<std::string>{},
      "Every network of a data file, DL file, Pajek network, GraphML document or CSV, recognised as the "
      "command line does, with its reading options. Reading warnings become Python warnings; a file that "
      "cannot be read raises quorel.Error with the command line's message.");

  py::class_<quorel::Result::Atom>(m, "Atom",
                                   "An atom of a factorization: a generating inclusion (first, second), element "
                                   "second included in element first as the report prints it, and the "
                                   "inclusions it induces. Elements are 0-based.")
      .def_readonly("generating", &quorel::Result::Atom::generating, "The generating inclusion (first, second).")
      .def_readonly("induced", &quorel::Result::Atom::induced, "The induced inclusions, (first, second) pairs.")
      .def_readonly("unique_meet_complement", &quorel::Result::Atom::unique_meet_complement,
                    "True when the atom has a unique maximal meet-complement.")
      .def("__repr__", [](const quorel::Result::Atom& a) {
        return "<quorel.Atom generating=(" + std::to_string(a.generating.first) + ", " +
               std::to_string(a.generating.second) + "), " + std::to_string(a.induced.size()) + " induced>";
      });

  py::class_<Level>(m, "Level",
                    "One cutoff level. The relations are E x E bool arrays in the report's orientation: cell "
                    "[i, j] is True when element j is included in element i.")
      .def_readonly("alpha", &Level::alpha, "The cutoff probability.")
      .def_readonly("omega", &Level::omega, "Omega as decided from the statistics.")
      .def_property_readonly("lower_omega", [](const Level& l) -> py::object { return l.has_closures ? py::object(l.lower_omega) : py::none(); },
                             "Lower Omega; None when only generator products were formed.")
      .def_property_readonly("omega_closure", [](const Level& l) -> py::object { return l.has_closures ? py::object(l.omega_closure) : py::none(); },
                             "The partial algebraic closure of Omega; None when only generator products were formed.")
      .def_property_readonly("lower_omega_closure", [](const Level& l) -> py::object { return l.has_closures ? py::object(l.lower_omega_closure) : py::none(); },
                             "The closure of lower Omega; None when only generator products were formed.")
      .def_readonly("atoms", &Level::omega_atoms,
                    "The atoms of the factorization of the closure of Omega (factor_omega); empty when not asked for.")
      .def_readonly("lower_omega_atoms", &Level::lower_omega_atoms,
                    "The atoms of the factorization of the closure of lower Omega (factor_lower_omega).")
      .def("__repr__", [](const Level& l) {
        std::ostringstream text;
        text << "<quorel.Level alpha=" << l.alpha << ">";
        return text.str();
      });

  py::class_<Analysis>(m, "Result",
                       "Every result of one analysed network. Elements are 0-based: element i is the report's "
                       "element i + 1. Pair statistics are E x E float64 arrays holding the pair i < j in "
                       "cell [i, j] and NaN elsewhere and where the report prints nothing.")
      .def_property_readonly("label", [](const Analysis& a) { return a.result.label(); }, "The network's label.")
      .def_property_readonly("actor_count", [](const Analysis& a) { return a.result.actor_count(); }, "N.")
      .def_property_readonly("generator_count", [](const Analysis& a) { return a.result.generator_count(); },
                             "The number of generators (the first elements).")
      .def_property_readonly("element_count", [](const Analysis& a) { return a.result.element_count(); },
                             "E, the number of elements of the semigroup.")
      .def_property_readonly("options", [](const Analysis& a) { return OptionsDict(a.result.options()); },
                             "The options as the analysis used them, after the check against the network.")
      .def_property_readonly("warnings", [](const Analysis& a) { return a.result.warnings(); },
                             "The warnings of that check.")
      .def_property_readonly(
          "words",
          [](const Analysis& a) {
            std::vector<std::string> words;
            for (int i = 0; i < a.result.element_count(); ++i) words.push_back(a.result.word(i));
            return words;
          },
          "Each element's word in generator letters ('A', 'AB': A followed by B); with more than 26 "
          "generators the generator numbers joined by '.'.")
      .def_property_readonly("word_names", &WordNames,
                             "Each element's word in relation names joined by '.' (a transpose named with a "
                             "trailing \"'\"); None when the relations are not named.")
      .def_property_readonly("matrices", [](const Analysis& a) { return ElementMatrices(a.result); },
                             "The elements' relations as an E x N x N uint8 array.")
      .def_property_readonly(
          "multiplication_table",
          [](const Analysis& a) {
            const int e = a.result.element_count();
            py::array_t<std::int32_t> table({e, e});
            auto out = table.mutable_unchecked<2>();
            for (int i = 0; i < e; ++i) {
              for (int j = 0; j < e; ++j) out(i, j) = a.result.product(i, j);
            }
            return table;
          },
          "E x E int32: cell [i, j] is the element that is i followed by j, -1 where the product is none.")
      .def_property_readonly(
          "partial_order",
          [](const Analysis& a) {
            const int e = a.result.element_count();
            Flags order({e, e});
            auto out = order.mutable_unchecked<2>();
            for (int i = 0; i < e; ++i) {
              for (int j = 0; j < e; ++j) out(i, j) = a.result.partial_order(i, j);
            }
            return order;
          },
          "E x E bool, as the report's partial order table: cell [i, j] is True when element j is contained "
          "in element i.")
#define QUOREL_PAIR_STATISTIC(name, text)                                                              \
  .def_property_readonly(                                                                              \
      #name, [](const Analysis& a) { return PairArray(a.result, &quorel::Result::name); }, text)
      QUOREL_PAIR_STATISTIC(likelihood_ratio, "The likelihood ratio statistic of every pair.")
      QUOREL_PAIR_STATISTIC(theta, "Theta: the share of random samples reaching the likelihood ratio.")
      QUOREL_PAIR_STATISTIC(fisher_p, "Fisher's exact P (measure control MA only; NaN otherwise).")
      QUOREL_PAIR_STATISTIC(mcnemar_z, "McNemar's Z; positive when i tends to be included in j.")
      QUOREL_PAIR_STATISTIC(mcnemar_z_proportion,
                            "The share of random samples reaching McNemar's Z (pairs strategy only).")
      QUOREL_PAIR_STATISTIC(binomial_p, "The exact two-sided sign test on n10 and n01.")
      QUOREL_PAIR_STATISTIC(kappa, "Cohen's kappa.")
      QUOREL_PAIR_STATISTIC(estvar, "The estimated variance of kappa.")
      QUOREL_PAIR_STATISTIC(kappa_proportion, "The share of random samples reaching kappa.")
      QUOREL_PAIR_STATISTIC(standardized_kappa, "The standardized kappa.")
      QUOREL_PAIR_STATISTIC(standardized_kappa_proportion,
                            "The share of random samples reaching the standardized kappa.")
      QUOREL_PAIR_STATISTIC(theta_exact, "The exact probability of reaching the likelihood ratio (exact_p).")
      QUOREL_PAIR_STATISTIC(mcnemar_z_proportion_exact, "The exact probability of reaching McNemar's Z (exact_p).")
      QUOREL_PAIR_STATISTIC(kappa_proportion_exact, "The exact probability of reaching kappa (exact_p).")
      QUOREL_PAIR_STATISTIC(standardized_kappa_proportion_exact,
                            "The exact probability of reaching the standardized kappa (exact_p).")
#undef QUOREL_PAIR_STATISTIC
      .def_property_readonly(
          "levels",
          [](const Analysis& a) {
            std::vector<Level> levels;
            for (int level = 0; level < a.result.cutoff_level_count(); ++level) {
              levels.push_back(LevelOf(a.result, level));
            }
            return levels;
          },
          "The cutoff levels in the order of the cutoff list.")
      .def("pair_columns", &PairColumns,
           "Every pair i < j in the report's order as a dict of columns named as the command line's "
           "pairs.csv (elements numbered from 1 there, as in the table).")
      .def("report", [](const Analysis& a) { return ReportOf({a.result}); },
           "The text report, byte for byte the command line's for a data file holding this network.")
      .def("__repr__", [](const Analysis& a) {
        return "<quorel.Result '" + a.result.label() + "': " + std::to_string(a.result.element_count()) +
               " elements>";
      });

  m.def(
      "analyze",
      [](const std::shared_ptr<quorel::Network>& network, const py::object& progress, const py::kwargs& keywords) {
        const quorel::Options options = OptionsFrom(keywords);
        const quorel::Network copy = *network;
        quorel::Result result = RunInterruptibly(
            [&](const quorel::Hooks& hooks) { return quorel::Analyze(copy, options, hooks); }, progress);
        return Analysis{result, std::make_shared<const quorel::Network>(copy)};
      },
      py::arg("network"), py::kw_only(), py::arg("progress") = py::none(),
      "Analyses one network. Keyword options are named as the library's Options fields: sample_size, seed, "
      "max_word_length, measure_control ('MA'..'MG'), permutation_strategy ('generators' or 'pairs'), "
      "diagonal ('exclude-all', 'exclude-generators', 'include-all'), cutoffs ('0.05, 0.01' or a list), "
      "min_kappa, transposes, generator_products_only, factor_omega, factor_lower_omega, full_factor_output, "
      "threads, exact_p, omega_from ('sampled' or 'exact'). The GIL is released while it runs; Ctrl-C "
      "stops it with KeyboardInterrupt. progress, when given, is called as progress(step, done, total) "
      "about ten times a second while the analysis moves (step as the command line's --timings names it: "
      "'semigroup', 'statistics', 'sampling', 'omega', ...); an exception it raises stops the analysis "
      "and reaches the caller.");

  m.def(
      "analyze_all",
      [](const std::vector<std::shared_ptr<quorel::Network>>& networks, const py::object& progress,
         const py::kwargs& keywords) {
        const quorel::Options options = OptionsFrom(keywords);
        std::vector<quorel::Network> copies;
        for (const auto& network : networks) copies.push_back(*network);
        std::vector<quorel::Result> results = RunInterruptibly(
            [&](const quorel::Hooks& hooks) { return quorel::Analyze(copies, options, hooks); }, progress);
        std::vector<Analysis> analyses;
        for (std::size_t k = 0; k < results.size(); ++k) {
          analyses.push_back(Analysis{results[k], std::make_shared<const quorel::Network>(copies[k])});
        }
        return analyses;
      },
      py::arg("networks"), py::kw_only(), py::arg("progress") = py::none(),
      "Analyses several networks in turn with one random stream, as the command line analyses the problems "
      "of one data file, so the numbers are the command line's. Takes the keyword options of analyze(), "
      "progress among them.");

  m.def(
      "report",
      [](const std::vector<Analysis>& analyses) {
        std::vector<quorel::Result> results;
        for (const Analysis& a : analyses) results.push_back(a.result);
        return ReportOf(results);
      },
      py::arg("results"),
      "The text report of several analysed networks: the command line's report of a data file holding them.");

  m.def("version", &quorel::Version, "The library's version.");
}
