#pragma once

#include <chrono>
#include <cstdio>

#include "core/progress_observer.hpp"

namespace quorel {

// A one-line progress bar with an estimate of the time left, redrawn in place on a terminal.
class TerminalProgress final : public ProgressObserver {
 public:
  explicit TerminalProgress(std::FILE* terminal) : terminal_(terminal) {}

  void Advance(const char* phase, std::int64_t done, std::int64_t total) override;
  void Finish() override;

 private:
  std::FILE* terminal_;
  bool drawn_ = false;
  const char* phase_ = nullptr;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace quorel
