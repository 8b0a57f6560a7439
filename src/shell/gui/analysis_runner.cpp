#include "shell/gui/analysis_runner.hpp"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>

#include "pipeline/analysis_state.hpp"
#include "core/message_list.hpp"
#include "core/progress_observer.hpp"
#include "shell/gui/line_tee.hpp"
#include "shell/gui/results_capture.hpp"
#include "shell/memory_limit.hpp"
#include "views/dot_export.hpp"
#include "views/json_export.hpp"
#include "views/sink_fanout.hpp"
#include "views/table_export.hpp"

namespace quorel {

namespace {

QString FromEngineText(std::string_view text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// The message list as the engine sees it: every line goes to standard output and to the
// dialog's list.
class ForwardingSink final : public StatusSink {
 public:
  explicit ForwardingSink(AnalysisRunner* runner)
      : runner_(runner), lines_([runner](const std::string& line) {
          std::fputs(line.c_str(), stdout);
          std::fputc('\n', stdout);
          Q_EMIT runner->messageAdded(FromEngineText(line));
        }) {}

  void AddStatusMessage(std::string_view text) override { lines_.AddStatusMessage(text); }
  void ClearStatusMessages() override {
    lines_.ClearStatusMessages();
    Q_EMIT runner_->messagesCleared();
  }

 private:
  AnalysisRunner* runner_;
  MessageList lines_;
};

class ForwardingProgress final : public ProgressObserver {
 public:
  ForwardingProgress(AnalysisRunner* runner, const std::atomic<bool>& cancel) : runner_(runner), cancel_(cancel) {}
  void ProblemStarted(int number, const std::string& label) override {
    Q_EMIT runner_->problemStarted(number, FromEngineText(label));
  }
  void StepStarted(Step step) override { Q_EMIT runner_->stepStarted(static_cast<int>(step)); }
  void CutoffLevelStarted(int, float alpha) override { Q_EMIT runner_->cutoffLevelStarted(alpha); }
  void Advance(Step, std::int64_t done, std::int64_t total) override { Q_EMIT runner_->samplingAdvanced(done, total); }
  void Finish() override { Q_EMIT runner_->samplingOver(); }
  bool Cancelled() const override { return cancel_; }

 private:
  AnalysisRunner* runner_;
  const std::atomic<bool>& cancel_;
};

// The views that write the outputs beside the report, and the window's own copy of the
// results.
class RunViews {
 public:
  RunViews(AnalysisRunner* runner, const AnalysisOptions& options, const RunOutputs& outputs, std::FILE* warnings)
      : capture_({[runner](int number, const std::string& label) {
                    Q_EMIT runner->resultsProblemStarted(number, FromEngineText(label));
                  },
                  [runner](std::shared_ptr<const ElementsPart> part) { Q_EMIT runner->elementsReady(part); },
                  [runner](std::shared_ptr<const PairsPart> part) { Q_EMIT runner->pairsReady(part); },
                  [runner](std::shared_ptr<const OmegaLevel> level) { Q_EMIT runner->levelReady(level); }}) {
    fanout_.Add(&capture_);
    if (!outputs.json_path.empty()) {
      const std::string beside = std::filesystem::path(outputs.json_path).parent_path().string();
      json_ = std::make_unique<JsonExport>(options, QUOREL_VERSION, beside.empty() ? "." : beside);
      fanout_.Add(json_.get());
    }
    if (!outputs.diagrams_dir.empty()) {
      dot_ = std::make_unique<DotExport>(outputs.diagrams_dir, FindOnPath("dot"), warnings);
      fanout_.Add(dot_.get());
    }
    if (!outputs.tables_dir.empty()) {
      tables_ = std::make_unique<TableExport>(outputs.tables_dir, warnings);
      fanout_.Add(tables_.get());
    }
  }

  ResultSink* Sink() { return &fanout_; }

  // Completes the files that are written once the run is over; false with the reason when
  // the JSON document could not be written.
  bool Finish(const std::string& json_path, const RunOutcome& outcome, std::string& error) {
    if (tables_) tables_->Finish();
    return !json_ || json_->Write(json_path, outcome, error);
  }

 private:
  ResultsCapture capture_;
  SinkFanout fanout_;
  std::unique_ptr<JsonExport> json_;
  std::unique_ptr<DotExport> dot_;
  std::unique_ptr<TableExport> tables_;
};

}  // namespace

AnalysisRunner::AnalysisRunner(QObject* parent) : QObject(parent) {}

AnalysisRunner::~AnalysisRunner() { Wait(); }

void AnalysisRunner::Wait() {
  if (thread_.joinable()) thread_.join();
}

void AnalysisRunner::Start(const AnalysisOptions& options, const RunOutputs& outputs) {
  if (running_) return;
  Wait();
  options_ = options;
  outputs_ = outputs;
  outcome_ = RunOutcome{};
  last_diagnostic_.clear();
  diagnostics_.clear();
  cancel_ = false;
  running_ = true;
  thread_ = std::thread([this] { Work(); });
}

void AnalysisRunner::Work() {
  {
    AnalysisState state;
    state.Random = RandomSource(options_.Seed);
    // As the command line: the memory the system has now, less a margin, so that a network
    // too large for it ends with a message instead of swapping the machine to a halt.
    options_.MemoryBudget = DefaultMemoryBudget(AvailableMemory());
    LineTee diagnostics(stderr, [this](std::string_view line) {
      if (!line.empty()) AddDiagnostic(FromEngineText(line));
    });
    state.ProgressFile = stdout;
    state.ErrFile = diagnostics.File();
    ForwardingProgress sampling(this, cancel_);
    state.Progress = &sampling;
    ForwardingSink sink(this);
    RunViews views(this, options_, outputs_, diagnostics.File());
    state.Results = views.Sink();
    try {
      outcome_ = OnRun(state, options_, sink);
    } catch (const std::exception& failure) {
      // Beyond what the engine foresees (the C++ library out of storage): end as a fatal error.
      outcome_.fatal = true;
      std::fprintf(diagnostics.File(), "ERROR: %s\n", failure.what());
      if (state.OutFile != nullptr) std::fclose(state.OutFile);
      if (state.InFile != nullptr) std::fclose(state.InFile);
    }
    if (const std::optional<MemoryRefusal>& refusal = state.Storage.Refusal()) {
      std::fprintf(diagnostics.File(), "%s\n", MemoryRefusalLine(*refusal).c_str());
    }
    std::string json_error;
    if (!views.Finish(outputs_.json_path, outcome_, json_error)) {
      std::fprintf(diagnostics.File(), "The JSON document %s could not be written: %s\n", outputs_.json_path.c_str(),
                   json_error.c_str());
    }
    diagnostics.Close();
    std::fflush(stdout);
  }
  running_ = false;
  Q_EMIT finished();
}

void AnalysisRunner::AddDiagnostic(const QString& line) {
  last_diagnostic_ = line;
  diagnostics_ << line;
  Q_EMIT diagnosticAdded(line);
}

}  // namespace quorel
