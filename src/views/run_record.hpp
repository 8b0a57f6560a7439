#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace quorel {

// What a reader of the results needs to reproduce and cite a run: the program, the command
// as typed, the inputs by content, the random stream's seed, the workers and processes, and when and how
// long each step took.
struct RunRecord {
  struct Input {
    std::string path;
    std::string sha256;  // hex digits; empty when the file could not be read
    std::uint64_t bytes = 0;
  };
  struct StepTime {
    std::string step;
    double seconds = 0.0;
  };

  // The storage of the problems as the storage gate counts it.
  struct Memory {
    std::uint64_t budget = 0;          // bytes; 0: no budget
    std::uint64_t estimated_peak = 0;  // the largest estimate of a problem once its E was known; 0: none got so far
    std::uint64_t granted_peak = 0;    // the most bytes granted at once
  };

  std::string program_version;
  std::vector<std::string> command_line;  // the arguments as given, the program's name first
  std::vector<Input> inputs;
  std::uint64_t seed = 0;
  int threads = 0;          // as asked; 0: every core
  int processes = 1;        // the processes the analysis was spread over (1: run alone)
  int cores = 0;            // the host's
  bool omega_from_exact = false;  // Omega decided from the exact P-values, not the samples
  std::string started;      // UTC, ISO 8601 to the second
  double seconds = 0.0;     // the whole run, wall clock
  std::vector<std::vector<StepTime>> problems;  // per problem, its steps in the order they first ran
  Memory memory;
};

// The record as the JSON document's "run" object (and a tables folder's run.json).
nlohmann::ordered_json RunRecordJson(const RunRecord& record);

}  // namespace quorel
