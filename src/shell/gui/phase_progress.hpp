#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <vector>

#include "quorel/progress.hpp"

class QLabel;
class QProgressBar;

namespace quorel {

// A progress bar for each phase of the analysis of a network: the phases done are full,
// the one in work moves (the sampling by its share of pairs or samples, with the time
// left at its pace so far), the ones to come are empty.
class PhaseProgress : public QWidget {
  Q_OBJECT

 public:
  enum Phase { kReading, kSemigroup, kStatistics, kSampling, kCutoffLevels, kPhaseCount };

  explicit PhaseProgress(QWidget* parent = nullptr);

  void Start();                  // a run starts
  void ProblemStarted(int number);
  void StepStarted(Step step);
  void SamplingAdvanced(qint64 done, qint64 total);
  void Finish(bool complete);    // the run is over, complete or not

  QString TimeLeftText() const;  // empty when there is no guess
  int Current() const { return current_; }

 private:
  void Enter(int phase);

  std::vector<QProgressBar*> bars_;
  QLabel* problem_ = nullptr;
  QLabel* time_left_ = nullptr;
  QElapsedTimer sampling_clock_;
  int current_ = -1;
};

// The phase a step belongs to.
PhaseProgress::Phase PhaseOfStep(Step step);

}  // namespace quorel
