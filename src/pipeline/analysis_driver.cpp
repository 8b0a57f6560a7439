#include "pipeline/analysis_driver.hpp"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "algebra/partial_order.hpp"
#include "algebra/semigroup.hpp"
#include "algebra/transposes.hpp"
#include "core/analysis_options.hpp"
#include "pipeline/analysis_state.hpp"
#include "core/fatal_error.hpp"
#include "formats/fixed_matrix_reader.hpp"
#include "formats/network_reader.hpp"
#include "views/input_report.hpp"
#include "pipeline/option_checks.hpp"
#include "pipeline/problem_reading.hpp"
#include "core/status_sink.hpp"
#include "measures/measures_phase.hpp"
#include "omega/factorization.hpp"
#include "omega/factorization_result.hpp"
#include "omega/omega.hpp"
#include "omega/omega_level.hpp"

namespace quorel {

namespace {

constexpr std::size_t kReportBuffer = 1 << 20;

// Per generator: 1 when it is non-directional. A transpose added as a generator is as
// directional as the matrix it is the transpose of.
std::vector<std::uint8_t> NonDirectionalGenerators(const AnalysisState& state, const std::vector<std::int16_t>& ident,
                                                   int distinct_inputs) {
  std::vector<std::uint8_t> flags(state.GeneratorCount, 0);
  if (state.ND == 0) return flags;
  for (int k = 0; k < state.GeneratorCount; ++k) {
    const int source = k < distinct_inputs ? k : ident[k];
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

// Omega, lower Omega and their closures at every cutoff level, and the factorizations the
// options ask for.
void BuildCutoffLevels(AnalysisState& state, const AnalysisOptions& options, const std::vector<float>& cutoffs,
                       const ElementRelation& partial_order) {
  ElementRelation omega;
  ElementRelation lower_omega;
  if (!omega.Obtain(state.Storage, StorageKind::kOmega, state.ElementCount) ||
      !lower_omega.Obtain(state.Storage, StorageKind::kOmega, state.ElementCount)) {
    FatalError(10);
  }
  const bool products_only = options.m_GeneratorProductsOnly != 0;
  const bool full = options.m_FullFactorOutput != 0;
  ResultObserver* observer = state.Results;
  OmegaLevel level;
  FactorizationResult factors;
  FactorizationResult* const keep_factors = observer != nullptr ? &factors : nullptr;
  const auto factorize = [&](const ElementRelation& rel, bool is_omega, int k) {
    Factorize(state.OutFile, rel, full, is_omega, state.MultTable, state.Storage, FactorTable::kDefaultByteLimit,
              keep_factors);
    if (observer != nullptr) observer->FactorizationDone(state, k, factors);
  };
  for (std::size_t k = 0; k < cutoffs.size(); ++k) {
    const float alpha = cutoffs[k];
    if (state.ProgressFile != nullptr) std::fprintf(state.ProgressFile, "\tConstructing Omega for alpha(%4.3f)...\n", alpha);
    std::fprintf(state.OutFile, "\n\n(%1d)", static_cast<int>(k + 1));
    MarkStep(state.Progress, "omega");
    BuildOmega(state.OutFile, omega, lower_omega, state.Statistics, alpha, options.m_MinKappa, partial_order,
               options.m_PermutationStrategy, products_only, state.MultTable, state.Storage,
               observer != nullptr ? &level : nullptr);
    if (observer != nullptr) {
      level.Index = static_cast<int>(k);
      observer->CutoffLevelDone(state, level);
    }
    if (options.m_FactorOmega || (options.m_FactorLowerOmega && !products_only)) MarkStep(state.Progress, "factorization");
    if (options.m_FactorOmega) factorize(omega, true, static_cast<int>(k));
    if (options.m_FactorLowerOmega && !products_only) factorize(lower_omega, false, static_cast<int>(k));
  }
}

}  // namespace

void FreeMatrixList(AnalysisState& state, const AnalysisOptions& options) {
  state.MatrixList.Release();
  if (options.m_FixedSupplied) state.FixedMatrix.Release();
}

std::int16_t RunAnalysis(AnalysisState& state, AnalysisOptions& options, StatusSink& sink) {
  sink.ClearStatusMessages();
  if (!options.m_FixedSupplied && (options.m_MeasureControl == kMF || options.m_MeasureControl == kMG)) return 1;

  // A directory opens for reading on some systems and then reads as an empty file; it is
  // as unreadable as a missing file.
  std::error_code ignored;
  if (std::filesystem::is_directory(options.DataPath, ignored)) return 3;
  state.InFile = std::fopen(options.DataPath.c_str(), "r");
  if (state.InFile == nullptr) return 3;
  state.OutFile = std::fopen(options.ReportPath.c_str(), "w");
  if (state.OutFile == nullptr) return 5;
  std::setvbuf(state.OutFile, nullptr, _IOFBF, kReportBuffer);
  // A DL file or an edge list is read whole as its one network.
  NetworkReader reader(state.InFile, ReaderChannels{sink, state.ErrFile, state.ProgressFile, &state.Storage});
  if (!OpenInput(reader, options, state.ErrFile)) return 3;

  Network network;
  const std::string& label = network.Label;
  std::vector<std::int16_t> ident;
  MarkStep(state.Progress, "reading");
  std::int16_t r = ReadProblem(state, reader, sink, network, ident);
  // "Reapply to all remaining networks": the option check of the first problem serves
  // every later one, which keeps its cutoff list and measure control without new warnings.
  const bool reapply = options.m_Reapply != 0;
  options.m_Reapply = 0;
  bool first_problem = true;
  std::vector<float> cutoffs;

  while (r == 1) {
    state.Directionality = ClassifyDirectionality(state.NDI, state.ND, state.NR);
    if (first_problem || !reapply) cutoffs = CheckOptions(options, state.Directionality, sink);
    first_problem = false;
    if (options.m_FixedSupplied) {
      r = ReadFixed(reader.Stream(), state.ErrFile, state.Storage, state.FixedMatrix, state.N);
      if (r != 1) break;
    }
    if (state.ProgressFile != nullptr) std::fprintf(state.ProgressFile, "QUOREL processing '%s'.....\n", label.c_str());

    PrintInput(state, options, label, ident);
    ResultObserver* observer = state.Results;
    if (observer != nullptr) {
      const std::vector<int> slots = InputSlots(ident, state.NR);
      observer->ProblemStarted(state, ProblemInput{label, slots, options, cutoffs});
    }
    const int distinct_inputs = state.GeneratorCount;
    state.ElementCount = state.GeneratorCount;
    if (options.m_Transposes) EliminateTransposes(state, ident);
    if (state.NR != state.GeneratorCount || state.ElementCount != state.GeneratorCount) {
      PrintUpdatedList(state, ident);
    }
    state.GeneratorCount = state.ElementCount;
    if (observer != nullptr) {
      std::vector<int> transpose_of(static_cast<std::size_t>(state.GeneratorCount), -1);
      for (int k = distinct_inputs; k < state.GeneratorCount; ++k) transpose_of[k] = ident[k];
      observer->GeneratorsChosen(state, transpose_of);
    }
    PrintOptions(state, options, cutoffs);

    MarkStep(state.Progress, "semigroup");
    const auto max_word_length = static_cast<std::int16_t>(options.m_MaxWordLength);
    if (options.m_GeneratorProductsOnly) {
      BuildGeneratorPowers(state, max_word_length);
    } else {
      BuildSemigroup(state, max_word_length);
    }
    if (observer != nullptr) observer->SemigroupBuilt(state);
    ElementRelation partial_order;
    MarkStep(state.Progress, "partial order");
    BuildPartialOrder(state, partial_order);
    if (observer != nullptr) observer->PartialOrderBuilt(state, partial_order);

    sink.AddStatusMessage("Calculating statistical upper triangle matrices...");
    MeasuresOptions measures;
    measures.m_SampleSize = static_cast<std::int16_t>(options.m_SampleSize);
    measures.m_PermutationStrategy = options.m_PermutationStrategy;
    measures.m_Diagonal = options.m_Diagonal;
    measures.m_MeasureControl = options.m_MeasureControl;
    measures.Threads = options.Threads;
    const std::int16_t code = RunMeasures(state, measures, NonDirectionalGenerators(state, ident, distinct_inputs));
    if (code != 0) return code;
    if (observer != nullptr) observer->StatisticsDone(state);

    FreeMatrixList(state, options);
    std::vector<std::int16_t>().swap(ident);
    std::fprintf(state.OutFile, "3. Construction of partial algebra.");
    BuildCutoffLevels(state, options, cutoffs, partial_order);
    if (observer != nullptr) observer->ProblemDone(state);

    std::vector<std::int16_t>().swap(state.MultTable);
    std::vector<WordEntry>().swap(state.WordTable);
    state.Statistics.Release();

    MarkStep(state.Progress, "reading");
    r = ReadProblem(state, reader, sink, network, ident);
    if (r == 1) std::fprintf(state.OutFile, "\n\n\n");
  }
  // A read error looks like the end of the data to the reader; the data file could not be
  // read to its end, which is the open failure's code rather than a completion.
  if (std::ferror(reader.Stream())) return 3;
  if (r == 0) FatalError(1);
  return 0;
}

}  // namespace quorel
