#include "sampling/generator_sampling.hpp"

#include <algorithm>
#include <bit>
#include <chrono>

#include "core/error.hpp"
#include "core/worker_pool.hpp"
#include "measures/diagonal_rule.hpp"
#include "measures/pair_measures.hpp"
#include "sampling/generator_permutations.hpp"

namespace quorel {

namespace {

// One pair (i, j), i < j, of the pair table, and whether it counts the diagonal.
struct SampledPair {
  std::int16_t i, j;
  bool include;
};

// Ties the two packed relations share: the words' popcounts. The portable build has no
// population-count instruction of its own, so the count is compiled twice and the
// instruction used where the processor has it; both give the same numbers.
int SharedTiesPortable(const BitWord* a, const BitWord* b, int words) {
  int shared = 0;
  for (int w = 0; w < words; ++w) shared += std::popcount(a[w] & b[w]);
  return shared;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
__attribute__((target("popcnt"))) int SharedTiesPopcnt(const BitWord* a, const BitWord* b, int words) {
  int shared = 0;
  for (int w = 0; w < words; ++w) shared += __builtin_popcountll(a[w] & b[w]);
  return shared;
}

int SharedTies(const BitWord* a, const BitWord* b, int words) {
  static const bool has_popcnt = __builtin_cpu_supports("popcnt");
  return has_popcnt ? SharedTiesPopcnt(a, b, words) : SharedTiesPortable(a, b, words);
}
#else
int SharedTies(const BitWord* a, const BitWord* b, int words) { return SharedTiesPortable(a, b, words); }
#endif

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

  // The pairs (i, j), i < j, row by row, with the samples that reached each statistic so far.
  // Within a batch of samples each pair is compared by one worker; blocks of consecutive
  // pairs keep the workers' counters apart.
  const std::size_t pair_total = static_cast<std::size_t>(e) * (e > 0 ? e - 1 : 0) / 2;
  if (!storage.Grant(StorageKind::kSamplerBuffer, PairTableBytes(e))) return 29;
  std::vector<SampledPair> pairs;
  pairs.reserve(pair_total);
  for (int i = 0; i < e; ++i) {
    for (int j = i + 1; j < e; ++j) {
      pairs.push_back({static_cast<std::int16_t>(i), static_cast<std::int16_t>(j),
                       PairIncludesDiagonal(settings.diagonal, i, j, g)});
    }
  }
  std::vector<SampleCounts> counts(pairs.size());
  const std::int64_t pair_count = static_cast<std::int64_t>(pairs.size());

  // Samples are made in batches, one after another (their draws, permutations and products
  // depend on the samples before them), into one of two sets of the relations' sample copies;
  // the workers compare the pairs of one batch while the next batch is made into the other
  // set. A batch holds up to 16 samples, within a few megabytes.
  const std::size_t sample_words = static_cast<std::size_t>(shape.words) * e;
  const std::size_t sample_bytes = sample_words * sizeof(BitWord) + e * sizeof(RelationSummary);
  const int batch = static_cast<int>(std::clamp<std::size_t>(
      std::min<std::size_t>((4u << 20) / std::max<std::size_t>(sample_bytes, 1), settings.sample_size), 1, 16));
  std::vector<BitWord> copies[2];
  for (std::vector<BitWord>& copy : copies) {
    if (!storage.Obtain(StorageKind::kSamplerBuffer, copy, std::max<std::size_t>(sample_words * batch, 1))) {
      return 29;
    }
  }
  std::vector<RelationSummary> summaries[2];
  for (std::vector<RelationSummary>& summary : summaries) summary.resize(static_cast<std::size_t>(e) * batch);
  const auto relations_of = [&](int set, int t) {
    return copies[set].data() + static_cast<std::size_t>(t) * sample_words;
  };
  const auto make_sample = [&](int set, int t) {
    BitWord* sample = relations_of(set, t);
    const auto matrix = [&](int k) { return sample + static_cast<std::size_t>(k) * shape.words; };
    for (int k = 0; k < g; ++k) {
      std::int8_t* bytes = &generator_bytes[cells * k];
      PermuteUnderControl(random, bytes, n, settings.measure_control, settings.diagonal, non_directional[k] != 0,
                          fixed, ws);
      PackMatrix(bytes, shape, matrix(k));
    }
    // A compound's factors precede it, so they are rebuilt already.
    for (int k = g; k < e; ++k) BooleanProduct(matrix(words[k].Node), matrix(words[k].Generator), matrix(k), shape);
    for (int k = 0; k < e; ++k) summaries[set][static_cast<std::size_t>(t) * e + k] = Summarise(matrix(k), shape);
  };
  // A pair's sample table follows from the ties its two relations share and each one's ties,
  // with the loops taken off when they are not counted.
  const auto compare = [&](int set, int t, std::int64_t p) {
    const SampledPair& pair = pairs[p];
    const BitWord* relations = relations_of(set, t);
    const RelationSummary& first = summaries[set][static_cast<std::size_t>(t) * e + pair.i];
    const RelationSummary& second = summaries[set][static_cast<std::size_t>(t) * e + pair.j];
    int shared = SharedTies(relations + static_cast<std::size_t>(pair.i) * shape.words,
                            relations + static_cast<std::size_t>(pair.j) * shape.words, shape.words);
    int first_ties = first.ties;
    int second_ties = second.ties;
    if (!pair.include) {
      shared -= SharedTies(first.loop_bits, second.loop_bits, shape.words_per_row);
      first_ties -= first.loops;
      second_ties -= second.loops;
    }
    const int counted = CountedCells(n, pair.include);
    FourfoldTable x;
    x[0] = static_cast<float>(counted - first_ties - second_ties + shared);
    x[1] = static_cast<float>(second_ties - shared);
    x[2] = static_cast<float>(first_ties - shared);
    x[3] = static_cast<float>(shared);
    counts[p].Add(SampledTableReaches(stats, e, pair.i, pair.j, x, counted), 1);
  };

  WorkerPool pool(WorkerCount(settings.workers));
  const std::int64_t block = std::clamp<std::int64_t>(pair_count / (8 * pool.Workers()), 1, 256);
  auto last_report = std::chrono::steady_clock::now();
  const int samples = settings.sample_size;
  for (int t = 0; t < std::min(batch, samples); ++t) make_sample(0, t);
  for (int first = 0, set = 0; first < samples; first += batch, set = 1 - set) {
    const int count = std::min(batch, samples - first);
    const int next = std::min(batch, samples - first - count);
    // Index 0 stands for making the next batch (the first block, usually taken by the calling
    // thread); index p + 1 for pair p, compared in every sample of this batch by one worker.
    pool.Run(pair_count + 1, block, [&](int, std::int64_t begin, std::int64_t end) {
      if (begin == 0) {
        for (int t = 0; t < next; ++t) {
          StopIfCancelled(progress);
          make_sample(1 - set, t);
        }
        begin = 1;
      }
      for (std::int64_t p = begin - 1; p < end - 1; ++p) {
        for (int t = 0; t < count; ++t) compare(set, t, p);
      }
    });
    if (progress != nullptr) {
      const auto now = std::chrono::steady_clock::now();
      if (now - last_report > std::chrono::milliseconds(250)) {
        progress->Advance(Step::kSampling, first + count, samples);
        last_report = now;
      }
    }
  }
  for (std::int64_t p = 0; p < pair_count; ++p) AddSampleCounts(stats, e, pairs[p].i, pairs[p].j, counts[p]);
  if (progress != nullptr) progress->Finish();
  return 0;
}

}  // namespace quorel
