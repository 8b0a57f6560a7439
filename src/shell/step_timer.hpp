#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/progress_observer.hpp"
#include "views/run_record.hpp"

namespace quorel {

// Wall-clock time of each step of each problem, for `--timings`. Progress reports pass on to
// another observer (the terminal's progress bar) when there is one.
class StepTimer final : public ProgressObserver {
 public:
  explicit StepTimer(ProgressObserver* inner) : inner_(inner) {}

  void Advance(Step step, std::int64_t done, std::int64_t total) override;
  void Finish() override;
  void StepStarted(Step step) override;
  bool Cancelled() const override { return inner_ != nullptr && inner_->Cancelled(); }

  // Ends the step in work and writes the table: per problem the seconds of each step, in the
  // order the steps first ran (a step that ran more than once, as Omega does once per cutoff
  // level, is summed), and the problem's total.
  void Print(std::FILE* out);

  // Ends the step in work and gives the seconds of each step of each problem as Print
  // shows them (the reading that found the end of the data left out).
  std::vector<std::vector<RunRecord::StepTime>> Durations();

 private:
  struct Timed {
    std::string name;
    double seconds = 0.0;
  };
  using Clock = std::chrono::steady_clock;

  void Close(Clock::time_point now);

  ProgressObserver* inner_;
  std::vector<std::vector<Timed>> problems_;  // a new problem starts with each "reading"
  int open_ = -1;                            // the step in work, in the last problem
  Clock::time_point started_;
};

}  // namespace quorel
