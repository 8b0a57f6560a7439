#pragma once

#include <cstdint>
#include <string>

#include "quorel/progress.hpp"

namespace quorel {

// Told how an analysis advances, so that a shell can show where it is, time its steps or
// stop it. The calls come from the thread that runs the analysis, except Cancelled, which
// the sampling's workers ask too. Every call has a default that does nothing.
class ProgressObserver {
 public:
  virtual ~ProgressObserver() = default;

  // Network `number` (from 1), labelled `label`, has been read and its analysis starts.
  virtual void ProblemStarted(int /*number*/, const std::string& /*label*/) {}

  // A step of the network in work starts; the step before it is over.
  virtual void StepStarted(Step /*step*/) {}

  // `done` of `total` units of `step` are finished (the sampling: pairs or samples), a few
  // times a second at most.
  virtual void Advance(Step /*step*/, std::int64_t /*done*/, std::int64_t /*total*/) {}

  // The sampling is over.
  virtual void Finish() {}

  // Cutoff level `index` (from 0), at `alpha`, starts.
  virtual void CutoffLevelStarted(int /*index*/, float /*alpha*/) {}

  // True when the analysis is to stop: it then ends at the next pair batch, sample or
  // step with an Error of kind kCancelled. Must be safe to call from any thread.
  virtual bool Cancelled() const { return false; }
};

// Tells `observer`, when there is one, that `step` starts; ends the analysis when the
// observer asks it to stop.
void MarkStep(ProgressObserver* observer, Step step);

// Ends the analysis with an Error of kind kCancelled when `observer` asks it to stop.
void StopIfCancelled(const ProgressObserver* observer);

}  // namespace quorel
