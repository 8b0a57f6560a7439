#include "shell/step_timer.hpp"


namespace quorel {

void StepTimer::Advance(Step step, std::int64_t done, std::int64_t total) {
  if (inner_ != nullptr) inner_->Advance(step, done, total);
}

void StepTimer::Finish() {
  if (inner_ != nullptr) inner_->Finish();
}

void StepTimer::Close(Clock::time_point now) {
  if (open_ >= 0) problems_.back()[static_cast<std::size_t>(open_)].seconds += std::chrono::duration<double>(now - started_).count();
  open_ = -1;
}

void StepTimer::StepStarted(Step step) {
  const Clock::time_point now = Clock::now();
  Close(now);
  // The next problem is read at the end of the one before it, and its reading is its own.
  if (problems_.empty() || step == Step::kReading) problems_.emplace_back();
  std::vector<Timed>& steps = problems_.back();
  for (std::size_t k = 0; k < steps.size(); ++k) {
    if (steps[k].name == StepName(step)) open_ = static_cast<int>(k);
  }
  if (open_ < 0) {
    steps.push_back(Timed{StepName(step), 0.0});
    open_ = static_cast<int>(steps.size()) - 1;
  }
  started_ = now;
  if (inner_ != nullptr) inner_->StepStarted(step);
}

std::vector<std::vector<RunRecord::StepTime>> StepTimer::Durations() {
  Close(Clock::now());
  std::vector<std::vector<RunRecord::StepTime>> durations;
  for (std::size_t p = 0; p < problems_.size(); ++p) {
    if (p > 0 && p + 1 == problems_.size() && problems_[p].size() == 1) break;
    durations.emplace_back();
    for (const Timed& step : problems_[p]) durations.back().push_back({step.name, step.seconds});
  }
  return durations;
}

void StepTimer::Print(std::FILE* out) {
  Close(Clock::now());
  std::fprintf(out, "Time by step (wall clock, seconds):\n");
  for (std::size_t p = 0; p < problems_.size(); ++p) {
    const std::vector<Timed>& steps = problems_[p];
    // Reading past the last problem finds the end of the data; it is shown only when it is
    // all there was.
    if (p > 0 && p + 1 == problems_.size() && steps.size() == 1) {
      std::fprintf(out, "  %-26s %9.3f\n", "end of data", steps[0].seconds);
      continue;
    }
    std::fprintf(out, "  problem %zu\n", p + 1);
    double total = 0.0;
    for (const Timed& step : steps) {
      std::fprintf(out, "    %-24s %9.3f\n", step.name.c_str(), step.seconds);
      total += step.seconds;
    }
    std::fprintf(out, "    %-24s %9.3f\n", "total", total);
  }
}

}  // namespace quorel
