#include "sampling/compound_sampling.hpp"

#include <algorithm>

#include "core/error.hpp"
#include "core/worker_pool.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/null_model.hpp"
#include "sampling/overlap_sampler.hpp"

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

// How often each overlap (T3 of the sample table) and each count of exchanged discordant
// cells (T1 of the swap table) occurred among the samples of the pair in work. A sample's
// statistics are functions of these counts alone, so each distinct table is compared with the
// observed statistics once, with exactly the comparison a single sample gets.
class SampleTally {
 public:
  bool Obtain(StorageGate& gate, int cells) {
    return gate.Obtain(StorageKind::kSamplerBuffer, overlaps_, static_cast<std::size_t>(cells) + 1) &&
           gate.Obtain(StorageKind::kSamplerBuffer, exchanges_, static_cast<std::size_t>(cells) + 1);
  }

  // Draws `samples` samples of the prepared pair (i, j), the first from a source in state
  // `state`, and counts those that reach each observed statistic.
  SampleCounts Run(OverlapSampler& sampler, const StatisticMatrices& stats, int e, int i, int j,
                   std::uint64_t state, int samples) {
    SampleCounts counts;
    const int counted = sampler.Counted();
    if (!sampler.Active()) {
      // No sampler: every sample leaves both tables empty.
      const FourfoldTable empty;
      counts.mcnemar = SwapTableReaches(stats, e, i, j, empty) ? samples : 0;
      counts.Add(SampledTableReaches(stats, e, i, j, empty, counted), samples);
      return counts;
    }
    const std::uint64_t stride = static_cast<std::uint64_t>(sampler.DrawsPerSample()) * RandomSource::kIncrement;
    const bool ties_vary = sampler.SecondTiesVary();
    int low = counted, high = 0;  // the overlaps seen
    for (int s = 0; s < samples; ++s, state += stride) {
      const OverlapSample sample = sampler.Draw(state);
      ++exchanges_[sample.second_only];
      if (ties_vary) {
        counts.Add(SampledTableReaches(stats, e, i, j, Table(sampler, sample.overlap, sample.second_ties), counted), 1);
      } else {
        ++overlaps_[sample.overlap];
        low = std::min(low, sample.overlap);
        high = std::max(high, sample.overlap);
      }
    }
    for (int t = low; t <= high; ++t) {
      if (overlaps_[t] == 0) continue;
      counts.Add(SampledTableReaches(stats, e, i, j, Table(sampler, t, sampler.SecondTies()), counted), overlaps_[t]);
      overlaps_[t] = 0;
    }
    const int discordant = sampler.Discordant();
    for (int t = 0; t <= discordant; ++t) {
      if (exchanges_[t] == 0) continue;
      counts.mcnemar += SwapTableReaches(stats, e, i, j, SwapTableOf(t, discordant)) ? exchanges_[t] : 0;
      exchanges_[t] = 0;
    }
    return counts;
  }

 private:
  static FourfoldTable Table(const OverlapSampler& sampler, int overlap, int second_ties) {
    return SampleTableOf(sampler.Counted(), sampler.FirstTies(), second_ties, overlap);
  }

  std::vector<std::int64_t> overlaps_;
  std::vector<std::int64_t> exchanges_;
};

// One worker's sampler and tally, kept apart from the other workers' in memory.
struct alignas(64) PairWorker {
  OverlapSampler sampler;
  SampleTally tally;
};

}  // namespace

std::int16_t SampleCompoundPairs(const MatrixList& relations, int elements, int generators, int directionality,
                                 const FixedMatrixRecord& fixed_matrix, const SamplingSettings& settings,
                                 StatisticMatrices& stats, RandomSource& random, StorageGate& storage,
                                 ProgressObserver* progress) {
  const int e = elements;
  const int g = generators;
  const int n = relations.Shape().n;
  const int samples = settings.sample_size;
  if (samples < 1 || e < 2 || settings.measure_control < 0 || settings.measure_control > 6) return 0;
  const FixedMatrixRecord* fixed = fixed_matrix.Groups.empty() ? nullptr : &fixed_matrix;

  // The relations as bytes, one cell a byte, as the samplers walk them.
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  std::vector<std::int8_t> bytes;
  if (!storage.Obtain(StorageKind::kSamplerBuffer, bytes, cells * e)) return 29;
  for (int k = 0; k < e; ++k) UnpackMatrix(relations.Matrix(k), relations.Shape(), &bytes[cells * k]);

  const int workers = WorkerCount(settings.workers);
  std::vector<PairWorker> spaces(workers);
  for (PairWorker& space : spaces) {
    switch (space.sampler.Obtain(storage, n, settings.measure_control, directionality, fixed)) {
      case WorkspaceStatus::kReady: break;
      case WorkspaceStatus::kSamplerBufferFailed: return 29;
      case WorkspaceStatus::kShuffleWorkFailed: FatalError(FatalCode::kVariables);
    }
    if (!space.tally.Obtain(storage, n * n)) return 29;
  }

  // Draws of one sample of a pair depend on its second relation and on whether the pair
  // counts the diagonal, which is the same for every pair of a row. prefix[d][j] sums the
  // draws of the second relations 0..j-1 under diagonal decision d.
  std::vector<std::uint64_t> prefix[2];
  for (int d = 0; d < 2; ++d) {
    prefix[d].assign(e + 1, 0);
    for (int j = 0; j < e; ++j) {
      const std::int64_t draws =
          PairSampleDrawCount(n, d == 1, settings.measure_control, directionality, &bytes[cells * j], fixed);
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

  const RandomSource base = random;
  // Pairs are handed out one at a time: a pair's samples cost far more than taking the next
  // index, and pairs of dense relations cost many times more than others, so larger blocks
  // leave one worker waiting at the end. The result does not depend on the handing out.
  // Each pair starts at its own position of the stream, so a process takes its share of the
  // numbering as it is and skips the rest.
  const WorkRange own = ShareOf(pairs.Count(), settings.share);
  ParallelFor(
      workers, own.Size(), 1,
      [&](int worker, std::int64_t begin, std::int64_t end) {
        PairWorker& space = spaces[worker];
        begin += own.begin;
        end += own.begin;
        int i = pairs.RowOf(begin);
        for (std::int64_t p = begin; p < end; ++p) {
          while (p >= pairs.RowStart(i + 1)) ++i;
          const int j = i + 1 + static_cast<int>(p - pairs.RowStart(i));
          const int d = row_diagonal(i);
          const std::uint64_t start =
              base.Ahead(row_offset[i] + static_cast<std::uint64_t>(samples) * (prefix[d][j] - prefix[d][i + 1]))
                  .State();
          space.sampler.Prepare(&bytes[cells * i], &bytes[cells * j], d == 1);
          const SampleCounts counts = space.tally.Run(space.sampler, stats, e, i, j, start, samples);
          AddSampleCounts(stats, e, i, j, counts);
        }
      },
      progress, Step::kSampling);
  if (progress != nullptr) progress->Finish();
  random.Skip(row_offset[e]);
  return 0;
}

}  // namespace quorel
