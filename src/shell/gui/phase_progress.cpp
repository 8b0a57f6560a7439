#include "shell/gui/phase_progress.hpp"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>

#include "shell/gui/time_left.hpp"

namespace quorel {

PhaseProgress::Phase PhaseOfStep(Step step) {
  switch (step) {
    case Step::kReading: return PhaseProgress::kReading;
    case Step::kSemigroup:
    case Step::kPartialOrder: return PhaseProgress::kSemigroup;
    case Step::kStatistics: return PhaseProgress::kStatistics;
    case Step::kSampling:
    case Step::kStatisticsReport: return PhaseProgress::kSampling;
    case Step::kOmega:
    case Step::kFactorization: return PhaseProgress::kCutoffLevels;
  }
  return PhaseProgress::kReading;
}

PhaseProgress::PhaseProgress(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("phaseProgress"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  problem_ = new QLabel(this);
  grid->addWidget(problem_, 0, 0, 1, 3);
  static const char* const kNames[kPhaseCount] = {"Reading", "Semigroup and partial order", "Statistics",
                                                  "Sampling", "Cutoff levels"};
  for (int phase = 0; phase < kPhaseCount; ++phase) {
    auto* bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("phase%1").arg(phase));
    bar->setRange(0, 1000);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setMaximumHeight(fontMetrics().height());
    grid->addWidget(new QLabel(QString::fromUtf8(kNames[phase]), this), phase + 1, 0);
    grid->addWidget(bar, phase + 1, 1);
    bars_.push_back(bar);
  }
  time_left_ = new QLabel(this);
  time_left_->setObjectName(QStringLiteral("timeLeft"));
  grid->addWidget(time_left_, kSampling + 1, 2);
  grid->setColumnStretch(1, 1);
}

void PhaseProgress::Start() {
  for (QProgressBar* bar : bars_) {
    bar->setRange(0, 1000);
    bar->setValue(0);
  }
  problem_->clear();
  time_left_->clear();
  current_ = -1;
}

void PhaseProgress::ProblemStarted(int number) {
  if (number > 1) Start();
  problem_->setText(QStringLiteral("Network %1").arg(number));
}

void PhaseProgress::Enter(int phase) {
  if (phase == current_) return;
  for (int earlier = 0; earlier < phase; ++earlier) {
    bars_[static_cast<std::size_t>(earlier)]->setRange(0, 1000);
    bars_[static_cast<std::size_t>(earlier)]->setValue(1000);
  }
  bars_[static_cast<std::size_t>(phase)]->setRange(0, 0);  // busy until it can say how far
  current_ = phase;
  if (phase == kSampling) sampling_clock_.start();
  if (phase != kSampling) time_left_->clear();
}

void PhaseProgress::StepStarted(Step step) { Enter(PhaseOfStep(step)); }

void PhaseProgress::SamplingAdvanced(qint64 done, qint64 total) {
  Enter(kSampling);
  QProgressBar* bar = bars_[kSampling];
  bar->setRange(0, 1000);
  bar->setValue(total > 0 ? static_cast<int>(1000 * done / total) : 0);
  const std::optional<double> left = SecondsLeft(done, total, sampling_clock_.elapsed() / 1000.0);
  time_left_->setText(left ? QString::fromStdString(DescribeTimeLeft(*left)) : QString());
}

void PhaseProgress::Finish(bool complete) {
  time_left_->clear();
  if (complete) {
    for (QProgressBar* bar : bars_) {
      bar->setRange(0, 1000);
      bar->setValue(1000);
    }
  } else if (current_ >= 0) {
    QProgressBar* bar = bars_[static_cast<std::size_t>(current_)];
    if (bar->maximum() == 0) bar->setRange(0, 1000);
    time_left_->setText(current_ == kSampling ? QStringLiteral("stopped") : QString());
  }
  current_ = -1;
}

QString PhaseProgress::TimeLeftText() const { return time_left_->text(); }

}  // namespace quorel
