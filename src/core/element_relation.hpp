#pragma once

#include <cstdint>
#include <vector>

#include "core/relation_matrix.hpp"
#include "core/storage_gate.hpp"

namespace quorel {

// A relation among the E semigroup elements, as packed bit rows of E bits. Cell (r, c) = 1
// always reads: element c is included in element r. The partial order table, Omega, lower
// Omega, their closures and the meet-complement matrix all have this orientation. Bits
// beyond column E-1 are always 0, so whole rows compare and combine word by word.
class ElementRelation {
 public:
  ElementRelation() = default;
  explicit ElementRelation(int e) { Reset(e); }

  // Makes the relation an all-zero E x E relation.
  void Reset(int e) {
    size_ = e > 0 ? e : 0;
    words_per_row_ = (size_ + 63) / 64;
    bits_.assign(static_cast<std::size_t>(size_) * words_per_row_, 0);
  }

  // Reset through the storage gate: false (relation unchanged) when the storage of this
  // kind is refused or not available.
  bool Obtain(StorageGate& gate, StorageKind kind, int e) {
    if (!gate.Grant(kind, Bytes(e))) return false;
    try {
      Reset(e);
    } catch (const std::bad_alloc&) {
      gate.Release(kind, Bytes(e));
      return false;
    }
    return true;
  }

  // The storage of an E x E relation.
  static std::uint64_t Bytes(int e) {
    const std::uint64_t size = e > 0 ? static_cast<std::uint64_t>(e) : 0;
    return size * ((size + 63) / 64) * sizeof(BitWord);
  }

  int Size() const { return size_; }
  int WordsPerRow() const { return words_per_row_; }

  bool Get(int r, int c) const { return (Row(r)[c >> 6] >> (c & 63)) & 1u; }
  void Set(int r, int c) { Row(r)[c >> 6] |= BitWord{1} << (c & 63); }
  void Clear(int r, int c) { Row(r)[c >> 6] &= ~(BitWord{1} << (c & 63)); }
  void Put(int r, int c, bool value) { value ? Set(r, c) : Clear(r, c); }

  BitWord* Row(int r) { return bits_.data() + static_cast<std::size_t>(r) * words_per_row_; }
  const BitWord* Row(int r) const { return bits_.data() + static_cast<std::size_t>(r) * words_per_row_; }

  std::vector<BitWord>& Words() { return bits_; }
  const std::vector<BitWord>& Words() const { return bits_; }

  friend bool operator==(const ElementRelation& a, const ElementRelation& b) {
    return a.size_ == b.size_ && a.bits_ == b.bits_;
  }

 private:
  int size_ = 0;
  int words_per_row_ = 0;
  std::vector<BitWord> bits_;
};

}  // namespace quorel
