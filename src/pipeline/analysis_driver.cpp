#include "pipeline/analysis_driver.hpp"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "algebra/partial_order.hpp"
#include "algebra/semigroup.hpp"
#include "algebra/transposes.hpp"
#include "core/analysis_options.hpp"
#include "core/error.hpp"
#include "core/option_checks.hpp"
#include "core/status_sink.hpp"
#include "formats/fixed_matrix_reader.hpp"
#include "formats/network_reader.hpp"
#include "pipeline/analysis_state.hpp"
#include "pipeline/problem_analysis.hpp"
#include "pipeline/problem_reading.hpp"
#include "views/report_view.hpp"
#include "views/sink_fanout.hpp"

namespace quorel {

namespace {

constexpr std::size_t kReportBuffer = 1 << 20;

// A stopped run leaves whole lines: a block that was begun but not ended gets its line end.
void EndReportLine(std::FILE* report) {
  if (report == nullptr || std::fflush(report) != 0 || std::fseek(report, -1, SEEK_END) != 0) return;
  const int last = std::fgetc(report);
  std::fseek(report, 0, SEEK_END);
  if (last != '\n' && last != EOF) std::fputc('\n', report);
}

// The problems of the input one after the other, from the one read into `network` (`r`:
// ReadProblem's answer) to the end of the data; `r` ends as the last answer.
void AnalyseProblems(AnalysisState& state, AnalysisOptions& options, StatusSink& status, SinkFanout& sink,
                     NetworkReader& reader, Network& network, std::vector<std::int16_t>& ident, std::int16_t& r) {
  const std::string& label = network.label;
  // "Reapply to all remaining networks": the option check of the first problem serves
  // every later one, which keeps its cutoff list and measure control without new warnings.
  const bool reapply = options.m_Reapply != 0;
  options.m_Reapply = 0;
  bool first_problem = true;
  std::vector<float> cutoffs;

  while (r == 1) {
    state.Directionality = ClassifyDirectionality(state.NDI, state.ND, state.NR);
    if (first_problem || !reapply) cutoffs = CheckOptions(options, state.Directionality, status);
    first_problem = false;
    if (options.m_FixedSupplied) {
      r = ReadFixed(reader.Stream(), state.ErrFile, state.Storage, state.FixedMatrix, state.N);
      if (r != 1) break;
    }
    if (state.ProgressFile != nullptr) std::fprintf(state.ProgressFile, "QUOREL processing '%s'.....\n", label.c_str());
    if (state.Progress != nullptr) state.Progress->ProblemStarted(state.ProblemCount, label);
    AnalyseProblem(state, options, status, sink, label, ident, cutoffs);
    MarkStep(state.Progress, Step::kReading);
    r = ReadProblem(state, reader, status, network, ident);
    if (r == 1) sink.ProblemFollows();
  }
}

}  // namespace


void RunAnalysis(AnalysisState& state, AnalysisOptions& options, StatusSink& status) {
  status.ClearStatusMessages();
  state.Storage.SetBudget(options.MemoryBudget);
  if (!options.m_FixedSupplied && (options.m_MeasureControl == kMF || options.m_MeasureControl == kMG)) {
    EndWithCompletion(CompletionCode::kFixedMatrixRequired);
  }

  // A directory opens for reading on some systems and then reads as an empty file; it is
  // as unreadable as a missing file.
  std::error_code ignored;
  if (std::filesystem::is_directory(options.DataPath, ignored)) EndWithCompletion(CompletionCode::kInputOpenFailure);
  state.InFile = std::fopen(options.DataPath.c_str(), "r");
  if (state.InFile == nullptr) EndWithCompletion(CompletionCode::kInputOpenFailure);
  // Opened for reading too, so that a stopped run can see how its last line ended; a file
  // that cannot be read back (some devices) is written only.
  state.OutFile = std::fopen(options.ReportPath.c_str(), "w+");
  if (state.OutFile == nullptr) state.OutFile = std::fopen(options.ReportPath.c_str(), "w");
  if (state.OutFile == nullptr) EndWithCompletion(CompletionCode::kOutputOpenFailure);
  std::setvbuf(state.OutFile, nullptr, _IOFBF, kReportBuffer);
  // A DL file or an edge list is read whole as its one network.
  NetworkReader reader(state.InFile, ReaderChannels{status, state.ErrFile, state.ProgressFile, &state.Storage},
                       ReadSettingsOf(options));
  if (!OpenInput(reader, options, state.ErrFile)) EndWithCompletion(CompletionCode::kInputOpenFailure);

  ReportView report(state.OutFile, state.Storage);
  SinkFanout sink;
  sink.Add(&report);
  sink.Add(state.Results);

  Network network;
  std::vector<std::int16_t> ident;
  MarkStep(state.Progress, Step::kReading);
  std::int16_t r = ReadProblem(state, reader, status, network, ident);
  try {
    AnalyseProblems(state, options, status, sink, reader, network, ident, r);
  } catch (const Error& error) {
    if (error.kind() == ErrorKind::kCancelled) EndReportLine(state.OutFile);
    throw;
  }
  // A read error looks like the end of the data to the reader; the data file could not be
  // read to its end, which is the open failure's code rather than a completion.
  if (std::ferror(reader.Stream())) EndWithCompletion(CompletionCode::kInputOpenFailure);
  if (r == 0) FatalError(FatalCode::kAbort);
}

}  // namespace quorel
