#include "sampling/generator_sampling.hpp"

#include <chrono>

#include "engine/analysis_state.hpp"
#include "engine/fatal_error.hpp"
#include "engine/worker_pool.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/generator_permutations.hpp"

namespace quorel {

std::int16_t SampleGenerators(AnalysisState& state, StatisticMatrices& stats, const SamplingSettings& settings,
                              const std::vector<std::uint8_t>& non_directional) {
  const int e = state.ElementCount;
  const int g = state.GeneratorCount;
  const int n = state.N;
  if (settings.sample_size < 1) return 0;
  MatrixList& list = state.MatrixList;
  const MatrixShape& shape = list.Shape();
  const FixedMatrixRecord* fixed = state.FixedMatrix.Groups.empty() ? nullptr : &state.FixedMatrix;

  const std::size_t cells = static_cast<std::size_t>(n) * n;
  std::vector<std::int8_t> generators;
  if (!state.Storage.Obtain(StorageKind::kSamplerBuffer, generators, cells * g)) return 29;
  for (int k = 0; k < g; ++k) UnpackMatrix(list.Matrix(k), shape, &generators[cells * k]);
  PermutationWorkspace ws;
  switch (ws.Obtain(state.Storage, n, settings.measure_control, state.FixedMatrix.MaxGroupSize)) {
    case WorkspaceStatus::kReady: break;
    case WorkspaceStatus::kSamplerBufferFailed: return 29;
    case WorkspaceStatus::kShuffleWorkFailed: FatalError(9);
  }

  // Pairs by rows: a block of rows is one task; rows near the top have the most pairs.
  const int workers = WorkerCount(settings.workers);
  auto last_report = std::chrono::steady_clock::now();
  for (int s = 0; s < settings.sample_size; ++s) {
    for (int k = 0; k < g; ++k) {
      std::int8_t* matrix = &generators[cells * k];
      PermuteUnderControl(state.Random, matrix, n, settings.measure_control, settings.diagonal,
                          non_directional[k] != 0, fixed, ws);
      PackMatrix(matrix, shape, list.Matrix(k));
    }
    // A compound's factors precede it, so they are rebuilt already.
    for (int k = g; k < e; ++k) {
      const WordEntry& word = state.WordTable[k];
      BooleanProduct(list.Matrix(word.Node), list.Matrix(word.Generator), list.Matrix(k), shape);
    }
    ParallelFor(workers, e, 1, [&](int, std::int64_t begin, std::int64_t end) {
      for (int i = static_cast<int>(begin); i < end; ++i) {
        for (int j = i + 1; j < e; ++j) {
          ComparePairToSample(stats, e, i, j, list.Matrix(i), list.Matrix(j), shape,
                              PairIncludesDiagonal(settings.diagonal, i, j, g));
        }
      }
    });
    if (state.Progress != nullptr) {
      const auto now = std::chrono::steady_clock::now();
      if (now - last_report > std::chrono::milliseconds(250)) {
        state.Progress->Advance("samples", s + 1, settings.sample_size);
        last_report = now;
      }
    }
  }
  if (state.Progress != nullptr) state.Progress->Finish();
  return 0;
}

}  // namespace quorel
