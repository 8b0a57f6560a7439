#include "algebra/transposes.hpp"

#include <cstdio>

#include "algebra/semigroup.hpp"
#include "core/error.hpp"

namespace quorel {

int AddTransposes(MatrixList& list, int inputs, StorageGate& gate, std::vector<std::int16_t>& transpose_of,
                  const IdenticalTransposeFound& identical) {
  int count = inputs;
  for (int i = 0; i < inputs; ++i) {
    const int spare = count;
    Transpose(list.Matrix(i), list.Matrix(spare), list.Shape());
    // Only the distinct input matrices are searched, not the transposes stored before.
    const std::int16_t f = list.FindMatrix(inputs, list.Matrix(spare));
    if (f >= 0) {
      identical(i, f);
      continue;
    }
    if (count >= kMaxElements) {
      // Element numbers are 16-bit: more than 16383 distinct relations whose transposes
      // are new would wrap the element count.
      char text[200];
      std::snprintf(text, sizeof text,
                    "ERROR: The relations and their transposes number more than %d, the most that 16-bit "
                    "element numbers allow.\n       Analyse the network without transposes.\n",
                    kMaxElements);
      FatalErrorWithMessage(text);
    }
    if (transpose_of.size() <= static_cast<std::size_t>(spare)) transpose_of.resize(spare + 1, -1);
    transpose_of[spare] = static_cast<std::int16_t>(i);
    list.Remember(spare);
    ++count;
    OpenMatrixSlot(list, gate, count);
  }
  return count;
}

}  // namespace quorel
