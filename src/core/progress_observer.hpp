#pragma once

#include <cstdint>

namespace quorel {

// Told how a long phase advances, so a shell can show a progress bar. Called from the
// thread that runs the analysis, a few times a second at most.
class ProgressObserver {
 public:
  virtual ~ProgressObserver() = default;

  // `done` of `total` units of `phase` are finished ("pairs", "samples").
  virtual void Advance(const char* phase, std::int64_t done, std::int64_t total) = 0;

  // The phase is over.
  virtual void Finish() = 0;

  // The analysis enters a new step of a problem ("reading", "semigroup", "sampling", ...);
  // the step before it is over. For shells that time the steps; the default ignores them.
  virtual void StepStarted(const char* /*step*/) {}
};

// Tells `observer`, when there is one, that `step` starts.
inline void MarkStep(ProgressObserver* observer, const char* step) {
  if (observer != nullptr) observer->StepStarted(step);
}

}  // namespace quorel
