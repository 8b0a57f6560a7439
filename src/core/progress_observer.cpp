#include "core/progress_observer.hpp"

#include "quorel/error.hpp"

namespace quorel {

const char* StepName(Step step) {
  switch (step) {
    case Step::kReading: return "reading";
    case Step::kSemigroup: return "semigroup";
    case Step::kPartialOrder: return "partial order";
    case Step::kStatistics: return "statistics";
    case Step::kSampling: return "sampling";
    case Step::kStatisticsReport: return "statistics report";
    case Step::kOmega: return "omega";
    case Step::kFactorization: return "factorization";
  }
  return "";
}

void StopIfCancelled(const ProgressObserver* observer) {
  if (observer != nullptr && observer->Cancelled()) {
    throw Error(ErrorKind::kCancelled, 0, "the analysis was cancelled");
  }
}

void MarkStep(ProgressObserver* observer, Step step) {
  if (observer == nullptr) return;
  StopIfCancelled(observer);
  observer->StepStarted(step);
}

}  // namespace quorel
