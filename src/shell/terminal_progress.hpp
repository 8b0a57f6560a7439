#pragma once

#include <chrono>
#include <cstdio>

#include "core/progress_observer.hpp"

namespace quorel {

// A one-line progress bar with an estimate of the time left, redrawn in place on a terminal.
class TerminalProgress final : public ProgressObserver {
 public:
  // `unit`: what the sampling counts ("pairs", "samples").
  TerminalProgress(std::FILE* terminal, const char* unit) : terminal_(terminal), unit_(unit) {}

  void Advance(Step step, std::int64_t done, std::int64_t total) override;
  void Finish() override;

 private:
  std::FILE* terminal_;
  const char* unit_;
  bool drawn_ = false;
  bool started_ = false;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace quorel
