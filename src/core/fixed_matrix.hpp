#pragma once

#include <cstdint>
#include <vector>

namespace quorel {

// One cell of the fixed matrix (0-based actor numbers).
struct CellNode {
  std::int16_t Row = 0;
  std::int16_t Col = 0;
};

// The cells that carry one value of the fixed matrix, in ascending row-major order.
struct CellGroup {
  std::int16_t Count = 0;
  float Value = 0.0f;
  std::vector<CellNode> Cells;
};

// The fixed matrix grouped by value: one group per distinct value (compared as 32-bit
// floats), in order of the value's first appearance in row-major order. Every one of the
// N x N cells, the diagonal included, is in exactly one group.
struct FixedMatrixRecord {
  std::vector<CellGroup> Groups;
  std::int16_t GroupCount = 0;
  std::int16_t MaxGroupSize = 0;
  std::vector<std::uint8_t> Scratch;  // MaxGroupSize bytes of work space for the samplers

  void Release() {
    std::vector<CellGroup>().swap(Groups);
    std::vector<std::uint8_t>().swap(Scratch);
    GroupCount = 0;
    MaxGroupSize = 0;
  }
};

}  // namespace quorel
