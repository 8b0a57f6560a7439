#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "core/element_relation.hpp"
#include "core/storage_gate.hpp"
#include "omega/product_table.hpp"

namespace quorel {

// Working storage for the partial algebraic closure of element relations that differ from a
// closed base by a few pairs, as in the single-inclusion extensions of a closed relation.
//
// The relation is held twice, as packed rows and packed columns, so that both the elements
// above and the elements below a given one are a bit scan away. Every pair added after the
// base carries two obligations:
//   - products: for each element c, the pairs (a c, b c) and (c a, c b), where both are
//     elements, must be in the relation; the pair waits in a first-in first-out queue;
//   - transitivity: (x, a) and (a, b) give (x, b). Pending pairs are gathered per row: when
//     row a is processed, the rows of all its pending second elements are OR-ed together
//     once and the result is OR-ed into every row x that includes a.
// The base is closed, so none of its pairs owes anything. For a reflexive base this reaches
// exactly the least transitive, product-compatible relation containing the added pairs:
// each pair's obligations are met with the relation as it stands when they are processed,
// and whichever of (x, a), (a, b) comes second is processed after the first is present.
//
// Relations passed in must be reflexive (diagonal 1).
class ClosureWorkspace {
 public:
  // Storage for relations over products.Size() elements: the rows, columns and pending
  // marks as one kScratchRelation request (FatalError(FatalCode::kVariables)), the queue as one kQueueNode
  // request (FatalError(FatalCode::kInclusions)).
  ClosureWorkspace(const ProductTable& products, StorageGate& gate);

  // The bytes of the two requests for `element_count` elements, counted by the gate while
  // the workspace exists: the relations (rows, columns, pending marks) and the queue.
  static std::uint64_t RelationBytes(int element_count);
  static std::uint64_t QueueBytes(int element_count);

  int Size() const { return e_; }
  int WordsPerRow() const { return w_; }

  // Makes `base`, which must be closed, the relation every later closure starts from, and
  // the working relation equal to it.
  void SetBase(const ElementRelation& base);

  // Loads a reflexive, transitive relation whose pairs may still owe products: every
  // off-diagonal pair is queued for them. The loaded relation becomes the base.
  void LoadTransitive(const ElementRelation& m);

  // Returns the working relation to the base. Cost: the rows and columns touched since.
  void Restore();

  bool Has(int r, int c) const { return (rows_[Index(r, c)] >> (c & 63)) & 1u; }
  bool BaseHas(int r, int c) const { return (base_rows_[Index(r, c)] >> (c & 63)) & 1u; }
  const BitWord* Row(int r) const { return rows_.data() + static_cast<std::size_t>(r) * w_; }
  const BitWord* BaseRow(int r) const { return base_rows_.data() + static_cast<std::size_t>(r) * w_; }

  // Pairs added to the base so far.
  std::int64_t Added() const { return added_; }

  // Adds (r, c) when absent; `hook(r, c)` sees it like every pair found later.
  template <class Hook>
  void Add(int r, int c, Hook& hook) {
    if (!Has(r, c)) Discover(r, c, hook);
  }

  // Adds the pairs of row r of a closed relation that contains the base. Their products
  // are pairs of that relation too, so only transitivity is drawn from them; the hook does
  // not see them. Cost: O(words of a row + pairs added).
  void AbsorbRow(int r, const BitWord* row);

  // Makes row r equal to row r of a closed relation that contains the working relation,
  // which must owe nothing yet (just after SetBase or Restore). Applied to every row in
  // which that relation differs from the base, it makes the working relation that closed
  // relation, with nothing owed. Cost: O(words of a row + pairs added).
  void OverlayClosedRow(int r, const BitWord* row);

  // Draws consequences until the relation is closed and returns true, or until the hook
  // returns false for a new pair and returns false (the relation is then partial).
  // Cost: O(E) table lookups and O(E / 64) words per row and column touched, per pair added.
  template <class Hook>
  bool Drain(Hook& hook) {
    while (!stopped_) {
      if (head_ < tail_) {
        const std::uint32_t p = queue_[head_++];
        ExpandProducts(static_cast<int>(p / static_cast<std::uint32_t>(e_)),
                       static_cast<int>(p % static_cast<std::uint32_t>(e_)), hook);
        continue;
      }
      if (!dirty_list_.empty()) {
        const int a = dirty_list_.back();
        dirty_list_.pop_back();
        dirty_[a] = 0;
        ProcessRow(a, hook);
        continue;
      }
      return true;
    }
    return false;
  }

  // The rows in which the working relation differs from the base, ascending.
  void ChangedRows(std::vector<int>& rows) const;

  // Writes the working relation into m (resized to E x E).
  void CopyTo(ElementRelation& m) const;

 private:
  std::size_t Index(int r, int c) const { return static_cast<std::size_t>(r) * w_ + (c >> 6); }

  void TouchRow(int r) {
    if (!row_touched_[r]) {
      row_touched_[r] = 1;
      touched_rows_.push_back(r);
    }
  }
  void TouchColumn(int c) {
    if (!column_touched_[c]) {
      column_touched_[c] = 1;
      touched_columns_.push_back(c);
    }
  }
  void MarkDirty(int r) {
    if (!dirty_[r]) {
      dirty_[r] = 1;
      dirty_list_.push_back(r);
    }
  }

  template <class Hook>
  void Discover(int x, int y, Hook& hook) {
    const BitWord bit = BitWord{1} << (y & 63);
    rows_[Index(x, y)] |= bit;
    pending_[Index(x, y)] |= bit;
    cols_[Index(y, x)] |= BitWord{1} << (x & 63);
    TouchRow(x);
    TouchColumn(y);
    MarkDirty(x);
    queue_[tail_++] = static_cast<std::uint32_t>(x) * static_cast<std::uint32_t>(e_) + static_cast<std::uint32_t>(y);
    ++added_;
    if (!hook(x, y)) stopped_ = true;
  }

  // The pairs (a c, b c) and (c a, c b) for every c whose products are elements.
  template <class Hook>
  void ExpandProducts(int a, int b, Hook& hook) {
    const std::int16_t* ra = products_.Right(a);
    const std::int16_t* rb = products_.Right(b);
    for (int c = 0; c < e_; ++c) {
      const int x = ra[c];
      const int y = rb[c];
      if ((x | y) >= 0 && !Has(x, y)) {
        Discover(x, y, hook);
        if (stopped_) return;
      }
    }
    const std::int16_t* la = products_.Left(a);
    const std::int16_t* lb = products_.Left(b);
    for (int c = 0; c < e_; ++c) {
      const int x = la[c];
      const int y = lb[c];
      if ((x | y) >= 0 && !Has(x, y)) {
        Discover(x, y, hook);
        if (stopped_) return;
      }
    }
  }

  // Transitivity for the pending pairs (a, b) of row a: every row x that includes a gains
  // the rows of all those b.
  template <class Hook>
  void ProcessRow(int a, Hook& hook) {
    BitWord* pend = pending_.data() + static_cast<std::size_t>(a) * w_;
    BitWord* acc = acc_.data();
    for (int k = 0; k < w_; ++k) acc[k] = 0;
    for (int k = 0; k < w_; ++k) {
      BitWord bits = pend[k];
      pend[k] = 0;
      while (bits != 0) {
        const int b = k * 64 + std::countr_zero(bits);
        bits &= bits - 1;
        const BitWord* rb = Row(b);
        for (int i = 0; i < w_; ++i) acc[i] |= rb[i];
      }
    }
    const BitWord* col = cols_.data() + static_cast<std::size_t>(a) * w_;
    for (int k = 0; k < w_; ++k) {
      BitWord xs = col[k];
      while (xs != 0) {
        const int x = k * 64 + std::countr_zero(xs);
        xs &= xs - 1;
        const BitWord* rx = Row(x);
        for (int i = 0; i < w_; ++i) {
          BitWord fresh = acc[i] & ~rx[i];
          while (fresh != 0) {
            const int y = i * 64 + std::countr_zero(fresh);
            fresh &= fresh - 1;
            if (!Has(x, y)) {
              Discover(x, y, hook);
              if (stopped_) return;
            }
          }
        }
      }
    }
  }

  const ProductTable& products_;
  int e_ = 0;
  int w_ = 0;
  std::vector<BitWord> rows_, cols_, base_rows_, base_cols_, pending_, acc_;
  std::vector<std::uint8_t> row_touched_, column_touched_, dirty_;
  std::vector<int> touched_rows_, touched_columns_, dirty_list_;
  std::vector<std::uint32_t> queue_;
  StorageHold relations_hold_;
  StorageHold queue_hold_;
  std::size_t head_ = 0;
  std::size_t tail_ = 0;
  std::int64_t added_ = 0;
  bool stopped_ = false;
};

}  // namespace quorel
