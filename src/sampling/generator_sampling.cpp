#include "sampling/generator_sampling.hpp"

#include <algorithm>
#include <bit>
#include <chrono>

#include "core/error.hpp"
#include "core/worker_pool.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "measures/sample_judge.hpp"
#include "sampling/generator_permutations.hpp"

namespace quorel {

namespace {

// One pair (i, j), i < j, of the pair table, and whether it counts the diagonal.
// A pair (i, j), i < j, as the samples are held against it.
struct SampledPair {
  std::int16_t i, j;
  bool include;  // its loops count
  ObservedStatistics observed;
};

// Ties the two packed relations share: the words' popcounts.
[[gnu::always_inline]] inline int SharedTies(const BitWord* a, const BitWord* b, int words) {
  int shared = 0;
  for (int w = 0; w < words; ++w) shared += std::popcount(a[w] & b[w]);
  return shared;
}

// What a sample's table of a pair needs from each relation: its ties, its loops, and the
// loops as one packed row (to take the loops both relations have off the shared ties).
struct RelationSummary {
  int ties = 0;
  int loops = 0;
  BitWord loop_bits[3] = {0, 0, 0};  // N <= 181 actors fit three words
};

RelationSummary Summarise(const BitWord* m, const MatrixShape& shape) {
  RelationSummary s;
  s.ties = SharedTies(m, m, shape.words);
  for (int r = 0; r < shape.n; ++r) {
    if (GetCell(m, shape, r, r)) {
      s.loop_bits[r >> 6] |= BitWord{1} << (r & 63);
      ++s.loops;
    }
  }
  return s;
}

// One sample's relations as its comparisons read them: each relation's summary, and the
// packed bits whose shared ties are counted (tie_words words a relation).
struct SampleRelations {
  const RelationSummary* summaries;
  const BitWord* ties;
  int tie_words;
};

// What every comparison needs besides the sample.
struct PairComparisons {
  const SampledPair* pairs;
  SampleCounts* counts;
  const SampleJudge* judge;
  int n;
  int loop_words;
};

// A pair's sample table follows from the ties its two relations share and each one's ties,
// with the loops taken off when they are not counted. Compiled twice (below), so that the
// population count is the processor's own instruction where it has one; both give the same
// numbers.
[[gnu::always_inline]] inline void CompareRangeInline(const PairComparisons& c, const SampleRelations& sample,
                                                      std::int64_t begin, std::int64_t end) {
  for (std::int64_t p = begin; p < end; ++p) {
    const SampledPair& pair = c.pairs[p];
    const RelationSummary& first = sample.summaries[pair.i];
    const RelationSummary& second = sample.summaries[pair.j];
    const std::size_t stride = static_cast<std::size_t>(sample.tie_words);
    int shared = SharedTies(sample.ties + pair.i * stride, sample.ties + pair.j * stride, sample.tie_words);
    int first_ties = first.ties;
    int second_ties = second.ties;
    if (!pair.include) {
      shared -= SharedTies(first.loop_bits, second.loop_bits, c.loop_words);
      first_ties -= first.loops;
      second_ties -= second.loops;
    }
    c.counts[p].Add(c.judge->Judge(pair.observed, CountedCells(c.n, pair.include), first_ties, second_ties, shared), 1);
  }
}

void CompareRangePortable(const PairComparisons& c, const SampleRelations& sample, std::int64_t begin,
                          std::int64_t end) {
  CompareRangeInline(c, sample, begin, end);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target("popcnt"))) void CompareRangePopcnt(const PairComparisons& c, const SampleRelations& sample,
                                                          std::int64_t begin, std::int64_t end) {
  CompareRangeInline(c, sample, begin, end);
}

void CompareRange(const PairComparisons& c, const SampleRelations& sample, std::int64_t begin, std::int64_t end) {
  static const bool has_popcnt = __builtin_cpu_supports("popcnt");
  if (has_popcnt) {
    CompareRangePopcnt(c, sample, begin, end);
  } else {
    CompareRangePortable(c, sample, begin, end);
  }
}
#else
void CompareRange(const PairComparisons& c, const SampleRelations& sample, std::int64_t begin, std::int64_t end) {
  CompareRangePortable(c, sample, begin, end);
}
#endif

}  // namespace

std::uint64_t PairTableBytes(int elements) {
  const std::uint64_t e = elements > 0 ? static_cast<std::uint64_t>(elements) : 0;
  return e * (e > 0 ? e - 1 : 0) / 2 * (sizeof(SampledPair) + sizeof(SampleCounts));
}

std::int16_t SampleGenerators(const MatrixList& relations, int elements, int generators,
                              const std::vector<WordEntry>& words, const std::vector<std::uint8_t>& non_directional,
                              const FixedMatrixRecord& fixed_matrix, const SamplingSettings& settings,
                              StatisticMatrices& stats, RandomSource& random, StorageGate& storage,
                              ProgressObserver* progress) {
  const int e = elements;
  const int g = generators;
  if (settings.sample_size < 1) return 0;
  const MatrixShape& shape = relations.Shape();
  const int n = shape.n;
  const FixedMatrixRecord* fixed = fixed_matrix.Groups.empty() ? nullptr : &fixed_matrix;

  // The generators as bytes, randomised in place from sample to sample.
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  std::vector<std::int8_t> generator_bytes;
  if (!storage.Obtain(StorageKind::kSamplerBuffer, generator_bytes, cells * g)) return 29;
  for (int k = 0; k < g; ++k) UnpackMatrix(relations.Matrix(k), shape, &generator_bytes[cells * k]);
  PermutationWorkspace ws;
  switch (ws.Obtain(storage, n, settings.measure_control, fixed_matrix.MaxGroupSize)) {
    case WorkspaceStatus::kReady: break;
    case WorkspaceStatus::kSamplerBufferFailed: return 29;
    case WorkspaceStatus::kShuffleWorkFailed: FatalError(FatalCode::kVariables);
  }

  // The pairs (i, j), i < j, row by row, with their observed statistics and the samples that
  // reached each so far. Within a batch of samples each pair is compared by one worker;
  // blocks of consecutive pairs keep the workers' counters apart.
  const std::size_t pair_total = static_cast<std::size_t>(e) * (e > 0 ? e - 1 : 0) / 2;
  if (!storage.Grant(StorageKind::kSamplerBuffer, PairTableBytes(e))) return 29;
  std::vector<SampledPair> pairs;
  pairs.reserve(pair_total);
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j) {
      const std::size_t up = static_cast<std::size_t>(i) * e + j;
      pairs.push_back({static_cast<std::int16_t>(i), static_cast<std::int16_t>(j),
                       PairIncludesDiagonal(settings.diagonal, i, j, g),
                       ObservedStatistics{stats.Kappa[up], stats.StdKappa[up], stats.L[up]}});
    }
  }
  std::vector<SampleCounts> counts(pairs.size());
  const std::int64_t pair_count = static_cast<std::int64_t>(pairs.size());
  const SampleJudge judge(n);

  // This process makes and compares the samples of its share. Each sample starts from the
  // generators as the one before left them, so the samples before the share are permuted
  // only (no products, no comparisons) to reach its first sample's generators and stream
  // position, and those after it too, so that the stream ends where a run alone leaves it.
  const WorkRange own = ShareOf(settings.sample_size, settings.share);
  const int own_samples = static_cast<int>(own.Size());

  // Samples are made in batches. A sample's generators are permuted from the previous
  // sample's, so the permutations are drawn one sample after another; the compounds of each
  // sample are then rebuilt by the workers, a sample each, and the workers compare the pairs.
  // A batch holds up to 16 samples, within a few megabytes.
  const std::size_t sample_words = static_cast<std::size_t>(shape.words) * e;
  const std::size_t sample_bytes = sample_words * sizeof(BitWord) + e * sizeof(RelationSummary);
  const int batch = static_cast<int>(std::clamp<std::size_t>(
      std::min<std::size_t>((4u << 20) / std::max<std::size_t>(sample_bytes, 1), own_samples), 1, 16));
  std::vector<BitWord> copies;
  if (!storage.Obtain(StorageKind::kSamplerBuffer, copies, std::max<std::size_t>(sample_words * batch, 1))) return 29;
  std::vector<RelationSummary> summaries(static_cast<std::size_t>(e) * batch);
  const auto relations_of = [&](int t) { return copies.data() + static_cast<std::size_t>(t) * sample_words; };
  const auto matrix_of = [&](int t, int k) { return relations_of(t) + static_cast<std::size_t>(k) * shape.words; };
  // Up to 64 actors a row fills part of one word; the ties two relations share are counted
  // on the rows laid end to end instead: N^2 bits in fewer words (6 instead of 18 at 18 actors).
  const bool close_packed = shape.words_per_row == 1;
  const int tie_words = close_packed ? (n * n + 63) / 64 : shape.words;
  std::vector<BitWord> packed;
  if (close_packed && !storage.Obtain(StorageKind::kSamplerBuffer, packed,
                                      std::max<std::size_t>(static_cast<std::size_t>(tie_words) * e * batch, 1))) {
    return 29;
  }
  const auto ties_of = [&](int t, int k) -> const BitWord* {
    if (!close_packed) return matrix_of(t, k);
    return packed.data() + (static_cast<std::size_t>(t) * e + k) * tie_words;
  };
  const auto pack_close = [&](int t, int k) {
    BitWord* out = packed.data() + (static_cast<std::size_t>(t) * e + k) * tie_words;
    std::fill(out, out + tie_words, BitWord{0});
    const BitWord* rows = matrix_of(t, k);
    for (int r = 0; r < n; ++r) {
      const int at = r * n;
      out[at >> 6] |= rows[r] << (at & 63);
      if ((at & 63) + n > 64) out[(at >> 6) + 1] |= rows[r] >> (64 - (at & 63));
    }
  };
  // One step of the chain of samples: every generator randomised from where the previous
  // sample left it.
  const auto permute_generators = [&] {
    for (int k = 0; k < g; ++k) {
      PermuteUnderControl(random, &generator_bytes[cells * k], n, settings.measure_control, settings.diagonal,
                          non_directional[k] != 0, fixed, ws);
    }
  };
  const auto make_generators = [&](int t) {
    permute_generators();
    for (int k = 0; k < g; ++k) PackMatrix(&generator_bytes[cells * k], shape, matrix_of(t, k));
  };
  const auto rebuild_compounds = [&](int t) {
    // A compound's factors precede it, so they are rebuilt already.
    for (int k = g; k < e; ++k) BooleanProduct(matrix_of(t, words[k].Node), matrix_of(t, words[k].Generator), matrix_of(t, k), shape);
    for (int k = 0; k < e; ++k) summaries[static_cast<std::size_t>(t) * e + k] = Summarise(matrix_of(t, k), shape);
    if (close_packed) {
      for (int k = 0; k < e; ++k) pack_close(t, k);
    }
  };
  const PairComparisons comparisons{pairs.data(), counts.data(), &judge, n, shape.words_per_row};
  const auto sample_relations = [&](int t) {
    return SampleRelations{&summaries[static_cast<std::size_t>(t) * e], ties_of(t, 0), tie_words};
  };

  WorkerPool pool(WorkerCount(settings.workers));
  const std::int64_t block = std::clamp<std::int64_t>(pair_count / (8 * pool.Workers()), 1, 256);
  auto last_report = std::chrono::steady_clock::now();
  const int samples = own_samples;
  for (std::int64_t before = 0; before < own.begin; ++before) {
    StopIfCancelled(progress);
    permute_generators();
  }
  for (int first = 0; first < samples; first += batch) {
    const int count = std::min(batch, samples - first);
    for (int t = 0; t < count; ++t) {
      StopIfCancelled(progress);
      make_generators(t);
    }
    pool.Run(count, 1, [&](int, std::int64_t begin, std::int64_t end) {
      for (std::int64_t t = begin; t < end; ++t) rebuild_compounds(static_cast<int>(t));
    });
    pool.Run(pair_count, block, [&](int, std::int64_t begin, std::int64_t end) {
      // Sample by sample: consecutive pairs mostly share their first relation, so one sample's
      // look-ups stay close together.
      for (int t = 0; t < count; ++t) CompareRange(comparisons, sample_relations(t), begin, end);
    });
    if (progress != nullptr) {
      const auto now = std::chrono::steady_clock::now();
      if (now - last_report > std::chrono::milliseconds(250)) {
        progress->Advance(Step::kSampling, first + count, samples);
        last_report = now;
      }
    }
  }
  for (std::int64_t after = own.end; after < settings.sample_size; ++after) {
    StopIfCancelled(progress);
    permute_generators();
  }
  for (std::int64_t p = 0; p < pair_count; ++p) AddSampleCounts(stats, e, pairs[p].i, pairs[p].j, counts[p]);
  if (progress != nullptr) progress->Finish();
  return 0;
}

}  // namespace quorel
