#pragma once

#include <cstdint>

namespace quorel {

struct AnalysisState;
struct AnalysisOptions;
class StatusSink;

// The whole analysis: opens the data file and the report, processes every problem
// specification in turn and returns the completion code: 0 all problems done (or the data
// file empty), 1 a fixed-matrix measure control without a fixed matrix, 3 the data file
// failed to open, 5 the report failed to open, or the code the measures phase ended with.
// A failure that cannot be carried on from raises FatalErrorExit. The files stay open in
// `state` for the caller to close.
std::int16_t RunAnalysis(AnalysisState& state, AnalysisOptions& options, StatusSink& sink);

// Releases the relation matrices, `ident` and the fixed matrix's groups.
void FreeMatrixList(AnalysisState& state, const AnalysisOptions& options);

}  // namespace quorel
