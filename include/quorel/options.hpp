#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorel {

// The layouts an input file may have; kAuto recognises it by its content.
enum class InputFormat { kAuto, kData, kDl, kCsv, kPajek, kGraphMl };

// How an input file is read, named after the command line's reading options.
struct ReadOptions {
  InputFormat input_format = InputFormat::kAuto;
  bool fixed_matrix = false;           // a data file: a fixed matrix follows each network's relations
  std::optional<double> threshold{};     // a valued cell is a tie above it (0 when absent; negatives refused)
  std::string relation_attribute{};      // GraphML: the edge attribute naming the relation
  std::string non_directional{};         // relations marked non-directional: names or 1-based numbers, comma-separated
  std::vector<std::string> relation_names{};  // names for every network's relations (empty: as read)
  std::vector<std::string> actor_names{};     // names for every network's actors (empty: as read)
};

// What the random samples keep fixed when the second relation of a pair is randomised.
enum class MeasureControl {
  kMA,  // density
  kMB,  // directed graph structure
  kMC,  // density and outdegrees
  kMD,  // mutual, asymmetric and null ties
  kME,  // outdegree distribution
  kMF,  // the fixed matrix's groups of cells
  kMG,  // the fixed matrix's groups within each row
};

enum class PermutationStrategy {
  kPairs,       // permute each pair of matrices ("permute Compounds")
  kGenerators,  // permute the generator matrices and rebuild the compounds
};

// Which relations count their diagonal cells.
enum class DiagonalRule { kExcludeAll, kExcludeGenerators, kIncludeAll };

// The analysis options, named after the command line's long options; the defaults are
// the command line's.
struct Options {
  bool transposes = false;               // add the transposes of the input relations as generators
  bool generator_products_only = false;  // only the powers of each generator
  int max_word_length = 2;               // stages: words of up to max_word_length + 1 letters
  PermutationStrategy permutation_strategy = PermutationStrategy::kGenerators;
  MeasureControl measure_control = MeasureControl::kMA;
  int sample_size = 1000;                // random samples, 0 to 32767
  float min_kappa = 0.01f;               // MinKappa of Omega
  DiagonalRule diagonal = DiagonalRule::kExcludeGenerators;
  std::string cutoffs = "0.05";          // cutoff probabilities as the command line takes them
  bool factor_omega = false;
  bool factor_lower_omega = false;
  bool full_factor_output = false;       // list every single-inclusion extension too
  bool reapply = false;                  // later networks keep the first one's checked options
  std::uint64_t seed = 0;                // start of the random stream
  int threads = 0;                       // workers for the sampling; 0: every core
  bool exact_p = false;                  // exact P-values beside the proportions (pairs strategy)
  bool omega_from_exact = false;         // decide Omega from them; needs exact_p and kPairs
};

}  // namespace quorel
