#include "shell/gui/run_phase.hpp"

#include <cstdlib>

namespace quorel {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

void RunPhase::ProgressLine(std::string_view line) {
  constexpr std::string_view kProblem = "PROBLEM SPECIFICATION #";
  constexpr std::string_view kProcessing = "QUOREL processing '";
  constexpr std::string_view kProcessingEnd = "'.....";
  constexpr std::string_view kOmega = "\tConstructing Omega for alpha(";
  if (StartsWith(line, kProblem)) {
    problem_ = std::atoi(std::string(line.substr(kProblem.size())).c_str());
    label_.clear();
    NewStep("reading");
  } else if (StartsWith(line, kProcessing)) {
    std::string_view label = line.substr(kProcessing.size());
    if (label.size() >= kProcessingEnd.size() && label.substr(label.size() - kProcessingEnd.size()) == kProcessingEnd) {
      label.remove_suffix(kProcessingEnd.size());
    }
    // Labels may run to 80 characters; the window has room for about half of that.
    // The cut does not split a character of several bytes.
    constexpr std::size_t kShown = 32;
    if (label.size() > kShown) {
      std::size_t cut = kShown;
      while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80) --cut;
      label_ = std::string(label.substr(0, cut)) + "...";
    } else {
      label_ = label;
    }
    NewStep("semigroup and partial order");
  } else if (StartsWith(line, kOmega)) {
    std::string_view alpha = line.substr(kOmega.size());
    alpha = alpha.substr(0, alpha.find(')'));
    NewStep("Omega for alpha " + std::string(alpha));
  }
}

void RunPhase::MessageLine(std::string_view line) {
  if (line == "Calculating statistical upper triangle matrices...") NewStep("measures of association");
}

void RunPhase::NewStep(std::string step) {
  step_ = std::move(step);
  total_ = -1;
}

void RunPhase::Sampling(std::string_view unit, std::int64_t done, std::int64_t total) {
  step_ = "sampling";
  unit_ = unit;
  done_ = done;
  total_ = total;
}

void RunPhase::SamplingOver() {
  NewStep("measures of association");
}

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
