#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/element_relation.hpp"
#include "core/progress_observer.hpp"
#include "core/storage_gate.hpp"
#include "omega/extension_store.hpp"
#include "omega/product_table.hpp"

namespace quorel {

// The single-inclusion extensions of a relation `rel`: for every pair (i, j) outside rel,
// M(i, j) is the partial algebraic closure of rel plus (i, j). Every M(i, j) contains the
// closure of rel (the base), so each distinct extension is stored once, as the rows in
// which it differs from the base, and the table holds per pair the id of its extension.
//
// Two facts make the table cheap to fill and to query:
//   - (k, l) lies in M(i, j) exactly when M(k, l) lies inside M(i, j), since M(i, j) is
//     closed and contains rel. So containment between extensions is one bit test, and an
//     extension equals M(k, l) when it holds (k, l) and has as many pairs.
//   - A pair's direct consequences (its products on either side and its links through
//     base pairs) generate extensions inside its own. The pairs are visited in an order in
//     which those consequences come first (strongly connected groups of the consequence
//     graph, sinks first; a group shares one extension), and a closure takes in the stored
//     extension of every earlier pair it reaches as a whole.
class FactorTable {
 public:
  // Default budget for the stored extensions.
  static constexpr std::size_t kDefaultByteLimit = std::size_t{4} << 30;

  // Fills the table for `rel` (reflexive; closed, or the unclosed Omega of generator
  // products). The id table and the visiting order are one kFactorTable request
  // (FatalError(FatalCode::kVariables)); each distinct extension is one kExtension request. A refused
  // extension, or one that would pass `byte_limit` bytes of stored rows, ends the run with
  // the out-of-memory message naming its first generating pair. Before each group's
  // closure it asks `stop` whether to end (an Error of kind kCancelled).
  void Build(const ElementRelation& rel, const ProductTable& products, StorageGate& gate,
             std::size_t byte_limit = kDefaultByteLimit, const ProgressObserver* stop = nullptr);

  // The bytes of the kFactorTable request for `element_count` elements.
  static std::uint64_t TableBytes(int element_count);

  int Size() const { return e_; }
  const ElementRelation& Relation() const { return rel_; }
  const ElementRelation& Base() const { return base_; }

  // Whether M(i, j) exists (rel (i, j) is 0), and the id of its extension (-1 when not).
  bool Exists(int i, int j) const { return ExtensionOf(i, j) >= 0; }
  int ExtensionOf(int i, int j) const { return ext_[static_cast<std::size_t>(i) * e_ + j]; }

  int ExtensionCount() const { return static_cast<int>(distance_.size()); }
  // The number of cells in which extension x differs from rel.
  std::int64_t Distance(int x) const { return distance_[static_cast<std::size_t>(x)]; }
  // The number of pairs that generate extension x.
  std::int64_t Generators(int x) const { return generators_[static_cast<std::size_t>(x)]; }

  // Whether extension x holds (r, c). Cost: O(log rows of x).
  bool ExtensionHas(int x, int r, int c) const;

  // Writes extension x into m (resized to E x E).
  void Materialize(int x, ElementRelation& m) const;

  std::size_t BytesUsed() const { return store_.BytesUsed(); }

 private:
  friend class FactorTableBuilder;

  int e_ = 0;
  ElementRelation rel_;
  ElementRelation base_;
  std::vector<std::int32_t> ext_;
  std::vector<std::int64_t> distance_;
  std::vector<std::int64_t> generators_;
  // Extension id -> store id; -1 for the base itself (the extension of the pairs of the
  // base outside rel, when rel is not closed).
  std::vector<std::int32_t> stored_;
  ExtensionStore store_;
};

}  // namespace quorel
