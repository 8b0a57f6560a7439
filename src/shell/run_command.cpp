#include "shell/run_command.hpp"

#include <cerrno>
#include <cstring>

#include "pipeline/analysis_driver.hpp"
#include "core/analysis_options.hpp"
#include "pipeline/analysis_state.hpp"
#include "core/error.hpp"
#include "shell/completion_messages.hpp"

namespace quorel {

namespace {

void CloseFiles(AnalysisState& state, RunOutcome& outcome) {
  if (state.OutFile != nullptr) {
    const bool write_error = std::ferror(state.OutFile) != 0;
    errno = 0;
    const bool close_error = std::fclose(state.OutFile) != 0;
    if (write_error || close_error) {
      outcome.report_failed = true;
      outcome.report_error = errno != 0 ? std::strerror(errno) : "write error";
    }
    state.OutFile = nullptr;
  }
  if (state.InFile != nullptr) {
    std::fclose(state.InFile);
    state.InFile = nullptr;
  }
}

}  // namespace

RunOutcome OnRun(AnalysisState& state, AnalysisOptions& options, StatusSink& sink) {
  RunOutcome outcome;
  try {
    RunAnalysis(state, options, sink);
    ShowCompletion(sink, 0);
  } catch (const Error& error) {
    outcome.code = static_cast<std::int16_t>(error.code());
    if (error.kind() == ErrorKind::kCompletion) {
      ShowCompletion(sink, outcome.code);
    } else if (error.kind() == ErrorKind::kCancelled) {
      outcome.interrupted = true;  // the shell says where it stopped
    } else {
      outcome.fatal = true;
      if (state.ProgressFile != nullptr) std::fflush(state.ProgressFile);
      std::fputs(error.what(), state.ErrFile);
      std::fflush(state.ErrFile);
    }
  }
  CloseFiles(state, outcome);
  return outcome;
}

}  // namespace quorel
