#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

#include "core/element_relation.hpp"

namespace quorel {

// The distinct single-inclusion extensions of one closed relation (the base), each held
// once, as the rows in which it differs from the base: a row is its index followed by its
// bits. Many generating pairs share one extension; equal extensions are found through a
// hash of their rows. Storage comes in blocks and is limited to a byte budget.
class ExtensionStore {
 public:
  // Relations over `element_count` elements; at most `byte_limit` bytes of rows.
  void Reset(int element_count, std::size_t byte_limit);

  int Count() const { return static_cast<int>(records_.size()); }
  std::size_t BytesUsed() const { return words_held_ * sizeof(BitWord); }
  std::size_t BytesPerBlock() const { return block_words_ * sizeof(BitWord); }  // the next block

  // A hash of an extension given by its changed rows `rows` (indices ascending, row r's
  // bits at row_bits(r)).
  template <class RowSource>
  std::uint64_t Hash(const std::vector<int>& rows, RowSource&& row_bits) const;

  // The id of the stored extension with these changed rows and hash, or -1.
  template <class RowSource>
  int Find(const std::vector<int>& rows, RowSource&& row_bits, std::uint64_t hash) const;

  // Stores a new extension that adds `added` pairs to the base. Returns its id, or -1 when
  // a new block would pass the byte budget or cannot be allocated.
  template <class RowSource>
  int Add(const std::vector<int>& rows, RowSource&& row_bits, std::uint64_t hash, std::int64_t added);

  std::int64_t Added(int id) const { return records_[static_cast<std::size_t>(id)].added; }
  int RowCount(int id) const { return records_[static_cast<std::size_t>(id)].row_count; }
  int RowIndex(int id, int k) const { return static_cast<int>(Entry(id, k)[0]); }
  const BitWord* RowBits(int id, int k) const { return Entry(id, k) + 1; }

  // Row r of the extension, or null when it equals the base's row r. Cost: O(log rows).
  const BitWord* FindRow(int id, int r) const;

 private:
  // Blocks start small (most relations have few distinct extensions) and double up to
  // 8 MiB; every block holds at least one extension of every row.
  static constexpr std::size_t kSmallestBlockWords = std::size_t{1} << 12;
  static constexpr std::size_t kLargestBlockWords = std::size_t{1} << 20;

  struct Record {
    std::uint32_t block;
    std::uint32_t offset;  // in words, within the block
    std::int32_t row_count;
    std::int32_t next;     // next record with the same hash, or -1
    std::int64_t added;
  };

  const BitWord* Entry(int id, int k) const {
    const Record& rec = records_[static_cast<std::size_t>(id)];
    return blocks_[rec.block].get() + rec.offset + static_cast<std::size_t>(k) * (w_ + 1);
  }

  int e_ = 0;
  int w_ = 0;
  std::size_t byte_limit_ = 0;
  std::size_t block_words_ = 0;  // size of the newest block
  std::size_t block_fill_ = 0;
  std::size_t words_held_ = 0;   // all blocks together
  std::vector<std::unique_ptr<BitWord[]>> blocks_;
  std::vector<Record> records_;
  std::unordered_map<std::uint64_t, std::int32_t> by_hash_;
};

template <class RowSource>
std::uint64_t ExtensionStore::Hash(const std::vector<int>& rows, RowSource&& row_bits) const {
  std::uint64_t h = 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(rows.size());
  const auto mix = [&h](std::uint64_t v) {
    std::uint64_t z = h ^ v;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    h = z ^ (z >> 31);
  };
  for (const int r : rows) {
    mix(static_cast<std::uint64_t>(r));
    const BitWord* bits = row_bits(r);
    for (int k = 0; k < w_; ++k) mix(bits[k]);
  }
  return h;
}

template <class RowSource>
int ExtensionStore::Find(const std::vector<int>& rows, RowSource&& row_bits, std::uint64_t hash) const {
  const auto found = by_hash_.find(hash);
  if (found == by_hash_.end()) return -1;
  for (std::int32_t id = found->second; id >= 0; id = records_[static_cast<std::size_t>(id)].next) {
    if (RowCount(id) != static_cast<int>(rows.size())) continue;
    bool same = true;
    for (int k = 0; k < RowCount(id) && same; ++k) {
      const int r = rows[static_cast<std::size_t>(k)];
      const BitWord* bits = row_bits(r);
      same = RowIndex(id, k) == r;
      for (int x = 0; x < w_ && same; ++x) same = RowBits(id, k)[x] == bits[x];
    }
    if (same) return id;
  }
  return -1;
}

template <class RowSource>
int ExtensionStore::Add(const std::vector<int>& rows, RowSource&& row_bits, std::uint64_t hash, std::int64_t added) {
  const std::size_t need = rows.size() * static_cast<std::size_t>(w_ + 1);
  try {
    if (blocks_.empty() || block_fill_ + need > block_words_) {
      if (!blocks_.empty()) block_words_ = std::min(block_words_ * 2, std::max(kLargestBlockWords, block_words_));
      if (BytesUsed() + BytesPerBlock() > byte_limit_) return -1;
      blocks_.emplace_back(new BitWord[block_words_]);
      words_held_ += block_words_;
      block_fill_ = 0;
    }
    const auto found = by_hash_.find(hash);
    const std::int32_t next = found == by_hash_.end() ? -1 : found->second;
    records_.push_back(Record{static_cast<std::uint32_t>(blocks_.size() - 1),
                              static_cast<std::uint32_t>(block_fill_), static_cast<std::int32_t>(rows.size()),
                              next, added});
    by_hash_[hash] = static_cast<std::int32_t>(records_.size() - 1);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  BitWord* out = blocks_.back().get() + block_fill_;
  for (const int r : rows) {
    *out++ = static_cast<BitWord>(r);
    const BitWord* bits = row_bits(r);
    for (int k = 0; k < w_; ++k) *out++ = bits[k];
  }
  block_fill_ += need;
  return static_cast<int>(records_.size() - 1);
}

}  // namespace quorel
