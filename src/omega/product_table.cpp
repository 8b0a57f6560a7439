#include "omega/product_table.hpp"

#include "core/error.hpp"

namespace quorel {

ProductTable::ProductTable(const std::vector<std::int16_t>& mult, int element_count, StorageGate& gate)
    : e_(element_count > 0 ? element_count : 0), right_(mult.data()) {
  const std::size_t cells = static_cast<std::size_t>(e_) * e_;
  if (!gate.Obtain(StorageKind::kScratchRelation, left_, cells, std::int16_t{-1})) FatalError(FatalCode::kVariables);
  hold_ = StorageHold(gate, StorageKind::kScratchRelation, Bytes(e_));
  for (int c = 0; c < e_; ++c) {
    const std::int16_t* row = mult.data() + static_cast<std::size_t>(c) * e_;
    for (int a = 0; a < e_; ++a) left_[static_cast<std::size_t>(a) * e_ + c] = row[a];
  }
}

std::uint64_t ProductTable::Bytes(int element_count) {
  const std::uint64_t e = element_count > 0 ? static_cast<std::uint64_t>(element_count) : 0;
  return e * e * sizeof(std::int16_t);
}

}  // namespace quorel
