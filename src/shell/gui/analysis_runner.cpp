#include "shell/gui/analysis_runner.hpp"

#include <cstdio>
#include <exception>

#include "pipeline/analysis_state.hpp"
#include "core/message_list.hpp"
#include "core/progress_observer.hpp"
#include "shell/gui/line_tee.hpp"

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
  explicit ForwardingProgress(AnalysisRunner* runner) : runner_(runner) {}
  void ProblemStarted(int number, const std::string& label) override {
    Q_EMIT runner_->problemStarted(number, FromEngineText(label));
  }
  void StepStarted(Step step) override { Q_EMIT runner_->stepStarted(static_cast<int>(step)); }
  void CutoffLevelStarted(int, float alpha) override { Q_EMIT runner_->cutoffLevelStarted(alpha); }
  void Advance(Step, std::int64_t done, std::int64_t total) override { Q_EMIT runner_->samplingAdvanced(done, total); }
  void Finish() override { Q_EMIT runner_->samplingOver(); }

 private:
  AnalysisRunner* runner_;
};

}  // namespace

AnalysisRunner::AnalysisRunner(QObject* parent) : QObject(parent) {}

AnalysisRunner::~AnalysisRunner() { Wait(); }

void AnalysisRunner::Wait() {
  if (thread_.joinable()) thread_.join();
}

void AnalysisRunner::Start(const AnalysisOptions& options) {
  if (running_) return;
  Wait();
  options_ = options;
  outcome_ = RunOutcome{};
  last_diagnostic_.clear();
  running_ = true;
  thread_ = std::thread([this] { Work(); });
}

void AnalysisRunner::Work() {
  {
    AnalysisState state;
    state.Random = RandomSource(options_.Seed);
    LineTee diagnostics(stderr, [this](std::string_view line) {
      if (!line.empty()) last_diagnostic_ = FromEngineText(line);
    });
    state.ProgressFile = stdout;
    state.ErrFile = diagnostics.File();
    ForwardingProgress sampling(this);
    state.Progress = &sampling;
    ForwardingSink sink(this);
    try {
      outcome_ = OnRun(state, options_, sink);
    } catch (const std::exception& failure) {
      // Beyond what the engine foresees (the C++ library out of storage): end as a fatal error.
      outcome_.fatal = true;
      std::fprintf(diagnostics.File(), "ERROR: %s\n", failure.what());
      if (state.OutFile != nullptr) std::fclose(state.OutFile);
      if (state.InFile != nullptr) std::fclose(state.InFile);
    }
    diagnostics.Close();
    std::fflush(stdout);
  }
  running_ = false;
  Q_EMIT finished();
}

}  // namespace quorel
