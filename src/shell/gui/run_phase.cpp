#include "shell/gui/run_phase.hpp"

#include <cstdio>

namespace quorel {

void RunPhase::ProblemStarted(int number, std::string_view label) {
  problem_ = number;
  // Labels may run to 80 characters; the window has room for about half of that. The cut
  // does not split a character of several bytes.
  constexpr std::size_t kShown = 32;
  if (label.size() > kShown) {
    std::size_t cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80) --cut;
    label_ = std::string(label.substr(0, cut)) + "...";
  } else {
    label_ = label;
  }
}

void RunPhase::StepStarted(Step step) {
  switch (step) {
    case Step::kReading: NewStep("reading"); break;
    case Step::kSemigroup:
    case Step::kPartialOrder: NewStep("semigroup and partial order"); break;
    case Step::kStatistics:
    case Step::kStatisticsReport: NewStep("measures of association"); break;
    case Step::kSampling: Sampling(0, -1); break;
    case Step::kOmega:
    case Step::kFactorization: break;  // the cutoff level says which
  }
}

void RunPhase::CutoffLevelStarted(float alpha) {
  char text[48];
  std::snprintf(text, sizeof text, "Omega for alpha %4.3f", static_cast<double>(alpha));
  NewStep(text);
}

void RunPhase::NewStep(std::string step) {
  step_ = std::move(step);
  total_ = -1;
}

void RunPhase::Sampling(std::int64_t done, std::int64_t total) {
  step_ = "sampling";
  done_ = done;
  total_ = total;
}

void RunPhase::SamplingOver() { NewStep("measures of association"); }

std::string RunPhase::Text() const {
  std::string text;
  if (problem_ > 0) {
    text = "Problem " + std::to_string(problem_);
    if (!label_.empty()) text += ", '" + label_ + "'";
    text += ": ";
  }
  text += step_;
  if (total_ >= 0) text += ", " + std::to_string(done_) + " of " + std::to_string(total_) + " " + unit_;
  return text;
}

double RunPhase::SamplingShare() const {
  if (total_ < 0) return -1.0;
  if (total_ == 0) return 1.0;
  return static_cast<double>(done_) / static_cast<double>(total_);
}

}  // namespace quorel
