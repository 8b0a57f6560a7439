#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/matrix_list.hpp"
#include "core/storage_gate.hpp"

namespace quorel {

// Called for a transpose that equals a distinct input matrix: the input (from 0) whose
// transpose it is, and the input it equals.
using IdenticalTransposeFound = std::function<void(int input, int equal_to)>;

// Adds the transpose of every distinct input matrix (slots 0..inputs-1 of `list`) as a
// further generator unless it equals a distinct input matrix, which `identical` is told
// about as it is found. transpose_of[k] receives, for a transpose stored in slot k, the
// input it is the transpose of (the vector grows as needed). Returns the number of
// generators: the inputs and the transposes added.
int AddTransposes(MatrixList& list, int inputs, StorageGate& gate, std::vector<std::int16_t>& transpose_of,
                  const IdenticalTransposeFound& identical);

}  // namespace quorel
