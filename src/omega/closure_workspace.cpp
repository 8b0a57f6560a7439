#include "omega/closure_workspace.hpp"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/error.hpp"

namespace quorel {

ClosureWorkspace::ClosureWorkspace(const ProductTable& products, StorageGate& gate)
    : products_(products), e_(products.Size()), w_((products.Size() + 63) / 64) {
  const std::size_t words = static_cast<std::size_t>(e_) * w_;
  const std::size_t e = static_cast<std::size_t>(e_);
  if (!gate.Grant(StorageKind::kScratchRelation, RelationBytes(e_))) FatalError(FatalCode::kVariables);
  relations_hold_ = StorageHold(gate, StorageKind::kScratchRelation, RelationBytes(e_));
  try {
    rows_.assign(words, 0);
    cols_.assign(words, 0);
    base_rows_.assign(words, 0);
    base_cols_.assign(words, 0);
    pending_.assign(words, 0);
    acc_.assign(static_cast<std::size_t>(w_), 0);
    row_touched_.assign(e, 0);
    column_touched_.assign(e, 0);
    dirty_.assign(e, 0);
    touched_rows_.reserve(e);
    touched_columns_.reserve(e);
    dirty_list_.reserve(e);
  } catch (const std::bad_alloc&) {
    FatalError(FatalCode::kVariables);
  }
  if (!gate.Obtain(StorageKind::kQueueNode, queue_, e * e, std::uint32_t{0})) FatalError(FatalCode::kInclusions);
  queue_hold_ = StorageHold(gate, StorageKind::kQueueNode, QueueBytes(e_));
}

std::uint64_t ClosureWorkspace::RelationBytes(int element_count) {
  const std::uint64_t e = element_count > 0 ? static_cast<std::uint64_t>(element_count) : 0;
  const std::uint64_t w = (e + 63) / 64;
  // Rows, columns, their base copies and the pending marks; one row of words; three marks
  // and three lists per element.
  return 5 * e * w * sizeof(BitWord) + w * sizeof(BitWord) + 3 * e + 3 * e * sizeof(int);
}

std::uint64_t ClosureWorkspace::QueueBytes(int element_count) {
  const std::uint64_t e = element_count > 0 ? static_cast<std::uint64_t>(element_count) : 0;
  return e * e * sizeof(std::uint32_t);
}

void ClosureWorkspace::SetBase(const ElementRelation& base) {
  std::copy(base.Words().begin(), base.Words().end(), base_rows_.begin());
  std::fill(base_cols_.begin(), base_cols_.end(), 0);
  for (int r = 0; r < e_; ++r) {
    const BitWord* row = BaseRow(r);
    for (int k = 0; k < w_; ++k) {
      BitWord bits = row[k];
      while (bits != 0) {
        const int c = k * 64 + std::countr_zero(bits);
        bits &= bits - 1;
        base_cols_[Index(c, r)] |= BitWord{1} << (r & 63);
      }
    }
  }
  rows_ = base_rows_;
  cols_ = base_cols_;
  std::fill(row_touched_.begin(), row_touched_.end(), 0);
  std::fill(column_touched_.begin(), column_touched_.end(), 0);
  std::fill(pending_.begin(), pending_.end(), 0);
  std::fill(dirty_.begin(), dirty_.end(), 0);
  touched_rows_.clear();
  touched_columns_.clear();
  dirty_list_.clear();
  head_ = tail_ = 0;
  added_ = 0;
  stopped_ = false;
}

void ClosureWorkspace::LoadTransitive(const ElementRelation& m) {
  SetBase(m);
  for (int r = 0; r < e_; ++r) {
    const BitWord* row = Row(r);
    for (int k = 0; k < w_; ++k) {
      BitWord bits = row[k];
      while (bits != 0) {
        const int c = k * 64 + std::countr_zero(bits);
        bits &= bits - 1;
        if (c != r) {
          queue_[tail_++] = static_cast<std::uint32_t>(r) * static_cast<std::uint32_t>(e_) + static_cast<std::uint32_t>(c);
        }
      }
    }
  }
}

void ClosureWorkspace::Restore() {
  for (const int r : touched_rows_) {
    std::memcpy(rows_.data() + static_cast<std::size_t>(r) * w_, BaseRow(r), sizeof(BitWord) * w_);
    row_touched_[r] = 0;
  }
  for (const int c : touched_columns_) {
    const std::size_t at = static_cast<std::size_t>(c) * w_;
    std::memcpy(cols_.data() + at, base_cols_.data() + at, sizeof(BitWord) * w_);
    column_touched_[c] = 0;
  }
  for (const int r : dirty_list_) {
    std::memset(pending_.data() + static_cast<std::size_t>(r) * w_, 0, sizeof(BitWord) * w_);
    dirty_[r] = 0;
  }
  touched_rows_.clear();
  touched_columns_.clear();
  dirty_list_.clear();
  head_ = tail_ = 0;
  added_ = 0;
  stopped_ = false;
}

void ClosureWorkspace::AbsorbRow(int r, const BitWord* row) {
  BitWord* mine = rows_.data() + static_cast<std::size_t>(r) * w_;
  BitWord* pend = pending_.data() + static_cast<std::size_t>(r) * w_;
  bool any = false;
  for (int k = 0; k < w_; ++k) {
    BitWord fresh = row[k] & ~mine[k];
    if (fresh == 0) continue;
    any = true;
    mine[k] |= fresh;
    pend[k] |= fresh;
    added_ += std::popcount(fresh);
    while (fresh != 0) {
      const int c = k * 64 + std::countr_zero(fresh);
      fresh &= fresh - 1;
      cols_[Index(c, r)] |= BitWord{1} << (r & 63);
      TouchColumn(c);
    }
  }
  if (any) {
    TouchRow(r);
    MarkDirty(r);
  }
}

void ClosureWorkspace::OverlayClosedRow(int r, const BitWord* row) {
  BitWord* mine = rows_.data() + static_cast<std::size_t>(r) * w_;
  bool any = false;
  for (int k = 0; k < w_; ++k) {
    BitWord fresh = row[k] & ~mine[k];
    if (fresh == 0) continue;
    any = true;
    mine[k] |= fresh;
    added_ += std::popcount(fresh);
    while (fresh != 0) {
      const int c = k * 64 + std::countr_zero(fresh);
      fresh &= fresh - 1;
      cols_[Index(c, r)] |= BitWord{1} << (r & 63);
      TouchColumn(c);
    }
  }
  if (any) TouchRow(r);
}

void ClosureWorkspace::ChangedRows(std::vector<int>& rows) const {
  rows.clear();
  for (const int r : touched_rows_) {
    if (std::memcmp(Row(r), BaseRow(r), sizeof(BitWord) * w_) != 0) rows.push_back(r);
  }
  std::sort(rows.begin(), rows.end());
}

void ClosureWorkspace::CopyTo(ElementRelation& m) const {
  if (m.Size() != e_) m.Reset(e_);
  std::copy(rows_.begin(), rows_.end(), m.Words().begin());
}

}  // namespace quorel
