#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "algebra/word_table.hpp"
#include "core/matrix_list.hpp"
#include "core/storage_gate.hpp"

namespace quorel {

// Largest number of elements: element numbers are 16-bit.
inline constexpr int kMaxElements = 32767;

// The semigroup of compound relations. Its elements are slots 0..element_count-1 of the
// matrix list that built it, the generators first.
struct Semigroup {
  int generator_count = 0;                // G
  int element_count = 0;                  // E
  bool complete = false;                  // closed under multiplication (full semigroup only)
  bool generator_products_only = false;   // only the powers of each generator were formed
  std::vector<std::int16_t> mult_table;   // E x E: the element a followed by b, or -1; the
                                          // first G columns are the edge table
  std::vector<WordEntry> word_table;      // per element: how it was first formed
};

// Builds the semigroup breadth-first from the generators in slots 0..generator_count-1 of
// `list`: stage r appends every generator to every element found in stage r-1, up to
// `max_word_length` stages (words of at most max_word_length + 1 letters). Elements are
// numbered in the order they are first found and appended to `list`. The whole
// multiplication table is filled.
// Cost: one Boolean product and one hashed lookup per candidate; the columns of the
// non-generators are read off the word table wherever a product's left part is an element.
Semigroup BuildSemigroup(MatrixList& list, int generator_count, int max_word_length, StorageGate& gate);

// The generator-products-only variant: the powers g^2 .. g^(m+1) of each generator. Only the
// cells (g^k, g) of the multiplication table are filled.
Semigroup BuildGeneratorPowers(MatrixList& list, int generator_count, int max_word_length, StorageGate& gate);

// Makes slot `index` of `list` ready for the next candidate; a missing slot ends the run
// with the list's own diagnostic.
void OpenMatrixSlot(MatrixList& list, StorageGate& gate, int index);

}  // namespace quorel
