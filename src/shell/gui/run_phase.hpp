#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorel {

// Follows a run from what the engine writes, to show the user where it is: the progress
// channel announces each problem, its processing and each cutoff level; the message list
// announces the measures; the sampling reports how many of its units are done.
class RunPhase {
 public:
  // A line of the progress channel ("PROBLEM SPECIFICATION #2 :", "QUOREL processing
  // 'label'.....", "\tConstructing Omega for alpha(0.050)...").
  void ProgressLine(std::string_view line);

  // A line added to the message list.
  void MessageLine(std::string_view line);

  // `done` of `total` units ("pairs", "samples") of the random sampling are finished.
  void Sampling(std::string_view unit, std::int64_t done, std::int64_t total);
  void SamplingOver();

  // "Problem 1, 'label': sampling, 250 of 1000 samples"; a long label is cut short.
  std::string Text() const;

  // The share of the sampling done, from 0 to 1, or -1 when no sampling is under way.
  double SamplingShare() const;

 private:
  void NewStep(std::string step);  // a step other than the sampling

  int problem_ = 0;
  std::string label_;
  std::string step_ = "starting";
  std::string unit_;
  std::int64_t done_ = 0;
  std::int64_t total_ = -1;
};

}  // namespace quorel
