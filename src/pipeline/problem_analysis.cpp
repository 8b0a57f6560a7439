#include "pipeline/problem_analysis.hpp"

#include <algorithm>

#include "algebra/partial_order.hpp"
#include "algebra/semigroup.hpp"
#include "algebra/transposes.hpp"
#include "core/error.hpp"
#include "pipeline/cutoff_levels.hpp"
#include "pipeline/measures_phase.hpp"
#include "pipeline/memory_estimate.hpp"

namespace quorel {

namespace {

// Per generator: 1 when it is non-directional. A transpose added as a generator is as
// directional as the matrix it is the transpose of.
std::vector<std::uint8_t> NonDirectionalGenerators(const AnalysisState& state, const std::vector<int>& transpose_of) {
  std::vector<std::uint8_t> flags(transpose_of.size(), 0);
  if (state.ND == 0) return flags;
  for (std::size_t k = 0; k < transpose_of.size(); ++k) {
    const std::size_t source = transpose_of[k] < 0 ? k : static_cast<std::size_t>(transpose_of[k]);
    flags[k] = state.NDI[source] != 0 ? 1 : 0;
  }
  return flags;
}

// Per input relation, the slot of the distinct matrix it stands for: a new matrix takes the
// next slot, a repeat the slot of the matrix it repeats.
std::vector<int> InputSlots(const std::vector<std::int16_t>& ident, int nr) {
  std::vector<int> slots(static_cast<std::size_t>(nr));
  int next = 0;
  for (int i = 0; i < nr; ++i) slots[i] = ident[i] == -1 ? next++ : ident[i];
  return slots;
}

ProblemFacts FactsOf(const AnalysisState& state, const std::string& label, const std::vector<std::int16_t>& ident,
                     const AnalysisOptions& options, const std::vector<float>& cutoffs) {
  ProblemFacts facts;
  facts.number = state.ProblemCount;
  facts.label = label;
  facts.n = state.N;
  facts.nr = state.NR;
  facts.has_directionality = state.ND != 0;
  facts.ndi = state.NDI;
  facts.directionality = state.Directionality;
  facts.actor_names = state.ActorNames;
  facts.relation_names = state.RelationNames;
  facts.input_slots = InputSlots(ident, state.NR);
  facts.repeats.assign(ident.begin(), ident.begin() + state.NR);
  facts.distinct_inputs = state.GeneratorCount;
  facts.options = options;
  facts.cutoffs = cutoffs;
  return facts;
}

}  // namespace

void AnalyseProblem(AnalysisState& state, const AnalysisOptions& options, StatusSink& status, ResultSink& sink,
                    const std::string& label, std::vector<std::int16_t>& ident, const std::vector<float>& cutoffs) {
  sink.ProblemStarted(FactsOf(state, label, ident, options, cutoffs), state.MatrixList,
                      options.m_FixedSupplied ? &state.FixedMatrix : nullptr);
  const int distinct_inputs = state.GeneratorCount;
  int generators = distinct_inputs;
  if (options.m_Transposes) {
    generators = AddTransposes(state.MatrixList, distinct_inputs, state.Storage, ident,
                               [&](int input, int equal_to) { sink.IdenticalTranspose(input, equal_to); });
  }
  state.GeneratorCount = static_cast<std::int16_t>(generators);
  state.ElementCount = state.GeneratorCount;
  std::vector<int> transpose_of(static_cast<std::size_t>(generators), -1);
  for (int k = distinct_inputs; k < generators; ++k) transpose_of[k] = ident[k];
  sink.GeneratorsChosen(state.MatrixList, generators, transpose_of);

  MarkStep(state.Progress, Step::kSemigroup);
  Semigroup semigroup = options.m_GeneratorProductsOnly
                            ? BuildGeneratorPowers(state.MatrixList, generators, options.m_MaxWordLength, state.Storage)
                            : BuildSemigroup(state.MatrixList, generators, options.m_MaxWordLength, state.Storage);
  state.ElementCount = static_cast<std::int16_t>(semigroup.element_count);
  const ProblemSize size{state.N, state.NR, generators, semigroup.element_count};
  state.EstimatedPeak = std::max(state.EstimatedPeak, EstimatePeakBytes(size, options));
  sink.SemigroupBuilt(semigroup, state.MatrixList);
  MarkStep(state.Progress, Step::kPartialOrder);
  const ElementRelation partial_order = BuildPartialOrder(state.MatrixList, semigroup.element_count, state.Storage);
  sink.PartialOrderBuilt(partial_order);

  status.AddStatusMessage("Calculating statistical upper triangle matrices...");
  const std::vector<std::uint8_t> non_directional = NonDirectionalGenerators(state, transpose_of);
  const MeasuresInput measures{state.MatrixList, semigroup, state.Directionality, state.FixedMatrix, non_directional};
  state.Statistics = RunMeasures(measures, options, state.Random, state.Storage, state.Progress,
                                  state.Processes);
  const ExactProportionMatrices exact = RunExactProportions(measures, options, state.Statistics, state.Storage);
  MarkStep(state.Progress, Step::kStatisticsReport);
  if (!exact.Empty()) sink.ExactProportionsDone(exact, semigroup.element_count);
  sink.StatisticsDone(state.Statistics, semigroup.element_count);

  FreeMatrixList(state, options);
  std::vector<std::int16_t>().swap(ident);
  sink.PartialAlgebraStarted();
  // Omega reads the sampled proportions, or the exact ones when asked; the report keeps
  // showing the sampled ones.
  const bool from_exact = options.OmegaFromExact && !exact.Empty();
  const int samples = from_exact ? 0 : static_cast<std::int16_t>(options.m_SampleSize);
  if (from_exact) {
    const StatisticMatrices omega_statistics = OmegaStatistics(state.Statistics, exact, options);
    RunCutoffLevels(semigroup, omega_statistics, partial_order, options, cutoffs, samples, state.Storage, sink,
                    state.Progress, state.ProgressFile);
  } else {
    RunCutoffLevels(semigroup, state.Statistics, partial_order, options, cutoffs, samples, state.Storage, sink,
                    state.Progress, state.ProgressFile);
  }
  sink.ProblemDone();
  state.Statistics.Release();
  state.Storage.Release(StorageKind::kStatistic);
}

void FreeMatrixList(AnalysisState& state, const AnalysisOptions& options) {
  state.MatrixList.Release();
  state.Storage.Release(StorageKind::kMatrixList);
  if (options.m_FixedSupplied) state.FixedMatrix.Release();
}

}  // namespace quorel
