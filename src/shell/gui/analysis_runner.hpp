#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <string>
#include <thread>

#include "core/analysis_options.hpp"
#include "shell/run_command.hpp"

namespace quorel {

// Runs the Run command on a thread of its own, so that the window keeps repainting, and
// reports back through signals, which reach the thread that owns the runner in the order
// the run gave them: the message lines, and where the analysis is. Message lines are also
// written to standard output, where the progress lines go; diagnostics go to standard
// error as ever.
class AnalysisRunner : public QObject {
  Q_OBJECT

 public:
  explicit AnalysisRunner(QObject* parent = nullptr);
  ~AnalysisRunner() override;  // waits for a run under way

  // Starts the run with a copy of `options`. One run at a time.
  void Start(const AnalysisOptions& options);
  bool Running() const { return running_; }

  // After finished(): how the run ended, the options as the run left them (the engine may
  // lower the measure control and clears Reapply), and the last diagnostic line, which after
  // a fatal error is the error's message.
  const RunOutcome& Outcome() const { return outcome_; }
  const AnalysisOptions& Options() const { return options_; }
  const QString& LastDiagnostic() const { return last_diagnostic_; }

  // Blocks until a run under way has ended.
  void Wait();

 Q_SIGNALS:
  void messagesCleared();
  void messageAdded(const QString& line);
  void problemStarted(int number, const QString& label);
  void stepStarted(int step);  // a quorel::Step
  void cutoffLevelStarted(float alpha);
  void samplingAdvanced(qint64 done, qint64 total);
  void samplingOver();
  void finished();

 private:
  void Work();

  std::thread thread_;
  std::atomic<bool> running_{false};
  AnalysisOptions options_;
  RunOutcome outcome_;
  QString last_diagnostic_;
};

}  // namespace quorel
