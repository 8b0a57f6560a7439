#include "pipeline/memory_estimate.hpp"

#include <algorithm>

#include "algebra/semigroup.hpp"
#include "core/element_relation.hpp"
#include "core/relation_matrix.hpp"
#include "core/worker_pool.hpp"
#include "measures/exact_proportion_matrices.hpp"
#include "measures/pair_measures.hpp"
#include "omega/closure_workspace.hpp"
#include "omega/factor_table.hpp"
#include "omega/product_table.hpp"
#include "sampling/generator_sampling.hpp"

namespace quorel {

namespace {

using Bytes = std::uint64_t;

// Appends the steps of a run in order, keeping what is in use between them.
class StepLedger {
 public:
  void Request(StorageKind kind, Bytes bytes) {
    steps_.push_back(StorageStep{kind, in_use_, bytes});
    in_use_ += bytes;
  }
  void Release(Bytes bytes) { in_use_ -= std::min(bytes, in_use_); }
  Bytes InUse() const { return in_use_; }
  std::vector<StorageStep> Steps() && { return std::move(steps_); }

 private:
  std::vector<StorageStep> steps_;
  Bytes in_use_ = 0;
};

// The matrix list's pool when slots 0..E (the elements and the spare) are open, grown as
// the list grows it, less the first 32 slots that come with the list.
Bytes MatrixPoolGrowth(int elements, int words) {
  const std::size_t first = static_cast<std::size_t>(32) * words;
  std::size_t capacity = first;
  for (int index = 32; index <= elements; index += 32) {
    capacity = GrownCapacity(capacity, static_cast<std::size_t>(index + 32) * words);
  }
  return (capacity - first) * sizeof(BitWord);
}

// The semigroup's working records for E elements, grown 32 rows at a time.
Bytes WorkingRecordBytes(int elements, int generators, const AnalysisOptions& options) {
  if (options.m_GeneratorProductsOnly) {
    return static_cast<Bytes>(std::max(options.m_MaxWordLength, 0) + 1) * generators * sizeof(std::int16_t);
  }
  std::size_t products = 0;
  std::size_t words = 0;
  for (int rows = 32;; rows += 32) {
    products = GrownCapacity(products, static_cast<std::size_t>(rows) * generators);
    words = GrownCapacity(words, static_cast<std::size_t>(rows));
    if (rows > elements) break;
  }
  return products * sizeof(std::int16_t) + words * sizeof(WordEntry);
}

void SamplerSteps(StepLedger& ledger, const ProblemSize& size, const AnalysisOptions& options) {
  const Bytes cells = static_cast<Bytes>(size.actors) * size.actors;
  const Bytes e = static_cast<Bytes>(size.elements);
  if (options.m_SampleSize < 1) return;
  if (options.m_PermutationStrategy == kPermutePairs) {
    if (size.elements < 2) return;
    ledger.Request(StorageKind::kSamplerBuffer, cells * e);
    return;
  }
  ledger.Request(StorageKind::kSamplerBuffer, cells * size.generators);
  ledger.Request(StorageKind::kSamplerBuffer, PairTableBytes(size.elements));
  // The sample copies of up to 16 samples, within a few megabytes, and, up to 64 actors,
  // the same relations with their rows laid end to end.
  const MatrixShape shape = MatrixShape::ForActors(size.actors);
  const Bytes sample = static_cast<Bytes>(shape.words) * e * sizeof(BitWord);
  const Bytes batch = std::clamp<Bytes>(std::min<Bytes>((Bytes{4} << 20) / std::max<Bytes>(sample, 1),
                                                        static_cast<Bytes>(options.m_SampleSize)),
                                        1, 16);
  ledger.Request(StorageKind::kSamplerBuffer, std::max<Bytes>(sample * batch, sizeof(BitWord)));
  if (shape.words_per_row == 1) {
    const Bytes close_packed = (cells + 63) / 64 * e * sizeof(BitWord);
    ledger.Request(StorageKind::kSamplerBuffer, std::max<Bytes>(close_packed * batch, sizeof(BitWord)));
  }
}

// One closure: its workspace's relations and queue, given back when it is done.
void ClosureSteps(StepLedger& ledger, int e) {
  ledger.Request(StorageKind::kScratchRelation, ClosureWorkspace::RelationBytes(e));
  ledger.Request(StorageKind::kQueueNode, ClosureWorkspace::QueueBytes(e));
  ledger.Release(ClosureWorkspace::RelationBytes(e) + ClosureWorkspace::QueueBytes(e));
}

void CutoffLevelSteps(StepLedger& ledger, int e, const AnalysisOptions& options) {
  const Bytes relation = ElementRelation::Bytes(e);
  const bool products_only = options.m_GeneratorProductsOnly != 0;
  ledger.Request(StorageKind::kOmega, relation);
  ledger.Request(StorageKind::kOmega, relation);
  if (!products_only) {
    ledger.Request(StorageKind::kOmega, 2 * relation);
    // Lower Omega: the product table, the closed partial order, a closure, the failed
    // pairs and the workspace of the extensions; then the two closures of the level.
    ledger.Request(StorageKind::kScratchRelation, ProductTable::Bytes(e));
    ledger.Request(StorageKind::kScratchRelation, relation);
    ClosureSteps(ledger, e);
    ledger.Request(StorageKind::kScratchRelation, relation);
    ClosureSteps(ledger, e);
    ledger.Release(2 * relation);
    ClosureSteps(ledger, e);
    ledger.Release(ProductTable::Bytes(e));
  }
  if (!options.m_FactorOmega && !(options.m_FactorLowerOmega && !products_only)) return;
  // A factorization: the product table, the closure of its relation, the factor table,
  // and the workspace of its extensions.
  ledger.Request(StorageKind::kScratchRelation, ProductTable::Bytes(e));
  ClosureSteps(ledger, e);
  ledger.Request(StorageKind::kFactorTable, FactorTable::TableBytes(e));
  ledger.Request(StorageKind::kScratchRelation, ClosureWorkspace::RelationBytes(e));
  ledger.Request(StorageKind::kQueueNode, ClosureWorkspace::QueueBytes(e));
}

}  // namespace

std::vector<StorageStep> EstimateStorageSteps(const ProblemSize& size, const AnalysisOptions& options) {
  StepLedger ledger;
  const int words = MatrixShape::ForActors(size.actors).words;
  const Bytes e = static_cast<Bytes>(size.elements);

  // Reading: the matrix list with its first 32 slots and `ident`.
  const Bytes list = static_cast<Bytes>(32) * words * sizeof(BitWord) + 64 * sizeof(std::int32_t);
  ledger.Request(StorageKind::kMatrixList, list);
  ledger.Request(StorageKind::kIdent, 2 * static_cast<Bytes>(size.relations) * sizeof(std::int16_t));

  // The semigroup: its matrices and records grow with the elements, then its tables.
  const Bytes pool = MatrixPoolGrowth(size.elements, words);
  const Bytes records = WorkingRecordBytes(size.elements, size.generators, options);
  ledger.Request(StorageKind::kWorkingRecords, pool + records);
  ledger.Request(StorageKind::kMultTable, e * e * sizeof(std::int16_t));
  ledger.Request(StorageKind::kWordTable, e * sizeof(WordEntry));
  ledger.Release(records);
  ledger.Request(StorageKind::kPartialOrder, ElementRelation::Bytes(size.elements));

  for (int k = 0; k < 6; ++k) ledger.Request(StorageKind::kStatistic, e * e * sizeof(float));
  const Bytes before_sampling = ledger.InUse();
  SamplerSteps(ledger, size, options);
  // The samplers' buffers are gone after the sampling; the exact P-values, asked for, come
  // while the relation matrices are still held, and those are gone before Omega.
  ledger.Release(ledger.InUse() - before_sampling);
  if (options.ExactP && options.m_PermutationStrategy == kPermutePairs) {
    ledger.Request(StorageKind::kStatistic, ExactProportionBytes(size.elements));
  }
  ledger.Release(list + pool);

  CutoffLevelSteps(ledger, size.elements, options);
  return std::move(ledger).Steps();
}

std::uint64_t EstimatePeakBytes(const ProblemSize& size, const AnalysisOptions& options) {
  std::uint64_t peak = 0;
  for (const StorageStep& step : EstimateStorageSteps(size, options)) peak = std::max(peak, step.After());
  return peak;
}

int MostElements(int actors, int generators, const AnalysisOptions& options) {
  const std::int64_t limit = kMaxElements;
  std::int64_t most = 0;
  if (options.m_GeneratorProductsOnly) {
    most = static_cast<std::int64_t>(generators) * (std::max(options.m_MaxWordLength, 0) + 1);
  } else {
    std::int64_t words = 1;
    for (int length = 0; length <= std::max(options.m_MaxWordLength, 0) && most < limit; ++length) {
      words = std::min<std::int64_t>(words * generators, limit);
      most += words;
    }
  }
  // At most 2^(N^2) distinct relations on N actors.
  const std::int64_t cells = static_cast<std::int64_t>(actors) * actors;
  if (cells < 16) most = std::min<std::int64_t>(most, std::int64_t{1} << cells);
  return static_cast<int>(std::min(most, limit));
}

}  // namespace quorel
