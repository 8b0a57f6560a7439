#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/progress_observer.hpp"

namespace quorel {

// Where a run is, in words for the user, from the analysis' progress reports: the network
// in work, its step, and how far the sampling has come.
class RunPhase {
 public:
  // `unit`: what the sampling counts ("pairs", "samples").
  explicit RunPhase(std::string unit = "samples") : unit_(std::move(unit)) {}

  void ProblemStarted(int number, std::string_view label);
  void StepStarted(Step step);
  void CutoffLevelStarted(float alpha);
  // `done` of `total` units of the random sampling are finished.
  void Sampling(std::int64_t done, std::int64_t total);
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
