#pragma once

#include <string>
#include <vector>

#include "core/analysis_options.hpp"
#include "core/status_sink.hpp"
#include "pipeline/analysis_state.hpp"
#include "views/result_sink.hpp"

namespace quorel {

// One problem whose network is in `state` (the distinct input matrices in the matrix list,
// `ident` recording the repeats, the fixed matrix grouped when supplied), from its input
// to its last cutoff level: the transposes, the semigroup, the partial order, the measures
// and every cutoff level, each result handed to `sink` as it is found. `options` are the
// problem's checked options and `cutoffs` its cutoff levels. The matrix list and the
// fixed matrix are released after the measures. Ends early with an Error (kCompletion for
// the measures' storage, kFatal, kCancelled).
void AnalyseProblem(AnalysisState& state, const AnalysisOptions& options, StatusSink& status, ResultSink& sink,
                    const std::string& label, std::vector<std::int16_t>& ident, const std::vector<float>& cutoffs);

// Releases the relation matrices, `ident` and the fixed matrix's groups.
void FreeMatrixList(AnalysisState& state, const AnalysisOptions& options);

}  // namespace quorel
