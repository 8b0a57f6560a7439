#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <string>
#include <thread>

#include "core/analysis_options.hpp"
#include "shell/gui/problem_results.hpp"
#include "shell/run_command.hpp"

namespace quorel {

// The files a run writes beside its report; an empty path: not wanted.
struct RunOutputs {
  std::string json_path;      // every result as one JSON document
  std::string tables_dir;     // every result as CSV tables
  std::string diagrams_dir;   // the Hasse diagrams as Graphviz files (and SVG when dot is there)
};

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

  // Starts the run with a copy of `options`, writing `outputs` too. One run at a time.
  void Start(const AnalysisOptions& options, const RunOutputs& outputs = {});
  bool Running() const { return running_; }

  // Asks the run under way to stop at its next pair batch, sample or step (within a
  // second); the report and the other outputs keep what was complete.
  void Cancel() { cancel_ = true; }

  // After finished(): how the run ended, the options as the run left them (the engine may
  // lower the measure control and clears Reapply), and the last diagnostic line, which after
  // a fatal error is the error's message.
  const RunOutcome& Outcome() const { return outcome_; }
  const AnalysisOptions& Options() const { return options_; }
  const QString& LastDiagnostic() const { return last_diagnostic_; }
  // Every diagnostic line of the run, and the outputs that could not be written.
  const QStringList& Diagnostics() const { return diagnostics_; }

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
  void diagnosticAdded(const QString& line);
  // The results, as each phase finishes.
  void resultsProblemStarted(int number, const QString& label);
  void elementsReady(std::shared_ptr<const quorel::ElementsPart> part);
  void pairsReady(std::shared_ptr<const quorel::PairsPart> part);
  void levelReady(std::shared_ptr<const quorel::OmegaLevel> level);
  void finished();

 private:
  void Work();
  void AddDiagnostic(const QString& line);

  std::thread thread_;
  std::atomic<bool> running_{false};
  std::atomic<bool> cancel_{false};
  AnalysisOptions options_;
  RunOutputs outputs_;
  QStringList diagnostics_;
  RunOutcome outcome_;
  QString last_diagnostic_;
};

}  // namespace quorel
