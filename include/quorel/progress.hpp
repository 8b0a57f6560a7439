#pragma once

namespace quorel {

// The steps of an analysis, in the order they are taken for each network.
enum class Step {
  kReading,           // reading the network
  kSemigroup,         // the semigroup and its tables
  kPartialOrder,
  kStatistics,        // the observed statistics of every pair
  kSampling,          // the random samples: pairs under "permute each pair", else samples
  kStatisticsReport,  // handing the statistics to the views
  kOmega,             // a cutoff level: Omega, lower Omega and the closures
  kFactorization,
};

// The step's name as the timings show it: "reading", "semigroup", "partial order",
// "statistics", "sampling", "statistics report", "omega", "factorization".
const char* StepName(Step step);

}  // namespace quorel
