#pragma once

#include <cstdint>
#include <string>

#include "core/run_outcome.hpp"

namespace quorel {

struct AnalysisState;
struct AnalysisOptions;
class StatusSink;

// The Run command: runs the analysis, shows the completion code's message lines, writes a
// fatal error's message to the diagnostics channel, and closes the files (a report that
// could not be written completely is noticed there).
RunOutcome OnRun(AnalysisState& state, AnalysisOptions& options, StatusSink& sink);

}  // namespace quorel
