#pragma once

#include <chrono>

#include "core/analysis_options.hpp"
#include "shell/step_timer.hpp"
#include "views/run_record.hpp"

namespace quorel {

// Keeps the record of one run of the command: what is known before the analysis (the
// command line, the inputs by digest, seed, workers, processes, the host's cores, the start time) when
// it is made, the time of each step when it is finished.
class RunRecording {
 public:
  // `processes`: how many processes the analysis is spread over.
  RunRecording(int argc, const char* const* argv, const AnalysisOptions& options, int processes = 1);

  // The record, with the steps `timer` saw, the seconds since the recording began and what
  // the run's storage came to.
  RunRecord Finish(StepTimer& timer, const RunRecord::Memory& memory) const;

 private:
  RunRecord record_;
  std::chrono::steady_clock::time_point began_;
};

}  // namespace quorel
