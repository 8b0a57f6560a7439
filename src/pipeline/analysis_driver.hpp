#pragma once

#include <cstdint>

namespace quorel {

struct AnalysisState;
struct AnalysisOptions;
class StatusSink;

// The whole analysis: opens the data file and the report, and processes every problem
// specification in turn, each result going to the report and to state.Results as it is
// found. Returns when all problems are done (or the data file is empty). Any other ending
// is an Error: of kind kCompletion with the code (a fixed-matrix measure control without a
// fixed matrix, a file that failed to open, storage of the measures), or kFatal. The files
// stay open in `state` for the caller to close.
void RunAnalysis(AnalysisState& state, AnalysisOptions& options, StatusSink& sink);

}  // namespace quorel
