#pragma once

#include <cstdint>
#include <vector>

#include "core/storage_gate.hpp"

namespace quorel {

// The semigroup's multiplication as the closures read it: for elements a and c, Right(a)[c]
// is the index of a followed by c and Left(a)[c] the index of c followed by a, each -1 when
// the product is not an element. Both are rows, so compatibility with the products on
// either side of a pair is two linear scans.
class ProductTable {
 public:
  // `mult` is the E x E multiplication table, row-major (cell (a, c) = a followed by c). The
  // left products are a transposed copy, one storage request of kind kScratchRelation
  // (FatalError(FatalCode::kVariables) when refused).
  ProductTable(const std::vector<std::int16_t>& mult, int element_count, StorageGate& gate);

  // The storage of the left products for `element_count` elements, counted by the gate
  // while the table exists.
  static std::uint64_t Bytes(int element_count);

  int Size() const { return e_; }
  const std::int16_t* Right(int a) const { return right_ + static_cast<std::size_t>(a) * e_; }
  const std::int16_t* Left(int a) const { return left_.data() + static_cast<std::size_t>(a) * e_; }

 private:
  int e_ = 0;
  const std::int16_t* right_ = nullptr;
  std::vector<std::int16_t> left_;
  StorageHold hold_;
};

}  // namespace quorel
