#include "algebra/transposes.hpp"

#include <cstdio>

#include "algebra/semigroup.hpp"
#include "pipeline/analysis_state.hpp"
#include "core/fatal_error.hpp"

namespace quorel {

void EliminateTransposes(AnalysisState& state, std::vector<std::int16_t>& ident) {
  MatrixList& list = state.MatrixList;
  const int inputs = state.GeneratorCount;
  for (int i = 0; i < inputs; ++i) {
    const int spare = state.ElementCount;
    Transpose(list.Matrix(i), list.Matrix(spare), list.Shape());
    // Only the distinct input matrices are searched, not the transposes stored before.
    const std::int16_t f = list.FindMatrix(inputs, list.Matrix(spare));
    if (f < 0) {
      if (state.ElementCount >= kMaxElements) {
        // Element numbers are 16-bit: more than 16383 distinct relations whose transposes
        // are new would wrap the element count.
        std::fflush(state.OutFile);
        char text[200];
        std::snprintf(text, sizeof text,
                      "ERROR: The relations and their transposes number more than %d, the most that 16-bit "
                      "element numbers allow.\n       Analyse the network without transposes.\n",
                      kMaxElements);
        FatalErrorWithMessage(text);
      }
      ident[spare] = static_cast<std::int16_t>(i);
      list.Remember(spare);
      ++state.ElementCount;
      if (list.AddMatrixSlot(state.Storage, state.ErrFile, state.ElementCount) != 1) FatalError(1);
    } else {
      std::fprintf(state.OutFile, "Matrix %2d Transpose: identical to matrix %2d\n", i + 1, f + 1);
    }
  }
}

}  // namespace quorel
