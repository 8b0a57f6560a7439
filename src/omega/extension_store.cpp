#include "omega/extension_store.hpp"

#include <algorithm>

namespace quorel {

void ExtensionStore::Reset(int element_count, std::size_t byte_limit) {
  e_ = element_count > 0 ? element_count : 0;
  w_ = (e_ + 63) / 64;
  byte_limit_ = byte_limit;
  block_words_ = std::max(kSmallestBlockWords, static_cast<std::size_t>(e_) * (w_ + 1));
  block_fill_ = 0;
  words_held_ = 0;
  blocks_.clear();
  records_.clear();
  by_hash_.clear();
}

const BitWord* ExtensionStore::FindRow(int id, int r) const {
  int lo = 0;
  int hi = RowCount(id);
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (RowIndex(id, mid) < r) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  if (lo < RowCount(id) && RowIndex(id, lo) == r) return RowBits(id, lo);
  return nullptr;
}

}  // namespace quorel
