#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/matrix_list.hpp"
#include "algebra/word_table.hpp"
#include "core/fixed_matrix.hpp"
#include "core/process_group.hpp"
#include "core/progress_observer.hpp"
#include "core/storage_gate.hpp"
#include "measures/statistic_matrices.hpp"
#include "core/random_source.hpp"
#include "views/result_sink.hpp"

namespace quorel {

// The problem in work, one object per run. The reader fills the problem's description, the
// driver and the phases add the derived tables, and the driver releases the per-problem
// storage before it reads the next problem.
struct AnalysisState {
  // Files and text channels.
  std::FILE* InFile = nullptr;         // the data file
  std::FILE* OutFile = nullptr;        // the report
  std::FILE* ErrFile = stderr;         // diagnostics of readers and allocators
  std::FILE* ProgressFile = stdout;    // progress lines; null when they are not wanted

  std::int16_t ProblemCount = 0;       // label lines read since the run started
  std::int16_t N = 0;                  // actors
  std::int16_t NR = 0;                 // input relations
  std::uint8_t ND = 0;                 // 1 when a non-directionality vector is present
  std::vector<std::int8_t> NDI;        // per relation: 1 = non-directional (empty when ND = 0)
  std::int16_t Directionality = 0;     // 0 all directional, 1 all non-directional, 2 mixed
  std::vector<std::string> ActorNames;  // per actor, empty when the input names none
  std::vector<std::string> RelationNames;  // per input relation, empty when the input names none

  quorel::MatrixList MatrixList;       // the distinct relations, then the compound relations
  std::int16_t GeneratorCount = 0;     // G
  std::int16_t ElementCount = 0;       // E
  FixedMatrixRecord FixedMatrix;       // only when a fixed matrix is supplied

  StatisticMatrices Statistics;

  RandomSource Random;                 // one stream for the whole run
  ProgressObserver* Progress = nullptr;  // told how the sampling advances, when wanted
  ResultSink* Results = nullptr;         // further views told each phase's results, when wanted
  ProcessGroup* Processes = nullptr;     // the processes the sampling is spread over; null: this one alone
  StorageGate Storage;                 // where storage requests may be made to fail, and the memory budget
  std::uint64_t EstimatedPeak = 0;     // the largest estimate of a problem's storage, once its E is known
};

}  // namespace quorel
