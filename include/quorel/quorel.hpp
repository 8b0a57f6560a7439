#pragma once

// Quorel as a library: read multiplex networks, analyse them, and read every result the
// report shows as numbers. Link with Quorel::quorel (find_package(Quorel)).
//
//   std::vector<quorel::Network> networks = quorel::ReadNetworks("padgett.dat");
//   quorel::Options options;
//   options.sample_size = 500;
//   quorel::Result result = quorel::Analyze(networks[0], options);
//   double k = result.kappa(0, 1);  // kappa of elements 1 and 2
//
// Indices are 0-based: element i is the report's element i + 1. Nothing here writes to a
// file, standard output or standard error unless a function says so. Every failure is a
// quorel::Error.

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "quorel/error.hpp"
#include "quorel/network.hpp"
#include "quorel/options.hpp"
#include "quorel/progress.hpp"

namespace quorel {

// How a caller follows and stops an analysis.
struct Hooks {
  // Called on the analysing thread as each step starts (done = 0, total = 0) and while the
  // sampling advances (done of total pairs or samples), a few times a second at most.
  std::function<void(Step step, std::int64_t done, std::int64_t total)> progress;
  // When it becomes true the analysis stops at the next pair batch or sample, throwing an
  // Error of kind kCancelled.
  const std::atomic<bool>* cancel = nullptr;
};

namespace detail {
struct ResultData;
}

// Every result of one analysed network. Cheap to copy (the results are shared).
class Result {
 public:
  // The generating and induced inclusions of one atom: element `second` included in
  // element `first`, as in the report ("Generating Inclusion: first+1,second+1").
  struct Atom {
    std::pair<int, int> generating;
    std::vector<std::pair<int, int>> induced;
    bool unique_meet_complement = false;
  };

  explicit Result(std::shared_ptr<const detail::ResultData> data);

  const std::string& label() const;
  int actor_count() const;
  int generator_count() const;
  int element_count() const;
  // The options as the analysis used them, after the check against the network (an
  // impossible measure control is lowered), and the warnings that check gave.
  const Options& options() const;
  const std::vector<std::string>& warnings() const;

  // The word of element i in generator letters ("A", "AB": A followed by B), as long as
  // there are at most 26 generators; else the generator numbers joined by '.'.
  std::string word(int i) const;
  // Every element's word in the relations' names joined by "." (a transpose's name with "'"
  // appended), as the tables' word_names column; empty when the network names no relations.
  std::vector<std::string> word_names() const;
  // Whether actor r is tied to actor c in element i.
  bool tie(int i, int r, int c) const;
  // The element that is i followed by j, or -1 when the product is not an element (or,
  // with generator products only, was not formed).
  int product(int i, int j) const;
  // The partial order table's cell in row i + 1, column j + 1: element j is contained in
  // element i.
  bool partial_order(int i, int j) const;

  // The statistics of the pair i < j (element i the first relation) as the report shows
  // them, and the proportions of random samples reaching them. Fisher's P is computed
  // under measure control MA only, McNemar's proportion under "permute each pair" only;
  // elsewhere they are not a number. Throws kInvalidArgument unless 0 <= i < j < E.
  double likelihood_ratio(int i, int j) const;
  double theta(int i, int j) const;  // proportion for the likelihood ratio
  double fisher_p(int i, int j) const;
  double mcnemar_z(int i, int j) const;
  double mcnemar_z_proportion(int i, int j) const;
  double binomial_p(int i, int j) const;
  double kappa(int i, int j) const;
  double estvar(int i, int j) const;
  double kappa_proportion(int i, int j) const;
  double standardized_kappa(int i, int j) const;
  double standardized_kappa_proportion(int i, int j) const;

  // The exact probabilities that a random version of the pair i < j reaches each statistic,
  // computed with `exact_p` under "permute each pair" where the measure control's null model
  // has a closed form; not a number elsewhere. Throws kInvalidArgument unless 0 <= i < j < E.
  double theta_exact(int i, int j) const;
  double mcnemar_z_proportion_exact(int i, int j) const;
  double kappa_proportion_exact(int i, int j) const;
  double standardized_kappa_proportion_exact(int i, int j) const;

  // The 95% Clopper-Pearson interval (low, high) of a proportion of this result's samples,
  // e.g. kappa_proportion(i, j); not a number without samples. Cost: a few beta-function
  // inversions.
  std::pair<double, double> proportion_interval(double proportion) const;

  // The 2 x 2 counts n11, n10, n01, n00 of every pair (0, 1), (0, 2), ..., (1, 2), ... in
  // that order, over the cells its statistics count (the diagonal rule decides whether the
  // diagonal does), as the pairs table gives them. Cost: O(E^2 N^2 / 64).
  std::vector<std::array<std::int32_t, 4>> pair_counts() const;

  // The cutoff levels in the order of the cutoff list.
  int cutoff_level_count() const;
  float alpha(int level) const;
  // Each level's name in the pairs table: "omega_<alpha>", alpha as the shortest decimal of
  // its 32-bit value, a cutoff listed again told apart by "_<level number>".
  std::vector<std::string> omega_column_names() const;
  // Cell (i, j) of each relation of a level (element j included in element i). Lower
  // Omega and the closures exist unless only generator products were formed.
  bool omega(int level, int i, int j) const;
  bool lower_omega(int level, int i, int j) const;
  bool lower_omega_closure(int level, int i, int j) const;
  bool omega_closure(int level, int i, int j) const;
  // The atoms of the factorization of the closure of Omega (`of_omega`) or of lower Omega
  // at a level; empty when that factorization was not asked for.
  std::vector<Atom> atoms(int level, bool of_omega) const;

  // Everything the analysis found, for the library's own views.
  const detail::ResultData& data() const { return *data_; }

 private:
  std::shared_ptr<const detail::ResultData> data_;
};

// A statistic column of the pairs table: its name there, the accessor that gives it for
// the pair i < j, and whether the bounds of its 95% interval (NAME_low, NAME_high, from
// Result::proportion_interval) follow it.
struct PairStatistic {
  const char* name;
  double (Result::*value)(int i, int j) const;
  bool interval;
};
// The statistic columns of the pairs table in its order, the exact P-values last when
// `exact_p`.
std::vector<PairStatistic> PairStatistics(bool exact_p);

// Every network of a data file, DL file, Pajek network, GraphML document or CSV, recognised as the command line
// does; `fixed_matrix`: a fixed matrix follows each network's relations in a data file.
// Throws an Error of kind kMalformedInput with the reason the command line prints, or
// kFile when the file cannot be read. Cost: linear in the file's size.
std::vector<Network> ReadNetworks(const std::filesystem::path& path, InputFormat format = InputFormat::kAuto,
                                  bool fixed_matrix = false);

// The same with every reading option: Pajek and GraphML documents, valued cells and their
// threshold, GraphML's relation attribute, relations marked non-directional. Warnings (a
// valued network, a relation marked non-directional that is not symmetric) are added to
// `warnings` when it is given.
std::vector<Network> ReadNetworks(const std::filesystem::path& path, const ReadOptions& options,
                                  std::vector<std::string>* warnings = nullptr);

// The whole analysis of one network: the semigroup and its partial order, the statistics
// of every pair with their P-values, every cutoff level and the factorizations asked for.
// Writes nothing. Cost: dominated by the sampling, about sample_size x E^2 / 2 pair
// comparisons (permute each pair: times N^2 / 64 word operations).
Result Analyze(const Network& network, const Options& options, const Hooks& hooks = {});

// Several networks in turn, as the command line analyses the problems of one data file:
// one random stream runs through them all, so the numbers are the command line's.
std::vector<Result> Analyze(const std::vector<Network>& networks, const Options& options, const Hooks& hooks = {});

// Where a streaming analysis sends its results as they are found; null: not wanted.
struct Views {
  std::ostream* report = nullptr;  // the plain-text report, byte for byte the command line's
  std::ostream* json = nullptr;    // the JSON document (written when the analysis ends)
};

// The analysis of several networks with the results streamed to `views` and released as
// they go, so memory stays bounded by one cutoff level. An Error still leaves the views
// with what was written before it.
void Analyze(const std::vector<Network>& networks, const Options& options, const Views& views,
             const Hooks& hooks = {});

// Writes the report of analysed networks: the same bytes as the command line's report of
// a data file holding them.
void WriteReport(std::ostream& out, const std::vector<Result>& results);

// The library's version, "1.0".
const char* Version();

}  // namespace quorel
