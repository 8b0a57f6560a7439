#pragma once

#include <cstdint>
#include <string>

namespace quorel {

struct AnalysisState;
struct AnalysisOptions;
class StatusSink;

// How one run ended.
struct RunOutcome {
  std::int16_t code = 0;         // the completion code (meaningless after a fatal error)
  bool fatal = false;            // the run was ended by a fatal error
  bool report_failed = false;    // the report could not be written completely
  std::string report_error;      // why, when report_failed
};

// The Run command: runs the analysis, shows the completion code's message lines, writes a
// fatal error's message to the diagnostics channel, and closes the files (a report that
// could not be written completely is noticed there).
RunOutcome OnRun(AnalysisState& state, AnalysisOptions& options, StatusSink& sink);

}  // namespace quorel
