#pragma once

#include <string>

#include "core/progress_observer.hpp"

namespace quorel {

// Stops a run of the command cleanly on SIGINT or SIGTERM. While it lives, the first signal
// asks the analysis to stop at its next check (the next batch of pairs, sample or step,
// within a second), so the report, the JSON document and the tables keep whole blocks and
// rows of what was complete; a second signal ends the process at once. Every other call
// passes on to `inner` (the step timer, the progress bar), and it remembers where the run
// stands, to say where it stopped.
class Interruption final : public ProgressObserver {
 public:
  explicit Interruption(ProgressObserver* inner);
  ~Interruption() override;
  Interruption(const Interruption&) = delete;
  Interruption& operator=(const Interruption&) = delete;

  void ProblemStarted(int number, const std::string& label) override;
  void StepStarted(Step step) override;
  void Advance(Step step, std::int64_t done, std::int64_t total) override;
  void Finish() override;
  void CutoffLevelStarted(int index, float alpha) override;
  bool Cancelled() const override;

  // The signal that asked the run to stop (SIGINT, SIGTERM), 0 when none came.
  int Signal() const;

  // "SIGINT during the sampling of problem 2".
  std::string Where() const;

 private:
  ProgressObserver* inner_;
  int problem_ = 0;
  const char* step_ = "reading";
};

// The exit status of a run stopped by `signal`: 128 plus its number (130, 143).
inline int InterruptedExitStatus(int signal) { return 128 + signal; }

}  // namespace quorel
