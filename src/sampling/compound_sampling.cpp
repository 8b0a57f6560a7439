#include "sampling/compound_sampling.hpp"

#include <algorithm>

#include "engine/analysis_state.hpp"
#include "engine/fatal_error.hpp"
#include "engine/worker_pool.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/pair_draws.hpp"

namespace quorel {

namespace {

// The pairs (i, j), i < j, numbered row by row; row i starts at RowStart(i).
class PairNumbering {
 public:
  explicit PairNumbering(int e) : row_start_(e + 1, 0) {
    for (int i = 0; i < e; ++i) row_start_[i + 1] = row_start_[i] + (e - 1 - i);
  }
  std::int64_t Count() const { return row_start_.back(); }
  std::int64_t RowStart(int i) const { return row_start_[i]; }
  // The row holding pair p.
  int RowOf(std::int64_t p) const {
    return static_cast<int>(std::upper_bound(row_start_.begin(), row_start_.end(), p) - row_start_.begin()) - 1;
  }

 private:
  std::vector<std::int64_t> row_start_;
};

}  // namespace

std::int16_t SampleCompoundPairs(AnalysisState& state, StatisticMatrices& stats, const SamplingSettings& settings) {
  const int e = state.ElementCount;
  const int g = state.GeneratorCount;
  const int n = state.N;
  const int samples = settings.sample_size;
  if (samples < 1 || e < 2 || settings.measure_control < 0 || settings.measure_control > 6) return 0;
  const FixedMatrixRecord* fixed = state.FixedMatrix.Groups.empty() ? nullptr : &state.FixedMatrix;

  // The relations as bytes, one cell a byte, as the samplers walk them.
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  std::vector<std::int8_t> bytes;
  if (!state.Storage.Obtain(StorageKind::kSamplerBuffer, bytes, cells * e)) return 29;
  for (int k = 0; k < e; ++k) UnpackMatrix(state.MatrixList.Matrix(k), state.MatrixList.Shape(), &bytes[cells * k]);

  const int workers = WorkerCount(settings.workers);
  std::vector<PairWorkspace> spaces(workers);
  for (PairWorkspace& ws : spaces) {
    switch (ws.Obtain(state.Storage, n, settings.measure_control, state.FixedMatrix.MaxGroupSize)) {
      case WorkspaceStatus::kReady: break;
      case WorkspaceStatus::kSamplerBufferFailed: return 29;
      case WorkspaceStatus::kShuffleWorkFailed: FatalError(9);
    }
  }

  // Draws of one sample of a pair depend on its second relation and on whether the pair
  // counts the diagonal, which is the same for every pair of a row. prefix[d][j] sums the
  // draws of the second relations 0..j-1 under diagonal decision d.
  std::vector<std::uint64_t> prefix[2];
  for (int d = 0; d < 2; ++d) {
    prefix[d].assign(e + 1, 0);
    for (int j = 0; j < e; ++j) {
      const std::int64_t draws = PairSampleDrawCount(n, d == 1, settings.measure_control, state.Directionality,
                                                     &bytes[cells * j], fixed);
      prefix[d][j + 1] = prefix[d][j] + static_cast<std::uint64_t>(draws);
    }
  }
  const PairNumbering pairs(e);
  std::vector<std::uint64_t> row_offset(e + 1, 0);
  auto row_diagonal = [&](int i) { return PairIncludesDiagonal(settings.diagonal, i, e - 1, g) ? 1 : 0; };
  for (int i = 0; i < e; ++i) {
    const int d = row_diagonal(i);
    row_offset[i + 1] = row_offset[i] + static_cast<std::uint64_t>(samples) * (prefix[d][e] - prefix[d][i + 1]);
  }

  const RandomSource base = state.Random;
  const int control = settings.measure_control;
  const int directionality = state.Directionality;
  ParallelFor(
      workers, pairs.Count(), 64,
      [&](int worker, std::int64_t begin, std::int64_t end) {
        PairWorkspace& ws = spaces[worker];
        int i = pairs.RowOf(begin);
        for (std::int64_t p = begin; p < end; ++p) {
          while (p >= pairs.RowStart(i + 1)) ++i;
          const int j = i + 1 + static_cast<int>(p - pairs.RowStart(i));
          const int d = row_diagonal(i);
          const bool include = d == 1;
          RandomSource random =
              base.Ahead(row_offset[i] + static_cast<std::uint64_t>(samples) * (prefix[d][j] - prefix[d][i + 1]));
          ws.Prepare(&bytes[cells * i], &bytes[cells * j], include);
          const int counted = CountedCells(n, include);
          FourfoldTable x, y;
          for (int s = 0; s < samples; ++s) {
            DrawPairSample(random, control, directionality, fixed, ws, x, y);
            TallySampledTables(stats, e, x, y, i, j, counted);
          }
        }
      },
      state.Progress, "pairs");
  if (state.Progress != nullptr) state.Progress->Finish();
  state.Random.Skip(row_offset[e]);
  return 0;
}

}  // namespace quorel
