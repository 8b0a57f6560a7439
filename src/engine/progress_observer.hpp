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
};

}  // namespace quorel
