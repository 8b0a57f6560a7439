#pragma once

#include <cstdint>
#include <vector>

namespace quorel {

struct AnalysisState;

// Adds the transpose of every distinct input matrix as a further generator unless it equals
// a distinct input matrix, for which a report line names the two. ident[k] records, for a
// transpose stored in slot k, the matrix it is the transpose of. Raises ElementCount.
void EliminateTransposes(AnalysisState& state, std::vector<std::int16_t>& ident);

}  // namespace quorel
