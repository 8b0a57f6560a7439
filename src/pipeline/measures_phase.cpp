#include "pipeline/measures_phase.hpp"

#include <cmath>
#include <iterator>

#include "core/error.hpp"
#include "core/worker_pool.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/compound_sampling.hpp"
#include "sampling/exact_proportions.hpp"
#include "sampling/generator_sampling.hpp"

namespace quorel {

namespace {

// Allocates the six matrices in record order; the first that fails ends the run with its code.
void ObtainStatistics(StatisticMatrices& s, int e, StorageGate& gate) {
  const std::size_t cells = static_cast<std::size_t>(e) * e;
  std::vector<float>* matrices[] = {&s.L, &s.McNemarZ, &s.Kappa, &s.StdKappa, &s.PValue, &s.Estvar};
  for (int k = 0; k < 6; ++k) {
    if (!gate.Obtain(StorageKind::kStatistic, *matrices[k], cells, 0.0f)) {
      EndWithCompletion(static_cast<CompletionCode>(static_cast<int>(CompletionCode::kLikelihoodRatioStorage) + k));
    }
  }
}

// Sums the sample counters (the lower cells of L, McNemar Z, kappa and standardized kappa)
// across the processes, each of which counted its share of the pairs or samples. The counts
// are whole numbers below 2^24, so their float sums are exact in any order.
void SumSampleCounters(StatisticMatrices& s, int e, ProcessGroup& processes) {
  std::vector<float>* counters[] = {&s.L, &s.McNemarZ, &s.Kappa, &s.StdKappa};
  const std::size_t pairs = static_cast<std::size_t>(e) * (e - 1) / 2;
  std::vector<float> lower;
  lower.reserve(pairs * std::size(counters));
  for (const std::vector<float>* m : counters) {
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j) lower.push_back((*m)[static_cast<std::size_t>(j) * e + i]);
    }
  }
  processes.SumAcrossProcesses(lower);
  std::size_t next = 0;
  for (std::vector<float>* m : counters) {
    for (int i = 0; i < e; ++i) {
      for (int j = i + 1; j < e; ++j) (*m)[static_cast<std::size_t>(j) * e + i] = lower[next++];
    }
  }
}

// Passes on only whether to stop: the observed statistics report no progress of their own,
// but a long run of them (millions of pairs) still stops at its next row when asked.
class StopRequests final : public ProgressObserver {
 public:
  explicit StopRequests(const ProgressObserver* progress) : progress_(progress) {}
  bool Cancelled() const override { return progress_ != nullptr && progress_->Cancelled(); }

 private:
  const ProgressObserver* progress_;
};

}  // namespace

StatisticMatrices RunMeasures(const MeasuresInput& input, const AnalysisOptions& options, RandomSource& random,
                              StorageGate& gate, ProgressObserver* progress, ProcessGroup* processes) {
  const int e = input.semigroup.element_count;
  const int g = input.semigroup.generator_count;
  const MatrixList& list = input.relations;
  StatisticMatrices stats;
  ObtainStatistics(stats, e, gate);
  const int workers = WorkerCount(options.Threads);

  MarkStep(progress, Step::kStatistics);
  // The observed statistics; every pair writes only its own cells.
  StopRequests stop_requests(progress);
  ParallelFor(workers, e, 1, [&](int, std::int64_t begin, std::int64_t end) {
    for (int i = static_cast<int>(begin); i < end; ++i) {
      for (int j = i + 1; j < e; ++j) {
        ComputePairMeasures(stats, e, i, j, list.Matrix(i), list.Matrix(j), list.Shape(),
                            PairIncludesDiagonal(options.m_Diagonal, i, j, g), options.m_MeasureControl);
      }
    }
  }, progress != nullptr ? &stop_requests : nullptr, Step::kStatistics);

  // The counters in the lower cells start at 0 (the matrices were allocated zeroed).
  SamplingSettings settings;
  settings.sample_size = static_cast<std::int16_t>(options.m_SampleSize);
  settings.measure_control = options.m_MeasureControl;
  settings.diagonal = options.m_Diagonal;
  settings.workers = workers;
  if (processes != nullptr) settings.share = processes->Share();
  MarkStep(progress, Step::kSampling);
  const std::int16_t code =
      options.m_PermutationStrategy == kPermutePairs
          ? SampleCompoundPairs(list, e, g, input.directionality, input.fixed, settings, stats, random, gate, progress)
          : SampleGenerators(list, e, g, input.semigroup.word_table, input.non_directional, input.fixed, settings,
                             stats, random, gate, progress);
  // The samplers' buffers went with them.
  gate.Release(StorageKind::kSamplerBuffer);
  gate.Release(StorageKind::kShuffleWork);
  if (code != 0) EndWithCompletion(static_cast<CompletionCode>(code));
  if (settings.share.count > 1) SumSampleCounters(stats, e, *processes);

  // Proportions: the share of samples reaching the observed statistic (0/0 without samples).
  const float samples = static_cast<float>(static_cast<std::int16_t>(options.m_SampleSize));
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j) {
      const std::size_t low = static_cast<std::size_t>(j) * e + i;
      stats.L[low] = stats.L[low] / samples;
      stats.Kappa[low] = stats.Kappa[low] / samples;
      stats.StdKappa[low] = stats.StdKappa[low] / samples;
      if (options.m_PermutationStrategy == kPermutePairs) stats.McNemarZ[low] = stats.McNemarZ[low] / samples;
    }
  }
  return stats;
}

ExactProportionMatrices RunExactProportions(const MeasuresInput& input, const AnalysisOptions& options,
                                            const StatisticMatrices& statistics, StorageGate& gate) {
  if (!options.ExactP || options.m_PermutationStrategy != kPermutePairs) return {};
  // Four E x E matrices of doubles, held with the statistics to the problem's end; refused,
  // the run ends as when the samplers' storage is refused.
  if (!gate.Grant(StorageKind::kStatistic, ExactProportionBytes(input.semigroup.element_count))) {
    EndWithCompletion(CompletionCode::kSamplerStorage);
  }
  return ExactCompoundProportions(input.relations, input.semigroup.element_count, input.semigroup.generator_count,
                                  input.directionality, input.fixed, options.m_MeasureControl, options.m_Diagonal,
                                  WorkerCount(options.Threads), statistics);
}

StatisticMatrices OmegaStatistics(const StatisticMatrices& statistics, const ExactProportionMatrices& exact,
                                  const AnalysisOptions& options) {
  StatisticMatrices chosen = statistics;
  if (!options.OmegaFromExact || exact.Empty()) return chosen;
  const int e = static_cast<int>(std::lround(std::sqrt(static_cast<double>(exact.theta.size()))));
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j) {
      const std::size_t low = ExactProportionMatrices::Lower(e, i, j);
      chosen.L[low] = static_cast<float>(exact.theta[low]);
      chosen.StdKappa[low] = static_cast<float>(exact.standardized_kappa[low]);
      chosen.McNemarZ[low] = static_cast<float>(exact.mcnemar_z[low]);
      chosen.Kappa[low] = static_cast<float>(exact.kappa[low]);
    }
  }
  return chosen;
}

}  // namespace quorel
